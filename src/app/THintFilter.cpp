#include "THintFilter.h"

#include <QAbstractItemView>
#include <QHeaderView>
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
    auto* help = static_cast<QHelpEvent*>(event);
    const QString text = AppShowHint(watched);
    if (!text.isEmpty()) {
        QToolTip::showText(help->globalPos(), text, static_cast<QWidget*>(watched));
        return true;
    }
    // A name shown shortened carries itself whole as its own hint (the compare dialog's sides):
    // Qt shows that. Every other control has its hints switched off.
    if (OwnHint(static_cast<QWidget*>(watched), help->pos()))
        return QObject::eventFilter(watched, event);
    QToolTip::hideText();
    return true;
}

bool THintFilter::OwnHint(const QWidget* widget, QPoint pos)
{
    // Only the compare dialog shortens names; Qt's own hints elsewhere (the file dialog's buttons)
    // stay off.
    if (widget->window()->objectName() != QLatin1String("CompareDialog"))
        return false;
    if (!widget->toolTip().isEmpty())
        return true;
    // An item's or a header section's hint comes to the view's viewport.
    const auto* view = qobject_cast<const QAbstractItemView*>(widget->parentWidget());
    if (!view || view->viewport() != widget)
        return false;
    if (const auto* header = qobject_cast<const QHeaderView*>(view)) {
        const int section = header->logicalIndexAt(pos);
        return section >= 0 && header->model() &&
               !header->model()->headerData(section, header->orientation(), Qt::ToolTipRole).toString().isEmpty();
    }
    return !view->indexAt(pos).data(Qt::ToolTipRole).toString().isEmpty();
}
