#pragma once
#include <array>
#include <cstdint>

#include "DeviceImage.h"

struct ModelBank;

// Staging copy of all five models as the controller last sent them, for whole-bank transfers.
// Starts zeroed; only meaningful after a read of all models.
struct DeviceBank {
    static constexpr int kModels = 5;
    static constexpr int kHeaderBytes = 7;   // image bytes 0..6 of MODEL1
    static constexpr int kSettingBytes = 7;  // image bytes 8..14
    static constexpr int kFrqBytes = 32;     // image bytes 16..47

    struct Model {
        std::array<uint8_t, kSettingBytes> SettingBytes{};
        std::array<uint8_t, kFrqBytes> FRQ{};
        bool operator==(const Model&) const = default;
    };

    std::array<uint8_t, kHeaderBytes> header{};
    int32_t modelNumber = 0;
    std::array<Model, kModels> models{};

    // Takes a complete read: the header from MODEL1's image, the settings and curve of each.
    void Fill(const std::array<DeviceImage, kModels>& images, int32_t readModelNumber);

    // The image that a write of all models sends for model i.
    DeviceImage ImageForWriteAll(int i) const;

    // Before a write of all models: the edited values go in, the controller's bytes stay.
    void BankToStaging(const ModelBank& bank);
    // After a read of all models: SYS_CUR, ModelNumber and every record's values from here.
    void StagingToBank(ModelBank& bank) const;

    bool operator==(const DeviceBank&) const = default;
};
