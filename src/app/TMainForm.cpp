#include "TMainForm.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QLocale>
#include <QStandardPaths>
#include <QScreen>
#include <QShortcut>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <exception>

#include "CommXLine.h"
#include "DeviceExchange.h"
#include "IniFileError.h"
#include "MessageDialog.h"
#include "TApplication.h"
#include "TCurveEditor.h"
#include "THelpForm.h"
#include "TModelTabs.h"
#include "TPortComboBox.h"
#include "TWindowReporter.h"
#include "TextTable.h"
#include "TransferOperations.h"
#include "THintFilter.h"
#include "THistoryForm.h"
#include "TInputGuard.h"
#include "TModelEditor.h"
#include "TUndoActions.h"
#include "TMonForm.h"

TMainForm::TMainForm(Options options, QWidget* parent)
    : QWidget(parent),
      Session(LanguageOf(options)),
      Bank(Session.Bank()),
      Staging(Session.Staging()),
      ctx_{Session, 1, {}, {}, {}},
      appSettings_(options.appSettingsPath.isEmpty() ? AppSettings() : AppSettings(options.appSettingsPath)),
      history_(options.historyFolder.isEmpty() ? HistoryStore::DefaultFolder() : options.historyFolder)
{
    // The controller's line: 1200 bit/s, 8N1, no flow control.
    CommX1.SetBitRate(1200);
    CommX1.SetFlowCtrl(cfcNone);
    CommX1.SetTimeOutTrans(500);
    CommX1.SetTimeOutReceive(7000);
    CommX1.SetPortResolver([this](int32_t portNo) { return DeviceOfPort(portNo); });
    line_ = std::make_unique<CommXLine>(CommX1);
    exchange_ = std::make_unique<DeviceExchange>(*line_);
    // The first exchange with the controller drops the version from the caption.
    exchange_->SetCaptionHook([this] {
        caption_ = QString::fromUtf8(kAppTitle);
        UpdateCaption();
    });

    setObjectName("MainForm");
    setFixedSize(kClientWidth, kClientHeight);
    ctx_.selectedTab = [this] { return MDL_SEL->SelectedTab(); };
    ctx_.focusPanel4 = [this] { FocusPanel4(); };
    ctx_.showModel = [this] { MDL_SEL->ShowModel(); };
    undo_ = new TUndoActions(this, Session,
                             {[this] { return isEnabled() && !transferRunning_; },
                              [this] { MDL_SEL->CommitPendingEdit(); },
                              [this] {
                                  MDL_SEL->ShowModel();
                                  MDL_SEL->Curve().ClearFrqSelection();
                                  UpdateCaption();
                              }});

    MDL_SEL = new TModelEditor(ctx_, this);
    MDL_SEL->move(0, 0);
    BuildPanel4();
    ports_ = std::make_unique<TPortSelection>(CommPort, CommX1, appSettings_,
                                              options.devDir.empty() ? std::string("/dev") : options.devDir, Language);
    fileCommands_ = std::make_unique<TFileCommands>(this, *this, Session, MDL_SEL, fileDialogs_, appSettings_, fileName_,
                                                    recentMenu_, Language);
    sheetCommands_ = std::make_unique<TSheetCommands>(this, *this, Bank, fileDialogs_, fileName_, Language);
    historyCommands_ = std::make_unique<THistoryCommands>(this, *this, *fileCommands_, Session, MDL_SEL, history_, fileDialogs_,
                                                          fileName_, transferRunning_, Language);
    FormCreate(options);

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect s = screen->availableGeometry();
        move(s.x() + (s.width() - width()) / 2, s.y() + (s.height() - height()) / 2);
    }
}

TMainForm::~TMainForm()
{
    // The editors forward every input to the session, a member that is gone before QWidget
    // deletes its children: a number field losing the focus on its way out would still commit.
    delete MDL_SEL;
    MDL_SEL = nullptr;
}

TMainForm::Options TMainForm::Options::FromCommandLine(const QStringList& typed, const QStringList& remaining)
{
    Options options;
    options.arguments = typed;
    for (const QString& arg : remaining) {
        if (!arg.startsWith(u'-')) {
            options.file = arg;
            break;
        }
    }
    return options;
}

int TMainForm::LanguageOf(const Options& options)
{
    // The system locale's, unless the first argument is -J or -E (-V keeps it).
    const QString arg = options.arguments.isEmpty() ? QString() : options.arguments.front().toUpper();
    if (arg == "-J")
        return 0;
    if (arg == "-E")
        return 1;
    return options.japaneseLocale ? 0 : 1;
}

bool TMainForm::SystemLocaleIsJapanese()
{
    const QLocale locale = QLocale::system();
    return locale.language() == QLocale::Japanese && locale.territory() == QLocale::Japan;
}

