#pragma once
#include <QIcon>

// Small painted pictograms for the tool buttons (no image files to ship).
class ToolIcons {
public:
    enum Kind { WriteAll, ReadAll, Open, Save, Exit, WriteShown, ReadShown, Reset, LinearAdjust, Undo, Redo, History, Sheet };
    static QIcon Make(Kind kind);
};
