#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QFile>
#include <QTest>
#include <QTemporaryDir>

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

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
    std::vector<std::string> Texts() const
    {
        std::vector<std::string> t;
        for (auto& r : messages.requests)
            t.push_back(r.text);
        return t;
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
    EXPECT_EQ(Texts(), std::vector<std::string>{"No Connection"});
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
    EXPECT_EQ(Texts(), std::vector<std::string>{"COM3 OK"});
    EXPECT_TRUE(form->CommX1.IsOpen());
    EXPECT_EQ(form->CommX1.PortNo(), 3);
    EXPECT_EQ(form->CommX1.BitRate(), 1200);

    // Closing the list again without a change repeats the whole choice.
    CloseUp(*form);
    EXPECT_EQ(Texts(), (std::vector<std::string>{"COM3 OK", "COM3 OK"}));
    EXPECT_TRUE(form->CommX1.IsOpen());

    form->CommPort->setCurrentIndex(0);
    CloseUp(*form);
    EXPECT_EQ(Texts().back(), "No Connection");
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
        EXPECT_EQ(Texts(), std::vector<std::string>{"No Connection"}) << value;
        EXPECT_EQ(form->CommPort->currentIndex(), 0) << value;
        EXPECT_FALSE(form->CommX1.IsOpen());
    }
}

TEST_F(PortSelection, APortWithoutDeviceIsReportedAndStaysClosed)
{
    const QString path = WriteSettings(QStringLiteral("[VxrManager]\r\nCommPort=20\r\n[Ports]\r\nCOM20=/dev/vxr-no-such-device\r\n"));
    auto form = MakeMainForm({"-J"}, false, path);
    EXPECT_EQ(Texts(), std::vector<std::string>{"COM20は使用できません"});
    EXPECT_EQ(messages.requests[0].kind, DialogKind::Error);
    EXPECT_FALSE(form->CommX1.IsOpen());
    EXPECT_EQ(form->CommPort->currentIndex(), 20);  // the list keeps the choice

    form->CommPort->setCurrentIndex(0);
    CloseUp(*form);
    EXPECT_EQ(Texts().back(), "シリアルポートを閉じました");
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
    EXPECT_EQ(Texts().back(), "COM1 OK");
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
    ASSERT_EQ(Texts(), std::vector<std::string>{"No Connection"});

    // A click on COM2 in the dropped-down list.
    form->CommPort->showPopup();
    QAbstractItemView* view = form->CommPort->view();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view->window()));
    const QRect item = view->visualRect(form->CommPort->model()->index(2, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, item.center());
    ASSERT_TRUE(QTest::qWaitFor([&] { return messages.requests.size() == 2; }, 2000));
    EXPECT_EQ(Texts().back(), "COM2 OK");
    EXPECT_TRUE(form->CommX1.IsOpen());
    EXPECT_EQ(form->CommX1.PortNo(), 2);

    // Enter on OFF.
    form->CommPort->showPopup();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view->window()));
    view->setCurrentIndex(form->CommPort->model()->index(0, 0));
    QTest::keyClick(view, Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return messages.requests.size() == 3; }, 2000));
    EXPECT_EQ(Texts().back(), "No Connection");
    EXPECT_FALSE(form->CommX1.IsOpen());

    // Typing on the closed list does not change the choice behind the user's back.
    form->CommPort->setFocus();
    QTest::keyClick(form->CommPort, Qt::Key_C);
    form->CommPort->hidePopup();
    QCoreApplication::processEvents();
    EXPECT_EQ(form->CommPort->currentIndex(), 0);
}
