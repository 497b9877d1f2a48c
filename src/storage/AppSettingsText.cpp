#include "AppSettingsText.h"

#include "IniDocument.h"
#include "IniTextCodec.h"

#include <algorithm>
#include <functional>
#include <vector>

namespace {

constexpr std::string_view kSection = "VxrManager";
constexpr std::string_view kCommPort = "CommPort";
constexpr std::string_view kPorts = "Ports";
constexpr std::string_view kRecent = "Recent";
constexpr std::string_view kBom = "\xEF\xBB\xBF";

std::optional<IniDocument> Document(std::string_view bytes)
{
    std::optional<IniFileError> error;
    return IniDocument::TryFromBytes(bytes, {}, error);
}

// Blanks, section headers, comments and entry names as IniDocument reads them, so the line
// changed here is the one the next load reads.
bool IsBlank(char c)
{
    return static_cast<unsigned char>(c) <= 0x20;
}

std::string_view Trimmed(std::string_view s)
{
    size_t b = 0;
    size_t e = s.size();
    while (b < e && IsBlank(s[b]))
        ++b;
    while (e > b && IsBlank(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

// The names compared here are ASCII; no other character folds to one of their letters.
bool SameName(std::string_view a, std::string_view b)
{
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

struct Line {
    std::string body;
    std::string end;  // "\r\n", "\n", "\r", or empty for a last line without one
};

// A line ends at CR LF, a lone CR or a lone LF.
std::vector<Line> SplitLines(std::string_view text)
{
    std::vector<Line> lines;
    size_t pos = 0;
    const size_t size = text.size();
    while (pos < size) {
        size_t end = pos;
        while (end < size && text[end] != '\r' && text[end] != '\n')
            ++end;
        Line line{std::string(text.substr(pos, end - pos)), {}};
        if (end < size)
            line.end = (end + 1 < size && text[end] == '\r' && text[end + 1] == '\n') ? "\r\n" : std::string(1, text[end]);
        pos = end + line.end.size();
        lines.push_back(std::move(line));
    }
    return lines;
}

// text with the entry `name` of the first section `section` set to value; every other
// character as it was. The line ends of new lines follow the file's first line end. same tells
// a stored value that needs no change.
std::string WithEntryText(const std::string& text, std::string_view section, std::string_view name,
                          const std::string& value, const std::function<bool(std::string_view)>& same)
{
    std::vector<Line> lines = SplitLines(text);
    std::string eol = "\r\n";
    for (const Line& l : lines) {
        if (!l.end.empty()) {
            eol = l.end;
            break;
        }
    }
    const auto joined = [&lines] {
        std::string out;
        for (const Line& l : lines)
            out += l.body + l.end;
        return out;
    };

    ptrdiff_t header = -1;       // the section's header line
    ptrdiff_t lastContent = -1;  // its last line that is neither blank nor a comment
    for (ptrdiff_t i = 0; i < static_cast<ptrdiff_t>(lines.size()); ++i) {
        std::string& body = lines[static_cast<size_t>(i)].body;
        const std::string_view line = Trimmed(body);
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            if (header >= 0)
                break;  // the section ends; a later one of the same name is never read
            if (SameName(Trimmed(line.substr(1, line.size() - 2)), section))
                header = lastContent = i;
            continue;
        }
        if (header < 0 || line.empty() || line.front() == ';')
            continue;
        lastContent = i;
        const size_t eq = body.find('=');
        if (eq == std::string::npos || !SameName(Trimmed(std::string_view(body).substr(0, eq)), name))
            continue;
        const std::string_view old = Trimmed(std::string_view(body).substr(eq + 1));
        if (same(old))
            return text;
        size_t from = eq + 1;
        while (from < body.size() && IsBlank(body[from]))
            ++from;
        body = body.substr(0, from) + value + body.substr(from + old.size());
        return joined();
    }

    const std::string entry = std::string(name) + '=' + value + eol;
    std::string out;
    if (header >= 0) {
        // A section without the entry: after its last entry, before any blank lines and
        // comments that lead to the next section.
        for (ptrdiff_t i = 0; i < static_cast<ptrdiff_t>(lines.size()); ++i) {
            const Line& l = lines[static_cast<size_t>(i)];
            out += l.body + (l.end.empty() && i == lastContent ? eol : l.end);
            if (i == lastContent)
                out += entry;
        }
        return out;
    }
    out = text;
    if (!lines.empty()) {
        if (lines.back().end.empty())
            out += eol;
        if (!Trimmed(lines.back().body).empty())
            out += eol;  // a blank line before the new section
    }
    return out + '[' + std::string(section) + ']' + eol + entry;
}

// The file's bytes with its text changed by edit; nothing when unchanged or beyond the bounds of
// a settings file. A byte-order mark of UTF-8 stays.
std::optional<std::string> Edited(std::string_view bytes, const std::function<std::string(std::string)>& edit)
{
    // What the document refuses (huge files, too many lines) is not rewritten either.
    if (!Document(bytes))
        return std::nullopt;
    const std::string text = IniTextCodec::ToUtf8(bytes);
    const std::string updated = edit(text);
    if (updated == text)
        return std::nullopt;
    const bool bom = bytes.starts_with(kBom);
    return (bom ? std::string(kBom) : std::string()) + updated;
}

}  // namespace

std::optional<int> AppSettingsText::CommPort(std::string_view bytes)
{
    const std::optional<IniDocument> doc = Document(bytes);
    if (!doc)
        return std::nullopt;
    return doc->ReadInteger(kSection, kCommPort, 0);
}

std::optional<std::map<int, std::string>> AppSettingsText::PortTable(std::string_view bytes)
{
    const std::optional<IniDocument> doc = Document(bytes);
    if (!doc)
        return std::nullopt;
    std::map<int, std::string> ports;
    const int32_t section = doc->SectionOf(kPorts);
    for (int n = 1; n <= kMaxPort; ++n) {
        const auto device = doc->FindIn(section, "COM" + std::to_string(n));
        if (device && !device->empty())
            ports.emplace(n, std::string(*device));
    }
    return ports;
}

std::optional<std::string> AppSettingsText::WithCommPort(std::string_view bytes, int index)
{
    return Edited(bytes, [index](const std::string& text) {
        return WithEntryText(text, kSection, kCommPort, std::to_string(index), [index](std::string_view old) {
            int32_t stored = 0;
            return IniDocument::ParseInteger(old, stored) && stored == index;
        });
    });
}

std::vector<std::string> AppSettingsText::RecentFiles(std::string_view bytes)
{
    std::vector<std::string> files;
    const std::optional<IniDocument> doc = Document(bytes);
    if (!doc)
        return files;
    const int32_t section = doc->SectionOf(kRecent);
    for (int n = 1; n <= kMaxRecent; ++n) {
        const auto file = doc->FindIn(section, "File" + std::to_string(n));
        if (file && !file->empty() && std::find(files.begin(), files.end(), *file) == files.end())
            files.emplace_back(*file);
    }
    return files;
}

std::optional<std::string> AppSettingsText::WithRecentFile(std::string_view bytes, const std::string& path)
{
    // The newest first, each file once; the oldest beyond the last place goes.
    std::vector<std::string> files = RecentFiles(bytes);
    files.erase(std::remove(files.begin(), files.end(), path), files.end());
    files.insert(files.begin(), path);
    if (files.size() > static_cast<size_t>(kMaxRecent))
        files.resize(kMaxRecent);
    return Edited(bytes, [&files](std::string text) {
        for (int n = 1; n <= kMaxRecent; ++n) {
            const std::string value = n <= static_cast<int>(files.size()) ? files[static_cast<size_t>(n - 1)] : std::string();
            text = WithEntryText(text, kRecent, "File" + std::to_string(n), value,
                                 [&value](std::string_view old) { return old == value; });
        }
        return text;
    });
}
