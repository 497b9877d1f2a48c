#include "SettingsFile.h"

#include "IniDocument.h"
#include "IniFileError.h"
#include "IniTextCodec.h"
#include "NotSettingsFileError.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {

constexpr std::string_view kSection = "VxrManager";
static_assert(SettingsFile::kMaxMemoLines == IniDocument::kMaxLines - 1 - 2 - ModelBank::kModels * 37);

// A missing legacy model text reads as this: NBRK 0, BFREQ 16 and 47 for every point.
constexpr std::u16string_view kLegacyDefaultModel =
    u"000010050A030500FF1010101010101010101010101010101010101010101010101010101010101010";

// An entry name such as MDL2_MEMO17, or a number's text, built without allocating.
class Name {
public:
    explicit Name(int64_t number) { Add(number); }
    Name(int model, std::string_view field, int64_t number = -1)
    {
        Add("MDL");
        Add(model + 1);
        Add("_");
        Add(field);
        if (number >= 0)
            Add(number);
    }
    operator std::string_view() const { return std::string_view(text_.data(), size_); }

private:
    void Add(std::string_view part)
    {
        std::memcpy(text_.data() + size_, part.data(), part.size());
        size_ += part.size();
    }
    void Add(int64_t number)
    {
        std::array<char, 20> digits{};
        size_t n = 0;
        uint64_t u = number < 0 ? 0 - static_cast<uint64_t>(number) : static_cast<uint64_t>(number);
        do {
            digits[n++] = static_cast<char>('0' + u % 10);
            u /= 10;
        } while (u != 0);
        if (number < 0)
            text_[size_++] = '-';
        while (n > 0)
            text_[size_++] = digits[--n];
    }

    std::array<char, 48> text_{};
    size_t size_ = 0;
};

// The names of each model's fixed entries, made once: every load looks them all up and every
// save writes them.
struct ModelNames {
    std::string nbrk, bfreq, vlt, prog, memoCount;
    std::array<std::string, ModelSettings::kFrqPoints> frq;
};

const std::array<ModelNames, ModelBank::kModels>& Names()
{
    static const auto names = [] {
        std::array<ModelNames, ModelBank::kModels> all;
        for (int m = 0; m < ModelBank::kModels; ++m) {
            ModelNames& n = all[static_cast<size_t>(m)];
            const auto name = [m](std::string_view field, int64_t number = -1) {
                return std::string(std::string_view(Name(m, field, number)));
            };
            n.nbrk = name("NBRK");
            n.bfreq = name("BFREQ");
            n.vlt = name("VLT");
            n.prog = name("PROG");
            n.memoCount = name("MEMO0");
            for (int k = 0; k < ModelSettings::kFrqPoints; ++k)
                n.frq[static_cast<size_t>(k)] = name("FRQ", k + 1);
        }
        return all;
    }();
    return names;
}

// Calls line(text) for each line of a memo, as SplitMemoLines splits it.
template <typename F>
void ForEachMemoLine(const std::string& memo, F&& line)
{
    size_t pos = 0;
    const size_t size = memo.size();
    while (pos < size) {
        const size_t end = memo.find_first_of("\r\n", pos);
        if (end == std::string::npos) {
            line(std::string_view(memo).substr(pos));
            break;
        }
        line(std::string_view(memo).substr(pos, end - pos));
        pos = (memo[end] == '\r' && end + 1 < size && memo[end + 1] == '\n') ? end + 2 : end + 1;
    }
}


// The settings section of the document being read, found once.
struct Settings {
    const IniDocument& doc;
    int32_t section;
};

int32_t ReadInteger(const Settings& in, std::string_view name, int32_t def)
{
    const auto text = in.doc.FindIn(in.section, name);
    int32_t value = 0;
    return text && IniDocument::ParseInteger(*text, value) ? value : def;
}

