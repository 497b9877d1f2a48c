#include "TransferOperations.h"

#include "DeviceBank.h"
#include "DeviceExchange.h"
#include "ModelBank.h"
#include "TextTable.h"
#include "TransferReporter.h"

namespace {
// The shown model as the controller numbers it. A number loaded from a file that names none of
// the five models (outside 0..199) would make the controller's current model one it does not
// have; the model shown for it goes instead.
uint8_t ShownModelNumber(const ModelBank& bank)
{
    const int32_t n = bank.ModelNumber;
    const bool names = n >= 0 && n < ModelBank::kModels * ModelBank::kModelStep;
    return static_cast<uint8_t>(names ? n : bank.ShownIndex() * ModelBank::kModelStep);
}

// A write whose frame went out without an accepted acknowledgement may have been stored; with
// no port open nothing went out.
TransferResult::Written Outcome(bool acknowledged, const ExchangeFailure& failure)
{
    if (acknowledged)
        return TransferResult::Written::Yes;
    return failure.cause == ExchangeFailure::Cause::NoPort ? TransferResult::Written::No : TransferResult::Written::Maybe;
}
}  // namespace

TransferOperations::TransferOperations(DeviceExchange& exchange, ModelBank& bank, DeviceBank& staging,
                                       TransferReporter& reporter, int language)
    : exchange_(exchange), bank_(bank), staging_(staging), reporter_(reporter), language_(language)
{
}

std::string TransferOperations::Label(int msg) const
{
    return TextTable::Message(msg, language_);
}

std::string TransferOperations::ModelLabel(int msg, int index) const
{
    return TextTable::ReplaceStar(Label(msg), index + 1);
}

bool TransferOperations::Stopped(TransferResult::Step step, int model)
{
    if (!stop_ || !stop_())
        return false;
    Fail(step, model);
    result_.failure = ExchangeFailure{};
    result_.failure.cause = ExchangeFailure::Cause::Interrupted;
    return true;
}

bool TransferOperations::Fail(TransferResult::Step step, int model)
{
    result_.ok = false;
    result_.step = step;
    result_.model = model;
    result_.failure = exchange_.LastFailure();
    return false;
}

TransferResult TransferOperations::Run(int32_t steps, bool pauseFirst, int successMsg, int failureMsg,
                                       const std::vector<int>& writes, const std::function<bool()>& body)
{
    result_ = TransferResult{};
    bankChanged_ = false;
    controllerBefore_.reset();

    reporter_.Begin();
    // After Begin, so that a number being typed is checked too. A value the controller cannot
    // take would go out cut to its low byte: refuse the whole write instead.
    // Every such value at once, so that one round of edits mends them all.
    if (const auto bad = OutOfRange::FindAll(bank_, writes); !bad.empty()) {
        Fail(TransferResult::Step::RangeCheck, bad.front().model);
        result_.failure = ExchangeFailure{};
        result_.outOfRange = bad.front();
        reporter_.Message(TransferReporter::Kind::Error, OutOfRange::WriteRefusal(bad, language_));
        reporter_.End();
        return result_;
    }
    for (int i : writes)
        result_.addressed[static_cast<size_t>(i)] = true;
    if (pauseFirst)
        reporter_.Pause(kPauseMs);
    reporter_.StartProgress(steps);

    if (body()) {
        reporter_.HideProgress();
        reporter_.Message(TransferReporter::Kind::Information, Label(successMsg));
    } else {
        // The bank may already hold the values read (read all whose model-number write-back
        // failed): show them, so the controls do not display values the bank no longer has.
        if (bankChanged_)
            reporter_.ShowBank();
        reporter_.HideProgress();
        // The command line names the cause the same way, after the first line.
        std::string text = Label(failureMsg) + "\n" + result_.Cause(language_);
        const std::string summary = result_.WriteSummary(language_);
        if (!summary.empty())
            text += "\n" + summary;
        reporter_.Message(TransferReporter::Kind::Error, text);
    }
    reporter_.End();
    return result_;
}

std::optional<DeviceImage> TransferOperations::ReadModelStep(int i)
{
    reporter_.SetLabel(ModelLabel(TextTable::kReadModel, i));
    if (Stopped(TransferResult::Step::ReadModel, i))
        return std::nullopt;
    auto image = exchange_.ReadModel(i);
    if (!image) {
        Fail(TransferResult::Step::ReadModel, i);
        return std::nullopt;
    }
    reporter_.Step();
    return image;
}

