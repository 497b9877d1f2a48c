#pragma once
// The bank as one line of text, every field, so two runs can be compared exactly.
#include <string>

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

}  // namespace dumptext
