#include "DeviceImage.h"

#include "ModelSettings.h"

uint8_t ImageChecksum(const DeviceImage& image)
{
    unsigned sum = 0;
    for (uint8_t b : image)
        sum += b;
    return static_cast<uint8_t>(sum & 0xFF);
}

DeviceImage ImageForWriteShown(const DeviceImage& asRead, const ModelSettings& model)
{
    DeviceImage image = asRead;
    image[ImageByte::kModelNumber] = 0x00;
    image[ImageByte::kNBRK] = LowByte(model.NBRK);
    image[ImageByte::kBFREQ] = LowByte(model.BFREQ);
    image[ImageByte::kVLT] = LowByte(model.VLT);
    image[ImageByte::kPROG] = LowByte(model.PROG);
    for (int k = 0; k < ModelSettings::kFrqPoints; ++k)
        image[static_cast<size_t>(ImageByte::kFirstFRQ + k)] = LowByte(model.FRQ[static_cast<size_t>(k)]);
    return image;
}

void ApplyImage(const DeviceImage& image, ModelSettings& model)
{
    model.NBRK = image[ImageByte::kNBRK];
    model.BFREQ = image[ImageByte::kBFREQ];
    model.VLT = image[ImageByte::kVLT];
    model.PROG = image[ImageByte::kPROG];
    for (int k = 0; k < ModelSettings::kFrqPoints; ++k)
        model.FRQ[static_cast<size_t>(k)] = image[static_cast<size_t>(ImageByte::kFirstFRQ + k)];
}
