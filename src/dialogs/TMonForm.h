#pragma once
#include <QWidget>

class QLabel;
class QProgressBar;

// The progress window shown while the tool talks to the controller. Not modal, and the user
// cannot close it: only the program hides it.
class TMonForm : public QWidget {
    Q_OBJECT
public:
    explicit TMonForm(QWidget* parent = nullptr);

    void SetLanguage(int language) { language_ = language; }

    QLabel* MSG_LB = nullptr;
    QProgressBar* PG_BAR = nullptr;

    // Caption text for a language: "通信中" or "Communicat".
    static QString CaptionFor(int language);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormShow();
    int language_ = 1;
};
