#pragma once
#include <string>

#include "ECommError.h"
#include "TCommX.h"

// The message Open throws, or "(no error)".
inline std::string OpenError(TCommX& comm)
{
    try {
        comm.Open();
    } catch (const ECommError& e) {
        return e.what();
    }
    return "(no error)";
}

// What a failed Open said about its cause (kind Unknown when Open succeeded).
inline OpenCause OpenFailureCause(TCommX& comm)
{
    try {
        comm.Open();
    } catch (const ECommError& e) {
        return e.Cause();
    }
    return {};
}
