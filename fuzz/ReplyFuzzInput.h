#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

// Layout of one controller-reply fuzz input, shared by the target and the seed generator:
//   byte 0  the command: 0 read model number, 1 write model number, 2 read model, 3 write model
//   byte 1  its argument: the model index (taken mod 5) or the model number
//   byte 2  the largest piece one read hands out, 0 for all at once
//   rest    what the controller sends back
struct ReplyFuzzInput {
    enum Op : uint8_t { kReadModelNumber, kWriteModelNumber, kReadModel, kWriteModel, kOps };

    Op op = kReadModelNumber;
    uint8_t argument = 0;
    uint8_t piece = 0;
    std::string reply;

    static bool Parse(const uint8_t* data, size_t size, ReplyFuzzInput& out)
    {
        if (size < 3) return false;
        out.op = static_cast<Op>(data[0] % kOps);
        out.argument = data[1];
        out.piece = data[2];
        out.reply.assign(reinterpret_cast<const char*>(data) + 3, size - 3);
        return true;
    }

    std::string Serialise() const
    {
        std::string s;
        s += static_cast<char>(op);
        s += static_cast<char>(argument);
        s += static_cast<char>(piece);
        return s + reply;
    }

    // The image a write-model input sends: fixed, so the frame the tool sends can be checked.
    static std::array<uint8_t, 48> WriteImage(int model)
    {
        std::array<uint8_t, 48> image{};
        for (size_t k = 0; k < image.size(); ++k) image[k] = static_cast<uint8_t>(k * 13 + model * 40 + 7);
        return image;
    }
};
