#pragma once
// The fault table's expectations for gtest.
#include <gtest/gtest.h>

#include "ControllerState.h"
#include "FaultTable.h"
#include "ModelBank.h"

namespace faultcases {

// The controller after a failed transfer: models before the failing write are written (from
// bank), none after; the model number never.
inline void ExpectControllerAfterFailure(Fault fault, Transfer transfer, uint8_t struck, const ControllerState& before,
                                         const ControllerState& after, const ModelBank& bank)
{
    EXPECT_EQ(after.ModelNumber(), before.ModelNumber());
    for (int i = 0; i < 5; ++i) {
        bool written = false;
        if (transfer == Transfer::WriteAll) {
            const int failedAt = struck == 0xE6 ? 5 : struck == 0xE3 ? 2 : 0;
            written = i < failedAt || (i == failedAt && struck == 0xE3 && ControllerStoredStruckWrite(fault));
        } else if (transfer == Transfer::WriteShown && i == kShown) {
            written = struck == 0xE6 || (struck == 0xE1 + kShown && ControllerStoredStruckWrite(fault));
        }
        if (written) {
            EXPECT_TRUE(ImageHolds(after.ImageOf(i), bank.models[static_cast<size_t>(i)]))
                << "model " << i << " should have been written";
        } else {
            EXPECT_EQ(after.ImageOf(i), before.ImageOf(i)) << "model " << i << " was touched";
        }
    }
}

}  // namespace faultcases
