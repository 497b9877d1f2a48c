#pragma once
#include <QImage>
#include <QObject>
#include <array>
#include <functional>
#include <optional>

#include "CurveEditing.h"
#include "EditorContext.h"
#include "ModelSettings.h"

class QLabel;
class QLineEdit;
class QScrollBar;
class QWidget;

// The drive-frequency curve of the shown model: 32 bars, the average bar, the value fields of the
// point in focus and the gauge that marks the selected range. Every edit goes straight into the
// model through the session. The selection belongs to the editor and survives a change of model.
// What an event does to the curve and the selection is decided by the session; the bars show
// its positions.
class TCurveEditor : public QObject {
public:
    static constexpr int kBars = ModelSettings::kFrqPoints;
    static constexpr int kMaxPosition = CurveEditing::kMaxPosition;
    static constexpr int kGaugeWidth = 551;
    static constexpr int kGaugeHeight = 7;

    // Creates the controls as children of page, at page coordinates.
    TCurveEditor(QWidget* page, EditorContext& ctx);
    ~TCurveEditor() override;

    // Each bar to the position of the shown model's point, limited to the bar's range, and the
    // average bar; writes nothing back.
    void ShowCurve();
    // AVG_BAR to the session's average.
    void UpdateAvgBar();
    // Value fields for bar index (0..31), or for the average (any other index, -1 by convention).
    void ShowFrqValue(int index);
    // Gauge cells of the range between a and b lime, the rest navy; nothing lime when either end is -1.
    void DrawSelectGauge(int a, int b);
    void ClearFrqSelection();

    void SpeedButton1Click();
    void LinearAdjust();

    // Event handlers, shared by the bars; the sender tells them apart.
    void FRQEnter(QScrollBar* Sender);
    // Returns true when the key is swallowed.
    bool FRQKeyDown(QScrollBar* Sender, int Key);
    void FRQKeyUp(QScrollBar* Sender, int Key);
    void FRQScroll(QScrollBar* Sender, TScrollCode ScrollCode, int& ScrollPos);
    void AVG_BARScroll(QScrollBar* Sender, TScrollCode ScrollCode, int& ScrollPos);

    int SelStart() const { return Editing().SelStart(); }
    int SelEnd() const { return Editing().SelEnd(); }
    const CurveEditing& Editing() const;
    // Bar i (0..31), nullptr for any other index.
    QScrollBar* Bar(int i) const { return i >= 0 && i < kBars ? FrqBars[static_cast<size_t>(i)] : nullptr; }
    QScrollBar* AvgBar() const { return AVG_BAR; }
    const QImage& GaugeImage() const { return gauge_; }
    // Index of a curve bar, -1 for anything else (AVG_BAR included).
    int IndexOf(const QObject* bar) const;

    // Where the Shift state comes from when no input event of ours is being handled. The default
    // asks the platform; tests may replace it. An empty function restores the default.
    void SetShiftQuery(std::function<bool()> query);
    bool ShiftHeld() const;

    std::array<QScrollBar*, kBars> FrqBars{};
    QScrollBar* AVG_BAR = nullptr;
    QLineEdit* FRQ_NUM = nullptr;
    QLineEdit* FRQ_F = nullptr;
    QLineEdit* FRQ_VAL = nullptr;
    QLabel* Select_Gage1 = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Bars to the given positions (the session's, the straight line while its question is open).
    void ShowPositions(const CurveEditing::Positions& positions);
    void BarAction(QScrollBar* bar, int action);
    void BuildGauge();
    void ShowGauge();
    // Moves the focus along the page's focus order from w; false when there is nowhere to go.
    static bool MoveFocus(QWidget* w, bool next);

    EditorContext& ctx_;
    QImage gauge_;
    std::function<bool()> shiftQuery_;
    // Modifiers of the key or mouse event of a bar being handled; the Shift state comes from them.
    std::optional<bool> eventShift_;
    // A bar given the focus by a mouse press, entered once the press arrives.
    QScrollBar* pendingEnter_ = nullptr;
};
