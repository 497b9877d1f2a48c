#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QProcessEnvironment>
#include <QScrollBar>
#include <QTabBar>
#include <QToolButton>

#include "BuiltPrograms.h"
#include "MainFormHarness.h"
#include "RecordingPresenter.h"
#include "TCurveEditor.h"
#include "THintFilter.h"
#include "TPortComboBox.h"
#include "TModelEditor.h"

namespace {
QString U(const char* s) { return QString::fromUtf8(s); }

// Answers the start-up message (the port's) for every test.
class MainFormStartup : public ::testing::Test { RecordingPresenter answers_; };
}  // namespace

TEST_F(MainFormStartup, LanguageFromLocaleAndFirstArgument)
{
    struct Case {
        QStringList args;
        bool japaneseLocale;
        int language;
        const char* caption;
    };
    const Case cases[] = {
        {{}, true, 0, "VXR Manager for ZavidEzedu Ver1.54"},
        {{}, false, 1, "VXR Manager for ZavidEzedu Ver1.54"},
        {{"-e"}, true, 1, "VXR Manager for ZavidEzedu Ver1.54"},
        {{"-J"}, false, 0, "VXR Manager for ZavidEzedu Ver1.54"},
        {{"-j"}, false, 0, "VXR Manager for ZavidEzedu Ver1.54"},
        {{"-v"}, true, 0, "VXR Manager for ZavidEzedu 100428"},
        {{"-V"}, false, 1, "VXR Manager for ZavidEzedu 100428"},
        {{"-J", "-V"}, false, 0, "VXR Manager for ZavidEzedu Ver1.54"},
        {{"-x", "-J"}, false, 1, "VXR Manager for ZavidEzedu Ver1.54"},
        {{"-JE"}, true, 0, "VXR Manager for ZavidEzedu Ver1.54"},
    };
    for (const Case& c : cases) {
        auto form = MakeMainForm(c.args, c.japaneseLocale);
        EXPECT_EQ(form->Language, c.language) << c.args.join(' ').toStdString();
        EXPECT_EQ(form->windowTitle(), QString(c.caption)) << c.args.join(' ').toStdString();
    }
}

// The toolkit takes its own options out of the arguments; the switch is still only the first
// argument as the user typed it, and the file the first remaining one that is no option.
TEST_F(MainFormStartup, CommandLineSwitchAsTypedAndFileArgument)
{
    struct Case {
        QStringList typed;
        QStringList remaining;
        int language;
        const char* file;
    };
    const Case cases[] = {
        {{"-style", "fusion", "-J"}, {"-J"}, 1, ""},
        {{"-J", "-style", "fusion"}, {"-J"}, 0, ""},
        {{"-J", "a.VXS"}, {"-J", "a.VXS"}, 0, "a.VXS"},
        {{"a.VXS"}, {"a.VXS"}, 1, "a.VXS"},
        {{"a.VXS", "-J"}, {"a.VXS", "-J"}, 1, "a.VXS"},
        {{"-platform", "offscreen", "-e", "b.vxs"}, {"-e", "b.vxs"}, 1, "b.vxs"},
        {{"-x", "c.VXS", "d.VXS"}, {"-x", "c.VXS", "d.VXS"}, 1, "c.VXS"},
    };
    for (const Case& c : cases) {
        TMainForm::Options o = TMainForm::Options::FromCommandLine(c.typed, c.remaining);
        EXPECT_EQ(o.file, QString(c.file)) << c.typed.join(' ').toStdString();
        o.file.clear();  // the opening itself is the settings-file commands' business
        EXPECT_EQ(MakeMainForm(o)->Language, c.language) << c.typed.join(' ').toStdString();
    }
}

