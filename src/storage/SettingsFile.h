#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ModelBank.h"
#include "SettingsLoadResult.h"

// The settings file holding the whole ModelBank: the section VxrManager, written in the current
// layout and read in the current or the older (TAG_DATA) layout. Works on the file's bytes; the
// file layer (SettingsFileIo) reads and writes files.
class SettingsFile {
public:
    // The most memo lines the five models can hold together: a save writes them beside the
    // section line and 187 entries, within the lines a settings file may have.
    static constexpr int64_t kMaxMemoLines = 1'000'000 - 188;

    // The bank that the file's bytes hold, loaded over current (whose values stay where the
    // older layout has none); name only labels errors. Refused (status and message, current
    // unchanged) when it has no settings section (an empty file included), is beyond the
    // bounds of a settings file, or its bank could not be saved again.
    // A current model index (SYS_MDL) outside 0..4 is held to the nearest model; the older
    // layout's model number and all other values are kept as read (ModelBank::ShownIndex,
    // displays and tables clamp them).
    // A memo line count is cut to the last memo line the file holds, so a damaged count adds
    // no empty lines; missing lines before it read as empty lines.
    static SettingsLoadResult Read(std::string_view bytes, const ModelBank& current, std::string_view name = {});

    // Read, throwing NotSettingsFileError or IniFileError with the message when refused and
    // leaving bank unchanged then. Returns SettingsLoadResult::replaced.
    static size_t FromBytes(std::string_view bytes, ModelBank& bank, std::string_view name = {});
    static std::string ToBytes(const ModelBank& bank);

    // The name Save writes to: with the "*.VXS" filter (index 0) the last extension of the final
    // path component is replaced by ".VXS"; any other filter keeps the name as chosen.
    static std::string ForcedSaveName(std::string_view chosen, int filterIndex);

    // Hexadecimal digits to a number, default at the first other character. Longer texts wrap
    // at 32 bits; the file's fields are two digits, 0..255.
    static int32_t ParseHex(std::u16string_view text, int32_t def);

    // A line ends at CR LF, a lone CR or a lone LF; a final line end adds no line.
    static std::vector<std::string> SplitMemoLines(const std::string& memo);
};
