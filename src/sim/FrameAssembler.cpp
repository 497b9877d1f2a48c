#include "FrameAssembler.h"

size_t FrameAssembler::FrameLength(uint8_t command)
{
    if (command >= 0xD1 && command <= 0xD6) return 1;  // read model i, read model number
    if (command >= 0xE1 && command <= 0xE5) return 50; // write model i: command, 48 bytes, sum
    if (command == 0xE6) return 3;                     // write model number: command, n, n
    return 0;
}

void FrameAssembler::Feed(uint8_t byte, Clock::time_point now, std::vector<Event>& out)
{
    Expire(now, out);
    if (partial_.empty()) {
        expected_ = FrameLength(byte);
        if (expected_ == 0) {
            out.push_back({false, {byte}});
            return;
        }
    }
    partial_.push_back(byte);
    lastByte_ = now;
    if (partial_.size() == expected_) {
        out.push_back({true, std::move(partial_)});
        partial_.clear();
        expected_ = 0;
    }
}

std::optional<FrameAssembler::Clock::time_point> FrameAssembler::Deadline() const
{
    if (partial_.empty()) return std::nullopt;
    return lastByte_ + frameTimeout_;
}

void FrameAssembler::Expire(Clock::time_point now, std::vector<Event>& out)
{
    if (partial_.empty() || now - lastByte_ <= frameTimeout_) return;
    out.push_back({false, std::move(partial_)});
    partial_.clear();
    expected_ = 0;
}
