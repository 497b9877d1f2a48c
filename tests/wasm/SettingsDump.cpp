// Reads each file named as an INI document and as a settings file, and prints per file what
// came of it: the hash of the bytes each writes back (and of the whole bank), or the refusal
// and its message.
#include <cstdio>
#include <optional>
#include <string>

#include "ModelBankText.h"
#include "DumpText.h"
#include "IniDocument.h"
#include "IniFileError.h"
#include "SettingsFile.h"

namespace {

std::string StatusName(SettingsLoadResult::Status status)
{
    switch (status) {
    case SettingsLoadResult::Status::Loaded: return "loaded";
    case SettingsLoadResult::Status::NotSettingsFile: return "not-settings";
    case SettingsLoadResult::Status::Unreadable: return "unreadable";
    }
    return "?";
}

void Dump(const std::string& name, const std::string& bytes)
{
    std::optional<IniFileError> error;
    const auto doc = IniDocument::TryFromBytes(bytes, name, error);
    const std::string ini = doc     ? "ini " + dumptext::Hash(doc->Bytes())
                            : error ? "ini refused: " + error->Text(0) + " / " + error->Text(1)
                                    : "ini refused without a reason";

    ModelBank current;
    current.Initialise();
    const SettingsLoadResult r = SettingsFile::Read(bytes, current, name);
    std::string settings = StatusName(r.status);
    if (r.Loaded())
        settings += " " + dumptext::Hash(SettingsFile::ToBytes(r.bank)) + " bank " + dumptext::Hash(dumptext::Text(r.bank));
    else
        settings += ": " + r.message + (r.bank == current ? "" : " (bank changed)");
    std::printf("%s | %s | %s\n", name.c_str(), ini.c_str(), settings.c_str());
}

}  // namespace

int main(int argc, char** argv)
{
    int missing = 0;
    for (int a = 1; a < argc; ++a) {
        const std::string name = dumptext::BaseName(argv[a]);
        const auto bytes = dumptext::ReadFile(argv[a]);
        if (!bytes) {
            std::printf("%s missing\n", name.c_str());
            ++missing;
            continue;
        }
        Dump(name, *bytes);
    }
    // Beyond the bounds of a settings file, which no kept input reaches: refused with its message.
    std::string lines = "[VxrManager]\r\n";
    for (int64_t i = 0; i < IniDocument::kMaxLines; ++i) lines += "a\r\n";
    Dump("generated-too-many-lines", lines);
    return missing == 0 ? 0 : 1;
}
