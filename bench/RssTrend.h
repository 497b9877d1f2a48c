#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// Resident memory sampled along a long run: after a warm-up, it must not grow beyond a bound.
class RssTrend {
public:
    RssTrend(int warmUpTransfers, int64_t boundKiB) : warmUp_(warmUpTransfers), bound_(boundKiB) {}

    // Room for all samples up front, so keeping them does not show as growth of the heap.
    void Reserve(size_t samples) { samples_.reserve(samples); }
    void Add(int transfers, int64_t kib) { samples_.emplace_back(transfers, kib); }

    // The first sample taken at or after the warm-up; -1 before there is one.
    int64_t BaselineKiB() const;
    // The largest rise of a later sample over the baseline; 0 when none rose.
    int64_t GrowthKiB() const;
    // False also when there is no baseline, or a sample could not be read.
    bool WithinBound() const;
    int64_t BoundKiB() const { return bound_; }
    // "transfers:KiB" pairs, separated by spaces.
    std::string Series() const;

private:
    int warmUp_;
    int64_t bound_;
    std::vector<std::pair<int, int64_t>> samples_;
};
