#include "TCurveEditor.h"

#include "TCurveBarStyle.h"

#include <QAbstractSlider>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPixmap>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>
#include <QWidget>

#include <algorithm>

#include "MessageDialog.h"
#include "EditingSession.h"
#include "ModelBank.h"
#include "TextTable.h"

namespace {

// Page coordinates. The gauge sits directly under the bars so that cell i lies under bar i.
constexpr int kBarLeft = 20;
constexpr int kBarTop = 128;
constexpr int kBarWidth = 16;
constexpr int kBarHeight = 170;
constexpr int kBarPitch = 17;
constexpr int kGroupGap = 2;
constexpr int kBarsPerGroup = 8;
constexpr QRect kAvgBar{576, kBarTop, 20, kBarHeight};
constexpr QRect kAvgLabel{572, 112, 28, 14};
constexpr int kGroupLabelTop = 112;
constexpr int kGroupLabelHeight = 14;
constexpr int kGroupLabelWidth = 24;  // centred over its bar
constexpr QRect kScaleTopLabel{0, kBarTop, 18, 14};
constexpr QRect kScaleBottomLabel{0, kBarTop + kBarHeight - 14, 18, 14};
constexpr QRect kGauge{19, 300, TCurveEditor::kGaugeWidth, TCurveEditor::kGaugeHeight};
constexpr QRect kFrqNum{100, 314, 56, 20};
constexpr QRect kFrqF{160, 314, 40, 20};
constexpr QRect kFrqVal{204, 314, 84, 20};

// Gauge picture.
constexpr int kFrameWidth = 137;  // one sunken frame per group of eight bars, then one column of background
constexpr int kFramePitch = 138;
constexpr int kCellWidth = 16;
constexpr QRgb kBackground = 0xFFD4D0C8;  // 212, 208, 200
constexpr QRgb kShadow = 0xFF808080;
constexpr QRgb kLight = 0xFFFFFFFF;
constexpr QRgb kEmptyCell = 0xFF000000;
constexpr QRgb kSelectedCell = 0xFF00FF00;
constexpr QRgb kUnselectedCell = 0xFF000080;

int BarX(int i) { return kBarLeft + kBarPitch * i + kGroupGap * (i / kBarsPerGroup); }
int CellX(int i) { return kBarPitch * i + 1 + kGroupGap * (i / kBarsPerGroup); }

QString FromUtf8(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

QScrollBar* MakeBar(QWidget* page, const QString& name, const QRect& geometry, QStyle* style)
{
    auto* bar = new QScrollBar(Qt::Vertical, page);
    bar->setStyle(style);
    bar->setObjectName(name);
    bar->setRange(0, TCurveEditor::kMaxPosition);
    bar->setSingleStep(1);
    bar->setPageStep(1);
    bar->setGeometry(geometry);
    bar->setFocusPolicy(Qt::StrongFocus);
    // The scroll bar's own menu sets positions without a scroll action, so the model would not
    // follow; every move must pass through the handlers.
    bar->setContextMenuPolicy(Qt::NoContextMenu);
    return bar;
}

QLabel* MakeLabel(QWidget* page, const char* text, const QRect& geometry, Qt::Alignment alignment)
{
    auto* label = new QLabel(QString::fromLatin1(text), page);
    label->setGeometry(geometry);
    label->setAlignment(alignment);
    return label;
}

QLineEdit* MakeField(QWidget* page, const char* name, const QRect& geometry)
{
    auto* field = new QLineEdit(page);
    field->setObjectName(QString::fromLatin1(name));
    field->setGeometry(geometry);
    field->setReadOnly(true);
    return field;
}

}  // namespace

TCurveEditor::TCurveEditor(QWidget* page, EditorContext& ctx) : QObject(page), ctx_(ctx)
{
    auto* barStyle = new TCurveBarStyle;
    barStyle->setParent(page);
    for (int i = 0; i < kBars; ++i) {
        QScrollBar* bar = MakeBar(page, QStringLiteral("FRQ_%1").arg(i), QRect(BarX(i), kBarTop, kBarWidth, kBarHeight), barStyle);
        bar->setProperty("tag", i);
        FrqBars[static_cast<size_t>(i)] = bar;
    }
    AVG_BAR = MakeBar(page, QStringLiteral("AVG_BAR"), kAvgBar, barStyle);

    for (QScrollBar* bar : FrqBars) {
        bar->installEventFilter(this);
        connect(bar, &QAbstractSlider::actionTriggered, this, [this, bar](int action) { BarAction(bar, action); });
        connect(bar, &QAbstractSlider::sliderReleased, this, [this, bar] {
            int pos = bar->value();
            FRQScroll(bar, scEndScroll, pos);
        });
    }
    AVG_BAR->installEventFilter(this);
    connect(AVG_BAR, &QAbstractSlider::actionTriggered, this, [this](int action) { BarAction(AVG_BAR, action); });
    connect(AVG_BAR, &QAbstractSlider::sliderReleased, this, [this] {
        int pos = AVG_BAR->value();
        AVG_BARScroll(AVG_BAR, scEndScroll, pos);
    });

    for (int i = 0; i + 1 < kBars; ++i)
        QWidget::setTabOrder(FrqBars[static_cast<size_t>(i)], FrqBars[static_cast<size_t>(i + 1)]);
    QWidget::setTabOrder(FrqBars[kBars - 1], AVG_BAR);

    // Group numbers over the first and last bar of each group, the step scale, the average's name.
    static constexpr const char* kGroupTexts[] = {"1", "8", "9", "16", "17", "24", "25", "32"};
    for (int g = 0; g < kBars / kBarsPerGroup; ++g) {
        for (int end = 0; end < 2; ++end) {
            const int i = g * kBarsPerGroup + end * (kBarsPerGroup - 1);
            const QRect r(BarX(i) + kBarWidth / 2 - kGroupLabelWidth / 2, kGroupLabelTop, kGroupLabelWidth, kGroupLabelHeight);
            MakeLabel(page, kGroupTexts[2 * g + end], r, Qt::AlignHCenter | Qt::AlignBottom);
        }
    }
    MakeLabel(page, "52", kScaleTopLabel, Qt::AlignRight | Qt::AlignTop);
    MakeLabel(page, "1", kScaleBottomLabel, Qt::AlignRight | Qt::AlignBottom);
    MakeLabel(page, "AVG", kAvgLabel, Qt::AlignHCenter | Qt::AlignBottom);

    FRQ_NUM = MakeField(page, "FRQ_NUM", kFrqNum);
    FRQ_F = MakeField(page, "FRQ_F", kFrqF);
    FRQ_VAL = MakeField(page, "FRQ_VAL", kFrqVal);

    Select_Gage1 = new QLabel(page);
    Select_Gage1->setObjectName("Select_Gage1");
    Select_Gage1->setGeometry(kGauge);
    Select_Gage1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Select_Gage1->setContentsMargins(0, 0, 0, 0);
    BuildGauge();
    ShowGauge();
    ShowPositions(ctx_.session.BarPositions());
    AVG_BAR->setValue(Editing().AvgPosition());
}

TCurveEditor::~TCurveEditor() = default;

int TCurveEditor::IndexOf(const QObject* bar) const
{
    const auto it = std::find(FrqBars.begin(), FrqBars.end(), bar);
    return it == FrqBars.end() ? -1 : static_cast<int>(it - FrqBars.begin());
}

void TCurveEditor::SetShiftQuery(std::function<bool()> query)
{
    shiftQuery_ = std::move(query);
}

bool TCurveEditor::ShiftHeld() const
{
    if (eventShift_)
        return *eventShift_;
    if (shiftQuery_)
        return shiftQuery_();
    return QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ShiftModifier);
}

