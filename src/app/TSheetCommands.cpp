#include "TSheetCommands.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>

#include <optional>

#include "FileDialogs.h"
#include "MessageDialog.h"
#include "SettingSheet.h"
#include "TFileSaving.h"
#include "TextTable.h"

TSheetCommands::TSheetCommands(QWidget* window, TWindowSteps& steps, const ModelBank& bank, FileDialogs& dialogs,
                               const QString& fileName, const int& language)
    : window_(window), steps_(steps), Bank(bank), fileDialogs_(dialogs), fileName_(fileName), Language(language)
{
}

QString TSheetCommands::SheetTitle() const
{
    return fileName_.isEmpty() ? QString() : QFileInfo(fileName_).fileName();
}

void TSheetCommands::PrintClick()
{
    FocusPanel4();
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
    printer.setFullPage(true);  // the sheet keeps its own margins
    printer.setDocName(SheetTitle());
    printer.setCreator(QCoreApplication::applicationName());
    if (!fileDialogs_.PrintDialog(window_, printer))
        return;
    if (!SettingSheet::Print(printer, Bank, Language, SheetTitle()))
        MessageDialog(DialogKind::Error, DialogButtons::Ok, TextTable::Message(TextTable::kSheetNotPrinted, Language),
                      Language);
}

void TSheetCommands::SaveSheetClick()
{
    FocusPanel4();
    const auto choose = [this]() -> std::optional<QString> {
        const auto choice = fileDialogs_.SheetDialog(window_, fileName_);
        if (!choice)
            return std::nullopt;
        // As Save adds ".VXS", so the PDF gets its extension, and the question is about that file.
        const QString name = SettingSheet::PdfName(choice->path);
        fileDialogs_.SetSheetName(name);
        return name;
    };
    TFileSaving(Language).SaveChosen(
        choose,
        [this](const QString& name) { SettingSheet::Write(name, SettingSheet::Format::kPdf, Bank, Language, SheetTitle()); },
        TextTable::kSheetNotSaved);
}
