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
    // The file buttons and Exit name their keys after the hint.
    int keys = -1;
    switch (tag.toInt()) {
    case 2: keys = TextTable::kOpenKeys; break;
    case 3: keys = TextTable::kSaveKeys; break;
    case 4: keys = TextTable::kExitKeys; break;
    default: break;
    }
    std::string text = TextTable::Hint(tag.toInt(), language_());
    if (keys >= 0)
        text += TextTable::Message(keys, language_());
    return QString::fromStdString(text);
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
