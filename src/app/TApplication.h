#pragma once
#include <QApplication>
#include <functional>

// The application object: an exception that escapes an event handler is shown in a message box
// with its text, and the program goes on.
class TApplication : public QApplication {
    Q_OBJECT
public:
    TApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // The language of the report's caption once the main window has chosen it.
    void SetLanguage(int language) { language_ = language; }

    static void ShowException(const char* what, int language);

private:
    int language_ = 1;
};
