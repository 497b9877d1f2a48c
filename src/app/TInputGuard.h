#pragma once
#include <QEvent>
#include <QObject>

class QWidget;

// Keeps every input away from a window while it is disabled (a transfer runs). Qt keeps input
// from a disabled control itself, but not from the event filters that watch it (the tab bar's
// presses and drags, the curve bars' keys, the number fields' Return, the hint handler), and it
// still hands input-method commits to disabled text fields and lists. Installed on the
// application as its last filter, so it sees each event before every other filter.
class TInputGuard : public QObject {
public:
    explicit TInputGuard(QWidget* window, QObject* parent = nullptr);

    static bool IsInput(QEvent::Type type);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* window_;
};
