#pragma once
// The fault matrix shared by the end-to-end tests (the window's, the command line's, the
// in-process line's) and the WebAssembly comparison: which faults, which transfers, where each
// fault strikes and how the controller is armed for it. Standard C++ only.
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "ControllerLogic.h"
#include "ControllerState.h"
#include "ModelBank.h"
#include "TransferOperations.h"

namespace faultcases {

using namespace std::chrono_literals;

constexpr int kTimeOutMs = 500;  // above the longest reply's 425 ms at 1200 bit/s
// A late reply comes this long after the time-out has ended the wait for it.
constexpr auto kLateBy = 400ms;
constexpr size_t kKeptBytes = 20;  // of a short reply, and before a hang-up
constexpr int kShown = 3;          // the single-model transfers work on MODEL4

enum class Fault { Silence, ShortReply, BadChecksum, RefusedWrite, RefusedModelNumber, StrayBytes, HangUp, LateReply };
enum class Transfer { ReadAll, ReadShown, WriteAll, WriteShown };

constexpr Fault kAllFaults[] = {Fault::Silence,    Fault::ShortReply, Fault::BadChecksum, Fault::RefusedWrite,
                                Fault::RefusedModelNumber, Fault::StrayBytes, Fault::HangUp, Fault::LateReply};
constexpr Transfer kAllTransfers[] = {Transfer::ReadAll, Transfer::ReadShown, Transfer::WriteAll, Transfer::WriteShown};

inline const char* FaultName(Fault f)
{
    switch (f) {
    case Fault::Silence: return "Silence";
    case Fault::ShortReply: return "ShortReply";
    case Fault::BadChecksum: return "BadChecksum";
    case Fault::RefusedWrite: return "RefusedWrite";
    case Fault::RefusedModelNumber: return "RefusedModelNumber";
    case Fault::StrayBytes: return "StrayBytes";
    case Fault::HangUp: return "HangUp";
    case Fault::LateReply: return "LateReply";
    }
    return "?";
}

inline const char* TransferName(Transfer t)
{
    switch (t) {
    case Transfer::ReadAll: return "ReadAll";
    case Transfer::ReadShown: return "ReadShown";
    case Transfer::WriteAll: return "WriteAll";
    case Transfer::WriteShown: return "WriteShown";
    }
    return "?";
}

inline TransferResult RunTransfer(TransferOperations& ops, Transfer t)
{
    switch (t) {
    case Transfer::ReadAll: return ops.ReadAll();
    case Transfer::ReadShown: return ops.ReadShown(kShown);
    case Transfer::WriteAll: return ops.WriteAll();
    case Transfer::WriteShown: return ops.WriteShown(kShown);
    }
    return {};
}

inline bool IsRead(Transfer t) { return t == Transfer::ReadAll || t == Transfer::ReadShown; }

// A parameterised case's name: the fault, then the transfer.
inline std::string CaseName(Fault f, Transfer t) { return std::string(FaultName(f)) + "_" + TransferName(t); }

// The command byte of every frame of a transcript, in order.
template <class Frames>
std::vector<uint8_t> CommandsOf(const Frames& frames)
{
    std::vector<uint8_t> out;
    for (const auto& f : frames)
        out.push_back(static_cast<uint8_t>(f.at(0)));
    return out;
}

// The command a fault is aimed at: one in the middle of the transfer where it can do harm.
// Zero when the transfer sends no command the fault applies to.
inline uint8_t StruckCommand(Fault f, Transfer t)
{
    const bool refusal = f == Fault::RefusedWrite || f == Fault::RefusedModelNumber;
    switch (t) {
    case Transfer::ReadAll:
        // Its only write is the model number going back.
        return refusal ? 0xE6 : 0xD3;
    case Transfer::ReadShown:
        return refusal ? 0 : static_cast<uint8_t>(0xD1 + kShown);
    case Transfer::WriteAll:
        if (f == Fault::RefusedModelNumber)
            return 0xE6;
        return f == Fault::BadChecksum ? 0xD3 : 0xE3;  // only a read reply carries a checksum
    case Transfer::WriteShown:
        if (f == Fault::RefusedModelNumber)
            return 0xE6;
        return static_cast<uint8_t>(f == Fault::BadChecksum ? 0xD1 + kShown : 0xE1 + kShown);
    }
    return 0;
}

// The commands each transfer sends when nothing goes wrong.
inline std::vector<uint8_t> FullSequence(Transfer t)
{
    switch (t) {
    case Transfer::ReadAll: return {0xD6, 0xD1, 0xD2, 0xD3, 0xD4, 0xD5, 0xE6};
    case Transfer::ReadShown: return {0xD1 + kShown};
    case Transfer::WriteAll: return {0xD6, 0xD1, 0xD2, 0xD3, 0xD4, 0xD5, 0xE1, 0xE2, 0xE3, 0xE4, 0xE5, 0xE6};
    case Transfer::WriteShown: return {0xD1 + kShown, 0xE1 + kShown, 0xE6};
    }
    return {};
}

// The commands up to and including the struck one: nothing is sent after a failure.
inline std::vector<uint8_t> SequenceUntil(Transfer t, uint8_t struck)
{
    std::vector<uint8_t> out;
    for (uint8_t c : FullSequence(t)) {
        out.push_back(c);
        if (c == struck)
            break;
    }
    return out;
}

// The second line of a failed write's message: what the transfer knows the controller holds.
// A write whose frame went out unacknowledged may have been stored. Empty for a read.
inline std::string WriteSummary(Transfer t, uint8_t struck)
{
    const bool aRead = struck < 0xE0;  // the write failed before it sent a model
    if (t == Transfer::WriteAll) {
        if (aRead)
            return "MODEL1 to MODEL5 and the model number were not written.";
        if (struck == 0xE3)
            return "MODEL1 and MODEL2 were written; MODEL3 may have been written; MODEL4, MODEL5 and the model number "
                   "were not.";
        if (struck == 0xE6)
            return "MODEL1 to MODEL5 were written; the model number may have been written.";
    } else if (t == Transfer::WriteShown) {
        if (aRead)
            return "MODEL4 and the model number were not written.";
        if (struck == 0xE1 + kShown)
            return "MODEL4 may have been written; the model number was not.";
        if (struck == 0xE6)
            return "MODEL4 was written; the model number may have been written.";
    }
    return {};
}

// How the tool names the step it failed at.
inline std::string StepText(uint8_t struck)
{
    if (struck == 0xE6)
        return "writing the model number: ";
    if (struck == 0xD6)
        return "reading the model number: ";
    if (struck >= 0xE1)
        return "writing MODEL" + std::to_string(struck - 0xE0) + ": ";
    return "reading MODEL" + std::to_string(struck - 0xD0) + ": ";
}

// How the tool names the cause.
inline std::string Hex(uint8_t b)
{
    static const char* digits = "0123456789ABCDEF";
    return {digits[b >> 4], digits[b & 15]};
}

inline std::string CauseText(Fault f, uint8_t struck)
{
    const bool modelWrite = struck >= 0xE1 && struck <= 0xE5;
    switch (f) {
    case Fault::Silence:
    case Fault::LateReply: return "time-out: no reply within " + std::to_string(kTimeOutMs) + " ms";
    case Fault::ShortReply: return "short reply: 20 of " + std::string(modelWrite ? "51" : "50") + " bytes";
    case Fault::BadChecksum: return "checksum mismatch";
    case Fault::RefusedWrite:
    case Fault::RefusedModelNumber: return "refused: reply ended in 0x15";
    // The stray bytes stand where the command's echo belongs.
    case Fault::StrayBytes: return "reply does not begin with the command's echo: it began with 0x00, not 0x" + Hex(struck);
    case Fault::HangUp: return "the port failed while waiting for the reply";
    }
    return {};
}

// The failure message of a transfer, as the window shows it: the failure, the step and its cause
// (the cause's figures left out where they vary), then what a write left on the controller.
struct FailureText {
    std::string headline;
    std::string step;   // the second line begins with it
    std::string cause;  // and holds this
    std::string summary;
};
inline FailureText FailureMessage(Fault f, Transfer t, uint8_t struck)
{
    std::string cause = CauseText(f, struck);
    if (f == Fault::HangUp)
        cause += "; choose the port again";
    return {IsRead(t) ? "Read failed" : "Write failed", StepText(struck), cause, WriteSummary(t, struck)};
}
inline bool Matches(const FailureText& expected, const std::string& message)
{
    const size_t first = message.find('\n');
    if (first == std::string::npos || message.substr(0, first) != expected.headline)
        return false;
    const size_t second = message.find('\n', first + 1);
    const std::string line = message.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1);
    const std::string rest = second == std::string::npos ? std::string() : message.substr(second + 1);
    return line.rfind(expected.step, 0) == 0 && line.find(expected.cause) != std::string::npos && rest == expected.summary;
}

