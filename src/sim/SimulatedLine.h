#pragma once
#include <cstdint>
#include <deque>
#include <string>

#include "ControllerLogic.h"
#include "SerialLine.h"

// A serial line with the controller's logic at its far end, in the same process and without a
// port: the transfers run against it in the browser's demonstration and in tests. Time is
// simulated. It starts at zero and moves on only while Receive waits, and then at once to the
// next thing that happens: a reply arriving, a partial frame abandoned by the controller, or the
// end of the wait. A time-out therefore costs nothing, and a run gives the same bytes every time.
// Replies go out in the order the controller made them, a delayed one holding back those after
// it, as on the real line. After a hang-up the port stays open but is dead, as the desktop's is
// until the port is chosen again: nothing can be sent and every Receive fails at once.
class SimulatedLine : public SerialLine {
public:
    using Clock = ControllerLogic::Clock;

    explicit SimulatedLine(ControllerLogic& controller, int32_t receiveTimeOutMs = 7000);

    bool IsOpen() const override { return true; }
    void PurgeReceive() override { received_.clear(); }
    bool Send(const std::string& bytes) override;
    int32_t Receive(char* buffer, int32_t count, int32_t timeoutMs) override;
    int32_t ReceiveTimeOutMs() const override { return receiveTimeOutMs_; }

    void SetReceiveTimeOutMs(int32_t ms) { receiveTimeOutMs_ = ms; }
    Clock::time_point Now() const { return now_; }
    // Lets simulated time pass, e.g. for a pause between commands.
    void Wait(Clock::duration duration) { RunUntil(now_ + duration); }
    bool HungUp() const { return dead_; }
    ControllerLogic& Controller() { return controller_; }

private:
    struct Arrival {
        ControllerLogic::Bytes bytes;
        Clock::time_point at;
        size_t hangUpAt = ControllerLogic::kNoHangUp;
    };

    void Queue(std::vector<ControllerLogic::Reply>& replies);
    // The time of the next arrival or frame abandonment, if it comes no later than `limit`.
    bool NextEvent(Clock::time_point limit, Clock::time_point& at) const;
    // Handles everything due at `at` and moves the clock there.
    void Step(Clock::time_point at);
    void RunUntil(Clock::time_point limit);

    ControllerLogic& controller_;
    int32_t receiveTimeOutMs_;
    Clock::time_point now_{};
    std::deque<Arrival> arrivals_;
    std::string received_;  // arrived and not yet taken
    bool dead_ = false;
};
