#pragma once
#include <array>
#include <cstdint>
#include <string>

// One of the controller's five setting profiles. Fields keep whatever value they are given
// (files and the controller can hold values outside the ranges below); everything that
// indexes a table or positions a control clamps at that point instead.
struct ModelSettings {
    static constexpr int kFrqPoints = 32;

    static constexpr int32_t kDefaultNBRK = 128;
    static constexpr int32_t kDefaultBFREQ = 32;
    static constexpr int32_t kDefaultVLT = 100;
    static constexpr int32_t kDefaultPROG = 1;
    static constexpr int32_t kDefaultFRQ = 16;

    int32_t NBRK = kDefaultNBRK;     // 0..255
    int32_t BFREQ = kDefaultBFREQ;   // 12..63, index into BrakeFreqTable
    int32_t VLT = kDefaultVLT;       // one of the CutOffTable codes
    int32_t PROG = kDefaultPROG;     // 0..12
    std::array<int32_t, kFrqPoints> FRQ = MakeDefaultCurve();  // each 12..63
    std::string MEMO;                // UTF-8, lines separated by CR LF

    // Everything but the memo back to its default.
    void ResetSettings();

    bool operator==(const ModelSettings&) const = default;

    static constexpr std::array<int32_t, kFrqPoints> MakeDefaultCurve()
    {
        std::array<int32_t, kFrqPoints> a{};
        a.fill(kDefaultFRQ);
        return a;
    }
};
