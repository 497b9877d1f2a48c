#pragma once
// A model page for the curve editor and the model tabs: MDL_SEL (five tabs on top, the curve
// below), Panel4 as the neutral focus target, a number field that commits into the selected
// model when it loses the focus (as the scalar editors do), the bank and an answering presenter.
#include <QApplication>
#include <QFrame>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTabBar>
#include <QTest>
#include <memory>

#include "EditingSession.h"
#include "EditorContext.h"
#include "ModelBank.h"
#include "RecordingPresenter.h"
#include "TCurveEditor.h"
#include "TModelTabs.h"

struct CurveHarness {
    QWidget window;
    QWidget* page = new QWidget(&window);  // MDL_SEL
    QTabBar* tabs = new QTabBar(page);
    QFrame* panel4 = new QFrame(&window);
    QLineEdit* numberEdit = new QLineEdit(page);
    EditingSession session{1};
    ModelBank& bank = session.Bank();
    EditorContext ctx{session, 1, {}, {}, {}};
    RecordingPresenter presenter;
    int shows = 0;        // calls of showModel
    bool active = false;  // the window has the focus, so focus changes are delivered
    std::unique_ptr<TCurveEditor> curve;
    std::unique_ptr<TModelTabs> modelTabs;

    explicit CurveHarness(int language = 1)
    {
        page->setGeometry(0, 0, 601, 410);
        tabs->setGeometry(2, 0, 597, 24);
        tabs->setExpanding(false);
        for (int i = 1; i <= ModelBank::kModels; ++i)
            tabs->addTab(QStringLiteral("MODEL%1").arg(i));
        numberEdit->setGeometry(242, 46, 48, 21);
        QObject::connect(numberEdit, &QLineEdit::editingFinished, numberEdit,
                         [this] { bank.Model(tabs->currentIndex()).NBRK = numberEdit->text().toInt(); });
        panel4->setGeometry(0, 410, 601, 42);
        panel4->setFocusPolicy(Qt::StrongFocus);
        ctx.language = language;
        ctx.selectedTab = [this] { return tabs->currentIndex(); };
        ctx.focusPanel4 = [this] { panel4->setFocus(); };
        ctx.showModel = [this] { ShowModel(); };
        curve = std::make_unique<TCurveEditor>(page, ctx);
        modelTabs = std::make_unique<TModelTabs>(tabs, page, ctx, *curve);
        ShowModel();
        curve->ClearFrqSelection();
        window.resize(601, 452);
        window.show();
        window.activateWindow();
        active = QTest::qWaitForWindowActive(&window);
    }
    ~CurveHarness()
    {
        modelTabs.reset();
        curve.reset();
    }

    void ShowModel()
    {
        ++shows;
        const QSignalBlocker block(tabs);
        tabs->setCurrentIndex(bank.ShownIndex());
        curve->ShowCurve();
    }
    void SetCurve(const std::array<int32_t, 32>& frq)
    {
        Shown().FRQ = frq;
        ShowModel();
    }

    QScrollBar* Bar(int i) const { return curve->Bar(i); }
    int Pos(int i) const { return curve->Bar(i)->value(); }
    ModelSettings& Shown() { return bank.Model(bank.ShownIndex()); }
    QPoint TabCentre(int i) const { return tabs->tabRect(i).center(); }

    // Centre of a part of a vertical bar (its thumb, its down arrow) as the style lays it out.
    static QPoint Part(QScrollBar* bar, QStyle::SubControl part)
    {
        QStyleOptionSlider opt;
        opt.initFrom(bar);
        opt.subControls = QStyle::SC_All;
        opt.orientation = Qt::Vertical;
        opt.minimum = bar->minimum();
        opt.maximum = bar->maximum();
        opt.sliderPosition = opt.sliderValue = bar->value();
        opt.singleStep = opt.pageStep = 1;
        return bar->style()->subControlRect(QStyle::CC_ScrollBar, &opt, part, bar).center();
    }
    static QPoint Thumb(QScrollBar* bar) { return Part(bar, QStyle::SC_ScrollBarSlider); }
    static QPoint DownArrow(QScrollBar* bar) { return Part(bar, QStyle::SC_ScrollBarAddLine); }
};
