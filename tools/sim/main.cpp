// vxr-sim: a speed controller on a pseudo-terminal, for trying the tool without one.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "CheckedOutput.h"
#include "ControllerSimulator.h"
#include "ControllerStateFile.h"
#include "SimCommandLine.h"

namespace {

bool FileExists(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

// Replaces an existing symbolic link, never a real file.
bool MakeLink(const std::string& target, const std::string& link, std::string& error)
{
    struct stat st {};
    if (::lstat(link.c_str(), &st) == 0) {
        if (!S_ISLNK(st.st_mode)) {
            error = link + " exists and is not a symbolic link";
            return false;
        }
        ::unlink(link.c_str());
    }
    if (::symlink(target.c_str(), link.c_str()) != 0) {
        error = link + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string error;
    const auto line = SimCommandLine::Parse(std::vector<std::string>(argv + 1, argv + argc), &error);
    if (!line) {
        std::cerr << "vxr-sim: " << error << "\nTry 'vxr-sim --help'.\n";
        return 2;
    }
    if (line->help || line->version) {
        // Output that cannot be written is said and fails, as vxrmgr-cli's does.
        const std::string text = line->help ? SimCommandLine::Usage() : std::string("vxr-sim " VXR_VERSION "\n");
        return CheckedOutput::PrintOrSay(text, "vxr-sim", "standard output");
    }

    // The signals are taken by sigtimedwait below; blocked before the simulator's thread starts
    // so that thread inherits the mask and never receives them.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    ControllerSimulator::Options options;
    options.paced = line->paced;
    options.frameTimeout = line->frameTimeout;
    options.transcriptPath = line->transcriptPath;
    if (!line->statePath.empty() && FileExists(line->statePath) && !ControllerStateFile::Load(options.state, line->statePath, &error)) {
        std::cerr << "vxr-sim: " << error << "\n";
        return 1;
    }
    if (line->modelNumber) options.state.SetModelNumber(*line->modelNumber);

    std::optional<ControllerSimulator> simulator;
    try {
        simulator.emplace(options);
    } catch (const std::exception& e) {
        std::cerr << "vxr-sim: " << e.what() << "\n";
        return 1;
    }
    line->ApplyFaults(*simulator);
    if (!line->linkPath.empty() && !MakeLink(simulator->DevicePath(), line->linkPath, error)) {
        std::cerr << "vxr-sim: " << error << "\n";
        return 1;
    }

    std::cout << simulator->DevicePath() << std::endl;
    std::cerr << "vxr-sim: controller on " << simulator->DevicePath()
              << (line->paced ? " at 1200 bit/s" : "") << "; stop with Ctrl+C\n";

    // Woken once a second only to notice a hang-up fault, after which nothing is left to run.
    int status = 0;
    for (;;) {
        const timespec second{1, 0};
        const int sig = sigtimedwait(&signals, nullptr, &second);
        if (sig > 0) break;
        if (simulator->HungUp()) {
            std::cerr << "vxr-sim: hung up as asked\n";
            break;
        }
    }
    simulator->Stop();

    if (!line->linkPath.empty()) ::unlink(line->linkPath.c_str());
    if (!line->statePath.empty() && !simulator->SaveState(line->statePath, &error)) {
        std::cerr << "vxr-sim: " << error << "\n";
        status = 1;
    }
    return status;
}
