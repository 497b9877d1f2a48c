#include "ControllerState.h"

#include <cstring>
#include <sstream>

#include "HexBytes.h"

namespace {

void SetError(std::string* error, const std::string& text)
{
    if (error) *error = text;
}

std::string Trim(const std::string& s)
{
    const auto first = s.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    const auto last = s.find_last_not_of(" \t\r\n");
    return s.substr(first, last - first + 1);
}

}  // namespace

ControllerState::ControllerState()
{
    for (int i = 0; i < kModels; ++i) images_[static_cast<size_t>(i)] = FactoryImage(i);
}

ControllerState::Image ControllerState::FactoryImage(int model)
{
    Image image{};
    const auto m = static_cast<uint8_t>(model);
    for (int k = 0; k < 6; ++k) image[static_cast<size_t>(k)] = static_cast<uint8_t>(0x11 + k + m * 0x10);
    image[6] = 0x0F;
    image[7] = static_cast<uint8_t>(m * 40);
    image[8] = 128;   // automatic brake
    image[9] = 32;    // brake frequency
    image[10] = static_cast<uint8_t>(0xA1 + m);
    image[11] = static_cast<uint8_t>(0xB1 + m);
    image[12] = 100;  // cut-off
    image[13] = 1;    // timing
    image[14] = static_cast<uint8_t>(0xC1 + m);
    image[15] = 0xFF;
    for (int k = 16; k < kImageSize; ++k) image[static_cast<size_t>(k)] = 16;
    return image;
}

uint8_t ControllerState::Checksum(const Image& image)
{
    unsigned sum = 0;
    for (uint8_t b : image) sum += b;
    return static_cast<uint8_t>(sum & 0xFF);
}

std::string ControllerState::ToText() const
{
    std::string out = "# vxr-sim controller state: N = model number, M1..M5 = 48 image bytes each\n";
    out += "N " + HexBytes::Format(&modelNumber_, 1) + "\n";
    for (int i = 0; i < kModels; ++i) {
        const Image& image = images_[static_cast<size_t>(i)];
        out += "M" + std::to_string(i + 1) + " " + HexBytes::Format(image.data(), image.size()) + "\n";
    }
    return out;
}

bool ControllerState::FromText(const std::string& text, std::string* error)
{
    ControllerState next;
    bool seenNumber = false;
    std::array<bool, kModels> seenModel{};
    std::istringstream in(text);
    std::string raw;
    int lineNo = 0;
    while (std::getline(in, raw)) {
        ++lineNo;
        const std::string line = Trim(raw);
        if (line.empty() || line[0] == '#') continue;
        const auto blank = line.find_first_of(" \t");
        const std::string key = line.substr(0, blank);
        const auto bytes = HexBytes::Parse(blank == std::string::npos ? std::string() : line.substr(blank));
        const std::string where = "line " + std::to_string(lineNo) + ": ";
        if (!bytes) {
            SetError(error, where + "bad hex bytes");
            return false;
        }
        if (key == "N") {
            if (bytes->size() != 1 || seenNumber) {
                SetError(error, where + "the model number takes one byte, once");
                return false;
            }
            next.modelNumber_ = (*bytes)[0];
            seenNumber = true;
        } else if (key.size() == 2 && key[0] == 'M' && key[1] >= '1' && key[1] <= '0' + kModels) {
            const auto index = static_cast<size_t>(key[1] - '1');
            if (bytes->size() != static_cast<size_t>(kImageSize) || seenModel[index]) {
                SetError(error, where + "a model takes 48 bytes, once");
                return false;
            }
            std::memcpy(next.images_[index].data(), bytes->data(), kImageSize);
            seenModel[index] = true;
        } else {
            SetError(error, where + "unknown entry '" + key + "'");
            return false;
        }
    }
    if (!seenNumber) {
        SetError(error, "no model number (N)");
        return false;
    }
    for (int i = 0; i < kModels; ++i) {
        if (!seenModel[static_cast<size_t>(i)]) {
            SetError(error, "no image for M" + std::to_string(i + 1));
            return false;
        }
    }
    *this = next;
    return true;
}
