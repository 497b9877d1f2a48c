#include "ControllerSimulator.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <system_error>

#include "ControllerStateFile.h"
#include "HexBytes.h"

namespace {

[[noreturn]] void ThrowErrno(const char* what)
{
    throw std::system_error(errno, std::generic_category(), what);
}

void SetCloseOnExec(int fd)
{
    const int flags = fcntl(fd, F_GETFD);
    if (flags >= 0) fcntl(fd, F_SETFD, flags | FD_CLOEXEC);
}

}  // namespace

ControllerSimulator::ControllerSimulator() : ControllerSimulator(Options{}) {}

ControllerSimulator::ControllerSimulator(Options options)
    : options_(std::move(options)),
      paced_(options_.paced),
      logic_(options_.frameTimeout, options_.state)
{
    // Both ends share one termios: it is set raw here, once, and the master's is never touched
    // again, so whatever the tool sets on its side stays as it set it.
    termios raw{};
    cfmakeraw(&raw);
    raw.c_cflag |= CLOCAL | CREAD;
    cfsetspeed(&raw, B1200);
    char name[256] = {};
    if (openpty(&master_, &slave_, name, &raw, nullptr) != 0) ThrowErrno("openpty");
    devicePath_ = name;
    SetCloseOnExec(master_);
    SetCloseOnExec(slave_);
    const int flags = fcntl(master_, F_GETFL);
    if (flags < 0 || fcntl(master_, F_SETFL, flags | O_NONBLOCK) != 0) {
        const int saved = errno;
        CloseAll();
        errno = saved;
        ThrowErrno("fcntl");
    }
    stop_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (stop_ < 0) {
        const int saved = errno;
        CloseAll();
        errno = saved;
        ThrowErrno("eventfd");
    }
    if (!options_.transcriptPath.empty()) {
        transcriptFile_ = std::fopen(options_.transcriptPath.c_str(), "w");
        if (!transcriptFile_) {
            const int saved = errno;
            CloseAll();
            ::close(stop_);
            errno = saved;
            ThrowErrno(options_.transcriptPath.c_str());
        }
    }
    thread_ = std::thread([this] { Run(); });
}

ControllerSimulator::~ControllerSimulator()
{
    Stop();
    if (stop_ >= 0) ::close(stop_);
    if (transcriptFile_) std::fclose(transcriptFile_);
}

void ControllerSimulator::Stop()
{
    std::call_once(stopOnce_, [this] {
        const uint64_t one = 1;
        if (::write(stop_, &one, sizeof one) < 0) {
            // An eventfd write only fails on overflow, which one write cannot reach.
        }
        if (thread_.joinable()) thread_.join();
        CloseAll();
    });
}

void ControllerSimulator::CloseAll()
{
    if (master_ >= 0) ::close(master_);
    if (slave_ >= 0) ::close(slave_);
    master_ = slave_ = -1;
}

// --- state -----------------------------------------------------------------------------------

ControllerState ControllerSimulator::State() const
{
    std::lock_guard lock(mutex_);
    return logic_.State();
}

void ControllerSimulator::SetState(const ControllerState& state)
{
    std::lock_guard lock(mutex_);
    logic_.State() = state;
}

ControllerSimulator::Image ControllerSimulator::ImageOf(int model) const
{
    std::lock_guard lock(mutex_);
    return logic_.State().ImageOf(model);
}

void ControllerSimulator::SetImage(int model, const Image& image)
{
    std::lock_guard lock(mutex_);
    logic_.State().SetImage(model, image);
}

uint8_t ControllerSimulator::ModelNumber() const
{
    std::lock_guard lock(mutex_);
    return logic_.State().ModelNumber();
}

void ControllerSimulator::SetModelNumber(uint8_t n)
{
    std::lock_guard lock(mutex_);
    logic_.State().SetModelNumber(n);
}

bool ControllerSimulator::LoadState(const std::string& path, std::string* error)
{
    ControllerState loaded;
    if (!ControllerStateFile::Load(loaded, path, error)) return false;
    SetState(loaded);
    return true;
}

bool ControllerSimulator::SaveState(const std::string& path, std::string* error) const
{
    return ControllerStateFile::Save(State(), path, error);
}

// --- faults ----------------------------------------------------------------------------------

void ControllerSimulator::SilenceAfter(int command, Shots shots)
{
    std::lock_guard lock(mutex_);
    logic_.SilenceAfter(command, shots);
}

void ControllerSimulator::ShortReply(int command, size_t keep, Shots shots)
{
    std::lock_guard lock(mutex_);
    logic_.ShortReply(command, keep, shots);
}

