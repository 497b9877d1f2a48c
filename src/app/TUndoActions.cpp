#include "TUndoActions.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>
#include <QToolButton>
#include <QWidget>

#include "EditingSession.h"
#include "THintFilter.h"
#include "TInputGuard.h"
#include "TextTable.h"
#include "ToolIcons.h"

namespace {
enum class KeyAction { None, Undo, Redo };

KeyAction ActionOf(const QKeyEvent* e)
{
    const Qt::KeyboardModifiers mods = e->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier | Qt::MetaModifier);
    if (e->key() == Qt::Key_Z && mods == Qt::ControlModifier)
        return KeyAction::Undo;
    if ((e->key() == Qt::Key_Y && mods == Qt::ControlModifier) ||
        (e->key() == Qt::Key_Z && mods == (Qt::ControlModifier | Qt::ShiftModifier)))
        return KeyAction::Redo;
    return KeyAction::None;
}
}  // namespace

TUndoActions::TUndoActions(QWidget* window, EditingSession& session, Hooks hooks)
    : QObject(window), window_(window), session_(session), hooks_(std::move(hooks))
{
    qApp->installEventFilter(this);
}

void TUndoActions::AddButtons(QWidget* panel, int x, int y, int size)
{
    const auto add = [&](const char* name, int message, ToolIcons::Kind icon, void (TUndoActions::*action)()) {
        auto* b = new QToolButton(panel);
        b->setObjectName(name);
        b->setProperty(THintFilter::kMessageProperty, message);
        b->setAutoRaise(true);
        b->setIcon(ToolIcons::Make(icon));
        b->setIconSize(QSize(24, 24));
        b->setGeometry(x, y, size, size);
        b->setFocusPolicy(Qt::NoFocus);  // the field being edited keeps the focus
        connect(b, &QToolButton::clicked, this, [this, action] { (this->*action)(); });
        x += size + 2;
        return b;
    };
    undoBtn_ = add("UNDO_BTN", TextTable::kUndoHint, ToolIcons::Undo, &TUndoActions::Undo);
    redoBtn_ = add("REDO_BTN", TextTable::kRedoHint, ToolIcons::Redo, &TUndoActions::Redo);
    UpdateButtons();
}

void TUndoActions::Undo()
{
    if (!hooks_.idle())
        return;
    hooks_.commitPending();
    if (session_.Undo())
        hooks_.showBank();
    UpdateButtons();
}

void TUndoActions::Redo()
{
    if (!hooks_.idle())
        return;
    hooks_.commitPending();
    if (session_.Redo())
        hooks_.showBank();
    UpdateButtons();
}

void TUndoActions::UpdateButtons()
{
    if (undoBtn_)
        undoBtn_->setEnabled(session_.CanUndo());
    if (redoBtn_)
        redoBtn_->setEnabled(session_.CanRedo());
}

bool TUndoActions::Ours(QObject* watched) const
{
    if (!watched->isWidgetType())
        return false;
    auto* w = static_cast<QWidget*>(watched);
    return w == window_ || window_->isAncestorOf(w);
}

void TUndoActions::AfterInput(bool endGesture)
{
    endPending_ = endPending_ || endGesture;
    if (pending_)
        return;
    pending_ = true;
    // After the input has been handled and the session has taken what it did.
    QTimer::singleShot(0, this, [this] {
        pending_ = false;
        if (endPending_ && hooks_.idle())
            session_.EndGesture();
        endPending_ = false;
        UpdateButtons();
    });
}

bool TUndoActions::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (!TInputGuard::IsInput(type) && type != QEvent::FocusIn)
        return false;
    if (!Ours(watched))
        return false;
    if (type == QEvent::KeyPress || type == QEvent::ShortcutOverride) {
        const KeyAction action = ActionOf(static_cast<QKeyEvent*>(event));
        if (action != KeyAction::None) {
            // The window's undo, not a text field's own: one history for every edit.
            if (type == QEvent::KeyPress && window_->isEnabled())
                action == KeyAction::Undo ? Undo() : Redo();
            event->accept();
            return true;
        }
    }
    AfterInput(type == QEvent::MouseButtonRelease || type == QEvent::FocusIn);
    return false;
}
