#pragma once
#include <QDialog>
#include <QString>

class QLabel;

// The help window (F1): the program's version and licence, its keys, and where it keeps the
// application settings and the history, in the user's language. Not modal: it may stay open
// beside the main window.
class THelpForm : public QDialog {
    Q_OBJECT
public:
    THelpForm(QWidget* owner, int language, const QString& settingsPath, const QString& historyFolder);

    // Everything the window says, line by line (keys as "key<TAB>what"), for a reader and a test.
    QString Text() const { return text_; }

private:
    QString text_;
};
