#pragma once
#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "AppSettings.h"
#include "DeviceBank.h"
#include "EditingSession.h"
#include "EditorContext.h"
#include "FileDialogs.h"
#include "HistoryStore.h"
#include "ModelBank.h"
#include "TCommX.h"
#include "TFileCommands.h"
#include "THistoryCommands.h"
#include "TPanelBuilder.h"
#include "TPortSelection.h"
#include "TSheetCommands.h"
#include "WindowTexts.h"
#include "TransferHistory.h"
#include "TransferResult.h"
#include "TWindowSteps.h"

class CommXLine;
class DeviceExchange;
class QFrame;
class QMenu;
class THelpForm;
class TPortComboBox;
class TransferOperations;
class TWindowReporter;
class QLabel;
class QToolButton;
class THintFilter;
class TInputGuard;
class TModelEditor;
class TMonForm;
class TUndoActions;
class THistoryForm;

// The main window: the model editor on its tab control, the tool buttons and the port list.
// It keeps the layout, the widgets, the wiring and the transfers; TPanelBuilder builds the tool
// panel, and the other groups of commands are classes of their own (TPortSelection,
// TFileCommands, TSheetCommands, THistoryCommands) that the window's handlers forward to.
class TMainForm : public QWidget, public TWindowSteps {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 601;
    static constexpr int kClientHeight = 452;
    static constexpr const char* kAppTitle = WindowTexts::kAppTitle;
    static constexpr const char* kCaption = WindowTexts::kCaption;
    static constexpr const char* kDateCaption = WindowTexts::kDateCaption;

    struct Options {
        QStringList arguments;        // the program's arguments as typed, without the program name
        QString file;                 // a settings file to open once started; empty: none
        bool japaneseLocale = false;  // the system locale is Japanese/Japan
        QString appSettingsPath;      // empty: VXRMGR.ini where the program keeps it

        // typed: the arguments before the toolkit took its own options out (-style fusion, ...);
        // remaining: what it left. Only the first typed argument can be the switch, so
        // "-style fusion -J" selects no language; the file is the first remaining argument
        // that does not begin with "-".
        static Options FromCommandLine(const QStringList& typed, const QStringList& remaining);
        std::string devDir;  // empty: /dev; where the serial devices present are looked for
        QString historyFolder;  // empty: the user's history (HistoryStore::DefaultFolder)
    };

    explicit TMainForm(Options options, QWidget* parent = nullptr);
    ~TMainForm() override;

    static bool SystemLocaleIsJapanese();
    // The window's language: the system locale's, or the first argument's -J/-E.
    static int LanguageOf(const Options& options);

    int Language = 1;
    // The editing session every control forwards to; the bank and staging copy are its own.
    EditingSession Session;
    ModelBank& Bank;
    DeviceBank& Staging;  // the controller's bytes of the last read of all models
    TCommX CommX1;

    TModelEditor* MDL_SEL = nullptr;
    QFrame* Panel4 = nullptr;
    QToolButton* PROGRAM_BTN = nullptr;
    QToolButton* READ_BTN = nullptr;
    QToolButton* OpenBtn = nullptr;
    QToolButton* SaveBtn = nullptr;
    QToolButton* EXIT_BTN = nullptr;
    QToolButton* PROG2_BTN = nullptr;
    QToolButton* READ2_BTN = nullptr;
    QToolButton* RESET_BTN = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    QLabel* Label28 = nullptr;
    TPortComboBox* CommPort = nullptr;
    QToolButton* HIST_BTN = nullptr;
    QToolButton* SHEET_BTN = nullptr;  // the setting sheet: Print and Save as PDF

    THintFilter& Hints() { return *hints_; }
    // Undo and redo of the editors' bank.
    TUndoActions& Undo() { return *undo_; }

    // The progress window is created after the main window and handed over.
    void SetMonForm(TMonForm* monForm);

