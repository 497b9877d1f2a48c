#pragma once

class QIcon;
class QToolButton;
class TMainForm;

// Builds the window's tool panel below the editors: the tool buttons in their groups, each wired
// to the window's handler of its name, the Open button's menu of files used last, undo and redo,
// the history, the setting sheet's menu and the port list. It fills in the window's controls, so
// it is the window's friend; it is used once, while the window is made.
class TPanelBuilder {
public:
    explicit TPanelBuilder(TMainForm& form) : form_(form) {}

    void BuildPanel4();

private:
    QToolButton* AddToolButton(const char* name, int tag, int x, const QIcon& icon, void (TMainForm::*handler)());

    TMainForm& form_;
};
