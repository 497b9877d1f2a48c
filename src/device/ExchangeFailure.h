#pragma once
#include <cstdint>
#include <string>

// Why the last command was not accepted, kept for messages that name the cause (the window
// only says "Read failed"; the command line says why).
struct ExchangeFailure {
    enum class Cause {
        None,          // the command was accepted
        NoPort,        // no port open: nothing was sent
        PortError,     // the port failed or went away during the read
        TimeOut,       // nothing came back within the receive time-out
        ShortReply,    // some bytes came back, fewer than the reply's length
        Checksum,      // a model image whose checksum byte does not match its bytes
        Refused,       // the last reply byte is not the acknowledgement 0x06
        Unequal,       // the two model-number bytes of the reply differ
        OtherCommand,  // the reply does not start with the command's echo: a late reply to an earlier
                       // command, or stray bytes
        Interrupted,   // the transfer was asked to stop before this command's frame was sent
    };

    Cause cause = Cause::None;
    int32_t received = 0;    // bytes that arrived
    int32_t expected = 0;    // bytes the reply should have had
    int32_t timeoutMs = 0;   // the receive time-out in force
    uint8_t got = 0;         // Checksum: the received sum; Refused: the last byte; Unequal: byte 1;
                             // OtherCommand: the reply's first byte
    uint8_t want = 0;        // Checksum: the computed sum; Unequal: byte 2; OtherCommand: the command

    bool Failed() const { return cause != Cause::None; }
    // The cause for the command line in a language (0 Japanese, 1 English), e.g.
    // "short reply: 12 of 50 bytes within 400 ms".
    std::string Describe(int language = 1) const;

    bool operator==(const ExchangeFailure&) const = default;
};
