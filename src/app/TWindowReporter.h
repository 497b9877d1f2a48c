#pragma once
#include <functional>

#include "TransferReporter.h"

class TMainForm;
class TMonForm;

// The window's side of a transfer: the progress window, the message dialog and the editors.
class TWindowReporter : public TransferReporter {
public:
    // succeeded runs before the message of a transfer that succeeded is shown.
    TWindowReporter(TMainForm& form, TMonForm& monForm, std::function<void()> succeeded = {})
        : form_(form), monForm_(monForm), succeeded_(std::move(succeeded))
    {
    }

    void Begin() override;
    void End() override;
    void Pause(int32_t ms) override;
    void StartProgress(int32_t maximum) override;
    void SetLabel(const std::string& text) override;
    void Step() override;
    void HideProgress() override;
    void ShowBank() override;
    void Message(Kind kind, const std::string& text) override;

private:
    TMainForm& form_;
    TMonForm& monForm_;
    std::function<void()> succeeded_;
};
