#pragma once
#include "IniFileError.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The INI-style text document behind the settings files. Sections and entries keep their order;
// names are matched without regard to case; lines are written with CR LF, text as UTF-8, and
// read as UTF-8 or, failing that, CP932 (IniTextCodec).
//
// Reading is bounded: a file larger than kMaxFileSize, or one holding more than kMaxLines
// section and entry lines, is refused with IniFileError like a file that cannot be read, so a
// stray binary or runaway file costs at most a few seconds and a few hundred megabytes. Writing
// refuses, the same way, a document whose file would be refused when read again.
//
// The document works on bytes and text (UTF-8) in memory: the file layer (IniFile) reads and
// writes files. The text is held once as UTF-8, names and values as pieces of it.
class IniDocument {
public:
    static constexpr int64_t kMaxFileSize = 64LL * 1024 * 1024;
    static constexpr int64_t kMaxLines = 1'000'000;

    // An empty document.
    IniDocument() = default;

    // A document from a file's bytes (the bounds apply; name only labels errors, which read
    // "Cannot read file <name>: <why>"). Throws IniFileError beyond the bounds.
    static IniDocument FromBytes(std::string_view bytes, std::string name = {});
    // The same without throwing: nothing, and the error's text in error.
    static std::optional<IniDocument> TryFromBytes(std::string_view bytes, std::string name,
                                                   std::optional<IniFileError>& error);
    // A document from UTF-8 text (the line bound applies). Throws IniFileError beyond it.
    static IniDocument FromText(std::string_view utf8, std::string name = {});

    const std::string& Name() const { return name_; }
    // How many characters of the bytes read could not be read and became U+FFFD.
    size_t ReplacedCharacters() const { return replaced_; }

    std::string ReadString(std::string_view section, std::string_view name, std::string_view def) const;
    int32_t ReadInteger(std::string_view section, std::string_view name, int32_t def) const;
    void WriteString(std::string_view section, std::string_view name, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view name, int32_t value);

    // The value as a view into the document, valid until it changes.
    std::optional<std::string_view> Find(std::string_view section, std::string_view name) const;
    void Set(std::string_view section, std::string_view name, std::string_view value);

    // For many look-ups in one section: the section's number (-1 when absent), found once.
    int32_t SectionOf(std::string_view section) const;
    int32_t MakeSection(std::string_view section);  // adds it when absent
    std::optional<std::string_view> FindIn(int32_t section, std::string_view name) const;
    void SetIn(int32_t section, std::string_view name, std::string_view value);

    // Drops every section.
    void Clear();

    bool HasSection(std::string_view section) const;
    // Number of lines (entries, including those without "=") the section holds; 0 when absent.
    int64_t LineCount(std::string_view section) const;
    // The name of every entry with "=" in the section, in order.
    void ForEachName(std::string_view section, const std::function<void(std::string_view)>& visit) const;

    // The document in its written form (UTF-8, CR LF).
    std::string Bytes() const;

    // Whether a file of these bytes would be read; when not, why and the limit it passes. A
    // document is written only when its bytes are readable.
    static bool IsReadable(std::string_view bytes, IniFileError::Reason* why = nullptr, int64_t* limit = nullptr);

    // Signed decimal, or hexadecimal after "0x", "0X" or "$" (up to FFFFFFFF, taken as
    // the 32-bit pattern). False for anything else, including numbers that do not fit 32 bits.
    static bool ParseInteger(std::string_view text, int32_t& value);

private:
    struct Span {
        ptrdiff_t pos = 0;
        ptrdiff_t size = 0;
    };
    struct Entry {
        Span name;
        Span key;  // see KeyOf
        Span value;
        uint32_t section = 0;
        uint32_t hash = 0;     // of the key, within the section
        int32_t next = -1;     // next entry of the same section
        bool hasValue = true;  // false: a line without "=", kept but never found
    };
    struct Section {
        Span name;
        Span key;
        uint32_t hash = 0;
        int32_t first = -1;
        int32_t last = -1;
        int64_t lines = 0;
    };

    // False beyond kMaxLines.
    bool Parse();
    std::string_view View(Span s) const
    {
        return std::string_view(text_).substr(static_cast<size_t>(s.pos), static_cast<size_t>(s.size));
    }
    std::string_view KeyView(Span s) const;
    Span Append(std::string_view bytes);
    // The name as compared: an ASCII name is its own key (compared ignoring ASCII case); other
    // names are case-folded into folded_, marked by a negative position.
    Span KeyOf(Span name);
    int32_t FindSection(std::string_view key) const;
    int32_t FindEntry(uint32_t section, std::string_view key) const;
    int32_t AddSection(Span name);
    // Parse adds entries unindexed and indexes them all at once at the end (IndexEntries).
    void AddEntry(uint32_t section, Span name, Span value, bool hasValue, bool index = true);
    void IndexSection(int32_t index);
    void IndexEntry(int32_t index);
    void IndexEntries();

    std::string name_;
    size_t replaced_ = 0;
    std::string text_;    // UTF-8: the text read, then every name and value written
    std::string folded_;  // case-folded keys of names that are not ASCII
    std::vector<Section> sections_;
    std::vector<Entry> entries_;
    // Open addressing, -1 for a free slot; the first of several equal names is found.
    std::vector<int32_t> sectionSlots_;
    std::vector<int32_t> entrySlots_;
};
