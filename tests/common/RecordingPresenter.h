#pragma once
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "MessageDialog.h"

// Answers message dialogs from a queue and records every request; installed for its lifetime.
// With no answer queued it answers the first button (as pressing Enter would).
class RecordingPresenter : public MessagePresenter {
public:
    RecordingPresenter() { previous_ = SetMessagePresenter(this); }
    ~RecordingPresenter() override { SetMessagePresenter(previous_); }

    int32_t Present(const MessageRequest& request) override
    {
        requests.push_back(request);
        if (onPresent)
            onPresent(request);
        if (!answers.empty()) {
            const int32_t a = answers.front();
            answers.pop_front();
            return a;
        }
        switch (request.buttons) {
        case DialogButtons::AbortRetryIgnore: return DialogResult::Abort;
        case DialogButtons::RetryCancel: return DialogResult::Retry;
        case DialogButtons::YesNo:
        case DialogButtons::YesNoCancel: return DialogResult::Yes;
        default: return DialogResult::Ok;
        }
    }

    // The texts of the requests so far, in order.
    std::vector<std::string> Texts() const
    {
        std::vector<std::string> t;
        for (const auto& r : requests)
            t.push_back(r.text);
        return t;
    }

    std::vector<MessageRequest> requests;
    std::deque<int32_t> answers;
    std::function<void(const MessageRequest&)> onPresent;  // e.g. to look at the window while asked

private:
    MessagePresenter* previous_ = nullptr;
};
