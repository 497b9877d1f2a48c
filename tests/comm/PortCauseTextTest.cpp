#include <gtest/gtest.h>

#include <cerrno>

#include "PortCauseText.h"

// The causes a test cannot bring about as root on a pseudo-terminal, in both languages.
TEST(PortCauseText, PermissionAndBusyLinesNameTheFix)
{
    OpenCause join;
    join.kind = OpenCause::Kind::PermissionDenied;
    join.error = EACCES;
    join.device = "/dev/ttyUSB0";
    join.group = "uucp";
    OpenCause again = join;
    again.access = OpenCause::Access::LogInAgain;
    OpenCause rootOnly = join;
    rootOnly.access = OpenCause::Access::RootOnly;
    OpenCause busy;
    busy.kind = OpenCause::Kind::Busy;
    busy.error = EBUSY;
    OpenCause busyBy = busy;
    busyBy.holders = {{"ModemManager", 612}, {"minicom", 4321}};
    OpenCause other;
    other.kind = OpenCause::Kind::Other;
    other.error = EIO;
    other.device = "/dev/ttyS0";

    const struct {
        const OpenCause& cause;
        int language;
        std::string line;
    } cases[] = {
        {join, 1, "Permission denied: /dev/ttyUSB0 belongs to group uucp. Join it (sudo usermod -aG uucp $USER), then log in again."},
        {join, 0,
         "アクセスが拒否されました: /dev/ttyUSB0 はグループ uucp のものです。このグループに参加して（sudo usermod -aG uucp "
         "$USER）、ログインし直してください。"},
        {again, 1, "Permission denied: you were added to group uucp, which owns /dev/ttyUSB0, after this session began. Log out and in again."},
        {again, 0, "アクセスが拒否されました: グループ uucp（/dev/ttyUSB0 の所有グループ）への参加は、ログインし直すと有効になります。"},
        {rootOnly, 1, "Permission denied: only root may open /dev/ttyUSB0. Give a group such as dialout read and write access with a udev rule."},
        {busyBy, 1, "The device is in use by another program: ModemManager (pid 612), minicom (pid 4321)"},
        {busy, 1,
         "The device is in use by another program. A newly plugged ttyACM device is often probed by ModemManager for a "
         "few seconds: try again, or stop ModemManager."},
        {busy, 0,
         "デバイスは他のプログラムが使用中です。新しく接続した ttyACM デバイスは、ModemManager が数秒間調べていることがよくあります。"
         "もう一度試すか、ModemManager を止めてください。"},
        {other, 1, "Cannot open /dev/ttyS0: Input/output error"},
        {OpenCause{}, 0, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PortCauseText::Line(c.cause, c.language), c.line);
}
