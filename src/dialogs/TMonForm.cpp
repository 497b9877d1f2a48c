#include "TMonForm.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QWindow>

#include <vector>

#include "WindowTexts.h"

namespace {
constexpr int kClientWidth = 268;
constexpr int kClientHeight = 71;
}  // namespace

// A title bar with a close button only: the window manager is asked for neither a minimise nor a
// maximise button. Minimising a dialog minimises its owner, the whole tool, with it.
TMonForm::TMonForm(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName("MonForm");
    setFixedSize(kClientWidth, kClientHeight);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Button);

    MSG_LB = new QLabel(QString::fromUtf8(WindowTexts::kProgressLabel), this);
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
    return QString::fromUtf8(WindowTexts::kProgressCaptions[language == 0 ? 0 : 1]);
}

void TMonForm::showEvent(QShowEvent* event)
{
    FormShow();
    QWidget::showEvent(event);
}

void TMonForm::FormShow()
{
    // Minimised along with its owner during a transfer, it would come back minimised at the
    // next show, and the window manager would minimise the owner with it again.
    setWindowState(windowState() & ~Qt::WindowMinimized);
    setWindowTitle(CaptionFor(language_));
    // In front of the owner while shown: the window manager keeps a transient window above it.
    if (owner_ && windowHandle()) {
        if (QWindow* ownerWindow = owner_->window()->windowHandle())
            windowHandle()->setTransientParent(ownerWindow);
    }
    // Centred by the outer size, afresh at every show, even if the user moved it.
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect s = screen->geometry();
    const QMargins frame = FrameMargins();
    const QSize outer = size().grownBy(frame);
    const int left = s.x() + (s.width() - outer.width()) / 2;
    const int top = s.y() + (s.height() - outer.height()) / 2;
    // Placed by the client area: a position given for the outer frame before the window system
    // knows the frame would put the client area there instead, a title bar too high.
    setGeometry(QRect(QPoint(left + frame.left(), top + frame.top()), size()));
}

QMargins TMonForm::FrameMargins() const
{
    auto margins = [](const QWidget* w) {
        const QRect f = w->frameGeometry();
        const QRect g = w->geometry();
        return QMargins(g.left() - f.left(), g.top() - f.top(), f.right() - g.right(), f.bottom() - g.bottom());
    };
    const QMargins own = margins(this);
    if (!own.isNull())
        return own;
    std::vector<const QWidget*> others;
    if (owner_)
        others.push_back(owner_->window());
    for (const QWidget* w : QApplication::topLevelWidgets())
        others.push_back(w);
    for (const QWidget* w : others) {
        if (w == this || !w->isVisible())
            continue;
        const QMargins m = margins(w);
        if (!m.isNull())
            return m;
    }
    return {};
}

void TMonForm::closeEvent(QCloseEvent* event)
{
    event->ignore();  // FormClose: refused, the window stays as it is
}
