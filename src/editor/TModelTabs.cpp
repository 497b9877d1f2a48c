#include "TModelTabs.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTabBar>
#include <QWidget>

#include "MessageDialog.h"
#include "ModelBank.h"
#include "EditingSession.h"
#include "TCurveEditor.h"

TModelTabs::TModelTabs(QTabBar* tabs, QWidget* mdlSel, EditorContext& ctx, TCurveEditor& curve)
    : QObject(tabs), tabs_(tabs), mdlSel_(mdlSel), ctx_(ctx), curve_(curve)
{
    // Presses move the focus to Panel4 anyway; a focused tab bar would switch models by arrow key
    // without passing through a press.
    tabs_->setFocusPolicy(Qt::NoFocus);
    tabs_->installEventFilter(this);
    // A press on the page body (beside every control) is a press on the tab control as well.
    mdlSel_->installEventFilter(this);
    connect(tabs_, &QTabBar::currentChanged, this, [this](int index) {
        if (!selecting_ && index >= 0 && index < ModelBank::kModels && index != ctx_.session.Bank().ShownIndex())
            FollowTab(index);
    });
}

TModelTabs::~TModelTabs()
{
    EndDrag();
}

void TModelTabs::MDL_SELChanging()
{
    if (ctx_.focusPanel4)
        ctx_.focusPanel4();
}

void TModelTabs::MDL_SELMouseDown(Qt::MouseButton /*Button*/, QPoint pos)
{
    // Also for presses that change nothing, so a number being typed always commits first.
    if (ctx_.focusPanel4)
        ctx_.focusPanel4();
    const int t = tabs_->tabAt(pos);
    dragFrom_ = dragTo_ = t;
    // A press beside the tabs has no model to show: the shown model stays.
    if (t < 0 || t >= ModelBank::kModels)
        return;
    ShowModelTab(t);
}

void TModelTabs::ShowModelTab(int index)
{
    if (ctx_.focusPanel4)
        ctx_.focusPanel4();
    SelectTab(index);
    ctx_.session.SelectTab(tabs_->currentIndex());
    if (ctx_.showModel)
        ctx_.showModel();
    ShowSelection();
}

void TModelTabs::MDL_SELDragOver(QPoint pos)
{
    if (!OnTabControl(pos))
        SetCursor(Qt::ForbiddenCursor);
    else if (tabs_->tabAt(pos) == dragFrom_)
        SetCursor(Qt::ArrowCursor);
    else
        SetCursor(Qt::DragCopyCursor);
}

void TModelTabs::MDL_SELDragDrop(QPoint pos)
{
    dragTo_ = tabs_->tabAt(pos);
    const std::string question = ctx_.session.CopyQuestion(dragFrom_, dragTo_);
    if (question.empty())
        return;
    if (MessageDialog(DialogKind::Question, DialogButtons::YesNo, question, ctx_.language) == DialogResult::No)
        return;
    ctx_.session.Copy(dragFrom_, dragTo_);
    if (ctx_.showModel)
        ctx_.showModel();
}

bool TModelTabs::OnTabControl(QPoint pos) const
{
    const QPoint p = mdlSel_->mapFromGlobal(tabs_->mapToGlobal(pos));
    return mdlSel_->rect().contains(p);
}

void TModelTabs::SelectTab(int index)
{
    if (tabs_->currentIndex() != index)
        MDL_SELChanging();
    selecting_ = true;
    tabs_->setCurrentIndex(index);
    selecting_ = false;
}

void TModelTabs::FollowTab(int index)
{
    MDL_SELChanging();
    ctx_.session.SelectTab(index);
    if (ctx_.showModel)
        ctx_.showModel();
    ShowSelection();
}

void TModelTabs::ShowSelection()
{
    // The selection belongs to the editor and stays; only its display follows the new model.
    curve_.ShowFrqValue(curve_.SelStart());
    curve_.DrawSelectGauge(curve_.SelStart(), curve_.SelEnd());
}

void TModelTabs::BeginDrag(QPoint pos)
{
    dragging_ = true;
    if (tabs_->isVisible()) {
        tabs_->grabMouse();
        grabbed_ = true;
    }
    cursor_ = Qt::ArrowCursor;
    QGuiApplication::setOverrideCursor(QCursor(cursor_));
    MDL_SELDragOver(pos);
}

void TModelTabs::EndDrag()
{
    armed_ = false;
    armedButton_ = Qt::NoButton;
    if (!dragging_)
        return;
    dragging_ = false;
    if (grabbed_) {
        tabs_->releaseMouse();
        grabbed_ = false;
    }
    QGuiApplication::restoreOverrideCursor();
}

void TModelTabs::SetCursor(Qt::CursorShape shape)
{
    cursor_ = shape;
    if (dragging_)
        QGuiApplication::changeOverrideCursor(QCursor(shape));
}

bool TModelTabs::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == mdlSel_) {
        // It hits no tab: a number being typed commits, and the shown model stays.
        if (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::MouseButtonDblClick)
            return false;
        const auto* me = static_cast<QMouseEvent*>(event);
        MDL_SELMouseDown(me->button(), tabs_->mapFrom(mdlSel_, me->position().toPoint()));
        return true;
    }
    if (watched != tabs_)
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        // The press is handled here in full; the tab bar would select the tab without a
        // chance to commit a number being typed first.
        const auto* me = static_cast<QMouseEvent*>(event);
        EndDrag();
        const QPoint pos = me->position().toPoint();
        MDL_SELMouseDown(me->button(), pos);
        if (dragFrom_ >= 0) {
            armed_ = true;
            armedButton_ = me->button();
            pressPos_ = pos;
        }
        return true;
    }
    case QEvent::MouseMove: {
        if (!armed_)
            return false;
        const auto* me = static_cast<QMouseEvent*>(event);
        const QPoint pos = me->position().toPoint();
        if (!(me->buttons() & armedButton_)) {
            // The button came up where we did not see it: the drag ends without effect.
            EndDrag();
            return true;
        }
        if (!dragging_ && (pos - pressPos_).manhattanLength() >= QApplication::startDragDistance())
            BeginDrag(pos);
        else if (dragging_)
            MDL_SELDragOver(pos);
        return true;
    }
    case QEvent::MouseButtonRelease: {
        const auto* me = static_cast<QMouseEvent*>(event);
        if (armed_ && me->button() == armedButton_) {
            const bool dropped = dragging_;
            const QPoint pos = me->position().toPoint();
            // Ungrab before the question: the message box needs the mouse.
            EndDrag();
            if (dropped && OnTabControl(pos))
                MDL_SELDragDrop(pos);
        }
        return true;
    }
    case QEvent::Wheel:
        return true;
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent*>(event)->key();
        return key == Qt::Key_Left || key == Qt::Key_Right;
    }
    default:
        return false;
    }
}
