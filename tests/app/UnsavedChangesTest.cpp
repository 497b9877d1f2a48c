#include <gtest/gtest.h>

#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include "MainFormHarness.h"
#include "RecordingPresenter.h"
#include "ScriptedFileDialogs.h"
#include "TModelEditor.h"
#include "TUndoActions.h"

namespace {

class UnsavedChanges : public ::testing::Test {
protected:
    void Start(QStringList args)
    {
        form = MakeMainForm(std::move(args));
        form->show();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
        messages.requests.clear();
    }
    // An edit as the user makes it, by typing.
    void TypeMemo(const QString& text)
    {
        form->MDL_SEL->Memo1->setFocus();
        QTest::keyClicks(form->MDL_SEL->Memo1, text);
        QTest::qWait(1);  // the caption follows once the input is handled
    }
    void TypeNbrk(const QString& text)
    {
        form->MDL_SEL->NBRK_EDIT->setFocus();
        form->MDL_SEL->NBRK_EDIT->selectAll();
        QTest::keyClicks(form->MDL_SEL->NBRK_EDIT, text);  // committed by what comes next
    }
    FileChoice In(const char* name) const { return FileChoice{dir.filePath(name), 0}; }

    QTemporaryDir dir;
    RecordingPresenter messages;
    ScriptedFileDialogs dialogs;
    std::unique_ptr<TMainForm> form;
};

}  // namespace

TEST_F(UnsavedChanges, CaptionNamesTheFileAndMarksEditsAndTheKeysOpenAndSave)
{
    for (const char* arg : {"-E", "-V"}) {
        Start({arg});
        const QString caption = arg == std::string("-V") ? TMainForm::kDateCaption : TMainForm::kCaption;
        EXPECT_EQ(form->windowTitle(), caption);
        TypeMemo("x");
        EXPECT_EQ(form->windowTitle(), "*" + caption);
        dialogs.next = In("a.txt");
        QTest::keyClick(form.get(), Qt::Key_S, Qt::ControlModifier);
        EXPECT_TRUE(QFile::exists(dir.filePath("a.VXS")));
        EXPECT_EQ(form->windowTitle(), "a.VXS - " + caption);
        messages.requests.clear();  // the second round is asked whether to replace a.VXS
        TypeNbrk("7");
        dialogs.next = In("a.VXS");
        messages.answers = {DialogResult::No};
        QTest::keyClick(form.get(), Qt::Key_O, Qt::ControlModifier);  // the typed number counts as an edit
        ASSERT_EQ(messages.requests.size(), 1u);
        EXPECT_EQ(form->windowTitle(), "a.VXS - " + caption);
        EXPECT_EQ(form->Bank.models[0].MEMO, "x\r\n");
    }
}

TEST_F(UnsavedChanges, ClosingOverEditsAsksAndGoesOnOnlyWhenSavedOrDiscarded)
{
    const struct {
        int32_t answer;
        std::optional<FileChoice> saveAs;
        bool closes;
    } cases[] = {
        {DialogResult::Yes, In("kept.VXS"), true},  // Save, then close
        {DialogResult::Yes, std::nullopt, false},    // Save, its dialog cancelled
        {DialogResult::No, std::nullopt, true},      // Discard
        {DialogResult::Cancel, std::nullopt, false},
    };
    for (const auto& c : cases) {
        QFile::remove(dir.filePath("kept.VXS"));
        Start({"-J"});
        TypeMemo("memo");
        messages.answers = {c.answer};
        dialogs.next = c.saveAs;
        EXPECT_EQ(form->close(), c.closes) << c.answer;
        ASSERT_EQ(messages.requests.size(), 1u);
        const MessageRequest& q = messages.requests[0];
        EXPECT_EQ(q.kind, DialogKind::Question);
        EXPECT_EQ(q.text, "変更を保存しますか？");
        EXPECT_EQ(q.buttonTexts, (std::vector<std::string>{"保存", "保存しない", "キャンセル"}));
        EXPECT_EQ(QFile::exists(dir.filePath("kept.VXS")), c.saveAs.has_value());
    }
    Start({"-E"});  // nothing edited: no question
    EXPECT_TRUE(form->close());
    EXPECT_TRUE(messages.requests.empty());
}