// Without a display a window could not even start: these answers come before it, in the
// locale's language (or -J/-E's), and output that cannot be written fails with a message.
TEST_F(MainFormStartup, HelpAndVersionPrintWithoutAWindow)
{
    struct Case {
        QStringList args;
        QString lang;
        QString first;
        int status = 0;
        QString output;  // a file for standard output, else kept
        std::string err;
    };
    const QString full = QStringLiteral("/dev/full");
    const std::vector<Case> cases = {
        {{"--help"}, "C.UTF-8", "Usage: vxrmgr [-J | -E | -V] [FILE]\n", 0, {}, ""},
        {{"--help"}, "ja_JP.UTF-8", QString::fromUtf8("使い方: vxrmgr [-J | -E | -V] [FILE]\n"), 0, {}, ""},
        {{"-E", "--help"}, "ja_JP.UTF-8", "Usage: vxrmgr", 0, {}, ""},
        {{"-J", "-h"}, "C.UTF-8", QString::fromUtf8("使い方: vxrmgr"), 0, {}, ""},
        {{"-J", "--version"}, "C.UTF-8", "vxrmgr " VXR_VERSION "\n", 0, {}, ""},
        {{"--help"}, "C.UTF-8", "", 1, full, "vxrmgr: standard output: No space left on device\n"},
        {{"--version"}, "ja_JP.UTF-8", "", 1, full, "vxrmgr: 標準出力: No space left on device\n"},
    };
    for (const Case& c : cases) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.remove(QStringLiteral("LC_ALL"));
        env.remove(QStringLiteral("LC_MESSAGES"));
        env.insert(QStringLiteral("LANG"), c.lang);
        QProcess p;
        p.setProcessEnvironment(env);
        if (!c.output.isEmpty())
            p.setStandardOutputFile(c.output);
        p.start(QString::fromUtf8(BuiltPrograms::kVxrmgr), c.args);
        const std::string what = c.args.join(' ').toStdString() + " " + c.lang.toStdString();
        ASSERT_TRUE(p.waitForFinished(30000)) << what;
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit) << what;
        EXPECT_EQ(p.exitCode(), c.status) << what;
        EXPECT_EQ(p.readAllStandardError().toStdString(), c.err) << what;
        if (c.output.isEmpty()) {
            EXPECT_TRUE(QString::fromUtf8(p.readAllStandardOutput()).startsWith(c.first)) << what;
        }
    }
}

TEST_F(MainFormStartup, LabelsAndHintsInEachLanguage)
{
    auto ja = MakeMainForm({}, true);
    EXPECT_EQ(ja->MDL_SEL->Label1->text(), U("ニュートラルブレーキの状態"));
    EXPECT_EQ(ja->MDL_SEL->Label9->text(), "LowVoltCut");
    EXPECT_EQ(ja->MDL_SEL->Label2->text(), U("メモ"));
    EXPECT_EQ(ja->Hints().AppShowHint(ja->EXIT_BTN), U("終了（Ctrl+Q）"));
    EXPECT_EQ(ja->Hints().AppShowHint(ja->OpenBtn), U("ファイルを開く（Ctrl+O。押したままにするか右クリックで最近のファイル）"));
    EXPECT_EQ(ja->Hints().AppShowHint(ja->SpeedButton1), U("直線補間"));
    EXPECT_EQ(ja->Hints().AppShowHint(ja->SHEET_BTN), U("設定シート（印刷は Ctrl+P、PDF で保存は Ctrl+Shift+P）"));

    auto en = MakeMainForm({}, false);
    EXPECT_EQ(en->MDL_SEL->Label1->text(), "AutomaticBrake");
    EXPECT_EQ(en->MDL_SEL->Label6->text(), "BrakeFreq");
    EXPECT_EQ(en->MDL_SEL->Label8->text(), "TimingAdjust");
    EXPECT_EQ(en->MDL_SEL->Label9->text(), "LowVoltCut");
    EXPECT_EQ(en->MDL_SEL->Label18->text(), "DriveFreq");
    EXPECT_EQ(en->MDL_SEL->Label2->text(), "Memo");
    const std::pair<QToolButton*, const char*> hints[] = {
        {en->PROGRAM_BTN, "Write All"}, {en->READ_BTN, "Read All"},
        {en->OpenBtn, "Open (Ctrl+O; hold or right-click for recent files)"},
        {en->SaveBtn, "Save (Ctrl+Shift+S; Ctrl+S saves to the file last opened or saved)"},
        {en->EXIT_BTN, "Exit (Ctrl+Q)"}, {en->PROG2_BTN, "Write"},
        {en->READ2_BTN, "Read"}, {en->RESET_BTN, "Reset"}, {en->SpeedButton1, "LinerAdjust"},
        {en->SHEET_BTN, "Setting sheet (Print: Ctrl+P, Save as PDF: Ctrl+Shift+P)"}};
    for (auto [button, hint] : hints)
        EXPECT_EQ(en->Hints().AppShowHint(button), QString(hint)) << hint;
    // No other control has a hint.
    EXPECT_TRUE(en->Hints().AppShowHint(en->MDL_SEL->NBRK_BAR).isEmpty());
    EXPECT_TRUE(en->Hints().AppShowHint(en->CommPort).isEmpty());
}

