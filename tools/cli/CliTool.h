#pragma once
#include <cstdio>
#include <string>

#include "CliOptions.h"

struct ModelBank;

// The commands of vxrmgr-cli over the same transfers, files and port table as the window.
// Each returns the exit status: 0 success, 1 failure, 2 usage (diff: 1 when the files differ).
class CliTool {
public:
    static constexpr int kOk = 0;
    static constexpr int kFailed = 1;
    static constexpr int kUsage = 2;

    explicit CliTool(CliOptions options, std::FILE* out = stdout, std::FILE* err = stderr);

    int Run();

private:
    int Ports();
    int Read();
    int Write();
    int Show();
    int Convert();
    int Diff();
    int Sheet();

    // Loads a settings file that must exist; false with a message on stderr.
    bool LoadExisting(const std::string& path, ModelBank& bank);
    bool SaveTo(const std::string& path, const ModelBank& bank);
    // Opens PORT, runs the transfer, prints the outcome; the exit status.
    enum class Transfer { ReadAll, ReadShown, WriteAll, WriteShown };
    int RunTransfer(Transfer kind, ModelBank& bank);
    void Error(const std::string& text);

    CliOptions options_;
    std::FILE* out_;
    std::FILE* err_;
};
