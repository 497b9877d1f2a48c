#include "TModelEditor.h"

#include "EditingSession.h"

#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStringDecoder>
#include <QTabBar>

#include "ModelBank.h"
#include "ModelFieldRules.h"
#include "TCurveEditor.h"
#include "TModelTabs.h"
#include "TextTable.h"

namespace {

// Layout of the page (coordinates of MDL_SEL). The curve editor places its own controls:
// bars from y 128 to 298, the gauge at y 300, its value fields at y 314 from x 100.
constexpr int kTabHeight = 24;
constexpr QRect kLabel1{12, 30, 230, 16};
constexpr QRect kNbrkBar{12, 48, 224, 17};
constexpr QRect kNbrkEdit{242, 46, 48, 21};
constexpr QRect kLabel8{12, 72, 230, 16};
constexpr QRect kProgBar{12, 90, 224, 17};
constexpr QRect kProgEdit{242, 88, 48, 21};
constexpr QRect kLabel6{318, 30, 160, 16};
constexpr QRect kBfreqCmb{318, 46, 104, 22};
constexpr QRect kLabel9{318, 72, 160, 16};
constexpr QRect kCutoffCmb{318, 88, 176, 22};
constexpr QRect kLabel18{20, 316, 76, 16};
constexpr QRect kLabel2{300, 316, 120, 16};
constexpr QRect kMemo1{300, 334, 292, 70};

// Every character as it is: QString::fromUtf8 would drop a U+FEFF that begins the text (a memo
// may begin with one).
QString FromUtf8(std::string_view s)
{
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    return decoder.decode(QByteArrayView(s.data(), static_cast<qsizetype>(s.size())));
}

}  // namespace

TModelEditor::TModelEditor(EditorContext& ctx, QWidget* parent)
    : QWidget(parent), ctx_(ctx)
{
    setObjectName("MDL_SEL");
    setFixedSize(kWidth, kHeight);

    Page = new QFrame(this);
    Page->setObjectName("MDL_SEL_Page");
    Page->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    Page->setGeometry(0, kTabHeight - 1, kWidth, kHeight - kTabHeight + 1);

    MDL_SEL_Tabs = new QTabBar(this);
    MDL_SEL_Tabs->setObjectName("MDL_SEL_Tabs");
    MDL_SEL_Tabs->setDrawBase(false);
    MDL_SEL_Tabs->setExpanding(false);
    for (int i = 1; i <= ModelBank::kModels; ++i)
        MDL_SEL_Tabs->addTab(QStringLiteral("MODEL%1").arg(i));
    MDL_SEL_Tabs->setGeometry(2, 0, kWidth - 4, kTabHeight);

    auto label = [this](const char* name, QRect r) {
        auto* l = new QLabel(this);
        l->setObjectName(name);
        l->setGeometry(r);
        return l;
    };
    Label1 = label("Label1", kLabel1);
    Label8 = label("Label8", kLabel8);
    Label6 = label("Label6", kLabel6);
    Label9 = label("Label9", kLabel9);
    Label18 = label("Label18", kLabel18);
    Label2 = label("Label2", kLabel2);

    auto bar = [this](const char* name, QRect r, int max) {
        auto* b = new QScrollBar(Qt::Horizontal, this);
        b->setObjectName(name);
        b->setRange(0, max);
        b->setSingleStep(1);
        b->setPageStep(1);
        b->setInvertedControls(false);  // Right and Up raise the value, as the bar shows it
        // The bar's own menu moves it without a scroll action, so the record would not follow.
        b->setContextMenuPolicy(Qt::NoContextMenu);
        b->setGeometry(r);
        connect(b, &QAbstractSlider::actionTriggered, this, [this, b](int) { MDL_BARScroll(b, b->sliderPosition()); });
        connect(b, &QAbstractSlider::sliderReleased, this, [this, b] { MDL_BARScroll(b, b->sliderPosition()); });
        return b;
    };
    auto edit = [this](const char* name, QRect r) {
        auto* e = new QLineEdit(QStringLiteral("0"), this);
        e->setObjectName(name);
        e->setGeometry(r);
        e->installEventFilter(this);
        return e;
    };
    NBRK_BAR = bar("NBRK_BAR", kNbrkBar, 255);
    NBRK_EDIT = edit("NBRK_EDIT", kNbrkEdit);
    PROG_BAR = bar("PROG_BAR", kProgBar, 12);
    PROG_EDIT = edit("PROG_EDIT", kProgEdit);

    BFREQ_CMB = new QComboBox(this);
    BFREQ_CMB->setObjectName("BFREQ_CMB");
    BFREQ_CMB->setGeometry(kBfreqCmb);
    BFREQ_CMB->setMaxVisibleItems(16);
    BFREQ_CMB->setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));  // a list of 16 rows, not the screen
    // Written back on every choice the user makes, also with the list closed (keys, wheel),
    // so the record never differs from what the list shows.
    connect(BFREQ_CMB, &QComboBox::activated, this, [this](int) { BFREQ_CMBCloseUp(); });

    CUTOFF_COMB = new QComboBox(this);
    CUTOFF_COMB->setObjectName("CUTOFF_COMB");
    CUTOFF_COMB->setEditable(true);
    CUTOFF_COMB->setInsertPolicy(QComboBox::NoInsert);
    CUTOFF_COMB->setCompleter(nullptr);  // a completed guess must not count as a choice
    CUTOFF_COMB->setGeometry(kCutoffCmb);
    CUTOFF_COMB->installEventFilter(this);
    CUTOFF_COMB->lineEdit()->installEventFilter(this);
    connect(CUTOFF_COMB, &QComboBox::activated, this, [this](int) { CUTOFF_COMBChange(); });
    connect(CUTOFF_COMB, &QComboBox::editTextChanged, this, [this](const QString&) { CUTOFF_COMBChange(); });

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName("Memo1");
    Memo1->setGeometry(kMemo1);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setTabChangesFocus(true);
    Memo1->setUndoRedoEnabled(false);  // the window's undo takes the memo's edits with every other
    connect(Memo1, &QPlainTextEdit::textChanged, this, [this] { Memo1Change(); });

    curve_ = new TCurveEditor(this, ctx_);
    tabs_ = new TModelTabs(MDL_SEL_Tabs, this, ctx_, *curve_);
}

