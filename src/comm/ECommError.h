#pragma once
#include <stdexcept>

// Failure to open or configure a serial port; what() is the fixed Japanese text (UTF-8).
class ECommError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
