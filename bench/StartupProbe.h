#pragma once
#include <QObject>

#include <cstdint>
#include <string>

class QWidget;

// Times a window program's start-up from a moment its parent took just before starting it
// (CLOCK_MONOTONIC) to the first exposure of the window, painted; then, after the program has
// been idle for a while, reads its resident memory, prints one result line and quits:
//   startup_ms=<ms> rss_kib=<KiB> rss_anon_kib=<KiB> rss_file_kib=<KiB>[ <extra>]
// Installed on the application before the window is shown.
class StartupProbe : public QObject {
public:
    StartupProbe(QWidget& window, int64_t startNs, int idleMs, std::string extra = {});

    // The start moment from the first program argument ("0" or none: this process's own start,
    // to 10 ms only).
    static int64_t StartFromArguments(int argc, char** argv);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Shown();
    void Report();

    QWidget& window_;
    int64_t startNs_;
    int idleMs_;
    std::string extra_;
    bool exposed_ = false;
    int64_t shownNs_ = 0;
};