const CurveEditing& TCurveEditor::Editing() const
{
    return ctx_.session.Curve();
}

// ---- showing -------------------------------------------------------------------------------

void TCurveEditor::ShowCurve()
{
    ctx_.session.ShowModel();
    ShowPositions(ctx_.session.BarPositions());
    UpdateAvgBar();
}

void TCurveEditor::ShowPositions(const CurveEditing::Positions& positions)
{
    // setValue raises no scroll action, so nothing is written back.
    for (int i = 0; i < kBars; ++i)
        FrqBars[static_cast<size_t>(i)]->setValue(positions[static_cast<size_t>(i)]);
}

void TCurveEditor::UpdateAvgBar()
{
    AVG_BAR->setValue(Editing().AvgPosition());
}

void TCurveEditor::ShowFrqValue(int index)
{
    const CurveEditing::PointTexts texts = Editing().Texts(index);
    FRQ_NUM->setText(FromUtf8(texts.name));
    FRQ_F->setText(FromUtf8(texts.step));
    FRQ_VAL->setText(FromUtf8(texts.kHz));
}

void TCurveEditor::BuildGauge()
{
    gauge_ = QImage(kGaugeWidth, kGaugeHeight, QImage::Format_RGB32);
    gauge_.fill(kBackground);
    for (int g = 0; g < kBars / kBarsPerGroup; ++g) {
        const int x0 = kFramePitch * g;
        const int x1 = x0 + kFrameWidth - 1;
        for (int x = x0; x <= x1; ++x) {
            gauge_.setPixel(x, 0, kShadow);
            if (x > x0)
                gauge_.setPixel(x, kGaugeHeight - 1, kLight);
        }
        for (int y = 0; y < kGaugeHeight; ++y)
            gauge_.setPixel(x0, y, kShadow);
        for (int y = 1; y < kGaugeHeight; ++y)
            gauge_.setPixel(x1, y, kLight);
        for (int y = 1; y < kGaugeHeight - 1; ++y) {
            for (int c = 0; c < kBarsPerGroup; ++c) {
                const int cx = x0 + 1 + c * (kCellWidth + 1);
                for (int x = cx; x < cx + kCellWidth; ++x)
                    gauge_.setPixel(x, y, kEmptyCell);
                gauge_.setPixel(cx + kCellWidth, y, kLight);
            }
        }
    }
}

