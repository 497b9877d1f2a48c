// vxr-fuzz-seeds OUTDIR: writes a seed corpus per fuzz target into OUTDIR/<target>/.
// Controller replies are the simulator's own, fetched over its pseudo-terminal, with and without
// its faults; settings files are written by the tool's codec from banks made of the simulator's
// images, plus files of the older layout and hand-made INI texts.
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QString>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "ControllerSimulator.h"
#include "DeviceImage.h"
#include "HexBytes.h"
#include "ModelBank.h"
#include "ReplyFuzzInput.h"
#include "SettingsFile.h"

namespace {

using Bytes = std::vector<uint8_t>;

bool WriteFile(const std::string& path, const std::string& content)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    return static_cast<bool>(out);
}

// Sends a frame on the slave side and collects up to `expected` reply bytes.
std::string Exchange(int fd, const std::string& frame, size_t expected)
{
    if (::write(fd, frame.data(), frame.size()) != static_cast<ssize_t>(frame.size())) return {};
    std::string reply;
    while (reply.size() < expected) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 300) <= 0) break;
        char buffer[256];
        const ssize_t n = ::read(fd, buffer, std::min(sizeof buffer, expected - reply.size()));
        if (n <= 0) break;
        reply.append(buffer, static_cast<size_t>(n));
    }
    return reply;
}

class Writer {
public:
    explicit Writer(std::string dir) : dir_(std::move(dir)) { ::mkdir(dir_.c_str(), 0755); }
    void Add(const std::string& name, const std::string& content)
    {
        if (WriteFile(dir_ + "/" + name, content)) ++count_;
    }
    int Count() const { return count_; }

private:
    std::string dir_;
    int count_ = 0;
};

std::string WriteFrame(int model)
{
    const auto image = ReplyFuzzInput::WriteImage(model);
    std::string frame(1, static_cast<char>(0xE1 + model));
    unsigned sum = 0;
    for (uint8_t b : image) {
        frame += static_cast<char>(b);
        sum += b;
    }
    return frame + static_cast<char>(sum & 0xFF);
}

