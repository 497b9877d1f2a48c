#include "TMonForm.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>

namespace {
constexpr int kClientWidth = 268;
constexpr int kClientHeight = 71;
}  // namespace

TMonForm::TMonForm(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName("MonForm");
    setFixedSize(kClientWidth, kClientHeight);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Button);

    MSG_LB = new QLabel(QString::fromUtf8("処理中"), this);
    MSG_LB->setObjectName("MSG_LB");
    MSG_LB->move(16, 16);
    MSG_LB->resize(kClientWidth - 32, 18);

    PG_BAR = new QProgressBar(this);
    PG_BAR->setObjectName("PG_BAR");
    PG_BAR->setGeometry(16, 40, 233, 16);
    PG_BAR->setRange(0, 100);
    PG_BAR->setValue(0);
    PG_BAR->setTextVisible(false);
}

QString TMonForm::CaptionFor(int language)
{
    return language == 0 ? QString::fromUtf8("通信中") : QStringLiteral("Communicat");
}

void TMonForm::showEvent(QShowEvent* event)
{
    FormShow();
    QWidget::showEvent(event);
}

void TMonForm::FormShow()
{
    setWindowTitle(CaptionFor(language_));
    // Centred by the outer size, afresh at every show, even if the user moved it.
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect s = screen->geometry();
    QRect frame = frameGeometry();
    // Before the first show the window manager has not told us the frame yet: take the frame
    // of another window of ours that is shown, so the first show is centred by the outer size too.
    if (frame.size() == size()) {
        for (const QWidget* w : QApplication::topLevelWidgets()) {
            if (w == this || !w->isVisible())
                continue;
            const QRect f = w->frameGeometry();
            const QRect g = w->geometry();
            if (f.size() != g.size()) {
                frame.setSize(size() + (f.size() - g.size()));
                break;
            }
        }
    }
    const int left = s.x() + (s.width() - frame.width()) / 2;
    const int top = s.y() + (s.height() - frame.height()) / 2;
    move(left, top);  // move() places the outer frame's top-left corner
}

void TMonForm::closeEvent(QCloseEvent* event)
{
    event->ignore();  // FormClose: refused, the window stays as it is
}
