#include "HistoryEntry.h"

#include <array>
#include <charconv>

#include "SettingsFile.h"
#include "TextTable.h"

namespace {

constexpr std::string_view kMagic = "VXRMGR-HISTORY 1";

constexpr std::array<std::string_view, 5> kActionNames = {"read", "write", "before-write", "read-model",
                                                            "write-model"};

bool ToInt64(std::string_view text, int64_t& value)
{
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end && !text.empty();
}

std::string ModelList(uint8_t mask)
{
    std::string out;
    for (int i = 0; i < ModelBank::kModels; ++i) {
        if (mask & (1u << i)) {
            if (!out.empty())
                out += ',';
            out += std::to_string(i + 1);
        }
    }
    return out;
}

std::optional<uint8_t> ModelMask(std::string_view text)
{
    uint8_t mask = 0;
    while (!text.empty()) {
        const size_t comma = text.find(',');
        int64_t n = 0;
        if (!ToInt64(text.substr(0, comma), n) || n < 1 || n > ModelBank::kModels)
            return std::nullopt;
        mask = static_cast<uint8_t>(mask | (1u << (n - 1)));
        text = comma == std::string_view::npos ? std::string_view{} : text.substr(comma + 1);
    }
    return mask;
}

// Days since 1970-01-01 to a civil date (proleptic Gregorian).
void CivilFromDays(int64_t z, int64_t& y, unsigned& m, unsigned& d)
{
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = static_cast<int64_t>(yoe) + era * 400 + (m <= 2 ? 1 : 0);
}

std::string TwoDigits(unsigned v)
{
    return std::string(1, static_cast<char>('0' + v / 10 % 10)) + static_cast<char>('0' + v % 10);
}

}  // namespace

std::string_view HistoryEntry::ActionName(Action action)
{
    return kActionNames[static_cast<size_t>(action)];
}

std::optional<HistoryEntry::Action> HistoryEntry::ActionFrom(std::string_view name)
{
    for (size_t k = 0; k < kActionNames.size(); ++k)
        if (kActionNames[k] == name)
            return static_cast<Action>(k);
    return std::nullopt;
}

std::string HistoryEntry::ActionText(Action action, int model, int language)
{
    // A transfer of one model always names it; without one, no number rather than a wrong one.
    const bool oneModel = model >= 0 && model < ModelBank::kModels;
    const std::string number = oneModel ? std::to_string(model + 1) : std::string();
    switch (action) {
    case Action::Read: return TextTable::Message(TextTable::kActionRead, language);
    case Action::Write: return TextTable::Message(TextTable::kActionWrite, language);
    case Action::BeforeWrite: {
        std::string text = TextTable::Message(TextTable::kActionBeforeWrite, language);
        return oneModel ? text + " (MODEL" + number + ")" : text;
    }
    case Action::ReadModel: return TextTable::ReplaceStars(TextTable::Message(TextTable::kActionReadModel, language), {number});
    case Action::WriteModel: return TextTable::ReplaceStars(TextTable::Message(TextTable::kActionWriteModel, language), {number});
    }
    return {};
}

std::string HistoryEntry::OneLine(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            c = ' ';
    return out;
}

std::string HistoryEntry::IsoTime(int64_t timeMs)
{
    int64_t secs = timeMs / 1000;
    if (timeMs % 1000 < 0)
        --secs;
    int64_t days = secs / 86400;
    int64_t rest = secs % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    int64_t y = 0;
    unsigned m = 0;
    unsigned d = 0;
    CivilFromDays(days, y, m, d);
    const auto r = static_cast<unsigned>(rest);
    std::string year = std::to_string(y);
    if (y >= 0 && year.size() < 4)
        year.insert(0, 4 - year.size(), '0');
    return year + '-' + TwoDigits(m) + '-' + TwoDigits(d) + 'T' + TwoDigits(r / 3600) + ':' +
           TwoDigits(r / 60 % 60) + ':' + TwoDigits(r % 60) + 'Z';
}

