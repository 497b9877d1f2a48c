#pragma once
// The banks as one line of text, every field, so two runs can be compared exactly.
#include <string>

#include "DeviceBank.h"
#include "DumpText.h"
#include "ModelBank.h"

namespace dumptext {

inline std::string Text(const ModelBank& bank)
{
    std::string out = "N" + std::to_string(bank.ModelNumber) + " S" + std::to_string(bank.SYS_CUR);
    for (const ModelSettings& m : bank.models) {
        out += " [" + std::to_string(m.NBRK) + "," + std::to_string(m.BFREQ) + "," + std::to_string(m.VLT) + "," +
               std::to_string(m.PROG) + ",";
        for (int32_t v : m.FRQ) out += std::to_string(v) + ".";
        out += "," + Hex(m.MEMO) + "]";
    }
    return out;
}

inline std::string Text(const DeviceBank& staging)
{
    std::string out = "H" + Hex(staging.header) + " N" + std::to_string(staging.modelNumber);
    for (const auto& m : staging.models) out += " " + Hex(m.SettingBytes) + "/" + Hex(m.FRQ);
    return out;
}

}  // namespace dumptext
