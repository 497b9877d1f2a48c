#include "ControllerLogic.h"

#include <algorithm>

ControllerLogic::ControllerLogic(Clock::duration frameTimeout, ControllerState state)
    : assembler_(frameTimeout), state_(std::move(state))
{
}

void ControllerLogic::Hear(const uint8_t* data, size_t size, Clock::time_point now, std::vector<Reply>& out)
{
    std::vector<FrameAssembler::Event> events;
    for (size_t i = 0; i < size; ++i) assembler_.Feed(data[i], now, events);
    Handle(events, now, out);
}

void ControllerLogic::Expire(Clock::time_point now, std::vector<Reply>& out)
{
    std::vector<FrameAssembler::Event> events;
    assembler_.Expire(now, events);
    Handle(events, now, out);
}

void ControllerLogic::Handle(std::vector<FrameAssembler::Event>& events, Clock::time_point now,
                             std::vector<Reply>& out)
{
    for (auto& event : events) {
        if (event.isFrame) {
            out.push_back(AnswerFrame(std::move(event.bytes), now));
            continue;
        }
        ignored_.insert(ignored_.end(), event.bytes.begin(), event.bytes.end());
        // The line echoes whatever is sent on it.
        Reply reply;
        reply.bytes = event.bytes;
        reply.heard = std::move(event.bytes);
        reply.notBefore = now;
        out.push_back(std::move(reply));
    }
}

ControllerLogic::Reply ControllerLogic::AnswerFrame(Bytes frame, Clock::time_point now)
{
    Reply reply;
    reply.toFrame = true;
    reply.notBefore = now;
    transcript_.push_back(frame);

    bool silent = false, refuse = false, badChecksum = false;
    std::optional<size_t> keep;
    Bytes stray;
    for (auto it = faults_.begin(); it != faults_.end();) {
        if (it->command != kAnyCommand && it->command != frame[0]) {
            ++it;
            continue;
        }
        switch (it->kind) {
        case FaultKind::Silence: silent = true; break;
        case FaultKind::Short: keep = keep ? std::min(*keep, it->count) : it->count; break;
        case FaultKind::BadChecksum: badChecksum = true; break;
        case FaultKind::Refuse: refuse = true; break;
        case FaultKind::Stray: stray.insert(stray.end(), it->bytes.begin(), it->bytes.end()); break;
        case FaultKind::Delay: reply.notBefore = std::max(reply.notBefore, now + it->delay); break;
        case FaultKind::HangUp: reply.hangUpAt = std::min(reply.hangUpAt, it->count); break;
        }
        it = it->persistent ? it + 1 : faults_.erase(it);
    }
    // A silenced frame still pulls the plug if asked to, only without a byte first.
    if (!silent) {
        Bytes answer = Answer(frame, refuse, badChecksum);
        if (keep && *keep < answer.size()) answer.resize(*keep);
        reply.bytes = std::move(stray);
        reply.bytes.insert(reply.bytes.end(), answer.begin(), answer.end());
    }
    reply.heard = std::move(frame);
    return reply;
}

ControllerLogic::Bytes ControllerLogic::Answer(const Bytes& frame, bool refuse, bool badChecksum)
{
    Bytes reply = frame;  // the echo
    const uint8_t command = frame[0];
    if (command == kReadModelNumber) {
        reply.push_back(state_.ModelNumber());
        reply.push_back(state_.ModelNumber());
    } else if (command == kWriteModelNumber) {
        const bool accept = !refuse && frame[1] == frame[2];
        if (accept) state_.SetModelNumber(frame[1]);
        reply.push_back(accept ? kAck : kRefusal);
    } else if (command >= kReadModel && command < kReadModel + ControllerState::kModels) {
        const Image& image = state_.ImageOf(command - kReadModel);
        reply.insert(reply.end(), image.begin(), image.end());
        const uint8_t sum = ControllerState::Checksum(image);
        reply.push_back(badChecksum ? static_cast<uint8_t>(sum + 1) : sum);
    } else if (command >= kWriteModel && command < kWriteModel + ControllerState::kModels) {
        Image image;
        std::copy(frame.begin() + 1, frame.begin() + 1 + ControllerState::kImageSize, image.begin());
        const bool accept = !refuse && ControllerState::Checksum(image) == frame.back();
        if (accept) state_.SetImage(command - kWriteModel, image);
        reply.push_back(accept ? kAck : kRefusal);
    }
    return reply;
}

void ControllerLogic::ClearTranscript()
{
    transcript_.clear();
    ignored_.clear();
}

// --- faults ----------------------------------------------------------------------------------

void ControllerLogic::AddFault(FaultKind kind, int command, Shots shots, size_t count, Clock::duration delay,
                               Bytes bytes)
{
    faults_.push_back({kind, command, shots == Shots::Always, count, delay, std::move(bytes)});
}

void ControllerLogic::SilenceAfter(int command, Shots shots) { AddFault(FaultKind::Silence, command, shots); }

void ControllerLogic::ShortReply(int command, size_t keep, Shots shots)
{
    AddFault(FaultKind::Short, command, shots, keep);
}

void ControllerLogic::BadChecksum(int model, Shots shots) { AddFault(FaultKind::BadChecksum, kReadModel + model, shots); }

void ControllerLogic::RefuseWrite(int model, Shots shots) { AddFault(FaultKind::Refuse, kWriteModel + model, shots); }

void ControllerLogic::RefuseModelNumberWrite(Shots shots) { AddFault(FaultKind::Refuse, kWriteModelNumber, shots); }

void ControllerLogic::StrayBytes(int command, Bytes stray, Shots shots)
{
    AddFault(FaultKind::Stray, command, shots, 0, {}, std::move(stray));
}

void ControllerLogic::DelayReply(int command, std::chrono::milliseconds delay, Shots shots)
{
    AddFault(FaultKind::Delay, command, shots, 0, delay);
}

void ControllerLogic::HangUpDuring(int command, size_t afterBytes)
{
    AddFault(FaultKind::HangUp, command, Shots::Once, afterBytes);
}
