#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>
#include <QTemporaryDir>
#include <QToolButton>
#include <QToolTip>

#include <cerrno>
#include <cstring>

#include "ControllerSimulator.h"
#include "MainFormHarness.h"
#include "RecordingPresenter.h"
#include "ScriptedFileDialogs.h"
#include "THintFilter.h"
#include "THistoryForm.h"
#include "TUndoActions.h"
#include "TModelEditor.h"
#include "TMonForm.h"

namespace {

using Action = HistoryEntry::Action;

// The window on COM1, pinned to a simulated controller, with a history of its own.
class HistoryWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        TMainForm::Options o;
        o.arguments = {"-E"};
        o.appSettingsPath = PinnedCom1Settings(dir, QString::fromStdString(sim.DevicePath()));
        o.historyFolder = dir.filePath("history");
        form = MakeMainForm(o);
        form->CommX1.SetTimeOutReceive(400);
        form->SetMonForm(&mon);
        messages.requests.clear();
    }

    THistoryForm& Opened()
    {
        form->HIST_BTN->click();
        EXPECT_TRUE(form->HistoryForm() && form->HistoryForm()->isVisible());
        return *form->HistoryForm();
    }
    std::vector<Action> Actions()
    {
        std::vector<Action> a;
        for (const auto& item : form->History().List())
            a.push_back(item.action);
        return a;
    }
    // The row of the newest entry with this action.
    int64_t Newest(Action action)
    {
        for (const auto& item : form->History().List())
            if (item.action == action)
                return item.id;
        return 0;
    }

    QTemporaryDir dir;
    RecordingPresenter messages;
    ScriptedFileDialogs files;
    ControllerSimulator sim;
    TMonForm mon;
    std::unique_ptr<TMainForm> form;
};

TEST_F(HistoryWindow, TransfersAreKeptAndAnEntryGoesBackIntoTheEditorsAskingFirst)
{
    form->READ_BTN->click();
    const ModelBank read = form->Bank;
    form->Bank.models[0].NBRK = 5;
    form->PROG2_BTN->click();  // MODEL1 shown
    ASSERT_EQ(messages.Texts(), (std::vector<std::string>{"Read successful", "Write successful"}));
    EXPECT_EQ(Actions(), (std::vector<Action>{Action::WriteModel, Action::BeforeWrite, Action::Read}));

    THistoryForm& h = Opened();
    ASSERT_EQ(h.Items().size(), 3u);
    const QAbstractItemModel* list = h.HistoryList->model();
    EXPECT_EQ(list->data(list->index(0, 1)).toString(), "Write MODEL1");
    EXPECT_EQ(list->data(list->index(1, 1)).toString(), "Before write (MODEL1)");
    EXPECT_EQ(list->data(list->index(2, 1)).toString(), "Read all");
    EXPECT_EQ(list->data(list->index(0, 2)).toString(), "COM1");
    EXPECT_EQ(list->data(list->index(0, 3)).toString(), "1");
    EXPECT_EQ(list->data(list->index(1, 3)).toString(), "-");
    EXPECT_EQ(h.SelectedId(), Newest(Action::WriteModel));  // the newest, ready to restore
    EXPECT_TRUE(h.RESTORE_BTN->isEnabled());

    // An edit not kept: restoring asks as Open does; Cancel keeps the edit.
    form->Bank.models[2].PROG = 7;
    ASSERT_TRUE(h.Select(Newest(Action::BeforeWrite)));
    messages.requests.clear();
    messages.answers = {DialogResult::Cancel};
    h.RESTORE_BTN->click();
    ASSERT_EQ(messages.requests.size(), 1u);
    EXPECT_EQ(messages.requests[0].kind, DialogKind::Question);
    EXPECT_EQ(form->Bank.models[2].PROG, 7);
    messages.answers = {DialogResult::No};  // Discard
    h.RESTORE_BTN->click();
    EXPECT_EQ(form->Bank, read);
    EXPECT_EQ(form->MDL_SEL->NBRK_EDIT->text(), QString::number(read.models[0].NBRK));
    EXPECT_FALSE(form->IsModified());
    form->Undo().Undo();  // a restore is one step, as Open is
    EXPECT_EQ(form->Bank.models[2].PROG, 7);
    form->Undo().Redo();
    EXPECT_EQ(form->Bank, read);

    // Writing it back puts the controller's MODEL1 back, and is kept in turn.
    form->PROG2_BTN->click();
    EXPECT_EQ(sim.ImageOf(0)[8], read.models[0].NBRK);
    EXPECT_EQ(h.Items().size(), 5u);  // the open list follows
}