// Characters first and first + 1, counted from 1 (in UTF-16 units, as the layout was read
// before); a position beyond the end is not a digit.
int32_t LegacyPair(std::u16string_view text, size_t first, int32_t def)
{
    if (first + 1 > text.size())
        return def;
    return SettingsFile::ParseHex(text.substr(first - 1, 2), def);
}

std::u16string LegacyText(const Settings& in, std::string_view name, std::u16string_view def)
{
    const auto text = in.doc.FindIn(in.section, name);
    return text ? IniTextCodec::ToUtf16(*text) : std::u16string(def);
}

bool SameAscii(std::string_view a, std::string_view b)
{
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

// The highest k of the entries MDLm_MEMOk present, for each model (names without regard to case).
std::array<int64_t, ModelBank::kModels> LastMemoLines(const Settings& in)
{
    std::array<int64_t, ModelBank::kModels> last{};
    in.doc.ForEachName(kSection, [&last](std::string_view name) {
        if (name.size() < 10 || name.size() > 19 || !SameAscii(name.substr(0, 3), "MDL"))
            return;
        const int model = name[3] - '1';
        if (model < 0 || model >= ModelBank::kModels || !SameAscii(name.substr(4, 5), "_MEMO"))
            return;
        const std::string_view digits = name.substr(9);
        if (digits.front() == '0')
            return;  // MEMO0 is the count; leading zeros name no line
        int64_t k = 0;
        for (const char c : digits) {
            if (c < '0' || c > '9')
                return;
            k = k * 10 + (c - '0');
        }
        last[static_cast<size_t>(model)] = std::max(last[static_cast<size_t>(model)], k);
    });
    return last;
}

// False, with the reason, when the memos hold too many lines.
bool ReadCurrent(const Settings& in, ModelBank& bank)
{
    const int32_t shown = ReadInteger(in, "SYS_MDL", 0);
    bank.ModelNumber = ModelBank::ClampIndex(shown) * ModelBank::kModelStep;
    bank.SYS_CUR = ReadInteger(in, "SYS_CUR", ModelBank::kDefaultSysCur);

    const auto last = LastMemoLines(in);
    const auto& names = Names();
    std::array<int64_t, ModelBank::kModels> counts{};
    int64_t total = 0;
    for (int m = 0; m < ModelBank::kModels; ++m) {
        counts[static_cast<size_t>(m)] =
            std::clamp<int64_t>(ReadInteger(in, names[static_cast<size_t>(m)].memoCount, 0), 0, last[static_cast<size_t>(m)]);
        total += counts[static_cast<size_t>(m)];
    }
    if (total > SettingsFile::kMaxMemoLines) {
        return false;
    }

    for (int m = 0; m < ModelBank::kModels; ++m) {
        ModelSettings& model = bank.models[static_cast<size_t>(m)];
        const ModelNames& n = names[static_cast<size_t>(m)];
        model.NBRK = ReadInteger(in, n.nbrk, ModelSettings::kDefaultNBRK);
        model.BFREQ = ReadInteger(in, n.bfreq, ModelSettings::kDefaultBFREQ);
        model.VLT = ReadInteger(in, n.vlt, ModelSettings::kDefaultVLT);
        model.PROG = ReadInteger(in, n.prog, ModelSettings::kDefaultPROG);
        for (int k = 0; k < ModelSettings::kFrqPoints; ++k)
            model.FRQ[static_cast<size_t>(k)] = ReadInteger(in, n.frq[static_cast<size_t>(k)], ModelSettings::kDefaultFRQ);

        // The lines' UTF-8 taken as it is: no conversion can drop or change a character.
        model.MEMO.clear();
        for (int64_t k = 1; k <= counts[static_cast<size_t>(m)]; ++k) {
            if (const auto line = in.doc.FindIn(in.section, Name(m, "MEMO", k)))
                model.MEMO.append(*line);
            model.MEMO += "\r\n";
        }
    }
    return true;
}

void ReadLegacy(const Settings& in, std::u16string_view tag, ModelBank& bank)
{
    // Taken as it is (81 still shows MODEL3), except a number beyond the five models (200..255),
    // which is held to the last one, as the current layout's model index is.
    const int32_t number = LegacyPair(tag, 15, 0);
    const int32_t beyond = ModelBank::kModels * ModelBank::kModelStep;
    bank.ModelNumber = number < beyond ? number : (ModelBank::kModels - 1) * ModelBank::kModelStep;
    for (int m = 0; m < ModelBank::kModels; ++m) {
        ModelSettings& model = bank.models[static_cast<size_t>(m)];
        const std::string name = "FRQ_DATA" + std::to_string(m);
        const std::u16string text = LegacyText(in, name, kLegacyDefaultModel);
        model.NBRK = LegacyPair(text, 3, ModelSettings::kDefaultNBRK);
        model.BFREQ = LegacyPair(text, 5, ModelSettings::kDefaultBFREQ);
        model.PROG = 1;
        // The older layout stores each point as 63 minus its value.
        for (int k = 0; k < ModelSettings::kFrqPoints; ++k)
            model.FRQ[static_cast<size_t>(k)] =
                63 - LegacyPair(text, static_cast<size_t>(19 + 2 * k), 63 - ModelSettings::kDefaultFRQ);
    }
}

// An upper bound of the size of the bank's file, from what the load read: the fixed entries,
// each memo line's name and line end, and its text, which the input held (CP932 at most
// triples in UTF-8).
int64_t SavedSizeBound(std::string_view input, int64_t memoLines)
{
    return 8192 + memoLines * 24 + static_cast<int64_t>(input.size()) * 3;
}

// As many as SplitMemoLines gives: a line end at the very end adds no line.
int64_t MemoLines(const ModelBank& bank)
{
    int64_t lines = 0;
    for (const ModelSettings& m : bank.models) {
        const std::string& memo = m.MEMO;
        for (size_t i = 0; i < memo.size(); ++i)
            if (memo[i] == '\n' || (memo[i] == '\r' && (i + 1 == memo.size() || memo[i + 1] != '\n')))
                ++lines;
        if (!memo.empty() && memo.back() != '\n' && memo.back() != '\r')
            ++lines;
    }
    return lines;
}

}  // namespace

