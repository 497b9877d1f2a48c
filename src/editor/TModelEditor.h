#pragma once
#include <QWidget>
#include <map>

#include "EditorContext.h"
#include "ModelSettings.h"

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QScrollBar;
class QTabBar;
class TCurveEditor;
class TModelTabs;

// MDL_SEL: the tab control with the five model tabs and the editor of the shown model on its page.
// Controls sit at fixed coordinates of this widget; every edit goes straight into the bank record
// of the selected tab.
class TModelEditor : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 601;
    static constexpr int kHeight = 410;

    TModelEditor(EditorContext& ctx, QWidget* parent = nullptr);
    ~TModelEditor() override;

    // Start-up pieces, run by the window in its order.
    void PairControls();
    void FillLists();
    void SetLabelTexts(int language);

    // The shown model into every control (the session's curve taken from it again).
    void ShowModel();
    // Commits a number being typed in NBRK_EDIT or PROG_EDIT (what losing the focus does).
    void CommitPendingEdit();

    int SelectedTab() const;

    // Handlers shared by the brake and timing pairs, and those of the single controls.
    void MDL_BARScroll(QScrollBar* sender, int position);
    void MDL_KeyPress(QLineEdit* sender, int character);
    void MDL_Exit(QLineEdit* sender);
    void CUTOFF_COMBChange();
    void BFREQ_CMBCloseUp();
    void Memo1Change();

    TCurveEditor& Curve() { return *curve_; }
    TModelTabs& Tabs() { return *tabs_; }

    QTabBar* MDL_SEL_Tabs = nullptr;
    QFrame* Page = nullptr;
    QLabel* Label1 = nullptr;   // brake title
    QLabel* Label6 = nullptr;   // brake frequency title
    QLabel* Label8 = nullptr;   // timing title
    QLabel* Label9 = nullptr;   // cut-off title
    QLabel* Label18 = nullptr;  // drive frequency title
    QLabel* Label2 = nullptr;   // memo title
    QScrollBar* NBRK_BAR = nullptr;
    QLineEdit* NBRK_EDIT = nullptr;
    QScrollBar* PROG_BAR = nullptr;
    QLineEdit* PROG_EDIT = nullptr;
    QComboBox* BFREQ_CMB = nullptr;
    QComboBox* CUTOFF_COMB = nullptr;
    QPlainTextEdit* Memo1 = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    const ModelSettings& Selected() const;
    QScrollBar* PartnerBar(QLineEdit* edit) const;
    QLineEdit* PartnerEdit(QScrollBar* bar) const;
    void ShowCutOffItem(int item);

    EditorContext& ctx_;
    TCurveEditor* curve_ = nullptr;  // owned by this widget, as the parent of its controls
    TModelTabs* tabs_ = nullptr;     // owned by the tab bar it watches
    std::map<QObject*, QObject*> partners_;
    bool showing_ = false;  // controls set from code write nothing back
};
