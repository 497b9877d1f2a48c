#pragma once
#include <cstdio>
#include <map>
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
    // Saves the bank; "" when saved, else why not.
    std::string SaveTo(const std::string& path, const ModelBank& bank);
    // The devices pinned to COM numbers by the application settings; false with a message.
    bool LoadPins(std::map<int, std::string>& pins);
    // Opens PORT and runs the transfer; the exit status. A failure is reported on stderr; on
    // success the success text goes to *said and is not printed yet.
    enum class Transfer { ReadAll, ReadShown, WriteAll, WriteShown };
    int RunTransfer(Transfer kind, ModelBank& bank, std::string& said);
    void Error(const std::string& text);

    CliOptions options_;
    std::FILE* out_;
    std::FILE* err_;
};
