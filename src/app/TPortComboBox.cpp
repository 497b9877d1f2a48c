#include "TPortComboBox.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QWheelEvent>

void TPortComboBox::showPopup()
{
    dropped_ = true;
    QComboBox::showPopup();
}

void TPortComboBox::hidePopup()
{
    QComboBox::hidePopup();
    if (!dropped_)
        return;
    dropped_ = false;
    // The list takes the clicked or entered item only after its popup has closed: report the
    // close once that has happened, so the handler sees the new choice.
    QMetaObject::invokeMethod(this, &TPortComboBox::closedUp, Qt::QueuedConnection);
}

void TPortComboBox::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
        // Choosing happens in the drop-down part, which reports its close.
        if (event->modifiers() == Qt::NoModifier) {
            showPopup();
            event->accept();
            return;
        }
        break;
    default:
        // Typing a letter would search the closed list and change the choice unapplied.
        if (!event->text().isEmpty() && event->text().front().isPrint()) {
            showPopup();
            event->accept();
            return;
        }
        break;
    }
    QComboBox::keyPressEvent(event);
}

void TPortComboBox::wheelEvent(QWheelEvent* event)
{
    event->ignore();
}

void TPortComboBox::inputMethodEvent(QInputMethodEvent* event)
{
    // A committed text searches the closed list just as a typed letter does.
    if (!event->commitString().isEmpty()) {
        showPopup();
        event->accept();
        return;
    }
    QComboBox::inputMethodEvent(event);
}
