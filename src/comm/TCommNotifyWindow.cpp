#include "TCommNotifyWindow.h"

#include <QCoreApplication>
#include <QEvent>

#include <memory>

struct TCommNotifyWindow::Delivery {
    uint64_t session;
    uint32_t message;
    int32_t param;
    bool handled = false;
};

class TCommNotifyWindow::DeliveryEvent : public QEvent {
public:
    static QEvent::Type Kind()
    {
        static const auto kind = static_cast<QEvent::Type>(QEvent::registerEventType());
        return kind;
    }
    explicit DeliveryEvent(std::shared_ptr<Delivery> d) : QEvent(Kind()), delivery(std::move(d)) {}
    std::shared_ptr<Delivery> delivery;
};

TCommNotifyWindow::TCommNotifyWindow(Handler handler) : FHandler(std::move(handler))
{
    DeliveryEvent::Kind();  // registered on the user-interface thread, before any worker runs
}

TCommNotifyWindow::~TCommNotifyWindow() = default;

void TCommNotifyWindow::Send(uint64_t session, uint32_t message, int32_t param) noexcept
{
    // Workers must never see an exception; a notification that cannot be built is dropped.
    std::shared_ptr<Delivery> delivery;
    QEvent* event = nullptr;
    try {
        delivery = std::make_shared<Delivery>(Delivery{session, message, param});
        event = new DeliveryEvent(delivery);
    } catch (...) {
        return;
    }
    // Posted under the lock that event() takes before reading it: the hand-over is then ordered
    // in a way a race detector can see (Qt's own queue lock is invisible to it).
    std::unique_lock<std::mutex> lock(FLock);
    QCoreApplication::postEvent(this, event);
    FHandled.wait(lock, [&] { return delivery->handled || FPauses > 0; });
}

void TCommNotifyWindow::BeginPause()
{
    {
        std::lock_guard<std::mutex> lock(FLock);
        ++FPauses;
    }
    FHandled.notify_all();
}

void TCommNotifyWindow::EndPause()
{
    std::lock_guard<std::mutex> lock(FLock);
    --FPauses;
}

bool TCommNotifyWindow::event(QEvent* e)
{
    std::shared_ptr<Delivery> delivery;
    bool ours = false;
    {
        // A worker posts under this lock: taking it before the event is read orders the two.
        std::lock_guard<std::mutex> lock(FLock);
        ours = e->type() == DeliveryEvent::Kind();
        if (ours)
            delivery = static_cast<DeliveryEvent*>(e)->delivery;
    }
    if (!ours)
        return QObject::event(e);
    // Released even if the handler throws, so the worker never waits for ever.
    struct Release {
        TCommNotifyWindow* self;
        Delivery* d;
        ~Release()
        {
            {
                std::lock_guard<std::mutex> lock(self->FLock);
                d->handled = true;
            }
            self->FHandled.notify_all();
        }
    } release{this, delivery.get()};
    if (FHandler)
        FHandler(delivery->session, delivery->message, delivery->param);
    return true;
}
