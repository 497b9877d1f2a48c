#pragma once
#include <string>

#include "TransferReporter.h"

// A front end that does nothing but what a transfer's timing depends on: its pauses sleep as
// the window's do (or are skipped, for the soak), and the outcome is kept for checking.
class BenchReporter : public TransferReporter {
public:
    enum class Pauses { Sleep, Skip };

    explicit BenchReporter(Pauses pauses) : pauses_(pauses) {}

    void Begin() override {}
    void End() override {}
    void Pause(int32_t ms) override;
    void StartProgress(int32_t maximum) override;
    void SetLabel(const std::string&) override {}
    void Step() override { ++steps_; }
    void HideProgress() override {}
    void ShowBank() override {}
    void Message(Kind kind, const std::string& text) override;

    // Clears what the last transfer left; call before each one.
    void Reset();

    int32_t PausedMs() const { return pausedMs_; }
    int32_t Steps() const { return steps_; }
    int32_t Maximum() const { return maximum_; }
    Kind LastKind() const { return lastKind_; }
    const std::string& LastText() const { return lastText_; }

private:
    Pauses pauses_;
    int32_t pausedMs_ = 0;
    int32_t steps_ = 0;
    int32_t maximum_ = 0;
    Kind lastKind_ = Kind::Information;
    std::string lastText_;
};
