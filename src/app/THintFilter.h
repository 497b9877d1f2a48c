#pragma once
#include <QObject>
#include <QPoint>
#include <functional>

// The application-wide hint handler: only the nine tool buttons show a hint, and its text comes
// from the text table at the moment it shows (tag and language decide it); beside them only the
// compare dialog's shortened names show themselves whole.
class THintFilter : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kTagProperty = "vxrTag";
    // A button of our own beyond the nine: the message number of its hint.
    static constexpr const char* kMessageProperty = "vxrHintMessage";

    explicit THintFilter(std::function<int()> language, QObject* parent = nullptr);

    // The hint text of a control: entry 104 + 2 * tag + Language, and the keys of the file buttons
    // and Exit; empty for a control without a tag.
    QString AppShowHint(const QObject* control) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Whether the application gave this control, or the item or header section at pos in it,
    // a hint of its own.
    static bool OwnHint(const QWidget* widget, QPoint pos);

    std::function<int()> language_;
};
