#include "IniDocument.h"

#include "CaseFoldTable.h"
#include "IniFileError.h"
#include "IniTextCodec.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <string>

namespace {

using Reason = IniFileError::Reason;

constexpr int64_t kMaxMebibytes = IniDocument::kMaxFileSize / (1024 * 1024);

bool IsBlank(char c)
{
    return static_cast<unsigned char>(c) <= 0x20;
}

std::string_view Trimmed(std::string_view s)
{
    const char* b = s.data();
    const char* e = b + s.size();
    while (b < e && IsBlank(*b))
        ++b;
    while (e > b && IsBlank(e[-1]))
        --e;
    return std::string_view(b, static_cast<size_t>(e - b));
}

// Calls line(trimmed, offset of the trimmed text) for every line that is neither empty nor a
// comment, until it returns false. Lines end at CR LF, a lone CR or a lone LF.
template <typename F>
bool ForEachLine(std::string_view text, F&& line)
{
    const char* const data = text.data();
    const ptrdiff_t size = static_cast<ptrdiff_t>(text.size());
    ptrdiff_t pos = 0;
    while (pos < size) {
        const char* from = data + pos;
        const auto* lf = static_cast<const char*>(std::memchr(from, '\n', static_cast<size_t>(size - pos)));
        const ptrdiff_t lfPos = lf == nullptr ? size : lf - data;
        const auto* cr = static_cast<const char*>(std::memchr(from, '\r', static_cast<size_t>(lfPos - pos)));
        const ptrdiff_t end = cr == nullptr ? lfPos : cr - data;
        const std::string_view trimmed = Trimmed(std::string_view(from, static_cast<size_t>(end - pos)));
        pos = (cr != nullptr && end + 1 == lfPos) ? end + 2 : end + 1;
        if (trimmed.empty() || trimmed.front() == ';')
            continue;
        if (!line(trimmed, trimmed.data() - data))
            return false;
    }
    return true;
}

bool IsSectionLine(std::string_view line)
{
    return line.size() >= 2 && line.front() == '[' && line.back() == ']';
}

// The lines a reader keeps: sections, and the lines after the first section.
int64_t KeptLines(std::string_view text)
{
    int64_t kept = 0;
    bool inSection = false;
    ForEachLine(text, [&](std::string_view line, ptrdiff_t) {
        const bool isSection = IsSectionLine(line);
        inSection = inSection || isSection;
        if (inSection)
            ++kept;
        return true;
    });
    return kept;
}

// Names are scanned eight bytes at a time: the fuzz targets spend most of their time in such
// loops, and a settings file's names are mostly over eight characters.
uint64_t Word(const char* p)
{
    uint64_t w = 0;
    std::memcpy(&w, p, sizeof w);
    return w;
}

// The bytes after the last whole word of the name (fewer than eight), zero-filled.
uint64_t Tail(const char* name, size_t size)
{
    static_assert(std::endian::native == std::endian::little);
    const size_t tail = size % 8;
    if (tail == 0)
        return 0;
    if (size >= 8)
        return Word(name + size - 8) >> (8 * (8 - tail));
    uint64_t w = 0;
    std::memcpy(&w, name, tail);
    return w;
}

constexpr uint64_t kHigh = 0x8080808080808080ULL;

bool IsAscii(std::string_view s)
{
    const char* p = s.data();
    const size_t words = s.size() / 8;
    uint64_t any = 0;
    for (size_t i = 0; i < words; ++i)
        any |= Word(p + 8 * i);
    any |= Tail(p, s.size());
    return (any & kHigh) == 0;
}

// ASCII A-Z to a-z in each byte of a word; every other byte as it is.
uint64_t LowerWord(uint64_t w)
{
    const uint64_t low = w & ~kHigh;
    const uint64_t atLeastA = low + 0x3F3F3F3F3F3F3F3FULL;  // high bit set from 'A' (0x41) on
    const uint64_t beyondZ = low + 0x2525252525252525ULL;   // high bit set after 'Z' (0x5A)
    const uint64_t upper = atLeastA & ~beyondZ & ~w & kHigh;
    return w | upper >> 2;
}

bool SameKey(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    const char* x = a.data();
    const char* y = b.data();
    const size_t words = a.size() / 8;
    uint64_t diff = 0;
    for (size_t i = 0; i < words; ++i)
        diff |= LowerWord(Word(x + 8 * i)) ^ LowerWord(Word(y + 8 * i));
    diff |= LowerWord(Tail(x, a.size())) ^ LowerWord(Tail(y, a.size()));
    return diff == 0;
}

uint32_t HashKey(std::string_view key, uint64_t seed)
{
    const char* p = key.data();
    const size_t words = key.size() / 8;
    uint64_t h = (seed + static_cast<uint64_t>(key.size())) * 0x9E3779B97F4A7C15ULL;
    for (size_t i = 0; i < words; ++i)
        h = (h ^ LowerWord(Word(p + 8 * i))) * 0xFF51AFD7ED558CCDULL;
    h = (h ^ LowerWord(Tail(p, key.size()))) * 0xFF51AFD7ED558CCDULL;
    // Names differ mostly in their last digits: mix every bit into the low ones the table uses.
    h ^= h >> 33;
    h *= 0xC4CEB9FE1A85EC53ULL;
    return static_cast<uint32_t>(h ^ (h >> 33));
}

// A name as it is compared: ASCII names as they are (compared ignoring ASCII case), others
// case-folded as a whole, character by character (bytes that are not UTF-8 as U+FFFD).
std::string FoldedNonAscii(std::string_view name)
{
    std::string folded;
    folded.reserve(name.size());
    for (size_t i = 0; i < name.size();) {
        char32_t c = 0xFFFD;
        const size_t n = IniTextCodec::SequenceAt(name, i, c);
        i += n == 0 ? 1 : n;
        IniTextCodec::AppendUtf8(folded, n == 0 ? char32_t(0xFFFD) : CaseFoldTable::Fold(c));
    }
    return folded;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

size_t SlotsFor(size_t count)
{
    return std::bit_ceil(std::max<size_t>(16, count * 4));
}

}  // namespace

IniDocument IniDocument::FromBytes(std::string_view bytes, std::string name)
{
    std::optional<IniFileError> error;
    std::optional<IniDocument> doc = TryFromBytes(bytes, std::move(name), error);
    if (!doc)
        throw *error;
    return std::move(*doc);
}

std::optional<IniDocument> IniDocument::TryFromBytes(std::string_view bytes, std::string name,
                                                     std::optional<IniFileError>& error)
{
    if (static_cast<int64_t>(bytes.size()) > kMaxFileSize) {
        error.emplace(IniFileError::Action::Read, name, Reason::TooLarge, kMaxMebibytes);
        return std::nullopt;
    }
    IniDocument doc;
    doc.name_ = std::move(name);
    doc.text_ = IniTextCodec::ToUtf8(bytes, &doc.replaced_);
    if (!doc.Parse()) {
        error.emplace(IniFileError::Action::Read, doc.name_, Reason::TooManyLines, kMaxLines);
        return std::nullopt;
    }
    return doc;
}

IniDocument IniDocument::FromText(std::string_view utf8, std::string name)
{
    IniDocument doc;
    doc.name_ = std::move(name);
    doc.text_ = std::string(utf8);
    if (!doc.Parse())
        throw IniFileError(IniFileError::Action::Read, doc.name_, Reason::TooManyLines, kMaxLines);
    return doc;
}

bool IniDocument::Parse()
{
    const std::string_view all(text_);
    // One allocation for the entries of an ordinary file rather than a growing series.
    const auto lines = static_cast<size_t>(std::count(all.begin(), all.end(), '\n')) + 1;
    entries_.reserve(std::min<size_t>(lines, 4096));
    int64_t kept = 0;
    int32_t current = -1;
    const bool parsed = ForEachLine(all, [&](std::string_view line, ptrdiff_t at) {
        const bool isSection = IsSectionLine(line);
        if (!isSection && current < 0)
            return true;
        if (++kept > kMaxLines)
            return false;
        if (isSection) {
            const std::string_view name = Trimmed(line.substr(1, line.size() - 2));
            current = AddSection(Span{name.data() - all.data(), static_cast<ptrdiff_t>(name.size())});
            return true;
        }
        const size_t eq = line.find('=');
        if (eq == std::string_view::npos) {
            AddEntry(static_cast<uint32_t>(current), Span{at, static_cast<ptrdiff_t>(line.size())}, Span{}, false, false);
            return true;
        }
        const std::string_view name = Trimmed(line.substr(0, eq));
        const std::string_view value = Trimmed(line.substr(eq + 1));
        AddEntry(static_cast<uint32_t>(current), Span{name.data() - all.data(), static_cast<ptrdiff_t>(name.size())},
                 Span{value.data() - all.data(), static_cast<ptrdiff_t>(value.size())}, true, false);
        return true;
    });
    if (!parsed)
        return false;
    IndexEntries();
    return true;
}

IniDocument::Span IniDocument::Append(std::string_view bytes)
{
    const Span s{static_cast<ptrdiff_t>(text_.size()), static_cast<ptrdiff_t>(bytes.size())};
    text_.append(bytes);
    return s;
}

IniDocument::Span IniDocument::KeyOf(Span name)
{
    if (IsAscii(View(name)))
        return name;
    // Kept apart from text_, which may be the text being parsed.
    const std::string folded = FoldedNonAscii(View(name));
    const Span key{-1 - static_cast<ptrdiff_t>(folded_.size()), static_cast<ptrdiff_t>(folded.size())};
    folded_.append(folded);
    return key;
}

std::string_view IniDocument::KeyView(Span s) const
{
    return s.pos >= 0 ? View(s)
                      : std::string_view(folded_).substr(static_cast<size_t>(-1 - s.pos), static_cast<size_t>(s.size));
}

int32_t IniDocument::FindSection(std::string_view key) const
{
    if (sectionSlots_.empty())
        return -1;
    const uint32_t hash = HashKey(key, 0);
    const size_t mask = sectionSlots_.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        const int32_t s = sectionSlots_[i];
        if (s < 0)
            return s;
        const Section& section = sections_[static_cast<size_t>(s)];
        if (section.hash == hash && SameKey(KeyView(section.key), key))
            return s;
    }
}

