#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFontMetrics>
#include <QMessageBox>
#include <QTimer>

#include "MessageDialog.h"
#include "RecordingPresenter.h"

TEST(MessageDialog, CaptionsIconsAndButtonSetsFromTheTables)
{
    auto r = MakeMessageRequest(DialogKind::Error, DialogButtons::Ok, "x", 1);
    EXPECT_EQ(r.caption, "Error");
    EXPECT_EQ(r.style, 0x10u);
    r = MakeMessageRequest(DialogKind::Error, DialogButtons::Ok, "x", 0);
    EXPECT_EQ(r.caption, "エラー");
    r = MakeMessageRequest(DialogKind::Question, DialogButtons::YesNo, "x", 0);
    EXPECT_EQ(r.caption, "確認");
    EXPECT_EQ(r.style, 0x24u);
    r = MakeMessageRequest(DialogKind::Warning, DialogButtons::YesNoCancel, "x", 1);
    EXPECT_EQ(r.caption, "Warning");
    EXPECT_EQ(r.style, 0x33u);
    r = MakeMessageRequest(DialogKind::Information, DialogButtons::OkHelp, "x", 0);
    EXPECT_EQ(r.caption, "情報");
    EXPECT_EQ(r.style, 0x4040u);
    // Outside the tables: no icon, empty caption, OK only.
    r = MakeMessageRequest(4, 7, "x", 1);
    EXPECT_EQ(r.caption, "");
    EXPECT_EQ(r.style, 0u);
    r = MakeMessageRequest(255, DialogButtons::RetryCancel, "x", 1);
    EXPECT_EQ(r.style, 5u);
}

TEST(MessageDialog, PresenterSeamAnswersAndRecords)
{
    RecordingPresenter p;
    p.answers = {DialogResult::No};
    EXPECT_EQ(MessageDialog(DialogKind::Question, DialogButtons::YesNo, "Okay?", 1), DialogResult::No);
    EXPECT_EQ(MessageDialog(DialogKind::Question, DialogButtons::YesNo, "Okay?", 1), DialogResult::Yes);
    ASSERT_EQ(p.requests.size(), 2u);
    EXPECT_EQ(p.requests[0].text, "Okay?");
    EXPECT_EQ(p.requests[0].caption, "Question");
}

namespace {
// Presses a button of the message box that is about to open, once it is shown.
void PressWhenShown(QMessageBox::StandardButton button, std::function<void(QMessageBox*)> inspect = {})
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, button, inspect] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        if (inspect)
            inspect(box);
        box->button(button)->click();
    });
    timer->start();
}
}  // namespace

TEST(MessageDialog, RealBoxShowsCaptionIconButtonsAndReturnsWindowsIds)
{
    QString title;
    QMessageBox::Icon icon{};
    int buttons = 0;
    PressWhenShown(QMessageBox::Ok, [&](QMessageBox* box) {
        title = box->windowTitle();
        icon = box->icon();
        buttons = static_cast<int>(box->buttons().size());
    });
    EXPECT_EQ(MessageDialog(DialogKind::Error, DialogButtons::Ok, "Read failed", 1), DialogResult::Ok);
    EXPECT_EQ(title, "Error");
    EXPECT_EQ(icon, QMessageBox::Critical);
    EXPECT_EQ(buttons, 1);

    PressWhenShown(QMessageBox::Yes);
    EXPECT_EQ(MessageDialog(DialogKind::Question, DialogButtons::YesNo, "Okay?", 1), DialogResult::Yes);
    PressWhenShown(QMessageBox::No);
    EXPECT_EQ(MessageDialog(DialogKind::Question, DialogButtons::YesNo, "Okay?", 0), DialogResult::No);
    PressWhenShown(QMessageBox::Retry);
    EXPECT_EQ(MessageDialog(DialogKind::Warning, DialogButtons::RetryCancel, "x", 0), DialogResult::Retry);
    PressWhenShown(QMessageBox::Ignore);
    EXPECT_EQ(MessageDialog(DialogKind::Warning, DialogButtons::AbortRetryIgnore, "x", 0), DialogResult::Ignore);
}

TEST(MessageDialog, TextIsShownAsItIsAndJapaneseButtonsAreNamedInJapanese)
{
    Qt::TextFormat format{};
    QString yes;
    QString no;
    PressWhenShown(QMessageBox::No, [&](QMessageBox* box) {
        format = box->textFormat();
        yes = box->button(QMessageBox::Yes)->text();
        no = box->button(QMessageBox::No)->text();
    });
    EXPECT_EQ(MessageDialog(DialogKind::Question, DialogButtons::YesNo, "/tmp/<b>x</b>.VXS", 0), DialogResult::No);
    EXPECT_EQ(format, Qt::PlainText);
    EXPECT_EQ(yes, QString::fromUtf8("はい(&Y)"));
    EXPECT_EQ(no, QString::fromUtf8("いいえ(&N)"));

    // Buttons named by the caller keep the standard results.
    QStringList names;
    PressWhenShown(QMessageBox::No, [&](QMessageBox* box) {
        for (auto b : {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel})
            names << box->button(b)->text();
    });
    EXPECT_EQ(MessageDialog(DialogKind::Question, DialogButtons::YesNoCancel, "x", 0, {"保存", "保存しない", "キャンセル"}),
              DialogResult::No);
    EXPECT_EQ(names, QStringList({QString::fromUtf8("保存"), QString::fromUtf8("保存しない"), QString::fromUtf8("キャンセル")}));
}

// A window manager draws the caption beside the window's icon and its title-bar buttons and cuts
// it short ("Inf…ion") when the box is narrower; the box leaves room for it in a bold title font
// a quarter larger than its own, whatever the language and kind.
TEST(MessageDialog, BoxIsWideEnoughForItsCaption)
{
    constexpr int kIconAndThreeButtons = 4 * 24;
    for (int language : {0, 1}) {
        for (uint8_t kind : {DialogKind::Warning, DialogKind::Information, DialogKind::Question, DialogKind::Error}) {
            int width = 0;
            int needed = 0;
            PressWhenShown(QMessageBox::Ok, [&](QMessageBox* box) {
                QFont title = box->font();
                title.setBold(true);
                if (title.pixelSize() > 0)
                    title.setPixelSize(title.pixelSize() * 5 / 4);
                else
                    title.setPointSizeF(title.pointSizeF() * 1.25);
                needed = QFontMetrics(title).horizontalAdvance(box->windowTitle()) + kIconAndThreeButtons;
                width = box->width();
            });
            MessageDialog(kind, DialogButtons::Ok, "x", language);
            EXPECT_GE(width, needed) << MakeMessageRequest(kind, DialogButtons::Ok, "x", language).caption;
        }
    }
}
