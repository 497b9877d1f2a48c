#include "SettingSheetLayout.h"

#include <QStringList>

#include <algorithm>
#include <string>
#include <vector>

#include "BankReport.h"
#include "CliText.h"
#include "OutOfRange.h"
#include "DriveFreqTable.h"
#include "Utf8Text.h"
#include "TextTable.h"

namespace {

// Page geometry in millimetres.
constexpr double kMargin = 10.0;
constexpr double kTitleHeight = 9.0;
constexpr double kTitleGap = 2.0;
constexpr double kBoxGap = 3.0;
constexpr double kHeaderHeight = 6.5;
constexpr double kPad = 2.5;
constexpr double kLeftColumn = 84.0;  // settings and memo
constexpr double kLabelWidth = 38.0;  // fits "ニュートラルブレーキの状態"
constexpr double kRowHeight = 4.8;
constexpr double kColumnGap = 5.0;
constexpr double kMarkWidth = 34.0;
constexpr double kPlotTitleHeight = 4.5;
constexpr double kPlotAxisLeft = 8.0;    // tick labels of the kHz axis
constexpr double kStepRow = 3.0;        // the step number below each point
constexpr double kPlotAxisBottom = 4.5 + kStepRow;  // step and point numbers
constexpr double kFooterGap = 1.0;
constexpr double kFooterHeight = 4.0;

QString Text(int message, int language)
{
    return QString::fromStdString(TextTable::Message(message, language));
}

QString Text(CliText::Id id, int language)
{
    return QString::fromStdString(CliText::Get(id, language));
}

// "70 (out of range)"; Japanese notes bring their own full-width brackets.
QString WithNote(int32_t value, CliText::Id note, int language)
{
    return QString::number(value) + (language == 0 ? QString() : QStringLiteral(" ")) + Text(note, language);
}

}  // namespace

double SettingSheetLayout::KHzOf(int32_t frq)
{
    return QString::fromUtf8(DriveFreqTable::Text(frq)).toDouble();
}

double SettingSheetLayout::YOf(const QRectF& area, double khz)
{
    return area.bottom() - (khz - kAxisMinKHz) / (kAxisMaxKHz - kAxisMinKHz) * area.height();
}

double SettingSheetLayout::XOf(const QRectF& area, int point)
{
    return area.left() + (point + 0.5) * area.width() / ModelSettings::kFrqPoints;
}

QString SettingSheetLayout::StepText(int32_t frq)
{
    if (frq < DriveFreqTable::kMin || frq > DriveFreqTable::kMax)
        return QStringLiteral("?");
    return QString::number(DriveFreqTable::Step(frq));
}

QString SettingSheetLayout::PageNumber(int page, int pages) const
{
    return QString::fromStdString(
        CliText::Get(CliText::kPageNumber, language_, {std::to_string(page), std::to_string(pages)}));
}

QString SettingSheetLayout::BrakeFreqText(int32_t bfreq, int language)
{
    if (const auto text = BankReport::BrakeKHz(bfreq))
        return QString::fromStdString(*text);
    return WithNote(bfreq, CliText::kOutOfRange, language);
}

QString SettingSheetLayout::CutOffText(int32_t vlt, int language)
{
    if (const auto text = BankReport::CutOff(vlt))
        return QString::fromStdString(*text);
    return WithNote(vlt, CliText::kNotCutOffCode, language);
}

QString SettingSheetLayout::MemoText(const std::string& memo)
{
    QString text = Utf8Text::ToQString(memo);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    for (QChar& c : text)
        if (c != QLatin1Char('\n') && (c.unicode() < 0x20 || c.unicode() == 0x7F))
            c = QLatin1Char(' ');
    return text;
}

SettingSheetLayout::SettingSheetLayout(const ModelBank& bank, int language, const QString& title,
                                       QSizeF page, double dpi, const QDate& made)
    : dpi_(dpi),
      page_(QPointF(0, 0), page),
      memoContinued_(Text(CliText::kMemoContinued, language)),
      made_(QString::fromStdString(
          CliText::Get(CliText::kMadeOn, language, {made.toString(Qt::ISODate).toStdString()}))),
      language_(language)
{
    const double left = Mm(kMargin);
    const double width = page.width() - 2 * Mm(kMargin);
    const double top = Mm(kMargin);

    const QRectF titleRow(left, top, width, Mm(kTitleHeight));
    title_ = {QRectF(titleRow.left(), titleRow.top(), titleRow.width() * 0.6, titleRow.height()), title};
    subtitle_ = {QRectF(titleRow.left() + titleRow.width() * 0.6, titleRow.top(), titleRow.width() * 0.4,
                        titleRow.height()),
                 QStringLiteral("VXR Manager for ZavidEzedu")};

    footer_ = QRectF(left, page.height() - Mm(kMargin) + Mm(kFooterGap), width, Mm(kFooterHeight));

    const double boxesTop = titleRow.bottom() + Mm(kTitleGap);
    const double boxesHeight = page.height() - Mm(kMargin) - boxesTop;
    const double boxHeight = (boxesHeight - (ModelBank::kModels - 1) * Mm(kBoxGap)) / ModelBank::kModels;
    for (int i = 0; i < ModelBank::kModels; ++i) {
        const QRectF frame(left, boxesTop + i * (boxHeight + Mm(kBoxGap)), width, boxHeight);
        models_[static_cast<size_t>(i)] = MakeModel(bank, i, language, frame);
    }
}

