#include "SimCommandLine.h"

#include <algorithm>

#include "ControllerSimulator.h"
#include "HexBytes.h"

namespace {

using FaultOption = SimCommandLine::FaultOption;
using Kind = FaultOption::Kind;

// "D1", "0xD1" or "any".
std::optional<int> ParseCommand(const std::string& text)
{
    if (text == "any") return ControllerSimulator::kAnyCommand;
    const auto bytes = HexBytes::Parse(text);
    if (!bytes || bytes->size() != 1) return std::nullopt;
    return (*bytes)[0];
}

// "1".."5" as given to the user, an index 0..4 inside.
std::optional<int> ParseModel(const std::string& text)
{
    const auto n = HexBytes::ParseNumber(text);
    if (!n || *n < 1 || *n > ControllerState::kModels) return std::nullopt;
    return static_cast<int>(*n - 1);
}

// "CMD:VALUE" split in two.
bool SplitPair(const std::string& text, std::string& left, std::string& right)
{
    const auto colon = text.find(':');
    if (colon == std::string::npos) return false;
    left = text.substr(0, colon);
    right = text.substr(colon + 1);
    return true;
}

std::optional<FaultOption> ParseFault(const std::string& option, std::string value, std::string& why)
{
    FaultOption fault;
    const std::string onceSuffix = ",once";
    if (value.size() > onceSuffix.size() && value.compare(value.size() - onceSuffix.size(), onceSuffix.size(), onceSuffix) == 0) {
        fault.once = true;
        value.resize(value.size() - onceSuffix.size());
    }
    std::string left, right;
    if (option == "--silence-after") {
        const auto command = ParseCommand(value);
        if (!command) {
            why = "a command byte in hex (D1) or \"any\"";
            return std::nullopt;
        }
        fault.command = *command;
    } else if (option == "--bad-checksum") {
        const auto model = ParseModel(value);
        if (!model) {
            why = "a model 1..5";
            return std::nullopt;
        }
        fault.kind = Kind::BadChecksum;
        fault.model = *model;
    } else if (option == "--refuse-write") {
        if (value == "number") {
            fault.kind = Kind::RefuseModelNumber;
        } else {
            const auto model = ParseModel(value);
            if (!model) {
                why = "a model 1..5 or \"number\"";
                return std::nullopt;
            }
            fault.kind = Kind::RefuseWrite;
            fault.model = *model;
        }
    } else if (option == "--stray") {
        const auto command = SplitPair(value, left, right) ? ParseCommand(left) : std::nullopt;
        const auto bytes = command ? HexBytes::Parse(right) : std::nullopt;
        if (!bytes || bytes->empty()) {
            why = "CMD:HEXBYTES, e.g. D6:55AA";
            return std::nullopt;
        }
        fault.kind = Kind::Stray;
        fault.command = *command;
        fault.bytes = *bytes;
    } else {
        // The options that take CMD:NUMBER.
        const auto command = SplitPair(value, left, right) ? ParseCommand(left) : std::nullopt;
        const auto number = command ? HexBytes::ParseNumber(right) : std::nullopt;
        if (!number) {
            why = "CMD:NUMBER, e.g. D1:10";
            return std::nullopt;
        }
        fault.command = *command;
        if (option == "--short-reply") {
            fault.kind = Kind::Short;
            fault.count = static_cast<size_t>(*number);
        } else if (option == "--delay") {
            fault.kind = Kind::Delay;
            fault.delay = std::chrono::milliseconds(*number);
        } else {
            fault.kind = Kind::HangUp;
            fault.count = static_cast<size_t>(*number);
            fault.once = true;
        }
    }
    return fault;
}

}  // namespace

