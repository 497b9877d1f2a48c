#pragma once
#include <string>
#include <vector>

// Why a serial device could not be opened, as far as Linux tells: the error of the failed step
// and what it points at (the group that owns the device, the programs that hold it). It travels
// beside the component's fixed message so that the port selection can say what to do about it.
struct OpenCause {
    enum class Kind {
        Unknown,           // nothing known beyond the failure itself
        Unassigned,        // the port number names no device
        NoDevice,          // the path is not there (unplugged, or a number without hardware)
        PermissionDenied,  // see access
        Busy,              // another program has it open exclusively or locked
        NotSerial,         // the path is not a terminal
        Other,             // any other error: error holds it
    };
    // What would grant the access that was denied.
    enum class Access {
        JoinGroup,   // the user is not in the group that owns the device
        LogInAgain,  // the user was added to that group after this session began
        RootOnly,    // the owning group has no read and write access, or is root's own
    };
    struct Holder {
        std::string program;
        int pid = 0;
    };

    Kind kind = Kind::Unknown;
    int error = 0;       // errno of the failed step; 0 when unknown
    std::string device;  // the path that was to be opened
    Access access = Access::JoinGroup;
    std::string group;             // PermissionDenied: the group that owns the device
    std::vector<Holder> holders;   // Busy: programs with the device open, where /proc shows them

    static OpenCause Unassigned();
    // Sorts the error and looks at the device and at the processes holding it (procDir is the
    // proc file system; tests may point it elsewhere).
    static OpenCause Diagnose(const std::string& device, int error, const std::string& procDir = "/proc");
    // The programs that have the device open, by the open descriptors /proc lets us see.
    static std::vector<Holder> Holders(const std::string& device, const std::string& procDir = "/proc");
};
