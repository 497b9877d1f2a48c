#pragma once
#include <functional>

class EditingSession;

// What the editors of the model page need from the window that hosts them.
struct EditorContext {
    EditingSession& session;             // every edit goes to it, to the shown model
    int language = 1;                    // 0 Japanese, 1 English
    std::function<int()> selectedTab;    // tab index selected in MDL_SEL
    std::function<void()> focusPanel4;   // neutral focus target; a number being typed commits first
    std::function<void()> showModel;     // puts the model named by ModelNumber into every control
};
