#include "TFileCommands.h"

#include <QFileInfo>
#include <QMenu>

#include <cerrno>
#include <cstring>

#include "AppSettings.h"
#include "EditingSession.h"
#include "FileDialogs.h"
#include "IniFileError.h"
#include "MessageDialog.h"
#include "NotSettingsFileError.h"
#include "SettingsFile.h"
#include "SettingsFileIo.h"
#include "TCurveEditor.h"
#include "TFileSaving.h"
#include "TModelEditor.h"
#include "TextTable.h"

TFileCommands::TFileCommands(QWidget* window, TWindowSteps& steps, EditingSession& session, TModelEditor* editor,
                             FileDialogs& dialogs, AppSettings& settings, QString& fileName, QMenu* recentMenu,
                             const int& language)
    : window_(window),
      steps_(steps),
      Session(session),
      Bank(session.Bank()),
      MDL_SEL(editor),
      fileDialogs_(dialogs),
      appSettings_(settings),
      fileName_(fileName),
      recentMenu_(recentMenu),
      Language(language)
{
}

bool TFileCommands::QuerySaveChanges(bool settingsOnly, int model)
{
    FocusPanel4();  // a number being typed is an edit too
    const EditingSession::Loss loss = model >= 0     ? EditingSession::kShownSettings
                                      : settingsOnly ? EditingSession::kSettings
                                                     : EditingSession::kAnyEdit;
    if (!Session.WouldLose(loss))
        return true;
    const std::string text =
        fileName_.isEmpty()
            ? TextTable::Message(TextTable::kSaveChanges, Language)
            : TextTable::ReplaceStars(TextTable::Message(TextTable::kSaveChangesTo, Language),
                                      {QFileInfo(fileName_).fileName().toStdString()});
    const std::vector<std::string> buttons = {TextTable::Message(TextTable::kSaveButton, Language),
                                              TextTable::Message(TextTable::kDiscardButton, Language),
                                              TextTable::Message(TextTable::kCancelButton, Language)};
    switch (MessageDialog(DialogKind::Question, DialogButtons::YesNoCancel, text, Language, buttons)) {
    case DialogResult::Yes: return SaveBank();
    case DialogResult::No: return true;
    default: return false;  // Cancel, or no box at all: nothing is lost
    }
}

void TFileCommands::SaveBtnClick()
{
    FocusPanel4();
    SaveBank();
}

std::optional<QString> TFileCommands::ChooseSettingsName(QWidget* owner)
{
    const auto choice = fileDialogs_.SaveDialog1(owner);
    if (!choice)
        return std::nullopt;
    const QString name = QString::fromStdString(SettingsFile::ForcedSaveName(choice->path.toStdString(), choice->filterIndex));
    fileDialogs_.SetSaveName(name);
    return name;
}

bool TFileCommands::SaveBank()
{
    const TFileSaving saving(Language);
    const auto written = saving.SaveChosen([this] { return ChooseSettingsName(window_); },
                                           [this](const QString& name) { TFileSaving::WriteSettings(Bank, name); },
                                           TextTable::kUnsaved);
    return written && Saved(*written);
}

bool TFileCommands::SaveTo(const QString& name)
{
    const bool written = TFileSaving(Language).WriteTelling(
        name, [this](const QString& n) { TFileSaving::WriteSettings(Bank, n); }, TextTable::kUnsaved);
    return written && Saved(name);
}

bool TFileCommands::Saved(const QString& name)
{
    Session.Kept();
    fileName_ = name;
    UpdateCaption();
    appSettings_.AddRecentFile(name);
    return true;
}

void TFileCommands::SaveToFileClick()
{
    FocusPanel4();
    if (fileName_.isEmpty())
        SaveBank();
    else
        SaveTo(fileName_);
}

void TFileCommands::OpenRecent(const QString& path)
{
    FocusPanel4();
    if (!QuerySaveChanges(false))
        return;
    // Gone since: said as a name typed on the command line is said.
    if (!QFileInfo::exists(path))
        throw IniFileError(IniFileError::Action::Read, path.toStdString(), IniFileError::Reason::System, 0,
                           std::strerror(ENOENT));
    OpenSettingsFile(path);
}

void TFileCommands::FillRecentMenu()
{
    recentMenu_->clear();
    const QStringList files = appSettings_.RecentFiles();
    if (files.isEmpty())
        recentMenu_->addAction(QString::fromStdString(TextTable::Message(TextTable::kNoRecentFiles, Language)))->setEnabled(false);
    for (int k = 0; k < files.size(); ++k) {
        // The number is the key that picks it; the folder tells files of the same name apart.
        const QString path = files[k];
        QAction* a = recentMenu_->addAction(QStringLiteral("&%1 %2").arg(k + 1).arg(QString(path).replace(u'&', QStringLiteral("&&"))));
        connect(a, &QAction::triggered, this, [this, path] { RunHandler([this, path] { OpenRecent(path); }); });
    }
}

void TFileCommands::OpenBtnClick()
{
    FocusPanel4();
    if (!QuerySaveChanges(false))
        return;
    const auto choice = fileDialogs_.OpenDialog1(window_);
    if (!choice)
        return;
    OpenSettingsFile(choice->path);
}

void TFileCommands::OpenSettingsFile(const QString& path)
{
    ModelBank bank = Bank;
    size_t replaced = 0;
    try {
        replaced = SettingsFileIo::Load(path, bank);  // throws, leaving the bank as it was
    } catch (const NotSettingsFileError&) {
        MessageDialog(DialogKind::Error, DialogButtons::Ok, TextTable::Message(TextTable::kNotSettingsFile, Language), Language);
        return;
    }
    Session.Open(bank);
    MDL_SEL->ShowModel();
    MDL_SEL->Curve().ClearFrqSelection();
    fileName_ = path;
    UpdateCaption();
    appSettings_.AddRecentFile(path);
    if (const std::string warning = Session.OpenWarning(replaced); !warning.empty())
        MessageDialog(DialogKind::Warning, DialogButtons::Ok, warning, Language);
}
