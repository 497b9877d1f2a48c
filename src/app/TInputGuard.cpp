#include "TInputGuard.h"

#include <QWidget>

TInputGuard::TInputGuard(QWidget* window, QObject* parent) : QObject(parent), window_(window) {}

bool TInputGuard::IsInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::InputMethod:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::ContextMenu:
    case QEvent::ToolTip:
    case QEvent::WhatsThis:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::NativeGesture:
        return true;
    default:
        return false;
    }
}

bool TInputGuard::eventFilter(QObject* watched, QEvent* event)
{
    if (window_->isEnabled() || !IsInput(event->type()) || !watched->isWidgetType())
        return false;
    auto* w = static_cast<QWidget*>(watched);
    // Only this window's own controls; the progress window and the message boxes stay usable.
    if (w != window_ && !window_->isAncestorOf(w))
        return false;
    event->ignore();  // a drag sees the drop refused
    return true;
}
