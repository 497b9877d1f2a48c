#include "StartupProbe.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "ProcessProbe.h"

StartupProbe::StartupProbe(QWidget& window, int64_t startNs, int idleMs, std::string extra)
    : window_(window), startNs_(startNs), idleMs_(idleMs), extra_(std::move(extra))
{
    // On the application: the exposure may come inside show(), before the window handle could
    // be watched on its own.
    QCoreApplication::instance()->installEventFilter(this);
}

int64_t StartupProbe::StartFromArguments(int argc, char** argv)
{
    if (argc > 1) {
        const long long given = std::atoll(argv[1]);
        if (given > 0)
            return given;
    }
    // Field 22 of /proc/self/stat: the start in clock ticks since boot, which CLOCK_BOOTTIME
    // counts too; turned into the monotonic clock through the difference of the two now.
    std::ifstream in("/proc/self/stat");
    std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t close = stat.rfind(')');
    std::istringstream fields(close == std::string::npos ? std::string() : stat.substr(close + 2));
    std::string field;
    long long ticks = 0;
    for (int i = 3; i <= 22 && fields >> field; ++i)
        if (i == 22)
            ticks = std::atoll(field.c_str());
    timespec boot{}, mono{};
    clock_gettime(CLOCK_BOOTTIME, &boot);
    clock_gettime(CLOCK_MONOTONIC, &mono);
    const int64_t bootNs = static_cast<int64_t>(boot.tv_sec) * 1'000'000'000 + boot.tv_nsec;
    const int64_t monoNs = static_cast<int64_t>(mono.tv_sec) * 1'000'000'000 + mono.tv_nsec;
    const int64_t startedBootNs = ticks * (1'000'000'000 / sysconf(_SC_CLK_TCK));
    return monoNs - (bootNs - startedBootNs);
}

bool StartupProbe::eventFilter(QObject* watched, QEvent* event)
{
    if (!exposed_ && event->type() == QEvent::Expose && watched == window_.windowHandle() &&
        window_.windowHandle()->isExposed()) {
        exposed_ = true;
        // Runs once the exposure has been handled, which includes the first paint.
        QTimer::singleShot(0, this, [this] { Shown(); });
    }
    return false;
}

void StartupProbe::Shown()
{
    shownNs_ = ProcessProbe::MonotonicNs();
    QCoreApplication::instance()->removeEventFilter(this);
    QTimer::singleShot(idleMs_, this, [this] { Report(); });
}

void StartupProbe::Report()
{
    const double ms = static_cast<double>(shownNs_ - startNs_) / 1e6;
    // One reading, so the parts add up to the whole.
    const std::string status = ProcessProbe::StatusText();
    const auto field = [&status](const char* name) {
        return static_cast<long long>(ProcessProbe::ParseStatusKiB(status, name));
    };
    std::printf("startup_ms=%.3f rss_kib=%lld rss_anon_kib=%lld rss_file_kib=%lld%s%s\n", ms, field("VmRSS"),
                field("RssAnon"), field("RssFile"), extra_.empty() ? "" : " ", extra_.c_str());
    std::fflush(stdout);
    QCoreApplication::exit(0);
}
