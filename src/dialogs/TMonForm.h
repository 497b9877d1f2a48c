#pragma once
#include <QMargins>
#include <QPointer>
#include <QWidget>

class QLabel;
class QProgressBar;

// The progress window shown while the tool talks to the controller. Not modal, and the user
// cannot close it: only the program hides it. It stays in front of its owner, the main window,
// whose greyed face a click may raise.
class TMonForm : public QWidget {
    Q_OBJECT
public:
    explicit TMonForm(QWidget* parent = nullptr);

    void SetLanguage(int language) { language_ = language; }
    // The window this one stays in front of while shown. Not a parent widget: a disabled
    // parent would grey this window too.
    void SetOwner(QWidget* owner) { owner_ = owner; }

    QLabel* MSG_LB = nullptr;
    QProgressBar* PG_BAR = nullptr;

    // Caption text for a language: "通信中" or "Communicat".
    static QString CaptionFor(int language);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormShow();
    // The window manager's frame around this window; before the first show it is not known
    // yet, and a shown window of ours, framed alike, tells it.
    QMargins FrameMargins() const;
    int language_ = 1;
    QPointer<QWidget> owner_;
};