    // Handlers.
    void EXIT_BTNClick();
    void RESET_BTNClick();
    void SpeedButton1Click();
    // The history and the comparison of two setups (THistoryCommands).
    void CompareClick() { historyCommands_->CompareClick(); }
    void CompareWith(std::optional<std::pair<QString, ModelBank>> right) { historyCommands_->CompareWith(std::move(right)); }
    // The settings file commands (TFileCommands).
    void OpenBtnClick() { fileCommands_->OpenBtnClick(); }
    void OpenSettingsFile(const QString& path) { fileCommands_->OpenSettingsFile(path); }
    void SaveBtnClick() { fileCommands_->SaveBtnClick(); }
    void SaveToFileClick() { fileCommands_->SaveToFileClick(); }
    void OpenRecent(const QString& path) { fileCommands_->OpenRecent(path); }
    // F1: the help window.
    void HelpClick();
    // Ctrl+Tab (+1) and Ctrl+Shift+Tab (-1): the next or previous model, round the five.
    void ShowNextModel(int step);
    void CommPortCloseUp() { ports_->CommPortCloseUp(); }
    void READ_BTNClick();
    void READ2_BTNClick();
    void PROGRAM_BTNClick();
    void PROG2_BTNClick();
    bool FormCloseQuery();
    void HIST_BTNClick() { historyCommands_->HIST_BTNClick(); }
    // The setting sheet (TSheetCommands).
    void PrintClick() { sheetCommands_->PrintClick(); }
    void SaveSheetClick() { sheetCommands_->SaveSheetClick(); }
    QMenu* SheetMenu() const { return sheetMenu_; }
    THistoryForm* HistoryForm() const { return historyCommands_->HistoryForm(); }
    const HistoryStore& History() const { return history_; }
    void SetHistoryCompare(std::function<void(int64_t, const HistoryEntry&)> compare)
    {
        historyCommands_->SetHistoryCompare(std::move(compare));
    }
    void RestoreHistoryEntry(const HistoryEntry& entry) { historyCommands_->RestoreHistoryEntry(entry); }
    void SaveHistoryEntry(const HistoryEntry& entry) { historyCommands_->SaveHistoryEntry(entry); }

    FileDialogs& Dialogs() { return fileDialogs_; }
    QMenu* RecentMenu() const { return recentMenu_; }
    THelpForm* HelpForm() const { return helpForm_; }
    const AppSettings& Settings() const { return appSettings_; }
    // The device each port number opens, as of the last port choice.
    std::string DeviceOfPort(int32_t portNo) const { return ports_->DeviceOfPort(portNo); }

    // Moves the keyboard focus to the button panel; a number being typed commits first.
    void FocusPanel4() override;

    // Whether the bank holds edits kept neither in a file nor on the controller.
    bool IsModified() const { return Session.WouldLose(EditingSession::kAnyEdit); }
    // Takes the bank as it stands as kept, as a save does (for a caller that set it up itself).
    void ResetModified();
    // The settings file last opened or saved; empty before the first.
    const QString& FileName() const { return fileName_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    // Watches the application's input: after each, the caption's modified mark is brought up to date.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class TPanelBuilder;  // fills in the panel's controls and menus

    void FormCreate(const Options& options);
    void BuildPanel4() { TPanelBuilder(*this).BuildPanel4(); }
    void FillPortList() { ports_->FillPortList(); }
    void LoadAppSettings() { ports_->LoadAppSettings(); }
    void SaveAppSettings() { ports_->SaveAppSettings(); }
    // Runs one transfer with the window's progress and messages; no second one can start inside
    // (then it reports a failure).
    // A transfer that succeeded (or a write that may have changed the controller) adds its
    // entries to the history; what it kept counts as soon as it has succeeded, before its
    // message is shown.
    TransferResult RunTransfer(TransferHistory::Kind kind, int shown,
                               const std::function<TransferResult(TransferOperations&)>& transfer);
    void FillRecentMenu() { fileCommands_->FillRecentMenu(); }
    bool QuerySaveChanges(bool settingsOnly, int model = -1) { return fileCommands_->QuerySaveChanges(settingsOnly, model); }
    void UpdateCaption() override;
    void RunHandler(const std::function<void()>& handler) override;

    EditorContext ctx_;
    std::unique_ptr<THintFilter> hints_;
    std::unique_ptr<TInputGuard> inputGuard_;
    TUndoActions* undo_ = nullptr;  // owned by this window
    TMonForm* monForm_ = nullptr;
    std::unique_ptr<TMonForm> ownMonForm_;  // used when the program entry hands none over
    FileDialogs fileDialogs_;
    AppSettings appSettings_;
    std::unique_ptr<CommXLine> line_;
    std::unique_ptr<DeviceExchange> exchange_;
    bool transferRunning_ = false;
    QString fileName_;
    QMenu* recentMenu_ = nullptr;
    QMenu* sheetMenu_ = nullptr;
    THelpForm* helpForm_ = nullptr;  // made at the first F1, a child of the window
    QString caption_;  // the program's caption: with the version, the date stamp, or plain
    bool captionCheckPending_ = false;
    HistoryStore history_;
    // The command classes: made after the panel, gone before the state they work on.
    std::unique_ptr<TPortSelection> ports_;
    std::unique_ptr<TFileCommands> fileCommands_;
    std::unique_ptr<TSheetCommands> sheetCommands_;
    std::unique_ptr<THistoryCommands> historyCommands_;
};
