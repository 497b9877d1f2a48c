#include "TCommReceiveThread.h"

#include "SerialLayer.h"
#include "TCommNotifyWindow.h"
#include "TCustomCommX.h"

TCommReceiveThread::TCommReceiveThread(std::shared_ptr<SerialLayer> port, TCommNotifyWindow& notifyWindow,
                                       uint64_t session)
    : FPort(std::move(port)), FNotifyWindow(notifyWindow), FSession(session)
{
}

TCommReceiveThread::~TCommReceiveThread()
{
    Terminate();
    Join();
}

void TCommReceiveThread::Start()
{
    FThread = std::thread([this] { Execute(); });
}

void TCommReceiveThread::Terminate()
{
    FTerminated = true;
    FPort->WakeEventWait();
}

void TCommReceiveThread::Join()
{
    if (FThread.joinable())
        FThread.join();
}

void TCommReceiveThread::Execute()
{
    for (;;) {
        const uint32_t mask = FPort->WaitEvent();
        if (FTerminated)
            break;
        // Every wake-up fetches the error flags, whatever the mask says.
        const uint32_t errors = FPort->ClearErrors(nullptr) & 0x000E;
        if (errors != 0)
            FNotifyWindow.Send(FSession, TCustomCommX::CommErrMsg, static_cast<int32_t>(errors));
        if (mask & SerialLayer::kEvBreak)
            FNotifyWindow.Send(FSession, TCustomCommX::CommBreakMsg, static_cast<int32_t>(mask));
        if (mask & SerialLayer::kEvRxChar)
            FNotifyWindow.Send(FSession, TCustomCommX::CommReceiveMsg, 0);
        if (FTerminated)
            break;
    }
}
