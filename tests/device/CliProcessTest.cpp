#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include "CliRunner.h"
#include "ControllerSimulator.h"
#include "ModelBank.h"
#include "SettingsFileIo.h"
#include "SimulatorTestState.h"
#include "StorageTestFiles.h"
#include "TransferResult.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>

namespace {

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

class CliTest : public ::testing::Test {
protected:
    QTemporaryDir dir;

    QString PathOf(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }

    void Save(const ModelBank& bank, const QString& path) const
    {
        ASSERT_EQ(SettingsFileIo::Save(bank, path), SettingsFileIo::SaveResult::Saved);
    }
    static ModelBank Defaults()
    {
        ModelBank bank;
        bank.Initialise();
        return bank;
    }
};

class CliDeviceTest : public CliTest {
protected:
    ControllerSimulator sim{Options()};
    QString port = QString::fromStdString(sim.DevicePath());

    static ControllerSimulator::Options Options()
    {
        ControllerSimulator::Options o;
        o.state = DistinctControllerState(40);
        return o;
    }
};

// What a read or a write takes and saves is told by CliFaultMatrix's next runs; here what
// they do not cover.
TEST_F(CliDeviceTest, ReadOfOneModelIntoANewFileGivesTheDefaultsAroundIt)
{
    // 425 ms, the shortest time-out accepted, is enough.
    const CliRun ja = Cli({"read", port, PathOf("new.VXS"), "--model", "2", "--timeout", "425", "--lang", "ja"});
    ASSERT_EQ(ja.status, 0) << ja.err;
    EXPECT_EQ(ja.out, "読取成功\n");
    const ModelBank fresh = LoadedBank(PathOf("new.VXS"));
    EXPECT_EQ(fresh.models[1].PROG, sim.ImageOf(1)[13]);
    EXPECT_EQ(fresh.models[0], Defaults().models[0]);
}

TEST_F(CliDeviceTest, WritingOneModelMakesItTheCurrentOne)
{
    ModelBank bank = Defaults();
    bank.ModelNumber = 120;
    bank.models[1].BFREQ = 13;
    Save(bank, PathOf("w.VXS"));
    ASSERT_EQ(Cli({"write", port, PathOf("w.VXS"), "--model", "2", "--timeout", "2000"}).status, 0);
    EXPECT_EQ(sim.ImageOf(1)[9], 13);
    EXPECT_EQ(sim.ModelNumber(), 40);
}

// Every read and write is kept, and a write can be undone from what it kept of the controller.
TEST_F(CliDeviceTest, HistoryKeepsEveryTransferAndEachEntryCanBeNamedExportedAndDeleted)
{
    const CliSetting data{{{QStringLiteral("XDG_DATA_HOME"), PathOf("data")}}, {}, {}};
    auto history = [&]() {
        const CliRun r = Cli({"history", "--json"}, data);
        EXPECT_EQ(r.status, 0) << r.err;
        return QJsonDocument::fromJson(QByteArray::fromStdString(r.out)).array();
    };
    EXPECT_EQ(history().size(), 0);
    ASSERT_EQ(Cli({"read", port, PathOf("r.VXS"), "--timeout", "2000"}, data).status, 0);
    const ModelBank read = LoadedBank(PathOf("r.VXS"));
    ModelBank edited = read;
    edited.models[3].NBRK = 5;
    Save(edited, PathOf("w.VXS"));
    ASSERT_EQ(Cli({"write", port, PathOf("w.VXS"), "--timeout", "2000"}, data).status, 0);
    ASSERT_EQ(sim.ImageOf(3)[8], 5);

    QJsonArray items = history();
    ASSERT_EQ(items.size(), 3);
    const QStringList actions = {items[0][QStringLiteral("action")].toString(),
                                 items[1][QStringLiteral("action")].toString(),
                                 items[2][QStringLiteral("action")].toString()};
    EXPECT_EQ(actions, (QStringList{"write", "before-write", "read"}));
    EXPECT_EQ(items[0][QStringLiteral("models")].toArray(), QJsonArray{4});
    EXPECT_EQ(items[1][QStringLiteral("models")].toArray(), QJsonArray{});  // as read before
    EXPECT_EQ(items[2][QStringLiteral("models")].toArray(), (QJsonArray{1, 2, 3, 4, 5}));
    EXPECT_EQ(items[0][QStringLiteral("port")].toString(), port);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\dZ$"))
                    .match(items[0][QStringLiteral("time")].toString())
                    .hasMatch());
    const QString before = QString::number(items[1][QStringLiteral("id")].toInteger());

