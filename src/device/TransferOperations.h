#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "DeviceImage.h"
#include "ModelBank.h"
#include "TransferResult.h"

class DeviceExchange;
class TransferReporter;
struct DeviceBank;

// The four transfers between the bank and the controller, each with its progress and final
// message. Written once for the window, the command line and the tests.
class TransferOperations {
public:
    static constexpr int32_t kReadAllSteps = 7;
    static constexpr int32_t kReadShownSteps = 1;
    static constexpr int32_t kWriteAllSteps = 12;
    static constexpr int32_t kWriteShownSteps = 3;
    static constexpr int32_t kPauseMs = 100;

    TransferOperations(DeviceExchange& exchange, ModelBank& bank, DeviceBank& staging, TransferReporter& reporter,
                       int language);

    void SetLanguage(int language) { language_ = language; }
    // Asked before each frame is sent; when it answers true the transfer stops there and fails
    // with the cause Interrupted (the command line's Ctrl-C).
    void SetStopRequest(std::function<bool()> stop) { stop_ = std::move(stop); }

    // Read all models; the controller's current model is shown afterwards.
    TransferResult ReadAll();
    // Read model `shown` (0..4) into its record.
    TransferResult ReadShown(int shown);
    // Write all models, then make the bank's ModelNumber the controller's current model.
    // Nothing is sent while a model holds a value outside its range.
    TransferResult WriteAll();
    // Write model `shown` (0..4), then the bank's ModelNumber; nothing is sent while that
    // model holds a value outside its range.
    TransferResult WriteShown(int shown);

    // The model number and all five models into the staging bank (six bar steps). The staging
    // bank changes only when every read succeeded.
    bool ReadAllModels();
    // All five models from the staging bank (five bar steps); stops at the first refusal.
    bool WriteAllModels();

    // How the last operation ended.
    const TransferResult& LastResult() const { return result_; }
    // What the controller held before the last write, as that write's own reads found it: the
    // bank with the models read (all five, with the controller's model number and SYS_CUR, or
    // the shown one) in place and its memos kept. Empty after a read, or when a write failed
    // before its reads were done. Writing it back undoes the write.
    const std::optional<ModelBank>& ControllerBefore() const { return controllerBefore_; }

private:
    // `writes`: the models a write covers, checked before anything is sent; empty for a read.
    TransferResult Run(int32_t steps, bool pauseFirst, int successMsg, int failureMsg, const std::vector<int>& writes,
                       const std::function<bool()>& body);
    bool Fail(TransferResult::Step step, int model);
    // True, with the result failed as interrupted, when the stop request answers yes.
    bool Stopped(TransferResult::Step step, int model);
    std::string Label(int msg) const;
    std::string ModelLabel(int msg, int index) const;
    // One labelled step each: the command, and a bar step when it was accepted.
    std::optional<DeviceImage> ReadModelStep(int i);
    bool WriteModelStep(int i, const DeviceImage& image);
    bool WriteModelNumberStep(uint8_t n);

    DeviceExchange& exchange_;
    ModelBank& bank_;
    DeviceBank& staging_;
    TransferReporter& reporter_;
    int language_;
    std::function<bool()> stop_;
    TransferResult result_;
    bool bankChanged_ = false;
    std::optional<ModelBank> controllerBefore_;
};
