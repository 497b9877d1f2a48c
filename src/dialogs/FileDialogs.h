#pragma once
#include <QString>
#include <QStringList>
#include <optional>

class QWidget;

// The open and save dialogs of the settings file. Each remembers the name chosen last time and
// starts with it. Tests install a presenter that chooses without a window.
struct FileChoice {
    QString path;
    int filterIndex = 0;  // 0 "*.VXS", 1 "*.*"
};

class FileDialogPresenter {
public:
    virtual ~FileDialogPresenter() = default;
    // Returns nothing when the user cancels.
    virtual std::optional<FileChoice> ChooseOpen(QWidget* owner, const QString& initialName) = 0;
    virtual std::optional<FileChoice> ChooseSave(QWidget* owner, const QString& initialName) = 0;
};

class FileDialogs {
public:
    // The two choices of both dialogs, the first preselected.
    static QStringList Filters();

    // Installs a presenter (nullptr restores the real dialogs); returns the previous one.
    static FileDialogPresenter* SetPresenter(FileDialogPresenter* presenter);

    std::optional<FileChoice> OpenDialog1(QWidget* owner);
    std::optional<FileChoice> SaveDialog1(QWidget* owner);

    // What Save made of the name (with its forced extension) becomes the save dialog's name.
    void SetSaveName(const QString& name) { saveName_ = name; }
    const QString& SaveName() const { return saveName_; }
    const QString& OpenName() const { return openName_; }

private:
    QString openName_;
    QString saveName_;
};
