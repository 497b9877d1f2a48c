#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTabBar>
#include <QTemporaryDir>
#include <QToolButton>

#include "FileDialogs.h"
#include "MainFormHarness.h"
#include "RecordingPresenter.h"
#include "TCurveEditor.h"
#include "TModelEditor.h"

namespace {

// Chooses files without a window and records what each dialog started with.
class ScriptedFileDialogs : public FileDialogPresenter {
public:
    ScriptedFileDialogs() { previous_ = FileDialogs::SetPresenter(this); }
    ~ScriptedFileDialogs() override { FileDialogs::SetPresenter(previous_); }

    std::optional<FileChoice> ChooseOpen(QWidget*, const QString& initial) override
    {
        initialNames.push_back(initial);
        return next;
    }
    std::optional<FileChoice> ChooseSave(QWidget*, const QString& initial) override
    {
        initialNames.push_back(initial);
        return next;
    }

    std::optional<FileChoice> next;
    QStringList initialNames;

private:
    FileDialogPresenter* previous_ = nullptr;
};

class SettingsFileCommands : public ::testing::Test {
protected:
    void SetUp() override
    {
        form = MakeMainForm({"-E"});
        messages.requests.clear();
    }

    QString Path(const QString& name) const { return dir.filePath(name); }

    QTemporaryDir dir;
    RecordingPresenter messages;
    ScriptedFileDialogs dialogs;
    std::unique_ptr<TMainForm> form;
};

}  // namespace

TEST_F(SettingsFileCommands, SaveForcesTheExtensionWithTheFirstFilterAndRemembersIt)
{
    dialogs.next = FileChoice{Path("set1.txt"), 0};
    form->SaveBtn->click();
    EXPECT_TRUE(QFile::exists(Path("set1.VXS")));
    EXPECT_FALSE(QFile::exists(Path("set1.txt")));
    dialogs.next = FileChoice{Path("set2.txt"), 1};
    form->SaveBtn->click();
    EXPECT_TRUE(QFile::exists(Path("set2.txt")));
    ASSERT_EQ(dialogs.initialNames.size(), 2);
    EXPECT_EQ(dialogs.initialNames[1], Path("set1.VXS"));
    EXPECT_TRUE(messages.requests.empty());
}

TEST_F(SettingsFileCommands, SaveThenOpenRestoresTheBankAndShowsItsModel)
{
    form->Bank.models[3].NBRK = 42;
    form->Bank.models[3].MEMO = "two\r\nlines\r\n";
    form->Bank.ModelNumber = 120;
    dialogs.next = FileChoice{Path("a.VXS"), 0};
    form->SaveBtn->click();

    form->Bank.Initialise();
    form->MDL_SEL->ShowModel();
    dialogs.next = FileChoice{Path("a.VXS"), 0};
    form->OpenBtn->click();
    EXPECT_EQ(form->Bank.models[3].NBRK, 42);
    EXPECT_EQ(form->Bank.models[3].MEMO, "two\r\nlines\r\n");
    EXPECT_EQ(form->MDL_SEL->MDL_SEL_Tabs->currentIndex(), 3);
    EXPECT_EQ(form->MDL_SEL->NBRK_EDIT->text(), "42");
    EXPECT_EQ(form->MDL_SEL->Curve().SelStart(), -1);
    EXPECT_TRUE(messages.requests.empty());
}

TEST_F(SettingsFileCommands, SaveToAPlaceThatCannotBeWrittenSaysUnsaved)
{
    QFile blocker(Path("plainfile"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    dialogs.next = FileChoice{Path("plainfile/inside.VXS"), 0};
    form->SaveBtn->click();
    ASSERT_EQ(messages.requests.size(), 1u);
    EXPECT_EQ(messages.requests[0].text, "unsaved!");
    EXPECT_EQ(messages.requests[0].kind, DialogKind::Error);
}

TEST_F(SettingsFileCommands, AFileThatCannotBeReadIsReportedAndChangesNothing)
{
    form->Bank.models[0].NBRK = 7;
    const ModelBank before = form->Bank;
    QDir(dir.path()).mkdir("folder.VXS");  // exists, but is no file to read
    dialogs.next = FileChoice{Path("folder.VXS"), 0};
    form->OpenBtn->click();
    EXPECT_EQ(form->Bank, before);
    ASSERT_EQ(messages.requests.size(), 1u);
    EXPECT_EQ(messages.requests[0].kind, DialogKind::Error);
    EXPECT_FALSE(messages.requests[0].text.empty());
}

TEST_F(SettingsFileCommands, OpeningAFileThatIsNotASettingsFileSaysSoAndKeepsTheEdits)
{
    form->Bank.models[0].NBRK = 7;
    const ModelBank before = form->Bank;
    QFile text(Path("notes.txt"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("shopping list\n");
    text.close();
    dialogs.next = FileChoice{Path("notes.txt"), 1};
    form->OpenBtn->click();
    EXPECT_EQ(form->Bank, before);
    ASSERT_EQ(messages.requests.size(), 1u);
    EXPECT_EQ(messages.requests[0].text, "Not a settings file");
    EXPECT_EQ(messages.requests[0].kind, DialogKind::Error);
    EXPECT_EQ(messages.requests[0].buttons, DialogButtons::Ok);
}

TEST_F(SettingsFileCommands, CancelledDialogsChangeNothing)
{
    form->Bank.models[0].NBRK = 9;
    const ModelBank before = form->Bank;
    dialogs.next.reset();
    form->OpenBtn->click();
    form->SaveBtn->click();
    EXPECT_EQ(form->Bank, before);
    EXPECT_TRUE(messages.requests.empty());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 0);
}
