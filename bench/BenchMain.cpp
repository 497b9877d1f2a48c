// vxr-bench: the transfers against the paced simulator in a process of its own, the tool's CPU
// time meanwhile, vxrmgr-cli read and write timed as whole processes against the same
// simulator, the window's start-up time and idle memory against a bare Qt window, and the
// history's list of 100,000 entries.
// Prints one table. Exit status 1 when something failed to run (or, with --strict, when a
// figure misses its goal).
#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "BenchStats.h"
#include "BuiltPrograms.h"
#include "ChildProcess.h"
#include "HistoryBench.h"
#include "CliTransferRunner.h"
#include "LineFloor.h"
#include "StartupRunner.h"
#include "TransferBench.h"

namespace {

constexpr double kTransferGoal = 1.03;
constexpr double kCliGoal = 1.05;
constexpr double kCpuGoalPercent = 1.0;
constexpr double kStartupGoal = 1.3;
constexpr int kHistoryEntries = 100'000;
constexpr double kHistoryListGoalMs = 1000;
constexpr double kSheetGoalMiB = 200.0;
constexpr int kSheetMemoLines = 20000;

struct Settings {
    int repeats = 5;
    int startupRuns = 7;
    std::vector<std::string> platforms{"offscreen"};
    std::string sim = BuiltPrograms::kSim;
    std::string tool = BuiltPrograms::kBenchTool;
    std::string bare = BuiltPrograms::kBenchBare;
    std::string cli = BuiltPrograms::kCli;
    bool strict = false;
    bool transfers = true;
    bool startup = true;
    bool history = true;
    bool sheet = true;
};

std::vector<std::string> Split(const std::string& text, char separator)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    std::string item;
    while (std::getline(in, item, separator))
        if (!item.empty())
            out.push_back(item);
    return out;
}

void Usage()
{
    std::printf(
        "usage: vxr-bench [--repeats N] [--startup-runs N] [--platforms offscreen,xcb]\n"
        "                 [--only transfers|startup|history|sheet] [--strict] [--sim PATH] [--tool PATH] [--bare PATH]\n"
        "                 [--cli PATH]\n");
}

bool Parse(int argc, char** argv, Settings& s)
{
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (a == "--repeats" && hasValue)
            s.repeats = std::max(1, std::atoi(argv[++i]));
        else if (a == "--startup-runs" && hasValue)
            s.startupRuns = std::max(1, std::atoi(argv[++i]));
        else if (a == "--platforms" && hasValue)
            s.platforms = Split(argv[++i], ',');
        else if (a == "--sim" && hasValue)
            s.sim = argv[++i];
        else if (a == "--tool" && hasValue)
            s.tool = argv[++i];
        else if (a == "--bare" && hasValue)
            s.bare = argv[++i];
        else if (a == "--cli" && hasValue)
            s.cli = argv[++i];
        else if (a == "--only" && hasValue) {
            const std::string what = argv[++i];
            s.transfers = what == "transfers";
            s.startup = what == "startup";
            s.history = what == "history";
            s.sheet = what == "sheet";
        } else if (a == "--strict")
            s.strict = true;
        else
            return false;
    }
    return true;
}

class Table {
public:
    void Row(const std::string& name, const std::string& value, const std::string& goal, bool met,
             const std::string& detail)
    {
        rows_.push_back({name, value, goal, met ? "ok" : "MISSED", detail});
        if (!met)
            ++missed_;
    }
    // A figure without a goal, shown for comparison.
    void Info(const std::string& name, const std::string& value, const std::string& detail)
    {
        rows_.push_back({name, value, "-", "info", detail});
    }
    void Print() const
    {
        std::printf("%-58s %10s %9s %7s  %s\n", "figure (median)", "value", "goal", "result", "detail");
        for (const auto& r : rows_)
            std::printf("%-58s %10s %9s %7s  %s\n", r[0].c_str(), r[1].c_str(), r[2].c_str(), r[3].c_str(),
                        r[4].c_str());
    }
    int Missed() const { return missed_; }

private:
    std::vector<std::array<std::string, 5>> rows_;
    int missed_ = 0;
};

