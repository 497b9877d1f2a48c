#include "StopSignals.h"

#include <pthread.h>

#include <atomic>

namespace {

// Lock-free, so the handler may set it.
std::atomic<int> noted{0};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void Note(int sig)
{
    noted.store(sig, std::memory_order_relaxed);
}

sigset_t StopSet()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    return set;
}

}  // namespace

void StopSignals::Install()
{
    struct sigaction action {};
    action.sa_handler = Note;
    sigemptyset(&action.sa_mask);
    // Interrupted system calls go on: the transfer's own waits end at their time-outs.
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool StopSignals::Requested()
{
    return noted.load(std::memory_order_relaxed) != 0;
}

int StopSignals::Signal()
{
    return noted.load(std::memory_order_relaxed);
}

StopSignals::BlockedInNewThreads::BlockedInNewThreads()
{
    const sigset_t set = StopSet();
    pthread_sigmask(SIG_BLOCK, &set, &previous_);
}

StopSignals::BlockedInNewThreads::~BlockedInNewThreads()
{
    pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
}
