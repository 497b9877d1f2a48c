#pragma once
#include <string>

#include "ControllerState.h"
#include "CutOffTable.h"
#include "ModelBank.h"

// A controller whose models are all different from the tool's defaults and from each other,
// so a value taken from the wrong model or byte shows.
inline ControllerState DistinctControllerState(uint8_t modelNumber)
{
    ControllerState state;
    for (int i = 0; i < ControllerState::kModels; ++i) {
        ControllerState::Image image = ControllerState::FactoryImage(i);
        image[8] = static_cast<uint8_t>(10 + i);   // NBRK
        image[9] = static_cast<uint8_t>(20 + i);   // BFREQ
        image[12] = static_cast<uint8_t>(i == 4 ? 195 : 88);
        image[13] = static_cast<uint8_t>(2 + i);   // PROG
        for (int k = 0; k < 32; ++k)
            image[static_cast<size_t>(16 + k)] = static_cast<uint8_t>(12 + (k + i) % 52);
        state.SetImage(i, image);
    }
    state.SetModelNumber(modelNumber);
    return state;
}

// A bank whose models differ from every controller model above, so a model read or written
// shows, each value within what the controller takes; MODEL4 shown.
inline ModelBank DistinctBank()
{
    ModelBank bank;
    bank.Initialise();
    for (int i = 0; i < 5; ++i) {
        ModelSettings& m = bank.models[static_cast<size_t>(i)];
        m.NBRK = 60 + i;
        m.BFREQ = 40 + i;
        m.VLT = CutOffTable::kCodes[static_cast<size_t>(i) + 1];
        m.PROG = 9 - i;
        for (size_t k = 0; k < 32; ++k)
            m.FRQ[k] = static_cast<int32_t>(12 + (k * 3 + static_cast<size_t>(i)) % 5 * 10);
        m.MEMO = "memo " + std::to_string(i) + "\r\n";
    }
    bank.ModelNumber = 3 * 40;
    return bank;
}
