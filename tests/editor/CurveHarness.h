#pragma once
// A small model page for the curve editor and the model tabs: a window with the MDL_SEL widget
// (tab bar of five tabs on top, the curve controls below), Panel4 as the neutral focus target,
// one number field that commits into the selected model when it loses the focus (as the scalar
// editors do), the bank, and a presenter that answers questions.
#include <QApplication>
#include <QFrame>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTabBar>
#include <QTest>
#include <QWidget>
#include <memory>

#include "EditorContext.h"
#include "ModelBank.h"
#include "RecordingPresenter.h"
#include "TCurveEditor.h"
#include "TModelTabs.h"

struct CurveHarness {
    QWidget window;
    QWidget* page = nullptr;  // MDL_SEL
    QTabBar* tabs = nullptr;
    QFrame* panel4 = nullptr;
    QLineEdit* numberEdit = nullptr;
    ModelBank bank;
    EditorContext ctx{bank, 1, {}, {}, {}};
    RecordingPresenter presenter;
    int shows = 0;
    std::unique_ptr<TCurveEditor> curve;
    std::unique_ptr<TModelTabs> modelTabs;

    explicit CurveHarness(int language = 1)
    {
        window.resize(601, 452);
        page = new QWidget(&window);
        page->setGeometry(0, 0, 601, 410);
        tabs = new QTabBar(page);
        tabs->setGeometry(2, 0, 597, 24);
        tabs->setExpanding(false);
        for (int i = 1; i <= ModelBank::kModels; ++i)
            tabs->addTab(QStringLiteral("MODEL%1").arg(i));
        numberEdit = new QLineEdit(page);
        numberEdit->setGeometry(242, 46, 48, 21);
        QObject::connect(numberEdit, &QLineEdit::editingFinished, numberEdit, [this] {
            bank.Model(tabs->currentIndex()).NBRK = numberEdit->text().toInt();
        });
        panel4 = new QFrame(&window);
        panel4->setGeometry(0, 410, 601, 42);
        panel4->setFocusPolicy(Qt::StrongFocus);

        ctx.language = language;
        ctx.selectedTab = [this] { return tabs->currentIndex(); };
        ctx.focusPanel4 = [this] { panel4->setFocus(); };
        ctx.showModel = [this] { ShowModel(); };
        curve = std::make_unique<TCurveEditor>(page, ctx);
        modelTabs = std::make_unique<TModelTabs>(tabs, page, ctx, *curve);

        bank.Initialise();
        ShowModel();
        curve->ClearFrqSelection();
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
        const int m = bank.ShownIndex();
        {
            const QSignalBlocker block(tabs);
            tabs->setCurrentIndex(m);
        }
        curve->ShowCurve(bank.Model(m));
        curve->UpdateAvgBar();
    }

    QScrollBar* Bar(int i) const { return curve->Bar(i); }
    int Pos(int i) const { return curve->Bar(i)->value(); }
    ModelSettings& Shown() { return bank.Model(bank.ShownIndex()); }

    // Puts a curve (FRQ values) into the shown model and onto the bars.
    void SetCurve(const std::array<int32_t, ModelSettings::kFrqPoints>& frq)
    {
        Shown().FRQ = frq;
        ShowModel();
    }

    static QStyleOptionSlider SliderOption(QScrollBar* bar)
    {
        QStyleOptionSlider opt;
        opt.initFrom(bar);
        opt.subControls = QStyle::SC_All;
        opt.activeSubControls = QStyle::SC_None;
        opt.orientation = bar->orientation();
        opt.minimum = bar->minimum();
        opt.maximum = bar->maximum();
        opt.sliderPosition = bar->sliderPosition();
        opt.sliderValue = bar->value();
        opt.singleStep = bar->singleStep();
        opt.pageStep = bar->pageStep();
        opt.upsideDown = bar->invertedAppearance();
        if (bar->orientation() == Qt::Horizontal)
            opt.state |= QStyle::State_Horizontal;
        return opt;
    }

    static QRect PartRect(QScrollBar* bar, QStyle::SubControl part)
    {
        const QStyleOptionSlider opt = SliderOption(bar);
        return bar->style()->subControlRect(QStyle::CC_ScrollBar, &opt, part, bar);
    }

    static QPoint Thumb(QScrollBar* bar) { return PartRect(bar, QStyle::SC_ScrollBarSlider).center(); }
    static QPoint DownArrow(QScrollBar* bar) { return PartRect(bar, QStyle::SC_ScrollBarAddLine).center(); }

    QPoint TabCentre(int i) const { return tabs->tabRect(i).center(); }

    bool active = false;
};