TEST_F(UnsavedChanges, OpenAndReadAllAskFirstAndCancelLeavesEverything)
{
    Start({"-E"});  // the port is OFF: a read that starts fails at once
    dialogs.next = In("a.VXS");
    form->SaveBtn->click();
    TypeMemo("memo");
    form->READ_BTN->click();  // memos are not read: nothing to lose, no question
    EXPECT_EQ(messages.requests.size(), 1u);
    const char* readFailed = "Read failed\nreading the model number: no port open; choose a port next to COMM";
    EXPECT_EQ(messages.requests.back().text, readFailed);

    const std::pair<QToolButton*, const char*> commands[] = {{form->OpenBtn, "open"}, {form->READ_BTN, readFailed}};
    for (const auto& [button, after] : commands) {
        TypeNbrk("9");
        messages.requests.clear();
        dialogs.shown.clear();
        messages.answers = {DialogResult::Cancel};
        button->click();
        ASSERT_EQ(messages.requests.size(), 1u);
        EXPECT_EQ(messages.requests[0].text, "Save the changes to a.VXS?");
        EXPECT_TRUE(dialogs.shown.isEmpty());
        EXPECT_EQ(form->Bank.models[0].NBRK, 9);
        messages.answers = {DialogResult::No};
        button->click();  // Discard: the command runs
        EXPECT_TRUE(messages.requests.back().text == after || dialogs.shown == QStringList{after});
    }
}

TEST_F(UnsavedChanges, ResetAsksOverEditsOfTheShownModelAndUndoRedoTakeWholeSteps)
{
    Start({"-E"});
    TypeMemo("abc");  // typing is one step
    TypeNbrk("7");
    messages.answers = {DialogResult::Cancel};
    form->RESET_BTN->click();  // the typed number counts as an edit, so Reset asks
    ASSERT_EQ(messages.requests.size(), 1u);
    EXPECT_EQ(form->Bank.models[0].NBRK, 7);  // cancelled: nothing reset
    messages.answers = {DialogResult::No};
    form->RESET_BTN->click();
    EXPECT_EQ(form->Bank.models[0].NBRK, 128);
    EXPECT_EQ(form->Bank.models[0].MEMO, "abc\r\n");

    form->MDL_SEL->Memo1->setFocus();  // the memo's own undo does not stand in for the window's
    const auto key = [this](Qt::Key k, Qt::KeyboardModifiers m) {
        QTest::keyClick(form->MDL_SEL->Memo1, k, m);
        QTest::qWait(1);
    };
    key(Qt::Key_Z, Qt::ControlModifier);  // the Reset
    EXPECT_EQ(form->MDL_SEL->NBRK_EDIT->text(), "7");
    key(Qt::Key_Z, Qt::ControlModifier);  // the number
    EXPECT_EQ(form->Bank.models[0].NBRK, 128);
    EXPECT_EQ(form->MDL_SEL->Memo1->toPlainText(), "abc");
    form->Undo().UndoButton()->click();  // the whole typing at once
    EXPECT_EQ(form->Bank.models[0].MEMO, "");
    EXPECT_FALSE(form->Undo().UndoButton()->isEnabled());
    key(Qt::Key_Y, Qt::ControlModifier);
    key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(form->Bank.models[0].NBRK, 7);
    EXPECT_EQ(form->Bank.models[0].MEMO, "abc\r\n");
    EXPECT_TRUE(form->windowTitle().startsWith('*'));
    EXPECT_EQ(messages.requests.size(), 2u);  // undo and redo ask nothing
}
