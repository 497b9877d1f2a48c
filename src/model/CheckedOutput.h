#pragma once
#include <cstdio>
#include <string>

// Text for a stream that must take all of it: help or a report into a full disk or a closed
// pipe is a failure the program says and exits non-zero on, never a silent loss.
class CheckedOutput {
public:
    explicit CheckedOutput(std::FILE* stream) : stream_(stream) {}

    void Write(const std::string& text);
    // Flushes: 0 when the stream took everything, else the errno of the first failure.
    int Finish();

    // Prints text on standard output; when it is not all taken, says on standard error
    // "PROGRAM: WHAT: the system's reason" and returns 1, else returns 0.
    static int PrintOrSay(const std::string& text, const std::string& program, const std::string& what);

private:
    std::FILE* stream_;
    int error_ = 0;
};
