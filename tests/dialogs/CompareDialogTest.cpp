#include <gtest/gtest.h>

#include <QComboBox>
#include <QTabBar>
#include <QTableWidget>

#include "BankComparison.h"
#include "TCompareDialog.h"
#include "TCurvePlot.h"

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

}  // namespace
