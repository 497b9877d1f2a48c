#pragma once
#include <QObject>
#include <QPoint>

#include "EditorContext.h"

class QTabBar;
class QWidget;
class TCurveEditor;

// The five model tabs of MDL_SEL: a press shows that model, and dragging one tab onto another
// copies the first model onto the second after a question. The drag is followed with the mouse
// held on the tab bar; there is no drag object. The tab bar takes no keyboard focus and ignores
// the wheel, so the selected tab changes only by a press or by showing a model; should it change
// any other way, the shown model follows it as after a press.
class TModelTabs : public QObject {
public:
    TModelTabs(QTabBar* tabs, QWidget* mdlSel, EditorContext& ctx, TCurveEditor& curve);
    ~TModelTabs() override;

    // Handlers; points are in the tab bar's coordinates.
    void MDL_SELChanging();
    void MDL_SELMouseDown(Qt::MouseButton Button, QPoint pos);
    void MDL_SELDragOver(QPoint pos);
    void MDL_SELDragDrop(QPoint pos);
    // Shows model index (0..4) as a press on its tab would (the keyboard's way to switch).
    void ShowModelTab(int index);

    int DragFrom() const { return dragFrom_; }
    int DragTo() const { return dragTo_; }
    bool Dragging() const { return dragging_; }
    // The cursor the drag shows at present (meaningful while Dragging()).
    Qt::CursorShape DragCursor() const { return cursor_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool OnTabControl(QPoint pos) const;
    void SelectTab(int index);
    void FollowTab(int index);
    void ShowSelection();
    void BeginDrag(QPoint pos);
    void EndDrag();
    void SetCursor(Qt::CursorShape shape);

    QTabBar* tabs_;
    QWidget* mdlSel_;
    EditorContext& ctx_;
    TCurveEditor& curve_;
    int dragFrom_ = -1;
    int dragTo_ = -1;
    // A press on a tab arms the drag; it starts once the mouse has moved far enough.
    bool armed_ = false;
    Qt::MouseButton armedButton_ = Qt::NoButton;
    QPoint pressPos_;
    bool dragging_ = false;
    bool grabbed_ = false;
    bool selecting_ = false;  // the tab is being selected by this class
    Qt::CursorShape cursor_ = Qt::ArrowCursor;
};
