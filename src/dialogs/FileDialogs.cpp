#include "FileDialogs.h"

#include <QDir>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrinter>

#include "TSettingsFileDialog.h"

namespace {

class QtFileDialogPresenter : public FileDialogPresenter {
public:
    std::optional<FileChoice> ChooseOpen(QWidget* owner, const QString& initialName) override
    {
        return Run(owner, initialName, QFileDialog::AcceptOpen);
    }
    std::optional<FileChoice> ChooseSave(QWidget* owner, const QString& initialName) override
    {
        return Run(owner, initialName, QFileDialog::AcceptSave);
    }

    std::optional<FileChoice> ChooseSheet(QWidget* owner, const QString& initialName) override
    {
        TSettingsFileDialog dialog(owner, QFileDialog::AcceptSave, initialName, {QStringLiteral("PDF (*.pdf *.PDF)")});
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        return FileChoice{dialog.selectedFiles().front(), 0};
    }
    bool ChoosePrinter(QWidget* owner, QPrinter& printer) override
    {
        QPrintDialog dialog(&printer, owner);
        return dialog.exec() == QDialog::Accepted;
    }

private:
    static std::optional<FileChoice> Run(QWidget* owner, const QString& initialName, QFileDialog::AcceptMode mode)
    {
        TSettingsFileDialog dialog(owner, mode, initialName);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        FileChoice choice;
        choice.path = dialog.selectedFiles().front();
        choice.filterIndex = dialog.FilterIndex();
        return choice;
    }
};

QtFileDialogPresenter gQtDialogs;
FileDialogPresenter* gPresenter = &gQtDialogs;

}  // namespace

bool FileDialogPresenter::ChoosePrinter(QWidget*, QPrinter&)
{
    return false;
}

QStringList FileDialogs::Filters()
{
    // Linux names are case-sensitive: the first choice also lists lower-case names.
    return {QStringLiteral("*.VXS (*.VXS *.vxs)"), QStringLiteral("*.* (*)")};
}

FileDialogPresenter* FileDialogs::SetPresenter(FileDialogPresenter* presenter)
{
    FileDialogPresenter* previous = gPresenter == &gQtDialogs ? nullptr : gPresenter;
    gPresenter = presenter ? presenter : &gQtDialogs;
    return previous;
}

std::optional<FileChoice> FileDialogs::OpenDialog1(QWidget* owner)
{
    auto choice = gPresenter->ChooseOpen(owner, openName_);
    if (choice)
        openName_ = choice->path;
    return choice;
}

std::optional<FileChoice> FileDialogs::SaveDialog1(QWidget* owner)
{
    auto choice = gPresenter->ChooseSave(owner, saveName_);
    if (choice)
        saveName_ = choice->path;
    return choice;
}

std::optional<FileChoice> FileDialogs::SheetDialog(QWidget* owner, const QString& settingsFile)
{
    QString initial = sheetName_;
    if (initial.isEmpty() && !settingsFile.isEmpty()) {
        const QFileInfo file(settingsFile);
        initial = file.absoluteDir().filePath(file.completeBaseName() + QStringLiteral(".pdf"));
    }
    auto choice = gPresenter->ChooseSheet(owner, initial);
    if (choice)
        sheetName_ = choice->path;
    return choice;
}

bool FileDialogs::PrintDialog(QWidget* owner, QPrinter& printer)
{
    return gPresenter->ChoosePrinter(owner, printer);
}
