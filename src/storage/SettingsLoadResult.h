#pragma once
#include <cstdint>
#include <string>

#include "IniFileError.h"

#include "ModelBank.h"

// What loading a settings file's bytes gave, without exceptions (the browser build cannot
// catch them): the bank, or why the file was refused.
struct SettingsLoadResult {
    enum class Status {
        Loaded,
        // The file holds something, but not the settings section: a picture or any other text.
        NotSettingsFile,
        // Beyond the bounds of a settings file, or its bank could not be saved again.
        Unreadable,
    };

    Status status = Status::Unreadable;
    ModelBank bank;       // the loaded bank when Loaded; otherwise the bank given, unchanged
    std::string message;  // when refused: "Cannot read file <name>: <why>" (IniFileError's what())
    IniFileError::Reason reason = IniFileError::Reason::Other;  // when refused, as IniFileError holds it
    int64_t limit = 0;
    // Characters of the file that could not be read and became U+FFFD (damaged bytes): the
    // user is told, as a memo may have lost text.
    size_t replaced = 0;

    bool Loaded() const { return status == Status::Loaded; }
};
