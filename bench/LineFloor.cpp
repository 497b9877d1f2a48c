#include "LineFloor.h"

#include <cstdio>
#include <tuple>

#include "DeviceBank.h"
#include "DeviceImage.h"
#include "TransferOperations.h"

namespace {
constexpr int kImage = static_cast<int>(std::tuple_size_v<DeviceImage>);
constexpr int kModels = DeviceBank::kModels;
}  // namespace

int LineFloor::ReadModelNumberReply()
{
    return 1 + 2;  // D6, then n n
}

int LineFloor::WriteModelNumberReply()
{
    return 3 + 1;  // E6 n n, then the acknowledgement
}

int LineFloor::ReadModelReply()
{
    return 1 + kImage + 1;  // command, image, checksum
}

int LineFloor::WriteModelReply()
{
    return (1 + kImage + 1) + 1;  // the frame echoed, then the acknowledgement
}

int LineFloor::ReplyBytes(Transfer transfer)
{
    const int readAll = ReadModelNumberReply() + kModels * ReadModelReply();
    if (transfer == Transfer::ReadAll)
        return readAll + WriteModelNumberReply();
    return readAll + kModels * WriteModelReply() + WriteModelNumberReply();
}

int LineFloor::PauseMs(Transfer transfer)
{
    // Read all pauses before it starts and once more before it shows the bank; write all only
    // once at its end.
    return (transfer == Transfer::ReadAll ? 2 : 1) * TransferOperations::kPauseMs;
}

double LineFloor::Seconds(Transfer transfer)
{
    return static_cast<double>(ReplyBytes(transfer)) * kBitsPerByte / kBitRate + PauseMs(transfer) / 1000.0;
}

const char* LineFloor::Name(Transfer transfer)
{
    return transfer == Transfer::ReadAll ? "read all" : "write all";
}

std::string LineFloor::Formula(Transfer transfer)
{
    char parts[96];
    if (transfer == Transfer::ReadAll)
        std::snprintf(parts, sizeof parts, "%d + %dx%d + %d", ReadModelNumberReply(), kModels, ReadModelReply(),
                      WriteModelNumberReply());
    else
        std::snprintf(parts, sizeof parts, "%d + %dx%d + %dx%d + %d", ReadModelNumberReply(), kModels,
                      ReadModelReply(), kModels, WriteModelReply(), WriteModelNumberReply());
    char text[200];
    std::snprintf(text, sizeof text, "(%s) B = %d B x %d bit / %d bit/s + %d ms = %.3f s", parts,
                  ReplyBytes(transfer), kBitsPerByte, kBitRate, PauseMs(transfer), Seconds(transfer));
    return text;
}
