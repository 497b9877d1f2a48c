#include "ControllerStateFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace {

void SetError(std::string* error, const std::string& text)
{
    if (error) *error = text;
}

}  // namespace

bool ControllerStateFile::Save(const ControllerState& state, const std::string& path, std::string* error)
{
    const std::string text = state.ToText();
    std::string tmp = path + ".XXXXXX";
    const int fd = mkstemp(tmp.data());
    if (fd < 0) {
        SetError(error, path + ": " + std::strerror(errno));
        return false;
    }
    size_t done = 0;
    int failure = 0;  // errno of the first failing step
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            failure = n < 0 ? errno : EIO;
            break;
        }
        done += static_cast<size_t>(n);
    }
    if (!failure && ::fsync(fd) != 0) failure = errno;
    if (::close(fd) != 0 && !failure) failure = errno;
    if (!failure && ::rename(tmp.c_str(), path.c_str()) != 0) failure = errno;
    if (failure) {
        SetError(error, path + ": " + std::strerror(failure));
        ::unlink(tmp.c_str());
        return false;
    }
    return true;
}

bool ControllerStateFile::Load(ControllerState& state, const std::string& path, std::string* error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        SetError(error, path + ": " + std::strerror(errno));
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) {
        SetError(error, path + ": read error");
        return false;
    }
    std::string reason;
    if (!state.FromText(text.str(), &reason)) {
        SetError(error, path + ": " + reason);
        return false;
    }
    return true;
}
