#pragma once
#include <QString>

#include <cstdint>
#include <string>
#include <vector>

#include "ModelBank.h"

// The settings file holding the whole ModelBank: the section VxrManager, written in the current
// layout and read in the current or the older (TAG_DATA) layout.
class SettingsFile {
public:
    enum class SaveResult {
        Saved,
        NotWritable,  // the place cannot be written; nothing was written
    };

    // Writes the bank to path, replacing whatever the file held. An existing file that cannot
    // be read, or a failure of the final write, throws IniFileError.
    static SaveResult Save(const ModelBank& bank, const QString& path);

    // Replaces bank with the file's content; a file that does not exist gives every default.
    // Throws IniFileError, leaving bank unchanged, when the file cannot be read.
    // A current model index (SYS_MDL) outside 0..4 is held to the nearest model; the older
    // layout's model number and all other values are kept as read (ModelBank::ShownIndex,
    // displays and tables clamp them).
    // A memo line count beyond the number of lines in the section is cut to that number, so a
    // damaged count cannot make the load run for long or build a huge memo of empty lines.
    static void Load(const QString& path, ModelBank& bank);

    // The name Save writes to: with the "*.VXS" filter (index 0) the last extension of the final
    // path component is replaced by ".VXS"; any other filter keeps the name as chosen.
    static QString ForcedSaveName(const QString& chosen, int filterIndex);

    // Hexadecimal digits to a number, default at the first other character. Longer texts wrap
    // at 32 bits; the file's fields are two digits, 0..255.
    static int32_t ParseHex(QStringView text, int32_t def);

    // A line ends at CR LF, a lone CR or a lone LF; a final line end adds no line.
    static std::vector<std::string> SplitMemoLines(const std::string& memo);
};
