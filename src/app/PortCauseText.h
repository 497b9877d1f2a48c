#pragma once
#include <string>

#include "OpenCause.h"

// The line that follows "COMn dose not exist": what Linux said about the device and what the
// user can do about it. Empty when nothing is known.
class PortCauseText {
public:
    static std::string Line(const OpenCause& cause, int language);
};
