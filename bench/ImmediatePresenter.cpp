#include "ImmediatePresenter.h"

ImmediatePresenter::ImmediatePresenter()
{
    previous_ = SetMessagePresenter(this);
}

ImmediatePresenter::~ImmediatePresenter()
{
    SetMessagePresenter(previous_);
}

int32_t ImmediatePresenter::Present(const MessageRequest& request)
{
    texts_.push_back(request.text);
    switch (request.buttons) {
    case DialogButtons::AbortRetryIgnore: return DialogResult::Abort;
    case DialogButtons::RetryCancel: return DialogResult::Retry;
    case DialogButtons::YesNo:
    case DialogButtons::YesNoCancel: return DialogResult::Yes;
    default: return DialogResult::Ok;
    }
}
