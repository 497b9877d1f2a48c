#include "ScriptedSerialLayer.h"

#include <chrono>
#include <cstring>

using Lock = std::unique_lock<std::mutex>;
using std::chrono::milliseconds;

void ScriptedSerialLayer::Script::Feed(const std::string& bytes)
{
    {
        Lock l(lock);
        input.insert(input.end(), bytes.begin(), bytes.end());
    }
    changed.notify_all();
}

void ScriptedSerialLayer::Script::Raise(uint32_t mask, uint32_t errorFlags)
{
    {
        Lock l(lock);
        events.emplace_back(mask, errorFlags);
    }
    changed.notify_all();
}

void ScriptedSerialLayer::Script::SetHoldWrites(bool hold)
{
    {
        Lock l(lock);
        holdWrites = hold;
    }
    changed.notify_all();
}

std::vector<std::string> ScriptedSerialLayer::Script::Log()
{
    Lock l(lock);
    return log;
}

std::string ScriptedSerialLayer::Script::Written()
{
    Lock l(lock);
    return written;
}

bool ScriptedSerialLayer::Script::WaitFor(const std::function<bool()>& pred, int timeoutMs)
{
    Lock l(lock);
    return changed.wait_for(l, milliseconds(timeoutMs), pred);
}

ScriptedSerialLayer::ScriptedSerialLayer(std::shared_ptr<Script> script) : S(std::move(script))
{
    Lock l(S->lock);
    S->layerAlive = true;
    ++S->layersCreated;
}

ScriptedSerialLayer::~ScriptedSerialLayer()
{
    {
        Lock l(S->lock);
        S->layerAlive = false;
        S->log.push_back("destroyed");
    }
    S->changed.notify_all();
}

bool ScriptedSerialLayer::Open(const std::string& path)
{
    Lock l(S->lock);
    S->openedPath = path;
    FOpen = !S->refuseOpen;
    return FOpen;
}

void ScriptedSerialLayer::Close()
{
    Lock l(S->lock);
    if (FOpen)
        S->log.push_back("close");
    FOpen = false;
}

bool ScriptedSerialLayer::SetQueueSizes(int32_t, int32_t)
{
    Lock l(S->lock);
    return !S->refuseQueueSizes;
}

bool ScriptedSerialLayer::GetState(CommDcb& dcb)
{
    dcb = CommDcb{};
    return true;
}

bool ScriptedSerialLayer::SetState(const CommDcb& dcb)
{
    Lock l(S->lock);
    S->states.push_back(dcb);
    return !(S->refuseState && S->refuseState(dcb));
}

bool ScriptedSerialLayer::SetTimeouts(const CommTimeouts& timeouts)
{
    Lock l(S->lock);
    S->timeouts.push_back(timeouts);
    return !S->refuseTimeouts;
}

void ScriptedSerialLayer::PurgeOutput()
{
    {
        Lock l(S->lock);
        S->log.push_back("purge-out");
        FWriterWoken = true;
    }
    S->changed.notify_all();
}

void ScriptedSerialLayer::PurgeInput()
{
    Lock l(S->lock);
    S->log.push_back("purge-in");
    S->input.clear();
}

void ScriptedSerialLayer::SetModemLine(ModemLine line, bool on)
{
    {
        Lock l(S->lock);
        S->log.push_back(std::string(line == ModemLine::Rts ? "RTS" : "DTR") + (on ? "+" : "-"));
    }
    S->changed.notify_all();
}

int32_t ScriptedSerialLayer::Write(const void* data, int32_t length)
{
    {
        Lock l(S->lock);
        ++S->writeAttempts;
        if (length > 0)
            S->offered += *static_cast<const char*>(data);
        if (S->failWrites) {
            S->errors |= S->writeErrors;
            S->log.push_back("write-failed");
            length = -1;
        } else if (S->holdWrites) {
            length = 0;
        } else {
            S->written.append(static_cast<const char*>(data), static_cast<size_t>(length));
            S->log.push_back("write:" + std::to_string(length));
        }
    }
    S->changed.notify_all();
    return length;
}

SerialLayer::WaitResult ScriptedSerialLayer::WaitWritable(int32_t timeoutMs)
{
    Lock l(S->lock);
    ++S->writeWaiters;
    S->changed.notify_all();
    auto ready = [&] { return FWriterWoken || !S->holdWrites; };
    bool ok;
    if (timeoutMs < 0) {
        S->changed.wait(l, ready);
        ok = true;
    } else {
        ok = S->changed.wait_for(l, milliseconds(timeoutMs), ready);
    }
    --S->writeWaiters;
    if (FWriterWoken) {
        FWriterWoken = false;
        return WaitResult::Woken;
    }
    return ok ? WaitResult::Ready : WaitResult::TimedOut;
}

void ScriptedSerialLayer::WakeWriter()
{
    {
        Lock l(S->lock);
        FWriterWoken = true;
    }
    S->changed.notify_all();
}

int32_t ScriptedSerialLayer::Read(void* buffer, int32_t count)
{
    Lock l(S->lock);
    int32_t n = 0;
    auto* out = static_cast<uint8_t*>(buffer);
    while (n < count && !S->input.empty()) {
        out[n++] = S->input.front();
        S->input.pop_front();
    }
    return n;
}

SerialLayer::WaitResult ScriptedSerialLayer::WaitReadable(int32_t timeoutMs)
{
    Lock l(S->lock);
    return S->changed.wait_for(l, milliseconds(timeoutMs), [&] { return !S->input.empty(); })
               ? WaitResult::Ready
               : WaitResult::TimedOut;
}

uint32_t ScriptedSerialLayer::ClearErrors(int32_t* inQueue)
{
    uint32_t errors;
    {
        Lock l(S->lock);
        ++S->clearErrorsCalls;
        errors = S->errors;
        S->errors = 0;
        if (inQueue)
            *inQueue = static_cast<int32_t>(S->input.size());
    }
    S->changed.notify_all();
    return errors;
}

uint32_t ScriptedSerialLayer::WaitEvent()
{
    Lock l(S->lock);
    ++S->eventWaiters;
    S->changed.notify_all();
    S->changed.wait(l, [&] { return FEventWoken || !S->events.empty(); });
    --S->eventWaiters;
    if (FEventWoken) {
        FEventWoken = false;
        return 0;
    }
    const auto [mask, errors] = S->events.front();
    S->events.pop_front();
    S->errors |= errors;
    return mask;
}

void ScriptedSerialLayer::WakeEventWait()
{
    {
        Lock l(S->lock);
        FEventWoken = true;
    }
    S->changed.notify_all();
}
