#include <gtest/gtest.h>

#include "DeviceBank.h"
#include "DeviceImage.h"
#include "ModelBank.h"

namespace {

DeviceImage Filled(uint8_t b)
{
    DeviceImage image;
    image.fill(b);
    return image;
}

// An image whose every byte is distinct, so a byte taken from the wrong place shows.
DeviceImage Numbered(uint8_t base)
{
    DeviceImage image;
    for (size_t b = 0; b < image.size(); ++b)
        image[b] = static_cast<uint8_t>(base + b);
    return image;
}

TEST(ImageChecksum, IsTheEightBitSumOfTheFortyEightBytes)
{
    EXPECT_EQ(ImageChecksum(Filled(0x10)), 0x00);
    EXPECT_EQ(ImageChecksum(Filled(0x01)), 0x30);
    EXPECT_EQ(ImageChecksum(Filled(0xFF)), 0xD0);  // 48 * 255 = 0x2FD0
    DeviceImage one = Filled(0);
    one[47] = 7;
    EXPECT_EQ(ImageChecksum(one), 7);
}

TEST(WriteAllImage, OfADefaultBankFromAControllerWithZeroOwnBytes)
{
    ModelBank bank;
    bank.Initialise();
    DeviceBank staging;
    std::array<DeviceImage, DeviceBank::kModels> read{};
    staging.Fill(read, 0);
    staging.BankToStaging(bank);

    DeviceImage expected = Filled(0);
    expected[6] = 0x0F;
    expected[8] = 0x80;
    expected[9] = 0x20;
    expected[12] = 0x64;
    expected[13] = 0x01;
    expected[15] = 0xFF;
    for (size_t k = 16; k < 48; ++k)
        expected[k] = 0x10;

    const DeviceImage m1 = staging.ImageForWriteAll(0);
    EXPECT_EQ(m1, expected);
    EXPECT_EQ(ImageChecksum(m1), 0x13);

    const DeviceImage m2 = staging.ImageForWriteAll(1);
    expected[7] = 0x28;
    EXPECT_EQ(m2, expected);
    EXPECT_EQ(ImageChecksum(m2), 0x3B);

    // Values beyond a byte go out as their low eight bits.
    bank.models[4].NBRK = 0x1FF;
    staging.BankToStaging(bank);
    EXPECT_EQ(staging.ImageForWriteAll(4)[8], 0xFF);
    EXPECT_EQ(staging.ImageForWriteAll(4)[7], 0xA0);
}

TEST(WriteShownImage, KeepsWhatWasReadExceptByteSevenAndTheRecordsValues)
{
    const DeviceImage asRead = Numbered(0x20);
    ModelSettings model;
    model.NBRK = 5;
    model.BFREQ = 40;
    model.VLT = 195;
    model.PROG = 12;
    for (size_t k = 0; k < model.FRQ.size(); ++k)
        model.FRQ[k] = static_cast<int32_t>(12 + k);

    const DeviceImage image = ImageForWriteShown(asRead, model);
    EXPECT_EQ(image[7], 0x00);
    EXPECT_EQ(image[8], 5);
    EXPECT_EQ(image[9], 40);
    EXPECT_EQ(image[12], 195);
    EXPECT_EQ(image[13], 12);
    for (size_t k = 0; k < 32; ++k)
        EXPECT_EQ(image[16 + k], 12 + k);
    for (size_t b : {0u, 1u, 2u, 3u, 4u, 5u, 6u, 10u, 11u, 14u, 15u})
        EXPECT_EQ(image[b], asRead[b]) << "controller byte " << b;
}

TEST(ApplyImage, TakesTheValueBytesAndLeavesTheMemo)
{
    const DeviceImage image = Numbered(0x80);
    ModelSettings model;
    model.MEMO = "keep\r\n";
    ApplyImage(image, model);
    EXPECT_EQ(model.NBRK, 0x88);
    EXPECT_EQ(model.BFREQ, 0x89);
    EXPECT_EQ(model.VLT, 0x8C);
    EXPECT_EQ(model.PROG, 0x8D);
    EXPECT_EQ(model.FRQ[0], 0x90);
    EXPECT_EQ(model.FRQ[31], 0xAF);
    EXPECT_EQ(model.MEMO, "keep\r\n");
}

TEST(StagingCopies, StagingToBankTakesEveryValueReadButNotTheMemos)
{
    std::array<DeviceImage, DeviceBank::kModels> read{};
    for (size_t i = 0; i < read.size(); ++i)
        read[i] = Numbered(static_cast<uint8_t>(3 * i));
    read[0][6] = 0x42;
    DeviceBank staging;
    staging.Fill(read, 120);

    ModelBank bank;
    bank.Initialise();
    bank.models[2].MEMO = "memo";
    staging.StagingToBank(bank);

    EXPECT_EQ(bank.SYS_CUR, 0x42);
    EXPECT_EQ(bank.ModelNumber, 120);
    for (size_t i = 0; i < read.size(); ++i) {
        ModelSettings expected;
        expected.MEMO = i == 2 ? "memo" : "";
        ApplyImage(read[i], expected);
        EXPECT_EQ(bank.models[i], expected) << "model " << i;
    }
}

}  // namespace