std::string SettingsFile::ToBytes(const ModelBank& bank)
{
    IniDocument doc;
    const int32_t s = doc.MakeSection(kSection);
    doc.SetIn(s, "SYS_MDL", Name(bank.ModelNumber / ModelBank::kModelStep));
    doc.SetIn(s, "SYS_CUR", Name(bank.SYS_CUR));
    const auto& names = Names();
    std::vector<std::string_view> lines;
    for (int m = 0; m < ModelBank::kModels; ++m) {
        const ModelSettings& model = bank.models[static_cast<size_t>(m)];
        const ModelNames& n = names[static_cast<size_t>(m)];
        doc.SetIn(s, n.nbrk, Name(model.NBRK));
        doc.SetIn(s, n.bfreq, Name(model.BFREQ));
        doc.SetIn(s, n.vlt, Name(model.VLT));
        doc.SetIn(s, n.prog, Name(model.PROG));
        for (int k = 0; k < ModelSettings::kFrqPoints; ++k)
            doc.SetIn(s, n.frq[static_cast<size_t>(k)], Name(model.FRQ[static_cast<size_t>(k)]));
        lines.clear();
        ForEachMemoLine(model.MEMO, [&lines](std::string_view line) { lines.push_back(line); });
        doc.SetIn(s, n.memoCount, Name(static_cast<int64_t>(lines.size())));
        for (size_t k = 0; k < lines.size(); ++k) {
            const std::string_view line = lines[k];
            // Text that is not UTF-8 would make the line read as CP932.
            if (IniTextCodec::IsValidUtf8(line))
                doc.SetIn(s, Name(m, "MEMO", static_cast<int64_t>(k + 1)), line);
            else
                doc.SetIn(s, Name(m, "MEMO", static_cast<int64_t>(k + 1)), IniTextCodec::RepairUtf8(line));
        }
    }
    return doc.Bytes();
}