void ControllerSimulator::BadChecksum(int model, Shots shots)
{
    std::lock_guard lock(mutex_);
    logic_.BadChecksum(model, shots);
}

void ControllerSimulator::RefuseWrite(int model, Shots shots)
{
    std::lock_guard lock(mutex_);
    logic_.RefuseWrite(model, shots);
}

void ControllerSimulator::RefuseModelNumberWrite(Shots shots)
{
    std::lock_guard lock(mutex_);
    logic_.RefuseModelNumberWrite(shots);
}

void ControllerSimulator::StrayBytes(int command, Bytes stray, Shots shots)
{
    std::lock_guard lock(mutex_);
    logic_.StrayBytes(command, std::move(stray), shots);
}

void ControllerSimulator::DelayReply(int command, std::chrono::milliseconds delay, Shots shots)
{
    std::lock_guard lock(mutex_);
    logic_.DelayReply(command, delay, shots);
}

void ControllerSimulator::HangUpDuring(int command, size_t afterBytes)
{
    std::lock_guard lock(mutex_);
    logic_.HangUpDuring(command, afterBytes);
}

void ControllerSimulator::ClearFaults()
{
    std::lock_guard lock(mutex_);
    logic_.ClearFaults();
}

// --- record ----------------------------------------------------------------------------------

std::vector<ControllerSimulator::Bytes> ControllerSimulator::Transcript() const
{
    std::lock_guard lock(mutex_);
    return logic_.Transcript();
}

ControllerSimulator::Bytes ControllerSimulator::IgnoredBytes() const
{
    std::lock_guard lock(mutex_);
    return logic_.IgnoredBytes();
}

void ControllerSimulator::ClearTranscript()
{
    std::lock_guard lock(mutex_);
    logic_.ClearTranscript();
}

bool ControllerSimulator::WaitForFrames(size_t count, std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return logic_.Transcript().size() >= count; });
}

bool ControllerSimulator::HungUp() const
{
    std::lock_guard lock(mutex_);
    return hungUp_;
}

bool ControllerSimulator::WaitForHangUp(std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return hungUp_; });
}

void ControllerSimulator::WriteTranscriptLine(const std::string& line)
{
    if (!transcriptFile_) return;
    std::fputs(line.c_str(), transcriptFile_);
    std::fputc('\n', transcriptFile_);
    std::fflush(transcriptFile_);
}

// --- the controller's thread -----------------------------------------------------------------

