#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTabBar>
#include <QTemporaryDir>
#include <QToolButton>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <utility>

#include "FileDialogs.h"
#include "MainFormHarness.h"
#include "RecordingPresenter.h"
#include "ScriptedFileDialogs.h"
#include "StorageTestFiles.h"
#include "TCurveEditor.h"
#include "TModelEditor.h"

namespace {

class SettingsFileCommands : public ::testing::Test {
protected:
    void SetUp() override
    {
        form = MakeMainForm({"-E"});
        messages.requests.clear();
    }

    QString Path(const QString& name) const { return dir.filePath(name); }
    // The command ended in one message box, with an OK button.
    void ExpectOneMessage(const std::string& text, uint8_t kind) const
    {
        ASSERT_EQ(messages.requests.size(), 1u);
        EXPECT_EQ(messages.requests[0].text, text);
        EXPECT_EQ(messages.requests[0].kind, kind);
        EXPECT_EQ(messages.requests[0].buttons, DialogButtons::Ok);
    }

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
    form->ResetModified();
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
    ASSERT_TRUE(WriteBytes(Path("plainfile"), ""));
    dialogs.next = FileChoice{Path("plainfile/inside.VXS"), 0};
    form->SaveBtn->click();
    ExpectOneMessage("unsaved!", DialogKind::Error);
}

TEST_F(SettingsFileCommands, AFileThatCannotBeReadIsReportedInTheUsersLanguageAndChangesNothing)
{
    QDir(dir.path()).mkdir("folder.VXS");  // exists, but is no file to read
    ASSERT_EQ(::mkfifo(QFile::encodeName(Path("pipe.VXS")).constData(), 0600), 0);
    const struct {
        const char* name;
        const char* language;
        const char* text;  // %1: the path
    } cases[] = {
        {"folder.VXS", "-E", "Cannot read file %1: it is a folder"},
        {"folder.VXS", "-J", "ファイル %1 を読み込めません: フォルダです"},
        {"pipe.VXS", "-E", "Cannot read file %1: it is not a regular file"},
        {"pipe.VXS", "-J", "ファイル %1 を読み込めません: 通常のファイルではありません"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + c.language);
        auto f = MakeMainForm({c.language});
        f->Bank.models[0].NBRK = 7;
        f->ResetModified();  // as saved: Open asks nothing
        const ModelBank before = f->Bank;
        messages.requests.clear();
        dialogs.next = FileChoice{Path(c.name), 0};
        f->OpenBtn->click();
        EXPECT_EQ(f->Bank, before);
        ASSERT_EQ(messages.requests.size(), 1u);
        EXPECT_EQ(messages.requests[0].kind, DialogKind::Error);
        EXPECT_EQ(QString::fromStdString(messages.requests[0].text), QString::fromUtf8(c.text).arg(Path(c.name)));
    }
}

// "vxrmgr [-J] FILE", as a file manager starts it: the file opens once the start-up is done.
TEST_F(SettingsFileCommands, AFileNamedOnTheCommandLineOpensOnceStarted)
{
    form->Bank.models[3].NBRK = 42;
    form->Bank.ModelNumber = 120;
    dialogs.next = FileChoice{Path("a.VXS"), 0};
    form->SaveBtn->click();
    const ModelBank saved = form->Bank;

    for (const QStringList& args : {QStringList{Path("a.VXS")}, QStringList{"-J", Path("a.VXS")}}) {
        messages.requests.clear();
        auto started = MakeMainForm(TMainForm::Options::FromCommandLine(args, args));
        EXPECT_EQ(started->Bank, saved);
        EXPECT_EQ(started->MDL_SEL->MDL_SEL_Tabs->currentIndex(), 3);
        EXPECT_EQ(started->MDL_SEL->NBRK_EDIT->text(), "42");
        ASSERT_EQ(messages.requests.size(), 1u);  // the port's, nothing else
        EXPECT_EQ(started->Language, args.size() == 2 ? 0 : 1);
    }
}

TEST_F(SettingsFileCommands, AFileNamedOnTheCommandLineThatCannotBeLoadedIsReportedAsOpenReportsIt)
{
    QDir(dir.path()).mkdir("folder.VXS");
    ASSERT_TRUE(WriteBytes(Path("text.VXS"), "just some notes\n"));
    ModelBank defaults;
    defaults.Initialise();
    for (const char* name : {"folder.VXS", "text.VXS"}) {
        messages.requests.clear();
        auto started = MakeMainForm(TMainForm::Options::FromCommandLine({"-E", Path(name)}, {"-E", Path(name)}));
        EXPECT_EQ(started->Bank, defaults) << name;
        const std::vector<MessageRequest> atStart(messages.requests.begin() + 1, messages.requests.end());

        messages.requests.clear();
        dialogs.next = FileChoice{Path(name), 0};
        started->OpenBtn->click();
        ASSERT_EQ(atStart.size(), messages.requests.size()) << name;
        for (size_t i = 0; i < atStart.size(); ++i) {
            EXPECT_EQ(atStart[i].kind, messages.requests[i].kind) << name;
            EXPECT_EQ(atStart[i].text, messages.requests[i].text) << name;
        }
    }

    // The open dialog offers only existing files; a mistyped name is reported, in the user's
    // language around the system's own words.
    const QString typo = Path("typo.VXS");
    for (const auto& [args, frame] : {std::pair{QStringList{typo}, "Cannot read file %1: %2"},
                                      std::pair{QStringList{"-J", typo}, "ファイル %1 を読み込めません: %2"}}) {
        messages.requests.clear();
        auto started = MakeMainForm(TMainForm::Options::FromCommandLine(args, args));
        EXPECT_EQ(started->Bank, defaults);
        ASSERT_EQ(messages.requests.size(), 2u);
        EXPECT_EQ(messages.requests[1].kind, DialogKind::Error);
        EXPECT_EQ(QString::fromStdString(messages.requests[1].text),
                  QString::fromUtf8(frame).arg(typo, QString::fromLocal8Bit(std::strerror(ENOENT))));
    }
}

TEST_F(SettingsFileCommands, OpeningAFileThatIsNotASettingsFileSaysSoAndKeepsTheEdits)
{
    form->Bank.models[0].NBRK = 7;
    form->ResetModified();
    const ModelBank before = form->Bank;
    ASSERT_TRUE(WriteBytes(Path("notes.txt"), "shopping list\n"));
    dialogs.next = FileChoice{Path("notes.txt"), 1};
    form->OpenBtn->click();
    EXPECT_EQ(form->Bank, before);
    ExpectOneMessage("Not a settings file", DialogKind::Error);
}

TEST_F(SettingsFileCommands, OpeningAFileWithDamagedBytesLoadsItAndWarns)
{
    ASSERT_TRUE(WriteBytes(Path("damaged.VXS"), "[VxrManager]\r\nSYS_MDL=1\r\nMDL2_MEMO0=1\r\nMDL2_MEMO1=\xE6\x97\xA5\xFF\r\n"));
    dialogs.next = FileChoice{Path("damaged.VXS"), 0};
    form->OpenBtn->click();
    EXPECT_EQ(form->Bank.models[1].MEMO, "\xE6\x97\xA5\xEF\xBF\xBD\r\n");
    EXPECT_EQ(form->MDL_SEL->SelectedTab(), 1);
    ExpectOneMessage("Some characters in this file could not be read and were replaced.", DialogKind::Warning);
}

TEST_F(SettingsFileCommands, CancelledDialogsChangeNothing)
{
    form->Bank.models[0].NBRK = 9;
    form->ResetModified();
    const ModelBank before = form->Bank;
    dialogs.next.reset();
    form->OpenBtn->click();
    form->SaveBtn->click();
    EXPECT_EQ(form->Bank, before);
    EXPECT_TRUE(messages.requests.empty());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 0);
}
