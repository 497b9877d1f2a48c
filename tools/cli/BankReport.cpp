#include "BankReport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include <algorithm>
#include <cstdio>
#include <optional>

#include "BrakeFreqTable.h"
#include "CliText.h"
#include "CutOffTable.h"
#include "DriveFreqTable.h"
#include "Utf8Text.h"
#include "ModelBank.h"
#include "OutOfRange.h"
#include "SettingsFile.h"
#include "TextTable.h"

namespace {

bool InCurveRange(int32_t v)
{
    return v >= DriveFreqTable::kMin && v <= DriveFreqTable::kMax;
}

std::string BrakeText(int32_t v, int language)
{
    return BankReport::BrakeKHz(v).value_or(TextTable::Message(TextTable::kSheetOutOfRange, language));
}

std::string CutOffText(int32_t v, int language)
{
    return BankReport::CutOff(v).value_or(TextTable::Message(TextTable::kSheetNotCutOff, language));
}

std::string StepText(int32_t v)
{
    if (!InCurveRange(v))
        return "?" + std::to_string(v);
    return std::to_string(DriveFreqTable::Step(v));
}

QJsonValue JsonText(const std::optional<std::string>& text)
{
    return text ? QJsonValue(QString::fromStdString(*text)) : QJsonValue(QJsonValue::Null);
}

std::string Line(const char* name, const std::string& value)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "  %-7s", name);
    return buf + value + "\n";
}

}  // namespace

std::string BankReport::Escape(const std::string& text)
{
    std::string out;
    for (size_t k = 0; k < text.size(); ++k) {
        const auto c = static_cast<unsigned char>(text[k]);
        if (c == '\r' && k + 1 < text.size() && text[k + 1] == '\n') {
            out += "\\n";
            ++k;
        } else if (c == '\n' || c == '\r') {
            out += "\\n";
        } else if (c == '\\') {
            out += "\\\\";
        } else if (c < 0x20 || c == 0x7F) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::string BankReport::Show(const ModelBank& bank, int language)
{
    std::string out = CliText::Get(CliText::kShowCurrentModel, language,
                                   {std::to_string(bank.ShownIndex() + 1), std::to_string(bank.ModelNumber)}) +
                      "\nSYS_CUR: " + std::to_string(bank.SYS_CUR) + "\n";
    for (size_t i = 0; i < bank.models.size(); ++i) {
        const ModelSettings& m = bank.models[i];
        out += "\nMODEL" + std::to_string(i + 1) + "\n";
        // Values the window's editors cannot show, marked as the tables' texts mark theirs.
        const std::vector<OutOfRange> outside = OutOfRange::FindAll(m, static_cast<int>(i));
        const auto marked = [&](const char* field, int32_t v) {
            const bool out = std::any_of(outside.begin(), outside.end(), [field](const OutOfRange& o) { return o.field == field; });
            return std::to_string(v) + (out ? "  " + TextTable::Message(TextTable::kSheetOutOfRange, language) : "");
        };
        out += Line("NBRK", marked("NBRK", m.NBRK));
        out += Line("BFREQ", std::to_string(m.BFREQ) + "  " + BrakeText(m.BFREQ, language));
        out += Line("VLT", std::to_string(m.VLT) + "  " + CutOffText(m.VLT, language));
        out += Line("PROG", marked("PROG", m.PROG));
        std::string steps;
        for (int32_t v : m.FRQ)
            steps += (steps.empty() ? "" : " ") + StepText(v);
        out += Line("FRQ", CliText::Get(CliText::kShowSteps, language, {steps}));
        // The number of lines first, as the file counts them, so that an empty memo and a memo
        // of one empty line read differently; then each line as it is, indented.
        const std::vector<std::string> lines = SettingsFile::SplitMemoLines(m.MEMO);
        out += Line("MEMO", CliText::Get(lines.size() == 1 ? CliText::kShowOneLine : CliText::kShowLines, language,
                                         {std::to_string(lines.size())}));
        for (const std::string& l : lines)
            out += l.empty() ? "\n" : "         " + Escape(l) + "\n";
    }
    return out;
}

std::string BankReport::Json(const ModelBank& bank)
{
    QJsonArray models;
    for (size_t i = 0; i < bank.models.size(); ++i) {
        const ModelSettings& m = bank.models[i];
        QJsonArray frq, steps, texts;
        for (int32_t v : m.FRQ) {
            frq.append(v);
            steps.append(InCurveRange(v) ? QJsonValue(DriveFreqTable::Step(v)) : QJsonValue(QJsonValue::Null));
            texts.append(InCurveRange(v) ? JsonText(DriveFreqTable::KHz(v)) : QJsonValue(QJsonValue::Null));
        }
        QJsonObject model;
        model[QStringLiteral("model")] = static_cast<int>(i + 1);
        model[QStringLiteral("NBRK")] = m.NBRK;
        model[QStringLiteral("BFREQ")] = m.BFREQ;
        model[QStringLiteral("BFREQText")] = JsonText(BrakeKHz(m.BFREQ));
        model[QStringLiteral("VLT")] = m.VLT;
        model[QStringLiteral("VLTText")] = JsonText(CutOff(m.VLT));
        model[QStringLiteral("PROG")] = m.PROG;
        model[QStringLiteral("FRQ")] = frq;
        model[QStringLiteral("FRQSteps")] = steps;
        model[QStringLiteral("FRQText")] = texts;
        // As stored: QString::fromStdString would drop a U+FEFF that begins the memo.
        model[QStringLiteral("MEMO")] = Utf8Text::ToQString(m.MEMO);
        models.append(model);
    }
    QJsonObject root;
    root[QStringLiteral("currentModel")] = bank.ShownIndex() + 1;
    root[QStringLiteral("modelNumber")] = bank.ModelNumber;
    root[QStringLiteral("SYS_CUR")] = bank.SYS_CUR;
    root[QStringLiteral("models")] = models;
    return QJsonDocument(root).toJson(QJsonDocument::Compact).toStdString() + "\n";
}

std::vector<std::string> BankReport::Diff(const ModelBank& a, const ModelBank& b)
{
    std::vector<std::string> out;
    for (const Difference& d : Differences(a, b)) {
        const std::string where = (d.model > 0 ? "MODEL" + std::to_string(d.model) + " " : "") + d.field;
        if (d.field == "MEMO")
            out.push_back(where + ": \"" + Escape(d.fromText) + "\" -> \"" + Escape(d.toText) + "\"");
        else
            out.push_back(where + ": " + std::to_string(d.from) + " -> " + std::to_string(d.to));
    }
    return out;
}

std::string BankReport::DiffJson(const ModelBank& a, const ModelBank& b)
{
    QJsonArray list;
    for (const Difference& d : Differences(a, b)) {
        QJsonObject item;
        item[QStringLiteral("model")] = d.model > 0 ? QJsonValue(d.model) : QJsonValue(QJsonValue::Null);
        item[QStringLiteral("field")] = QString::fromStdString(d.field);
        if (d.field == "MEMO") {
            item[QStringLiteral("from")] = Utf8Text::ToQString(d.fromText);
            item[QStringLiteral("to")] = Utf8Text::ToQString(d.toText);
        } else {
            item[QStringLiteral("from")] = d.from;
            item[QStringLiteral("to")] = d.to;
        }
        list.append(item);
    }
    QJsonObject root;
    root[QStringLiteral("same")] = list.isEmpty();
    root[QStringLiteral("differences")] = list;
    return QJsonDocument(root).toJson(QJsonDocument::Compact).toStdString() + "\n";
}
