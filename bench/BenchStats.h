#pragma once
#include <vector>

// Summaries of repeated measurements.
class BenchStats {
public:
    // The middle value; the mean of the two middle ones for an even count; 0 for none.
    static double Median(std::vector<double> values);
    static double Min(const std::vector<double>& values);
    static double Max(const std::vector<double>& values);
};
