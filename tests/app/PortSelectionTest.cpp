#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QFile>
#include <QInputMethodEvent>
#include <QTest>
#include <QTemporaryDir>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/file.h>
#include <termios.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "MainFormHarness.h"
#include "RecordingPresenter.h"
#include "TPortComboBox.h"

namespace {

// A pseudo-terminal pair standing in for a serial adapter; the window opens the slave side.
struct Pty {
    Pty()
    {
        termios raw{};
        cfmakeraw(&raw);
        char name[128] = {};
        if (openpty(&master, &slave, name, &raw, nullptr) == 0)
            path = name;
    }
    ~Pty()
    {
        if (master >= 0)
            ::close(master);
        if (slave >= 0)
            ::close(slave);
    }
    int master = -1;
    int slave = -1;
    std::string path;
};

// Whether these bytes, sent through the window's port, reach this pseudo-terminal.
bool Receives(TMainForm& form, const Pty& pty, const std::string& bytes)
{
    if (!form.CommX1.SendString(bytes))
        return false;
    std::string got;
    while (got.size() < bytes.size()) {
        pollfd p{pty.master, POLLIN, 0};
        if (::poll(&p, 1, 1000) <= 0)
            break;
        char buf[64];
        const ssize_t n = ::read(pty.master, buf, sizeof buf);
        if (n <= 0)
            break;
        got.append(buf, static_cast<size_t>(n));
    }
    return got == bytes;
}

// Drops the list down and closes it again, as a user does; the close is reported once the
// event loop has run.
void CloseUp(TMainForm& form)
{
    form.CommPort->showPopup();
    form.CommPort->hidePopup();
    QCoreApplication::processEvents();
}

class PortSelection : public ::testing::Test {
protected:
    QString WriteSettings(const QString& text)
    {
        const QString path = dir.filePath("VXRMGR.ini");
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text.toUtf8());
        return path;
    }
    QString ReadSettings() const
    {
        QFile f(dir.filePath("VXRMGR.ini"));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }

    QTemporaryDir dir;
    RecordingPresenter messages;
    Pty pty;
};

}  // namespace

TEST_F(PortSelection, AbsentSettingsFileGivesNoConnectionAndIsCreated)
{
    const QString path = dir.filePath("VXRMGR.ini");
    auto form = MakeMainForm({"-E"}, false, path);
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"No Connection"});
    EXPECT_EQ(messages.requests[0].kind, DialogKind::Information);
    EXPECT_TRUE(QFile::exists(path));
    EXPECT_EQ(form->CommPort->count(), 21);
    EXPECT_EQ(form->CommPort->itemText(0), "OFF");
    EXPECT_EQ(form->CommPort->itemText(20), "COM20");
    form->close();
    EXPECT_TRUE(ReadSettings().contains("[VxrManager]"));
    EXPECT_TRUE(ReadSettings().contains("CommPort=0"));
}

TEST_F(PortSelection, RememberedPortOpensAtStartUp)
{
    ASSERT_FALSE(pty.path.empty());
    const QString path = WriteSettings(QStringLiteral("[VxrManager]\r\nCommPort=3\r\n[Ports]\r\nCOM3=%1\r\n[Other]\r\nkeep=me\r\n")
                                           .arg(QString::fromStdString(pty.path)));
    auto form = MakeMainForm({"-E"}, false, path);
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"COM3 OK"});
    EXPECT_TRUE(form->CommX1.IsOpen());
    EXPECT_EQ(form->CommX1.PortNo(), 3);
    EXPECT_EQ(form->CommX1.BitRate(), 1200);

    // Closing the list again without a change repeats the whole choice.
    CloseUp(*form);
    EXPECT_EQ(messages.Texts(), (std::vector<std::string>{"COM3 OK", "COM3 OK"}));
    EXPECT_TRUE(form->CommX1.IsOpen());

    form->CommPort->setCurrentIndex(0);
    CloseUp(*form);
    EXPECT_EQ(messages.Texts().back(), "No Connection");
    EXPECT_FALSE(form->CommX1.IsOpen());
    form->close();
    const QString saved = ReadSettings();
    EXPECT_TRUE(saved.contains("CommPort=0"));
    EXPECT_TRUE(saved.contains("keep=me"));
    EXPECT_TRUE(saved.contains(QString::fromStdString("COM3=" + pty.path)));
}

