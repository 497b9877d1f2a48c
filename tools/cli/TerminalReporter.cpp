#include "TerminalReporter.h"

#include <unistd.h>

#include <chrono>
#include <thread>

#include "CliText.h"

TerminalReporter::TerminalReporter(std::FILE* out, int language, bool quiet)
    : out_(out), language_(language), live_(!quiet && isatty(fileno(out)) == 1)
{
}

void TerminalReporter::Pause(int32_t ms)
{
    // The controller gets the same pauses as from the window.
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void TerminalReporter::StartProgress(int32_t maximum)
{
    position_ = 0;
    maximum_ = maximum;
    label_.clear();
    Draw();
}

void TerminalReporter::SetLabel(const std::string& text)
{
    label_ = text;
    Draw();
}

void TerminalReporter::Step()
{
    ++position_;
    Draw();
}

void TerminalReporter::HideProgress()
{
    if (!live_)
        return;
    std::fputs("\r\033[K", out_);
    std::fflush(out_);
}

void TerminalReporter::Message(Kind kind, const std::string& text)
{
    kind_ = kind;
    message_ = text;
}

void TerminalReporter::Draw()
{
    if (!live_)
        return;
    const int percent = maximum_ > 0 ? position_ * 100 / maximum_ : 0;
    const std::string line = CliText::Get(CliText::kProgress, language_, {label_, std::to_string(percent)});
    std::fprintf(out_, "\r\033[K%s", line.c_str());
    std::fflush(out_);
}