SettingSheetLayout::ModelBox SettingSheetLayout::MakeModel(const ModelBank& bank, int index, int language,
                                                           const QRectF& frame) const
{
    const ModelSettings& m = bank.Model(index);
    ModelBox box;
    box.frame = frame;
    box.header = QRectF(frame.left(), frame.top(), frame.width(), Mm(kHeaderHeight));
    box.name = {QRectF(frame.left() + Mm(kPad), frame.top(), Mm(kMarkWidth), box.header.height()),
                QStringLiteral("MODEL%1").arg(index + 1)};
    box.current = index == bank.ShownIndex();
    if (box.current) {
        const double inset = Mm(0.8);
        box.mark = {QRectF(frame.right() - Mm(kPad) - Mm(kMarkWidth), frame.top() + inset, Mm(kMarkWidth),
                           box.header.height() - 2 * inset),
                    Text(CliText::kCurrentModelMark, language)};
    }

    const double x = frame.left() + Mm(kPad);
    double y = box.header.bottom() + Mm(1.5);
    const std::array<QString, kRows> labels = {Text(TextTable::kAutomaticBrake, language),
                                               Text(TextTable::kBrakeFreq, language),
                                               Text(TextTable::kLowVoltCut, language),
                                               Text(TextTable::kTimingAdjust, language)};
    // Every value outside its range is marked, as the texts of the tables mark theirs.
    const std::vector<OutOfRange> outside = OutOfRange::FindAll(m, index);
    const auto isOutside = [&outside](const std::string& field) {
        return std::any_of(outside.begin(), outside.end(), [&field](const OutOfRange& o) { return o.field == field; });
    };
    const auto plain = [&](const char* field, int32_t v) {
        return isOutside(field) ? WithNote(v, CliText::kOutOfRange, language) : QString::number(v);
    };
    const std::array<QString, kRows> values = {plain("NBRK", m.NBRK), BrakeFreqText(m.BFREQ, language),
                                               CutOffText(m.VLT, language), plain("PROG", m.PROG)};
    for (size_t r = 0; r < kRows; ++r) {
        box.settings[r].label = {QRectF(x, y, Mm(kLabelWidth), Mm(kRowHeight)), labels[r]};
        box.settings[r].value = {QRectF(x + Mm(kLabelWidth), y, Mm(kLeftColumn - kLabelWidth), Mm(kRowHeight)),
                                 values[r]};
        y += Mm(kRowHeight);
    }
    y += Mm(0.5);
    box.memoLabel = {QRectF(x, y, Mm(kLeftColumn), Mm(kRowHeight)), Text(TextTable::kMemo, language)};
    y += Mm(kRowHeight);
    box.memo = {QRectF(x, y, Mm(kLeftColumn), frame.bottom() - Mm(2.0) - y), MemoText(m.MEMO)};

    Plot& plot = box.plot;
    const double plotLeft = x + Mm(kLeftColumn) + Mm(kColumnGap);
    plot.frame = QRectF(plotLeft, box.header.bottom() + Mm(1.5), frame.right() - Mm(kPad) - plotLeft,
                        frame.bottom() - Mm(2.0) - (box.header.bottom() + Mm(1.5)));
    plot.title = {QRectF(plot.frame.left(), plot.frame.top(), plot.frame.width(), Mm(kPlotTitleHeight)),
                  Text(TextTable::kDriveFreq, language) + QStringLiteral(" (kHz)")};
    plot.area = QRectF(plot.frame.left() + Mm(kPlotAxisLeft), plot.frame.top() + Mm(kPlotTitleHeight),
                       plot.frame.width() - Mm(kPlotAxisLeft) - Mm(2.0),
                       plot.frame.height() - Mm(kPlotTitleHeight) - Mm(kPlotAxisBottom));
    const double cell = plot.area.width() / ModelSettings::kFrqPoints;
    for (int k = 0; k < ModelSettings::kFrqPoints; ++k) {
        const auto i = static_cast<size_t>(k);
        plot.points[i] = QPointF(XOf(plot.area, k), YOf(plot.area, KHzOf(m.FRQ[i])));
        plot.steps[i] = {QRectF(plot.area.left() + k * cell, plot.area.bottom() + Mm(0.4), cell, Mm(kStepRow)),
                         StepText(m.FRQ[i])};
        plot.outside[i] = isOutside("FRQ" + std::to_string(k + 1));
    }
    return box;
}
