#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFontMetrics>
#include <QHeaderView>
#include <QTabBar>
#include <QTableWidget>

#include "BankComparison.h"
#include "TCompareDialog.h"
#include "TCurvePlot.h"
#include "THistoryForm.h"

namespace {

std::vector<int> MarkedRows(const QTableWidget* rows)
{
    std::vector<int> marked;
    for (int r = 0; r < rows->rowCount(); ++r)
        if (rows->item(r, 2)->data(Qt::UserRole).toBool())
            marked.push_back(r);
    return marked;
}

TEST(CompareDialog, AFileBesideTheEditorsMarksItsModelsRowsAndDrawsBothCurves)
{
    ModelBank editors;
    editors.Initialise();
    ModelBank file = editors;
    file.Model(2).NBRK = 90;
    file.Model(2).FRQ[31] = 40;
    int asked = 0;
    bool cancel = false;
    TCompareDialog dialog(editors, [&](QWidget*) -> std::optional<TCompareDialog::Setup> {
        ++asked;
        if (cancel)
            return std::nullopt;
        return TCompareDialog::Setup{"wet.VXS", file};
    }, 1);
    EXPECT_EQ(dialog.Models()->tabText(2), "MODEL3");  // the editors against themselves
    emit dialog.Source(1)->activated(1);
    ASSERT_EQ(asked, 1);
    EXPECT_EQ(dialog.Source(1)->currentText(), "wet.VXS");
    EXPECT_EQ(dialog.Models()->tabText(2), "MODEL3 *");
    EXPECT_EQ(dialog.Models()->tabText(1), "MODEL2");

    dialog.ShowModel(2);
    EXPECT_EQ(MarkedRows(dialog.Rows()), (std::vector<int>{0, 4 + 31}));
    EXPECT_EQ(dialog.Rows()->horizontalHeaderItem(2)->text(), "wet.VXS");
    EXPECT_EQ(dialog.Rows()->item(0, 2)->text(), "90");
    EXPECT_EQ(dialog.Plot()->Right(), BankComparison::CurveKHz(file.Model(2)));
    EXPECT_EQ(dialog.Plot()->Left(), BankComparison::CurveKHz(editors.Model(2)));
    // The lower frequency (a higher value) is drawn lower in the plot.
    EXPECT_GT(dialog.Plot()->At(31, dialog.Plot()->Right()[31]).y(), dialog.Plot()->At(31, dialog.Plot()->Left()[31]).y());

    cancel = true;  // another file asked for and cancelled: the side keeps its file
    emit dialog.Source(1)->activated(1);
    EXPECT_EQ(dialog.Source(1)->currentText(), "wet.VXS");
    EXPECT_EQ(MarkedRows(dialog.Rows()).size(), 2u);
    emit dialog.Source(1)->activated(0);  // back to the editors on both sides
    EXPECT_TRUE(MarkedRows(dialog.Rows()).empty());
}

// Any two setups: two history entries, a file against an entry; an entry that cannot be read
// any more leaves its side as it was.
TEST(CompareDialog, EitherSideTakesAHistoryEntrySoAnyTwoSetupsCompare)
{
    ModelBank editors;
    editors.Initialise();
    ModelBank older = editors;
    older.Model(0).NBRK = 10;
    ModelBank newer = older;
    newer.Model(0).PROG = 3;
    ModelBank file = editors;
    file.Model(4).BFREQ = 7;
    std::vector<TCompareDialog::Entry> entries = {
        {"#2 wet", [&] { return std::optional<ModelBank>(newer); }},
        {"#1 dry", [&] { return std::optional<ModelBank>(older); }},
        {"#0 deleted", [] { return std::optional<ModelBank>(); }},
    };
    TCompareDialog dialog(editors, [&](QWidget*) { return std::optional<TCompareDialog::Setup>({"f.VXS", file}); },
                          1, nullptr, entries);
    ASSERT_EQ(dialog.Source(0)->count(), 5);  // the editors, a file, the three entries
    EXPECT_EQ(dialog.Source(0)->itemText(3), "#1 dry");

    emit dialog.Source(0)->activated(3);
    emit dialog.Source(1)->activated(2);
    EXPECT_EQ(dialog.Source(0)->currentText(), "#1 dry");
    EXPECT_EQ(dialog.Source(1)->currentText(), "#2 wet");
    EXPECT_EQ(dialog.Models()->tabText(0), "MODEL1 *");  // PROG only: NBRK is 10 on both
    EXPECT_EQ(dialog.Models()->tabText(4), "MODEL5");
    dialog.ShowModel(0);
    EXPECT_EQ(MarkedRows(dialog.Rows()), (std::vector<int>{3}));
    EXPECT_EQ(dialog.Rows()->horizontalHeaderItem(1)->text(), "#1 dry");

    emit dialog.Source(1)->activated(4);  // unreadable: the right stays "#2 wet"
    EXPECT_EQ(dialog.Source(1)->currentText(), "#2 wet");
    emit dialog.Source(1)->activated(1);  // a file against the older entry
    EXPECT_EQ(dialog.Source(1)->currentText(), "f.VXS");
    EXPECT_EQ(dialog.Source(1)->count(), 6);
    EXPECT_EQ(dialog.Models()->tabText(4), "MODEL5 *");
    emit dialog.Source(1)->activated(5);  // the file's own item again: still the file
    EXPECT_EQ(dialog.Source(1)->currentText(), "f.VXS");
    EXPECT_EQ(dialog.Models()->tabText(4), "MODEL5 *");
}

// The window's own font, as the program sets it, for as long as a test runs.
struct WindowFont {
    QFont before = QApplication::font();
    WindowFont()
    {
        QFont font(QStringLiteral("Noto Sans CJK JP"));
        font.setPixelSize(12);
        QApplication::setFont(font);
    }
    ~WindowFont() { QApplication::setFont(before); }
};

// Each side's name readable at the dialog's own size, in both languages: a history label whole,
// a longer name losing only its middle (its full text the column's hint), both columns in view,
// and long names in the lists never widening the dialog past a 1024-pixel screen.
TEST(CompareDialog, EachSideShowsItsNameWholeOrElidedInTheMiddle)
{
    const int64_t time = 1796720535000;  // 2026-12-08, a history label's usual length
    const QString longName = QString("#7 ") + QString(u'\u7b51').repeated(12) + " wet, new tyres, gear 8.2, before the final (MODEL3)";
    struct Case {
        int language;
        QString left, right;
        bool leftWhole, rightWhole;
    };
    const Case cases[] = {
        {0, THistoryForm::EntryLabel(12, {}, time, HistoryEntry::Action::BeforeWrite, 0, 0),
         THistoryForm::EntryLabel(99999, {}, time, HistoryEntry::Action::WriteModel, 4, 0), true, true},
        {1, THistoryForm::EntryLabel(12, {}, time, HistoryEntry::Action::BeforeWrite, 0, 1),
         THistoryForm::EntryLabel(3, {}, time, HistoryEntry::Action::ReadModel, 2, 1), true, true},
        {0, longName, THistoryForm::EntryLabel(12, {}, time, HistoryEntry::Action::Read, -1, 0), false, true},
        {1, "editors", "a settings file saved with a very long name before the race.VXS", true, false},
    };
    const WindowFont windowFont;
    ModelBank editors;
    editors.Initialise();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.left.toStdString() + " | " + c.right.toStdString());
        // The lists hold a still longer name.
        std::vector<TCompareDialog::Entry> entries = {{longName + longName, [&] { return std::optional<ModelBank>(editors); }}};
        TCompareDialog dialog(editors, [](QWidget*) { return std::optional<TCompareDialog::Setup>(); }, c.language,
                              nullptr, entries);
        dialog.SetSide(0, {c.left, editors});
        dialog.SetSide(1, {c.right, editors});
        dialog.show();
        EXPECT_LE(dialog.minimumSizeHint().width(), 1000);  // wider only where the screen is
        EXPECT_LE(dialog.frameGeometry().height(), 740);
        const QHeaderView* header = dialog.Rows()->horizontalHeader();
        const QString names[] = {c.left, c.right};
        const bool whole[] = {c.leftWhole, c.rightWhole};
        for (int side = 0; side < 2; ++side) {
            const int column = side + 1;
            EXPECT_GE(header->sectionViewportPosition(column), 0);
            EXPECT_LE(header->sectionViewportPosition(column) + header->sectionSize(column), header->viewport()->width());
            const QTableWidgetItem* item = dialog.Rows()->horizontalHeaderItem(column);
            EXPECT_EQ(item->toolTip(), names[side]);
            EXPECT_EQ(dialog.Source(side)->toolTip(), names[side]);
            if (whole[side]) {
                EXPECT_EQ(item->text(), names[side]);
            } else {
                EXPECT_TRUE(item->text().contains(u'\u2026')) << item->text().toStdString();
                EXPECT_TRUE(item->text().startsWith(names[side].left(4))) << item->text().toStdString();
                EXPECT_TRUE(item->text().endsWith(names[side].right(4))) << item->text().toStdString();
                EXPECT_LE(QFontMetrics(header->font()).horizontalAdvance(item->text()), header->sectionSize(column) - 4);
            }
        }
    }
    // Wider, the dialog shows more of a long name.
    TCompareDialog dialog(editors, [](QWidget*) { return std::optional<TCompareDialog::Setup>(); }, 0);
    dialog.SetSide(0, {longName, editors});
    dialog.show();
    const QString narrow = dialog.Rows()->horizontalHeaderItem(1)->text();
    dialog.resize(dialog.width() + 400, dialog.height());
    const QString wide = dialog.Rows()->horizontalHeaderItem(1)->text();
    EXPECT_GT(wide.size(), narrow.size()) << wide.toStdString();
}

