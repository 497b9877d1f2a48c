#include "SettingsFile.h"

#include "IniDocument.h"

#include "IniFileError.h"

#include <algorithm>

namespace {

const QString kSection = QStringLiteral("VxrManager");

// A missing legacy model text reads as this: NBRK 0, BFREQ 16 and 47 for every point.
const QString kLegacyDefaultModel =
    QStringLiteral("000010050A030500FF1010101010101010101010101010101010101010101010101010101010101010");

QString Prefix(int model)
{
    return QStringLiteral("MDL%1_").arg(model + 1);
}

// Characters first and first + 1, counted from 1; a position beyond the end is not a digit.
int32_t LegacyPair(const QString& text, qsizetype first, int32_t def)
{
    if (first + 1 > text.size())
        return def;
    return SettingsFile::ParseHex(QStringView(text).sliced(first - 1, 2), def);
}

void ReadCurrent(const IniDocument& doc, ModelBank& bank)
{
    const int32_t shown = doc.ReadInteger(kSection, QStringLiteral("SYS_MDL"), 0);
    bank.ModelNumber = ModelBank::ClampIndex(shown) * ModelBank::kModelStep;
    bank.SYS_CUR = doc.ReadInteger(kSection, QStringLiteral("SYS_CUR"), ModelBank::kDefaultSysCur);

    const qsizetype linesInSection = doc.LineCount(kSection);
    for (int m = 0; m < ModelBank::kModels; ++m) {
        ModelSettings& model = bank.models[static_cast<size_t>(m)];
        const QString p = Prefix(m);
        model.NBRK = doc.ReadInteger(kSection, p + QStringLiteral("NBRK"), ModelSettings::kDefaultNBRK);
        model.BFREQ = doc.ReadInteger(kSection, p + QStringLiteral("BFREQ"), ModelSettings::kDefaultBFREQ);
        model.VLT = doc.ReadInteger(kSection, p + QStringLiteral("VLT"), ModelSettings::kDefaultVLT);
        model.PROG = doc.ReadInteger(kSection, p + QStringLiteral("PROG"), ModelSettings::kDefaultPROG);
        for (int k = 0; k < ModelSettings::kFrqPoints; ++k)
            model.FRQ[static_cast<size_t>(k)] =
                doc.ReadInteger(kSection, p + QStringLiteral("FRQ") + QString::number(k + 1), ModelSettings::kDefaultFRQ);

        model.MEMO.clear();
        const qsizetype lines =
            std::min<qsizetype>(doc.ReadInteger(kSection, p + QStringLiteral("MEMO0"), 0), linesInSection);
        QString memo;
        for (qsizetype k = 1; k <= lines; ++k) {
            memo += doc.ReadString(kSection, p + QStringLiteral("MEMO") + QString::number(k), QString());
            memo += u"\r\n";
        }
        model.MEMO = memo.toStdString();
    }
}

void ReadLegacy(const IniDocument& doc, const QString& tag, ModelBank& bank)
{
    // Taken as it is (81 still shows MODEL3), except a number beyond the five models (200..255),
    // which is held to the last one, as the current layout's model index is.
    const int32_t number = LegacyPair(tag, 15, 0);
    const int32_t beyond = ModelBank::kModels * ModelBank::kModelStep;
    bank.ModelNumber = number < beyond ? number : (ModelBank::kModels - 1) * ModelBank::kModelStep;
    for (int m = 0; m < ModelBank::kModels; ++m) {
        ModelSettings& model = bank.models[static_cast<size_t>(m)];
        const QString text = doc.ReadString(kSection, QStringLiteral("FRQ_DATA%1").arg(m), kLegacyDefaultModel);
        model.NBRK = LegacyPair(text, 3, ModelSettings::kDefaultNBRK);
        model.BFREQ = LegacyPair(text, 5, ModelSettings::kDefaultBFREQ);
        model.PROG = 1;
        // The older layout stores each point as 63 minus its value.
        for (int k = 0; k < ModelSettings::kFrqPoints; ++k)
            model.FRQ[static_cast<size_t>(k)] = 63 - LegacyPair(text, 19 + 2 * k, 63 - ModelSettings::kDefaultFRQ);
    }
}

}  // namespace

SettingsFile::SaveResult SettingsFile::Save(const ModelBank& bank, const QString& path)
{
    IniDocument doc(path);
    try {
        doc.UpdateFile();
    } catch (const IniFileError&) {
        return SaveResult::NotWritable;
    }
    doc.Clear();
    doc.WriteInteger(kSection, QStringLiteral("SYS_MDL"), bank.ModelNumber / ModelBank::kModelStep);
    doc.WriteInteger(kSection, QStringLiteral("SYS_CUR"), bank.SYS_CUR);
    for (int m = 0; m < ModelBank::kModels; ++m) {
        const ModelSettings& model = bank.models[static_cast<size_t>(m)];
        const QString p = Prefix(m);
        doc.WriteInteger(kSection, p + QStringLiteral("NBRK"), model.NBRK);
        doc.WriteInteger(kSection, p + QStringLiteral("BFREQ"), model.BFREQ);
        doc.WriteInteger(kSection, p + QStringLiteral("VLT"), model.VLT);
        doc.WriteInteger(kSection, p + QStringLiteral("PROG"), model.PROG);
        for (int k = 0; k < ModelSettings::kFrqPoints; ++k)
            doc.WriteInteger(kSection, p + QStringLiteral("FRQ") + QString::number(k + 1), model.FRQ[static_cast<size_t>(k)]);
        const std::vector<std::string> lines = SplitMemoLines(model.MEMO);
        doc.WriteInteger(kSection, p + QStringLiteral("MEMO0"), static_cast<int32_t>(lines.size()));
        for (size_t k = 0; k < lines.size(); ++k)
            doc.WriteString(kSection, p + QStringLiteral("MEMO") + QString::number(k + 1), QString::fromStdString(lines[k]));
    }
    doc.UpdateFile();
    return SaveResult::Saved;
}

void SettingsFile::Load(const QString& path, ModelBank& bank)
{
    const IniDocument doc(path);
    ModelBank loaded = bank;
    const QString tag = doc.ReadString(kSection, QStringLiteral("TAG_DATA"), QString());
    if (tag.isEmpty())
        ReadCurrent(doc, loaded);
    else
        ReadLegacy(doc, tag, loaded);
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
    size_t pos = 0;
    const size_t size = memo.size();
    while (pos < size) {
        const size_t end = memo.find_first_of("\r\n", pos);
        if (end == std::string::npos) {
            lines.push_back(memo.substr(pos));
            break;
        }
        lines.push_back(memo.substr(pos, end - pos));
        pos = (memo[end] == '\r' && end + 1 < size && memo[end + 1] == '\n') ? end + 2 : end + 1;
    }
    return lines;
}