bool TransferOperations::WriteModelStep(int i, const DeviceImage& image)
{
    reporter_.SetLabel(ModelLabel(TextTable::kWriteModel, i));
    if (Stopped(TransferResult::Step::WriteModel, i))
        return false;
    const bool ok = exchange_.WriteModel(i, image);
    result_.written[static_cast<size_t>(ModelBank::ClampIndex(i))] = Outcome(ok, exchange_.LastFailure());
    if (!ok)
        return Fail(TransferResult::Step::WriteModel, i);
    reporter_.Step();
    return true;
}

bool TransferOperations::WriteModelNumberStep(uint8_t n)
{
    reporter_.SetLabel(Label(TextTable::kWriteModelNumber));
    if (Stopped(TransferResult::Step::WriteModelNumber, -1))
        return false;
    const bool ok = exchange_.WriteModelNumber(n);
    result_.modelNumber = Outcome(ok, exchange_.LastFailure());
    if (!ok)
        return Fail(TransferResult::Step::WriteModelNumber, -1);
    reporter_.Step();
    return true;
}

bool TransferOperations::ReadAllModels()
{
    reporter_.SetLabel(Label(TextTable::kReadModelNumber));
    if (Stopped(TransferResult::Step::ReadModelNumber, -1))
        return false;
    const int32_t n = exchange_.ReadModelNumber();
    if (n < 0)
        return Fail(TransferResult::Step::ReadModelNumber, -1);
    reporter_.Step();

    std::array<DeviceImage, DeviceBank::kModels> images{};
    for (int i = 0; i < DeviceBank::kModels; ++i) {
        auto image = ReadModelStep(i);
        if (!image)
            return false;
        images[static_cast<size_t>(i)] = *image;
    }
    staging_.Fill(images, n);
    return true;
}

bool TransferOperations::WriteAllModels()
{
    for (int i = 0; i < DeviceBank::kModels; ++i)
        if (!WriteModelStep(i, staging_.ImageForWriteAll(i)))
            return false;
    return true;
}

TransferResult TransferOperations::ReadAll()
{
    return Run(kReadAllSteps, true, TextTable::kReadSuccessful, TextTable::kReadFailed, {}, [this] {
        if (!ReadAllModels())
            return false;
        staging_.StagingToBank(bank_);
        bankChanged_ = true;
        if (!WriteModelNumberStep(LowByte(bank_.ModelNumber)))
            return false;
        reporter_.Pause(kPauseMs);
        reporter_.ShowBank();
        return true;
    });
}

TransferResult TransferOperations::ReadShown(int shown)
{
    const int i = ModelBank::ClampIndex(shown);
    return Run(kReadShownSteps, false, TextTable::kReadSuccessful, TextTable::kReadFailed, {}, [this, i] {
        auto image = ReadModelStep(i);
        if (!image)
            return false;
        ApplyImage(*image, bank_.Model(i));
        reporter_.ShowBank();
        reporter_.Pause(kPauseMs);
        return true;
    });
}

TransferResult TransferOperations::WriteAll()
{
    return Run(kWriteAllSteps, false, TextTable::kWriteSuccessful, TextTable::kWriteFailed, {0, 1, 2, 3, 4}, [this] {
        if (!ReadAllModels())
            return false;
        controllerBefore_ = bank_;
        staging_.StagingToBank(*controllerBefore_);
        staging_.BankToStaging(bank_);
        if (!WriteAllModels() || !WriteModelNumberStep(ShownModelNumber(bank_)))
            return false;
        reporter_.Pause(kPauseMs);
        return true;
    });
}

TransferResult TransferOperations::WriteShown(int shown)
{
    const int i = ModelBank::ClampIndex(shown);
    return Run(kWriteShownSteps, false, TextTable::kWriteSuccessful, TextTable::kWriteFailed, {i}, [this, i] {
        auto image = ReadModelStep(i);
        if (!image)
            return false;
        controllerBefore_ = bank_;
        ApplyImage(*image, controllerBefore_->Model(i));
        if (!WriteModelStep(i, ImageForWriteShown(*image, bank_.Model(i))) ||
            !WriteModelNumberStep(ShownModelNumber(bank_)))
            return false;
        reporter_.Pause(kPauseMs);
        return true;
    });
}