int32_t IniDocument::FindEntry(uint32_t section, std::string_view key) const
{
    if (entrySlots_.empty())
        return -1;
    const uint32_t hash = HashKey(key, section + 1);
    const size_t mask = entrySlots_.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        const int32_t e = entrySlots_[i];
        if (e < 0)
            return -1;
        const Entry& entry = entries_[static_cast<size_t>(e)];
        if (entry.hash == hash && entry.section == section && SameKey(KeyView(entry.key), key))
            return e;
    }
}
namespace {

// Puts index into the open-addressing table at its hash unless an earlier item of the same name
// (sameAs) is there already: the first of several equal names stays the one found.
template <class SameAs>
void InsertSlot(std::vector<int32_t>& table, uint32_t hash, int32_t index, SameAs sameAs)
{
    const size_t mask = table.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        int32_t& slot = table[i];
        if (slot < 0) {
            slot = index;
            return;
        }
        if (sameAs(slot))
            return;
    }
}

}  // namespace

void IniDocument::IndexSection(int32_t index)
{
    const Section& s = sections_[static_cast<size_t>(index)];
    InsertSlot(sectionSlots_, s.hash, index, [&](int32_t slot) {
        const Section& other = sections_[static_cast<size_t>(slot)];
        return other.hash == s.hash && SameKey(KeyView(other.key), KeyView(s.key));
    });
}

