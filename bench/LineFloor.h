#pragma once
#include <string>

// The shortest time a transfer can take on the controller's 1200 bit/s line: every reply byte
// costs 10 bit times (start, 8 data, stop), plus the pauses the transfer makes itself. The
// frames going out are not counted: the controller answers once a frame is complete, and a
// pseudo-terminal hands the frame over at once.
class LineFloor {
public:
    enum class Transfer { ReadAll, WriteAll };

    static constexpr int kBitRate = 1200;
    static constexpr int kBitsPerByte = 10;

    // Reply lengths of the four commands: the echoed frame followed by the answer.
    static int ReadModelNumberReply();
    static int WriteModelNumberReply();
    static int ReadModelReply();
    static int WriteModelReply();

    // Read all: model number, five models, model number written back.
    // Write all: model number, five models read, five models written, model number written.
    static int ReplyBytes(Transfer transfer);
    static int PauseMs(Transfer transfer);
    static double Seconds(Transfer transfer);

    static const char* Name(Transfer transfer);
    // The formula with its numbers, e.g. "(3 + 5x50 + 4) B = 257 B x 10 bit / 1200 bit/s + 200 ms = 2.342 s".
    static std::string Formula(Transfer transfer);
};