SettingsLoadResult SettingsFile::Read(std::string_view bytes, const ModelBank& current, std::string_view name)
{
    SettingsLoadResult result;
    result.bank = current;
    const auto refuse = [&](const IniFileError& error) {
        result.reason = error.reason;
        result.limit = error.limit;
        result.message = error.what();
        return result;
    };
    std::optional<IniFileError> error;
    const std::optional<IniDocument> doc = IniDocument::TryFromBytes(bytes, std::string(name), error);
    if (!doc)
        return refuse(*error);
    result.replaced = doc->ReplacedCharacters();
    // An empty file is not a settings file either: loading it would silently put every default
    // in place of the user's models.
    const Settings in{*doc, doc->SectionOf(kSection)};
    if (in.section < 0) {
        refuse(NotSettingsFileError(std::string(name)));
        result.status = SettingsLoadResult::Status::NotSettingsFile;
        return result;
    }
    ModelBank loaded = current;
    const auto tag = doc->FindIn(in.section, "TAG_DATA");
    if (!tag || tag->empty()) {
        if (!ReadCurrent(in, loaded))
            return refuse(IniFileError(IniFileError::Action::Read, std::string(name), IniFileError::Reason::MemosTooLong,
                                       SettingsFile::kMaxMemoLines));
    } else {
        ReadLegacy(in, IniTextCodec::ToUtf16(*tag), loaded);
    }

    IniFileError::Reason why{};
    int64_t limit = 0;
    // What was loaded must save to a file that opens again.
    if (SavedSizeBound(bytes, MemoLines(loaded)) > IniDocument::kMaxFileSize &&
        !IniDocument::IsReadable(ToBytes(loaded), &why, &limit)) {
        return refuse(IniFileError(IniFileError::Action::Read, std::string(name),
                                   why == IniFileError::Reason::WouldBeTooLarge ? IniFileError::Reason::ResaveTooLarge
                                                                                : IniFileError::Reason::ResaveTooManyLines,
                                   limit));
    }
    result.status = SettingsLoadResult::Status::Loaded;
    result.bank = std::move(loaded);
    return result;
}

size_t SettingsFile::FromBytes(std::string_view bytes, ModelBank& bank, std::string_view name)
{
    SettingsLoadResult result = Read(bytes, bank, name);
    if (result.status == SettingsLoadResult::Status::NotSettingsFile)
        throw NotSettingsFileError(std::string(name));
    if (!result.Loaded())
        throw IniFileError(IniFileError::Action::Read, std::string(name), result.reason, result.limit);
    bank = std::move(result.bank);
    return result.replaced;
}

std::string SettingsFile::ForcedSaveName(std::string_view chosen, int filterIndex)
{
    if (filterIndex != 0)
        return std::string(chosen);
    const size_t slash = chosen.rfind('/');
    const size_t dot = chosen.rfind('.');
    const bool hasDot = dot != std::string_view::npos && (slash == std::string_view::npos || dot > slash);
    return std::string(hasDot ? chosen.substr(0, dot) : chosen) + ".VXS";
}

int32_t SettingsFile::ParseHex(std::u16string_view text, int32_t def)
{
    uint32_t value = 0;
    for (const char16_t u : text) {
        uint32_t digit = 0;
        if (u >= '0' && u <= '9')
            digit = u - '0';
        else if (u >= 'A' && u <= 'F')
            digit = u - 'A' + 10;
        else if (u >= 'a' && u <= 'f')
            digit = u - 'a' + 10;
        else
            return def;
        value = value * 16 + digit;
    }
    return static_cast<int32_t>(value);
}

std::vector<std::string> SettingsFile::SplitMemoLines(const std::string& memo)
{
    std::vector<std::string> lines;
    ForEachMemoLine(memo, [&lines](std::string_view line) { lines.emplace_back(line); });
    return lines;
}