std::optional<SimCommandLine> SimCommandLine::Parse(const std::vector<std::string>& args, std::string* error)
{
    static const std::vector<std::string> faultOptions = {"--silence-after", "--short-reply", "--bad-checksum",
                                                          "--refuse-write",  "--stray",       "--delay",
                                                          "--hang-up"};
    SimCommandLine line;
    const auto fail = [error](const std::string& text) {
        if (error) *error = text;
        return std::nullopt;
    };
    for (size_t i = 0; i < args.size(); ++i) {
        std::string option = args[i];
        std::optional<std::string> inlineValue;
        if (const auto eq = option.find('='); option.rfind("--", 0) == 0 && eq != std::string::npos) {
            inlineValue = option.substr(eq + 1);
            option.resize(eq);
        }
        if (option == "-h" || option == "--help") {
            line.help = true;
            continue;
        }
        if (option == "--version") {
            line.version = true;
            continue;
        }
        if (option == "--paced") {
            if (inlineValue) return fail("--paced takes no value");
            line.paced = true;
            continue;
        }
        const bool known = option == "--state" || option == "--transcript" || option == "--link" ||
                           option == "--model-number" || option == "--frame-timeout" ||
                           std::find(faultOptions.begin(), faultOptions.end(), option) != faultOptions.end();
        if (!known) return fail("unknown option " + option);
        std::string value;
        if (inlineValue) {
            value = *inlineValue;
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            return fail(option + " needs a value");
        }
        if (value.empty()) return fail(option + " needs a value");

        if (option == "--state") {
            line.statePath = value;
        } else if (option == "--transcript") {
            line.transcriptPath = value;
        } else if (option == "--link") {
            line.linkPath = value;
        } else if (option == "--model-number") {
            const auto n = HexBytes::ParseNumber(value);
            if (!n || *n > 255) return fail("--model-number takes 0..255");
            line.modelNumber = static_cast<uint8_t>(*n);
        } else if (option == "--frame-timeout") {
            const auto n = HexBytes::ParseNumber(value);
            if (!n || *n == 0) return fail("--frame-timeout takes milliseconds above 0");
            line.frameTimeout = std::chrono::milliseconds(*n);
        } else {
            std::string why;
            const auto fault = ParseFault(option, value, why);
            if (!fault) return fail(option + " takes " + why);
            line.faults.push_back(*fault);
        }
    }
    return line;
}

void SimCommandLine::ApplyFaults(ControllerSimulator& simulator) const
{
    using Shots = ControllerSimulator::Shots;
    for (const FaultOption& f : faults) {
        const Shots shots = f.once ? Shots::Once : Shots::Always;
        switch (f.kind) {
        case Kind::Silence: simulator.SilenceAfter(f.command, shots); break;
        case Kind::Short: simulator.ShortReply(f.command, f.count, shots); break;
        case Kind::BadChecksum: simulator.BadChecksum(f.model, shots); break;
        case Kind::RefuseWrite: simulator.RefuseWrite(f.model, shots); break;
        case Kind::RefuseModelNumber: simulator.RefuseModelNumberWrite(shots); break;
        case Kind::Stray: simulator.StrayBytes(f.command, f.bytes, shots); break;
        case Kind::Delay: simulator.DelayReply(f.command, f.delay, shots); break;
        case Kind::HangUp: simulator.HangUpDuring(f.command, f.count); break;
        }
    }
}

std::string SimCommandLine::Usage()
{
    return R"(Usage: vxr-sim [options]

Simulates the speed controller on a pseudo-terminal. The first line on standard output is the
device to open as the serial port (e.g. /dev/pts/3). Runs until SIGINT or SIGTERM.

Options:
  --paced                send every byte at 1200 bit/s (8.33 ms a byte); default: at once
  --state FILE           load the five models and the model number from FILE when it exists,
                         save them there on exit (hex text: "N <byte>", "M1".."M5" <48 bytes>)
  --transcript FILE      write every frame received as one hex line
  --model-number N       start with this model number (0..255; model index x 40, 80 = MODEL3)
  --link PATH            make PATH a symbolic link to the device (an existing link is replaced),
                         removed on exit; name it as the port in the tool's settings
  --frame-timeout MS     drop a frame that stops arriving for MS ms (default 500)
  -h, --help             show this text
  --version              show the version

Faults (persistent; append ",once" to a value to apply it to the next matching frame only).
CMD is a command byte in hex (D1..D6, E1..E6) or "any"; MODEL is 1..5.
  --silence-after CMD    no reply at all, not even the echo; the frame is not stored
  --short-reply CMD:K    send only the first K bytes of the reply
  --bad-checksum MODEL   the read of MODEL answers with a wrong checksum
  --refuse-write MODEL   the write of MODEL is answered 15 instead of 06 and not stored;
                         "number" refuses the model-number write
  --stray CMD:HEX        send the HEX bytes (e.g. 55AA) before the reply
  --delay CMD:MS         send the reply only after MS milliseconds
  --hang-up CMD:K        unplug after K bytes of the reply: the device hangs up and vxr-sim exits
)";
}
