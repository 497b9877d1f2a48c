#pragma once
#include <array>
#include <cstdint>
#include <set>
#include <string>

#include "DeviceImage.h"

// The controller's side of the protocol, with faults to order, as a responder for ScriptedComm.
struct FakeController {
    std::array<DeviceImage, 5> images{};
    uint8_t modelNumber = 0;

    std::set<int> silentModels;     // ReadModel of these gets no reply
    std::set<int> corruptModels;    // ReadModel of these gets a wrong checksum
    std::set<int> refusedWrites;    // WriteModel of these ends in 0x15
    bool refuseModelNumber = false;
    int writtenModelNumber = -1;    // last model number taken, -1 for none
    std::array<bool, 5> written{};

    FakeController()
    {
        for (size_t i = 0; i < images.size(); ++i)
            for (size_t b = 0; b < images[i].size(); ++b)
                images[i][b] = static_cast<uint8_t>(0x11 * (i + 1) + b);
    }

    std::string operator()(const std::string& frame)
    {
        const auto cmd = static_cast<uint8_t>(frame.at(0));
        std::string reply = frame;  // the line echoes the frame first
        if (cmd == 0xD6) {
            reply += static_cast<char>(modelNumber);
            reply += static_cast<char>(modelNumber);
        } else if (cmd == 0xE6) {
            if (!refuseModelNumber)
                writtenModelNumber = static_cast<uint8_t>(frame.at(1));
            reply += static_cast<char>(refuseModelNumber ? 0x15 : 0x06);
        } else if (cmd >= 0xD1 && cmd <= 0xD5) {
            const int i = cmd - 0xD1;
            if (silentModels.count(i))
                return {};
            const DeviceImage& image = images[static_cast<size_t>(i)];
            for (uint8_t b : image)
                reply += static_cast<char>(b);
            uint8_t sum = ImageChecksum(image);
            if (corruptModels.count(i))
                ++sum;
            reply += static_cast<char>(sum);
        } else if (cmd >= 0xE1 && cmd <= 0xE5) {
            const int i = cmd - 0xE1;
            const bool refuse = refusedWrites.count(i) > 0;
            if (!refuse && frame.size() == 50) {
                for (size_t b = 0; b < 48; ++b)
                    images[static_cast<size_t>(i)][b] = static_cast<uint8_t>(frame[1 + b]);
                written[static_cast<size_t>(i)] = true;
            }
            reply += static_cast<char>(refuse ? 0x15 : 0x06);
        } else {
            return {};
        }
        return reply;
    }
};
