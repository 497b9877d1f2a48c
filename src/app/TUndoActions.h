#pragma once
#include <QObject>
#include <functional>

class EditingSession;
class QToolButton;
class QWidget;

// Undo and redo in the window: Ctrl+Z, Ctrl+Y or Ctrl+Shift+Z, and two tool buttons. The steps
// are the session's, which takes one for each operation; the window only tells it when a
// gesture ends (a mouse release, a change of focus).
class TUndoActions : public QObject {
public:
    struct Hooks {
        std::function<bool()> idle;           // no transfer runs: the bank may be taken and replaced
        std::function<void()> commitPending;  // a number being typed goes into the bank
        std::function<void()> showBank;       // the bank into the editors after an undo or a redo
    };

    TUndoActions(QWidget* window, EditingSession& session, Hooks hooks);

    // The two buttons, placed by the caller.
    void AddButtons(QWidget* panel, int x, int y, int size);
    QToolButton* UndoButton() const { return undoBtn_; }
    QToolButton* RedoButton() const { return redoBtn_; }

    void Undo();
    void Redo();
    // The buttons enabled as the session can undo and redo.
    void UpdateButtons();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool Ours(QObject* watched) const;
    // After the input being handled: the buttons follow, and a release or a focus change ends
    // the gesture.
    void AfterInput(bool endGesture);

    QWidget* window_;
    EditingSession& session_;
    Hooks hooks_;
    QToolButton* undoBtn_ = nullptr;
    QToolButton* redoBtn_ = nullptr;
    bool pending_ = false;
    bool endPending_ = false;
};
