#include "SettingsFile.h"

#include "AtomicFileWriter.h"
#include "IniDocument.h"
#include "IniFileError.h"
#include "IniTextCodec.h"
#include "NotSettingsFileError.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {

constexpr QByteArrayView kSection = "VxrManager";
static_assert(SettingsFile::kMaxMemoLines == IniDocument::kMaxLines - 1 - 2 - ModelBank::kModels * 37);

// A missing legacy model text reads as this: NBRK 0, BFREQ 16 and 47 for every point.
const QString kLegacyDefaultModel =
    QStringLiteral("000010050A030500FF1010101010101010101010101010101010101010101010101010101010101010");

// An entry name such as MDL2_MEMO17, or a number's text, built without allocating.
class Name {
public:
    explicit Name(qint64 number) { Add(number); }
    Name(int model, QByteArrayView field, qint64 number = -1)
    {
        Add("MDL");
        Add(model + 1);
        Add("_");
        Add(field);
        if (number >= 0)
            Add(number);
    }
    operator QByteArrayView() const { return QByteArrayView(text_.data(), size_); }

private:
    void Add(QByteArrayView part)
    {
        std::memcpy(text_.data() + size_, part.data(), static_cast<size_t>(part.size()));
        size_ += part.size();
    }
    void Add(qint64 number)
    {
        std::array<char, 20> digits{};
        size_t n = 0;
        uint64_t u = number < 0 ? 0 - static_cast<uint64_t>(number) : static_cast<uint64_t>(number);
        do {
            digits[n++] = static_cast<char>('0' + u % 10);
            u /= 10;
        } while (u != 0);
        if (number < 0)
            text_[static_cast<size_t>(size_++)] = '-';
        while (n > 0)
            text_[static_cast<size_t>(size_++)] = digits[--n];
    }

    std::array<char, 48> text_{};
    qsizetype size_ = 0;
};

// The names of each model's fixed entries, made once: every load looks them all up and every
// save writes them.
struct ModelNames {
    QByteArray nbrk, bfreq, vlt, prog, memoCount;
    std::array<QByteArray, ModelSettings::kFrqPoints> frq;
};

const std::array<ModelNames, ModelBank::kModels>& Names()
{
    static const auto names = [] {
        std::array<ModelNames, ModelBank::kModels> all;
        for (int m = 0; m < ModelBank::kModels; ++m) {
            ModelNames& n = all[static_cast<size_t>(m)];
            const auto name = [m](QByteArrayView field, qint64 number = -1) {
                return QByteArrayView(Name(m, field, number)).toByteArray();
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
            line(QByteArrayView(memo.data() + pos, static_cast<qsizetype>(size - pos)));
            break;
        }
        line(QByteArrayView(memo.data() + pos, static_cast<qsizetype>(end - pos)));
        pos = (memo[end] == '\r' && end + 1 < size && memo[end + 1] == '\n') ? end + 2 : end + 1;
    }
}

[[noreturn]] void FailRead(const QString& name, IniFileError::Reason why, int64_t limit)
{
    throw IniFileError(IniFileError::Action::Read, name.toStdString(), why, limit);
}

// The settings section of the document being read, found once.
struct Settings {
    const IniDocument& doc;
    int32_t section;
};

int32_t ReadInteger(const Settings& in, QByteArrayView name, int32_t def)
{
    const auto text = in.doc.FindIn(in.section, name);
    int32_t value = 0;
    return text && IniDocument::ParseInteger(*text, value) ? value : def;
}

// Characters first and first + 1, counted from 1; a position beyond the end is not a digit.
int32_t LegacyPair(const QString& text, qsizetype first, int32_t def)
{
    if (first + 1 > text.size())
        return def;
    return SettingsFile::ParseHex(QStringView(text).sliced(first - 1, 2), def);
}

QString LegacyText(const Settings& in, QByteArrayView name, const QString& def)
{
    const auto text = in.doc.FindIn(in.section, name);
    return text ? IniTextCodec::FromUtf8(*text) : def;
}

// Nothing but blanks and line ends, perhaps after a byte-order mark: an empty file.
bool IsBlank(const QByteArray& bytes)
{
    const qsizetype from = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    return std::all_of(bytes.begin() + from, bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) <= 0x20; });
}

