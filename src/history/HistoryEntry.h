#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "ModelBank.h"

// One setup kept in the history: the five models as a settings file's bytes (memos included),
// when and how they were met, and which models differ from the entry kept before it.
struct HistoryEntry {
    enum class Action : uint8_t { Read, Write, BeforeWrite, ReadModel, WriteModel };
    static constexpr uint8_t kAllModels = (1u << ModelBank::kModels) - 1;

    int64_t timeMs = 0;   // milliseconds since 1970-01-01 UTC
    Action action = Action::Read;
    // The model (0..4) a transfer of the shown model concerned; -1 for all five.
    int model = -1;
    std::string port;     // as the user chose it: "COM3", "/dev/ttyUSB0"
    std::string name;     // given by the user ("Tsukuba, wet"); one line
    uint8_t changed = 0;  // bit i: model i differs from the entry before (all five for the first)
    std::string settings; // the bank as a settings file

    // The kept bank; nullopt when the bytes are no settings file.
    std::optional<ModelBank> Bank() const;
    // The bank's first memo line worth showing: the concerned (or shown) model's, else the
    // first memo line of any model; "" when every memo is empty.
    std::string FirstMemoLine() const;

    // A self-describing byte form (header lines, then the settings file) and back. Decode
    // refuses bytes that are not such an entry, or whose settings do not load.
    std::string Encode() const;
    static std::optional<HistoryEntry> Decode(std::string_view bytes);

    static std::string_view ActionName(Action action);  // "read", "write", "before-write", ...
    static std::optional<Action> ActionFrom(std::string_view name);
    // The action as the user reads it, in a language (0 Japanese, 1 English): a transfer of the
    // shown model names its model, and so does the setup kept before such a write. The window
    // and the page both show this text.
    static std::string ActionText(Action action, int model, int language);
    // One line: line ends and other control characters become blanks.
    static std::string OneLine(std::string_view text);
    // "2026-12-08T01:22:32Z" (UTC, whole seconds).
    static std::string IsoTime(int64_t timeMs);
    // Bit i set where model i of a and b differ (any setting, curve point or memo).
    static uint8_t Differences(const ModelBank& a, const ModelBank& b);
};
