#pragma once
#include <optional>
#include <string>
#include <vector>

// The command line of vxrmgr-cli, parsed: a command, its operands and the options.
struct CliOptions {
    static constexpr int kDefaultTimeoutMs = 7000;

    std::string command;                // ports, read, write, show, convert, diff, sheet, help
    std::vector<std::string> operands;
    std::optional<int> model;           // --model N, 1..5
    int timeoutMs = kDefaultTimeoutMs;  // --timeout MS
    std::string settingsPath;           // --settings INI ("" = the application settings file)
    std::optional<int> language;        // --lang ja|en for sheet: 0 Japanese, 1 English (else the locale's)
    bool json = false;                  // --json: show prints the bank as JSON

    // Fills the options; on a usage error returns false with the reason in *error.
    static bool Parse(const std::vector<std::string>& args, CliOptions& options, std::string* error);

    static std::string Usage();
};
