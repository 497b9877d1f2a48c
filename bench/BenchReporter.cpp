#include "BenchReporter.h"

#include <chrono>
#include <thread>

void BenchReporter::Pause(int32_t ms)
{
    pausedMs_ += ms;
    if (pauses_ == Pauses::Sleep && ms > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void BenchReporter::Reset()
{
    pausedMs_ = 0;
    steps_ = 0;
    maximum_ = 0;
    lastKind_ = Kind::Information;
    lastText_.clear();
}

void BenchReporter::StartProgress(int32_t maximum)
{
    maximum_ = maximum;
    steps_ = 0;
}

void BenchReporter::Message(Kind kind, const std::string& text)
{
    lastKind_ = kind;
    lastText_ = text;
}
