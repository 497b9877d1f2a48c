#pragma once
#include <QCoreApplication>

#include <chrono>
#include <functional>
#include <thread>

// Handles events until pred holds or the time runs out; returns pred's last value.
inline bool PumpUntil(const std::function<bool()>& pred, int timeoutMs = 3000)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!pred()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// Handles events for a while.
inline void PumpFor(int ms)
{
    PumpUntil([] { return false; }, ms);
}