TModelEditor::~TModelEditor() = default;

void TModelEditor::PairControls()
{
    partners_ = {{NBRK_BAR, NBRK_EDIT}, {NBRK_EDIT, NBRK_BAR}, {PROG_BAR, PROG_EDIT}, {PROG_EDIT, PROG_BAR}};
}

void TModelEditor::FillLists()
{
    BFREQ_CMB->clear();
    for (int k = 0; k < ModelFieldRules::kBrakeItems; ++k)
        BFREQ_CMB->addItem(FromUtf8(ModelFieldRules::BrakeItemText(k)));
    showing_ = true;
    CUTOFF_COMB->clear();
    for (int k = 0; k < ModelFieldRules::kCutOffItems; ++k)
        CUTOFF_COMB->addItem(FromUtf8(ModelFieldRules::CutOffItemText(k)));
    showing_ = false;
}

void TModelEditor::SetLabelTexts(int language)
{
    Label1->setText(FromUtf8(TextTable::Message(TextTable::kAutomaticBrake, language)));
    Label6->setText(FromUtf8(TextTable::Message(TextTable::kBrakeFreq, language)));
    Label8->setText(FromUtf8(TextTable::Message(TextTable::kTimingAdjust, language)));
    Label9->setText(FromUtf8(TextTable::Message(TextTable::kLowVoltCut, language)));
    Label18->setText(FromUtf8(TextTable::Message(TextTable::kDriveFreq, language)));
    Label2->setText(FromUtf8(TextTable::Message(TextTable::kMemo, language)));
}

int TModelEditor::SelectedTab() const
{
    return ModelBank::ClampIndex(MDL_SEL_Tabs->currentIndex());
}

const ModelSettings& TModelEditor::Selected() const
{
    return ctx_.session.Bank().Model(ctx_.session.Bank().ShownIndex());
}

QScrollBar* TModelEditor::PartnerBar(QLineEdit* edit) const
{
    auto it = partners_.find(edit);
    return it == partners_.end() ? nullptr : static_cast<QScrollBar*>(it->second);
}

QLineEdit* TModelEditor::PartnerEdit(QScrollBar* bar) const
{
    auto it = partners_.find(bar);
    return it == partners_.end() ? nullptr : static_cast<QLineEdit*>(it->second);
}

