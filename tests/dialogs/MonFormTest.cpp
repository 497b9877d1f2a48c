#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QProcess>
#include <QProgressBar>
#include <QScreen>
#include <QStandardPaths>
#include <QTest>

#include <cstring>

#include "TMonForm.h"

TEST(MonForm, StartsHiddenWithFixedLayout)
{
    TMonForm form;
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.size(), QSize(268, 71));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    EXPECT_EQ(form.MSG_LB->text(), QString::fromUtf8("処理中"));
    EXPECT_EQ(form.MSG_LB->pos(), QPoint(16, 16));
    EXPECT_EQ(form.PG_BAR->geometry(), QRect(16, 40, 233, 16));
    EXPECT_EQ(form.PG_BAR->maximum(), 100);
    EXPECT_EQ(form.PG_BAR->value(), 0);
}

TEST(MonForm, CaptionFollowsLanguageAtEveryShow)
{
    TMonForm form;
    form.SetLanguage(1);
    form.show();
    EXPECT_EQ(form.windowTitle(), "Communicat");
    form.hide();
    form.SetLanguage(0);
    form.show();
    EXPECT_EQ(form.windowTitle(), QString::fromUtf8("通信中"));
}

TEST(MonForm, RefusesToBeClosedByTheUser)
{
    TMonForm form;
    form.show();
    EXPECT_FALSE(form.close());
    EXPECT_TRUE(form.isVisible());
    form.hide();
    EXPECT_FALSE(form.isVisible());
}

TEST(MonForm, CentredOnThePrimaryScreenAtEveryShow)
{
    TMonForm form;
    const QRect s = QGuiApplication::primaryScreen()->geometry();
    form.show();
    const QRect f = form.frameGeometry();
    EXPECT_EQ(f.left(), s.x() + (s.width() - f.width()) / 2);
    EXPECT_EQ(f.top(), s.y() + (s.height() - f.height()) / 2);
    form.move(3, 5);
    form.hide();
    form.show();
    EXPECT_EQ(form.frameGeometry().topLeft(), f.topLeft());
}

TEST(MonForm, KeepsLabelAndBarWhenHiddenAndShownAgain)
{
    TMonForm form;
    form.PG_BAR->setMaximum(7);
    form.PG_BAR->setValue(3);
    form.MSG_LB->setText("Read MODEL3");
    form.show();
    form.hide();
    form.show();
    EXPECT_EQ(form.PG_BAR->value(), 3);
    EXPECT_EQ(form.PG_BAR->maximum(), 7);
    EXPECT_EQ(form.MSG_LB->text(), "Read MODEL3");
}

namespace {

QString XTool(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(5000))
        return {};
    return QString::fromLocal8Bit(p.readAllStandardOutput());
}

// An X server with a window manager, and the X utilities to look at it from outside.
bool OnRealDesktop(std::string& why)
{
    if (QGuiApplication::platformName() != "xcb") {
        why = "needs an X server (this is " + QGuiApplication::platformName().toStdString() + ")";
        return false;
    }
    if (QStandardPaths::findExecutable("xprop").isEmpty() || QStandardPaths::findExecutable("xwininfo").isEmpty() ||
        QStandardPaths::findExecutable("xdotool").isEmpty()) {
        why = "needs xprop, xwininfo and xdotool";
        return false;
    }
    if (!XTool("xprop", {"-root", "_NET_SUPPORTING_WM_CHECK"}).contains("window id")) {
        why = "needs a window manager";
        return false;
    }
    return true;
}

QString XId(const QWidget& w)
{
    return "0x" + QString::number(w.winId(), 16);
}

// Client windows from the bottom of the stack to its top, as the window manager keeps them.
QStringList Stacking()
{
    const QString out = XTool("xprop", {"-root", "_NET_CLIENT_LIST_STACKING"});
    const qsizetype at = out.indexOf('#');
    if (at < 0)
        return {};
    QStringList ids = out.mid(at + 1).split(',', Qt::SkipEmptyParts);
    for (QString& id : ids)
        id = id.trimmed();
    return ids;
}

// The outer frame the window manager has drawn around a window, as the X server reports it;
// empty until it has framed the window.
QRect OuterFrame(const QWidget& w)
{
    for (int i = 0; i < 150; ++i) {
        const QString extents = XTool("xprop", {"-id", XId(w), "_NET_FRAME_EXTENTS"});
        const qsizetype at = extents.indexOf('=');
        const QStringList m = at < 0 ? QStringList() : extents.mid(at + 1).split(',');
        if (m.size() == 4 && m[2].trimmed().toInt() > 0) {
            const QString info = XTool("xwininfo", {"-id", XId(w)});
            auto field = [&info](const char* name) {
                const qsizetype f = info.indexOf(QLatin1String(name));
                return f < 0 ? -1 : info.mid(f + qsizetype(strlen(name))).section('\n', 0, 0).trimmed().toInt();
            };
            const int left = m[0].trimmed().toInt(), right = m[1].trimmed().toInt();
            const int top = m[2].trimmed().toInt(), bottom = m[3].trimmed().toInt();
            return QRect(field("Absolute upper-left X:") - left, field("Absolute upper-left Y:") - top,
                         field("Width:") + left + right, field("Height:") + top + bottom);
        }
        QTest::qWait(20);
    }
    return {};
}

