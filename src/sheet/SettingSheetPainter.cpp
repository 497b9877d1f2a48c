#include "SettingSheetPainter.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QStringList>
#include <QTextLayout>
#include <QTextOption>

#include <algorithm>
#include <vector>

#include "SettingSheetLayout.h"

namespace {

const QColor kText(0x20, 0x20, 0x20);
const QColor kLabel(0x50, 0x50, 0x50);
const QColor kFrame(0x90, 0x90, 0x90);
const QColor kGrid(0xDD, 0xDD, 0xDD);
const QColor kHeader(0xEE, 0xEE, 0xEE);
const QColor kCurrentHeader(0xFC, 0xE9, 0xD6);

// The window's Japanese-capable font; sizes in points, so they hold on any device.
QFont SheetFont(double points, bool bold = false)
{
    QFont font(QStringLiteral("Noto Sans CJK JP"));
    font.setPointSizeF(points);
    font.setBold(bold);
    // Without shaping the PDF maps every glyph back to its character: the font's contextual
    // digit forms (after "." or "-") would otherwise be lost to copying and searching.
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

// One line of text within rect, elided at its right end when it does not fit.
void DrawLine(QPainter& p, const QRectF& rect, const QString& text, const QFont& font, const QColor& color,
              Qt::Alignment align = Qt::AlignLeft)
{
    const QFontMetricsF fm(font, p.device());
    p.setFont(font);
    p.setPen(color);
    p.drawText(rect, static_cast<int>(align | Qt::AlignVCenter) | Qt::TextSingleLine,
               fm.elidedText(text, Qt::ElideRight, rect.width()));
}

// Where the memo lines that a model's box could not hold go on.
struct Overflow {
    QString model;
    QStringList lines;
};

// A model's memo as wrapped lines, and how many of them its box shows: all, or all but the
// last line that fits, which then says where the memo goes on.
struct MemoSplit {
    QStringList lines;
    int shown = 0;
};

const QFont& MemoFont()
{
    static const QFont font = SheetFont(7.5);
    return font;
}

MemoSplit SplitMemo(QPainter& p, const QRectF& rect, const QString& text)
{
    MemoSplit split;
    if (text.isEmpty() || rect.height() <= 0)
        return split;
    const QFontMetricsF fm(MemoFont(), p.device());
    const int fits = std::max(1, static_cast<int>(rect.height() / fm.lineSpacing()));
    split.lines = SettingSheetPainter::WrapMemo(text, MemoFont(), p.device(), rect.width());
    split.shown = split.lines.size() <= fits ? static_cast<int>(split.lines.size()) : fits - 1;
    return split;
}

void DrawMemo(QPainter& p, const QRectF& rect, const MemoSplit& split, const QString& continued)
{
    const QFontMetricsF fm(MemoFont(), p.device());
    p.save();
    p.setClipRect(rect);
    p.setFont(MemoFont());
    p.setPen(kText);
    const auto baseline = [&](int k) { return rect.top() + k * fm.lineSpacing() + fm.ascent(); };
    // Trailing blanks of a wrapped line are no ink; the line starts at the box's left edge.
    for (int k = 0; k < split.shown; ++k)
        p.drawText(QPointF(rect.left(), baseline(k)), split.lines[k]);
    if (split.shown < split.lines.size()) {
        p.setPen(kLabel);
        p.drawText(QPointF(rect.left(), baseline(split.shown)),
                   fm.elidedText(QChar(0x2026) + QStringLiteral(" ") + continued, Qt::ElideRight, rect.width()));
    }
    p.restore();
}

void StartPage(QPainter& p, const SettingSheetLayout& layout)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.fillRect(layout.Page(), SettingSheetPainter::Background());
}

// The date the sheet was made and the page's number, at the foot of every page.
void DrawFooter(QPainter& p, const SettingSheetLayout& layout, int page, int pages)
{
    const QRectF& foot = layout.Footer();
    DrawLine(p, foot, layout.Made(), SheetFont(7.0), kLabel);
    DrawLine(p, foot, layout.PageNumber(page, pages), SheetFont(7.0), kLabel, Qt::AlignRight);
}

// The memo lines the first page could not hold, model by model, in columns as wide as the
// memo boxes across the page's full width, on as many pages as they need. Each column
// that goes on with a model starts with its name. With paint false nothing is drawn: the
// pages are only counted. Returns the number of further pages (or those made before newPage
// said stop).
int DrawContinuations(QPainter& p, const SettingSheetLayout& layout, const std::vector<Overflow>& rest,
                      const std::function<bool()>& newPage, bool paint, int pageCount)
{
    const QFont heading = SheetFont(9.5, true);
    const QFontMetricsF fm(MemoFont(), p.device());
    const double left = layout.Title().rect.left();
    const double width = layout.Page().width() - 2 * left;
    const double top = layout.Title().rect.bottom() + layout.Mm(2.0);
    const double bottom = layout.Footer().top();
    const double headingHeight = layout.Mm(6.5);
    const double gap = layout.Mm(5.0);
    const double memoWidth = layout.Models()[0].memo.rect.width();
    const int columns = std::max(1, static_cast<int>((width + gap) / (memoWidth + gap)));
    const double columnWidth = (width - (columns - 1) * gap) / columns;
    const QString title = layout.Title().text + QStringLiteral(" \u2014 ") + layout.MemoContinued();

    int pages = 0;
    int column = columns;  // the first line starts a page
    double y = bottom;
    const auto x = [&] { return left + column * (columnWidth + gap); };
    const auto nextColumn = [&] {
        y = top;
        if (++column < columns)
            return true;
        column = 0;
        if (paint && !newPage())
            return false;
        ++pages;
        if (paint) {
            StartPage(p, layout);
            DrawLine(p, layout.Title().rect, title, SheetFont(13.0, true), kText);
            DrawFooter(p, layout, 1 + pages, pageCount);
        }
        return true;
    };
    const auto drawHeading = [&](const QString& model) {
        if (paint)
            DrawLine(p, QRectF(x(), y, columnWidth, headingHeight), model, heading, kText);
        y += headingHeight;
    };
    for (const Overflow& o : rest) {
        if (y + headingHeight + fm.lineSpacing() > bottom && !nextColumn())
            return pages;
        drawHeading(o.model);
        for (const QString& line : o.lines) {
            if (y + fm.lineSpacing() > bottom) {
                if (!nextColumn())
                    return pages;
                drawHeading(o.model);
            }
            if (paint) {
                p.setFont(MemoFont());
                p.setPen(kText);
                p.drawText(QPointF(x(), y + fm.ascent()), line);
            }
            y += fm.lineSpacing();
        }
        y += layout.Mm(3.0);
    }
    return pages;
}

void DrawPlot(QPainter& p, const SettingSheetLayout& layout, const SettingSheetLayout::Plot& plot)
{
    const QRectF& area = plot.area;
    const QFont tickFont = SheetFont(6.5);

    DrawLine(p, QRectF(area.left(), plot.title.rect.top(), area.width(), plot.title.rect.height()), plot.title.text,
             SheetFont(7.0), kLabel);

    // kHz grid with its figures left of the area.
    p.setPen(QPen(kGrid, layout.Mm(0.15)));
    for (double khz = SettingSheetLayout::kAxisMinKHz + 1.0; khz < SettingSheetLayout::kAxisMaxKHz;
         khz += SettingSheetLayout::kAxisStepKHz) {
        const double y = SettingSheetLayout::YOf(area, khz);
        p.setPen(QPen(kGrid, layout.Mm(0.15)));
        p.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
        const QRectF figure(plot.frame.left(), y - layout.Mm(2), area.left() - plot.frame.left() - layout.Mm(1),
                            layout.Mm(4));
        DrawLine(p, figure, QString::number(khz), tickFont, kLabel, Qt::AlignRight);
    }
    // The groups of eight points, as the window's curve bars are grouped, and their numbers.
    for (int group = 1; group < 4; ++group) {
        const double x = (SettingSheetLayout::XOf(area, group * 8 - 1) + SettingSheetLayout::XOf(area, group * 8)) / 2;
        p.setPen(QPen(kGrid, layout.Mm(0.15)));
        p.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
    }
    // Each point's step number, as the window shows it, under the point.
    for (const auto& step : plot.steps)
        DrawLine(p, step.rect, step.text, SheetFont(5.0), kText, Qt::AlignHCenter);
    const double stepsBottom = plot.steps[0].rect.bottom();
    for (int number : {1, 8, 16, 24, 32}) {
        const double x = SettingSheetLayout::XOf(area, number - 1);
        const QRectF figure(x - layout.Mm(2), stepsBottom, layout.Mm(4), plot.frame.bottom() - stepsBottom);
        DrawLine(p, figure, QString::number(number), tickFont, kLabel, Qt::AlignHCenter);
    }
    p.setPen(QPen(kFrame, layout.Mm(0.2)));
    p.setBrush(Qt::NoBrush);
    p.drawRect(area);

    // The curve itself, its points as dots. A point outside the curve's range breaks the line and
    // is drawn as a cross of its own colour at the axis end it lies beyond.
    p.setPen(QPen(SettingSheetPainter::CurveColor(), layout.Mm(0.45), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPolygonF run;
    const auto drawRun = [&p, &run] {
        if (run.size() > 1)
            p.drawPolyline(run);
        run.clear();
    };
    for (size_t k = 0; k < plot.points.size(); ++k) {
        if (plot.outside[k])
            drawRun();
        else
            run << plot.points[k];
    }
    drawRun();
    p.setPen(Qt::NoPen);
    p.setBrush(SettingSheetPainter::CurveColor());
    for (size_t k = 0; k < plot.points.size(); ++k)
        if (!plot.outside[k])
            p.drawEllipse(plot.points[k], layout.Mm(0.6), layout.Mm(0.6));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(SettingSheetPainter::OutsideColor(), layout.Mm(0.35)));
    const double r = layout.Mm(0.9);
    for (size_t k = 0; k < plot.points.size(); ++k) {
        if (!plot.outside[k])
            continue;
        const QPointF c = plot.points[k];
        p.drawLine(c + QPointF(-r, -r), c + QPointF(r, r));
        p.drawLine(c + QPointF(-r, r), c + QPointF(r, -r));
    }
}

void DrawModel(QPainter& p, const SettingSheetLayout& layout, const SettingSheetLayout::ModelBox& box,
               const MemoSplit& memo)
{
    p.fillRect(box.header, box.current ? kCurrentHeader : kHeader);
    DrawLine(p, box.name.rect, box.name.text, SheetFont(9.5, true), kText);
    if (box.current) {
        p.setPen(Qt::NoPen);
        p.setBrush(SettingSheetPainter::MarkColor());
        p.drawRoundedRect(box.mark.rect, layout.Mm(1.0), layout.Mm(1.0));
        p.setBrush(Qt::NoBrush);
        DrawLine(p, box.mark.rect, box.mark.text, SheetFont(8.0, true), Qt::white, Qt::AlignHCenter);
    }

    for (const auto& setting : box.settings) {
        DrawLine(p, setting.label.rect, setting.label.text, SheetFont(7.5), kLabel);
        DrawLine(p, setting.value.rect, setting.value.text, SheetFont(8.5), kText);
        p.setPen(QPen(kGrid, layout.Mm(0.15)));
        const double y = setting.label.rect.bottom();
        p.drawLine(QPointF(setting.label.rect.left(), y), QPointF(setting.value.rect.right(), y));
    }
    DrawLine(p, box.memoLabel.rect, box.memoLabel.text, SheetFont(7.5), kLabel);
    DrawMemo(p, box.memo.rect, memo, layout.MemoContinued());

    DrawPlot(p, layout, box.plot);

    // The frame last, so that nothing covers it; the current model's stands out.
    p.setBrush(Qt::NoBrush);
    if (box.current)
        p.setPen(QPen(SettingSheetPainter::MarkColor(), layout.Mm(0.6)));
    else
        p.setPen(QPen(kFrame, layout.Mm(0.25)));
    p.drawRect(box.frame);
    p.setPen(QPen(box.current ? SettingSheetPainter::MarkColor() : kFrame, layout.Mm(0.2)));
    p.drawLine(box.header.bottomLeft(), box.header.bottomRight());
}

}  // namespace

int SettingSheetPainter::Paint(QPainter& painter, const SettingSheetLayout& layout,
                              const std::function<bool()>& newPage, const std::function<void(int)>& counted)
{
    // Where every memo line goes is known before the first page is painted, so that each page
    // can say how many there are.
    std::vector<MemoSplit> memos;
    std::vector<Overflow> rest;
    for (const auto& box : layout.Models()) {
        memos.push_back(SplitMemo(painter, box.memo.rect, box.memo.text));
        if (memos.back().shown < memos.back().lines.size())
            rest.push_back({box.name.text, memos.back().lines.mid(memos.back().shown)});
    }
    const int pages = 1 + DrawContinuations(painter, layout, rest, {}, false, 0);
    if (counted)
        counted(pages);

    StartPage(painter, layout);
    DrawLine(painter, layout.Title().rect, layout.Title().text, SheetFont(13.0, true), kText);
    DrawLine(painter, layout.Subtitle().rect, layout.Subtitle().text, SheetFont(8.0), kLabel, Qt::AlignRight);
    for (size_t m = 0; m < layout.Models().size(); ++m)
        DrawModel(painter, layout, layout.Models()[m], memos[m]);
    DrawFooter(painter, layout, 1, pages);
    return 1 + DrawContinuations(painter, layout, rest, newPage, true, pages);
}

QStringList SettingSheetPainter::WrapMemo(const QString& text, const QFont& font, QPaintDevice* device, double width)
{
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    QStringList paragraphs = text.split(QLatin1Char('\n'));
    if (text.endsWith(QLatin1Char('\n')))
        paragraphs.removeLast();  // a final line end adds no line
    QStringList lines;
    for (const QString& para : paragraphs) {
        if (para.isEmpty()) {
            lines.push_back({});
            continue;
        }
        QTextLayout layout(para, font, device);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine l = layout.createLine(); l.isValid(); l = layout.createLine()) {
            l.setLineWidth(width);
            lines.push_back(para.mid(l.textStart(), l.textLength()));
        }
        layout.endLayout();
    }
    return lines;
}
