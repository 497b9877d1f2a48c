#include "SettingSheetLayout.h"

#include "Utf8Text.h"

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

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

}  // namespace

double SettingSheetLayout::YOf(const QRectF& area, double khz)
{
    return area.bottom() - (khz - kAxisMinKHz) / (kAxisMaxKHz - kAxisMinKHz) * area.height();
}

double SettingSheetLayout::XOf(const QRectF& area, int point)
{
    return area.left() + (point + 0.5) * area.width() / ModelSettings::kFrqPoints;
}

QString SettingSheetLayout::PageNumber(int page, int pages) const
{
    return Q(content_.PageNumber(page, pages));
}

SettingSheetLayout::SettingSheetLayout(const ModelBank& bank, int language, const QString& title,
                                       QSizeF page, double dpi, const QDate& made)
    : dpi_(dpi),
      page_(QPointF(0, 0), page),
      content_(SettingSheetContent::Make(bank, language, title.toStdString(), made.toString(Qt::ISODate).toStdString())),
      memoContinued_(Q(content_.memoContinued)),
      made_(Q(content_.made))
{
    const double left = Mm(kMargin);
    const double width = page.width() - 2 * Mm(kMargin);
    const double top = Mm(kMargin);

    const QRectF titleRow(left, top, width, Mm(kTitleHeight));
    title_ = {QRectF(titleRow.left(), titleRow.top(), titleRow.width() * 0.6, titleRow.height()), Q(content_.title)};
    subtitle_ = {QRectF(titleRow.left() + titleRow.width() * 0.6, titleRow.top(), titleRow.width() * 0.4,
                        titleRow.height()),
                 Q(content_.subtitle)};

    footer_ = QRectF(left, page.height() - Mm(kMargin) + Mm(kFooterGap), width, Mm(kFooterHeight));

    const double boxesTop = titleRow.bottom() + Mm(kTitleGap);
    const double boxesHeight = page.height() - Mm(kMargin) - boxesTop;
    const double boxHeight = (boxesHeight - (ModelBank::kModels - 1) * Mm(kBoxGap)) / ModelBank::kModels;
    for (int i = 0; i < ModelBank::kModels; ++i) {
        const QRectF frame(left, boxesTop + i * (boxHeight + Mm(kBoxGap)), width, boxHeight);
        models_[static_cast<size_t>(i)] = MakeModel(content_.models[static_cast<size_t>(i)], frame);
    }
}

SettingSheetLayout::ModelBox SettingSheetLayout::MakeModel(const SettingSheetContent::Model& model,
                                                           const QRectF& frame) const
{
    ModelBox box;
    box.frame = frame;
    box.header = QRectF(frame.left(), frame.top(), frame.width(), Mm(kHeaderHeight));
    box.name = {QRectF(frame.left() + Mm(kPad), frame.top(), Mm(kMarkWidth), box.header.height()), Q(model.name)};
    box.current = model.current;
    if (box.current) {
        const double inset = Mm(0.8);
        box.mark = {QRectF(frame.right() - Mm(kPad) - Mm(kMarkWidth), frame.top() + inset, Mm(kMarkWidth),
                           box.header.height() - 2 * inset),
                    Q(content_.currentMark)};
    }

    const double x = frame.left() + Mm(kPad);
    double y = box.header.bottom() + Mm(1.5);
    for (size_t r = 0; r < kRows; ++r) {
        box.settings[r].label = {QRectF(x, y, Mm(kLabelWidth), Mm(kRowHeight)), Q(model.settings[r].label)};
        box.settings[r].value = {QRectF(x + Mm(kLabelWidth), y, Mm(kLeftColumn - kLabelWidth), Mm(kRowHeight)),
                                 Q(model.settings[r].value)};
        y += Mm(kRowHeight);
    }
    y += Mm(0.5);
    box.memoLabel = {QRectF(x, y, Mm(kLeftColumn), Mm(kRowHeight)), Q(content_.memoLabel)};
    y += Mm(kRowHeight);
    box.memo = {QRectF(x, y, Mm(kLeftColumn), frame.bottom() - Mm(2.0) - y), Utf8Text::ToQString(model.memo)};

    Plot& plot = box.plot;
    const double plotLeft = x + Mm(kLeftColumn) + Mm(kColumnGap);
    plot.frame = QRectF(plotLeft, box.header.bottom() + Mm(1.5), frame.right() - Mm(kPad) - plotLeft,
                        frame.bottom() - Mm(2.0) - (box.header.bottom() + Mm(1.5)));
    plot.title = {QRectF(plot.frame.left(), plot.frame.top(), plot.frame.width(), Mm(kPlotTitleHeight)),
                  Q(content_.plotTitle)};
    plot.area = QRectF(plot.frame.left() + Mm(kPlotAxisLeft), plot.frame.top() + Mm(kPlotTitleHeight),
                       plot.frame.width() - Mm(kPlotAxisLeft) - Mm(2.0),
                       plot.frame.height() - Mm(kPlotTitleHeight) - Mm(kPlotAxisBottom));
    const double cell = plot.area.width() / ModelSettings::kFrqPoints;
    for (int k = 0; k < ModelSettings::kFrqPoints; ++k) {
        const auto i = static_cast<size_t>(k);
        plot.points[i] = QPointF(XOf(plot.area, k), YOf(plot.area, model.curve[i].khz));
        plot.steps[i] = {QRectF(plot.area.left() + k * cell, plot.area.bottom() + Mm(0.4), cell, Mm(kStepRow)),
                         Q(model.curve[i].step)};
        plot.outside[i] = model.curve[i].outside;
    }
    return box;
}
