#include <gtest/gtest.h>

#include "DeviceBank.h"
#include "DeviceExchange.h"
#include "FakeController.h"
#include "ModelBank.h"
#include "RecordingReporter.h"
#include "ScriptedLine.h"
#include "TransferOperations.h"

namespace {

using Step = TransferResult::Step;

class TransferTest : public ::testing::Test {
protected:
    FakeController controller;
    ScriptedLine comm;
    DeviceExchange exchange{comm};
    ModelBank bank;
    DeviceBank staging;
    RecordingReporter reporter;
    TransferOperations ops{exchange, bank, staging, reporter, 1};

    void SetUp() override
    {
        comm.responder = [this](const std::string& frame) { return controller(frame); };
        bank.Initialise();
        for (size_t i = 0; i < bank.models.size(); ++i)
            bank.models[i].MEMO = "memo " + std::to_string(i);
    }

    std::vector<uint8_t> Commands() const
    {
        std::vector<uint8_t> out;
        for (const auto& f : comm.sent)
            out.push_back(static_cast<uint8_t>(f.at(0)));
        return out;
    }

    // The frame ends as the window shows it: progress hidden, message, then the end.
    void ExpectClosedWith(const std::string& message)
    {
        ASSERT_GE(reporter.log.size(), 3u);
        EXPECT_EQ(reporter.log[reporter.log.size() - 3], "hide");
        EXPECT_EQ(reporter.log[reporter.log.size() - 2], message);
        EXPECT_EQ(reporter.log.back(), "end");
        EXPECT_FALSE(reporter.progressVisible);
    }
};

TEST_F(TransferTest, ReadAllTakesEveryModelAndShowsTheControllersCurrentOne)
{
    controller.modelNumber = 80;
    controller.images[0][6] = 0x2A;
    const TransferResult r = ops.ReadAll();

    EXPECT_TRUE(r.ok);
    EXPECT_EQ(Commands(), (std::vector<uint8_t>{0xD6, 0xD1, 0xD2, 0xD3, 0xD4, 0xD5, 0xE6}));
    EXPECT_EQ(comm.sent.back(), Bytes({0xE6, 0x50, 0x50}));
    EXPECT_EQ(bank.ModelNumber, 80);
    EXPECT_EQ(bank.ShownIndex(), 2);
    EXPECT_EQ(bank.SYS_CUR, 0x2A);
    for (size_t i = 0; i < 5; ++i) {
        ModelSettings expected;
        expected.MEMO = "memo " + std::to_string(i);
        ApplyImage(controller.images[i], expected);
        EXPECT_EQ(bank.models[i], expected) << "model " << i;
    }
    EXPECT_EQ(reporter.position, 7);
    EXPECT_EQ(reporter.maximum, 7);
    const std::vector<std::string> head{"begin", "pause 100", "start 7", "label Read Modelnumber"};
    EXPECT_EQ(std::vector<std::string>(reporter.log.begin(), reporter.log.begin() + 4), head);
    EXPECT_EQ(reporter.Labels(),
              (std::vector<std::string>{"Read Modelnumber", "Read MODEL1", "Read MODEL2", "Read MODEL3", "Read MODEL4",
                                        "Read MODEL5", "Write Modelnumber"}));
    // Closing steps: last bar step, the pause, the bank shown, then the report.
    const int show = reporter.IndexOf("show");
    ASSERT_GE(show, 2);
    EXPECT_EQ(reporter.log[static_cast<size_t>(show - 1)], "pause 100");
    EXPECT_EQ(reporter.log[static_cast<size_t>(show - 2)], "step");
    ExpectClosedWith("info Read successful");
}

TEST_F(TransferTest, ReadAllFailingAtTheThirdModelChangesNothing)
{
    controller.silentModels = {2};
    const ModelBank before = bank;
    const DeviceBank stagingBefore = staging;

    const TransferResult r = ops.ReadAll();

    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.step, Step::ReadModel);
    EXPECT_EQ(r.model, 2);
    EXPECT_EQ(r.failure.cause, ExchangeFailure::Cause::TimeOut);
    EXPECT_EQ(r.Describe().rfind("reading MODEL3: time-out", 0), 0u);
    EXPECT_EQ(Commands(), (std::vector<uint8_t>{0xD6, 0xD1, 0xD2, 0xD3}));
    EXPECT_EQ(reporter.position, 3);
    EXPECT_EQ(bank, before);
    EXPECT_EQ(staging, stagingBefore);
    EXPECT_EQ(reporter.Count("show"), 0);
    EXPECT_EQ(reporter.Count("pause 100"), 1);  // only the one before the progress starts
    ExpectClosedWith("error Read failed");
}