void IniDocument::IndexEntry(int32_t index)
{
    const Entry& e = entries_[static_cast<size_t>(index)];
    if (!e.hasValue)
        return;
    InsertSlot(entrySlots_, e.hash, index, [&](int32_t slot) {
        const Entry& other = entries_[static_cast<size_t>(slot)];
        return other.hash == e.hash && other.section == e.section && SameKey(KeyView(other.key), KeyView(e.key));
    });
}

void IniDocument::IndexEntries()
{
    entrySlots_.assign(SlotsFor(entries_.size()), -1);
    for (size_t i = 0; i < entries_.size(); ++i)
        IndexEntry(static_cast<int32_t>(i));
}

int32_t IniDocument::AddSection(Span name)
{
    Section s;
    s.name = name;
    s.key = KeyOf(name);
    s.hash = HashKey(KeyView(s.key), 0);
    sections_.push_back(s);
    const auto index = static_cast<int32_t>(sections_.size() - 1);
    if (sectionSlots_.size() < 2 * sections_.size()) {
        sectionSlots_.assign(SlotsFor(sections_.size()), -1);
        for (int32_t i = 0; i <= index; ++i)
            IndexSection(i);
    } else {
        IndexSection(index);
    }
    return index;
}

void IniDocument::AddEntry(uint32_t section, Span name, Span value, bool hasValue, bool index)
{
    Entry e;
    e.name = name;
    e.key = hasValue ? KeyOf(name) : name;
    e.value = value;
    e.section = section;
    e.hash = hasValue ? HashKey(KeyView(e.key), section + 1) : 0;
    e.hasValue = hasValue;
    entries_.push_back(e);
    const auto at = static_cast<int32_t>(entries_.size() - 1);
    Section& s = sections_[section];
    if (s.last < 0)
        s.first = at;
    else
        entries_[static_cast<size_t>(s.last)].next = at;
    s.last = at;
    ++s.lines;
    if (!index)
        return;
    if (entrySlots_.size() < 2 * entries_.size())
        IndexEntries();
    else
        IndexEntry(at);
}

