#pragma once
#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "ModelBank.h"

// The settings file holding the whole ModelBank: the section VxrManager, written in the current
// layout and read in the current or the older (TAG_DATA) layout.
class SettingsFile {
public:
    enum class SaveResult {
        Saved,
        // Nothing was written: the place cannot be written, or the bank's file would be refused
        // when opened again (too large).
        NotWritable,
    };

    // The most memo lines the five models can hold together: a save writes them beside the
    // section line and 187 entries, within the lines a settings file may have.
    static constexpr qsizetype kMaxMemoLines = 1'000'000 - 188;

    // Writes the bank to path, replacing whatever the file held. An existing file that cannot
    // be read, or a failure of the final write, throws IniFileError.
    // `stop` is asked just before the file is replaced; true leaves it as it was and throws.
    static SaveResult Save(const ModelBank& bank, const QString& path, const std::function<bool()>& stop = {});

    // Replaces bank with the file's content; a file that does not exist, or holds nothing but
    // blanks, gives every default. Throws, leaving bank unchanged, IniFileError when the file
    // cannot be read or its bank could not be saved again, and NotSettingsFileError when the
    // file holds something other than the settings section.
    // A current model index (SYS_MDL) outside 0..4 is held to the nearest model; the older
    // layout's model number and all other values are kept as read (ModelBank::ShownIndex,
    // displays and tables clamp them).
    // A memo line count is cut to the last memo line the file holds, so a damaged count adds
    // no empty lines; missing lines before it read as empty lines.
    static void Load(const QString& path, ModelBank& bank);

    // Load and Save on a file's bytes in memory; name only labels errors.
    static void FromBytes(const QByteArray& bytes, ModelBank& bank, const QString& name = {});
    static QByteArray ToBytes(const ModelBank& bank);

    // The name Save writes to: with the "*.VXS" filter (index 0) the last extension of the final
    // path component is replaced by ".VXS"; any other filter keeps the name as chosen.
    static QString ForcedSaveName(const QString& chosen, int filterIndex);

    // Hexadecimal digits to a number, default at the first other character. Longer texts wrap
    // at 32 bits; the file's fields are two digits, 0..255.
    static int32_t ParseHex(QStringView text, int32_t def);

    // A line ends at CR LF, a lone CR or a lone LF; a final line end adds no line.
    static std::vector<std::string> SplitMemoLines(const std::string& memo);
};
