#pragma once
#include <QComboBox>

// The port list: pick-only, and it reports every close of its drop-down part, whether or not the
// choice changed. Keys, input-method commits and the wheel do not change the choice while the list is closed, so the
// chosen item always is the port last applied.
class TPortComboBox : public QComboBox {
    Q_OBJECT
public:
    using QComboBox::QComboBox;

    void showPopup() override;
    void hidePopup() override;

signals:
    void closedUp();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    // Qt also hides a popup that is not shown (when the list is disabled, say); only the close
    // of one that was dropped down counts.
    bool dropped_ = false;
};
