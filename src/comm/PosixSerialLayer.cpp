#include "PosixSerialLayer.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

namespace {

// While received bytes sit unread and have been announced, the driver offers no wake-up for
// further bytes; the event wait then looks again at this interval instead of spinning.
constexpr int kRecheckMs = 20;

struct SpeedEntry {
    uint32_t rate;
    speed_t speed;
};

constexpr SpeedEntry kSpeeds[] = {
    {50, B50},           {75, B75},           {110, B110},         {134, B134},         {150, B150},
    {200, B200},         {300, B300},         {600, B600},         {1200, B1200},       {1800, B1800},
    {2400, B2400},       {4800, B4800},       {9600, B9600},       {19200, B19200},     {38400, B38400},
    {57600, B57600},     {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000}, {1500000, B1500000},
    {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000}, {3500000, B3500000}, {4000000, B4000000},
};

uint32_t RateOf(speed_t speed)
{
    for (const auto& e : kSpeeds)
        if (e.speed == speed)
            return e.rate;
    return 0;
}

void Drain(int eventFd)
{
    uint64_t value;
    while (::read(eventFd, &value, sizeof value) > 0) {
    }
}

void Signal(int eventFd)
{
    if (eventFd < 0)
        return;
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(eventFd, &one, sizeof one);
}

int PollRetry(pollfd* fds, nfds_t n, int timeoutMs)
{
    int r;
    do
        r = ::poll(fds, n, timeoutMs);
    while (r < 0 && errno == EINTR);
    return r;
}

constexpr short kGoneBits = POLLHUP | POLLERR | POLLNVAL;

}  // namespace

PosixSerialLayer::~PosixSerialLayer()
{
    Close();
}

unsigned PosixSerialLayer::SpeedFor(uint32_t bitRate)
{
    for (const auto& e : kSpeeds)
        if (e.rate == bitRate)
            return e.speed;
    return 0;
}

bool PosixSerialLayer::Open(const std::string& path)
{
    Close();
    FOpenError = 0;
    // Keeps the errno of the failing step: the port selection tells the user what it means.
    const auto fail = [this](int fd) {
        FOpenError = errno;
        if (fd >= 0)
            ::close(fd);
        return false;
    };
    // Another program's exclusive mode (TIOCEXCL) shows here as EBUSY.
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return fail(fd);
    // Only a terminal is a serial port; exclusive against other programs.
    if (!::isatty(fd) || ::flock(fd, LOCK_EX | LOCK_NB) != 0)
        return fail(fd);
    ::ioctl(fd, TIOCEXCL);
    FWriteWake = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    FEventWake = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (FWriteWake < 0 || FEventWake < 0) {
        fail(fd);
        Close();
        return false;
    }
    FFd = fd;
    FGone = false;
    FAnnounced = 0;
    std::lock_guard<std::mutex> lock(FErrorLock);
    FErrors = 0;
    serial_icounter_struct c{};
    FHaveCounters = ::ioctl(FFd, TIOCGICOUNT, &c) == 0;
    FLast = Counters{c.frame, c.parity, c.overrun, c.brk, c.buf_overrun};
    return true;
}

void PosixSerialLayer::Close()
{
    if (FFd >= 0) {
        // Left set, exclusive mode would outlive us on a terminal whose other end stays open.
        ::ioctl(FFd, TIOCNXCL);
        ::close(FFd);
        FFd = -1;
    }
    if (FWriteWake >= 0)
        ::close(FWriteWake);
    if (FEventWake >= 0)
        ::close(FEventWake);
    FWriteWake = FEventWake = -1;
}

bool PosixSerialLayer::SetQueueSizes(int32_t input, int32_t output)
{
    // The kernel sizes its own queues.
    return FFd >= 0 && input > 0 && output > 0;
}

bool PosixSerialLayer::GetState(CommDcb& dcb)
{
    termios t{};
    if (FFd < 0 || ::tcgetattr(FFd, &t) != 0)
        return false;
    if (const uint32_t rate = RateOf(::cfgetospeed(&t)))
        dcb.BaudRate = rate;
    switch (t.c_cflag & CSIZE) {
    case CS5: dcb.ByteSize = 5; break;
    case CS6: dcb.ByteSize = 6; break;
    case CS7: dcb.ByteSize = 7; break;
    default: dcb.ByteSize = 8; break;
    }
    dcb.Parity = !(t.c_cflag & PARENB) ? 0 : (t.c_cflag & PARODD) ? 1 : 2;
    dcb.StopBits = (t.c_cflag & CSTOPB) ? 2 : 0;
    uint32_t flags = CommDcb::kBinary | CommDcb::kDtrEnable;
    if (t.c_cflag & CRTSCTS)
        flags |= CommDcb::kOutxCtsFlow | CommDcb::kRtsHandshake;
    else
        flags |= CommDcb::kRtsEnable;
    if (t.c_iflag & IXON)
        flags |= CommDcb::kOutX;
    if (t.c_iflag & IXOFF)
        flags |= CommDcb::kInX;
    dcb.Flags = flags;
    dcb.XonChar = t.c_cc[VSTART];
    dcb.XoffChar = t.c_cc[VSTOP];
    return true;
}