// The highest k of the entries MDLm_MEMOk present, for each model (names without regard to case).
std::array<qint64, ModelBank::kModels> LastMemoLines(const Settings& in)
{
    std::array<qint64, ModelBank::kModels> last{};
    in.doc.ForEachName(kSection, [&last](QByteArrayView name) {
        static constexpr QByteArrayView kMemo = "_MEMO";
        if (name.size() < 10 || name.size() > 19 || name.first(3).compare("MDL", Qt::CaseInsensitive) != 0)
            return;
        const int model = name[3] - '1';
        if (model < 0 || model >= ModelBank::kModels || name.sliced(4, 5).compare(kMemo, Qt::CaseInsensitive) != 0)
            return;
        const QByteArrayView digits = name.sliced(9);
        if (digits.front() == '0')
            return;  // MEMO0 is the count; leading zeros name no line
        qint64 k = 0;
        for (const char c : digits) {
            if (c < '0' || c > '9')
                return;
            k = k * 10 + (c - '0');
        }
        last[static_cast<size_t>(model)] = std::max(last[static_cast<size_t>(model)], k);
    });
    return last;
}

void ReadCurrent(const Settings& in, ModelBank& bank, const QString& fileName)
{
    const int32_t shown = ReadInteger(in, "SYS_MDL", 0);
    bank.ModelNumber = ModelBank::ClampIndex(shown) * ModelBank::kModelStep;
    bank.SYS_CUR = ReadInteger(in, "SYS_CUR", ModelBank::kDefaultSysCur);

    const auto last = LastMemoLines(in);
    const auto& names = Names();
    std::array<qint64, ModelBank::kModels> counts{};
    qint64 total = 0;
    for (int m = 0; m < ModelBank::kModels; ++m) {
        counts[static_cast<size_t>(m)] =
            std::clamp<qint64>(ReadInteger(in, names[static_cast<size_t>(m)].memoCount, 0), 0, last[static_cast<size_t>(m)]);
        total += counts[static_cast<size_t>(m)];
    }
    if (total > SettingsFile::kMaxMemoLines)
        FailRead(fileName, IniFileError::Reason::MemosTooLong, SettingsFile::kMaxMemoLines);

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
        for (qint64 k = 1; k <= counts[static_cast<size_t>(m)]; ++k) {
            if (const auto line = in.doc.FindIn(in.section, Name(m, "MEMO", k)))
                model.MEMO.append(line->data(), static_cast<size_t>(line->size()));
            model.MEMO += "\r\n";
        }
    }
}

void ReadLegacy(const Settings& in, const QString& tag, ModelBank& bank)
{
    // Taken as it is (81 still shows MODEL3), except a number beyond the five models (200..255),
    // which is held to the last one, as the current layout's model index is.
    const int32_t number = LegacyPair(tag, 15, 0);
    const int32_t beyond = ModelBank::kModels * ModelBank::kModelStep;
    bank.ModelNumber = number < beyond ? number : (ModelBank::kModels - 1) * ModelBank::kModelStep;
    for (int m = 0; m < ModelBank::kModels; ++m) {
        ModelSettings& model = bank.models[static_cast<size_t>(m)];
        const QByteArray name = "FRQ_DATA" + QByteArray::number(m);
        const QString text = LegacyText(in, name, kLegacyDefaultModel);
        model.NBRK = LegacyPair(text, 3, ModelSettings::kDefaultNBRK);
        model.BFREQ = LegacyPair(text, 5, ModelSettings::kDefaultBFREQ);
        model.PROG = 1;
        // The older layout stores each point as 63 minus its value.
        for (int k = 0; k < ModelSettings::kFrqPoints; ++k)
            model.FRQ[static_cast<size_t>(k)] = 63 - LegacyPair(text, 19 + 2 * k, 63 - ModelSettings::kDefaultFRQ);
    }
}

// An upper bound of the size of the bank's file, from what the load read: the fixed entries,
// each memo line's name and line end, and its text, which the input held (CP932 at most
// triples in UTF-8).
qint64 SavedSizeBound(const QByteArray& input, qint64 memoLines)
{
    return 8192 + memoLines * 24 + input.size() * 3;
}