void ControllerSimulator::Run()
{
    for (;;) {
        Clock::time_point now = Clock::now();
        bool blocked = false;  // the slave's input queue is full: wait until it can take more
        if (!hangingUp_) {
            if (const auto next = NextOutputTime(); next && *next <= now) {
                blocked = !Flush(now);
                now = Clock::now();
            }
        }

        std::optional<Clock::time_point> wake;
        {
            std::lock_guard lock(mutex_);
            wake = logic_.Deadline();
        }
        const auto earliest = [&wake](Clock::time_point t) {
            if (!wake || t < *wake) wake = t;
        };
        if (hangingUp_) {
            // Checked in short steps: the reader's progress cannot be waited for otherwise.
            earliest(std::min(now + std::chrono::milliseconds(5), hangUpStarted_ + options_.hangUpGrace));
        } else if (!blocked) {
            if (const auto next = NextOutputTime()) earliest(*next);
        }

        pollfd fds[2] = {{stop_, POLLIN, 0}, {master_, static_cast<short>(POLLIN | (blocked ? POLLOUT : 0)), 0}};
        timespec timeout{};
        timespec* timeoutPtr = nullptr;
        if (wake) {
            const auto left = std::max(Clock::duration::zero(), *wake - now);
            const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count() + 1;
            timeout.tv_sec = static_cast<time_t>(ns / 1'000'000'000);
            timeout.tv_nsec = static_cast<long>(ns % 1'000'000'000);
            timeoutPtr = &timeout;
        }
        const int ready = ppoll(fds, 2, timeoutPtr, nullptr);
        if (ready < 0 && errno != EINTR) break;
        if (fds[0].revents) break;

        const Clock::time_point after = Clock::now();
        if (fds[1].revents & (POLLIN | POLLHUP | POLLERR)) HandleInput(after);
        if (master_ < 0) break;
        std::vector<ControllerLogic::Reply> replies;
        {
            std::lock_guard lock(mutex_);
            logic_.Expire(after, replies);
        }
        HandleReplies(replies, after);

        if (hangingUp_ && ReadyToHangUp(Clock::now())) {
            CloseAll();
            {
                std::lock_guard lock(mutex_);
                hungUp_ = true;
            }
            changed_.notify_all();
            break;
        }
    }
}

void ControllerSimulator::HandleInput(Clock::time_point now)
{
    uint8_t buffer[4096];
    for (;;) {
        const ssize_t n = ::read(master_, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return;
        if (n <= 0) {
            // Cannot happen while we hold the slave open; if it does, the line is dead.
            CloseAll();
            {
                std::lock_guard lock(mutex_);
                hungUp_ = true;
            }
            changed_.notify_all();
            return;
        }
        // After a hang-up fault has started the controller hears nothing more.
        if (hangingUp_) continue;
        std::vector<ControllerLogic::Reply> replies;
        {
            std::lock_guard lock(mutex_);
            logic_.Hear(buffer, static_cast<size_t>(n), now, replies);
        }
        HandleReplies(replies, now);
    }
}

void ControllerSimulator::HandleReplies(std::vector<ControllerLogic::Reply>& replies, Clock::time_point now)
{
    bool frames = false;
    for (auto& reply : replies) {
        frames = frames || reply.toFrame;
        WriteTranscriptLine(reply.toFrame ? HexBytes::Format(reply.heard) : "# ignored: " + HexBytes::Format(reply.heard));
        Enqueue({std::move(reply.bytes), 0, reply.notBefore, reply.hangUpAt}, now);
    }
    if (frames) changed_.notify_all();
}

// --- output and pacing -----------------------------------------------------------------------

void ControllerSimulator::Enqueue(Chunk chunk, Clock::time_point now)
{
    if (chunk.bytes.empty() && chunk.hangUpAt == SIZE_MAX) return;
    // A line that has fallen idle starts a new character schedule, so an idle gap is not
    // caught up as a burst.
    if (output_.empty() && paceOrigin_ + pacedCount_ * kCharacterTime < now) {
        paceOrigin_ = std::max(now, chunk.notBefore);
        pacedCount_ = 0;
    }
    output_.push_back(std::move(chunk));
}

std::optional<ControllerSimulator::Clock::time_point> ControllerSimulator::NextOutputTime() const
{
    if (output_.empty()) return std::nullopt;
    const Chunk& head = output_.front();
    if (!paced_) return head.notBefore;
    // A character is there once all its bits are on the line, one character time after it starts.
    const Clock::time_point lineFree = paceOrigin_ + pacedCount_ * kCharacterTime;
    return std::max(head.notBefore, lineFree) + kCharacterTime;
}

bool ControllerSimulator::Flush(Clock::time_point now)
{
    while (!output_.empty() && !hangingUp_) {
        Chunk& head = output_.front();
        if (now < head.notBefore) return true;
        const size_t end = std::min(head.bytes.size(), head.hangUpAt);
        if (head.hangUpAt != SIZE_MAX && head.sent >= end) {
            hangingUp_ = true;
            hangUpStarted_ = now;
            output_.clear();
            return true;
        }
        if (head.sent >= head.bytes.size()) {
            output_.pop_front();
            continue;
        }
        size_t count = end - head.sent;
        if (paced_) {
            // Each character has its slot on a fixed schedule from the origin: waking late
            // does not accumulate drift, it only sends the overdue characters together.
            if (paceOrigin_ + pacedCount_ * kCharacterTime < head.notBefore) {
                paceOrigin_ = head.notBefore;
                pacedCount_ = 0;
            }
            const int64_t dueUpTo = now < paceOrigin_ ? 0 : (now - paceOrigin_) / kCharacterTime;
            count = std::min<size_t>(count, static_cast<size_t>(std::max<int64_t>(0, dueUpTo - pacedCount_)));
            if (count == 0) return true;
        }
        const ssize_t n = ::write(master_, head.bytes.data() + head.sent, count);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return false;
        if (n < 0) {
            head.sent = end;  // a master that cannot be written has nobody to hear it
        } else {
            head.sent += static_cast<size_t>(n);
            pacedCount_ += n;
        }
        if (paced_ && head.sent < end) return true;
    }
    return true;
}

bool ControllerSimulator::ReadyToHangUp(Clock::time_point now) const
{
    if (now - hangUpStarted_ >= options_.hangUpGrace) return true;
    // The tty layer hands written bytes to the slave a moment later, so a queue that looks empty
    // right away proves nothing.
    if (now - hangUpStarted_ < std::chrono::milliseconds(20)) return false;
    int pending = 0;
    return ioctl(slave_, FIONREAD, &pending) == 0 && pending == 0;
}