TEST_F(TransferTest, ReadAllWhoseModelNumberWriteBackFailsStillShowsTheValuesTaken)
{
    controller.modelNumber = 40;
    controller.refuseModelNumber = true;
    const TransferResult r = ops.ReadAll();

    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.step, Step::WriteModelNumber);
    EXPECT_EQ(r.failure.cause, ExchangeFailure::Cause::Refused);
    EXPECT_EQ(bank.ModelNumber, 40);
    EXPECT_EQ(bank.models[1].NBRK, controller.images[1][8]);
    EXPECT_EQ(reporter.position, 6);
    // The controls must not keep showing the values the bank no longer has.
    EXPECT_EQ(reporter.Count("show"), 1);
    EXPECT_LT(reporter.IndexOf("show"), reporter.IndexOf("hide"));
    ExpectClosedWith("error Read failed");
}

TEST_F(TransferTest, ReadShownReadsOnlyThatModelIntoOnlyThatRecord)
{
    bank.ModelNumber = 120;
    const ModelBank before = bank;
    const DeviceBank stagingBefore = staging;

    const TransferResult r = ops.ReadShown(3);

    EXPECT_TRUE(r.ok);
    EXPECT_EQ(comm.sent, std::vector<std::string>{Bytes({0xD4})});
    for (size_t i = 0; i < 5; ++i) {
        if (i == 3)
            continue;
        EXPECT_EQ(bank.models[i], before.models[i]) << "model " << i;
    }
    ModelSettings expected;
    expected.MEMO = "memo 3";
    ApplyImage(controller.images[3], expected);
    EXPECT_EQ(bank.models[3], expected);
    EXPECT_EQ(bank.ModelNumber, 120);
    EXPECT_EQ(bank.SYS_CUR, before.SYS_CUR);
    EXPECT_EQ(staging, stagingBefore);
    EXPECT_EQ(reporter.maximum, 1);
    EXPECT_EQ(reporter.position, 1);
    EXPECT_LT(reporter.IndexOf("show"), reporter.IndexOf("pause 100"));
    EXPECT_EQ(reporter.IndexOf("pause 100") + 1, reporter.IndexOf("hide"));
    ExpectClosedWith("info Read successful");
}

TEST_F(TransferTest, WriteAllSendsTheBankWithTheControllersOwnBytes)
{
    bank.ModelNumber = 160;
    bank.models[2].NBRK = 7;
    bank.models[2].FRQ[5] = 60;
    const auto original = controller.images;
    const ModelBank before = bank;

    const TransferResult r = ops.WriteAll();

    EXPECT_TRUE(r.ok);
    EXPECT_EQ(Commands(), (std::vector<uint8_t>{0xD6, 0xD1, 0xD2, 0xD3, 0xD4, 0xD5, 0xE1, 0xE2, 0xE3, 0xE4, 0xE5,
                                                0xE6}));
    EXPECT_EQ(comm.sent.back(), Bytes({0xE6, 0xA0, 0xA0}));
    for (size_t i = 0; i < 5; ++i) {
        const DeviceImage& w = controller.images[i];
        for (size_t b = 0; b < 6; ++b)
            EXPECT_EQ(w[b], original[0][b]);
        EXPECT_EQ(w[6], 0x0F);
        EXPECT_EQ(w[7], i * 40);
        EXPECT_EQ(w[10], original[i][10]);
        EXPECT_EQ(w[11], original[i][11]);
        EXPECT_EQ(w[14], original[i][14]);
        EXPECT_EQ(w[15], 0xFF);
        ModelSettings sent;
        sent.MEMO = bank.models[i].MEMO;
        ApplyImage(w, sent);
        EXPECT_EQ(sent, bank.models[i]) << "model " << i;
    }
    EXPECT_EQ(bank, before);  // write all changes neither the bank nor the controls
    EXPECT_EQ(reporter.Count("show"), 0);
    EXPECT_EQ(reporter.position, 12);
    EXPECT_EQ(reporter.maximum, 12);
    EXPECT_EQ(reporter.Count("pause 100"), 1);
    ExpectClosedWith("info Write successful");
}

