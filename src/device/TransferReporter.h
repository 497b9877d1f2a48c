#pragma once
#include <cstdint>
#include <string>

// What a transfer needs from its front end: the window (progress window, message dialog,
// editors), the command line (a terminal progress line) or a test recorder.
class TransferReporter {
public:
    // Message kinds as the message dialog numbers them; the button set is always OK.
    enum class Kind : uint8_t { Information = 1, Error = 3 };

    virtual ~TransferReporter() = default;

    // The transfer starts: an edit in progress commits first, and nothing else can start until
    // End. End comes on every path, success or failure, after the final message.
    virtual void Begin() = 0;
    virtual void End() = 0;
    // A blocking pause; the window sleeps, tests only record it.
    virtual void Pause(int32_t ms) = 0;
    // Bar at 0 with the given maximum, label empty, progress shown.
    virtual void StartProgress(int32_t maximum) = 0;
    virtual void SetLabel(const std::string& text) = 0;
    // Bar + 1.
    virtual void Step() = 0;
    virtual void HideProgress() = 0;
    // Puts the bank into the editors (ShowModel) and clears the curve selection.
    virtual void ShowBank() = 0;
    virtual void Message(Kind kind, const std::string& text) = 0;
};