void TMainForm::FormCreate(const Options& options)
{
    // 1. The language of the system locale, or of the first argument (5.): the session was made in it.
    Language = Session.Language();
    // 2., 3. Application title and caption. On Linux the task bar shows the window's caption;
    // an application display name would be appended to every caption, so none is set.
    caption_ = QString::fromUtf8(kCaption);
    UpdateCaption();
    // 4. Hints, through one application-wide handler.
    hints_ = std::make_unique<THintFilter>([this] { return Language; });
    qApp->installEventFilter(hints_.get());
    qApp->installEventFilter(this);  // the caption's modified mark follows the edits
    // While a transfer has the window disabled, no input reaches it, hints included. Installed
    // after the hint handler, so it comes first.
    inputGuard_ = std::make_unique<TInputGuard>(this);
    qApp->installEventFilter(inputGuard_.get());
    // 5. Only the first argument counts: -V dates the caption (-J and -E chose the language).
    const QString arg = options.arguments.isEmpty() ? QString() : options.arguments.front().toUpper();
    if (arg == "-V")
        caption_ = QString::fromUtf8(kDateCaption);
    ctx_.language = Language;
    TApplication::UseLanguage(Language);
    // 6. The curve bars are built by the curve editor in index order with their tags.
    // 7. Pair the number fields with their bars.
    MDL_SEL->PairControls();
    // 8. Every model to its defaults.
    Bank.Initialise();
    // 9., 10. The lists and their first selections (ShowModel replaces both).
    MDL_SEL->FillLists();
    MDL_SEL->BFREQ_CMB->setCurrentIndex(32);
    MDL_SEL->CUTOFF_COMB->setCurrentIndex(4);
    // 11. MODEL1 shown, SYS_CUR 15.
    Bank.ModelNumber = 0;
    Bank.SYS_CUR = ModelBank::kDefaultSysCur;
    // 12. Titles.
    MDL_SEL->SetLabelTexts(Language);
    // 13. The shown model into the editors.
    MDL_SEL->ShowModel();
    // 14. The steps the curve editor and the port selection contribute, in this order.
    MDL_SEL->Curve().ClearFrqSelection();
    UpdateCaption();
    FillPortList();
    LoadAppSettings();
    RunHandler([this] { CommPortCloseUp(); });
    // 15. A settings file named on the command line (a file manager's "open with") opens as
    // Open opens it; one that cannot be loaded is reported and the defaults stay.
    if (!options.file.isEmpty()) {
        RunHandler([this, &options] {
            // The open dialog offers only existing files; a mistyped name must not pass silently.
            if (!QFileInfo::exists(options.file))
                throw IniFileError(IniFileError::Action::Read, options.file.toStdString(),
                                   IniFileError::Reason::System, 0, std::strerror(ENOENT));
            OpenSettingsFile(options.file);
        });
    }
    // A desktop tool's usual keys; nothing while a transfer has the window disabled.
    const auto shortcut = [this](const QList<QKeySequence>& keys, const std::function<void()>& handler) {
        auto* s = new QShortcut(this);
        s->setKeys(keys);
        connect(s, &QShortcut::activated, this, [this, handler] {
            if (isEnabled() && !transferRunning_)
                RunHandler(handler);
        });
    };
    shortcut({QKeySequence(Qt::CTRL | Qt::Key_O)}, [this] { OpenBtnClick(); });
    shortcut({QKeySequence(Qt::CTRL | Qt::Key_S)}, [this] { SaveToFileClick(); });
    shortcut({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)}, [this] { SaveBtnClick(); });
    shortcut({QKeySequence(Qt::CTRL | Qt::Key_Q)}, [this] { EXIT_BTNClick(); });
    shortcut({QKeySequence(Qt::Key_F1)}, [this] { HelpClick(); });
    shortcut({QKeySequence(Qt::CTRL | Qt::Key_Tab)}, [this] { ShowNextModel(1); });
    // Shift turns Tab into Backtab; either form may arrive.
    shortcut({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab)},
             [this] { ShowNextModel(-1); });
    shortcut({QKeySequence(Qt::CTRL | Qt::Key_H)}, [this] { HIST_BTNClick(); });
    shortcut({QKeySequence(Qt::CTRL | Qt::Key_P)}, [this] { PrintClick(); });
    shortcut({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P)}, [this] { SaveSheetClick(); });
    shortcut({QKeySequence(Qt::CTRL | Qt::Key_D)}, [this] { CompareClick(); });
}

void TMainForm::SetMonForm(TMonForm* monForm)
{
    monForm_ = monForm;
    if (monForm_) {
        monForm_->SetLanguage(Language);
        monForm_->SetOwner(this);
    }
}

void TMainForm::RunHandler(const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const std::exception& e) {
        TApplication::ShowException(&e, Language);
    } catch (...) {
        TApplication::ShowException(nullptr, Language);
    }
    undo_->UpdateButtons();
    UpdateCaption();
}

// ---- Unsaved edits ----

void TMainForm::ResetModified()
{
    Session.Kept();
    UpdateCaption();
}