TEST_F(TransferTest, WriteAllRefusedAtTheThirdModelLeavesTheFirstTwoWritten)
{
    controller.refusedWrites = {2};
    const TransferResult r = ops.WriteAll();

    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.step, Step::WriteModel);
    EXPECT_EQ(r.model, 2);
    EXPECT_EQ(r.failure.cause, ExchangeFailure::Cause::Refused);
    EXPECT_EQ(Commands(), (std::vector<uint8_t>{0xD6, 0xD1, 0xD2, 0xD3, 0xD4, 0xD5, 0xE1, 0xE2, 0xE3}));
    EXPECT_EQ(controller.written, (std::array<bool, 5>{true, true, false, false, false}));
    EXPECT_EQ(controller.writtenModelNumber, -1);
    EXPECT_EQ(reporter.position, 8);
    EXPECT_EQ(reporter.Labels().back(), "Write MODEL3");
    ExpectClosedWith("error Write failed");
}

TEST_F(TransferTest, WriteShownReadsWritesAndSetsTheModelNumber)
{
    bank.ModelNumber = 40;
    bank.models[1].VLT = 195;
    const DeviceImage asRead = controller.images[1];

    const TransferResult r = ops.WriteShown(1);

    EXPECT_TRUE(r.ok);
    ASSERT_EQ(comm.sent.size(), 3u);
    EXPECT_EQ(comm.sent[0], Bytes({0xD2}));
    ASSERT_EQ(comm.sent[1].size(), 50u);
    EXPECT_EQ(static_cast<uint8_t>(comm.sent[1][0]), 0xE2);
    EXPECT_EQ(comm.sent[1][1 + 7], 0x00);
    EXPECT_EQ(comm.sent[2], Bytes({0xE6, 0x28, 0x28}));
    DeviceImage expected = ImageForWriteShown(asRead, bank.models[1]);
    EXPECT_EQ(controller.images[1], expected);
    EXPECT_EQ(controller.images[1][12], 195);
    EXPECT_EQ(controller.written, (std::array<bool, 5>{false, true, false, false, false}));
    EXPECT_EQ(reporter.Labels(), (std::vector<std::string>{"Read MODEL2", "Write MODEL2", "Write Modelnumber"}));
    EXPECT_EQ(reporter.position, 3);
    EXPECT_EQ(reporter.maximum, 3);
    ExpectClosedWith("info Write successful");
}

TEST_F(TransferTest, AModelNumberNamingNoModelIsWrittenAsTheShownModel)
{
    bank.ModelNumber = 255;  // e.g. from an older file: shows MODEL5
    ASSERT_TRUE(ops.WriteShown(bank.ShownIndex()).ok);
    EXPECT_EQ(comm.sent.back(), Bytes({0xE6, 0xA0, 0xA0}));
    bank.ModelNumber = 81;  // names MODEL3 and goes out as it is
    ASSERT_TRUE(ops.WriteAll().ok);
    EXPECT_EQ(comm.sent.back(), Bytes({0xE6, 0x51, 0x51}));
}

TEST_F(TransferTest, WriteShownStopsAtARefusedModel)
{
    controller.refusedWrites = {4};
    const TransferResult r = ops.WriteShown(4);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.step, Step::WriteModel);
    EXPECT_EQ(Commands(), (std::vector<uint8_t>{0xD5, 0xE5}));
    EXPECT_EQ(reporter.position, 1);
    ExpectClosedWith("error Write failed");
}

TEST_F(TransferTest, LabelsFollowTheLanguage)
{
    ops.SetLanguage(0);
    ops.ReadShown(4);
    ops.SetLanguage(1);
    ops.ReadShown(4);
    ops.SetLanguage(0);
    controller.refusedWrites = {0};
    ops.WriteAll();
    EXPECT_EQ(reporter.Labels()[0], "MODEL5を取ってくる");
    EXPECT_EQ(reporter.Labels()[1], "Read MODEL5");
    EXPECT_EQ(reporter.Labels()[2], "モデル番号を取ってくる");
    EXPECT_EQ(reporter.Labels().back(), "MODEL1書き込み");
    EXPECT_EQ(reporter.log[reporter.log.size() - 2], "error 書込失敗");
}

}  // namespace
