// Any bytes loaded as a settings file: no crash, the current model names one of the five, and
// what a load gives saves to a file that loads again, after which saving is a fixed point:
// load, save, load, save gives the same bytes twice and so the same bank, every memo character
// for character. Works on bytes in memory, as the file layer is a thin wrapper over them.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "IniDocument.h"
#include "ModelBank.h"
#include "SettingsFile.h"

namespace {

void Check(bool condition)
{
    if (!condition) std::abort();
}

// Everything a save keeps; the older layout's model number (say 81) is saved as its model.
bool SameSettings(const ModelBank& a, const ModelBank& b)
{
    for (int i = 0; i < ModelBank::kModels; ++i) {
        const ModelSettings& x = a.models[static_cast<size_t>(i)];
        const ModelSettings& y = b.models[static_cast<size_t>(i)];
        if (x.NBRK != y.NBRK || x.BFREQ != y.BFREQ || x.VLT != y.VLT || x.PROG != y.PROG || x.FRQ != y.FRQ ||
            x.MEMO != y.MEMO)
            return false;
    }
    return a.SYS_CUR == b.SYS_CUR && a.ShownIndex() == b.ShownIndex();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    ModelBank initial;
    initial.Initialise();
    const SettingsLoadResult result = SettingsFile::Read(input, initial);
    if (!result.Loaded()) {
        Check(!result.message.empty() && result.bank == initial);
        return 0;  // refused as a whole
    }
    const ModelBank& loaded = result.bank;
    Check(loaded.ModelNumber >= 0 && loaded.ModelNumber / ModelBank::kModelStep < ModelBank::kModels);

    const std::string once = SettingsFile::ToBytes(loaded);
    Check(IniDocument::IsReadable(once));
    const SettingsLoadResult again = SettingsFile::Read(once, initial);
    Check(again.Loaded());
    const ModelBank& first = again.bank;
    Check(SameSettings(first, loaded));

    // The same bytes load into the same bank, so a third load would check nothing new.
    Check(SettingsFile::ToBytes(first) == once);
    return 0;
}
