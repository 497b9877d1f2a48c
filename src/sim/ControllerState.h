#pragma once
#include <array>
#include <cstdint>
#include <string>

// What the controller keeps between commands: five 48-byte model images and the model number.
// Stored as text (ControllerStateFile) so a user can look at it and tests can prepare it by hand.
class ControllerState {
public:
    static constexpr int kModels = 5;
    static constexpr int kImageSize = 48;
    using Image = std::array<uint8_t, kImageSize>;

    // A controller at factory settings: every model at the tool's defaults, with controller bytes
    // that differ per model and are never zero, so a test can tell they were carried.
    ControllerState();

    static Image FactoryImage(int model);
    static uint8_t Checksum(const Image& image);

    const Image& ImageOf(int model) const { return images_.at(static_cast<size_t>(model)); }
    void SetImage(int model, const Image& image) { images_.at(static_cast<size_t>(model)) = image; }
    uint8_t ModelNumber() const { return modelNumber_; }
    void SetModelNumber(uint8_t n) { modelNumber_ = n; }

    // Text form: "N <hex>" and "M1".."M5" each followed by 48 hex bytes; '#' starts a comment.
    std::string ToText() const;
    // All or nothing: on a malformed text this state is left as it was and the reason is given.
    bool FromText(const std::string& text, std::string* error = nullptr);

    bool operator==(const ControllerState&) const = default;

private:
    std::array<Image, kModels> images_{};
    uint8_t modelNumber_ = 0;
};
