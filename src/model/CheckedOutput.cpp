#include "CheckedOutput.h"

#include <cerrno>
#include <cstring>

void CheckedOutput::Write(const std::string& text)
{
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), stream_) != text.size() && error_ == 0)
        error_ = errno != 0 ? errno : EIO;
}

int CheckedOutput::Finish()
{
    errno = 0;
    if (std::fflush(stream_) == 0 && !std::ferror(stream_))
        return 0;
    // A text longer than the stream's buffer failed while it was written: that cause, since the
    // flush only finds the stream failed.
    if (error_ == 0)
        error_ = errno != 0 ? errno : EIO;
    return error_;
}

int CheckedOutput::PrintOrSay(const std::string& text, const std::string& program, const std::string& what)
{
    CheckedOutput out(stdout);
    out.Write(text);
    if (const int error = out.Finish(); error != 0) {
        std::fprintf(stderr, "%s: %s: %s\n", program.c_str(), what.c_str(), std::strerror(error));
        return 1;
    }
    return 0;
}
