#pragma once
#include <QProxyStyle>

// The look of the curve bars: the platform's scroll bar with a dark thumb (orange while the bar
// has the focus), so the curve reads at a glance. One instance serves all bars.
class TCurveBarStyle : public QProxyStyle {
public:
    TCurveBarStyle();

    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget = nullptr) const override;
};