void TMainForm::UpdateCaption()
{
    QString title = caption_;
    if (!fileName_.isEmpty())
        title = QFileInfo(fileName_).fileName() + QStringLiteral(" - ") + title;
    if (IsModified())
        title.prepend(u'*');
    if (title != windowTitle())
        setWindowTitle(title);
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event)
{
    // After the input has been handled: checked once the events queued now are done. A modal
    // question (a copy by drag) ends in the window's activation, after its change is made.
    const QEvent::Type type = event->type();
    if ((TInputGuard::IsInput(type) || type == QEvent::WindowActivate) && !captionCheckPending_) {
        captionCheckPending_ = true;
        QTimer::singleShot(0, this, [this] {
            captionCheckPending_ = false;
            UpdateCaption();
        });
    }
    return QWidget::eventFilter(watched, event);
}

void TMainForm::FocusPanel4()
{
    // Commit explicitly: a window that is not active gets no focus-out event from setFocus.
    MDL_SEL->CommitPendingEdit();
    Panel4->setFocus(Qt::OtherFocusReason);
}

void TMainForm::EXIT_BTNClick()
{
    close();
}

void TMainForm::RESET_BTNClick()
{
    FocusPanel4();
    if (!QuerySaveChanges(true, MDL_SEL->SelectedTab()))
        return;
    Session.Reset();
    MDL_SEL->ShowModel();
    MDL_SEL->Curve().ClearFrqSelection();
}

void TMainForm::SpeedButton1Click()
{
    MDL_SEL->Curve().SpeedButton1Click();
}

bool TMainForm::FormCloseQuery()
{
    SaveAppSettings();
    CommX1.Close();
    return true;
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    // A transfer in progress owns the port and the bank until it has reported its result.
    if (transferRunning_) {
        event->ignore();
        return;
    }
    bool goOn = false;
    RunHandler([this, &goOn] { goOn = QuerySaveChanges(false); });
    if (!goOn) {
        event->ignore();
        return;
    }
    bool close = true;
    RunHandler([this, &close] { close = FormCloseQuery(); });
    if (close)
        event->accept();
    else
        event->ignore();
}

// ---- Help, and the next model ----

void TMainForm::HelpClick()
{
    if (!helpForm_) {
        const QString history =
            QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/vxrmgr/");
        helpForm_ = new THelpForm(this, Language, appSettings_.Path(), history);
    }
    helpForm_->show();
    helpForm_->raise();
    helpForm_->activateWindow();
}

void TMainForm::ShowNextModel(int step)
{
    const int next = (MDL_SEL->SelectedTab() + step + ModelBank::kModels) % ModelBank::kModels;
    MDL_SEL->Tabs().ShowModelTab(next);
}

// ---- Transfers ----

TransferResult TMainForm::RunTransfer(TransferHistory::Kind kind, int shown,
                                      const std::function<TransferResult(TransferOperations&)>& transfer)
{
    if (transferRunning_) {
        TransferResult none;
        none.ok = false;
        return none;
    }
    if (!monForm_) {
        ownMonForm_ = std::make_unique<TMonForm>();
        SetMonForm(ownMonForm_.get());
    }
    transferRunning_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{transferRunning_};
    Session.BeginTransfer();
    // The caption's mark goes as soon as the transfer has succeeded, not once its message is answered.
    TWindowReporter reporter(*this, *monForm_, [this, kind, shown] {
        Session.TransferSucceeded(kind, shown);
        UpdateCaption();
    });
    TransferOperations operations(*exchange_, Bank, Staging, reporter, Language);
    const TransferResult result = transfer(operations);
    const TransferHistory::Transfer t = Session.Transferred(kind, shown, result, operations.ControllerBefore(),
                                                            CommPort->currentText().toStdString(), EditingSession::NowMs());
    undo_->UpdateButtons();
    try {
        if (!history_.AddTransfer(t).empty() && HistoryForm())
            HistoryForm()->Reload();
    } catch (const std::exception& e) {
        // The transfer itself is done; only its record is missing.
        MessageDialog(DialogKind::Warning, DialogButtons::Ok,
                      TextTable::ReplaceStars(TextTable::Message(TextTable::kHistoryNotKept, Language), {e.what()}),
                      Language);
    }
    return result;
}

// A transfer that succeeded leaves the models' settings kept on the controller; their memos
// are kept only in files.
void TMainForm::READ_BTNClick()
{
    if (transferRunning_ || !QuerySaveChanges(true))
        return;
    RunTransfer(TransferHistory::Kind::ReadAll, MDL_SEL->SelectedTab(), [](TransferOperations& t) { return t.ReadAll(); });
}

void TMainForm::READ2_BTNClick()
{
    const int shown = MDL_SEL->SelectedTab();
    if (transferRunning_ || !QuerySaveChanges(true, shown))
        return;
    RunTransfer(TransferHistory::Kind::ReadShown, shown, [shown](TransferOperations& t) { return t.ReadShown(shown); });
}

void TMainForm::PROGRAM_BTNClick()
{
    RunTransfer(TransferHistory::Kind::WriteAll, MDL_SEL->SelectedTab(), [](TransferOperations& t) { return t.WriteAll(); });
}

void TMainForm::PROG2_BTNClick()
{
    const int shown = MDL_SEL->SelectedTab();
    RunTransfer(TransferHistory::Kind::WriteShown, shown, [shown](TransferOperations& t) { return t.WriteShown(shown); });
}
