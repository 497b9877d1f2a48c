#pragma once
#include <string>

// A raw pseudo-terminal pair: the component opens the slave by its path, the test plays the
// device on the master. Closing the master is an unplugged device.
class PtyPair {
public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    const std::string& SlavePath() const { return FSlavePath; }
    int Master() const { return FMaster; }

    void Write(const std::string& bytes);
    // Reads from the master until want bytes have come or the time runs out.
    std::string Read(size_t want, int timeoutMs = 2000);
    void CloseMaster();

private:
    int FMaster = -1;
    int FSlave = -1;  // kept open so the pair lives while the component reopens
    std::string FSlavePath;
};
