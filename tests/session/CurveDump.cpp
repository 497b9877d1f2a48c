// Prints every step of every straight line the curve can hold, one line each: "d n k step",
// for d = -51..51 (rise between the end positions), n = 1..31 (bars from one end to the other)
// and k = 0..n. A build for another target must print exactly what the native build prints.
#include <cstdio>

#include "CurveEditing.h"

int main()
{
    for (int32_t d = -51; d <= 51; ++d)
        for (int32_t n = 1; n < CurveEditing::kPoints; ++n)
            for (int32_t k = 0; k <= n; ++k)
                std::printf("%d %d %d %d\n", static_cast<int>(d), static_cast<int>(n), static_cast<int>(k),
                            static_cast<int>(CurveEditing::LineStep(d, n, k)));
    return 0;
}
