#include "THistoryCommands.h"

#include <QComboBox>
#include <QFileInfo>

#include <exception>
#include <vector>

#include "EditingSession.h"
#include "FileDialogs.h"
#include "HistoryStore.h"
#include "MessageDialog.h"
#include "NotSettingsFileError.h"
#include "SettingsFileIo.h"
#include "TApplication.h"
#include "TCompareDialog.h"
#include "TCurveEditor.h"
#include "TFileSaving.h"
#include "THistoryForm.h"
#include "TModelEditor.h"
#include "TextTable.h"

THistoryCommands::THistoryCommands(QWidget* window, TWindowSteps& steps, TFileCommands& files, EditingSession& session,
                                   TModelEditor* editor, HistoryStore& history, FileDialogs& dialogs, QString& fileName,
                                   const bool& transferRunning, const int& language)
    : window_(window),
      steps_(steps),
      files_(files),
      Session(session),
      Bank(session.Bank()),
      MDL_SEL(editor),
      history_(history),
      fileDialogs_(dialogs),
      fileName_(fileName),
      transferRunning_(transferRunning),
      Language(language)
{
    // The history's Compare: the entry beside the editors' bank, its own item in the dialog's list.
    historyCompare_ = [this](int64_t id, const HistoryEntry& e) {
        RunHandler([this, id, &e] {
            if (const auto bank = e.Bank())
                CompareWith(std::pair{THistoryForm::EntryLabel(id, e.name, e.timeMs, e.action, e.model, Language), *bank});
        });
    };
}

void THistoryCommands::CompareClick()
{
    CompareWith(std::nullopt);
}

void THistoryCommands::CompareWith(std::optional<std::pair<QString, ModelBank>> right)
{
    FocusPanel4();  // a number being typed belongs to the editors' side
    const auto pickFile = [this](QWidget* owner) -> std::optional<TCompareDialog::Setup> {
        const auto choice = fileDialogs_.OpenDialog1(owner);
        if (!choice)
            return std::nullopt;
        TCompareDialog::Setup setup{QFileInfo(choice->path).fileName(), {}};
        setup.bank.Initialise();
        try {
            SettingsFileIo::Load(choice->path, setup.bank);
        } catch (const NotSettingsFileError&) {
            MessageDialog(DialogKind::Error, DialogButtons::Ok, TextTable::Message(TextTable::kNotSettingsFile, Language), Language);
            return std::nullopt;
        } catch (const std::exception& e) {
            TApplication::ShowException(&e, Language);
            return std::nullopt;
        }
        return setup;
    };
    // Every history entry on either side, newest first, by its number and its name (else its
    // time and action, as the history list shows them); read only when chosen.
    std::vector<TCompareDialog::Entry> entries;
    for (const HistoryStore::Item& item : history_.List()) {
        entries.push_back({THistoryForm::EntryLabel(item.id, item.name, item.timeMs, item.action, item.model, Language),
                           [this, id = item.id]() -> std::optional<ModelBank> {
                               const auto entry = history_.Load(id);
                               return entry ? entry->Bank() : std::nullopt;
                           }});
    }
    TCompareDialog dialog(Bank, pickFile, Language, window_, std::move(entries));
    dialog.ShowModel(MDL_SEL->SelectedTab());
    if (right) {
        dialog.SetSide(1, {right->first, right->second});
    } else {
        // Opened with a file on the right, the usual question ("what did I change?").
        dialog.Source(1)->setCurrentIndex(1);
        QMetaObject::invokeMethod(dialog.Source(1), "activated", Qt::QueuedConnection, Q_ARG(int, 1));
    }
    dialog.exec();
}

void THistoryCommands::HIST_BTNClick()
{
    if (!historyForm_) {
        THistoryForm::Hooks hooks;
        hooks.restore = [this](const HistoryEntry& e) { RunHandler([this, &e] { RestoreHistoryEntry(e); }); };
        hooks.save = [this](const HistoryEntry& e) { RunHandler([this, &e] { SaveHistoryEntry(e); }); };
        hooks.compare = historyCompare_;
        historyForm_ = new THistoryForm(history_, Language, std::move(hooks), window_);
        historyForm_->setWindowFlag(Qt::Window);
    } else {
        historyForm_->Reload();
    }
    historyForm_->show();
    historyForm_->raise();
    historyForm_->activateWindow();
}

void THistoryCommands::SetHistoryCompare(std::function<void(int64_t, const HistoryEntry&)> compare)
{
    historyCompare_ = std::move(compare);
    if (historyForm_)
        historyForm_->SetCompare(historyCompare_);
}

void THistoryCommands::RestoreHistoryEntry(const HistoryEntry& entry)
{
    if (transferRunning_ || !QuerySaveChanges(false))
        return;
    const std::optional<ModelBank> bank = entry.Bank();
    if (!bank)
        return;
    Session.Open(*bank);  // kept in the history
    MDL_SEL->ShowModel();
    MDL_SEL->Curve().ClearFrqSelection();
    // Not the file opened before: a save must not put this setup over it unasked.
    fileName_.clear();
    UpdateCaption();
}

void THistoryCommands::SaveHistoryEntry(const HistoryEntry& entry)
{
    const std::optional<ModelBank> bank = entry.Bank();
    if (!bank)
        return;
    QWidget* owner = historyForm_ ? static_cast<QWidget*>(historyForm_) : window_;
    // Saved as Save saves the editors' setup, but it is not the window's file.
    TFileSaving(Language).SaveChosen([this, owner] { return ChooseSettingsName(owner); },
                                     [&bank](const QString& name) { TFileSaving::WriteSettings(*bank, name); },
                                     TextTable::kUnsaved);
}
