#pragma once
#include <stdexcept>
#include <utility>

#include "OpenCause.h"

// Failure to open or configure a serial port; what() is the fixed Japanese text (UTF-8).
// A failure to open the device also carries what Linux said about it.
class ECommError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
    ECommError(const char* message, OpenCause cause) : std::runtime_error(message), FCause(std::move(cause)) {}

    const OpenCause& Cause() const { return FCause; }

private:
    OpenCause FCause;
};
