#include "OpenCause.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// More names than fit a message line help nobody.
constexpr size_t kMaxHolders = 4;

bool AllDigits(const std::string& s)
{
    return !s.empty() && s.size() < 10 &&
           std::all_of(s.begin(), s.end(), [](unsigned char c) { return std::isdigit(c); });
}

bool InSessionGroups(gid_t gid)
{
    if (::getegid() == gid)
        return true;
    const int n = ::getgroups(0, nullptr);
    if (n <= 0)
        return false;
    std::vector<gid_t> groups(static_cast<size_t>(n));
    const int got = ::getgroups(n, groups.data());
    return got > 0 && std::find(groups.begin(), groups.begin() + got, gid) != groups.begin() + got;
}

// Whether the user database puts the user in the group (which a session only picks up when it
// begins).
bool InUserDatabaseGroups(gid_t gid)
{
    const passwd* pw = ::getpwuid(::geteuid());
    if (!pw)
        return false;
    const std::string name = pw->pw_name;
    const gid_t primary = pw->pw_gid;
    if (primary == gid)
        return true;
    int n = 64;
    std::vector<gid_t> groups(static_cast<size_t>(n));
    if (::getgrouplist(name.c_str(), primary, groups.data(), &n) < 0) {
        groups.resize(static_cast<size_t>(n));
        if (::getgrouplist(name.c_str(), primary, groups.data(), &n) < 0)
            return false;
    }
    return std::find(groups.begin(), groups.begin() + n, gid) != groups.begin() + n;
}

// Fills in who may open the device; false when the device cannot be looked at.
bool ExplainAccess(OpenCause& cause)
{
    struct stat st {};
    if (::stat(cause.device.c_str(), &st) != 0)
        return false;
    const group* g = ::getgrgid(st.st_gid);
    cause.group = g ? g->gr_name : std::to_string(st.st_gid);
    const bool groupMayUse = (st.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
    if (st.st_gid == 0 || !groupMayUse) {
        cause.access = OpenCause::Access::RootOnly;
        return true;
    }
    if (!InSessionGroups(st.st_gid)) {
        cause.access = InUserDatabaseGroups(st.st_gid) ? OpenCause::Access::LogInAgain : OpenCause::Access::JoinGroup;
        return true;
    }
    // Already in the group and still refused: something else decides (an ACL, a security
    // module); the plain error says as much as is known.
    return false;
}

std::string ProgramName(const fs::path& procPid)
{
    std::ifstream comm(procPid / "comm");
    std::string name;
    std::getline(comm, name);
    return name;
}

}  // namespace

OpenCause OpenCause::Unassigned()
{
    OpenCause cause;
    cause.kind = Kind::Unassigned;
    return cause;
}

OpenCause OpenCause::Diagnose(const std::string& device, int error, const std::string& procDir)
{
    OpenCause cause;
    cause.device = device;
    cause.error = error;
    switch (error) {
    case 0:
        cause.kind = Kind::Unknown;
        break;
    case ENOENT:
    case ENODEV:
    case ENXIO:
        cause.kind = Kind::NoDevice;
        break;
    case EACCES:
    case EPERM:
        cause.kind = ExplainAccess(cause) ? Kind::PermissionDenied : Kind::Other;
        break;
    case EBUSY:
    case EWOULDBLOCK:  // the lock another program holds
        cause.kind = Kind::Busy;
        cause.holders = Holders(device, procDir);
        break;
    case ENOTTY:
        cause.kind = Kind::NotSerial;
        break;
    default:
        cause.kind = Kind::Other;
        break;
    }
    return cause;
}

std::vector<OpenCause::Holder> OpenCause::Holders(const std::string& device, const std::string& procDir)
{
    std::error_code ec;
    fs::path target = fs::canonical(device, ec);
    if (ec)
        target = device;
    std::vector<Holder> holders;
    // Only the descriptors of processes we may look into are seen; links are read, never
    // followed, so nothing here can block on the device or on a slow file system.
    for (fs::directory_iterator it(procDir, ec), end; !ec && it != end && holders.size() < kMaxHolders; it.increment(ec)) {
        const std::string pid = it->path().filename().string();
        if (!AllDigits(pid))
            continue;
        std::error_code fdEc;
        for (fs::directory_iterator fd(it->path() / "fd", fdEc), fdEnd; !fdEc && fd != fdEnd; fd.increment(fdEc)) {
            std::error_code linkEc;
            if (fs::read_symlink(fd->path(), linkEc) == target && !linkEc) {
                holders.push_back({ProgramName(it->path()), std::stoi(pid)});
                break;
            }
        }
    }
    return holders;
}
