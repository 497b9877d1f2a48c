#pragma once
#include <QColor>

class QPainter;
class SettingSheetLayout;

// Draws a setting sheet's layout with any QPainter (a PDF page or an image). Texts are cut
// to their boxes: a long value is elided, a long memo wraps and ends in "…" at its box's bottom.
class SettingSheetPainter {
public:
    // Colours a test can look for: the curve, and the current model's mark.
    static QColor CurveColor() { return QColor(0x1F, 0x5F, 0xBF); }
    static QColor MarkColor() { return QColor(0xD9, 0x6A, 0x00); }
    static QColor Background() { return Qt::white; }

    static void Paint(QPainter& painter, const SettingSheetLayout& layout);
};