void TModelEditor::ShowCutOffItem(int item)
{
    CUTOFF_COMB->setCurrentIndex(item);
    CUTOFF_COMB->setEditText(CUTOFF_COMB->itemText(item));
}

void TModelEditor::ShowModel()
{
    // Showing never changes the record: values the controls cannot show stay as they are.
    showing_ = true;
    const int m = ctx_.session.Bank().ShownIndex();
    {
        const QSignalBlocker block(MDL_SEL_Tabs);
        MDL_SEL_Tabs->setCurrentIndex(m);
    }
    const ModelSettings& model = ctx_.session.Bank().Model(m);
    NBRK_BAR->setValue(ModelFieldRules::kNbrk.Shown(model.NBRK));
    NBRK_EDIT->setText(FromUtf8(ModelFieldRules::kNbrk.Text(model.NBRK)));
    BFREQ_CMB->setCurrentIndex(ModelFieldRules::BrakeItemOf(model.BFREQ));
    PROG_BAR->setValue(ModelFieldRules::kProg.Shown(model.PROG));
    PROG_EDIT->setText(FromUtf8(ModelFieldRules::kProg.Text(model.PROG)));
    ShowCutOffItem(ModelFieldRules::CutOffItemOf(model.VLT));
    curve_->ShowCurve();
    Memo1->setPlainText(FromUtf8(EditingSession::MemoToField(model.MEMO)));
    showing_ = false;
}

void TModelEditor::CommitPendingEdit()
{
    QWidget* focus = window()->focusWidget();
    if (focus == NBRK_EDIT || focus == PROG_EDIT)
        MDL_Exit(static_cast<QLineEdit*>(focus));
}

void TModelEditor::MDL_BARScroll(QScrollBar* sender, int position)
{
    if (QLineEdit* edit = PartnerEdit(sender))
        edit->setText(QString::number(position));
    if (sender == NBRK_BAR || sender == PROG_BAR)
        ctx_.session.MoveScalarBar(sender == NBRK_BAR ? 0 : 1, position);
}

void TModelEditor::MDL_KeyPress(QLineEdit* sender, int character)
{
    if (character == 13)
        MDL_Exit(sender);
}

void TModelEditor::MDL_Exit(QLineEdit* sender)
{
    QScrollBar* bar = PartnerBar(sender);
    if (!bar)
        return;
    const bool nbrk = sender == NBRK_EDIT;
    ctx_.session.TakeNumber(nbrk ? 0 : 1, sender->text().toStdString());
    const ModelFieldRules::Range& range = nbrk ? ModelFieldRules::kNbrk : ModelFieldRules::kProg;
    const int32_t value = nbrk ? Selected().NBRK : Selected().PROG;
    bar->setValue(range.Shown(value));
    sender->setText(FromUtf8(range.Text(value)));
}

void TModelEditor::CUTOFF_COMBChange()
{
    if (showing_)
        return;
    // Typed text that names no item leaves the record as it is.
    ctx_.session.TypeCutOff(CUTOFF_COMB->currentText().toStdString());
}

void TModelEditor::BFREQ_CMBCloseUp()
{
    ctx_.session.PickBrake(BFREQ_CMB->currentIndex());
}

void TModelEditor::Memo1Change()
{
    if (showing_)
        return;
    ctx_.session.SetMemo(Memo1->toPlainText().toStdString());
}

bool TModelEditor::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == NBRK_EDIT || watched == PROG_EDIT) {
        auto* edit = static_cast<QLineEdit*>(watched);
        if (event->type() == QEvent::FocusOut) {
            MDL_Exit(edit);
        } else if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter)
                MDL_KeyPress(edit, 13);
        }
    } else if ((watched == CUTOFF_COMB || watched == CUTOFF_COMB->lineEdit()) && event->type() == QEvent::FocusOut) {
        // Leaving typed text that names no item: show the item of the record again.
        if (!ModelFieldRules::CutOffCodeOfText(CUTOFF_COMB->currentText().toStdString())) {
            showing_ = true;
            ShowCutOffItem(ModelFieldRules::CutOffItemOf(Selected().VLT));
            showing_ = false;
        }
    }
    return QWidget::eventFilter(watched, event);
}
