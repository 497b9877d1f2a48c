#include "TPortComboBox.h"

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
    emit closedUp();
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
        break;
    }
    QComboBox::keyPressEvent(event);
}

void TPortComboBox::wheelEvent(QWheelEvent* event)
{
    event->ignore();
}
