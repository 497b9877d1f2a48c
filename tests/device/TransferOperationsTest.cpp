#include <gtest/gtest.h>

#include "DeviceBank.h"
#include "DeviceExchange.h"
#include "FakeController.h"
#include "FaultTable.h"
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

    std::vector<uint8_t> Commands() const { return faultcases::CommandsOf(comm.sent); }

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
    ExpectClosedWith("error Read failed\nreading MODEL3: time-out: no reply within 7000 ms");
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
    ExpectClosedWith("error Read failed\nwriting the model number: refused: reply ended in 0x15, not 0x06");
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
    ExpectClosedWith("error Write failed\nwriting MODEL3: refused: reply ended in 0x15, not 0x06\n"
                     "MODEL1 and MODEL2 were written; MODEL3 may have been written; MODEL4, MODEL5 "
                     "and the model number were not.");
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

TEST_F(TransferTest, AWriteKeepsWhatTheControllerHeldSoThatWritingItBackUndoesIt)
{
    controller.modelNumber = 120;
    for (size_t i = 0; i < 5; ++i) {  // values a write accepts, different in every model
        ModelSettings m;
        m.NBRK = static_cast<int32_t>(10 + i);
        m.PROG = static_cast<int32_t>(i);
        m.FRQ.fill(static_cast<int32_t>(30 + i));
        controller.images[i] = ImageForWriteShown(controller.images[i], m);
    }
    auto valuesOnController = [this] {
        std::array<ModelSettings, 5> v{};
        for (size_t i = 0; i < 5; ++i)
            ApplyImage(controller.images[i], v[i]);
        return v;
    };
    const auto original = valuesOnController();
    bank.models[0].NBRK = 3;
    bank.models[3].FRQ[9] = 50;

    ASSERT_TRUE(ops.WriteAll().ok);
    ASSERT_TRUE(ops.ControllerBefore());
    const ModelBank before = *ops.ControllerBefore();
    EXPECT_EQ(before.ModelNumber, 120);
    for (size_t i = 0; i < 5; ++i) {
        ModelSettings expected = original[i];
        expected.MEMO = bank.models[i].MEMO;  // the controller keeps no memo: the bank's stay
        EXPECT_EQ(before.models[i], expected) << "model " << i;
    }
    ASSERT_NE(valuesOnController(), original);
    bank = before;
    ASSERT_TRUE(ops.WriteAll().ok);
    EXPECT_EQ(valuesOnController(), original);
    EXPECT_EQ(controller.writtenModelNumber, 120);

    // The shown model: that one read, the others as the bank has them.
    bank.models[2].PROG = 5;
    const ModelBank edited = bank;
    ASSERT_TRUE(ops.WriteShown(2).ok);
    ModelBank expected = edited;
    expected.models[2] = original[2];
    expected.models[2].MEMO = edited.models[2].MEMO;
    EXPECT_EQ(ops.ControllerBefore(), expected);

    // Reads, and writes that stopped in their reads, know of no such setup.
    ASSERT_TRUE(ops.ReadShown(1).ok);
    EXPECT_FALSE(ops.ControllerBefore());
    controller.silentModels = {4};
    ASSERT_FALSE(ops.WriteAll().ok);
    EXPECT_FALSE(ops.ControllerBefore());
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

TEST_F(TransferTest, LabelsFollowTheLanguage)
{
    ops.SetLanguage(0);
    ops.ReadShown(4);
    ops.SetLanguage(1);
    ops.ReadShown(4);
    bank.Initialise();  // the fake controller's bytes are no valid settings
    ops.SetLanguage(0);
    controller.refusedWrites = {0};
    ops.WriteAll();
    ASSERT_EQ(reporter.Labels().size(), 9u);
    EXPECT_EQ(reporter.Labels()[0], "MODEL5を取ってくる");
    EXPECT_EQ(reporter.Labels()[1], "Read MODEL5");
    EXPECT_EQ(reporter.Labels()[2], "モデル番号を取ってくる");
    EXPECT_EQ(reporter.Labels().back(), "MODEL1書き込み");
    EXPECT_EQ(reporter.log[reporter.log.size() - 2],
              "error 書込失敗\nMODEL1 の書き込み: 拒否されました: 応答の末尾が 0x06 ではなく 0x15 でした\n"
              "MODEL1は書き込まれたかどうか分かりません。MODEL2〜MODEL5とモデル番号は書き込まれていません。");
}

// A value the controller cannot take stops the write before anything is sent, and only a
// write that covers the model holding it.
TEST_F(TransferTest, AValueOutsideItsRangeStopsTheWriteBeforeAnythingIsSent)
{
    struct Case {
        int model;
        void (*set)(ModelSettings&);
        std::string line;
    };
    const Case cases[] = {
        {0, [](ModelSettings& m) { m.NBRK = 300; }, "MODEL1 NBRK = 300 (allowed: 0..255)"},
        {0, [](ModelSettings& m) { m.NBRK = -1; }, "MODEL1 NBRK = -1 (allowed: 0..255)"},
        {1, [](ModelSettings& m) { m.BFREQ = 999; }, "MODEL2 BFREQ = 999 (allowed: 12..63)"},
        {1, [](ModelSettings& m) { m.BFREQ = 11; }, "MODEL2 BFREQ = 11 (allowed: 12..63)"},
        {2, [](ModelSettings& m) { m.PROG = 13; }, "MODEL3 PROG = 13 (allowed: 0..12)"},
        {2, [](ModelSettings& m) { m.VLT = 90; }, "MODEL3 VLT = 90 (allowed: 80, 88, 92, 96, 100, 160, 195)"},
        {3, [](ModelSettings& m) { m.FRQ[0] = 70000; }, "MODEL4 FRQ1 = 70000 (allowed: 12..63)"},
        {4, [](ModelSettings& m) { m.FRQ[31] = 64; }, "MODEL5 FRQ32 = 64 (allowed: 12..63)"},
    };
    const std::string heading =
        "error Nothing was written: these values are outside their range. Edit them, or reset their models, then "
        "write again:\n";
    for (const Case& c : cases) {
        bank.Initialise();
        c.set(bank.models[static_cast<size_t>(c.model)]);
        for (bool all : {true, false}) {
            reporter.log.clear();
            const TransferResult r = all ? ops.WriteAll() : ops.WriteShown(c.model);
            EXPECT_EQ(r.step, Step::RangeCheck) << c.line;
            EXPECT_EQ(r.model, c.model);
            EXPECT_EQ(reporter.log, (std::vector<std::string>{"begin", heading + c.line, "end"}));
        }
        EXPECT_TRUE(comm.sent.empty()) << c.line;
        EXPECT_TRUE(ops.WriteShown((c.model + 1) % 5).ok) << "another model's value stopped the write";
        comm.sent.clear();
    }

    // Every value at once, model by model and in the file's order within a model; a write of one
    // model lists only its own.
    bank.Initialise();
    bank.models[1].BFREQ = 999;
    bank.models[2].PROG = -4;
    bank.models[3].NBRK = 300;
    bank.models[4].FRQ[6] = 5;
    bank.models[4].VLT = 90;
    EXPECT_FALSE(ops.WriteAll().ok);
    EXPECT_EQ(reporter.log[reporter.log.size() - 2],
              heading +
                  "MODEL2 BFREQ = 999 (allowed: 12..63)\nMODEL3 PROG = -4 (allowed: 0..12)\n"
                  "MODEL4 NBRK = 300 (allowed: 0..255)\nMODEL5 VLT = 90 (allowed: 80, 88, 92, 96, 100, 160, 195)\n"
                  "MODEL5 FRQ7 = 5 (allowed: 12..63)");
    ops.SetLanguage(0);
    EXPECT_FALSE(ops.WriteShown(3).ok);
    EXPECT_EQ(reporter.log[reporter.log.size() - 2],
              "error 範囲外の値があるため、何も書き込んでいません。値を直すか MODEL を初期化してから、もう一度書き込んでください:\n"
              "MODEL4 NBRK = 300（範囲: 0..255）");
    EXPECT_TRUE(comm.sent.empty());
}

// What a failed write says the controller holds, by where it stopped. A stop request is asked
// before every frame; `stopAt` is the number of frames let through.
TEST_F(TransferTest, AFailedWriteSaysWhatTheControllerHolds)
{
    struct Case {
        std::string name;
        std::function<void(FakeController&, ScriptedLine&)> arm;
        bool all;
        int stopAt;  // -1: never asked to stop
        std::string summary;
    };
    const std::vector<Case> cases = {
        {"first refused", [](FakeController& c, ScriptedLine&) { c.refusedWrites = {0}; }, true, -1,
         "MODEL1 may have been written; MODEL2 to MODEL5 and the model number were not."},
        {"fourth refused", [](FakeController& c, ScriptedLine&) { c.refusedWrites = {3}; }, true, -1,
         "MODEL1 to MODEL3 were written; MODEL4 may have been written; MODEL5 and the model number were not."},
        {"number refused", [](FakeController& c, ScriptedLine&) { c.refuseModelNumber = true; }, true, -1,
         "MODEL1 to MODEL5 were written; the model number may have been written."},
        {"read failed", [](FakeController& c, ScriptedLine&) { c.silentModels = {0}; }, true, -1,
         "MODEL1 to MODEL5 and the model number were not written."},
        {"port gone", [](FakeController&, ScriptedLine& l) { l.open = false; }, true, -1,
         "MODEL1 to MODEL5 and the model number were not written."},
        {"stopped before MODEL3", [](FakeController&, ScriptedLine&) {}, true, 8,
         "MODEL1 and MODEL2 were written; MODEL3 to MODEL5 and the model number were not."},
        {"stopped before the number", [](FakeController&, ScriptedLine&) {}, false, 2,
         "MODEL4 was written; the model number was not."},
        {"number refused, shown", [](FakeController& c, ScriptedLine&) { c.refuseModelNumber = true; }, false, -1,
         "MODEL4 was written; the model number may have been written."},
        {"refused, shown", [](FakeController& c, ScriptedLine&) { c.refusedWrites = {3}; }, false, -1,
         "MODEL4 may have been written; the model number was not."},
    };
    for (const Case& c : cases) {
        controller = FakeController{};
        comm = ScriptedLine{};
        comm.responder = [this](const std::string& frame) { return controller(frame); };
        reporter.log.clear();
        c.arm(controller, comm);
        ops.SetStopRequest([this, &c] { return c.stopAt >= 0 && static_cast<int>(comm.sent.size()) >= c.stopAt; });
        const TransferResult r = c.all ? ops.WriteAll() : ops.WriteShown(3);
        EXPECT_FALSE(r.ok) << c.name;
        EXPECT_EQ(r.WriteSummary(1), c.summary) << c.name;
        EXPECT_EQ(reporter.log[reporter.log.size() - 2], "error Write failed\n" + r.Cause(1) + "\n" + c.summary) << c.name;
        if (c.stopAt >= 0) {
            EXPECT_EQ(static_cast<int>(comm.sent.size()), c.stopAt) << c.name;
            EXPECT_EQ(r.failure.cause, ExchangeFailure::Cause::Interrupted) << c.name;
            EXPECT_EQ(r.Describe(), c.all ? "writing MODEL3: interrupted" : "writing the model number: interrupted");
        }
    }
}

TEST_F(TransferTest, AStoppedReadSendsNothingMoreAndSaysOnlyThatItFailed)
{
    ops.SetStopRequest([this] { return comm.sent.size() >= 3; });
    const ModelBank before = bank;
    const TransferResult r = ops.ReadAll();
    EXPECT_EQ(r.failure.cause, ExchangeFailure::Cause::Interrupted);
    EXPECT_EQ(r.step, Step::ReadModel);
    EXPECT_EQ(r.model, 2);
    EXPECT_EQ(Commands(), (std::vector<uint8_t>{0xD6, 0xD1, 0xD2}));
    EXPECT_EQ(bank, before);
    ExpectClosedWith("error Read failed\nreading MODEL3: interrupted");
}

// Where the port is the trouble, the message says what to do about it, in both languages.
TEST_F(TransferTest, AFailureForWantOfAPortSaysWhatToDo)
{
    const struct {
        bool open;
        int language;
        std::string text;
    } cases[] = {
        {false, 1, "error Read failed\nreading the model number: no port open; choose a port next to COMM"},
        {false, 0, "error 読取失敗\nモデル番号の読み取り: ポートが開いていません。COMM の横でポートを選んでください"},
        {true, 1, "error Read failed\nreading the model number: the port failed while waiting for the reply; choose the "
                  "port again"},
        {true, 0, "error 読取失敗\nモデル番号の読み取り: 応答を待つ間にポートが使えなくなりました。ポートを選び直してください"},
    };
    for (const auto& c : cases) {
        comm.open = c.open;
        comm.readFails = c.open;  // open, but the device has gone
        ops.SetLanguage(c.language);
        reporter.log.clear();
        EXPECT_FALSE(ops.ReadAll().ok);
        ExpectClosedWith(c.text);
    }
}

}  // namespace