// Each curve's name on its own line of the legend, in the window's font: whole where it fits,
// else keeping both ends (the entry's number, its action and model), the two lines apart and
// above the curves.
TEST(CompareDialog, ThePlotsLegendNamesEachCurveOnItsOwnLine)
{
    const int64_t time = 1796720535000;
    struct Case {
        int width;
        QString left, right;
        bool whole;  // else shortened where the width asks for it
    };
    const Case cases[] = {
        {250, THistoryForm::EntryLabel(2, {}, time, HistoryEntry::Action::BeforeWrite, 0, 0),
         THistoryForm::EntryLabel(12, {}, time, HistoryEntry::Action::WriteModel, 4, 0), false},
        {250, THistoryForm::EntryLabel(2, {}, time, HistoryEntry::Action::BeforeWrite, 0, 1),
         THistoryForm::EntryLabel(99999, {}, time, HistoryEntry::Action::ReadModel, 2, 1), false},
        {400, THistoryForm::EntryLabel(2, {}, time, HistoryEntry::Action::BeforeWrite, 0, 1),
         THistoryForm::EntryLabel(3, {}, time, HistoryEntry::Action::Write, -1, 0), true},
        {250, "editors", "wet.VXS", true},
    };
    const WindowFont windowFont;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.left.toStdString() + " | " + c.right.toStdString());
        TCurvePlot plot;
        plot.setMinimumWidth(c.width);
        plot.resize(c.width, 300);
        TCurvePlot::Curve low{}, high{};
        low.fill(9);
        high.fill(12);
        plot.SetCurves(low, c.left, high, c.right);
        const QString names[] = {c.left, c.right};
        for (int side = 0; side < 2; ++side) {
            const QString shown = plot.LegendText(side);
            EXPECT_LE(plot.fontMetrics().horizontalAdvance(shown), plot.LegendRect(side).width());
            EXPECT_LE(plot.LegendRect(side).right(), c.width);
            if (c.whole || !shown.contains(u'\u2026')) {
                EXPECT_EQ(shown, names[side]);
            } else {
                // "#2 2026-...(MODEL1)": the number and its space, and the last word whole.
                const QString number = names[side].section(' ', 0, 0) + ' ';
                const QString last = names[side].section(' ', -1);
                EXPECT_TRUE(shown.startsWith(number)) << shown.toStdString();
                EXPECT_TRUE(shown.endsWith(last)) << shown.toStdString();
            }
            // Above the curves: the highest value's line lies below the legend.
            EXPECT_LE(plot.LegendRect(side).bottom(), plot.At(0, 12).y());
        }
        EXPECT_FALSE(plot.LegendRect(0).intersects(plot.LegendRect(1)));
        EXPECT_LE(plot.LegendRect(0).bottom(), plot.LegendRect(1).top());
        // The drawing area keeps the lowest value above the point numbers.
        EXPECT_LT(plot.At(31, 9).y(), plot.height() - 16);
    }
}

}  // namespace
