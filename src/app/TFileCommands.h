#pragma once
#include <QObject>
#include <QString>
#include <optional>

#include "TWindowSteps.h"

class AppSettings;
class EditingSession;
class FileDialogs;
class QMenu;
class QWidget;
class TModelEditor;
struct ModelBank;

// The settings file commands of the window: Open, its menu of files used last, Save, Save as
// (Ctrl+S without the dialog once there is a file), and the question before edits would be lost.
class TFileCommands : public QObject {
public:
    // fileName is the window's file (its caption's); language is the window's, read when used.
    TFileCommands(QWidget* window, TWindowSteps& steps, EditingSession& session, TModelEditor* editor,
                  FileDialogs& dialogs, AppSettings& settings, QString& fileName, QMenu* recentMenu,
                  const int& language);

    void OpenBtnClick();
    // Loads a settings file into the bank and shows it: Open after its dialog, and a file named
    // on the command line. Throws, leaving the bank as it was, when the file cannot be loaded.
    void OpenSettingsFile(const QString& path);
    void SaveBtnClick();
    // Ctrl+S: saves to the file last opened or saved without the dialog; before there is one,
    // as the Save button.
    void SaveToFileClick();
    // A file of the Open button's menu of files used last, opened as Open opens it.
    void OpenRecent(const QString& path);
    // The Open button's menu: the files used last, read when it opens.
    void FillRecentMenu();
    // The settings file's name chosen in the save dialog, its extension forced; nothing: cancelled.
    std::optional<QString> ChooseSettingsName(QWidget* owner);
    // Before edits would be lost (settingsOnly: only what reading all overwrites counts): asks
    // whether to save them. Whether to go on: saved, or let go; not when cancelled or not saved.
    // model >= 0: only that model's settings count (what reading or resetting it overwrites).
    bool QuerySaveChanges(bool settingsOnly, int model = -1);

private:
    // Save without its focus move; whether the file was written.
    bool SaveBank();
    // Writes the bank to name and reports a failure; whether it was written.
    bool SaveTo(const QString& name);
    // After the bank was written to name: kept, the window's file, the first of the recent files.
    bool Saved(const QString& name);

    void FocusPanel4() { steps_.FocusPanel4(); }
    void UpdateCaption() { steps_.UpdateCaption(); }
    void RunHandler(const std::function<void()>& handler) { steps_.RunHandler(handler); }

    QWidget* window_;  // the dialogs' owner
    TWindowSteps& steps_;
    // The window's state, under the window's names.
    EditingSession& Session;
    ModelBank& Bank;
    TModelEditor* MDL_SEL;
    FileDialogs& fileDialogs_;
    AppSettings& appSettings_;
    QString& fileName_;
    QMenu* recentMenu_;
    const int& Language;
};
