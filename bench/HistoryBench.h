#pragma once
#include <QString>

#include <vector>

// The history store filled with many entries (written directly, as years of transfers would
// leave them), then timed: listing it, and adding one entry to it.
class HistoryBench {
public:
    struct Figures {
        std::vector<double> listMs;  // one per run
        std::vector<double> addMs;
        size_t listed = 0;           // entries the last list gave
    };

    // Fills folder with `entries` entries and times `runs` lists and adds.
    static Figures Run(const QString& folder, int entries, int runs);
};
