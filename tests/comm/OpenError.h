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