    const CliRun named = Cli({"history", "name", before, "Tsukuba, wet"}, data);
    EXPECT_EQ(named.status, 0) << named.err;
    EXPECT_EQ(history()[1][QStringLiteral("name")].toString(), QStringLiteral("Tsukuba, wet"));
    const CliRun list = Cli({"history"}, data);
    EXPECT_TRUE(Contains(list.out, "before-write  " + port.toStdString() + "  [-]  \"Tsukuba, wet\"")) << list.out;

    // Writing back what the write replaced puts the controller's setup back.
    ASSERT_EQ(Cli({"history", "export", before, PathOf("undo.VXS")}, data).status, 0);
    EXPECT_EQ(LoadedBank(PathOf("undo.VXS")), read);
    const CliRun toStdout = Cli({"history", "export", before, "-"}, data);
    EXPECT_EQ(QByteArray::fromStdString(toStdout.out), ReadBytes(PathOf("undo.VXS")));
    ASSERT_EQ(Cli({"write", port, PathOf("undo.VXS"), "--timeout", "2000"}, data).status, 0);
    EXPECT_EQ(sim.ImageOf(3)[8], read.models[3].NBRK);
    EXPECT_EQ(history().size(), 5);

    EXPECT_EQ(Cli({"history", "delete", before}, data).status, 0);
    const CliRun again = Cli({"history", "delete", before}, data);
    EXPECT_EQ(again.status, 1);
    EXPECT_EQ(again.err, "vxrmgr-cli: no history entry " + before.toStdString() + "\n");
    EXPECT_EQ(Cli({"history", "export", before, PathOf("gone.VXS")}, data).status, 1);
    EXPECT_EQ(history().size(), 4);
}

// Ctrl-C or SIGTERM during a transfer at 1200 bit/s: the frame under way is finished, nothing
// more is sent, the controller's state is told as after a failed write, no file changes.
TEST_F(CliTest, AStopSignalEndsATransferBetweenFramesAndKeepsTheFile)
{
    ControllerSimulator::Options o;
    o.state = DistinctControllerState(40);
    o.paced = true;
    ControllerSimulator sim(o);
    ModelBank bank = Defaults();
    for (auto& m : bank.models)
        m.BFREQ = 50;
    Save(bank, PathOf("x.VXS"));
    const QByteArray before = ReadBytes(PathOf("x.VXS"));

    struct Case {
        const char* command;
        size_t frames;  // sent when the signal comes: D6, D1.. then E1..
        int signal;
        std::string says;
    };
    TransferResult twoWritten;
    twoWritten.ok = false;
    twoWritten.addressed.fill(true);
    twoWritten.written[0] = twoWritten.written[1] = TransferResult::Written::Yes;
    const std::vector<Case> cases = {
        {"write", 8, SIGINT, "vxrmgr-cli: Write failed: writing MODEL3: "},
        {"read", 3, SIGTERM, "vxrmgr-cli: Read failed: reading MODEL3: "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        sim.ClearTranscript();
        const ControllerState controllerBefore = sim.State();
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
        p.setProcessEnvironment(env);
        p.start(QString::fromUtf8(BuiltPrograms::kCli), {c.command, QString::fromStdString(sim.DevicePath()), PathOf("x.VXS")});
        ASSERT_TRUE(sim.WaitForFrames(c.frames, std::chrono::seconds(30)));
        ASSERT_EQ(::kill(static_cast<pid_t>(p.processId()), c.signal), 0);
        ASSERT_TRUE(p.waitForFinished(30000));
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p.exitCode(), 130);
        const std::string err = p.readAllStandardError().toStdString();
        EXPECT_EQ(err.rfind(c.says, 0), 0u) << err;
        EXPECT_EQ(sim.Transcript().size(), c.frames) << "a frame was sent after the stop";
        if (std::string(c.command) == "write") {
            EXPECT_TRUE(Contains(err, "\nvxrmgr-cli: " + twoWritten.WriteSummary(1) + "\n")) << err;
            for (int i = 0; i < 5; ++i)
                EXPECT_EQ(sim.ImageOf(i)[9] == 50, i < 2) << i;
        } else {
            EXPECT_EQ(sim.State().ModelNumber(), controllerBefore.ModelNumber());
        }
        EXPECT_EQ(ReadBytes(PathOf("x.VXS")), before);
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"x.VXS"});  // no temporary file
    }
}