uint8_t HistoryEntry::Differences(const ModelBank& a, const ModelBank& b)
{
    uint8_t mask = 0;
    for (size_t i = 0; i < ModelBank::kModels; ++i)
        if (!(a.models[i] == b.models[i]))
            mask = static_cast<uint8_t>(mask | (1u << i));
    return mask;
}

std::optional<ModelBank> HistoryEntry::Bank() const
{
    ModelBank fresh;
    fresh.Initialise();
    SettingsLoadResult loaded = SettingsFile::Read(settings, fresh);
    if (!loaded.Loaded())
        return std::nullopt;
    return loaded.bank;
}

std::string HistoryEntry::FirstMemoLine() const
{
    const std::optional<ModelBank> bank = Bank();
    if (!bank)
        return {};
    auto firstLine = [](const std::string& memo) -> std::string {
        for (const std::string& line : SettingsFile::SplitMemoLines(memo))
            if (line.find_first_not_of(" \t") != std::string::npos)
                return line;
        return {};
    };
    const int concerned = model >= 0 ? ModelBank::ClampIndex(model) : bank->ShownIndex();
    std::string line = firstLine(bank->Model(concerned).MEMO);
    for (size_t i = 0; line.empty() && i < ModelBank::kModels; ++i)
        line = firstLine(bank->models[i].MEMO);
    return line;
}

std::string HistoryEntry::Encode() const
{
    std::string out;
    out.reserve(settings.size() + 160);
    out += kMagic;
    out += "\r\ntime=" + std::to_string(timeMs);
    out += "\r\naction=";
    out += ActionName(action);
    out += "\r\nmodel=" + std::to_string(model < 0 ? 0 : ModelBank::ClampIndex(model) + 1);
    out += "\r\nport=" + OneLine(port);
    out += "\r\nname=" + OneLine(name);
    out += "\r\nchanged=" + ModelList(changed);
    out += "\r\nsize=" + std::to_string(settings.size());
    out += "\r\n\r\n";
    out += settings;
    return out;
}

std::optional<HistoryEntry> HistoryEntry::Decode(std::string_view bytes)
{
    HistoryEntry e;
    bool first = true;
    bool haveTime = false;
    bool haveAction = false;
    std::optional<int64_t> size;
    for (;;) {
        const size_t lf = bytes.find('\n');
        if (lf == std::string_view::npos)
            return std::nullopt;  // the header never ended: cut short
        std::string_view line = bytes.substr(0, lf);
        bytes.remove_prefix(lf + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (first) {
            if (line != kMagic)
                return std::nullopt;
            first = false;
            continue;
        }
        if (line.empty())
            break;
        const size_t eq = line.find('=');
        if (eq == std::string_view::npos)
            return std::nullopt;
        const std::string_view key = line.substr(0, eq);
        const std::string_view value = line.substr(eq + 1);
        int64_t n = 0;
        if (key == "time") {
            if (!ToInt64(value, n))
                return std::nullopt;
            e.timeMs = n;
            haveTime = true;
        } else if (key == "action") {
            const auto action = ActionFrom(value);
            if (!action)
                return std::nullopt;
            e.action = *action;
            haveAction = true;
        } else if (key == "model") {
            if (!ToInt64(value, n) || n < 0 || n > ModelBank::kModels)
                return std::nullopt;
            e.model = static_cast<int>(n) - 1;
        } else if (key == "port") {
            e.port = value;
        } else if (key == "name") {
            e.name = value;
        } else if (key == "changed") {
            const auto mask = ModelMask(value);
            if (!mask)
                return std::nullopt;
            e.changed = *mask;
        } else if (key == "size") {
            if (!ToInt64(value, n) || n < 0)
                return std::nullopt;
            size = n;
        }
        // Other keys come from a later version: skipped.
    }
    // The size tells an entry cut short (or run on) from a whole one: a settings file cut short
    // still loads, with defaults for what is missing.
    if (!haveTime || !haveAction || !size || static_cast<uint64_t>(*size) != bytes.size())
        return std::nullopt;
    e.settings = bytes;
    if (!e.Bank())
        return std::nullopt;
    return e;
}