std::string Format(const char* format, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// The transfers in this process, through the real component, as the window runs them.
bool BenchInProcess(const Settings& s, TransferBench& bench, Table& table, std::vector<std::string>& notes)
{
    bench.Open();
    std::string failure;
    // Not counted: the first transfer also pays for the first use of every code path.
    if (!bench.RunOnce(LineFloor::Transfer::ReadAll, &failure)) {
        std::fprintf(stderr, "vxr-bench: warm-up %s\n", failure.c_str());
        return false;
    }

    double cpu = 0.0, wall = 0.0;
    for (const auto transfer : {LineFloor::Transfer::ReadAll, LineFloor::Transfer::WriteAll}) {
        const TransferBench::Figures f = bench.Run(transfer, s.repeats);
        if (!f.failure.empty()) {
            std::fprintf(stderr, "vxr-bench: %s\n", f.failure.c_str());
            return false;
        }
        cpu += f.cpuSeconds;
        wall += f.wallTotal;
        const double floor = LineFloor::Seconds(transfer);
        std::vector<double> ratios;
        for (double w : f.wallSeconds)
            ratios.push_back(w / floor);
        const double median = BenchStats::Median(ratios);
        table.Row(std::string(LineFloor::Name(transfer)) + ", wall time / line floor", Format("%.4f", median),
                  Format("<= %.2f", kTransferGoal), median <= kTransferGoal,
                  Format("median %.3f s", BenchStats::Median(f.wallSeconds)) +
                      Format(", min %.3f s", BenchStats::Min(f.wallSeconds)) +
                      Format(", max %.3f s", BenchStats::Max(f.wallSeconds)) + ", floor " +
                      Format("%.3f s", floor) + ", " + std::to_string(f.wallSeconds.size()) + " runs");
        notes.push_back(std::string("floor, ") + LineFloor::Name(transfer) + ": " + LineFloor::Formula(transfer));
    }
    const double percent = wall > 0.0 ? cpu / wall * 100.0 : 0.0;
    table.Row("tool CPU during the transfers, % of one core", Format("%.3f %%", percent),
              Format("<= %.0f %%", kCpuGoalPercent), percent <= kCpuGoalPercent,
              Format("%.3f s CPU", cpu) + Format(" in %.3f s (getrusage of this process, not the simulator)", wall));
    return true;
}

// vxrmgr-cli read and write as whole processes, as a script runs them: everything the process
// does beyond the line's floor counts against it.
bool BenchCommandLine(const Settings& s, const std::string& device, Table& table, std::vector<std::string>& notes)
{
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "vxr-bench: no temporary folder\n");
        return false;
    }
    const CliTransferRunner cli(s.cli, device, dir.filePath(QStringLiteral("bench.VXS")).toStdString());
    try {
        // Not counted: makes the file that the writes send, and settles the page cache.
        cli.RunOnce(LineFloor::Transfer::ReadAll);
        for (const auto transfer : {LineFloor::Transfer::ReadAll, LineFloor::Transfer::WriteAll}) {
            std::vector<double> walls;
            for (int i = 0; i < s.repeats; ++i)
                walls.push_back(cli.RunOnce(transfer));
            const double floor = LineFloor::Seconds(transfer);
            const double median = BenchStats::Median(walls) / floor;
            const std::string command = transfer == LineFloor::Transfer::ReadAll ? "read" : "write";
            table.Row("vxrmgr-cli " + command + " (process), wall time / " + LineFloor::Name(transfer) + " floor",
                      Format("%.4f", median), Format("<= %.2f", kCliGoal), median <= kCliGoal,
                      Format("median %.3f s", BenchStats::Median(walls)) + Format(", min %.3f s", BenchStats::Min(walls)) +
                          Format(", max %.3f s", BenchStats::Max(walls)) + ", floor " + Format("%.3f s", floor) + ", " +
                          std::to_string(walls.size()) + " runs");
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vxr-bench: %s\n", e.what());
        return false;
    }
    notes.push_back("command line: " + s.cli + " read|write " + device + " FILE, from just before the start to the exit");
    return true;
}

