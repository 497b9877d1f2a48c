#pragma once
#include <functional>

// The main window's own steps that its command classes take part in; the window implements them,
// so a command class needs the window only through these.
class TWindowSteps {
public:
    // Moves the keyboard focus to the button panel; a number being typed commits first.
    virtual void FocusPanel4() = 0;
    // The caption: the modified mark, the file's name and the program's caption.
    virtual void UpdateCaption() = 0;
    // Runs a handler; an exception it throws is shown in a message box and the program goes on.
    virtual void RunHandler(const std::function<void()>& handler) = 0;

protected:
    ~TWindowSteps() = default;
};
