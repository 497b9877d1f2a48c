#include "TCurvePlot.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

TCurvePlot::TCurvePlot(QWidget* parent) : QWidget(parent)
{
    setObjectName("ComparePlot");
    setMinimumSize(360, 200);
}

void TCurvePlot::SetCurves(const Curve& left, const QString& leftName, const Curve& right, const QString& rightName)
{
    left_ = left;
    right_ = right;
    leftName_ = leftName;
    rightName_ = rightName;
    // The scale takes in both curves, in whole kHz.
    low_ = std::floor(std::min(*std::min_element(left.begin(), left.end()), *std::min_element(right.begin(), right.end())));
    high_ = std::ceil(std::max(*std::max_element(left.begin(), left.end()), *std::max_element(right.begin(), right.end())));
    if (high_ <= low_)
        high_ = low_ + 1;
    update();
}

// Below the two legend lines; the font's line height, so that larger fonts keep them apart.
QRectF TCurvePlot::Area() const
{
    const double top = 8 + 2 * fontMetrics().height();
    return QRectF(40, top, width() - 52, height() - top - 24);
}

// The legend starts right of the "kHz" caption in the top left corner, so that the names get
// nearly the whole width.
double TCurvePlot::LegendLeft() const { return fontMetrics().horizontalAdvance(QStringLiteral("kHz")) + 10; }

QRectF TCurvePlot::LegendRect(int side) const
{
    const double line = fontMetrics().height();
    const double x = LegendLeft() + 24;
    return QRectF(x, 4 + side * line, std::max(0.0, width() - x - 4), line);
}

QString TCurvePlot::LegendText(int side) const
{
    return fontMetrics().elidedText(side == 0 ? leftName_ : rightName_, Qt::ElideMiddle,
                                    static_cast<int>(LegendRect(side).width()));
}

QPointF TCurvePlot::At(int k, double kHz) const
{
    const QRectF a = Area();
    return {a.left() + a.width() * k / (ModelSettings::kFrqPoints - 1), a.bottom() - a.height() * (kHz - low_) / (high_ - low_)};
}

void TCurvePlot::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), Qt::white);
    const QRectF a = Area();
    p.setPen(QColor(200, 200, 200));
    for (double v = low_; v <= high_ + 1e-9; v += std::max(1.0, std::round((high_ - low_) / 6))) {
        const double y = At(0, v).y();
        p.drawLine(QPointF(a.left(), y), QPointF(a.right(), y));
        p.setPen(Qt::black);
        p.drawText(QRectF(0, y - 8, a.left() - 4, 16), Qt::AlignRight | Qt::AlignVCenter, QString::number(v));
        p.setPen(QColor(200, 200, 200));
    }
    p.setPen(Qt::black);
    p.drawRect(a);
    for (int k : {0, 7, 15, 23, 31})
        p.drawText(QRectF(At(k, low_).x() - 10, a.bottom() + 2, 20, 16), Qt::AlignCenter, QString::number(k + 1));
    p.drawText(QRectF(2, LegendRect(0).top(), LegendLeft(), LegendRect(0).height()), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("kHz"));
    // The right curve dashed, so that where both agree each stays visible.
    const auto draw = [&](const Curve& c, QColor color, int legend) {
        QPainterPath path;
        for (int k = 0; k < ModelSettings::kFrqPoints; ++k)
            k == 0 ? path.moveTo(At(k, c[static_cast<size_t>(k)])) : path.lineTo(At(k, c[static_cast<size_t>(k)]));
        p.setPen(QPen(color, 2, legend == 0 ? Qt::SolidLine : Qt::DashLine));
        p.setBrush(Qt::NoBrush);
        p.drawPath(path);
        const QRectF text = LegendRect(legend);
        const double x = LegendLeft();
        p.drawLine(QPointF(x, text.center().y()), QPointF(x + 20, text.center().y()));
        p.setPen(Qt::black);
        p.drawText(text, Qt::AlignLeft | Qt::AlignVCenter, LegendText(legend));
    };
    draw(left_, QColor(30, 80, 200), 0);
    draw(right_, QColor(210, 40, 40), 1);
}
