#include "TCurveBarStyle.h"

#include <QApplication>
#include <QPainter>
#include <QStyleOptionSlider>

TCurveBarStyle::TCurveBarStyle() : QProxyStyle(QApplication::style()->name()) {}

void TCurveBarStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                                        const QWidget* widget) const
{
    QProxyStyle::drawComplexControl(control, option, painter, widget);
    if (control != CC_ScrollBar)
        return;
    const auto* bar = qstyleoption_cast<const QStyleOptionSlider*>(option);
    if (!bar)
        return;
    const QRect thumb = subControlRect(CC_ScrollBar, bar, SC_ScrollBarSlider, widget).adjusted(1, 0, -1, -1);
    if (thumb.isEmpty())
        return;
    const bool focused = bar->state & State_HasFocus;
    painter->save();
    painter->setPen(focused ? QColor(138, 58, 26) : QColor(43, 76, 122));
    painter->setBrush(focused ? QColor(208, 90, 42) : QColor(63, 106, 166));
    painter->drawRect(thumb);
    painter->restore();
}
