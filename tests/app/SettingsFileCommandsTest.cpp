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

// The extension is forced after the dialog closed: the dialog asked about "victim", if at all.
TEST_F(SettingsFileCommands, SaveAsksBeforeReplacingTheFileItWritesAndNoReturnsToTheDialog)
{
    const struct {
        const char* language;
        const char* question;
    } cases[] = {
        {"-E", "victim.VXS already exists.\nDo you want to replace it?"},
        {"-J", "victim.VXS は既にあります。\n置き換えますか？"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.language);
        ASSERT_TRUE(WriteBytes(Path("victim.VXS"), "kept"));
        auto f = MakeMainForm({c.language});
        f->Bank.models[0].NBRK = 5;
        messages.requests.clear();
        messages.answers = {DialogResult::No};
        dialogs.queue = {FileChoice{Path("victim"), 0}, std::nullopt};
        f->SaveBtn->click();
        EXPECT_EQ(ReadBytes(Path("victim.VXS")), "kept");
        ASSERT_EQ(messages.requests.size(), 1u);
        EXPECT_EQ(messages.requests[0].kind, DialogKind::Question);
        EXPECT_EQ(messages.requests[0].buttons, DialogButtons::YesNo);
        EXPECT_EQ(messages.requests[0].text, c.question);
        // No brought the dialog back, on the name that would have been replaced.
        ASSERT_EQ(dialogs.initialNames.size(), 2);
        EXPECT_EQ(dialogs.initialNames[1], Path("victim.VXS"));
        EXPECT_TRUE(f->IsModified());
        dialogs.initialNames.clear();

        messages.requests.clear();
        dialogs.queue = {FileChoice{Path("victim.txt"), 0}};
        dialogs.next.reset();
        f->SaveBtn->click();  // answered Yes
        ASSERT_EQ(messages.requests.size(), 1u);
        EXPECT_EQ(messages.requests[0].text, c.question);
        EXPECT_NE(ReadBytes(Path("victim.VXS")), "kept");
        EXPECT_FALSE(f->IsModified());
        dialogs.initialNames.clear();
    }
}

TEST_F(SettingsFileCommands, SaveToAPlaceThatCannotBeWrittenSaysUnsavedNamingTheFileAndWhy)
{
    ASSERT_TRUE(WriteBytes(Path("plainfile"), ""));
    const QString target = Path("plainfile/inside.VXS");
    const struct {
        const char* language;
        const char* text;  // %1 the file, %2 the system's words
    } cases[] = {
        {"-E", "unsaved!\nCannot write file %1: cannot create a file in its folder (%2)"},
        {"-J", "指定の場所には保存できません\nファイル %1 に保存できません: フォルダにファイルを作れません (%2)"},
    };
    for (const auto& c : cases) {
        auto f = MakeMainForm({c.language});
        messages.requests.clear();
        dialogs.next = FileChoice{target, 0};
        f->SaveBtn->click();
        ASSERT_EQ(messages.requests.size(), 1u) << c.language;
        EXPECT_EQ(messages.requests[0].kind, DialogKind::Error);
        EXPECT_EQ(messages.requests[0].text,
                  QString::fromUtf8(c.text).arg(target, QString::fromLocal8Bit(std::strerror(ENOTDIR))).toStdString());
    }
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

// Loaded as the file holds them, but the editors cannot show them: one warning lists them all.
TEST_F(SettingsFileCommands, OpeningAFileWithValuesOutsideTheirRangeListsThemAllInOneWarning)
{
    ASSERT_TRUE(WriteBytes(Path("wild.VXS"), "[VxrManager]\r\nSYS_MDL=1\r\nMDL2_BFREQ=999\r\nMDL3_PROG=-4\r\n"
                                             "MDL4_NBRK=300\r\nMDL5_FRQ7=5\r\nMDL5_VLT=90\r\n"));
    const struct {
        const char* language;
        const char* text;
    } cases[] = {
        {"-E", "This file holds values outside their range (the editors cannot show them as they are). Mend them "
               "before writing:\nMODEL2 BFREQ = 999 (allowed: 12..63)\nMODEL3 PROG = -4 (allowed: 0..12)\n"
               "MODEL4 NBRK = 300 (allowed: 0..255)\nMODEL5 VLT = 90 (allowed: 80, 88, 92, 96, 100, 160, 195)\n"
               "MODEL5 FRQ7 = 5 (allowed: 12..63)"},
        {"-J", "このファイルには範囲外の値があります（編集欄にはそのまま表示できません）。書き込む前に直してください:\n"
               "MODEL2 BFREQ = 999（範囲: 12..63）\nMODEL3 PROG = -4（範囲: 0..12）\nMODEL4 NBRK = 300（範囲: 0..255）\n"
               "MODEL5 VLT = 90（範囲: 80, 88, 92, 96, 100, 160, 195）\nMODEL5 FRQ7 = 5（範囲: 12..63）"},
    };
    for (const auto& c : cases) {
        auto f = MakeMainForm({c.language});
        messages.requests.clear();
        dialogs.next = FileChoice{Path("wild.VXS"), 0};
        f->OpenBtn->click();
        ASSERT_EQ(messages.requests.size(), 1u) << c.language;
        EXPECT_EQ(messages.requests[0].kind, DialogKind::Warning);
        EXPECT_EQ(messages.requests[0].text, c.text);
        EXPECT_EQ(f->Bank.models[1].BFREQ, 999);
        EXPECT_EQ(f->Bank.models[4].FRQ[6], 5);
        EXPECT_EQ(f->MDL_SEL->SelectedTab(), 1);
        EXPECT_FALSE(f->IsModified());
    }
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
