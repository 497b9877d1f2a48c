#include "ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

std::vector<std::string> MergedEnvironment(const std::vector<std::string>& changes)
{
    std::vector<std::string> merged;
    for (char** e = environ; e && *e; ++e) {
        const std::string entry = *e;
        const std::string name = entry.substr(0, entry.find('='));
        bool replaced = false;
        for (const auto& c : changes)
            if (c.substr(0, c.find('=')) == name)
                replaced = true;
        if (!replaced)
            merged.push_back(entry);
    }
    merged.insert(merged.end(), changes.begin(), changes.end());
    return merged;
}

std::vector<char*> Pointers(std::vector<std::string>& strings)
{
    std::vector<char*> out;
    for (auto& s : strings)
        out.push_back(s.data());
    out.push_back(nullptr);
    return out;
}

}  // namespace

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args,
                           const std::vector<std::string>& environment, bool quiet)
{
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0)
        throw std::runtime_error(std::string("pipe: ") + std::strerror(errno));

    std::vector<std::string> argStrings{program};
    argStrings.insert(argStrings.end(), args.begin(), args.end());
    std::vector<std::string> envStrings = MergedEnvironment(environment);
    std::vector<char*> argv = Pointers(argStrings);
    std::vector<char*> envp = Pointers(envStrings);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    if (quiet)
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const int rc = posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    if (rc != 0) {
        ::close(pipeFds[0]);
        pid_ = -1;
        throw std::runtime_error(program + ": " + std::strerror(rc));
    }
    out_ = pipeFds[0];
}

ChildProcess::~ChildProcess()
{
    if (pid_ > 0 && !ended_) {
        Terminate();
        Wait(std::chrono::seconds(5));
    }
    if (out_ >= 0)
        ::close(out_);
}

bool ChildProcess::FillBuffer(std::chrono::milliseconds timeout)
{
    if (out_ < 0)
        return false;
    pollfd fd{out_, POLLIN, 0};
    int r;
    do
        r = ::poll(&fd, 1, static_cast<int>(timeout.count()));
    while (r < 0 && errno == EINTR);
    if (r <= 0)
        return false;
    char chunk[4096];
    ssize_t n;
    do
        n = ::read(out_, chunk, sizeof chunk);
    while (n < 0 && errno == EINTR);
    if (n <= 0) {
        ::close(out_);
        out_ = -1;
        return false;
    }
    buffer_.append(chunk, static_cast<size_t>(n));
    return true;
}

std::optional<std::string> ChildProcess::ReadLine(std::chrono::milliseconds timeout)
{
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        const size_t end = buffer_.find('\n');
        if (end != std::string::npos) {
            std::string line = buffer_.substr(0, end);
            buffer_.erase(0, end + 1);
            return line;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0 || !FillBuffer(left))
            return std::nullopt;
    }
}

void ChildProcess::Terminate()
{
    if (pid_ > 0 && !ended_) {
        terminated_ = true;
        ::kill(pid_, SIGTERM);
    }
}

int ChildProcess::Wait(std::chrono::milliseconds timeout)
{
    if (pid_ <= 0)
        return -1;
    if (ended_)
        return status_;
    const auto deadline = Clock::now() + timeout;
    int raw = 0;
    rusage usage {};
    for (;;) {
        const pid_t r = ::wait4(pid_, &raw, WNOHANG, &usage);
        if (r == pid_)
            break;
        if (r < 0 && errno != EINTR) {
            ended_ = true;
            return status_ = -1;
        }
        if (Clock::now() >= deadline) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, &raw, 0);
            ended_ = true;
            return status_ = -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ended_ = true;
    peakKiB_ = usage.ru_maxrss;
    if (WIFEXITED(raw))
        status_ = WEXITSTATUS(raw);
    else if (WIFSIGNALED(raw) && WTERMSIG(raw) == SIGTERM && terminated_)
        status_ = 0;
    else
        status_ = -1;
    return status_;
}
