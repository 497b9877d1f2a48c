#pragma once
#include <stdexcept>
#include <string>

// A settings file that cannot be read or written. Callers that do not handle it let it reach
// the application's default report, which shows what() to the user.
class IniFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
