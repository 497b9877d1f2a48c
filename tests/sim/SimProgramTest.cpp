#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <thread>

#include "BuiltPrograms.h"
#include "ControllerSimulator.h"
#include "ControllerStateFile.h"
#include "SimCommandLine.h"
#include "SlavePort.h"

extern char** environ;

namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<uint8_t>;
using Kind = SimCommandLine::FaultOption::Kind;

std::optional<SimCommandLine> Parse(std::vector<std::string> args, std::string* error = nullptr)
{
    return SimCommandLine::Parse(args, error);
}

TEST(SimCommandLineTest, PlainOptions)
{
    const auto line = Parse({"--paced", "--state", "s.txt", "--transcript=t.txt", "--link", "/tmp/ttyVXR",
                             "--model-number", "0x50", "--frame-timeout", "250"});
    ASSERT_TRUE(line);
    EXPECT_TRUE(line->paced);
    EXPECT_FALSE(line->help);
    EXPECT_EQ(line->statePath, "s.txt");
    EXPECT_EQ(line->transcriptPath, "t.txt");
    EXPECT_EQ(line->linkPath, "/tmp/ttyVXR");
    EXPECT_EQ(line->modelNumber, 80);
    EXPECT_EQ(line->frameTimeout, 250ms);
    EXPECT_TRUE(line->faults.empty());

    const auto defaults = Parse({});
    ASSERT_TRUE(defaults);
    EXPECT_FALSE(defaults->paced);
    EXPECT_FALSE(defaults->modelNumber);
    EXPECT_TRUE(Parse({"-h"})->help);
}

TEST(SimCommandLineTest, FaultOptions)
{
    const auto line = Parse({"--silence-after", "any", "--short-reply", "D1:49,once", "--bad-checksum", "3",
                             "--refuse-write", "5", "--refuse-write=number", "--stray", "0xD6:55AA",
                             "--delay", "e6:8000", "--hang-up", "D2:10"});
    ASSERT_TRUE(line);
    ASSERT_EQ(line->faults.size(), 8u);
    const auto& f = line->faults;
    EXPECT_EQ(f[0].kind, Kind::Silence);
    EXPECT_EQ(f[0].command, ControllerSimulator::kAnyCommand);
    EXPECT_FALSE(f[0].once);
    EXPECT_EQ(f[1].kind, Kind::Short);
    EXPECT_EQ(f[1].command, 0xD1);
    EXPECT_EQ(f[1].count, 49u);
    EXPECT_TRUE(f[1].once);
    EXPECT_EQ(f[2].kind, Kind::BadChecksum);
    EXPECT_EQ(f[2].model, 2);  // the user counts from MODEL1
    EXPECT_EQ(f[3].kind, Kind::RefuseWrite);
    EXPECT_EQ(f[3].model, 4);
    EXPECT_EQ(f[4].kind, Kind::RefuseModelNumber);
    EXPECT_EQ(f[5].kind, Kind::Stray);
    EXPECT_EQ(f[5].command, 0xD6);
    EXPECT_EQ(f[5].bytes, (Bytes{0x55, 0xAA}));
    EXPECT_EQ(f[6].kind, Kind::Delay);
    EXPECT_EQ(f[6].command, 0xE6);
    EXPECT_EQ(f[6].delay, 8000ms);
    EXPECT_EQ(f[7].kind, Kind::HangUp);
    EXPECT_EQ(f[7].count, 10u);
    EXPECT_TRUE(f[7].once);
}

TEST(SimCommandLineTest, BadOptionsAreRefusedWithAReason)
{
    const std::vector<std::vector<std::string>> bad = {
        {"--bogus"},
        {"--state"},
        {"--state="},
        {"--paced=yes"},
        {"--model-number", "256"},
        {"--model-number", "eighty"},
        {"--frame-timeout", "0"},
        {"--bad-checksum", "0"},
        {"--bad-checksum", "6"},
        {"--refuse-write", "numbers"},
        {"--silence-after", "D"},
        {"--silence-after", "D1D2"},
        {"--short-reply", "D1"},
        {"--short-reply", "D1:x"},
        {"--stray", "D6:"},
        {"--delay", ":10"},
    };
    for (const auto& args : bad) {
        SCOPED_TRACE(args.front() + (args.size() > 1 ? " " + args[1] : ""));
        std::string error;
        EXPECT_FALSE(Parse(args, &error));
        EXPECT_FALSE(error.empty());
    }
}

TEST(SimCommandLineTest, AppliedFaultsReachTheController)
{
    const auto line = Parse({"--refuse-write", "number", "--bad-checksum", "2,once"});
    ASSERT_TRUE(line);
    ControllerSimulator sim;
    line->ApplyFaults(sim);
    SlavePort port(sim.DevicePath());
    EXPECT_EQ(port.Exchange({0xE6, 0x28, 0x28}, 4).back(), 0x15);
    EXPECT_EQ(port.Exchange({0xE6, 0x28, 0x28}, 4).back(), 0x15);  // persistent

    const auto checksumOk = [&] {
        const Bytes reply = port.Exchange({0xD2}, 50);
        unsigned sum = 0;
        for (size_t k = 1; k <= 48; ++k) sum += reply.at(k);
        return reply.at(49) == (sum & 0xFF);
    };
    EXPECT_FALSE(checksumOk());
    EXPECT_TRUE(checksumOk());  // once
}

