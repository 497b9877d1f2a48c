#pragma once
#include <functional>

struct ModelBank;

// What the editors of the model page need from the window that hosts them.
struct EditorContext {
    ModelBank& bank;
    int language = 1;                    // 0 Japanese, 1 English
    std::function<int()> selectedTab;    // tab index selected in MDL_SEL: every edit goes to that model
    std::function<void()> focusPanel4;   // neutral focus target; a number being typed commits first
    std::function<void()> showModel;     // puts the model named by ModelNumber into every control
    std::function<void()> actionDone;    // a whole action changed the bank (a copy): one undo step
};
