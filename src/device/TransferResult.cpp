#include "TransferResult.h"

std::string TransferResult::Describe() const
{
    if (ok)
        return "ok";
    std::string what;
    switch (step) {
    case Step::None:
        what = "transfer";
        break;
    case Step::ReadModelNumber:
        what = "reading the model number";
        break;
    case Step::ReadModel:
        what = "reading MODEL" + std::to_string(model + 1);
        break;
    case Step::WriteModel:
        what = "writing MODEL" + std::to_string(model + 1);
        break;
    case Step::WriteModelNumber:
        what = "writing the model number";
        break;
    }
    return what + ": " + failure.Describe();
}
