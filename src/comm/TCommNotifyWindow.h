#pragma once
#include <QObject>

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>

// Carries worker notifications to the user-interface thread. A worker posts one and waits
// until the user-interface thread has handled it, which happens in the event loop and in the
// waits of SendData and ReceiveData. While that thread waits without handling events (Close,
// PurgeTrans), workers post without waiting, so neither side can hold the other up;
// what they posted is still handled, in order, once events are handled again.
class TCommNotifyWindow : public QObject {
public:
    using Handler = std::function<void(uint64_t session, uint32_t message, int32_t param)>;

    explicit TCommNotifyWindow(Handler handler);
    ~TCommNotifyWindow() override;

    // From a worker: hand the notification over and wait until it has been handled (or until
    // the user-interface thread enters a pause without events).
    void Send(uint64_t session, uint32_t message, int32_t param) noexcept;

    // User-interface thread: brackets a pause that handles no events.
    void BeginPause();
    void EndPause();

protected:
    bool event(QEvent* e) override;

private:
    struct Delivery;
    class DeliveryEvent;

    Handler FHandler;
    mutable std::mutex FLock;
    std::condition_variable FHandled;
    int FPauses = 0;
};