int32_t IniDocument::SectionOf(std::string_view section) const
{
    if (IsAscii(section))
        return FindSection(section);
    return FindSection(FoldedNonAscii(section));
}

int32_t IniDocument::MakeSection(std::string_view section)
{
    const int32_t s = SectionOf(section);
    return s >= 0 ? s : AddSection(Append(section));
}

std::optional<std::string_view> IniDocument::FindIn(int32_t section, std::string_view name) const
{
    if (section < 0)
        return std::nullopt;
    const auto s = static_cast<uint32_t>(section);
    const int32_t e = IsAscii(name) ? FindEntry(s, name) : FindEntry(s, FoldedNonAscii(name));
    if (e < 0)
        return std::nullopt;
    return View(entries_[static_cast<size_t>(e)].value);
}

void IniDocument::SetIn(int32_t section, std::string_view name, std::string_view value)
{
    const auto s = static_cast<uint32_t>(section);
    const int32_t e = IsAscii(name) ? FindEntry(s, name) : FindEntry(s, FoldedNonAscii(name));
    if (e >= 0) {
        const Span v = Append(value);
        entries_[static_cast<size_t>(e)].value = v;
        return;
    }
    const Span n = Append(name);
    const Span v = Append(value);
    AddEntry(s, n, v, true);
}

std::optional<std::string_view> IniDocument::Find(std::string_view section, std::string_view name) const
{
    return FindIn(SectionOf(section), name);
}

void IniDocument::Set(std::string_view section, std::string_view name, std::string_view value)
{
    SetIn(MakeSection(section), name, value);
}

std::string IniDocument::ReadString(std::string_view section, std::string_view name, std::string_view def) const
{
    const auto value = Find(section, name);
    return std::string(value ? *value : def);
}

int32_t IniDocument::ReadInteger(std::string_view section, std::string_view name, int32_t def) const
{
    const auto text = Find(section, name);
    int32_t value = 0;
    return text && ParseInteger(*text, value) ? value : def;
}

void IniDocument::WriteString(std::string_view section, std::string_view name, std::string_view value)
{
    Set(section, name, value);
}

void IniDocument::WriteInteger(std::string_view section, std::string_view name, int32_t value)
{
    Set(section, name, std::to_string(value));
}

