#pragma once
#include <QApplication>
#include <exception>
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

    // The language chosen at start-up, for the whole application: Qt's own dialogs and buttons
    // (file dialogs, their messages) speak Japanese with 0 and English otherwise. Works on any
    // application object; the report's caption follows where it is ours.
    static void UseLanguage(int language);

    // The default report: an error box with the exception's text (nullptr: not a std::exception).
    static void ShowException(const std::exception* e, int language);

private:
    int language_ = 1;
};