bool PosixSerialLayer::SetState(const CommDcb& dcb)
{
    termios t{};
    if (FFd < 0 || ::tcgetattr(FFd, &t) != 0)
        return false;
    ::cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;

    const speed_t speed = SpeedFor(dcb.BaudRate);
    if (speed == 0 || ::cfsetispeed(&t, speed) != 0 || ::cfsetospeed(&t, speed) != 0)
        return false;

    t.c_cflag &= ~CSIZE;
    switch (dcb.ByteSize) {
    case 5: t.c_cflag |= CS5; break;
    case 6: t.c_cflag |= CS6; break;
    case 7: t.c_cflag |= CS7; break;
    case 8: t.c_cflag |= CS8; break;
    default: return false;
    }

    t.c_cflag &= ~(PARENB | PARODD);
    switch (dcb.Parity) {
    case 0: break;
    case 1: t.c_cflag |= PARENB | PARODD; break;
    case 2: t.c_cflag |= PARENB; break;
    default: return false;
    }

    switch (dcb.StopBits) {
    case 0: t.c_cflag &= ~CSTOPB; break;
    case 2: t.c_cflag |= CSTOPB; break;
    default: return false;  // no one and a half stop bits here
    }

    // No DTR/DSR handshake on this platform.
    const uint32_t dtrControl = dcb.Flags & CommDcb::kDtrControlMask;
    const uint32_t rtsControl = dcb.Flags & CommDcb::kRtsControlMask;
    if ((dcb.Flags & CommDcb::kOutxDsrFlow) || dtrControl == CommDcb::kDtrHandshake)
        return false;
    if ((dcb.Flags & CommDcb::kOutxCtsFlow) || rtsControl == CommDcb::kRtsHandshake)
        t.c_cflag |= CRTSCTS;
    else
        t.c_cflag &= ~CRTSCTS;
    t.c_iflag &= ~(IXON | IXOFF | IXANY);
    if (dcb.Flags & CommDcb::kOutX)
        t.c_iflag |= IXON;
    if (dcb.Flags & CommDcb::kInX)
        t.c_iflag |= IXOFF;
    if ((t.c_iflag & (IXON | IXOFF)) && dcb.XonChar == dcb.XoffChar)
        return false;
    t.c_cc[VSTART] = dcb.XonChar;
    t.c_cc[VSTOP] = dcb.XoffChar;

    if (::tcsetattr(FFd, TCSANOW, &t) != 0)
        return false;
    // tcsetattr succeeds when any part was taken: only what reads back was applied.
    termios r{};
    if (::tcgetattr(FFd, &r) != 0)
        return false;
    const tcflag_t cflagMask = CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS;
    if (::cfgetospeed(&r) != speed || ::cfgetispeed(&r) != speed || (r.c_cflag & cflagMask) != (t.c_cflag & cflagMask) ||
        (r.c_iflag & (IXON | IXOFF)) != (t.c_iflag & (IXON | IXOFF)) || r.c_cc[VSTART] != t.c_cc[VSTART] ||
        r.c_cc[VSTOP] != t.c_cc[VSTOP])
        return false;

    // The levels the line-control fields ask for; ignored where the device has no lines.
    SetModemLine(ModemLine::Dtr, dtrControl == CommDcb::kDtrEnable);
    if (rtsControl != CommDcb::kRtsHandshake)
        SetModemLine(ModemLine::Rts, rtsControl == CommDcb::kRtsEnable);
    return true;
}

bool PosixSerialLayer::SetTimeouts(const CommTimeouts&)
{
    // The component applies its time-outs in its own waits.
    return FFd >= 0;
}

void PosixSerialLayer::PurgeOutput()
{
    if (FFd >= 0)
        ::tcflush(FFd, TCOFLUSH);
    WakeWriter();
}

void PosixSerialLayer::PurgeInput()
{
    if (FFd >= 0)
        ::tcflush(FFd, TCIFLUSH);
    FAnnounced = 0;
}

void PosixSerialLayer::SetModemLine(ModemLine line, bool on)
{
    if (FFd < 0)
        return;
    int bits = line == ModemLine::Rts ? TIOCM_RTS : TIOCM_DTR;
    ::ioctl(FFd, on ? TIOCMBIS : TIOCMBIC, &bits);
}

int32_t PosixSerialLayer::Write(const void* data, int32_t length)
{
    if (FFd < 0)
        return -1;
    const ssize_t n = ::write(FFd, data, static_cast<size_t>(length));
    if (n >= 0)
        return static_cast<int32_t>(n);
    return errno == EAGAIN || errno == EINTR ? 0 : -1;
}

