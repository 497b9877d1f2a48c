// The simulator's frame cutter loses and invents nothing: every byte comes out again, in order,
// either in a complete frame of the right length or as ignored.
#include <cstdlib>
#include <vector>

#include "FrameAssembler.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Each input byte is followed by a gap byte: over 100 the frame time-out passes before it.
    using Clock = FrameAssembler::Clock;
    FrameAssembler assembler(std::chrono::milliseconds(100));
    std::vector<FrameAssembler::Event> events;
    std::vector<uint8_t> fed;
    Clock::time_point now{};
    for (size_t i = 0; i + 1 < size; i += 2) {
        now += std::chrono::milliseconds(data[i + 1]);
        assembler.Feed(data[i], now, events);
        fed.push_back(data[i]);
    }
    assembler.Expire(now + std::chrono::seconds(1), events);
    if (assembler.Collecting()) std::abort();

    std::vector<uint8_t> out;
    for (const auto& e : events) {
        if (e.bytes.empty()) std::abort();
        if (e.isFrame && e.bytes.size() != FrameAssembler::FrameLength(e.bytes[0])) std::abort();
        out.insert(out.end(), e.bytes.begin(), e.bytes.end());
    }
    if (out != fed) std::abort();
    return 0;
}