void TCurveEditor::ShowGauge()
{
    Select_Gage1->setPixmap(QPixmap::fromImage(gauge_));
}

void TCurveEditor::DrawSelectGauge(int a, int b)
{
    for (int i = 0; i < kBars; ++i) {
        const QRgb colour = CurveEditing::GaugeLit(a, b, i) ? kSelectedCell : kUnselectedCell;
        for (int y = 1; y < kGaugeHeight - 1; ++y)
            for (int x = CellX(i); x < CellX(i) + kCellWidth; ++x)
                gauge_.setPixel(x, y, colour);
    }
    ShowGauge();
}

void TCurveEditor::ClearFrqSelection()
{
    ctx_.session.ClearSelection();
    ShowFrqValue(-1);
    DrawSelectGauge(-1, -1);
}

// ---- interpolation -------------------------------------------------------------------------

void TCurveEditor::SpeedButton1Click()
{
    LinearAdjust();
    ShowFrqValue(SelEnd());
    DrawSelectGauge(SelEnd(), SelEnd());
}

void TCurveEditor::LinearAdjust()
{
    // The bars show the line while the question is open; only a Yes makes it the curve.
    ctx_.session.ProposeLine();
    ShowPositions(ctx_.session.BarPositions());
    const int32_t answer = MessageDialog(DialogKind::Question, DialogButtons::YesNo,
                                         TextTable::Message(TextTable::kOkay, ctx_.language), ctx_.language);
    ctx_.session.AnswerLine(answer != DialogResult::No);
    ShowPositions(ctx_.session.BarPositions());
    UpdateAvgBar();
}

// ---- bar events ----------------------------------------------------------------------------

void TCurveEditor::FRQEnter(QScrollBar* Sender)
{
    const int i = IndexOf(Sender);
    if (i < 0)
        return;
    ShowFrqValue(i);
    ctx_.session.EnterBar(i, ShiftHeld());
    DrawSelectGauge(SelStart(), SelEnd());
}

bool TCurveEditor::FRQKeyDown(QScrollBar* Sender, int Key)
{
    const int i = Sender == AVG_BAR ? 0 : IndexOf(Sender);
    if (i < 0)
        return false;
    if (Key != Qt::Key_Right && Key != Qt::Key_Left)
        return false;
    const bool right = Key == Qt::Key_Right;
    if (CurveEditing::ArrowMovesFocus(i, right))
        MoveFocus(Sender, right);
    return true;
}

void TCurveEditor::FRQKeyUp(QScrollBar* Sender, int /*Key*/)
{
    const int i = IndexOf(Sender);
    const bool shift = ShiftHeld();
    if (i < 0 || shift)
        return;
    ctx_.session.KeyUpBar(i, shift);
    DrawSelectGauge(i, i);
}

void TCurveEditor::FRQScroll(QScrollBar* Sender, TScrollCode ScrollCode, int& ScrollPos)
{
    const int i = IndexOf(Sender);
    if (i < 0)
        return;
    const bool shift = ShiftHeld();
    const CurveEditing::Scrolled scrolled = ctx_.session.ScrollBar(i, ScrollCode, ScrollPos, shift);
    if (!shift)
        DrawSelectGauge(i, i);
    ScrollPos = scrolled.position;
    if (scrolled.moved == 0)
        return;
    ShowPositions(ctx_.session.BarPositions());
    UpdateAvgBar();
    ShowFrqValue(i);
}

