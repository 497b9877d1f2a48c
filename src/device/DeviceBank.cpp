#include "DeviceBank.h"

#include "ModelBank.h"

namespace {
// Positions inside SettingBytes of the values the record holds; 2, 3 and 6 are the controller's.
constexpr size_t kSetNBRK = 0;
constexpr size_t kSetBFREQ = 1;
constexpr size_t kSetVLT = 4;
constexpr size_t kSetPROG = 5;

constexpr uint8_t kWriteAllSysByte = 0x0F;
constexpr uint8_t kWriteAllEndByte = 0xFF;
}  // namespace

void DeviceBank::Fill(const std::array<DeviceImage, kModels>& images, int32_t readModelNumber)
{
    for (size_t b = 0; b < kHeaderBytes; ++b)
        header[b] = images[0][b];
    modelNumber = readModelNumber;
    for (size_t i = 0; i < kModels; ++i) {
        for (size_t b = 0; b < kSettingBytes; ++b)
            models[i].SettingBytes[b] = images[i][ImageByte::kNBRK + b];
        for (size_t k = 0; k < kFrqBytes; ++k)
            models[i].FRQ[k] = images[i][ImageByte::kFirstFRQ + k];
    }
}

DeviceImage DeviceBank::ImageForWriteAll(int i) const
{
    const size_t index = static_cast<size_t>(ModelBank::ClampIndex(i));
    DeviceImage image{};
    for (size_t b = 0; b < kHeaderBytes - 1; ++b)
        image[b] = header[b];
    image[ImageByte::kSysCur] = kWriteAllSysByte;
    image[ImageByte::kModelNumber] = LowByte(static_cast<int32_t>(index) * ModelBank::kModelStep);
    for (size_t b = 0; b < kSettingBytes; ++b)
        image[ImageByte::kNBRK + b] = models[index].SettingBytes[b];
    image[ImageByte::kEnd] = kWriteAllEndByte;
    for (size_t k = 0; k < kFrqBytes; ++k)
        image[ImageByte::kFirstFRQ + k] = models[index].FRQ[k];
    return image;
}

void DeviceBank::BankToStaging(const ModelBank& bank)
{
    for (size_t i = 0; i < kModels; ++i) {
        const ModelSettings& m = bank.models[i];
        Model& s = models[i];
        s.SettingBytes[kSetNBRK] = LowByte(m.NBRK);
        s.SettingBytes[kSetBFREQ] = LowByte(m.BFREQ);
        s.SettingBytes[kSetVLT] = LowByte(m.VLT);
        s.SettingBytes[kSetPROG] = LowByte(m.PROG);
        for (size_t k = 0; k < kFrqBytes; ++k)
            s.FRQ[k] = LowByte(m.FRQ[k]);
    }
}

void DeviceBank::StagingToBank(ModelBank& bank) const
{
    bank.SYS_CUR = header[ImageByte::kSysCur];
    bank.ModelNumber = modelNumber;
    for (size_t i = 0; i < kModels; ++i) {
        ModelSettings& m = bank.models[i];
        const Model& s = models[i];
        m.NBRK = s.SettingBytes[kSetNBRK];
        m.BFREQ = s.SettingBytes[kSetBFREQ];
        m.VLT = s.SettingBytes[kSetVLT];
        m.PROG = s.SettingBytes[kSetPROG];
        for (size_t k = 0; k < kFrqBytes; ++k)
            m.FRQ[k] = s.FRQ[k];
    }
}
