#pragma once
#include <QByteArray>

#include <cstdio>
#include <map>
#include <optional>
#include <string>

#include "CheckedOutput.h"
#include "CliOptions.h"
#include "CliText.h"
#include "TransferHistory.h"
#include "TransferResult.h"

struct ModelBank;

// The commands of vxrmgr-cli over the same transfers, files and port table as the window.
// Each returns the exit status: 0 success, 1 failure, 2 usage (diff: 1 when the files differ).
class CliTool {
public:
    static constexpr int kOk = 0;
    static constexpr int kFailed = 1;
    static constexpr int kUsage = 2;

    // defaultLanguage: the messages' language unless --lang chose one.
    CliTool(CliOptions options, int defaultLanguage, std::FILE* out = stdout, std::FILE* err = stderr,
            std::FILE* in = stdin);

    int Run();

private:
    int Dispatch();
    int Ports();
    int Read();
    int Write();
    int Show();
    int Convert();
    int Diff();
    int Sheet();
    // history [--json], history export ID FILE, history name ID TEXT, history delete ID.
    int History();

    std::string Text(CliText::Id id, const std::vector<std::string>& values = {}) const;
    // How an operand is named in messages ("-" is standard input).
    std::string NameOf(const std::string& operand) const;
    // Why a path cannot be read as an input file; "" for a regular file.
    std::string InputProblem(const std::string& path) const;
    // Why a file cannot be written at path, as far as can be told without writing it.
    std::string WhyNotWritable(const std::string& path) const;
    // Loads a settings file that must exist, or standard input for "-"; false with a message.
    bool LoadInput(const std::string& operand, ModelBank& bank);
    // Why a file could not be read or written, in the chosen language: the reason of a file
    // error (the message names the file already), else the error's own text.
    std::string ReasonOf(const std::exception& e) const;
    // Saves the bank; "" when saved, else why not.
    std::string SaveTo(const std::string& path, const ModelBank& bank);
    // The devices pinned to COM numbers by the application settings: kOk, or the exit status
    // after a message.
    int LoadPins(std::map<int, std::string>& pins);

    // Opens PORT (its device found with pins) and runs the transfer. ran is false when it could
    // not start (reported); message is the transfer's final text.
    enum class Transfer { ReadAll, ReadShown, WriteAll, WriteShown };
    struct Outcome {
        bool ran = false;
        TransferResult result;
        std::string message;
        bool interrupted = false;  // stopped by Ctrl-C or SIGTERM
    };
    // Keeps in the history what a transfer read or wrote, and what a write replaced; a
    // history that cannot be written is reported without failing the transfer.
    void KeepInHistory(const TransferHistory::Transfer& transfer);
    Outcome RunTransfer(Transfer kind, ModelBank& bank, const std::map<int, std::string>& pins);
    // Reports a failed transfer; the exit status.
    int ReportFailure(const Outcome& t);
    void Error(const std::string& text);
    // Writes to standard output, keeping the cause of the first failure.
    void Print(const std::string& text);
    // Standard output must have taken everything: a full disk or a closed pipe is a failure.
    int FinishOutput(int status);

    CliOptions options_;
    int language_;
    std::FILE* out_;
    std::FILE* err_;
    std::FILE* in_;
    CheckedOutput output_;
};
