#pragma once
#include <QObject>
#include <functional>

#include "UndoHistory.h"

class QToolButton;
class QWidget;
struct ModelBank;

// Undo and redo in the window: Ctrl+Z, Ctrl+Y or Ctrl+Shift+Z, and two tool buttons. The steps
// are the core's: after each input to the window the bank is noted, a mouse release or a focus
// change ends the gesture under way, and the window records its whole actions itself.
class TUndoActions : public QObject {
public:
    struct Hooks {
        std::function<bool()> idle;           // no transfer runs: the bank may be taken and replaced
        std::function<void()> commitPending;  // a number being typed goes into the bank
        std::function<void()> showBank;       // the bank into the editors after an undo or a redo
    };

    TUndoActions(QWidget* window, ModelBank& bank, Hooks hooks);

    // The two buttons, placed by the caller.
    void AddButtons(QWidget* panel, int x, int y, int size);
    QToolButton* UndoButton() const { return undoBtn_; }
    QToolButton* RedoButton() const { return redoBtn_; }

    // The bank as it stands is the start.
    void Start();
    // Before a whole action: an edit in progress becomes a step of its own.
    void Take();
    // After a whole action: one step, when it changed the bank.
    void Record();
    void Undo();
    void Redo();

    const UndoHistory& History() const { return history_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool Ours(QObject* watched) const;
    void NoteLater(bool endGesture);
    void UpdateButtons();

    QWidget* window_;
    ModelBank& bank_;
    Hooks hooks_;
    UndoHistory history_;
    QToolButton* undoBtn_ = nullptr;
    QToolButton* redoBtn_ = nullptr;
    bool notePending_ = false;
    bool endPending_ = false;
};
