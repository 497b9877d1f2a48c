#include "ToolIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

constexpr int kSize = 24;

// The controller: a small box with pins, drawn at the bottom of the transfer icons.
void DrawDevice(QPainter& p)
{
    p.setPen(QPen(QColor(40, 40, 40), 1));
    p.setBrush(QColor(70, 90, 120));
    p.drawRect(5, 16, 14, 6);
    for (int x = 7; x <= 17; x += 3)
        p.drawLine(x, 22, x, 23);
}

void DrawArrow(QPainter& p, int x, bool up, QColor color)
{
    QPainterPath path;
    if (up) {
        path.moveTo(x, 1);
        path.lineTo(x + 5, 7);
        path.lineTo(x + 2, 7);
        path.lineTo(x + 2, 14);
        path.lineTo(x - 2, 14);
        path.lineTo(x - 2, 7);
        path.lineTo(x - 5, 7);
    } else {
        path.moveTo(x, 14);
        path.lineTo(x + 5, 8);
        path.lineTo(x + 2, 8);
        path.lineTo(x + 2, 1);
        path.lineTo(x - 2, 1);
        path.lineTo(x - 2, 8);
        path.lineTo(x - 5, 8);
    }
    path.closeSubpath();
    p.setPen(QPen(color.darker(150), 1));
    p.setBrush(color);
    p.drawPath(path);
}

}  // namespace

QIcon ToolIcons::Make(Kind kind)
{
    QPixmap pm(kSize, kSize);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor write(200, 60, 40);
    const QColor read(40, 140, 60);
    switch (kind) {
    case WriteAll:
        DrawDevice(p);
        DrawArrow(p, 7, false, write);
        DrawArrow(p, 17, false, write);
        break;
    case ReadAll:
        DrawDevice(p);
        DrawArrow(p, 7, true, read);
        DrawArrow(p, 17, true, read);
        break;
    case WriteShown:
        DrawDevice(p);
        DrawArrow(p, 12, false, write);
        break;
    case ReadShown:
        DrawDevice(p);
        DrawArrow(p, 12, true, read);
        break;
    case Open:
        p.setPen(QPen(QColor(120, 90, 20), 1));
        p.setBrush(QColor(240, 200, 90));
        p.drawRect(2, 7, 18, 13);
        p.setBrush(QColor(250, 220, 120));
        p.drawPolygon(QPolygon({QPoint(5, 11), QPoint(22, 11), QPoint(19, 20), QPoint(2, 20)}));
        break;
    case Save:
        p.setPen(QPen(QColor(30, 40, 80), 1));
        p.setBrush(QColor(60, 80, 150));
        p.drawRect(3, 3, 18, 18);
        p.setBrush(Qt::white);
        p.drawRect(6, 3, 12, 7);
        p.setBrush(QColor(200, 200, 200));
        p.drawRect(7, 14, 10, 7);
        break;
    case Exit:
        p.setPen(QPen(QColor(180, 30, 30), 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(6, 6, 18, 18);
        p.drawLine(18, 6, 6, 18);
        break;
    case Reset:
        p.setPen(QPen(QColor(40, 90, 160), 2.5, Qt::SolidLine, Qt::RoundCap));
        p.drawArc(QRectF(5, 5, 14, 14), 60 * 16, 280 * 16);
        p.setBrush(QColor(40, 90, 160));
        p.drawPolygon(QPolygon({QPoint(14, 1), QPoint(19, 6), QPoint(12, 8)}));
        break;
    case LinearAdjust:
        p.setPen(QPen(QColor(90, 90, 90), 1));
        for (int i = 0; i < 5; ++i)
            p.drawLine(3 + 4 * i, 21, 3 + 4 * i, 21 - (3 + 3 * i));
        p.setPen(QPen(QColor(200, 60, 40), 2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(3, 18, 19, 6);
        break;
    case Undo:
    case Redo: {
        // A curved arrow turning back (undo) or forward (redo).
        const QColor c(60, 60, 140);
        p.setPen(QPen(c, 2.5, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        if (kind == Undo) {
            p.drawArc(QRectF(6, 7, 14, 12), 270 * 16, 180 * 16);
            p.drawLine(QPointF(13, 7), QPointF(8, 7));
            p.setBrush(c);
            p.drawPolygon(QPolygonF({QPointF(3, 7), QPointF(9, 3), QPointF(9, 11)}));
        } else {
            p.drawArc(QRectF(4, 7, 14, 12), 90 * 16, 180 * 16);
            p.drawLine(QPointF(11, 7), QPointF(16, 7));
            p.setBrush(c);
            p.drawPolygon(QPolygonF({QPointF(21, 7), QPointF(15, 3), QPointF(15, 11)}));
        }
        break;
    }
    case History: {
        // A clock face: what the controller held, hour by hour.
        const QColor c(40, 100, 60);
        p.setPen(QPen(c, 2));
        p.setBrush(QColor(235, 245, 235));
        p.drawEllipse(QRectF(3, 3, 18, 18));
        p.setPen(QPen(c, 2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(12, 12), QPointF(12, 6));
        p.drawLine(QPointF(12, 12), QPointF(16, 14));
        break;
    }
    case Sheet: {
        // A printer with its sheet: the setting sheet, printed or as a PDF.
        const QColor c(70, 70, 70);
        p.setPen(QPen(c, 1.5));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(7, 2, 10, 8));
        p.setBrush(QColor(200, 200, 205));
        p.drawRoundedRect(QRectF(2.5, 9, 19, 9), 2, 2);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(7, 15, 10, 7));
        p.setPen(QPen(QColor(40, 90, 160), 1));
        p.drawLine(QPointF(9, 18), QPointF(15, 18));
        p.drawLine(QPointF(9, 20), QPointF(13, 20));
        break;
    }
    }
    p.end();
    return QIcon(pm);
}
