#pragma once
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <utility>

#include "ModelBank.h"
#include "TFileCommands.h"
#include "TWindowSteps.h"

class EditingSession;
class FileDialogs;
class HistoryStore;
class QWidget;
class THistoryForm;
class TModelEditor;
struct HistoryEntry;

// The history of setups in the window (its form, restoring an entry, saving one as a file) and
// the comparison of two setups side by side.
class THistoryCommands {
public:
    // fileName is the window's file, which a restored entry is not; transferRunning and language
    // are the window's, read when used.
    THistoryCommands(QWidget* window, TWindowSteps& steps, TFileCommands& files, EditingSession& session,
                     TModelEditor* editor, HistoryStore& history, FileDialogs& dialogs, QString& fileName,
                     const bool& transferRunning, const int& language);

    // Shows the history of setups (also Ctrl+H).
    void HIST_BTNClick();
    // Two setups side by side: the editors' bank on the left; on the right the given setup, or
    // else a settings file asked for.
    void CompareClick();
    void CompareWith(std::optional<std::pair<QString, ModelBank>> right);
    THistoryForm* HistoryForm() const { return historyForm_; }
    // What the history's Compare does with an entry; none hides the button.
    void SetHistoryCompare(std::function<void(int64_t, const HistoryEntry&)> compare);
    // A history entry into the editors, asking first about edits not kept, as Open does.
    void RestoreHistoryEntry(const HistoryEntry& entry);
    // A history entry saved as a settings file chosen in the save dialog.
    void SaveHistoryEntry(const HistoryEntry& entry);

private:
    void FocusPanel4() { steps_.FocusPanel4(); }
    void UpdateCaption() { steps_.UpdateCaption(); }
    void RunHandler(const std::function<void()>& handler) { steps_.RunHandler(handler); }
    bool QuerySaveChanges(bool settingsOnly) { return files_.QuerySaveChanges(settingsOnly); }
    std::optional<QString> ChooseSettingsName(QWidget* owner) { return files_.ChooseSettingsName(owner); }

    QWidget* window_;  // the owner of the history form and the compare dialog
    TWindowSteps& steps_;
    TFileCommands& files_;
    // The window's state, under the window's names.
    EditingSession& Session;
    ModelBank& Bank;
    TModelEditor* MDL_SEL;
    HistoryStore& history_;
    FileDialogs& fileDialogs_;
    QString& fileName_;
    const bool& transferRunning_;
    const int& Language;
    THistoryForm* historyForm_ = nullptr;  // made at the first showing, a child of the window
    std::function<void(int64_t, const HistoryEntry&)> historyCompare_;
};
