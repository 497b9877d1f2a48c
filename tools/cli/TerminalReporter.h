#pragma once
#include <cstdio>
#include <string>

#include "TransferReporter.h"

// Progress of a transfer as one line on stderr rewritten in place, the step (as the window's
// progress window labels it) and a percentage; only when stderr is a terminal and not quiet, so
// scripts and logs see the result and nothing else. The final message is kept for the caller.
class TerminalReporter : public TransferReporter {
public:
    explicit TerminalReporter(std::FILE* out = stderr, int language = 1, bool quiet = false);

    void Begin() override {}
    void End() override {}
    void Pause(int32_t ms) override;
    void StartProgress(int32_t maximum) override;
    void SetLabel(const std::string& text) override;
    void Step() override;
    void HideProgress() override;
    void ShowBank() override {}
    void Message(Kind kind, const std::string& text) override;

    Kind LastKind() const { return kind_; }
    const std::string& LastMessage() const { return message_; }

private:
    void Draw();

    std::FILE* out_;
    int language_;
    bool live_;
    int32_t position_ = 0;
    int32_t maximum_ = 0;
    std::string label_;
    Kind kind_ = Kind::Information;
    std::string message_;
};
