#pragma once
#include <QString>

#include <functional>
#include <optional>

#include "IniFileError.h"

#include "ModelBank.h"

// Settings files on disk: SettingsFile's bytes read from and written to a path.
class SettingsFileIo {
public:
    enum class SaveResult {
        Saved,
        // Nothing was written: the place cannot be written, or the bank's file would be refused
        // when opened again (too large).
        NotWritable,
    };

    // Writes the bank to path, replacing whatever the file held. An existing file that cannot
    // be read, or a failure of the final write, throws IniFileError.
    // `stop` is asked just before the file is replaced; true leaves it as it was and throws.
    // With NotWritable, `whyNot` (when given) receives the reason, with the system's own words.
    static SaveResult Save(const ModelBank& bank, const QString& path, const std::function<bool()>& stop = {},
                           std::optional<IniFileError>* whyNot = nullptr);

    // Replaces bank with the file's content (SettingsFile::Read); a file that does not exist
    // gives every default. Throws, leaving bank unchanged, IniFileError when the file cannot be
    // read or its bank could not be saved again, and NotSettingsFileError when the file has no
    // settings section (an empty file included). Returns how many characters of the file could
    // not be read and became U+FFFD (SettingsLoadResult::replaced).
    static size_t Load(const QString& path, ModelBank& bank);
};
