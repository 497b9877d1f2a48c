#pragma once
#include <cstdint>

// The line configuration the component keeps and writes to the port as a whole. Fields and
// codes follow the Windows DCB, so the flow-control flag words keep their established values.
struct CommDcb {
    // Bits of Flags.
    static constexpr uint32_t kBinary = 0x0001;
    static constexpr uint32_t kParity = 0x0002;
    static constexpr uint32_t kOutxCtsFlow = 0x0004;
    static constexpr uint32_t kOutxDsrFlow = 0x0008;
    static constexpr uint32_t kDtrControlMask = 0x0030;  // 0 disable, 1 enable, 2 handshake
    static constexpr uint32_t kDtrEnable = 0x0010;
    static constexpr uint32_t kDtrHandshake = 0x0020;
    static constexpr uint32_t kOutX = 0x0100;
    static constexpr uint32_t kInX = 0x0200;
    static constexpr uint32_t kRtsControlMask = 0x3000;  // 0 disable, 1 enable, 2 handshake
    static constexpr uint32_t kRtsEnable = 0x1000;
    static constexpr uint32_t kRtsHandshake = 0x2000;

    uint32_t BaudRate = 9600;
    uint32_t Flags = kBinary;
    uint16_t XonLim = 0;
    uint16_t XoffLim = 0;
    uint8_t ByteSize = 8;
    uint8_t Parity = 0;    // 0 none, 1 odd, 2 even
    uint8_t StopBits = 0;  // 0 one, 1 one and a half, 2 two
    uint8_t XonChar = 17;
    uint8_t XoffChar = 19;

    bool operator==(const CommDcb&) const = default;
};
