#pragma once
#include <array>
#include <cstdint>

struct ModelSettings;

// The 48 bytes of one model as the controller sends and takes them. Bytes 0..6, 10, 11, 14
// and 15 are the controller's own; the tool only carries them.
using DeviceImage = std::array<uint8_t, 48>;

namespace ImageByte {
constexpr int kSysCur = 6;
constexpr int kModelNumber = 7;
constexpr int kNBRK = 8;
constexpr int kBFREQ = 9;
constexpr int kVLT = 12;
constexpr int kPROG = 13;
constexpr int kEnd = 15;
constexpr int kFirstFRQ = 16;
}  // namespace ImageByte

// 8-bit sum of the 48 bytes.
uint8_t ImageChecksum(const DeviceImage& image);

// A field value as its image byte: the low eight bits.
constexpr uint8_t LowByte(int32_t value) { return static_cast<uint8_t>(value & 0xFF); }

// The image sent by a write of the shown model: what the controller just sent for that model
// with the record's values put in and byte 7 cleared.
DeviceImage ImageForWriteShown(const DeviceImage& asRead, const ModelSettings& model);

// The record's values taken from an image (read of the shown model). The memo stays.
void ApplyImage(const DeviceImage& image, ModelSettings& model);
