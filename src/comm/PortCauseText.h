#pragma once
#include <string>

#include "OpenCause.h"

// Why a port could not be opened, as one line in the user's language: what Linux said about the
// device and what the user can do about it. The window shows it under "COMn dose not exist",
// the command line under its own error. Empty when nothing is known.
class PortCauseText {
public:
    static std::string Line(const OpenCause& cause, int language);
};
