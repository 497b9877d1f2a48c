#pragma once
#include <array>
#include <cstdint>

#include "ModelSettings.h"

// The five models being edited, the shown model and the controller's system byte.
struct ModelBank {
    static constexpr int kModels = 5;
    static constexpr int32_t kModelStep = 40;  // the controller numbers model i as i * 40
    static constexpr int32_t kDefaultSysCur = 15;

    std::array<ModelSettings, kModels> models{};
    int32_t ModelNumber = 0;
    int32_t SYS_CUR = kDefaultSysCur;

    // Every model to its defaults (memo emptied), MODEL1 shown, SYS_CUR 15.
    void Initialise();

    // The shown model's settings back to their defaults; its memo stays.
    void ResetShownModel(int tabIndex);

    // Index of the shown model. A ModelNumber from a file or the controller may lie outside
    // 0..199; it is kept as it is, and the index is held to the nearest of the five models.
    int ShownIndex() const { return ModelNumber < 0 ? 0 : ClampIndex(ModelNumber / kModelStep); }

    static int ClampIndex(int64_t index)
    {
        return index < 0 ? 0 : index >= kModels ? kModels - 1 : static_cast<int>(index);
    }

    ModelSettings& Model(int index) { return models[ClampIndex(index)]; }
    const ModelSettings& Model(int index) const { return models[ClampIndex(index)]; }

    bool operator==(const ModelBank&) const = default;
};
