#pragma once
// The staging bank as one line of text, beside the bank's.
#include <string>

#include "DeviceBank.h"
#include "DumpText.h"
#include "ModelBankText.h"

namespace dumptext {

inline std::string Text(const DeviceBank& staging)
{
    std::string out = "H" + Hex(staging.header) + " N" + std::to_string(staging.modelNumber);
    for (const auto& m : staging.models) out += " " + Hex(m.SettingBytes) + "/" + Hex(m.FRQ);
    return out;
}

}  // namespace dumptext