TEST_F(PortSelection, StoredValuesOutsideTheListOpenNothing)
{
    for (const char* value : {"25", "-1", "word"}) {
        messages.requests.clear();
        const QString path = WriteSettings(QStringLiteral("[VxrManager]\r\nCommPort=%1\r\n").arg(value));
        auto form = MakeMainForm({"-E"}, false, path);
        EXPECT_EQ(messages.Texts(), std::vector<std::string>{"No Connection"}) << value;
        EXPECT_EQ(form->CommPort->currentIndex(), 0) << value;
        EXPECT_FALSE(form->CommX1.IsOpen());
    }
}

TEST_F(PortSelection, APortWithoutDeviceIsReportedAndStaysClosed)
{
    const QString path = WriteSettings(QStringLiteral("[VxrManager]\r\nCommPort=20\r\n[Ports]\r\nCOM20=/dev/vxr-no-such-device\r\n"));
    auto form = MakeMainForm({"-J"}, false, path);
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"COM20は使用できません\nデバイス /dev/vxr-no-such-device がありません（抜かれていませんか？）"});
    EXPECT_EQ(messages.requests[0].kind, DialogKind::Error);
    EXPECT_FALSE(form->CommX1.IsOpen());
    EXPECT_EQ(form->CommPort->currentIndex(), 20);  // the list keeps the choice

    form->CommPort->setCurrentIndex(0);
    CloseUp(*form);
    EXPECT_EQ(messages.Texts().back(), "シリアルポートを閉じました");
    CloseUp(*form);  // OFF again, with no port open, still reports
    EXPECT_EQ(messages.requests.size(), 3u);
}

TEST_F(PortSelection, ClosingTheWindowSavesTheChoiceThenClosesThePort)
{
    ASSERT_FALSE(pty.path.empty());
    const QString path =
        WriteSettings(QStringLiteral("[Ports]\r\nCOM1=%1\r\n").arg(QString::fromStdString(pty.path)));
    auto form = MakeMainForm({"-E"}, false, path);
    form->CommPort->setCurrentIndex(1);
    CloseUp(*form);
    EXPECT_EQ(messages.Texts().back(), "COM1 OK");
    EXPECT_TRUE(form->CommX1.IsOpen());
    form->close();
    EXPECT_FALSE(form->CommX1.IsOpen());
    EXPECT_TRUE(ReadSettings().contains("CommPort=1"));
}

TEST_F(PortSelection, AnItemChosenInTheDropDownIsTheOneApplied)
{
    ASSERT_FALSE(pty.path.empty());
    const QString path =
        WriteSettings(QStringLiteral("[Ports]\r\nCOM2=%1\r\n").arg(QString::fromStdString(pty.path)));
    auto form = MakeMainForm({"-E"}, false, path);
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    ASSERT_EQ(messages.Texts(), std::vector<std::string>{"No Connection"});

    // A click on COM2 in the dropped-down list.
    form->CommPort->showPopup();
    QAbstractItemView* view = form->CommPort->view();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view->window()));
    const QRect item = view->visualRect(form->CommPort->model()->index(2, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, item.center());
    ASSERT_TRUE(QTest::qWaitFor([&] { return messages.requests.size() == 2; }, 2000));
    EXPECT_EQ(messages.Texts().back(), "COM2 OK");
    EXPECT_TRUE(form->CommX1.IsOpen());
    EXPECT_EQ(form->CommX1.PortNo(), 2);

    // Enter on OFF.
    form->CommPort->showPopup();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view->window()));
    view->setCurrentIndex(form->CommPort->model()->index(0, 0));
    QTest::keyClick(view, Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return messages.requests.size() == 3; }, 2000));
    EXPECT_EQ(messages.Texts().back(), "No Connection");
    EXPECT_FALSE(form->CommX1.IsOpen());

    // Typing on the closed list does not change the choice behind the user's back.
    form->CommPort->setFocus();
    QTest::keyClick(form->CommPort, Qt::Key_C);
    form->CommPort->hidePopup();
    QCoreApplication::processEvents();
    EXPECT_EQ(form->CommPort->currentIndex(), 0);
    // Nor does a text committed by an input method.
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("COM2"));
    QApplication::sendEvent(form->CommPort, &commit);
    form->CommPort->hidePopup();
    QCoreApplication::processEvents();
    EXPECT_EQ(form->CommPort->currentIndex(), 0);
}

