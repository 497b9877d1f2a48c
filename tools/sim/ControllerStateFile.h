#pragma once
#include <string>

#include "ControllerState.h"

// The controller state in a text file, for vxr-sim's --state.
class ControllerStateFile {
public:
    // Written to a temporary file beside the target and renamed over it, so a failed save keeps
    // the old file.
    static bool Save(const ControllerState& state, const std::string& path, std::string* error = nullptr);
    // All or nothing, as ControllerState::FromText.
    static bool Load(ControllerState& state, const std::string& path, std::string* error = nullptr);
};
