// Replays the simulator's kept frame corpus (pairs of byte and gap in milliseconds) into the
// controller's logic and prints, per file, what the controller heard, answered and kept.
#include <cstdio>
#include <string>
#include <vector>

#include "ControllerLogic.h"
#include "DumpText.h"

int main(int argc, char** argv)
{
    int unreadable = 0;
    for (int a = 1; a < argc; ++a) {
        const std::string path = argv[a];
        const auto data = dumptext::ReadFile(path);
        if (!data) {
            std::printf("%s unreadable\n", dumptext::BaseName(path).c_str());
            ++unreadable;
            continue;
        }
        ControllerLogic logic(std::chrono::milliseconds(100));
        std::vector<ControllerLogic::Reply> replies;
        ControllerLogic::Clock::time_point now{};
        for (size_t i = 0; i + 1 < data->size(); i += 2) {
            now += std::chrono::milliseconds(static_cast<uint8_t>((*data)[i + 1]));
            const auto byte = static_cast<uint8_t>((*data)[i]);
            logic.Hear(&byte, 1, now, replies);
        }
        logic.Expire(now + std::chrono::seconds(1), replies);

        std::string said;
        for (const auto& r : replies) said += (r.toFrame ? "F" : "I") + dumptext::Hex(r.heard) + ">" + dumptext::Hex(r.bytes) + ";";
        std::printf("%s frames=%zu ignored=%zu replies=%s state=%s\n", dumptext::BaseName(path).c_str(),
                    logic.Transcript().size(), logic.IgnoredBytes().size(), dumptext::Hash(said).c_str(),
                    dumptext::Hash(logic.State().ToText()).c_str());
    }
    return unreadable == 0 ? 0 : 1;
}
