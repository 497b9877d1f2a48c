#pragma once
#include <algorithm>
#include <string>
#include <vector>

#include "TransferReporter.h"

// Records every call as one line, so tests can check the order of the frame's steps.
class RecordingReporter : public TransferReporter {
public:
    std::vector<std::string> log;
    int position = 0;
    int maximum = -1;
    bool enabled = true;
    bool progressVisible = false;

    void Begin() override
    {
        enabled = false;
        log.push_back("begin");
    }
    void End() override
    {
        enabled = true;
        log.push_back("end");
    }
    void Pause(int32_t ms) override { log.push_back("pause " + std::to_string(ms)); }
    void StartProgress(int32_t max) override
    {
        position = 0;
        maximum = max;
        progressVisible = true;
        log.push_back("start " + std::to_string(max));
    }
    void SetLabel(const std::string& text) override { log.push_back("label " + text); }
    void Step() override
    {
        ++position;
        log.push_back("step");
    }
    void HideProgress() override
    {
        progressVisible = false;
        log.push_back("hide");
    }
    void ShowBank() override { log.push_back("show"); }
    void Message(Kind kind, const std::string& text) override
    {
        log.push_back(std::string(kind == Kind::Error ? "error " : "info ") + text);
    }

    std::vector<std::string> Labels() const
    {
        std::vector<std::string> out;
        for (const auto& l : log)
            if (l.rfind("label ", 0) == 0)
                out.push_back(l.substr(6));
        return out;
    }
    int Count(const std::string& entry) const { return static_cast<int>(std::count(log.begin(), log.end(), entry)); }
    // Index of the first entry equal to `entry`, -1 when absent.
    int IndexOf(const std::string& entry) const
    {
        auto it = std::find(log.begin(), log.end(), entry);
        return it == log.end() ? -1 : static_cast<int>(it - log.begin());
    }
};
