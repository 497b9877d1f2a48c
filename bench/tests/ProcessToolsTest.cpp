#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <unistd.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <stdexcept>

#include "BuiltPrograms.h"
#include "ChildProcess.h"
#include "CliTransferRunner.h"
#include "ControllerSimulator.h"
#include "ProcessProbe.h"
#include "StartupRunner.h"

namespace {

using namespace std::chrono_literals;

TEST(ProcessProbe, ReadsTheNamedStatusFieldOnly)
{
    const std::string status = "Name:\tx\nVmRSSPeak:\t9 kB\nVmRSS:\t   22420 kB\nRssAnon:\t2812 kB\nRssFile:\t19608 kB\n";
    EXPECT_EQ(ProcessProbe::ParseStatusKiB(status, "VmRSS"), 22420);
    EXPECT_EQ(ProcessProbe::ParseStatusKiB(status, "RssAnon"), 2812);
    EXPECT_EQ(ProcessProbe::ParseStatusKiB(status, "RssShmem"), -1);
    EXPECT_EQ(ProcessProbe::ParseStatusKiB("VmRSS:\t5 kB\n", "VmRSS"), 5);  // first line
    EXPECT_EQ(ProcessProbe::ParseStatusKiB("VmRSS:\tmany kB\n", "VmRSS"), -1);
    EXPECT_EQ(ProcessProbe::ParseStatusKiB("VmRSS:\t5 pages\n", "VmRSS"), -1);
}

TEST(ProcessProbe, ResidentMemoryFollowsPagesTouched)
{
    const int64_t before = ProcessProbe::ResidentKiB();
    ASSERT_GT(before, 0);
    constexpr size_t kBytes = 32u << 20;
    std::unique_ptr<char[]> block(new char[kBytes]);
    std::memset(block.get(), 1, kBytes);
    const int64_t after = ProcessProbe::ResidentKiB();
    EXPECT_GE(after - before, 24 * 1024) << before << " -> " << after;
    EXPECT_EQ(block[kBytes - 1], 1);
}

TEST(ProcessProbe, CpuTimeGrowsWithWorkButNotWithSleep)
{
    const double start = ProcessProbe::CpuSeconds();
    const auto t0 = std::chrono::steady_clock::now();
    volatile uint64_t sink = 0;
    while (ProcessProbe::CpuSeconds() - start < 0.05 && std::chrono::steady_clock::now() - t0 < 20s)
        for (int i = 0; i < 100000; ++i)
            sink = sink + static_cast<uint64_t>(i);
    EXPECT_GE(ProcessProbe::CpuSeconds() - start, 0.05);

    const double beforeSleep = ProcessProbe::CpuSeconds();
    usleep(300000);
    EXPECT_LT(ProcessProbe::CpuSeconds() - beforeSleep, 0.2);
}

TEST(ChildProcess, HandsOverLinesEnvironmentAndExitStatus)
{
    ChildProcess child("/bin/sh", {"-c", "echo first; echo \"$VXR_PROBE\"; printf tail; exit 3"}, {"VXR_PROBE=seen"});
    EXPECT_EQ(child.ReadLine(5s).value_or("<none>"), "first");
    EXPECT_EQ(child.ReadLine(5s).value_or("<none>"), "seen");
    EXPECT_FALSE(child.ReadLine(5s).has_value());  // no line end before the output ends
    EXPECT_EQ(child.Wait(5s), 3);
}

TEST(ChildProcess, TerminateEndsALongRunningChildAsAnOrderlyStop)
{
    ChildProcess child("/bin/sleep", {"60"});
    EXPECT_FALSE(child.ReadLine(50ms).has_value());
    child.Terminate();
    EXPECT_EQ(child.Wait(10s), 0);
}

TEST(ChildProcess, PeakMemoryIsTheChildsOwnOnceItHasEnded)
{
    ChildProcess small("/bin/sh", {"-c", "exit 0"});
    EXPECT_EQ(small.PeakResidentKiB(), -1);  // not known while it may still run
    ASSERT_EQ(small.Wait(10s), 0);
    // A shell holding 40 MB of text at once, then letting it go before it ends.
    ChildProcess large("/bin/bash", {"-c", "x=$(head -c 40000000 /dev/zero | tr '\\0' a); x=; exit 0"});
    ASSERT_EQ(large.Wait(60s), 0);
    // The start of a child may count some of the parent's pages: compare the two children.
    EXPECT_GT(small.PeakResidentKiB(), 0);
    EXPECT_GT(large.PeakResidentKiB(), small.PeakResidentKiB() + 30000);
}

TEST(ChildProcess, AMissingProgramIsReported)
{
    EXPECT_THROW(ChildProcess("/nonexistent/vxr-nothing", {}), std::runtime_error);
}

TEST(ChildProcess, TheSimulatorProgramNamesItsDeviceFirst)
{
    ChildProcess sim(BuiltPrograms::kSim, {"--paced"});
    const auto device = sim.ReadLine(10s);
    ASSERT_TRUE(device.has_value());
    EXPECT_EQ(device->rfind("/dev/pts/", 0), 0u) << *device;
    EXPECT_EQ(access(device->c_str(), R_OK | W_OK), 0) << *device;
    sim.Terminate();
    EXPECT_EQ(sim.Wait(10s), 0);
}

TEST(StartupRunner, ParsesResultLinesAndRefusesIncompleteOnes)
{
    StartupRunner::Sample s;
    ASSERT_TRUE(StartupRunner::ParseResult(
        "startup_ms=41.5 rss_kib=32000 rss_anon_kib=5000 rss_file_kib=27000 widgets=12 messages=No Connection", s));
    EXPECT_DOUBLE_EQ(s.startupMs, 41.5);
    EXPECT_EQ(s.rssKiB, 32000);
    EXPECT_EQ(s.rssAnonKiB, 5000);
    EXPECT_EQ(s.rssFileKiB, 27000);
    EXPECT_EQ(s.rest, "widgets=12 messages=No Connection");

    StartupRunner::Sample untouched;
    untouched.rssKiB = 7;
    EXPECT_FALSE(StartupRunner::ParseResult("startup_ms=41.5", untouched));
    EXPECT_FALSE(StartupRunner::ParseResult("startup_ms=abc rss_kib=10", untouched));
    EXPECT_FALSE(StartupRunner::ParseResult("startup_ms=1 rss_kib=-1", untouched));
    EXPECT_EQ(untouched.rssKiB, 7);
}

// The window programs themselves: each reports a start-up time and its memory, and the tool's
// window starts without opening a port.
TEST(StartupRunner, BothWindowProgramsReportAndTheToolOpensNoPort)
{
    const StartupRunner::Sample bare = StartupRunner::RunOnce(BuiltPrograms::kBenchBare, "offscreen");
    EXPECT_GT(bare.startupMs, 0.0);
    EXPECT_GT(bare.rssKiB, 1000);
    EXPECT_GT(bare.rssAnonKiB, 0);
    EXPECT_GT(bare.rssFileKiB, 0);
    EXPECT_GE(bare.rssKiB, bare.rssAnonKiB + bare.rssFileKiB);

    const StartupRunner::Sample tool = StartupRunner::RunOnce(BuiltPrograms::kBenchTool, "offscreen");
    EXPECT_GT(tool.startupMs, 0.0);
    EXPECT_GT(tool.rssKiB, bare.rssKiB);
    EXPECT_NE(tool.rest.find("messages=No Connection"), std::string::npos) << tool.rest;
}

// The command line as the benchmark times it: a run counts only when it ends in success.
TEST(CliTransferRunner, TimesSuccessfulRunsAndRefusesFailedOnes)
{
    ControllerSimulator sim;
    QTemporaryDir dir;
    const std::string file = dir.filePath(QStringLiteral("b.VXS")).toStdString();
    const CliTransferRunner cli(BuiltPrograms::kCli, sim.DevicePath(), file);
    EXPECT_EQ(cli.Arguments(LineFloor::Transfer::WriteAll), (std::vector<std::string>{"write", sim.DevicePath(), file}));

    EXPECT_GT(cli.RunOnce(LineFloor::Transfer::ReadAll), 0.0);
    EXPECT_EQ(access(file.c_str(), R_OK), 0);
    EXPECT_GT(cli.RunOnce(LineFloor::Transfer::WriteAll), 0.0);
    EXPECT_EQ(sim.Transcript().back()[0], 0xE6);

    const CliTransferRunner noDevice(BuiltPrograms::kCli, dir.filePath(QStringLiteral("no-device")).toStdString(), file);
    EXPECT_THROW(noDevice.RunOnce(LineFloor::Transfer::ReadAll), std::runtime_error);
}

}  // namespace