TEST_F(HistoryWindow, EntriesAreNamedSavedAndDeleted)
{
    form->READ_BTN->click();
    form->READ2_BTN->click();
    THistoryForm& h = Opened();
    ASSERT_EQ(h.Items().size(), 2u);
    const int64_t read = Newest(Action::Read);

    ASSERT_TRUE(h.Select(read));
    h.NAME_EDIT->setText("Tsukuba, wet");
    h.NAME_BTN->click();
    EXPECT_EQ(form->History().Load(read)->name, "Tsukuba, wet");
    EXPECT_EQ(h.HistoryList->model()->data(h.HistoryList->model()->index(1, 4)).toString(), "Tsukuba, wet");
    EXPECT_EQ(h.SelectedId(), read);  // still selected after the list was read again

    files.next = FileChoice{dir.filePath("kept.txt"), 0};
    h.SAVE_BTN->click();
    EXPECT_EQ(LoadedBank(dir.filePath("kept.VXS")), form->History().Load(read)->Bank());
    EXPECT_EQ(form->FileName(), QString());  // the window's own file is not this one
    // As Save does: over an existing file it asks first, about the name written (No chooses
    // again), and a save that fails names the file and why.
    files.queue = {FileChoice{dir.filePath("kept"), 0}, std::nullopt};
    messages.answers = {DialogResult::No};
    h.SAVE_BTN->click();
    ASSERT_EQ(files.shown.size(), 3);
    ASSERT_FALSE(messages.requests.empty());
    EXPECT_NE(messages.requests.back().text.find("kept.VXS"), std::string::npos);
    files.queue = {FileChoice{dir.filePath("gone/lost.VXS"), 0}};
    h.SAVE_BTN->click();
    EXPECT_NE(messages.requests.back().text.find("lost.VXS"), std::string::npos);
    EXPECT_NE(messages.requests.back().text.find(std::strerror(ENOENT)), std::string::npos) << messages.requests.back().text;

    messages.answers = {DialogResult::No};
    h.DELETE_BTN->click();
    EXPECT_EQ(h.Items().size(), 2u);
    messages.answers = {DialogResult::Yes};
    h.DELETE_BTN->click();
    ASSERT_EQ(h.Items().size(), 1u);
    EXPECT_EQ(h.Items()[0].action, Action::ReadModel);
    EXPECT_FALSE(h.SelectedId());
    EXPECT_FALSE(h.DELETE_BTN->isEnabled());
    // Compare shows the entry beside the editors' bank, by its number, time and action as the list
    // does, chosen as the entry's own item of the right-hand list (no second item for it).
    ASSERT_TRUE(h.COMPARE_BTN->isVisibleTo(&h));
    ASSERT_TRUE(h.Select(h.Items()[0].id));
    const QAbstractItemModel* list = h.HistoryList->model();
    const QString listed = QStringLiteral("#%1 ").arg(h.Items()[0].id) + list->data(list->index(0, 0)).toString() + " " +
                           list->data(list->index(0, 1)).toString();
    QString right, hint;
    QStringList items;
    QTimer::singleShot(0, [&right, &hint, &items] {
        if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget()); d && d->objectName() == "CompareDialog") {
            const auto* rows = d->findChild<QTableWidget*>("CompareRows");
            right = rows->horizontalHeaderItem(2)->text();
            // The side's name, however short it is shown, is whole in its hint.
            QWidget* header = rows->horizontalHeader()->viewport();
            const QPoint at(rows->horizontalHeader()->sectionViewportPosition(2) + 4, header->height() / 2);
            QHelpEvent help(QEvent::ToolTip, at, header->mapToGlobal(at));
            QApplication::sendEvent(header, &help);
            hint = QToolTip::text();
            const auto* box = d->findChild<QComboBox*>("CompareRight");
            for (int k = 0; k < box->count(); ++k)
                items << box->itemText(k);
            items << box->currentText();
            d->reject();
        }
    });
    h.COMPARE_BTN->click();
    EXPECT_TRUE(right.endsWith(" Read MODEL1")) << right.toStdString();
    EXPECT_EQ(right, listed);
    EXPECT_EQ(items.count(listed), 2) << items.join(" | ").toStdString();  // listed once, and chosen
    EXPECT_EQ(hint, listed);
}

TEST_F(HistoryWindow, AHistoryThatCannotBeWrittenIsSaidAfterTheTransfer)
{
    ASSERT_TRUE(WriteBytes(dir.filePath("blocked"), "a file where the folder should be"));
    TMainForm::Options o;
    o.arguments = {"-E"};
    o.appSettingsPath = PinnedCom1Settings(dir, QString::fromStdString(sim.DevicePath()));
    o.historyFolder = dir.filePath("blocked/history");
    form.reset();  // lets go of the port
    form = MakeMainForm(o);
    form->SetMonForm(&mon);
    messages.requests.clear();
    form->READ_BTN->click();
    const auto texts = messages.Texts();
    ASSERT_EQ(texts.size(), 2u) << texts[0];
    EXPECT_EQ(texts[0], "Read successful");
    EXPECT_EQ(texts[1].rfind("Not kept in the history:\n", 0), 0u) << texts[1];
    EXPECT_EQ(messages.requests[1].kind, DialogKind::Warning);
}

TEST(HistoryWindowTexts, TheListSpeaksTheWindowsLanguage)
{
    RecordingPresenter messages;
    auto form = MakeMainForm({"-J"});
    EXPECT_EQ(form->Hints().AppShowHint(form->HIST_BTN), "履歴");
    form->HIST_BTN->click();
    THistoryForm& h = *form->HistoryForm();
    EXPECT_EQ(h.windowTitle(), "履歴");
    EXPECT_EQ(h.HistoryList->model()->headerData(0, Qt::Horizontal).toString(), "時刻");
    EXPECT_EQ(h.RESTORE_BTN->text(), "編集画面に戻す");
}

}  // namespace
