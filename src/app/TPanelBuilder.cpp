#include "TPanelBuilder.h"

#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QToolButton>

#include "THintFilter.h"
#include "TMainForm.h"
#include "TModelEditor.h"
#include "TPortComboBox.h"
#include "TUndoActions.h"
#include "TextTable.h"
#include "ToolIcons.h"

namespace {

constexpr int kPanelTop = TModelEditor::kHeight;
constexpr int kPanelHeight = TMainForm::kClientHeight - kPanelTop;
constexpr int kButtonSize = 32;
constexpr int kButtonStep = 34;
}  // namespace

// The connections outlive the builder: their lambdas hold the window, never the builder.
void TPanelBuilder::BuildPanel4()
{
    TMainForm* const form = &form_;
    form_.Panel4 = new QFrame(form);
    form_.Panel4->setObjectName("Panel4");
    form_.Panel4->setFrameStyle(QFrame::Panel | QFrame::Raised);
    form_.Panel4->setGeometry(0, kPanelTop, TMainForm::kClientWidth, kPanelHeight);
    form_.Panel4->setFocusPolicy(Qt::StrongFocus);  // the neutral focus target

    int x = 6;
    auto next = [&x] { const int at = x; x += kButtonStep; return at; };
    form_.PROGRAM_BTN = AddToolButton("PROGRAM_BTN", 0, next(), ToolIcons::Make(ToolIcons::WriteAll), &TMainForm::PROGRAM_BTNClick);
    form_.READ_BTN = AddToolButton("READ_BTN", 1, next(), ToolIcons::Make(ToolIcons::ReadAll), &TMainForm::READ_BTNClick);
    form_.OpenBtn = AddToolButton("OpenBtn", 2, next(), ToolIcons::Make(ToolIcons::Open), &TMainForm::OpenBtnClick);
    // The files used last: held down or right-clicked, the Open button offers them.
    form_.recentMenu_ = new QMenu(form_.OpenBtn);
    form_.recentMenu_->setObjectName("RecentMenu");
    QObject::connect(form_.recentMenu_, &QMenu::aboutToShow, form, [form] { form->FillRecentMenu(); });
    form_.OpenBtn->setMenu(form_.recentMenu_);
    form_.OpenBtn->setPopupMode(QToolButton::DelayedPopup);
    form_.OpenBtn->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(form_.OpenBtn, &QWidget::customContextMenuRequested, form,
                     [form](const QPoint& at) { form->recentMenu_->popup(form->OpenBtn->mapToGlobal(at)); });
    form_.SaveBtn = AddToolButton("SaveBtn", 3, next(), ToolIcons::Make(ToolIcons::Save), &TMainForm::SaveBtnClick);
    form_.EXIT_BTN = AddToolButton("EXIT_BTN", 4, next(), ToolIcons::Make(ToolIcons::Exit), &TMainForm::EXIT_BTNClick);
    x += 10;  // the single-model buttons form a group of their own
    form_.PROG2_BTN = AddToolButton("PROG2_BTN", 5, next(), ToolIcons::Make(ToolIcons::WriteShown), &TMainForm::PROG2_BTNClick);
    form_.READ2_BTN = AddToolButton("READ2_BTN", 6, next(), ToolIcons::Make(ToolIcons::ReadShown), &TMainForm::READ2_BTNClick);
    form_.RESET_BTN = AddToolButton("RESET_BTN", 7, next(), ToolIcons::Make(ToolIcons::Reset), &TMainForm::RESET_BTNClick);
    x += 10;
    form_.SpeedButton1 = AddToolButton("SpeedButton1", 8, next(), ToolIcons::Make(ToolIcons::LinearAdjust),
                                       &TMainForm::SpeedButton1Click);

    form_.undo_->AddButtons(form_.Panel4, x + 8, (kPanelHeight - kButtonSize) / 2, kButtonSize);
    // The history, after undo and redo: the setups of earlier edits and transfers.
    form_.HIST_BTN = new QToolButton(form_.Panel4);
    form_.HIST_BTN->setObjectName("HIST_BTN");
    form_.HIST_BTN->setProperty(THintFilter::kMessageProperty, TextTable::kHistory);
    form_.HIST_BTN->setAutoRaise(true);
    form_.HIST_BTN->setIcon(ToolIcons::Make(ToolIcons::History));
    form_.HIST_BTN->setIconSize(QSize(24, 24));
    form_.HIST_BTN->setGeometry(x + 8 + 2 * (kButtonSize + 2) + 2, (kPanelHeight - kButtonSize) / 2, kButtonSize, kButtonSize);
    form_.HIST_BTN->setFocusPolicy(Qt::NoFocus);
    QObject::connect(form_.HIST_BTN, &QToolButton::clicked, form, [form] { form->RunHandler([form] { form->HIST_BTNClick(); }); });
    // The setting sheet, printed or saved as a PDF: one button with both in its menu.
    form_.SHEET_BTN = new QToolButton(form_.Panel4);
    form_.SHEET_BTN->setObjectName("SHEET_BTN");
    form_.SHEET_BTN->setProperty(THintFilter::kMessageProperty, TextTable::kSheetHint);
    form_.SHEET_BTN->setAutoRaise(true);
    form_.SHEET_BTN->setIcon(ToolIcons::Make(ToolIcons::Sheet));
    form_.SHEET_BTN->setIconSize(QSize(24, 24));
    form_.SHEET_BTN->setGeometry(form_.HIST_BTN->geometry().right() + 3, (kPanelHeight - kButtonSize) / 2, kButtonSize, kButtonSize);
    form_.SHEET_BTN->setFocusPolicy(Qt::NoFocus);
    form_.sheetMenu_ = new QMenu(form_.SHEET_BTN);
    form_.sheetMenu_->setObjectName("SheetMenu");
    const auto sheetAction = [form](const char* name, void (TMainForm::*handler)()) {
        QAction* a = form->sheetMenu_->addAction(QString());
        a->setObjectName(name);
        QObject::connect(a, &QAction::triggered, form, [form, handler] { form->RunHandler([form, handler] { (form->*handler)(); }); });
    };
    sheetAction("PrintAction", &TMainForm::PrintClick);
    sheetAction("SavePdfAction", &TMainForm::SaveSheetClick);
    // The texts in the language chosen at start-up, which comes after the panel is built.
    QObject::connect(form_.sheetMenu_, &QMenu::aboutToShow, form, [form] {
        const QList<QAction*> actions = form->sheetMenu_->actions();
        actions[0]->setText(QString::fromStdString(TextTable::Message(TextTable::kPrintSheet, form->Language)) +
                            QStringLiteral("...\tCtrl+P"));
        actions[1]->setText(QString::fromStdString(TextTable::Message(TextTable::kSaveSheetPdf, form->Language)) +
                            QStringLiteral("...\tCtrl+Shift+P"));
    });
    form_.SHEET_BTN->setMenu(form_.sheetMenu_);
    form_.SHEET_BTN->setPopupMode(QToolButton::InstantPopup);

    form_.Label28 = new QLabel(QStringLiteral("COMM"), form_.Panel4);
    form_.Label28->setObjectName("Label28");
    form_.Label28->setGeometry(482, 13, 36, 16);

    form_.CommPort = new TPortComboBox(form_.Panel4);
    form_.CommPort->setObjectName("CommPort");
    form_.CommPort->setGeometry(518, 9, 78, 24);
    form_.CommPort->setMaxVisibleItems(30);
    QObject::connect(form_.CommPort, &TPortComboBox::closedUp, form, [form] { form->RunHandler([form] { form->CommPortCloseUp(); }); });
}

QToolButton* TPanelBuilder::AddToolButton(const char* name, int tag, int x, const QIcon& icon, void (TMainForm::*handler)())
{
    TMainForm* const form = &form_;
    auto* b = new QToolButton(form_.Panel4);
    b->setObjectName(name);
    b->setProperty(THintFilter::kTagProperty, tag);
    b->setAutoRaise(true);  // flat until the mouse is over it
    b->setIcon(icon);
    b->setIconSize(QSize(24, 24));
    b->setGeometry(x, (kPanelHeight - kButtonSize) / 2, kButtonSize, kButtonSize);
    b->setFocusPolicy(Qt::NoFocus);
    if (handler)
        QObject::connect(b, &QToolButton::clicked, form, [form, handler] { form->RunHandler([form, handler] { (form->*handler)(); }); });
    return b;
}