TEST_F(MainFormStartup, ShowsModel1AtItsDefaults)
{
    auto form = MakeMainForm({"-E"});
    TModelEditor& e = *form->MDL_SEL;
    EXPECT_EQ(form->size(), QSize(601, 452));
    EXPECT_EQ(e.MDL_SEL_Tabs->count(), 5);
    EXPECT_EQ(e.MDL_SEL_Tabs->tabText(0), "MODEL1");
    EXPECT_EQ(e.MDL_SEL_Tabs->tabText(4), "MODEL5");
    EXPECT_EQ(e.MDL_SEL_Tabs->currentIndex(), 0);
    EXPECT_EQ(e.NBRK_EDIT->text(), "128");
    EXPECT_EQ(e.NBRK_BAR->value(), 128);
    EXPECT_EQ(e.PROG_EDIT->text(), "1");
    EXPECT_EQ(e.PROG_BAR->value(), 1);
    EXPECT_EQ(e.BFREQ_CMB->count(), 52);
    EXPECT_EQ(e.BFREQ_CMB->itemText(0), "2.44kHz");
    EXPECT_EQ(e.BFREQ_CMB->itemText(22), "0,908kHz");
    EXPECT_EQ(e.BFREQ_CMB->currentIndex(), 20);
    EXPECT_EQ(e.BFREQ_CMB->currentText(), "0.964kHz");
    EXPECT_EQ(e.CUTOFF_COMB->count(), 7);
    EXPECT_EQ(e.CUTOFF_COMB->currentIndex(), 4);
    EXPECT_EQ(e.CUTOFF_COMB->currentText(), "NiMH   5-6cell  3.2V");
    for (int i = 0; i < 32; ++i)
        EXPECT_EQ(e.Curve().Bar(i)->value(), 47) << i;
    EXPECT_EQ(e.Curve().AvgBar()->value(), 47);
    EXPECT_EQ(e.Curve().SelStart(), -1);
    EXPECT_EQ(e.Curve().SelEnd(), -1);
    EXPECT_EQ(form->Bank.ModelNumber, 0);
    EXPECT_EQ(form->Bank.SYS_CUR, 15);
}

TEST_F(MainFormStartup, CurveBarsStandAtTheirCoordinates)
{
    auto form = MakeMainForm();
    TCurveEditor& c = form->MDL_SEL->Curve();
    for (int i = 0; i < 32; ++i) {
        const QScrollBar* bar = form->MDL_SEL->findChild<QScrollBar*>(QStringLiteral("FRQ_%1").arg(i));
        ASSERT_NE(bar, nullptr) << i;
        EXPECT_EQ(bar, c.Bar(i));
        EXPECT_EQ(bar->geometry(), QRect(20 + 17 * i + 2 * (i / 8), 128, 16, 170)) << i;
        EXPECT_EQ(bar->orientation(), Qt::Vertical);
        EXPECT_EQ(bar->maximum(), 51);
    }
}
