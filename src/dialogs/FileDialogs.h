#pragma once
#include <QString>
#include <QStringList>
#include <optional>

class QPrinter;
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
    // The setting sheet's PDF; a presenter that does not tell the dialogs apart answers it as Save.
    virtual std::optional<FileChoice> ChooseSheet(QWidget* owner, const QString& initialName)
    {
        return ChooseSave(owner, initialName);
    }
    // The print dialog: sets printer up as chosen; false when cancelled (and by default).
    virtual bool ChoosePrinter(QWidget* owner, QPrinter& printer);
};

class FileDialogs {
public:
    // The two choices of both dialogs, the first preselected.
    static QStringList Filters();

    // Installs a presenter (nullptr restores the real dialogs); returns the previous one.
    static FileDialogPresenter* SetPresenter(FileDialogPresenter* presenter);

    std::optional<FileChoice> OpenDialog1(QWidget* owner);
    std::optional<FileChoice> SaveDialog1(QWidget* owner);
    // The setting sheet: where its PDF goes (the name last chosen, else the settings file's name
    // with ".pdf"), and the printer.
    std::optional<FileChoice> SheetDialog(QWidget* owner, const QString& settingsFile);
    bool PrintDialog(QWidget* owner, QPrinter& printer);

    // What Save made of the name (with its forced extension) becomes the save dialog's name.
    void SetSaveName(const QString& name) { saveName_ = name; }
    const QString& SaveName() const { return saveName_; }
    const QString& OpenName() const { return openName_; }
    void SetSheetName(const QString& name) { sheetName_ = name; }

private:
    QString openName_;
    QString saveName_;
    QString sheetName_;
};
