#include "THintFilter.h"

#include <QHelpEvent>
#include <QToolTip>
#include <QVariant>
#include <QWidget>

#include "TextTable.h"

THintFilter::THintFilter(std::function<int()> language, QObject* parent)
    : QObject(parent), language_(std::move(language))
{
}

QString THintFilter::AppShowHint(const QObject* control) const
{
    const QVariant message = control->property(kMessageProperty);
    if (message.isValid())
        return QString::fromStdString(TextTable::Message(message.toInt(), language_()));
    const QVariant tag = control->property(kTagProperty);
    if (!tag.isValid())
        return {};
    return QString::fromStdString(TextTable::Hint(tag.toInt(), language_()));
}

bool THintFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::ToolTip || !watched->isWidgetType())
        return QObject::eventFilter(watched, event);
    const QString text = AppShowHint(watched);
    if (text.isEmpty()) {
        QToolTip::hideText();  // every other control has its hints switched off
    } else {
        auto* help = static_cast<QHelpEvent*>(event);
        QToolTip::showText(help->globalPos(), text, static_cast<QWidget*>(watched));
    }
    return true;
}
