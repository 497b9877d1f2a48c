#include "SimulatedLine.h"

#include <algorithm>
#include <cstring>

SimulatedLine::SimulatedLine(ControllerLogic& controller, int32_t receiveTimeOutMs)
    : controller_(controller), receiveTimeOutMs_(receiveTimeOutMs)
{
}

bool SimulatedLine::Send(const std::string& bytes)
{
    if (dead_) return false;
    std::vector<ControllerLogic::Reply> replies;
    controller_.Hear(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), now_, replies);
    Queue(replies);
    return true;
}

int32_t SimulatedLine::Receive(char* buffer, int32_t count, int32_t timeoutMs)
{
    const auto wanted = static_cast<size_t>(std::max(count, 0));
    const Clock::time_point deadline = now_ + std::chrono::milliseconds(std::max(timeoutMs, 0));
    for (;;) {
        if (received_.size() >= wanted) break;
        if (dead_) {
            // What came before the hang-up is lost with the port, as on the desktop.
            received_.clear();
            return kFailed;
        }
        Clock::time_point at;
        if (!NextEvent(deadline, at)) {
            now_ = std::max(now_, deadline);
            break;
        }
        Step(at);
    }
    const size_t n = std::min(wanted, received_.size());
    std::memcpy(buffer, received_.data(), n);
    received_.erase(0, n);
    return static_cast<int32_t>(n);
}

void SimulatedLine::Queue(std::vector<ControllerLogic::Reply>& replies)
{
    for (auto& reply : replies) {
        if (reply.bytes.empty() && reply.hangUpAt == ControllerLogic::kNoHangUp) continue;
        Clock::time_point at = reply.notBefore;
        if (!arrivals_.empty()) at = std::max(at, arrivals_.back().at);
        arrivals_.push_back({std::move(reply.bytes), at, reply.hangUpAt});
    }
}

bool SimulatedLine::NextEvent(Clock::time_point limit, Clock::time_point& at) const
{
    bool any = false;
    if (!arrivals_.empty()) {
        at = arrivals_.front().at;
        any = true;
    }
    // The controller abandons a partial frame only once the gap is longer than its time-out.
    if (const auto deadline = controller_.Deadline()) {
        const Clock::time_point abandon = *deadline + Clock::duration(1);
        if (!any || abandon < at) at = abandon;
        any = true;
    }
    return any && at <= limit;
}

void SimulatedLine::Step(Clock::time_point at)
{
    now_ = std::max(now_, at);
    std::vector<ControllerLogic::Reply> replies;
    controller_.Expire(now_, replies);
    Queue(replies);
    while (!arrivals_.empty() && arrivals_.front().at <= now_) {
        Arrival& head = arrivals_.front();
        if (head.hangUpAt != ControllerLogic::kNoHangUp) {
            const size_t kept = std::min(head.bytes.size(), head.hangUpAt);
            received_.append(head.bytes.begin(), head.bytes.begin() + static_cast<std::ptrdiff_t>(kept));
            dead_ = true;
            arrivals_.clear();
            return;
        }
        received_.append(head.bytes.begin(), head.bytes.end());
        arrivals_.pop_front();
    }
}

void SimulatedLine::RunUntil(Clock::time_point limit)
{
    Clock::time_point at;
    while (!dead_ && NextEvent(limit, at)) Step(at);
    now_ = std::max(now_, limit);
}
