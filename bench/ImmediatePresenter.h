#pragma once
#include <string>
#include <vector>

#include "MessageDialog.h"

// Answers every message box at once with its first button, as Enter would, and keeps the
// texts, so a timed start-up never waits on a modal box.
class ImmediatePresenter : public MessagePresenter {
public:
    ImmediatePresenter();
    ~ImmediatePresenter() override;

    int32_t Present(const MessageRequest& request) override;

    const std::vector<std::string>& Texts() const { return texts_; }

private:
    MessagePresenter* previous_ = nullptr;
    std::vector<std::string> texts_;
};