// A failure mid-transfer is told by CliFaultMatrix; this is the one at the very first command.
TEST_F(CliDeviceTest, AFailedTransferSaysWhichStepAndWhy)
{
    Save(Defaults(), PathOf("f.VXS"));
    sim.SilenceAfter(ControllerSimulator::kAnyCommand, ControllerSimulator::Shots::Always);
    const CliRun r = Cli({"read", port, PathOf("f.VXS"), "--timeout", "500"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(Contains(r.err, "Read failed: reading the model number: time-out")) << r.err;
}

// A read is refused before anything is sent when its file could not be saved afterwards.
TEST_F(CliDeviceTest, AReadWhoseFileCannotBeWrittenSendsNothing)
{
    const std::vector<std::pair<QString, std::string>> cases = {
        // No file can be created in /sys, not even by root.
        {"/sys/vxrmgr-cli-test.VXS",
         "/sys/vxrmgr-cli-test.VXS: cannot be written: no file can be created in its folder (Permission denied)"},
        {PathOf("no-such-folder/x.VXS"), PathOf("no-such-folder/x.VXS").toStdString() + ": no such folder"},
    };
    for (const auto& [file, says] : cases) {
        const CliRun r = Cli({"read", port, file, "--timeout", "2000"});
        EXPECT_EQ(r.status, 1) << r.err;
        EXPECT_EQ(r.out, "");
        EXPECT_TRUE(Contains(r.err, says)) << r.err;
    }
    EXPECT_TRUE(sim.Transcript().empty());
}

// On a terminal a transfer shows its step and percentage on one line rewritten in place, in the
// messages' language, and erases it at the end; --quiet shows nothing.
TEST_F(CliDeviceTest, ATerminalShowsTheProgressUnlessQuiet)
{
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master), 0);
    ASSERT_EQ(unlockpt(master), 0);
    const QString terminal = QString::fromLocal8Bit(ptsname(master));
    const int slave = ::open(ptsname(master), O_RDWR | O_NOCTTY);  // no hang-up between runs
    ASSERT_GE(slave, 0);
    auto shown = [&](const QStringList& args) {
        const CliRun r = Cli(args + QStringList{"--timeout", "2000"}, {}, terminal);
        EXPECT_EQ(r.status, 0) << args.join(' ').toStdString();
        std::string text;
        char buffer[4096];
        pollfd p{master, POLLIN, 0};
        while (::poll(&p, 1, 200) > 0) {
            const ssize_t n = ::read(master, buffer, sizeof buffer);
            if (n <= 0)
                break;
            text.append(buffer, static_cast<size_t>(n));
        }
        return text;
    };
    const std::string read = shown({"read", port, PathOf("t.VXS")});
    EXPECT_TRUE(Contains(read, "\r\033[KRead MODEL3  ")) << read;
    EXPECT_TRUE(Contains(read, "\r\033[KWrite Modelnumber  85% done")) << read;  // 6 of 7 steps
    EXPECT_TRUE(Contains(read, "100% done\r\033[K")) << read;
    EXPECT_EQ(read.substr(read.size() - 4), "\r\033[K") << read;  // erased before the result

    const std::string written = shown({"write", port, PathOf("t.VXS"), "--model", "2", "--lang", "ja"});
    EXPECT_TRUE(Contains(written, "\r\033[KMODEL2書き込み  ")) << written;
    EXPECT_TRUE(Contains(written, "% 完了")) << written;

    EXPECT_EQ(shown({"read", port, PathOf("t.VXS"), "--quiet"}), "");
    ::close(slave);
    ::close(master);
}

TEST_F(CliDeviceTest, PortsListsThePinnedDevices)
{
    ASSERT_TRUE(WriteBytes(PathOf("VXRMGR.ini"), "[Ports]\r\nCOM3=" + port.toUtf8() + "\r\n"));

    const CliRun r = Cli({"ports", "--settings=" + PathOf("VXRMGR.ini")});
    ASSERT_EQ(r.status, 0);
    EXPECT_TRUE(Contains(r.out, "COM3   " + port.toStdString() + "\n")) << r.out;
    EXPECT_TRUE(Contains(r.out, "COM20 ")) << r.out;

    // And COM3 then opens that device.
    Save(Defaults(), PathOf("p.VXS"));
    const CliRun w = Cli({"write", "com3", PathOf("p.VXS"), "--model=1", "--settings", PathOf("VXRMGR.ini"),
                          "--timeout=2000"});
    EXPECT_EQ(w.status, 0) << w.err;
    EXPECT_EQ(sim.Transcript().size(), 3u);
}

