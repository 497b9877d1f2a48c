#pragma once
#include <utility>

#include "IniFileError.h"

// A file that holds something, but not the settings section: a picture or any other text.
// Loading it changes nothing; the window says so in its own words.
class NotSettingsFileError : public IniFileError {
public:
    explicit NotSettingsFileError(std::string path)
        : IniFileError(Action::Read, std::move(path), Reason::NotSettingsFile)
    {
    }
};
