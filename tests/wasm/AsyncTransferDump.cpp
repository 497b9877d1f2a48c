// Read all, then write all, over a line whose Receive waits: in WebAssembly for a controller
// written in JavaScript (AsyncController.js), answering after timers, the wait suspended by
// Asyncify; natively for the controller's logic over the in-process line. Both start from the
// same controller and bank and must put the same bytes on the line and end with the same banks
// and controller.
#include <cstdio>
#include <string>

#include "BankText.h"
#include "DeviceExchange.h"
#include "FaultTable.h"
#include "RecordingLine.h"
#include "RecordingReporter.h"
#include "SimulatorTestState.h"
#include "TransferOperations.h"

#ifdef __EMSCRIPTEN__
#include <emscripten.h>

// clang-format off
EM_JS(void, JsControllerSet, (const uint8_t* state, int size), {
    Module.asyncController.set(HEAPU8.slice(state, state + size));
});
EM_JS(void, JsControllerGet, (uint8_t* state, int size), {
    HEAPU8.set(Module.asyncController.get().subarray(0, size), state);
});
EM_JS(void, JsLineSend, (const char* bytes, int size), {
    Module.asyncController.send(HEAPU8.slice(bytes, bytes + size));
});
EM_JS(void, JsLinePurge, (), { Module.asyncController.purge(); });
EM_ASYNC_JS(int, JsLineReceive, (char* buffer, int count, int timeoutMs), {
    const bytes = await Module.asyncController.receive(count, timeoutMs);
    HEAPU8.set(bytes, buffer);
    return bytes.length;
});
// clang-format on

// The model number and the five images, as the JavaScript controller keeps them.
constexpr int kStateSize = 1 + ControllerState::kModels * ControllerState::kImageSize;

class AsyncLine : public SerialLine {
public:
    explicit AsyncLine(const ControllerState& state)
    {
        uint8_t bytes[kStateSize];
        bytes[0] = state.ModelNumber();
        for (int i = 0; i < ControllerState::kModels; ++i)
            for (int k = 0; k < ControllerState::kImageSize; ++k)
                bytes[1 + i * ControllerState::kImageSize + k] = state.ImageOf(i)[static_cast<size_t>(k)];
        JsControllerSet(bytes, kStateSize);
    }
    ControllerState State() const
    {
        uint8_t bytes[kStateSize];
        JsControllerGet(bytes, kStateSize);
        ControllerState state;
        state.SetModelNumber(bytes[0]);
        for (int i = 0; i < ControllerState::kModels; ++i) {
            ControllerState::Image image;
            for (int k = 0; k < ControllerState::kImageSize; ++k)
                image[static_cast<size_t>(k)] = bytes[1 + i * ControllerState::kImageSize + k];
            state.SetImage(i, image);
        }
        return state;
    }
    bool IsOpen() const override { return true; }
    void PurgeReceive() override { JsLinePurge(); }
    bool Send(const std::string& bytes) override
    {
        JsLineSend(bytes.data(), static_cast<int>(bytes.size()));
        return true;
    }
    int32_t Receive(char* buffer, int32_t count, int32_t timeoutMs) override
    {
        return JsLineReceive(buffer, count, timeoutMs);
    }
    int32_t ReceiveTimeOutMs() const override { return 7000; }
};
#else
#include "SimulatedLine.h"
#endif

int main()
{
    const ControllerState initial = DistinctControllerState(80);
#ifdef __EMSCRIPTEN__
    AsyncLine line(initial);
    const auto controllerState = [&line] { return line.State(); };
#else
    ControllerLogic controller(std::chrono::milliseconds(500), initial);
    SimulatedLine line(controller);
    const auto controllerState = [&controller] { return controller.State(); };
#endif
    RecordingLine recording(line);
    DeviceExchange exchange(recording);
    ModelBank bank = DistinctBank();
    DeviceBank staging;
    int failures = 0;
    for (faultcases::Transfer t : {faultcases::Transfer::ReadAll, faultcases::Transfer::WriteAll}) {
        // Write all sends the edited models, not the ones just read.
        if (t == faultcases::Transfer::WriteAll) bank.models[1].NBRK = 201;
        RecordingReporter reporter;
        TransferOperations ops(exchange, bank, staging, reporter, 1);
        recording.log.clear();
        const TransferResult r = faultcases::RunTransfer(ops, t);
        failures += r.ok ? 0 : 1;
        std::printf("%s %s | line %s| bank %s | staging %s | controller %s\n", faultcases::TransferName(t),
                    r.ok ? "ok" : dumptext::OneLine("failed: " + r.Describe()).c_str(), recording.log.c_str(),
                    dumptext::Text(bank).c_str(), dumptext::Text(staging).c_str(),
                    dumptext::Hex(controllerState().ToText()).c_str());
    }
    return failures;
}
