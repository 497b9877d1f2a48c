#include "HistoryLabels.h"

#include <ctime>

#include "ModelBank.h"

std::string HistoryLabels::Time(int64_t timeMs)
{
    // Floor division: a time before 1970 still names its own second.
    const std::time_t seconds = static_cast<std::time_t>(timeMs / 1000 - (timeMs % 1000 < 0 ? 1 : 0));
    const std::tm* local = std::localtime(&seconds);
    char text[32] = {};
    if (!local || std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", local) == 0)
        return "?";
    return text;
}

std::string HistoryLabels::Entry(int64_t id, std::string_view name, int64_t timeMs, HistoryEntry::Action action,
                                 int model, int language)
{
    std::string label = "#" + std::to_string(id) + " ";
    if (!name.empty())
        return label.append(name);
    return label + Time(timeMs) + " " + HistoryEntry::ActionText(action, model, language);
}

std::string HistoryLabels::Models(uint8_t changed)
{
    std::string text;
    for (int i = 0; i < ModelBank::kModels; ++i)
        if ((changed & (1u << i)) != 0)
            text += (text.empty() ? "" : ",") + std::to_string(i + 1);
    return text.empty() ? "-" : text;
}