SerialLayer::WaitResult PosixSerialLayer::WaitWritable(int32_t timeoutMs)
{
    pollfd fds[2] = {{FFd, POLLOUT, 0}, {FWriteWake, POLLIN, 0}};
    const int r = PollRetry(fds, 2, timeoutMs < 0 ? -1 : timeoutMs);
    if (r < 0)
        return WaitResult::Failed;
    if (fds[1].revents & POLLIN) {
        Drain(FWriteWake);
        return WaitResult::Woken;
    }
    if (fds[0].revents & kGoneBits)
        return WaitResult::Failed;
    return r == 0 ? WaitResult::TimedOut : WaitResult::Ready;
}

void PosixSerialLayer::WakeWriter()
{
    Signal(FWriteWake);
}

bool PosixSerialLayer::HungUp() const
{
    pollfd fd = {FFd, POLLIN, 0};
    return PollRetry(&fd, 1, 0) > 0 && (fd.revents & kGoneBits);
}

int32_t PosixSerialLayer::Read(void* buffer, int32_t count)
{
    if (FFd < 0)
        return -1;
    const ssize_t n = ::read(FFd, buffer, static_cast<size_t>(count));
    if (n > 0) {
        const int32_t left = InputCount();
        if (left < FAnnounced)
            FAnnounced = left;
        return static_cast<int32_t>(n);
    }
    if (n < 0 && errno != EAGAIN && errno != EINTR)
        return -1;
    // With VMIN = VTIME = 0 a hung-up terminal also reads 0 bytes; tell it apart.
    return HungUp() ? -1 : 0;
}

SerialLayer::WaitResult PosixSerialLayer::WaitReadable(int32_t timeoutMs)
{
    pollfd fd = {FFd, POLLIN, 0};
    const int r = PollRetry(&fd, 1, timeoutMs < 0 ? -1 : timeoutMs);
    if (r < 0 || (fd.revents & kGoneBits))
        return WaitResult::Failed;
    return r == 0 ? WaitResult::TimedOut : WaitResult::Ready;
}

int32_t PosixSerialLayer::InputCount() const
{
    int n = 0;
    if (FFd < 0 || ::ioctl(FFd, FIONREAD, &n) != 0)
        return 0;
    return n;
}

uint32_t PosixSerialLayer::SampleCountersLocked()
{
    if (!FHaveCounters)
        return 0;
    serial_icounter_struct c{};
    if (::ioctl(FFd, TIOCGICOUNT, &c) != 0)
        return 0;
    uint32_t events = 0;
    if (c.frame != FLast.frame)
        FErrors |= kErrFrame;
    if (c.parity != FLast.parity)
        FErrors |= kErrParity;
    if (c.overrun != FLast.overrun)
        FErrors |= kErrOverrun;
    if (c.buf_overrun != FLast.bufOverrun)
        FErrors |= 0x0001;  // input queue overflow
    if (c.frame != FLast.frame || c.parity != FLast.parity || c.overrun != FLast.overrun ||
        c.buf_overrun != FLast.bufOverrun)
        events |= kEvErr;
    if (c.brk != FLast.brk) {
        FErrors |= kErrBreak;
        events |= kEvBreak;
    }
    FLast = Counters{c.frame, c.parity, c.overrun, c.brk, c.buf_overrun};
    return events;
}

uint32_t PosixSerialLayer::ClearErrors(int32_t* inQueue)
{
    uint32_t errors;
    {
        std::lock_guard<std::mutex> lock(FErrorLock);
        SampleCountersLocked();
        errors = FErrors;
        FErrors = 0;
    }
    if (inQueue)
        *inQueue = InputCount();
    return errors;
}

uint32_t PosixSerialLayer::WaitEvent()
{
    for (;;) {
        const int32_t queued = InputCount();
        if (queued < FAnnounced)
            FAnnounced = queued;
        // Bytes already announced and still unread keep the device readable: look again later.
        const bool announced = queued > 0 && queued <= FAnnounced;
        pollfd fds[2] = {{FEventWake, POLLIN, 0}, {FFd, static_cast<short>(announced ? 0 : POLLIN), 0}};
        const bool gone = FGone;
        const int r = PollRetry(fds, gone ? 1 : 2, gone ? -1 : announced ? kRecheckMs : -1);
        if (r < 0)
            return 0;
        if (fds[0].revents & POLLIN) {
            Drain(FEventWake);
            return 0;
        }
        if (!gone && (fds[1].revents & kGoneBits)) {
            // A device that is gone raises no more events; wait for the wake.
            FGone = true;
            continue;
        }
        uint32_t mask;
        {
            std::lock_guard<std::mutex> lock(FErrorLock);
            mask = SampleCountersLocked();
        }
        const int32_t now = InputCount();
        if (now > FAnnounced) {
            mask |= kEvRxChar;
            FAnnounced = now;
        } else if (now < FAnnounced) {
            FAnnounced = now;
        }
        if (mask != 0)
            return mask;
    }
}

void PosixSerialLayer::WakeEventWait()
{
    Signal(FEventWake);
}