void ControllerReplies(Writer& out, std::vector<std::string>& transcripts)
{
    ControllerState state;
    state.SetModelNumber(80);
    ControllerSimulator::Options options;
    options.state = state;
    ControllerSimulator sim(options);
    const int fd = ::open(sim.DevicePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return;

    int n = 0;
    const auto add = [&](ReplyFuzzInput::Op op, uint8_t argument, const std::string& frame, size_t expected,
                         const char* tag) {
        const std::string reply = Exchange(fd, frame, expected + 2);
        for (uint8_t piece : {0, 1, 7}) {
            const ReplyFuzzInput in{op, argument, piece, reply};
            out.Add("reply_" + std::to_string(n++) + "_" + tag, in.Serialise());
        }
    };
    const auto allCommands = [&](const char* tag) {
        add(ReplyFuzzInput::kReadModelNumber, 0, "\xD6", 3, tag);
        add(ReplyFuzzInput::kWriteModelNumber, 40, "\xE6\x28\x28", 4, tag);
        for (int i = 0; i < 5; ++i) {
            add(ReplyFuzzInput::kReadModel, static_cast<uint8_t>(i), std::string(1, static_cast<char>(0xD1 + i)), 50, tag);
            add(ReplyFuzzInput::kWriteModel, static_cast<uint8_t>(i), WriteFrame(i), 51, tag);
        }
    };

    allCommands("good");
    sim.BadChecksum(2);
    sim.RefuseWrite(1);
    sim.RefuseModelNumberWrite();
    sim.ShortReply(0xD1, 49);
    sim.StrayBytes(0xD6, {0x55});
    sim.SilenceAfter(0xD4);
    allCommands("faulty");
    ::close(fd);

    for (const auto& frame : sim.Transcript()) transcripts.emplace_back(frame.begin(), frame.end());
}

void SimFrames(Writer& out, const std::vector<std::string>& frames)
{
    // Each byte is followed by its gap in ms (see the target).
    std::string all;
    for (const auto& frame : frames) {
        std::string seed;
        for (char c : frame) {
            seed += c;
            seed += '\0';
        }
        all += seed;
        out.Add("frame_" + std::to_string(out.Count()), seed);
    }
    out.Add("all_frames", all);
    out.Add("garbage_and_stall", std::string("\x00\x00\x41\x00\xE1\x00\x01\x00\x02\xC8\xD6\x00", 12));
}

ModelBank BankFromSimulator(const ControllerState& state)
{
    ModelBank bank;
    bank.Initialise();
    for (int i = 0; i < ModelBank::kModels; ++i) {
        DeviceImage image;
        const auto& source = state.ImageOf(i);
        std::copy(source.begin(), source.end(), image.begin());
        image[ImageByte::kNBRK] = static_cast<uint8_t>(image[ImageByte::kNBRK] + i * 9);
        image[ImageByte::kFirstFRQ + i] = static_cast<uint8_t>(12 + i * 10);
        ApplyImage(image, bank.Model(i));
    }
    bank.SYS_CUR = state.ImageOf(0)[ImageByte::kSysCur];
    bank.ModelNumber = state.ModelNumber();
    return bank;
}

std::string LegacyFile(const ControllerState& state, bool withModelNumber)
{
    std::string text = "[VxrManager]\r\n";
    if (withModelNumber) {
        const uint8_t n = state.ModelNumber();
        text += "TAG_DATA=00000000000000" + HexBytes::Format(&n, 1) + "0000\r\n";
    }
    for (int i = 0; i < 5; ++i) {
        const auto& image = state.ImageOf(i);
        Bytes row = {0x00, image[8], image[9], 0x05, 0x0A, 0x03, 0x05, 0x00, 0xFF};
        for (int k = 0; k < 32; ++k) row.push_back(static_cast<uint8_t>(63 - image[static_cast<size_t>(16 + k)]));
        std::string hex = HexBytes::Format(row);
        hex.erase(std::remove(hex.begin(), hex.end(), ' '), hex.end());
        if (i != 3) text += "FRQ_DATA" + std::to_string(i) + "=" + hex + "\r\n";  // one model missing
    }
    return text + "\r\n";
}

void SettingsFiles(Writer& files, Writer& ini)
{
    ControllerState state;
    state.SetModelNumber(120);
    std::vector<ModelBank> banks(3);
    banks[0].Initialise();
    banks[1] = BankFromSimulator(state);
    banks[2] = BankFromSimulator(state);
    banks[2].Model(1).MEMO = "abc\r\n";
    banks[2].Model(2).MEMO = "first line\r\n\r\nthird = with equals ; and semicolon";
    banks[2].Model(4).MEMO = "\xE3\x83\xA1\xE3\x83\xA2";  // Japanese "memo" in UTF-8
    banks[2].Model(3).MEMO = "\xEF\xBB\xBF" "starts with a byte-order mark\r\n[x]\r\na" + std::string(1, '\0') + "b\r\n";
    for (size_t b = 0; b < banks.size(); ++b) {
        const std::string text = SettingsFile::ToBytes(banks[b]);
        files.Add("saved_" + std::to_string(b) + ".VXS", text);
        ini.Add("saved_" + std::to_string(b) + ".ini", text);
    }
    files.Add("legacy.VXS", LegacyFile(state, true));
    files.Add("legacy_no_tag.VXS", LegacyFile(state, false));
    // A memo as Japanese Windows writes it (CP932), with LF line ends and a byte-order mark.
    files.Add("cp932.VXS", "[VxrManager]\r\nSYS_MDL=4\r\nMDL5_MEMO0=1\r\nMDL5_MEMO1=\x83\x81\x83\x82\r\n");
    files.Add("not_settings.txt", "just some text\n[Else]\nMDL1_NBRK=3\n");
    files.Add("bom_lf.VXS", "\xEF\xBB\xBF[vxrmanager]\nsys_mdl=7\nMDL1_NBRK=0x7F\nMDL1_MEMO0=99999\nMDL1_MEMO1=x\n");

    ini.Add("app_settings.ini", "[VxrManager]\r\nCommPort=1\r\n\r\n[Ports]\r\nCOM1=/dev/ttyUSB0\r\n\r\n");
    ini.Add("odd_lines.ini", "stray before any section\r\n; comment\r\n[ A ]\r\nkey without value\r\n"
                             "  k = v = w  \r\n[a]\r\nK=$FF\r\n[]\r\n=\r\n[x]y]\r\n");
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: vxr-fuzz-seeds OUTDIR\n";
        return 2;
    }
    const std::string root = argv[1];
    ::mkdir(root.c_str(), 0755);

    Writer replies(root + "/fuzz_controller_reply");
    Writer frames(root + "/fuzz_sim_frames");
    Writer files(root + "/fuzz_settings_file");
    Writer ini(root + "/fuzz_ini_document");

    std::vector<std::string> transcripts;
    try {
        ControllerReplies(replies, transcripts);
    } catch (const std::exception& e) {
        std::cerr << "vxr-fuzz-seeds: no simulator: " << e.what() << "\n";
    }
    SimFrames(frames, transcripts);
    SettingsFiles(files, ini);

    std::cout << "seeds: " << replies.Count() << " replies, " << frames.Count() << " frame streams, "
              << files.Count() << " settings files, " << ini.Count() << " INI texts\n";
    return replies.Count() > 0 && files.Count() > 0 ? 0 : 1;
}