void TCurveEditor::AVG_BARScroll(QScrollBar* /*Sender*/, TScrollCode /*ScrollCode*/, int& ScrollPos)
{
    const CurveEditing::Scrolled scrolled = ctx_.session.ScrollAverage(ScrollPos);
    ScrollPos = scrolled.position;
    if (scrolled.moved == 0)
        return;
    ShowPositions(ctx_.session.BarPositions());
    UpdateAvgBar();
    ShowFrqValue(-1);
    DrawSelectGauge(-1, -1);
}

void TCurveEditor::BarAction(QScrollBar* bar, int action)
{
    TScrollCode code;
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd: code = scLineDown; break;
    case QAbstractSlider::SliderSingleStepSub: code = scLineUp; break;
    case QAbstractSlider::SliderPageStepAdd: code = scPageDown; break;
    case QAbstractSlider::SliderPageStepSub: code = scPageUp; break;
    case QAbstractSlider::SliderToMinimum: code = scTop; break;
    case QAbstractSlider::SliderToMaximum: code = scBottom; break;
    case QAbstractSlider::SliderMove: code = scTrack; break;
    default: return;
    }
    // The slider has the requested position but not yet taken it; what the handler leaves in
    // pos is what it takes.
    int pos = bar->sliderPosition();
    if (bar == AVG_BAR)
        AVG_BARScroll(bar, code, pos);
    else
        FRQScroll(bar, code, pos);
    if (pos != bar->sliderPosition())
        bar->setSliderPosition(pos);
}

bool TCurveEditor::MoveFocus(QWidget* w, bool next)
{
    for (QWidget* c = next ? w->nextInFocusChain() : w->previousInFocusChain(); c && c != w;
         c = next ? c->nextInFocusChain() : c->previousInFocusChain()) {
        if (c->window() == w->window() && c->isEnabled() && c->isVisible() && !c->focusProxy() &&
            (c->focusPolicy() & Qt::TabFocus) == Qt::TabFocus) {
            c->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return true;
        }
    }
    return false;
}

bool TCurveEditor::eventFilter(QObject* watched, QEvent* event)
{
    auto* bar = qobject_cast<QScrollBar*>(watched);
    if (!bar || (bar != AVG_BAR && IndexOf(bar) < 0))
        return false;

    switch (event->type()) {
    case QEvent::FocusIn: {
        // Only a change of the focused control counts, not the window becoming active again.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (bar == AVG_BAR || reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
            return false;
        if (reason == Qt::MouseFocusReason) {
            // A press gives the focus before the press itself arrives; enter with the press's
            // Shift state then. Should the press not come, enter anyway.
            pendingEnter_ = bar;
            QTimer::singleShot(0, this, [this, bar] {
                if (pendingEnter_ == bar) {
                    pendingEnter_ = nullptr;
                    FRQEnter(bar);
                }
            });
            return false;
        }
        FRQEnter(bar);
        return false;
    }
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        auto* key = static_cast<QKeyEvent*>(event);
        // Releasing Shift itself means Shift is up from then on.
        const bool shift = key->key() == Qt::Key_Shift ? event->type() == QEvent::KeyPress
                                                       : key->modifiers().testFlag(Qt::ShiftModifier);
        const std::optional<bool> saved = eventShift_;
        eventShift_ = shift;
        if (event->type() == QEvent::KeyPress) {
            if (FRQKeyDown(bar, key->key())) {
                // Left and Right only move the focus; the bar never sees them.
                eventShift_ = saved;
                key->accept();
                return true;
            }
        } else if (!key->isAutoRepeat()) {
            FRQKeyUp(bar, key->key());
        }
        static_cast<QObject*>(bar)->event(event);
        eventShift_ = saved;
        return true;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseMove:
    case QEvent::Wheel: {
        const auto* input = static_cast<QInputEvent*>(event);
        const std::optional<bool> saved = eventShift_;
        eventShift_ = input->modifiers().testFlag(Qt::ShiftModifier);
        if (pendingEnter_ == bar && (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick)) {
            pendingEnter_ = nullptr;
            FRQEnter(bar);
        }
        // The bar handles the event while its Shift state is known, so the scroll actions it
        // raises see it.
        static_cast<QObject*>(bar)->event(event);
        eventShift_ = saved;
        return true;
    }
    default:
        return false;
    }
}