// On a real desktop: an owner of the main window's size, framed by the window manager, and the
// progress window shown over it as a transfer shows it (the owner greyed).
class MonFormOnDesktop : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string why;
        if (!OnRealDesktop(why))
            GTEST_SKIP() << why;
        owner.setFixedSize(601, 452);
        owner.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));
        ASSERT_FALSE(OuterFrame(owner).isNull());
        owner.setEnabled(false);
        mon.SetOwner(&owner);
        mon.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&mon));
        frame = OuterFrame(mon);
        ASSERT_FALSE(frame.isNull());
    }

    QWidget owner;
    TMonForm mon;
    QRect frame;
};

}  // namespace

// A click on the greyed main window must not bury the progress window, and the very first show
// is centred by the frame the window manager draws.
TEST_F(MonFormOnDesktop, StaysInFrontOfItsOwnerAndIsCentredByItsFrameFromTheFirstShow)
{
    EXPECT_TRUE(mon.isEnabled());
    const QRect s = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(frame.left(), s.x() + (s.width() - frame.width()) / 2);
    EXPECT_EQ(frame.top(), s.y() + (s.height() - frame.height()) / 2);
    EXPECT_TRUE(XTool("xprop", {"-id", XId(mon), "WM_TRANSIENT_FOR"}).contains(XId(owner)));

    // A click on a part of the owner that the progress window does not cover.
    QPoint click;
    for (const QPoint p : {QPoint(10, 10), QPoint(590, 10), QPoint(10, 440), QPoint(590, 440)}) {
        if (!frame.contains(owner.mapToGlobal(p))) {
            click = owner.mapToGlobal(p);
            break;
        }
    }
    ASSERT_FALSE(click.isNull());
    XTool("xdotool", {"mousemove", QString::number(click.x()), QString::number(click.y()), "click", "1"});
    for (int i = 0; i < 50 && !XTool("xprop", {"-root", "_NET_ACTIVE_WINDOW"}).contains(XId(owner)); ++i)
        QTest::qWait(20);
    QTest::qWait(100);
    const QStringList stack = Stacking();
    ASSERT_TRUE(stack.contains(XId(owner)) && stack.contains(XId(mon))) << stack.join(' ').toStdString();
    EXPECT_GT(stack.indexOf(XId(mon)), stack.indexOf(XId(owner))) << "the progress window went behind the main window";
    EXPECT_TRUE(mon.isVisible());
}

namespace {
std::string WmState(const QWidget& w)
{
    return XTool("xprop", {"-id", XId(w), "WM_STATE"}).section("window state:", 1).section('\n', 0, 0).trimmed().toStdString();
}

// Waits until the window manager reports the state for every window (or gives up).
bool WaitForWmState(std::initializer_list<const QWidget*> windows, const std::string& state)
{
    for (int i = 0; i < 100; ++i) {
        bool all = true;
        for (const QWidget* w : windows)
            all = all && WmState(*w) == state;
        if (all)
            return true;
        QTest::qWait(20);
    }
    return false;
}
}  // namespace

// A title bar with a close button only, and never shown minimised: minimised together with the
// main window during a transfer, it came back minimised at the next transfer, and the window
// manager minimised the main window with it: every later transfer hid the whole tool.
TEST_F(MonFormOnDesktop, AsksForACloseButtonOnlyAndIsNeverShownMinimised)
{
    // Motif hints (flags, functions, decorations), which most window managers follow for the
    // buttons they draw; openbox draws its own set whatever they say.
    const QStringList hints =
        XTool("xprop", {"-id", XId(mon), "_MOTIF_WM_HINTS"}).section('=', 1).split(',', Qt::SkipEmptyParts);
    ASSERT_GE(hints.size(), 3) << XTool("xprop", {"-id", XId(mon), "_MOTIF_WM_HINTS"}).toStdString();
    const uint functions = hints[1].trimmed().toUInt(nullptr, 16);
    const uint decorations = hints[2].trimmed().toUInt(nullptr, 16);
    constexpr uint kFuncAll = 0x1, kFuncMinimize = 0x8, kFuncMaximize = 0x10, kFuncClose = 0x20;
    constexpr uint kDecorAll = 0x1, kDecorTitle = 0x8, kDecorMinimize = 0x20, kDecorMaximize = 0x40;
    EXPECT_EQ(functions & (kFuncAll | kFuncMinimize | kFuncMaximize | kFuncClose), kFuncClose);
    EXPECT_EQ(decorations & (kDecorAll | kDecorTitle | kDecorMinimize | kDecorMaximize), kDecorTitle);

    // Minimised during a transfer, through either window (openbox offers its own button), the
    // window manager takes both; after the transfer the user brings the main window back.
    for (const QWidget* minimised : {static_cast<const QWidget*>(&mon), static_cast<const QWidget*>(&owner)}) {
        SCOPED_TRACE(minimised == &mon ? "progress window minimised" : "main window minimised");
        XTool("xdotool", {"windowminimize", XId(*minimised)});
        ASSERT_TRUE(WaitForWmState({&owner, &mon}, "Iconic"));
        for (int i = 0; i < 100 && !mon.isMinimized(); ++i)  // the transfer goes on for a while
            QTest::qWait(20);
        mon.hide();
        XTool("xdotool", {"windowactivate", XId(owner)});
        ASSERT_TRUE(WaitForWmState({&owner}, "Normal"));
        mon.show();  // the next transfer
        EXPECT_TRUE(WaitForWmState({&owner, &mon}, "Normal"))
            << "main window " << WmState(owner) << ", progress window " << WmState(mon);
        EXPECT_FALSE(mon.isMinimized());
    }
}