// As many as SplitMemoLines gives: a line end at the very end adds no line.
qint64 MemoLines(const ModelBank& bank)
{
    qint64 lines = 0;
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

SettingsFile::SaveResult SettingsFile::Save(const ModelBank& bank, const QString& path,
                                           const std::function<bool()>& stop)
{
    // A file that Open would refuse is not written at all.
    const QByteArray bytes = ToBytes(bank);
    if (!IniDocument::IsReadable(bytes))
        return SaveResult::NotWritable;
    IniDocument existing(path);
    try {
        existing.UpdateFile();
    } catch (const IniFileError&) {
        return SaveResult::NotWritable;
    }
    AtomicFileWriter::Write(path, bytes, stop);
    return SaveResult::Saved;
}

QByteArray SettingsFile::ToBytes(const ModelBank& bank)
{
    IniDocument doc = IniDocument::FromBytes({});
    const int32_t s = doc.MakeSection(kSection);
    doc.SetIn(s, "SYS_MDL", Name(bank.ModelNumber / ModelBank::kModelStep));
    doc.SetIn(s, "SYS_CUR", Name(bank.SYS_CUR));
    const auto& names = Names();
    std::vector<QByteArrayView> lines;
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
        ForEachMemoLine(model.MEMO, [&lines](QByteArrayView line) { lines.push_back(line); });
        doc.SetIn(s, n.memoCount, Name(static_cast<qint64>(lines.size())));
        for (size_t k = 0; k < lines.size(); ++k) {
            const QByteArrayView line = lines[k];
            // Text that is not UTF-8 would make the whole file read as CP932.
            const QByteArray repaired =
                IniTextCodec::IsValidUtf8(line) ? QByteArray() : IniTextCodec::FromUtf8(line).toUtf8();
            doc.SetIn(s, Name(m, "MEMO", static_cast<qint64>(k + 1)), repaired.isNull() ? line : QByteArrayView(repaired));
        }
    }
    return doc.Bytes();
}

void SettingsFile::Load(const QString& path, ModelBank& bank)
{
    FromBytes(IniDocument::ReadFileBytes(path), bank, path);
}

void SettingsFile::FromBytes(const QByteArray& bytes, ModelBank& bank, const QString& name)
{
    const IniDocument doc = IniDocument::FromBytes(bytes, name);
    const Settings in{doc, doc.SectionOf(kSection)};
    if (in.section < 0 && !IsBlank(bytes))
        throw NotSettingsFileError(name.toStdString());
    ModelBank loaded = bank;
    const auto tag = doc.FindIn(in.section, "TAG_DATA");
    if (!tag || tag->isEmpty())
        ReadCurrent(in, loaded, name);
    else
        ReadLegacy(in, IniTextCodec::FromUtf8(*tag), loaded);

    // What was loaded must save to a file that opens again.
    if (SavedSizeBound(bytes, MemoLines(loaded)) > IniDocument::kMaxFileSize) {
        IniFileError::Reason why{};
        int64_t limit = 0;
        if (!IniDocument::IsReadable(ToBytes(loaded), &why, &limit))
            FailRead(name, why == IniFileError::Reason::WouldBeTooLarge ? IniFileError::Reason::ResaveTooLarge
                                                                        : IniFileError::Reason::ResaveTooManyLines,
                     limit);
    }
    bank = std::move(loaded);
}

QString SettingsFile::ForcedSaveName(const QString& chosen, int filterIndex)
{
    if (filterIndex != 0)
        return chosen;
    const qsizetype slash = chosen.lastIndexOf(u'/');
    const qsizetype dot = chosen.lastIndexOf(u'.');
    const QString stem = dot > slash ? chosen.first(dot) : chosen;
    return stem + QStringLiteral(".VXS");
}

int32_t SettingsFile::ParseHex(QStringView text, int32_t def)
{
    uint32_t value = 0;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
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
    ForEachMemoLine(memo, [&lines](QByteArrayView line) { lines.emplace_back(line.data(), static_cast<size_t>(line.size())); });
    return lines;
}