// Returns false when the transfers could not be run.
bool BenchTransfers(const Settings& s, Table& table, std::vector<std::string>& notes)
{
    ChildProcess sim(s.sim, {"--paced"});
    const auto device = sim.ReadLine(std::chrono::seconds(10));
    if (!device || device->empty()) {
        std::fprintf(stderr, "vxr-bench: %s printed no device path\n", s.sim.c_str());
        return false;
    }
    notes.push_back("simulator: " + s.sim + " --paced (pid " + std::to_string(sim.Pid()) + ") on " + *device);

    {
        TransferBench bench(*device, BenchReporter::Pauses::Sleep);
        if (!BenchInProcess(s, bench, table, notes))
            return false;
    }  // the port is released here: the command line opens it next
    return BenchCommandLine(s, *device, table, notes);
}

struct StartupSeries {
    std::vector<double> ms, kib, anonKiB, fileKiB;
    std::string rest;

    void Add(const StartupRunner::Sample& s)
    {
        ms.push_back(s.startupMs);
        kib.push_back(static_cast<double>(s.rssKiB));
        anonKiB.push_back(static_cast<double>(s.rssAnonKiB));
        fileKiB.push_back(static_cast<double>(s.rssFileKiB));
        rest = s.rest;
    }
    std::string Memory(const char* who) const
    {
        return std::string(who) + Format(" %.0f KiB", BenchStats::Median(kib)) +
               Format(" (anon %.0f", BenchStats::Median(anonKiB)) + Format(" + file %.0f)", BenchStats::Median(fileKiB));
    }
};

bool BenchStartup(const Settings& s, Table& table, std::vector<std::string>& notes)
{
    const std::vector<std::string> label{"--label"};
    for (const auto& platform : s.platforms) {
        StartupSeries tool, bare, labelled;
        try {
            // One of each first, not counted: the page cache and the font cache settle.
            StartupRunner::RunOnce(s.bare, platform);
            StartupRunner::RunOnce(s.bare, platform, label);
            StartupRunner::RunOnce(s.tool, platform);
            // Interleaved, so a busy moment of the machine hits all three alike.
            for (int i = 0; i < s.startupRuns; ++i) {
                bare.Add(StartupRunner::RunOnce(s.bare, platform));
                labelled.Add(StartupRunner::RunOnce(s.bare, platform, label));
                tool.Add(StartupRunner::RunOnce(s.tool, platform));
            }
        } catch (const std::exception& e) {
            std::fprintf(stderr, "vxr-bench: %s\n", e.what());
            return false;
        }
        const double t = BenchStats::Median(tool.ms), b = BenchStats::Median(bare.ms);
        const double l = BenchStats::Median(labelled.ms);
        const double tk = BenchStats::Median(tool.kib), bk = BenchStats::Median(bare.kib);
        const double lk = BenchStats::Median(labelled.kib);
        const std::string runs = ", " + std::to_string(s.startupRuns) + " runs each";
        table.Row("start-up to window shown, tool / bare [" + platform + "]", Format("%.3f", t / b),
                  Format("<= %.1f", kStartupGoal), t / b <= kStartupGoal,
                  Format("tool %.1f ms", t) + Format(", bare %.1f ms", b) + runs);
        table.Row("idle RSS after 1 s, tool / bare [" + platform + "]", Format("%.3f", tk / bk),
                  Format("<= %.1f", kStartupGoal), tk / bk <= kStartupGoal,
                  tool.Memory("tool") + ", " + bare.Memory("bare") + runs);
        table.Info("  start-up, tool / bare with a label [" + platform + "]", Format("%.3f", t / l),
                   Format("bare with one label in the tool's font %.1f ms", l));
        table.Info("  idle RSS, tool / bare with a label [" + platform + "]", Format("%.3f", tk / lk),
                   labelled.Memory("bare with one label"));
        notes.push_back("tool start-up [" + platform + "] reported: " + tool.rest);
    }
    return true;
}

