// The straight line's steps, computed with integers, against the x87 extended format itself.
// Only a native x86 build has that format to compare with; other targets diff the output of
// CurveDump.cpp against a native run instead.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "CurveEditing.h"

static_assert(std::numeric_limits<long double>::digits == 64, "the reference needs the 80-bit extended long double");

namespace {

int32_t Extended(int32_t d, int32_t n, int32_t k)
{
    const long double q = static_cast<long double>(d) / static_cast<long double>(n);
    return static_cast<int32_t>(std::lrint(q * static_cast<long double>(k)));  // nearest, ties to even
}

TEST(LineStep, MatchesTheExtendedFormatForEveryLineTheCurveCanHold)
{
    // Every rise between two positions 0..51, over every range of the 32 points, at every step.
    int cases = 0;
    int failures = 0;
    for (int32_t d = -51; d <= 51; ++d)
        for (int32_t n = 1; n < CurveEditing::kPoints; ++n)
            for (int32_t k = 0; k <= n && failures < 10; ++k, ++cases)
                if (CurveEditing::LineStep(d, n, k) != Extended(d, n, k))
                    ADD_FAILURE() << "d " << d << " n " << n << " k " << k << " failure " << ++failures;
    EXPECT_EQ(cases, 103 * 527);

    // Far beyond the curve as well, so that the 128-bit product and its carries are exercised.
    uint64_t x = 0x9E3779B97F4A7C15u;
    auto next = [&x] { return x ^= x << 13, x ^= x >> 7, x ^= x << 17; };
    for (int i = 0; i < 200000 && failures < 10; ++i) {
        const auto d = static_cast<int32_t>(static_cast<int64_t>(next() % 0xFFFFFFFFu) - 0x7FFFFFFF);
        const auto n = static_cast<int32_t>(next() % 0x7FFFFFFFu + 1);
        const auto k = static_cast<int32_t>(next() % (static_cast<uint64_t>(n) + 1));
        if (CurveEditing::LineStep(d, n, k) != Extended(d, n, k))
            ADD_FAILURE() << "d " << d << " n " << n << " k " << k << " failure " << ++failures;
    }
}

}  // namespace
