#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The command line of vxrmgr-cli, parsed: a command, its operands and the options.
struct CliOptions {
    static constexpr int kDefaultTimeoutMs = 7000;
    static constexpr int kMaxTimeoutMs = 600000;
    // An operand that stands for standard input (or standard output for convert's OUT).
    static constexpr const char* kStdStream = "-";

    std::string command;                // ports, read, write, show, convert, diff, sheet, history, help, version
    std::vector<std::string> operands;
    std::optional<int> model;           // --model N, 1..5
    int timeoutMs = kDefaultTimeoutMs;  // --timeout MS
    std::string settingsPath;           // --settings INI ("" = the application settings file)
    std::optional<int> language;        // --lang ja|en: 0 Japanese, 1 English (else the locale's)
    bool json = false;                  // --json: show, diff and the history list print JSON
    bool quiet = false;                 // --quiet: read and write show no progress

    // Fills the options; on a usage error returns false with the reason in *error, in the
    // language the command line chose (else defaultLanguage).
    static bool Parse(const std::vector<std::string>& args, CliOptions& options, std::string* error,
                      int defaultLanguage = 1);

    // The language the messages use.
    int Language(int defaultLanguage) const { return language.value_or(defaultLanguage); }

    // A history entry's number as given on the command line (1 and up).
    static std::optional<int64_t> HistoryId(const std::string& text);

    // The help text, Japanese for language 0.
    static std::string Usage(int language = 1);
    static std::string Version();
};