// Between two choices an adapter is plugged in or out, or a pin is added, changed or removed
// in the settings file: each choice opens what is there and pinned at that moment, and never
// reports a device other than the pinned one as ready.
TEST_F(PortSelection, EachChoiceFollowsTheDevicesAndPinsOfThatMoment)
{
    namespace fs = std::filesystem;
    Pty other;
    ASSERT_FALSE(pty.path.empty());
    ASSERT_FALSE(other.path.empty());
    const fs::path dev = fs::path(dir.path().toStdString()) / "dev";
    fs::create_directory(dev);
    const QString settings = WriteSettings(QStringLiteral("[VxrManager]\r\nCommPort=1\r\n"));
    const auto pins = [&](const std::string& ports) {
        std::ofstream(settings.toStdString()) << "[VxrManager]\r\nCommPort=1\r\n[Ports]\r\n" << ports;
    };
    TMainForm::Options o;
    o.arguments = QStringList{"-E"};
    o.appSettingsPath = settings;
    o.devDir = dev.string();
    TMainForm form(o);
    const std::string unassigned =
        "COM1 dose not exist\nNo serial device is plugged in for this number, and none is set for it in [Ports] of "
        "VXRMGR.ini.";
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{unassigned});

    const struct {
        const char* what;
        std::function<void()> change;
        int port;
        std::string message;
        const Pty* opened;
    } steps[] = {
        {"adapter plugged in", [&] { fs::create_symlink(pty.path, dev / "ttyUSB0"); }, 1, "COM1 OK", &pty},
        {"pin added", [&] { pins("COM1=" + other.path + "\r\n"); }, 1, "COM1 OK", &other},
        {"pinned device takes no second number", [] {}, 2, "COM2 OK", &pty},
        {"pin changed to a device not there", [&] { pins("COM1=/dev/vxr-gone\r\n"); }, 1,
         "COM1 dose not exist\nNo such device: /dev/vxr-gone (unplugged?)", nullptr},
        {"pin removed, adapters swapped",
         [&] {
             pins("");
             fs::remove(dev / "ttyUSB0");
             fs::create_symlink(other.path, dev / "ttyACM0");
         },
         1, "COM1 OK", &other},
        {"adapter unplugged", [&] { fs::remove(dev / "ttyACM0"); }, 1, unassigned, nullptr},
    };
    for (const auto& step : steps) {
        step.change();
        form.CommPort->setCurrentIndex(step.port);
        CloseUp(form);
        EXPECT_EQ(messages.Texts().back(), step.message) << step.what;
        EXPECT_EQ(form.CommX1.IsOpen(), step.opened != nullptr) << step.what;
        if (step.opened) {
            EXPECT_TRUE(Receives(form, *step.opened, "\x55\xAA")) << step.what;
            const Pty& notOpened = step.opened == &pty ? other : pty;
            pollfd p{notOpened.master, POLLIN, 0};
            EXPECT_EQ(::poll(&p, 1, 0), 0) << step.what;
        }
    }
}

// The second line travels from the device to the message, in the window's language.
TEST_F(PortSelection, AFailedOpenSaysWhyOnASecondLine)
{
    ASSERT_FALSE(pty.path.empty());
    // Another holder of the device's lock; it is this test program itself.
    const int holder = ::open(pty.path.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
    std::string self;
    std::ifstream("/proc/self/comm") >> self;
    const std::string heldBy = self + " (pid " + std::to_string(::getpid()) + ")";

    const struct {
        std::string device;
        const char* language;
        std::string message;
    } cases[] = {
        {"/dev/vxr-no-such-device", "-E", "COM4 dose not exist\nNo such device: /dev/vxr-no-such-device (unplugged?)"},
        {"/dev/null", "-E", "COM4 dose not exist\n/dev/null is not a serial device."},
        {"/dev/null", "-J", "COM4は使用できません\n/dev/null はシリアルデバイスではありません。"},
        {pty.path, "-E", "COM4 dose not exist\nThe device is in use by another program: " + heldBy},
        {pty.path, "-J", "COM4は使用できません\nデバイスは他のプログラムが使用中です: " + heldBy},
    };
    for (const auto& c : cases) {
        messages.requests.clear();
        const QString path = WriteSettings(
            QStringLiteral("[VxrManager]\r\nCommPort=4\r\n[Ports]\r\nCOM4=%1\r\n").arg(QString::fromStdString(c.device)));
        auto form = MakeMainForm({c.language}, false, path);
        EXPECT_EQ(messages.Texts(), std::vector<std::string>{c.message});
        EXPECT_EQ(messages.requests[0].kind, DialogKind::Error);
        EXPECT_FALSE(form->CommX1.IsOpen());
    }
    ::close(holder);
}