TEST_F(CliTest, ADeviceThatCannotBeOpenedIsNamedWithTheReason)
{
    Save(Defaults(), PathOf("d.VXS"));
    CliRun r = Cli({"write", PathOf("no-such-device"), PathOf("d.VXS")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(Contains(r.err, "No such file or directory")) << r.err;

    r = Cli({"write", PathOf("d.VXS"), PathOf("d.VXS")});  // a plain file is no serial device
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(Contains(r.err, "not a serial device")) << r.err;

    ASSERT_TRUE(WriteBytes(PathOf("empty.ini"), ""));
    r = Cli({"write", "COM7", PathOf("d.VXS"), "--settings", PathOf("empty.ini")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(Contains(r.err, "COM7 is not assigned")) << r.err;
}

// A usage error is one line and a pointer to the help, not the whole help.
TEST_F(CliTest, UsageErrorsExitTwoWithOneLineAndAHint)
{
    const std::vector<std::pair<QStringList, std::string>> cases = {
        {{}, "no command given"},
        {{"frobnicate"}, "unknown command frobnicate"},
        {{"read", "COM1"}, "read takes 2 operand(s)"},
        {{"write", "COM1", "x", "--model", "6"}, "--model must be 1..5"},
        {{"read", "COM1", "x", "--timeout", "soon"}, "--timeout: not a number: soon"},
        {{"read", "COM1", "x", "--timeout=soon"}, "--timeout: not a number: soon"},
        // The longest reply, 51 bytes of 10 bits, takes 425 ms at 1200 bit/s.
        {{"read", "COM1", "x", "--timeout", "424"},
         "--timeout must be at least 425 ms: the longest reply takes that long at 1200 bit/s"},
        {{"write", "COM1", "x", "--timeout=600001"}, "--timeout must be 425..600000 ms"},
        {{"show", "x", "--model", "1"}, "--model applies to read and write only"},
        {{"read", "COM21", "x"}, "COM21: PORT must be COM1..COM20 or a device path"},
        {{"show", "x", "--json", "--json"}, "--json given twice"},
        {{"write", "COM1", "x", "--model=1", "--model", "1"}, "--model given twice"},
        {{"show", "x", "--json=yes"}, "--json takes no value"},
        {{"show", "x", "--quiet"}, "--quiet applies to read and write only"},
        {{"show", "x", "--lang"}, "--lang needs a value"},
        {{"show", "x", "--lang=de"}, "--lang must be ja or en"},
        {{"show", "x", "--settings", "a.ini"}, "--settings applies to ports, read and write only"},
        {{"diff", "-", "-"}, "standard input (-) can be read only once"},
        {{"read", "COM1", "-"}, "read needs a real FILE, not -"},
        {{"history", "frob"}, "unknown command history frob"},
        {{"history", "export", "1"}, "history export takes 2 operand(s)"},
        {{"history", "delete", "x1"}, "x1: not a history entry number"},
        {{"history", "name", "0", "x"}, "0: not a history entry number"},
        {{"history", "delete", "3", "--json"}, "--json applies to show, diff and history only"},
    };
    for (const auto& [args, says] : cases) {
        const CliRun r = Cli(args);
        EXPECT_EQ(r.status, 2) << args.join(' ').toStdString();
        EXPECT_EQ(r.err, "vxrmgr-cli: " + says + "\nTry 'vxrmgr-cli --help'.\n") << args.join(' ').toStdString();
    }
    // A settings file named on the command line must be there, for every command that takes one.
    Save(Defaults(), PathOf("s.VXS"));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.ini")));
    const std::vector<std::pair<QString, std::string>> settings = {
        {PathOf("none.ini"), ": no such file\n"}, {PathOf("folder.ini"), ": not a regular file (a folder)\n"}};
    for (const QStringList& command : {QStringList{"ports"}, QStringList{"read", "COM1", PathOf("s.VXS")},
                                       QStringList{"write", "COM1", PathOf("s.VXS")}}) {
        for (const auto& [ini, says] : settings) {
            const CliRun r = Cli(command + QStringList{"--settings", ini});
            EXPECT_EQ(r.status, 2) << command.join(' ').toStdString() << " " << ini.toStdString();
            EXPECT_EQ(r.err, "vxrmgr-cli: " + ini.toStdString() + says);
        }
    }

    const CliRun help = Cli({"show", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(Contains(help.out, "0 the files hold the same settings, 1 they differ"));
    const CliRun version = Cli({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("vxrmgr-cli " VXR_VERSION "\n", 0), 0u) << version.out;
}

// Messages are Japanese on a Japanese system, as the window is, unless --lang chooses.
TEST_F(CliTest, MessagesFollowTheLocaleUnlessChosen)
{
    const std::vector<std::pair<QString, QString>> japanese = {{"LC_ALL", ""}, {"LANG", "ja_JP.UTF-8"}};
    const std::string missing = PathOf("missing.VXS").toStdString();
    ControllerSimulator::Options o;
    o.state = DistinctControllerState(40);
    ControllerSimulator sim(o);
    sim.ShortReply(0xD3, 20);  // the read of MODEL3
    const QString port = QString::fromStdString(sim.DevicePath());
    struct Case {
        QStringList args;
        std::vector<std::pair<QString, QString>> env;
        std::string err;
    };
    const std::vector<Case> cases = {
        {{"show", PathOf("missing.VXS")}, japanese, "vxrmgr-cli: " + missing + ": ファイルがありません\n"},
        {{"show", PathOf("missing.VXS"), "--lang", "en"}, japanese, "vxrmgr-cli: " + missing + ": no such file\n"},
        {{"show", PathOf("missing.VXS"), "--lang=ja"}, {}, "vxrmgr-cli: " + missing + ": ファイルがありません\n"},
        {{"read", port, PathOf("r.VXS"), "--model", "3", "--timeout", "500", "--lang", "ja"}, {},
         "vxrmgr-cli: 読取失敗: MODEL3 の読み取り: 応答が短い: 500 ms 以内に 50 バイト中 20 バイト\n"},
        {{"frobnicate"}, japanese, "vxrmgr-cli: 不明なコマンド frobnicate\n使い方は 'vxrmgr-cli --help' で表示されます。\n"},
    };
    for (const Case& c : cases) {
        const CliRun r = Cli(c.args, {c.env, {}, {}});
        EXPECT_EQ(r.err, c.err) << c.args.join(' ').toStdString();
    }
    EXPECT_EQ(Cli({"--help"}, {japanese, {}, {}}).out.rfind("使い方: vxrmgr-cli", 0), 0u);
}

// "-" is standard input for a file to read and standard output for convert's result; output
// that cannot be written is a failure, not a silent loss.
TEST_F(CliTest, ADashIsStandardInputOrOutputAndAFullOutputFails)
{
    ModelBank bank = Defaults();
    bank.models[1].NBRK = 7;
    Save(bank, PathOf("b.VXS"));
    Save(Defaults(), PathOf("a.VXS"));
    const QByteArray file = ReadBytes(PathOf("b.VXS"));

    EXPECT_EQ(Cli({"show", "-"}, {{}, file, {}}).out, Cli({"show", PathOf("b.VXS")}).out);
    const CliRun converted = Cli({"convert", "-", "-"}, {{}, file, {}});
    EXPECT_EQ(converted.status, 0) << converted.err;
    EXPECT_EQ(QByteArray::fromStdString(converted.out), file);
    const CliRun diff = Cli({"diff", PathOf("a.VXS"), "-"}, {{}, file, {}});
    EXPECT_EQ(diff.status, 1) << diff.err;
    EXPECT_EQ(diff.out, "MODEL2 NBRK: 128 -> 7\n");
    const CliRun garbage = Cli({"show", "-"}, {{}, "no settings here", {}});
    EXPECT_EQ(garbage.status, 1);
    EXPECT_TRUE(Contains(garbage.err, "standard input: cannot read: ")) << garbage.err;

    // Longer than the stream's buffer too, so that the write itself fails before the flush.
    ModelBank longMemo = Defaults();
    longMemo.models[0].MEMO = std::string(20000, 'x') + "\r\n";
    Save(longMemo, PathOf("long.VXS"));
    const std::vector<std::pair<QStringList, int>> full = {
        {{"show", PathOf("b.VXS")}, 1},
        {{"show", PathOf("long.VXS")}, 1},
        {{"convert", PathOf("b.VXS"), "-"}, 1},
        {{"diff", PathOf("a.VXS"), PathOf("b.VXS")}, 2},  // 1 would say "they differ"
        {{"--help"}, 1},
    };
    for (const auto& [args, status] : full) {
        const CliRun r = Cli(args, {{}, {}, QStringLiteral("/dev/full")});
        EXPECT_EQ(r.status, status) << args.join(' ').toStdString();
        EXPECT_EQ(r.err, "vxrmgr-cli: standard output: No space left on device\n") << args.join(' ').toStdString();
    }
}

// Where the session has no runtime folder (root, cron, ssh), the sheet says nothing about it.
TEST_F(CliTest, ASheetWithoutARuntimeFolderSaysNothingOfIt)
{
    Save(Defaults(), PathOf("r.VXS"));
    for (const char* sheet : {"r.png", "r.pdf"}) {
        const CliRun r = Cli({"sheet", PathOf("r.VXS"), PathOf(sheet)}, {{{"XDG_RUNTIME_DIR", ""}}, {}, {}});
        EXPECT_EQ(r.status, 0) << sheet;
        EXPECT_EQ(r.err, "") << sheet;
        EXPECT_TRUE(QFile::exists(PathOf(sheet))) << sheet;
    }
}

TEST_F(CliTest, ShowPrintsTheModelsReadably)
{
    ModelBank bank = Defaults();
    bank.ModelNumber = 80;
    bank.models[2].BFREQ = 34;
    bank.models[2].VLT = 90;
    bank.models[2].FRQ[0] = 63;
    bank.models[1].MEMO = "\r\n";
    bank.models[2].MEMO = "first\r\nsecond\r\n";
    bank.models[3].NBRK = 300;  // values the editors cannot show are marked, every one
    bank.models[3].PROG = -4;
    Save(bank, PathOf("s.VXS"));

    const CliRun r = Cli({"show", PathOf("s.VXS")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(Contains(r.out, "Current model: MODEL3")) << r.out;
    EXPECT_TRUE(Contains(r.out, "BFREQ  34  0,908kHz")) << r.out;
    EXPECT_TRUE(Contains(r.out, "VLT    90  (not a cut-off code)")) << r.out;
    EXPECT_TRUE(Contains(r.out, "FRQ    steps 52 5 5")) << r.out;
    EXPECT_TRUE(Contains(r.out, "MODEL4\n  NBRK   300  (out of range)\n")) << r.out;
    EXPECT_TRUE(Contains(r.out, "PROG   -4  (out of range)\n")) << r.out;
    EXPECT_TRUE(Contains(r.out, "MODEL5\n  NBRK   128\n")) << r.out;
    EXPECT_TRUE(Contains(r.out, "MEMO   2 lines\n         first\n         second\n")) << r.out;
    // An empty memo and a memo of one empty line are different memos.
    EXPECT_TRUE(Contains(r.out, "MEMO   0 lines\n\nMODEL2")) << r.out;
    EXPECT_TRUE(Contains(r.out, "MEMO   1 line\n\n\nMODEL3")) << r.out;

    const std::string ja = Cli({"show", PathOf("s.VXS"), "--lang", "ja"}).out;
    EXPECT_TRUE(Contains(ja, "現在のモデル: MODEL3（モデル番号 80）\nSYS_CUR: 15\n")) << ja;
    EXPECT_TRUE(Contains(ja, "VLT    90  （一覧にない値）")) << ja;
    EXPECT_TRUE(Contains(ja, "NBRK   300  （範囲外）\n")) << ja;
    EXPECT_TRUE(Contains(ja, "MEMO   2 行\n")) << ja;
    EXPECT_TRUE(Contains(ja, "FRQ    ステップ 52 5 5")) << ja;

    const CliRun missing = Cli({"show", PathOf("missing.VXS")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(Contains(missing.err, "missing.VXS: no such file")) << missing.err;
}

TEST_F(CliTest, ShowJsonGivesTheValuesAsNumbersTheShownTextsAndTheMemoAsStored)
{
    ModelBank bank = Defaults();
    bank.ModelNumber = 80;
    bank.models[1].MEMO = "\r\n";
    bank.models[2].BFREQ = 34;
    bank.models[2].VLT = 90;
    bank.models[2].FRQ[0] = 63;
    bank.models[2].FRQ[1] = 5;  // outside the table
    bank.models[2].MEMO = "first \"1\"\r\n\xE3\x83\xA2\xE3\x83\x87\xE3\x83\xAB\r\n";
    bank.models[3].MEMO = "\xEF\xBB\xBF\xEF\xBB\xBFtwo marks\r\n";  // U+FEFF at the start is text too
    Save(bank, PathOf("j.VXS"));

    const CliRun r = Cli({"show", PathOf("j.VXS"), "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(r.out), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << r.out;
    const QJsonObject root = doc.object();
    EXPECT_EQ(root["currentModel"].toInt(-1), 3);
    EXPECT_EQ(root["modelNumber"].toInt(-1), 80);
    EXPECT_EQ(root["SYS_CUR"].toInt(-1), 15);
    const QJsonArray models = root["models"].toArray();
    ASSERT_EQ(models.size(), 5);
    EXPECT_EQ(models[0].toObject()["MEMO"].toString(QStringLiteral("?")), QString());
    EXPECT_EQ(models[1].toObject()["MEMO"].toString(), QStringLiteral("\r\n"));
    EXPECT_EQ(models[3].toObject()["MEMO"].toString(), QString(2, QChar(0xFEFF)) + QStringLiteral("two marks\r\n"));

    const QJsonObject m3 = models[2].toObject();
    EXPECT_EQ(m3["model"].toInt(-1), 3);
    EXPECT_TRUE(m3["NBRK"].isDouble());
    EXPECT_EQ(m3["NBRK"].toInt(-1), 128);
    EXPECT_EQ(m3["BFREQ"].toInt(-1), 34);
    EXPECT_EQ(m3["BFREQText"].toString(), QStringLiteral("0,908kHz"));
    EXPECT_EQ(m3["VLT"].toInt(-1), 90);
    EXPECT_TRUE(m3["VLTText"].isNull());
    EXPECT_EQ(models[0].toObject()["VLTText"].toString(), QStringLiteral("NiMH   5-6cell  3.2V"));
    EXPECT_EQ(m3["PROG"].toInt(-1), 1);
    const QJsonArray frq = m3["FRQ"].toArray();
    const QJsonArray steps = m3["FRQSteps"].toArray();
    const QJsonArray texts = m3["FRQText"].toArray();
    ASSERT_EQ(frq.size(), 32);
    ASSERT_EQ(steps.size(), 32);
    ASSERT_EQ(texts.size(), 32);
    EXPECT_EQ(frq[0].toInt(-1), 63);
    EXPECT_EQ(steps[0].toInt(-1), 52);
    EXPECT_EQ(texts[0].toString(), QStringLiteral("2.04kHz"));
    EXPECT_EQ(frq[1].toInt(-1), 5);
    EXPECT_TRUE(steps[1].isNull());
    EXPECT_TRUE(texts[1].isNull());
    EXPECT_EQ(texts[2].toString(), QStringLiteral("9.05kHz"));
    EXPECT_EQ(m3["MEMO"].toString(), QString::fromUtf8("first \"1\"\r\nモデル\r\n"));
}

// Only a regular file is read: a folder, a FIFO or a device is named for what it is, and a
// FIFO with no writer is refused at once instead of being waited on.
TEST_F(CliTest, AnInputThatIsNoRegularFileIsNamedSo)
{
    Save(Defaults(), PathOf("ok.VXS"));
    const QByteArray fifo = QFile::encodeName(PathOf("fifo.VXS"));
    ASSERT_EQ(mkfifo(fifo.constData(), 0600), 0);
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.VXS")));
    const QString folder = PathOf("folder.VXS");
    const QString device = QStringLiteral("/dev/null");
    const QString noDevice = PathOf("no-such-device");

    struct Case {
        QStringList args;
        int status;
        QString named;
    };
    const std::vector<Case> cases = {
        {{"show", PathOf("fifo.VXS")}, 1, PathOf("fifo.VXS")},
        {{"show", folder}, 1, folder},
        {{"show", device}, 1, device},
        {{"convert", PathOf("fifo.VXS"), PathOf("out.VXS")}, 1, PathOf("fifo.VXS")},
        {{"diff", PathOf("ok.VXS"), PathOf("fifo.VXS")}, 2, PathOf("fifo.VXS")},
        {{"write", noDevice, PathOf("fifo.VXS")}, 1, PathOf("fifo.VXS")},
        {{"read", noDevice, PathOf("fifo.VXS")}, 1, PathOf("fifo.VXS")},
        {{"read", noDevice, folder}, 1, folder},
        {{"ports", "--settings", PathOf("fifo.VXS")}, 2, PathOf("fifo.VXS")},
    };
    for (const Case& c : cases) {
        const CliRun r = Cli(c.args);
        const std::string what = c.args.join(' ').toStdString();
        EXPECT_EQ(r.status, c.status) << what << "\n" << r.err;
        EXPECT_TRUE(Contains(r.err, c.named.toStdString() + ": not a regular file")) << what << "\n" << r.err;
    }
    EXPECT_FALSE(QFile::exists(PathOf("out.VXS")));
}

TEST_F(CliTest, AFileWithDamagedBytesIsReadAndSaidSo)
{
    ASSERT_TRUE(WriteBytes(PathOf("damaged.VXS"), "[VxrManager]\r\nMDL1_MEMO0=1\r\nMDL1_MEMO1=\xE6\x97\xA5\xFF\r\n"));
    const CliRun r = Cli({"show", PathOf("damaged.VXS")});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "vxrmgr-cli: " + PathOf("damaged.VXS").toStdString() +
                         ": some characters could not be read and were replaced\n");
    EXPECT_TRUE(Contains(r.out, "\xE6\x97\xA5\xEF\xBF\xBD")) << r.out;
}

TEST_F(CliTest, ConvertWritesALegacyFileInTheCurrentLayout)
{
    // Model number 0x50 at characters 15 and 16; MODEL1: NBRK 0x40, BFREQ 0x21.
    ASSERT_TRUE(WriteBytes(PathOf("old.VXS"),
                           "[VxrManager]\r\nTAG_DATA=00000000000000500000\r\n"
                           "FRQ_DATA0=0040210A030500FF20202020202020202020202020202020202020202020202020202020202020202020\r\n"));

    const CliRun r = Cli({"convert", PathOf("old.VXS"), PathOf("new.VXS")});
    ASSERT_EQ(r.status, 0) << r.err;
    const QByteArray text = ReadBytes(PathOf("new.VXS"));
    EXPECT_FALSE(text.contains("TAG_DATA"));
    EXPECT_TRUE(text.contains("SYS_MDL=2\r\nSYS_CUR=15\r\nMDL1_NBRK=64\r\nMDL1_BFREQ=33\r\n")) << text.toStdString();
}

TEST_F(CliTest, DiffListsTheDifferencesModelByModel)
{
    ModelBank a = Defaults();
    Save(a, PathOf("a.VXS"));
    Save(a, PathOf("b.VXS"));
    CliRun r = Cli({"diff", PathOf("a.VXS"), PathOf("b.VXS")});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");

    ModelBank b = a;
    b.models[1].NBRK = 7;
    b.models[4].FRQ[31] = 40;
    b.models[4].MEMO = "x\r\n";
    Save(b, PathOf("b.VXS"));
    r = Cli({"diff", PathOf("a.VXS"), PathOf("b.VXS")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "MODEL2 NBRK: 128 -> 7\nMODEL5 FRQ32: 16 -> 40\nMODEL5 MEMO: \"\" -> \"x\\n\"\n");
    r = Cli({"diff", PathOf("a.VXS"), PathOf("b.VXS"), "--json"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "{\"differences\":[{\"field\":\"NBRK\",\"from\":128,\"model\":2,\"to\":7},"
                     "{\"field\":\"FRQ32\",\"from\":16,\"model\":5,\"to\":40},"
                     "{\"field\":\"MEMO\",\"from\":\"\",\"model\":5,\"to\":\"x\\r\\n\"}],\"same\":false}\n");
    b = a;
    b.ModelNumber = 40;
    Save(b, PathOf("b.VXS"));
    EXPECT_EQ(Cli({"diff", PathOf("a.VXS"), PathOf("b.VXS"), "--json"}).out,
              "{\"differences\":[{\"field\":\"SYS_MDL\",\"from\":0,\"model\":null,\"to\":1}],\"same\":false}\n");
    EXPECT_EQ(Cli({"diff", PathOf("a.VXS"), PathOf("a.VXS"), "--json"}).out, "{\"differences\":[],\"same\":true}\n");

    EXPECT_EQ(Cli({"diff", PathOf("a.VXS"), PathOf("nothing.VXS")}).status, 2);
}

}  // namespace
