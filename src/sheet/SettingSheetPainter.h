#pragma once
#include <QColor>
#include <QString>
#include <QStringList>

#include <functional>

class QFont;
class QPaintDevice;
class QPainter;
class SettingSheetLayout;

// Draws a setting sheet's layout with any QPainter (a PDF page or an image). A long value is
// elided; a memo wraps within its box, and what does not fit there continues on further pages,
// so no memo line is ever left out.
class SettingSheetPainter {
public:
    // Colours a test can look for: the curve, and the current model's mark.
    static QColor CurveColor() { return QColor(0x1F, 0x5F, 0xBF); }
    static QColor MarkColor() { return QColor(0xD9, 0x6A, 0x00); }
    // A curve point whose value lies outside the curve's range.
    static QColor OutsideColor() { return QColor(0xC0, 0x10, 0x10); }
    static QColor Background() { return Qt::white; }

    // Paints the sheet's first page, then the memo lines its boxes could not hold on as many
    // pages as they need, in columns across the page, calling newPage before each of those
    // (false from it stops the painting). counted learns the page count before the first page
    // is painted, for the page numbers. Returns the number of pages.
    static int Paint(QPainter& painter, const SettingSheetLayout& layout, const std::function<bool()>& newPage,
                     const std::function<void(int pages)>& counted = {});

    // A memo's lines as the sheet shows them: each of its own lines wrapped to width (anywhere
    // when a word is longer than a line); trailing empty lines dropped.
    static QStringList WrapMemo(const QString& text, const QFont& font, QPaintDevice* device, double width);
};
