#include "RssTrend.h"

#include <algorithm>

int64_t RssTrend::BaselineKiB() const
{
    for (const auto& [transfers, kib] : samples_)
        if (transfers >= warmUp_)
            return kib;
    return -1;
}

int64_t RssTrend::GrowthKiB() const
{
    const int64_t baseline = BaselineKiB();
    if (baseline < 0)
        return 0;
    int64_t growth = 0;
    for (const auto& [transfers, kib] : samples_)
        if (transfers >= warmUp_)
            growth = std::max(growth, kib - baseline);
    return growth;
}

bool RssTrend::WithinBound() const
{
    if (BaselineKiB() < 0)
        return false;
    for (const auto& sample : samples_)
        if (sample.second < 0)
            return false;
    return GrowthKiB() <= bound_;
}

std::string RssTrend::Series() const
{
    std::string out;
    for (const auto& [transfers, kib] : samples_)
        out += (out.empty() ? "" : " ") + std::to_string(transfers) + ":" + std::to_string(kib);
    return out;
}
