// The keys, the menu of files used last and the help window a desktop tool is expected to have.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "MainFormHarness.h"
#include "RecordingPresenter.h"
#include "ScriptedFileDialogs.h"
#include "HistoryStore.h"
#include "SettingsFile.h"
#include "TCompareDialog.h"
#include "THelpForm.h"
#include "TModelEditor.h"

namespace {

class DesktopHabits : public ::testing::Test {
protected:
    void Start(QStringList args, QString settings = {})
    {
        form = MakeMainForm(std::move(args), false, std::move(settings));
        form->show();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
        messages.requests.clear();
    }
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers) { QTest::keyClick(form.get(), key, modifiers); }
    void TypeNbrk(const QString& text)
    {
        form->MDL_SEL->NBRK_EDIT->setFocus();
        form->MDL_SEL->NBRK_EDIT->selectAll();
        QTest::keyClicks(form->MDL_SEL->NBRK_EDIT, text);
    }
    QString In(const char* name) const { return dir.filePath(name); }
    QStringList MenuTexts()
    {
        emit form->RecentMenu()->aboutToShow();
        QStringList texts;
        for (QAction* a : form->RecentMenu()->actions())
            texts << a->text();
        return texts;
    }

    QTemporaryDir dir;
    RecordingPresenter messages;
    ScriptedFileDialogs dialogs;
    std::unique_ptr<TMainForm> form;
};

}  // namespace

