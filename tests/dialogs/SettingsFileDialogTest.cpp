#include <gtest/gtest.h>

#include <QFileSystemModel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <thread>

#include "TSettingsFileDialog.h"

namespace {

// Ends the test program when the user-interface thread stops turning its event loop: a window
// that has frozen for good cannot be recovered inside the test.
class FreezeWatch {
public:
    FreezeWatch()
    {
        QObject::connect(&beat_, &QTimer::timeout, [this] { ++beats_; });
        beat_.start(20);
        watcher_ = std::thread([this] { Watch(); });
    }
    ~FreezeWatch()
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stop_ = true;
        }
        wake_.notify_all();
        watcher_.join();
    }
    void Stage(const char* what) { stage_ = what; }
    int Beats() const { return beats_; }

private:
    void Watch()
    {
        using Clock = std::chrono::steady_clock;
        int last = beats_;
        auto since = Clock::now();
        std::unique_lock<std::mutex> lock(mutex_);
        while (!wake_.wait_for(lock, std::chrono::milliseconds(100), [this] { return stop_; })) {
            if (beats_ != last) {
                last = beats_;
                since = Clock::now();
            } else if (Clock::now() - since > std::chrono::seconds(30)) {
                std::fprintf(stderr, "The window froze: %s\n", stage_.load());
                std::fflush(stderr);
                std::_Exit(3);
            }
        }
    }

    QTimer beat_;
    std::atomic<int> beats_{0};
    std::atomic<const char*> stage_{"start"};
    std::thread watcher_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stop_ = false;
};

// Lets the dialog work for a while; the event loop must have turned meanwhile.
void Settle(FreezeWatch& watch, const char* what)
{
    watch.Stage(what);
    const int before = watch.Beats();
    QTest::qWait(400);
    EXPECT_GT(watch.Beats(), before) << what;
}

void Type(QFileDialog& dialog, const QString& text)
{
    auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(edit, nullptr);
    edit->clear();
    QTest::keyClicks(edit, text);
}

}  // namespace

// Browsing and typing where reading a file's content would block (a named pipe, /proc/kmsg),
// where every entry is special (/dev, /sys) and in a folder of many files.
TEST(SettingsFileDialog, BrowsingAndTypingNeverStopTheWindow)
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("pipe.VXS"));
    ASSERT_EQ(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    const QString many = dir.filePath(QStringLiteral("many"));
    ASSERT_TRUE(QDir().mkdir(many));
    for (int k = 0; k < 5000; ++k)
        std::ofstream(QStringLiteral("%1/f%2%3").arg(many).arg(k).arg(k % 2 ? ".VXS" : "").toStdString());

    FreezeWatch watch;
    for (const auto mode : {QFileDialog::AcceptOpen, QFileDialog::AcceptSave}) {
        TSettingsFileDialog dialog(nullptr, mode, QString());
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        auto* model = dialog.findChild<QFileSystemModel*>();
        ASSERT_NE(model, nullptr);

        dialog.setDirectory(dir.path());
        Settle(watch, "showing the folder with a named pipe");
        Type(dialog, fifo);
        Settle(watch, "typing the name of a named pipe");
        dialog.selectFile(fifo);
        Settle(watch, "selecting a named pipe");

        for (const char* folder : {"/proc", "/sys/kernel", "/dev"}) {
            dialog.setDirectory(QString::fromLatin1(folder));
            Settle(watch, folder);
        }
        EXPECT_GT(model->rowCount(model->index(QStringLiteral("/dev"))), 0);
        Type(dialog, QStringLiteral("/proc/kmsg"));
        Settle(watch, "typing /proc/kmsg");
        dialog.setDirectory(QStringLiteral("/proc"));
        dialog.selectFile(QStringLiteral("/proc/kmsg"));
        Settle(watch, "selecting /proc/kmsg");

        dialog.setDirectory(many);
        Type(dialog, many + QStringLiteral("/f12"));
        Settle(watch, "a folder of many files");
        dialog.reject();
    }
}