// The program itself, started as a user would.
class SimProgramTest : public ::testing::Test {
protected:
    pid_t pid = -1;
    FILE* out = nullptr;
    std::string dir;

    void SetUp() override
    {
        dir = ::testing::TempDir() + "/vxr_sim_prog_" + std::to_string(::getpid());
        ::mkdir(dir.c_str(), 0700);
    }

    void TearDown() override
    {
        if (pid > 0) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
        if (out) std::fclose(out);
        std::remove((dir + "/state.txt").c_str());
        std::remove((dir + "/link").c_str());
        ::rmdir(dir.c_str());
    }

    // Starts the program with its standard output on a pipe; returns its first line.
    std::string Start(const std::vector<std::string>& args)
    {
        int fds[2];
        if (::pipe(fds) != 0) return {};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        std::vector<std::string> all = {BuiltPrograms::kSim};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (auto& a : all) argv.push_back(a.data());
        argv.push_back(nullptr);
        const int rc = posix_spawn(&pid, BuiltPrograms::kSim, &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(fds[1]);
        if (rc != 0) {
            pid = -1;
            ::close(fds[0]);
            return {};
        }
        out = ::fdopen(fds[0], "r");
        char buffer[512] = {};
        if (!std::fgets(buffer, sizeof buffer, out)) return {};
        std::string lineText = buffer;
        if (!lineText.empty() && lineText.back() == '\n') lineText.pop_back();
        return lineText;
    }

    int StopWith(int sig)
    {
        ::kill(pid, sig);
        int status = 0;
        ::waitpid(pid, &status, 0);
        pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
};

TEST_F(SimProgramTest, AnswersOnThePrintedDeviceAndSavesItsStateOnTermination)
{
    const std::string state = dir + "/state.txt";
    const std::string device = Start({"--model-number", "80", "--state", state, "--refuse-write", "1"});
    ASSERT_EQ(device.rfind("/dev/pts/", 0), 0u) << device;
    {
        SlavePort port(device);
        EXPECT_EQ(port.Exchange({0xD6}, 3), (Bytes{0xD6, 0x50, 0x50}));
        EXPECT_EQ(port.Exchange({0xE6, 0x78, 0x78}, 4), (Bytes{0xE6, 0x78, 0x78, 0x06}));
        ControllerState::Image image;
        image.fill(0x21);
        Bytes frame(50, 0xE1);
        std::copy(image.begin(), image.end(), frame.begin() + 1);
        frame[49] = ControllerState::Checksum(image);
        EXPECT_EQ(port.Exchange(frame, 51).back(), 0x15);  // refused as asked
    }
    EXPECT_EQ(StopWith(SIGTERM), 0);

    ControllerState saved;
    ASSERT_TRUE(ControllerStateFile::Load(saved, state));
    EXPECT_EQ(saved.ModelNumber(), 120);
    EXPECT_EQ(saved.ImageOf(0), ControllerState::FactoryImage(0));

    // The next run starts from the saved state.
    const std::string again = Start({"--state", state});
    SlavePort port(again);
    EXPECT_EQ(port.Exchange({0xD6}, 3), (Bytes{0xD6, 0x78, 0x78}));
    EXPECT_EQ(StopWith(SIGINT), 0);
}

TEST_F(SimProgramTest, LinkPointsAtTheDeviceWhileRunning)
{
    const std::string link = dir + "/link";
    const std::string device = Start({"--link", link});
    ASSERT_FALSE(device.empty());
    char target[256] = {};
    ASSERT_GT(::readlink(link.c_str(), target, sizeof target - 1), 0);
    EXPECT_EQ(std::string(target), device);
    {
        SlavePort port(link);
        EXPECT_EQ(port.Exchange({0xD6}, 3).size(), 3u);
    }
    EXPECT_EQ(StopWith(SIGTERM), 0);
    struct stat st {};
    EXPECT_NE(::lstat(link.c_str(), &st), 0);
}

TEST_F(SimProgramTest, HelpVersionAndBadOptions)
{
    int status = 0;
    for (const auto& [option, first] : std::vector<std::pair<std::string, std::string>>{
             {"--help", "Usage: vxr-sim"}, {"--version", "vxr-sim " VXR_VERSION}}) {
        const std::string line = Start({option});
        EXPECT_EQ(line.rfind(first, 0), 0u) << line;
        ::waitpid(pid, &status, 0);
        pid = -1;
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        std::fclose(out);
        out = nullptr;
    }

    // Help that cannot be written is said and fails.
    FILE* full = ::popen((std::string(BuiltPrograms::kSim) + " --help 2>&1 >/dev/full").c_str(), "r");
    ASSERT_NE(full, nullptr);
    char said[200] = {};
    const size_t n = std::fread(said, 1, sizeof said - 1, full);
    EXPECT_EQ(std::string(said, n), "vxr-sim: standard output: No space left on device\n");
    status = ::pclose(full);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1);

    EXPECT_EQ(Start({"--bad-checksum", "9"}), "");
    ::waitpid(pid, &status, 0);
    pid = -1;
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2);
}

}  // namespace