void IniDocument::Clear()
{
    text_.clear();
    folded_.clear();
    sections_.clear();
    entries_.clear();
    sectionSlots_.clear();
    entrySlots_.clear();
}

bool IniDocument::HasSection(std::string_view section) const
{
    return SectionOf(section) >= 0;
}

int64_t IniDocument::LineCount(std::string_view section) const
{
    const int32_t s = SectionOf(section);
    return s < 0 ? 0 : sections_[static_cast<size_t>(s)].lines;
}

void IniDocument::ForEachName(std::string_view section, const std::function<void(std::string_view)>& visit) const
{
    const int32_t s = SectionOf(section);
    if (s < 0)
        return;
    for (int32_t e = sections_[static_cast<size_t>(s)].first; e >= 0; e = entries_[static_cast<size_t>(e)].next)
        if (entries_[static_cast<size_t>(e)].hasValue)
            visit(View(entries_[static_cast<size_t>(e)].name));
}

std::string IniDocument::Bytes() const
{
    ptrdiff_t size = 0;
    for (const Section& s : sections_)
        size += s.name.size + 6;  // "[", "]", two line ends
    for (const Entry& e : entries_)
        size += e.name.size + (e.hasValue ? 1 + e.value.size : 0) + 2;
    // Filled in place: one allocation, no per-piece appending.
    std::string out(static_cast<size_t>(size), '\0');
    char* o = out.data();
    const char* const text = text_.data();
    const auto put = [&o](const char* from, ptrdiff_t n) {
        std::memcpy(o, from, static_cast<size_t>(n));
        o += n;
    };
    for (const Section& s : sections_) {
        *o++ = '[';
        put(text + s.name.pos, s.name.size);
        put("]\r\n", 3);
        for (int32_t i = s.first; i >= 0; i = entries_[static_cast<size_t>(i)].next) {
            const Entry& e = entries_[static_cast<size_t>(i)];
            put(text + e.name.pos, e.name.size);
            if (e.hasValue) {
                *o++ = '=';
                put(text + e.value.pos, e.value.size);
            }
            put("\r\n", 2);
        }
        put("\r\n", 2);
    }
    return out;
}

bool IniDocument::IsReadable(std::string_view bytes, IniFileError::Reason* why, int64_t* limit)
{
    const auto refuse = [&](Reason reason, int64_t n) {
        if (why != nullptr)
            *why = reason;
        if (limit != nullptr)
            *limit = n;
        return false;
    };
    if (static_cast<int64_t>(bytes.size()) > kMaxFileSize)
        return refuse(Reason::WouldBeTooLarge, kMaxMebibytes);
    if (KeptLines(IniTextCodec::ToUtf8(bytes)) > kMaxLines)
        return refuse(Reason::WouldHoldTooManyLines, kMaxLines);
    return true;
}

bool IniDocument::ParseInteger(std::string_view text, int32_t& value)
{
    const size_t size = text.size();
    size_t pos = 0;
    if (size >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        pos = 2;
    else if (size >= 1 && text[0] == '$')
        pos = 1;
    if (pos > 0) {
        if (pos == size)
            return false;
        uint64_t v = 0;
        for (; pos < size; ++pos) {
            const int d = HexDigit(text[pos]);
            if (d < 0)
                return false;
            v = v * 16 + static_cast<uint64_t>(d);
            if (v > 0xFFFFFFFFu)
                return false;
        }
        value = static_cast<int32_t>(static_cast<uint32_t>(v));
        return true;
    }

    bool negative = false;
    if (pos < size && (text[pos] == '-' || text[pos] == '+')) {
        negative = text[pos] == '-';
        ++pos;
    }
    if (pos == size)
        return false;
    const int64_t limit = negative ? 2147483648LL : 2147483647LL;
    int64_t v = 0;
    for (; pos < size; ++pos) {
        const char c = text[pos];
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + (c - '0');
        if (v > limit)
            return false;
    }
    value = static_cast<int32_t>(negative ? -v : v);
    return true;
}