// vxrmgr-cli sheet of a settings file whose memo has kSheetMemoLines lines, to PNG: one page
// at a time, so its peak memory must not follow the memo's length.
bool BenchSheet(const Settings& s, Table& table, std::vector<std::string>& notes)
{
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "vxr-bench: no temporary folder\n");
        return false;
    }
    const std::string file = dir.filePath(QStringLiteral("long.VXS")).toStdString();
    {
        std::string text = "[VxrManager]\r\nMDL2_MEMO0=" + std::to_string(kSheetMemoLines) + "\r\n";
        for (int k = 1; k <= kSheetMemoLines; ++k)
            text += "MDL2_MEMO" + std::to_string(k) + "=lap " + std::to_string(k) + ": pinion 21T, tyres warm\r\n";
        std::FILE* f = std::fopen(file.c_str(), "wb");
        if (!f || std::fwrite(text.data(), 1, text.size(), f) != text.size() || std::fclose(f) != 0) {
            std::fprintf(stderr, "vxr-bench: cannot write %s\n", file.c_str());
            return false;
        }
    }
    const std::string out = dir.filePath(QStringLiteral("long.png")).toStdString();
    const auto start = std::chrono::steady_clock::now();
    ChildProcess cli(s.cli, {"sheet", file, out}, {"LC_ALL=C.UTF-8"});
    const int status = cli.Wait(std::chrono::minutes(10));
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (status != 0) {
        std::fprintf(stderr, "vxr-bench: %s sheet failed (status %d)\n", s.cli.c_str(), status);
        return false;
    }
    const int pages = static_cast<int>(QDir(dir.path()).entryList({QStringLiteral("long*.png")}, QDir::Files).size());
    const double mib = static_cast<double>(cli.PeakResidentKiB()) / 1024.0;
    table.Row("vxrmgr-cli sheet, " + std::to_string(kSheetMemoLines) + "-line memo to PNG, peak RSS", Format("%.1f MiB", mib),
              Format("<= %.0f MiB", kSheetGoalMiB), mib <= kSheetGoalMiB,
              std::to_string(pages) + Format(" pages, %.1f s", seconds));
    notes.push_back("sheet: peak RSS is the child's ru_maxrss (wait4), one run");
    return true;
}

}  // namespace

bool BenchHistory(const Settings& s, Table& table, std::vector<std::string>& notes)
{
    QTemporaryDir dir;
    if (!dir.isValid()) {
        notes.push_back("history: no temporary folder");
        return false;
    }
    const auto f = HistoryBench::Run(dir.filePath(QStringLiteral("history")), kHistoryEntries, s.repeats);
    const double list = BenchStats::Median(f.listMs);
    table.Row("history: list 100,000 entries, ms", Format("%.1f", list), Format("<= %.0f", kHistoryListGoalMs),
              list <= kHistoryListGoalMs && f.listed == static_cast<size_t>(kHistoryEntries),
              std::to_string(f.listed) + " listed, warm file cache");
    table.Info("history: add one entry beside 100,000, ms", Format("%.1f", BenchStats::Median(f.addMs)),
               "written, synced, linked, indexed");
    return true;
}

int main(int argc, char** argv)
{
    Settings settings;
    if (!Parse(argc, argv, settings)) {
        Usage();
        return 2;
    }
    // The serial component hands its workers' notifications over in this thread's events.
    QCoreApplication app(argc, argv);

    Table table;
    std::vector<std::string> notes;
    bool ran = true;
    try {
        if (settings.transfers)
            ran = BenchTransfers(settings, table, notes) && ran;
        if (settings.startup)
            ran = BenchStartup(settings, table, notes) && ran;
        if (settings.history)
            ran = BenchHistory(settings, table, notes) && ran;
        if (settings.sheet)
            ran = BenchSheet(settings, table, notes) && ran;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vxr-bench: %s\n", e.what());
        ran = false;
    }

    table.Print();
    for (const auto& n : notes)
        std::printf("  %s\n", n.c_str());
    if (!ran)
        return 1;
    return settings.strict && table.Missed() > 0 ? 1 : 0;
}
