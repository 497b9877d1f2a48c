#pragma once
#include <QString>
#include <QWidget>
#include <array>

#include "ModelSettings.h"

// Two drive-frequency curves in one plot: kHz over the 32 points, the left setup's in blue and
// the right one's in red and dashed, with the kHz scale of both.
class TCurvePlot : public QWidget {
public:
    using Curve = std::array<double, ModelSettings::kFrqPoints>;
    explicit TCurvePlot(QWidget* parent = nullptr);

    void SetCurves(const Curve& left, const QString& leftName, const Curve& right, const QString& rightName);
    const Curve& Left() const { return left_; }
    const Curve& Right() const { return right_; }
    // Where point k of a value in kHz is drawn, in the widget's coordinates.
    QPointF At(int k, double kHz) const;
    // A curve's legend entry (0 left, 1 right), each on its own line above the curves: where its
    // name is written and the name as written, shortened in the middle only when it must be.
    QRectF LegendRect(int side) const;
    QString LegendText(int side) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRectF Area() const;
    double LegendLeft() const;

    Curve left_{};
    Curve right_{};
    QString leftName_;
    QString rightName_;
    double low_ = 0;
    double high_ = 1;
};
