#include "AppSettingsText.h"

#include "IniDocument.h"
#include "IniTextCodec.h"

#include <algorithm>
#include <vector>

namespace {

constexpr std::string_view kSection = "VxrManager";
constexpr std::string_view kCommPort = "CommPort";
constexpr std::string_view kPorts = "Ports";
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

// text with the CommPort entry of the first VxrManager section set to index; every other
// character as it was. The line ends of new lines follow the file's first line end.
std::string WithCommPortText(const std::string& text, int index)
{
    std::vector<Line> lines = SplitLines(text);
    std::string eol = "\r\n";
    for (const Line& l : lines) {
        if (!l.end.empty()) {
            eol = l.end;
            break;
        }
    }
    const std::string value = std::to_string(index);
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
            if (SameName(Trimmed(line.substr(1, line.size() - 2)), kSection))
                header = lastContent = i;
            continue;
        }
        if (header < 0 || line.empty() || line.front() == ';')
            continue;
        lastContent = i;
        const size_t eq = body.find('=');
        if (eq == std::string::npos || !SameName(Trimmed(std::string_view(body).substr(0, eq)), kCommPort))
            continue;
        int32_t stored = 0;
        const std::string_view old = Trimmed(std::string_view(body).substr(eq + 1));
        if (IniDocument::ParseInteger(old, stored) && stored == index)
            return text;
        size_t from = eq + 1;
        while (from < body.size() && IsBlank(body[from]))
            ++from;
        body = body.substr(0, from) + value + body.substr(from + old.size());
        return joined();
    }

    const std::string entry = std::string(kCommPort) + '=' + value + eol;
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
    return out + '[' + std::string(kSection) + ']' + eol + entry;
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
    // What the document refuses (huge files, too many lines) is not rewritten either.
    if (!Document(bytes))
        return std::nullopt;
    const std::string text = IniTextCodec::ToUtf8(bytes);
    const std::string updated = WithCommPortText(text, index);
    if (updated == text)
        return std::nullopt;
    const bool bom = bytes.starts_with(kBom);
    return (bom ? std::string(kBom) : std::string()) + updated;
}