// Whether the controller took the struck write in although the tool saw it fail: the
// controller answered (badly, partly or late) after storing it.
inline bool ControllerStoredStruckWrite(Fault f)
{
    return f == Fault::ShortReply || f == Fault::StrayBytes || f == Fault::HangUp || f == Fault::LateReply;
}

// For the pty simulator and the controller logic alike: both take the same faults.
template <class Controller>
void Arm(Controller& sim, Fault f, uint8_t command)
{
    switch (f) {
    case Fault::Silence: sim.SilenceAfter(command); break;
    case Fault::ShortReply: sim.ShortReply(command, kKeptBytes); break;
    case Fault::BadChecksum: sim.BadChecksum(command - ControllerLogic::kReadModel); break;
    case Fault::RefusedWrite:
    case Fault::RefusedModelNumber:
        if (command == ControllerLogic::kWriteModelNumber) {
            sim.RefuseModelNumberWrite();
        } else if (command == 0) {
            // Nothing to strike: armed for every write, so a stray write would show.
            for (int i = 0; i < 5; ++i)
                sim.RefuseWrite(i, ControllerLogic::Shots::Always);
            sim.RefuseModelNumberWrite(ControllerLogic::Shots::Always);
        } else {
            sim.RefuseWrite(command - ControllerLogic::kWriteModel);
        }
        break;
    case Fault::StrayBytes: sim.StrayBytes(command, {0x00, 0x5A}); break;
    case Fault::HangUp: sim.HangUpDuring(command, kKeptBytes); break;
    case Fault::LateReply: sim.DelayReply(command, std::chrono::milliseconds(kTimeOutMs) + kLateBy); break;
    }
}

// Whether a controller image carries the settings of a model record.
inline bool ImageHolds(const ControllerState::Image& image, const ModelSettings& m)
{
    if (image[8] != m.NBRK || image[9] != m.BFREQ || image[12] != m.VLT || image[13] != m.PROG)
        return false;
    for (size_t k = 0; k < 32; ++k)
        if (image[16 + k] != m.FRQ[k])
            return false;
    return true;
}

}  // namespace faultcases
