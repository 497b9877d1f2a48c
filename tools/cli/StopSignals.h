#pragma once
#include <csignal>

// Ctrl-C (SIGINT) and SIGTERM as a request to stop. The handler only notes the signal; a
// transfer looks at the note before each frame, a save before it replaces its file, so every
// stop leaves the controller between frames and every file whole.
class StopSignals {
public:
    // Installs the handlers; until then the signals end the process as usual.
    static void Install();
    static bool Requested();
    // The signal noted, 0 for none.
    static int Signal();
    // The exit status for a stop by either signal: 130, the status of an interrupted command,
    // so a script tells "stopped" from "failed" with one test whichever way it was stopped.
    static int ExitStatus() { return 130; }

    // While alive, the signals are blocked in the calling thread, so that threads it starts
    // meanwhile (the serial workers) never take them and only this thread is interrupted.
    class BlockedInNewThreads {
    public:
        BlockedInNewThreads();
        ~BlockedInNewThreads();
        BlockedInNewThreads(const BlockedInNewThreads&) = delete;
        BlockedInNewThreads& operator=(const BlockedInNewThreads&) = delete;

    private:
        sigset_t previous_;
    };
};