TEST_F(DesktopHabits, CtrlSSavesToTheFileInUseWithoutTheDialogAndCtrlShiftSAsks)
{
    Start({"-E"});
    dialogs.next = FileChoice{In("a.VXS"), 0};
    Key(Qt::Key_S, Qt::ControlModifier);  // no file yet: the dialog
    EXPECT_EQ(dialogs.shown, QStringList{"save"});
    ASSERT_TRUE(QFile::exists(In("a.VXS")));

    TypeNbrk("77");
    Key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(dialogs.shown, QStringList{"save"});
    EXPECT_TRUE(ReadBytes(In("a.VXS")).contains("MDL1_NBRK=77\r\n"));
    EXPECT_EQ(form->windowTitle(), "a.VXS - " + QString(TMainForm::kCaption));
    EXPECT_TRUE(messages.requests.empty());  // the file itself: no question about replacing it

    dialogs.next = FileChoice{In("b.VXS"), 0};
    Key(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(dialogs.shown, (QStringList{"save", "save"}));
    TypeNbrk("78");
    Key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(ReadBytes(In("b.VXS")).contains("MDL1_NBRK=78\r\n"));
    EXPECT_TRUE(ReadBytes(In("a.VXS")).contains("MDL1_NBRK=77\r\n"));

    // After Open, the file opened.
    dialogs.next = FileChoice{In("a.VXS"), 0};
    Key(Qt::Key_O, Qt::ControlModifier);
    TypeNbrk("79");
    Key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(ReadBytes(In("a.VXS")).contains("MDL1_NBRK=79\r\n"));
    EXPECT_EQ(dialogs.shown, (QStringList{"save", "save", "open"}));
}

TEST_F(DesktopHabits, CtrlTabAndCtrlShiftTabGoRoundTheModels)
{
    Start({"-E"});
    form->Bank.models[1].NBRK = 21;
    form->Bank.models[4].NBRK = 51;
    Key(Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(form->MDL_SEL->MDL_SEL_Tabs->currentIndex(), 1);
    EXPECT_EQ(form->Bank.ModelNumber, 40);
    EXPECT_EQ(form->MDL_SEL->NBRK_EDIT->text(), "21");
    Key(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    Key(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(form->MDL_SEL->MDL_SEL_Tabs->currentIndex(), 4);
    EXPECT_EQ(form->MDL_SEL->NBRK_EDIT->text(), "51");
    // A number being typed goes into the model it was typed for.
    TypeNbrk("99");
    Key(Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(form->MDL_SEL->MDL_SEL_Tabs->currentIndex(), 0);
    EXPECT_EQ(form->Bank.models[4].NBRK, 99);
    EXPECT_EQ(form->Bank.models[0].NBRK, 128);
}

TEST_F(DesktopHabits, CtrlQClosesAskingAboutUnsavedEdits)
{
    Start({"-E"});
    TypeNbrk("5");
    messages.answers = {DialogResult::Cancel};
    Key(Qt::Key_Q, Qt::ControlModifier);
    ASSERT_EQ(messages.requests.size(), 1u);
    EXPECT_EQ(messages.requests[0].text, "Save the changes?");
    EXPECT_TRUE(form->isVisible());
    messages.answers = {DialogResult::No};
    Key(Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(form->isVisible());
}

TEST_F(DesktopHabits, TheOpenButtonOffersTheLastEightFilesRememberedInTheSettings)
{
    const QString settings = In("VXRMGR.ini");
    Start({"-E"}, settings);
    EXPECT_EQ(MenuTexts(), QStringList{"No recent files"});
    for (int n = 1; n <= 9; ++n) {
        form->Bank.models[0].NBRK = n;
        dialogs.next = FileChoice{In(QStringLiteral("f%1.VXS").arg(n).toUtf8().constData()), 0};
        form->SaveBtn->click();
    }
    dialogs.next = FileChoice{In("f3.VXS"), 0};
    form->OpenBtn->click();  // used again: first
    const QStringList expected = {"&1 " + In("f3.VXS"), "&2 " + In("f9.VXS"), "&3 " + In("f8.VXS"),
                                  "&4 " + In("f7.VXS"), "&5 " + In("f6.VXS"), "&6 " + In("f5.VXS"),
                                  "&7 " + In("f4.VXS"), "&8 " + In("f2.VXS")};
    EXPECT_EQ(MenuTexts(), expected);
    EXPECT_TRUE(ReadBytes(settings).contains("[Recent]"));

    // The next start offers them; picking one opens it as Open does, and a file gone since is
    // reported, the bank kept.
    form.reset();
    Start({"-E"}, settings);
    EXPECT_EQ(MenuTexts(), expected);
    form->RecentMenu()->actions()[1]->trigger();
    EXPECT_EQ(form->Bank.models[0].NBRK, 9);
    EXPECT_EQ(form->FileName(), In("f9.VXS"));
    EXPECT_TRUE(messages.requests.empty());
    ASSERT_TRUE(QFile::remove(In("f8.VXS")));
    form->RecentMenu()->actions()[2]->trigger();
    ASSERT_EQ(messages.requests.size(), 1u);
    EXPECT_EQ(messages.requests[0].kind, DialogKind::Error);
    EXPECT_EQ(QString::fromStdString(messages.requests[0].text), "Cannot read file " + In("f8.VXS") + ": No such file or directory");
    EXPECT_EQ(form->Bank.models[0].NBRK, 9);
}

TEST_F(DesktopHabits, F1ShowsTheVersionLicenceKeysAndWhereFilesAreKept)
{
    qputenv("XDG_DATA_HOME", In("data").toUtf8());
    for (const char* language : {"-E", "-J"}) {
        Start({language}, In("VXRMGR.ini"));
        Key(Qt::Key_F1, Qt::NoModifier);
        THelpForm* help = form->HelpForm();
        ASSERT_NE(help, nullptr);
        EXPECT_TRUE(help->isVisible());
        const QString text = help->Text();
        const bool english = language == std::string("-E");
        EXPECT_TRUE(text.contains(english ? "Version " VXR_VERSION : "バージョン " VXR_VERSION)) << text.toStdString();
        EXPECT_TRUE(text.contains(english ? "GNU General Public License, version 3 or later" : "GNU 一般公衆利用許諾書"));
        EXPECT_TRUE(text.contains(english ? "Ctrl+S\tSave to the file last opened or saved" : "Ctrl+S\t最後に開いたか"));
        EXPECT_TRUE(text.contains(english ? "Ctrl+P\tPrint the setting sheet\nCtrl+Shift+P\tSave the setting sheet as PDF"
                                          : "Ctrl+P\t設定シートを印刷\nCtrl+Shift+P\t設定シートを PDF で保存"));
        EXPECT_TRUE(text.contains(In("VXRMGR.ini")));
        EXPECT_TRUE(text.contains(In("data") + "/vxrmgr/"));
        EXPECT_EQ(help->windowTitle(), english ? "Help" : "ヘルプ");
        form.reset();
    }
    qunsetenv("XDG_DATA_HOME");
}

// Ctrl+D compares any two setups: besides the editors and a file, each side offers the history's
// entries, newest first, so two entries can stand side by side. An entry without a name is named
// as the history list names it: local time and the action in the window's language.
TEST_F(DesktopHabits, CtrlDComparesAnyTwoSetupsHistoryEntriesIncluded)
{
    struct ZoneKept {
        QByteArray zone = qgetenv("TZ");
        ~ZoneKept() { zone.isNull() ? qunsetenv("TZ") : qputenv("TZ", zone); }
    } kept;
    qputenv("TZ", "JST-9");  // not UTC, so that a time in UTC shows
    // The window's language and local time; the action texts of either language are the core's.
    const QString unnamed = QStringLiteral("#1 2025-12-08 09:00:00 全て読取");
    Start({"-J"});
    ModelBank bank;
    bank.Initialise();
    HistoryEntry entry;
    entry.timeMs = 1765152000000;  // 2025-12-08T00:00:00Z
    entry.settings = SettingsFile::ToBytes(bank);
    form->History().Add(entry);
    bank.models[1].NBRK = 20;
    entry.settings = SettingsFile::ToBytes(bank);
    entry.name = "dry";
    form->History().Add(entry);
    dialogs.next = std::nullopt;  // the file first asked for on the right: cancelled

    QStringList offered;
    QString left, right, marked;
    QTimer::singleShot(200, [&] {
        auto* d = dynamic_cast<TCompareDialog*>(QApplication::activeModalWidget());
        if (!d)
            return;
        for (int k = 0; k < d->Source(0)->count(); ++k)
            offered << d->Source(0)->itemText(k);
        emit d->Source(0)->activated(3);
        emit d->Source(1)->activated(2);
        left = d->Rows()->horizontalHeaderItem(1)->text();
        right = d->Rows()->horizontalHeaderItem(2)->text();
        marked = d->Models()->tabText(1);
        d->reject();
    });
    Key(Qt::Key_D, Qt::ControlModifier);
    ASSERT_EQ(offered.size(), 4) << offered.join('|').toStdString();
    EXPECT_EQ(offered[2], "#2 dry");
    EXPECT_EQ(offered[3], unnamed);
    EXPECT_EQ(left, unnamed);
    EXPECT_EQ(right, "#2 dry");
    EXPECT_EQ(marked, "MODEL2 *");
}
