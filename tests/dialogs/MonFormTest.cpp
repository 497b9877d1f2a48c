#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>

#include "TMonForm.h"

TEST(MonForm, StartsHiddenWithFixedLayout)
{
    TMonForm form;
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.size(), QSize(268, 71));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    EXPECT_EQ(form.MSG_LB->text(), QString::fromUtf8("処理中"));
    EXPECT_EQ(form.MSG_LB->pos(), QPoint(16, 16));
    EXPECT_EQ(form.PG_BAR->geometry(), QRect(16, 40, 233, 16));
    EXPECT_EQ(form.PG_BAR->maximum(), 100);
    EXPECT_EQ(form.PG_BAR->value(), 0);
}

TEST(MonForm, CaptionFollowsLanguageAtEveryShow)
{
    TMonForm form;
    form.SetLanguage(1);
    form.show();
    EXPECT_EQ(form.windowTitle(), "Communicat");
    form.hide();
    form.SetLanguage(0);
    form.show();
    EXPECT_EQ(form.windowTitle(), QString::fromUtf8("通信中"));
}

TEST(MonForm, RefusesToBeClosedByTheUser)
{
    TMonForm form;
    form.show();
    EXPECT_FALSE(form.close());
    EXPECT_TRUE(form.isVisible());
    form.hide();
    EXPECT_FALSE(form.isVisible());
}

TEST(MonForm, CentredOnThePrimaryScreenAtEveryShow)
{
    TMonForm form;
    const QRect s = QGuiApplication::primaryScreen()->geometry();
    form.show();
    const QRect f = form.frameGeometry();
    EXPECT_EQ(f.left(), s.x() + (s.width() - f.width()) / 2);
    EXPECT_EQ(f.top(), s.y() + (s.height() - f.height()) / 2);
    form.move(3, 5);
    form.hide();
    form.show();
    EXPECT_EQ(form.frameGeometry().topLeft(), f.topLeft());
}

TEST(MonForm, KeepsLabelAndBarWhenHiddenAndShownAgain)
{
    TMonForm form;
    form.PG_BAR->setMaximum(7);
    form.PG_BAR->setValue(3);
    form.MSG_LB->setText("Read MODEL3");
    form.show();
    form.hide();
    form.show();
    EXPECT_EQ(form.PG_BAR->value(), 3);
    EXPECT_EQ(form.PG_BAR->maximum(), 7);
    EXPECT_EQ(form.MSG_LB->text(), "Read MODEL3");
}
