// The component with its POSIX layer over a pseudo-terminal pair.
#include <gtest/gtest.h>

#include <QTimer>

#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "OpenError.h"
#include "EventPump.h"
#include "PosixSerialLayer.h"
#include "PtyPair.h"
#include "TCommX.h"

namespace {

using Clock = std::chrono::steady_clock;

int64_t MsSince(Clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// The main window's configuration, with a short receive time-out.
struct OverPty {
    PtyPair pty;
    TCommX comm;
    OverPty()
    {
        comm.SetBitRate(1200);
        comm.SetFlowCtrl(cfcNone);
        comm.SetTimeOutTrans(500);
        comm.SetTimeOutReceive(300);
        comm.SetPortResolver([this](int32_t) { return pty.SlavePath(); });
    }
};

}  // namespace

TEST(CommOverPty, OpensAndConfiguresTheDevice)
{
    OverPty p;
    p.comm.Open();
    ASSERT_TRUE(p.comm.IsOpen());
    EXPECT_NE(p.comm.Handle(), 0xFFFFFFFFu);
    termios t{};
    ASSERT_EQ(::tcgetattr(static_cast<int>(p.comm.Handle()), &t), 0);
    EXPECT_EQ(::cfgetospeed(&t), static_cast<speed_t>(B1200));
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(t.c_lflag & ICANON, 0u);
    EXPECT_EQ(t.c_cc[VMIN], 0);

    p.comm.SetStopBit(csb2);
    ASSERT_EQ(::tcgetattr(static_cast<int>(p.comm.Handle()), &t), 0);
    EXPECT_EQ(t.c_cflag & CSTOPB, static_cast<tcflag_t>(CSTOPB));

    // Some kernels drop parity on a pseudo-terminal although tcsetattr succeeds: what does
    // not read back must be refused, what does must be taken.
    termios probe = t;
    probe.c_cflag |= PARENB | PARODD;
    ::tcsetattr(static_cast<int>(p.comm.Handle()), TCSANOW, &probe);
    ::tcgetattr(static_cast<int>(p.comm.Handle()), &probe);
    const bool keepsParity = (probe.c_cflag & PARENB) != 0;
    ::tcsetattr(static_cast<int>(p.comm.Handle()), TCSANOW, &t);
    if (keepsParity) {
        EXPECT_NO_THROW(p.comm.SetParityBit(cpbOdd));
    } else {
        try {
            p.comm.SetParityBit(cpbOdd);
            ADD_FAILURE() << "parity dropped by the device but reported as set";
        } catch (const ECommError& e) {
            EXPECT_STREQ(e.what(), "通信パリティチェックの設定でエラーが発生しました");
        }
    }
    EXPECT_EQ(p.comm.ParityBit(), cpbOdd);
    EXPECT_TRUE(p.comm.IsOpen());

    p.comm.Close();
    EXPECT_EQ(p.comm.Handle(), 0xFFFFFFFFu);
}

TEST(CommOverPty, SettingsTheLineCannotTakeAreRefused)
{
    OverPty p;
    p.comm.SetStopBit(csb1p5);
    EXPECT_EQ(OpenError(p.comm), "通信ストップビット数の設定でエラーが発生しました");
    EXPECT_FALSE(p.comm.IsOpen());
    p.comm.SetStopBit(csb1);
    p.comm.SetFlowCtrl(cfcDtrDsr);
    EXPECT_EQ(OpenError(p.comm), "通信フロー制御の設定で失敗しました");
    p.comm.SetFlowCtrl(cfcNone);
    p.comm.SetBitRate(14400);
    EXPECT_EQ(OpenError(p.comm), "通信速度の設定でエラーが発生しました");
    p.comm.SetBitRate(1200);
    p.comm.SetCharSize(9);
    EXPECT_EQ(OpenError(p.comm), "通信ビット数の設定でエラーが発生しました");
    p.comm.SetCharSize(8);
    p.comm.Open();
    EXPECT_TRUE(p.comm.IsOpen());
    EXPECT_THROW(p.comm.SetBitRate(56000), ECommError);
    EXPECT_TRUE(p.comm.IsOpen());
}

TEST(CommOverPty, OpenTwiceKeepsTheFirstWorking)
{
    OverPty p;
    p.comm.Open();
    const uint32_t handle = p.comm.Handle();
    EXPECT_EQ(OpenError(p.comm), "ポートは、すでにオープンされています");
    EXPECT_EQ(p.comm.Handle(), handle);
    EXPECT_TRUE(p.comm.SendString("\xD6"));
    EXPECT_EQ(p.pty.Read(1), "\xD6");
}

TEST(CommOverPty, OpenOfAMissingDeviceFailsWithItsCause)
{
    const struct {
        std::string device;
        OpenCause::Kind kind;
        int error;
    } cases[] = {
        {"/dev/does-not-exist-vxr", OpenCause::Kind::NoDevice, ENOENT},
        {"/dev/null", OpenCause::Kind::NotSerial, ENOTTY},
        {"", OpenCause::Kind::Unassigned, 0},
    };
    for (const auto& c : cases) {
        TCommX comm;
        comm.SetPortResolver([&c](int32_t) { return c.device; });
        EXPECT_EQ(OpenError(comm), "ポートをオープンできませんでした") << c.device;
        const OpenCause cause = OpenFailureCause(comm);
        EXPECT_EQ(cause.kind, c.kind) << c.device;
        EXPECT_EQ(cause.error, c.error) << c.device;
        EXPECT_EQ(cause.device, c.device);
        EXPECT_EQ(comm.Handle(), 0xFFFFFFFFu);
    }
}

TEST(CommOverPty, ADeviceLockedByAnotherHolderIsBusyAndTheHolderNamed)
{
    PtyPair pty;
    // flock is per open file: a second opening of our own is as good as another program.
    const int other = ::open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(other, 0);
    ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
    TCommX comm;
    comm.SetPortResolver([&pty](int32_t) { return pty.SlavePath(); });
    EXPECT_EQ(OpenError(comm), "ポートをオープンできませんでした");
    const OpenCause cause = OpenFailureCause(comm);
    EXPECT_EQ(cause.kind, OpenCause::Kind::Busy);
    std::string self;
    std::ifstream("/proc/self/comm") >> self;
    bool named = false;
    for (const auto& h : cause.holders)
        named = named || (h.pid == ::getpid() && h.program == self);
    EXPECT_TRUE(named) << "holders: " << cause.holders.size();
    ::close(other);
    EXPECT_EQ(OpenError(comm), "(no error)");
}

// The layer's own refusal, seen by a thread that runs as an ordinary user (credentials are
// per thread in the kernel; the raw calls change only this one).
TEST(CommOverPty, PermissionDeniedNamesTheOwningGroup)
{
    char dirTemplate[] = "/tmp/vxr-perm-XXXXXX";
    ASSERT_NE(::mkdtemp(dirTemplate), nullptr);
    const std::string dir = dirTemplate;
    ::chmod(dir.c_str(), 0755);
    const group* dialout = ::getgrnam("dialout");
    ASSERT_NE(dialout, nullptr);
    const struct {
        std::string name;
        gid_t gid;
        mode_t mode;
        OpenCause::Access access;
    } cases[] = {
        {"ttyUSB9", dialout->gr_gid, 0660, OpenCause::Access::JoinGroup},
        {"ttyS9", 0, 0660, OpenCause::Access::RootOnly},
        {"ttyACM9", dialout->gr_gid, 0600, OpenCause::Access::RootOnly},
    };
    for (const auto& c : cases) {
        const std::string path = dir + "/" + c.name;
        ::close(::open(path.c_str(), O_CREAT | O_WRONLY, 0600));
        ASSERT_EQ(::chown(path.c_str(), 0, c.gid), 0);
        ASSERT_EQ(::chmod(path.c_str(), c.mode), 0);
    }
    std::vector<OpenCause> causes;
    std::thread asUser([&] {
        if (::syscall(SYS_setgroups, 0, nullptr) != 0 || ::syscall(SYS_setresgid, 65534, 65534, 65534) != 0 ||
            ::syscall(SYS_setresuid, 65534, 65534, 65534) != 0)
            return;
        for (const auto& c : cases) {
            PosixSerialLayer layer;
            const bool opened = layer.Open(dir + "/" + c.name);
            causes.push_back(opened ? OpenCause{} : OpenCause::Diagnose(dir + "/" + c.name, layer.OpenError()));
        }
    });
    asUser.join();
    ASSERT_EQ(causes.size(), std::size(cases));
    for (size_t k = 0; k < causes.size(); ++k) {
        EXPECT_EQ(causes[k].kind, OpenCause::Kind::PermissionDenied) << cases[k].name;
        EXPECT_EQ(causes[k].error, EACCES) << cases[k].name;
        EXPECT_EQ(causes[k].access, cases[k].access) << cases[k].name;
    }
    EXPECT_EQ(causes[0].group, "dialout");
    EXPECT_EQ(causes[1].group, "root");
    std::filesystem::remove_all(dir);
}

TEST(CommOverPty, SendAndReceiveBothWays)
{
    OverPty p;
    p.comm.Open();
    std::string frame = "\xE1";
    for (int i = 0; i < 48; ++i)
        frame += static_cast<char>(i * 5);
    EXPECT_TRUE(p.comm.SendString(frame));
    EXPECT_EQ(p.pty.Read(frame.size()), frame);

    const std::string reply("\x06\x00\xFF\x11\x13", 5);  // including NUL and XON/XOFF bytes
    p.pty.Write(reply);
    ASSERT_TRUE(PumpUntil([&] { return p.comm.ReceiveCount() == 5; }));
    char buf[8] = {};
    EXPECT_EQ(p.comm.ReceiveData(buf, 5), 5);
    EXPECT_EQ(std::string(buf, 5), reply);
    EXPECT_EQ(p.comm.ReceiveCount(), 0);
}

TEST(CommOverPty, WaitingBytesReturnAtOnceAtMostTheCount)
{
    OverPty p;
    p.comm.SetTimeOutReceive(3000);
    p.comm.Open();
    p.pty.Write("abcdef");
    ASSERT_TRUE(PumpUntil([&] { return p.comm.ReceiveCount() == 6; }));
    char buf[8] = {};
    const auto start = Clock::now();
    EXPECT_EQ(p.comm.ReceiveData(buf, 4), 4);
    EXPECT_EQ(std::string(buf, 4), "abcd");
    // Fewer waiting than asked: those, without waiting for the rest.
    EXPECT_EQ(p.comm.ReceiveData(buf, 8), 2);
    EXPECT_EQ(std::string(buf, 2), "ef");
    EXPECT_LT(MsSince(start), 2000);
}

TEST(CommOverPty, ReplyInPiecesIsGathered)
{
    OverPty p;
    p.comm.SetTimeOutReceive(3000);
    p.comm.Open();
    QTimer::singleShot(30, [&] { p.pty.Write("12"); });
    QTimer::singleShot(80, [&] { p.pty.Write("345"); });
    QTimer::singleShot(130, [&] { p.pty.Write("6"); });
    char buf[6] = {};
    const auto start = Clock::now();
    EXPECT_EQ(p.comm.ReceiveData(buf, 6), 6);
    EXPECT_EQ(std::string(buf, 6), "123456");
    EXPECT_LT(MsSince(start), 2500);  // complete before the time-out
}

TEST(CommOverPty, TimeOutWithNothingAndWithPart)
{
    OverPty p;
    p.comm.Open();
    char buf[4];
    auto start = Clock::now();
    EXPECT_EQ(p.comm.ReceiveData(buf, 3), 0);
    EXPECT_GE(MsSince(start), 290);

    QTimer::singleShot(30, [&] { p.pty.Write("A"); });
    start = Clock::now();
    EXPECT_EQ(p.comm.ReceiveData(buf, 3), 1);
    EXPECT_GE(MsSince(start), 290);
    EXPECT_EQ(buf[0], 'A');
}

TEST(CommOverPty, PurgeReceiveDiscardsWaitingInputAndAbortsAWaitingRead)
{
    OverPty p;
    p.comm.SetTimeOutReceive(3000);
    p.comm.Open();
    p.pty.Write("junk");
    ASSERT_TRUE(PumpUntil([&] { return p.comm.ReceiveCount() == 4; }));
    p.comm.PurgeReceive();
    EXPECT_EQ(p.comm.ReceiveCount(), 0);

    // A handler run inside the wait purges: the read fails at once instead of waiting on.
    char buf[4];
    QTimer::singleShot(50, [&] { p.comm.PurgeReceive(); });
    auto start = Clock::now();
    EXPECT_EQ(p.comm.ReceiveData(buf, 4), -1);
    EXPECT_LT(MsSince(start), 2500);

    // The next read is not affected.
    QTimer::singleShot(50, [&] { p.pty.Write("ok"); });
    EXPECT_EQ(p.comm.ReceiveData(buf, 2), 2);
    EXPECT_EQ(std::string(buf, 2), "ok");
}

TEST(CommOverPty, PurgeTransWhenTheOtherEndDoesNotRead)
{
    OverPty p;
    p.comm.SetTimeOutTrans(0);  // no write limit: only the purge frees the worker
    p.comm.SetBufLenTrans(16 * 1024);
    p.comm.Open();
    // Far more than the pseudo-terminal buffers: the worker ends up waiting for room.
    EXPECT_TRUE(p.comm.SendString(std::string(32 * 16 * 1024, 'x')));
    EXPECT_GT(p.comm.PendingChunks(), 0);
    p.comm.PurgeTrans();
    EXPECT_EQ(p.comm.PendingBytes(), 0);
    EXPECT_EQ(p.comm.PendingChunks(), 0);
    // Drain what got through, then the next output arrives whole.
    while (!p.pty.Read(4096, 100).empty()) {
    }
    EXPECT_TRUE(p.comm.SendString("after"));
    EXPECT_EQ(p.pty.Read(5), "after");
}

TEST(CommOverPty, OnReceiveAnnouncesWaitingBytes)
{
    OverPty p;
    std::vector<int32_t> sizes;
    p.comm.OnReceive = [&](TCustomCommX* sender, int32_t n) {
        EXPECT_EQ(sender, &p.comm);
        sizes.push_back(n);
    };
    p.comm.Open();
    p.pty.Write("hello");
    ASSERT_TRUE(PumpUntil([&] { return !sizes.empty() && sizes.back() == 5; }));
    for (int32_t n : sizes)
        EXPECT_GT(n, 0);
    // Still unread, more arrives: announced again with the new count.
    p.pty.Write("!!");
    ASSERT_TRUE(PumpUntil([&] { return sizes.back() == 7; }));
}

TEST(CommOverPty, CloseDuringTheWaitReturnsMinusOne)
{
    OverPty p;
    p.comm.SetTimeOutReceive(3000);
    p.comm.Open();
    QTimer::singleShot(50, [&] { p.comm.Close(); });
    char buf[3];
    const auto start = Clock::now();
    EXPECT_EQ(p.comm.ReceiveData(buf, 3), -1);
    EXPECT_FALSE(p.comm.IsOpen());
    EXPECT_LT(MsSince(start), 2500);
}

TEST(CommOverPty, HangUpDuringAReadFailsPromptly)
{
    OverPty p;
    p.comm.SetTimeOutReceive(5000);
    p.comm.Open();
    QTimer::singleShot(50, [&] { p.pty.CloseMaster(); });
    char buf[3];
    const auto start = Clock::now();
    EXPECT_EQ(p.comm.ReceiveData(buf, 3), -1);
    EXPECT_LT(MsSince(start), 3000);
    EXPECT_EQ(p.comm.ReceiveData(buf, 3), -1);
    p.comm.Close();  // the workers end although the device is gone
    EXPECT_FALSE(p.comm.IsOpen());
}

TEST(CommOverPty, ReopenAfterCloseAndDestroyWhileOpen)
{
    PtyPair pty;
    {
        TCommX comm;
        comm.SetFlowCtrl(cfcNone);
        comm.SetPortResolver([&](int32_t) { return pty.SlavePath(); });
        comm.Open();
        comm.Close();
        comm.Open();  // the device was released: the lock is free again
        EXPECT_TRUE(comm.SendString("z"));
        EXPECT_EQ(pty.Read(1), "z");
    }  // destroyed open
    TCommX again;
    again.SetFlowCtrl(cfcNone);
    again.SetPortResolver([&](int32_t) { return pty.SlavePath(); });
    again.Open();
    EXPECT_TRUE(again.IsOpen());
}

TEST(CommOverPtyDeathTest, ProgramExitWithThePortOpenIsClean)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // Static: destroyed by exit() itself, with both workers running and output queued.
    EXPECT_EXIT(
        {
            static PtyPair pty;
            static TCommX comm;
            comm.SetTimeOutTrans(0);
            comm.SetPortResolver([](int32_t) { return pty.SlavePath(); });
            comm.Open();
            comm.SendString(std::string(64 * 1024, 'q'));
            std::exit(comm.IsOpen() ? 7 : 1);
        },
        ::testing::ExitedWithCode(7), "");
}
