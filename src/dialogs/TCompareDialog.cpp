#include "TCompareDialog.h"

#include <QComboBox>
#include <QFont>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTabBar>
#include <QTableWidget>
#include <QVBoxLayout>

#include "BankComparison.h"
#include "TCurvePlot.h"
#include "TextTable.h"

namespace {
QString Text(int msg, int language) { return QString::fromStdString(TextTable::Message(msg, language)); }
// The lists: the editors, a file, then the history entries.
constexpr int kEditorsItem = 0;
constexpr int kFileItem = 1;
constexpr int kFirstEntryItem = 2;
}  // namespace

TCompareDialog::TCompareDialog(const ModelBank& editors, PickFile pickFile, int language, QWidget* parent,
                               std::vector<Entry> entries)
    : QDialog(parent), editors_(editors), pickFile_(std::move(pickFile)), entries_(std::move(entries)),
      language_(language)
{
    setObjectName("CompareDialog");
    setWindowTitle(Text(TextTable::kCompareCaption, language));
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    for (int side = 0; side < 2; ++side) {
        auto* box = new QComboBox(this);
        box->setObjectName(side == 0 ? "CompareLeft" : "CompareRight");
        box->addItem(Text(TextTable::kEditorsSetup, language));
        box->addItem(Text(TextTable::kFileSetup, language));
        for (const Entry& e : entries_)
            box->addItem(e.name);
        connect(box, &QComboBox::activated, this, [this, side](int item) { SourceChosen(side, item); });
        sources_[static_cast<size_t>(side)] = box;
        top->addWidget(box, 1);
        sides_[static_cast<size_t>(side)] = {box->itemText(0), editors_};
    }
    layout->addLayout(top);
    models_ = new QTabBar(this);
    models_->setObjectName("CompareModels");
    for (int i = 1; i <= ModelBank::kModels; ++i)
        models_->addTab(QStringLiteral("MODEL%1").arg(i));
    connect(models_, &QTabBar::currentChanged, this, [this](int) { Refresh(); });
    layout->addWidget(models_);
    auto* body = new QHBoxLayout;
    rows_ = new QTableWidget(0, 3, this);
    rows_->setObjectName("CompareRows");
    rows_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    rows_->verticalHeader()->hide();
    rows_->horizontalHeader()->setStretchLastSection(true);
    rows_->setMinimumWidth(420);
    body->addWidget(rows_, 1);
    plot_ = new TCurvePlot(this);
    body->addWidget(plot_, 1);
    layout->addLayout(body, 1);
    resize(960, 560);
    Refresh();
}

void TCompareDialog::SetSide(int side, Setup setup)
{
    side &= 1;
    sides_[static_cast<size_t>(side)] = std::move(setup);
    // The list names what the side shows: the editors or an entry by its own item, a file by an
    // item of its name after the entries.
    QComboBox* box = sources_[static_cast<size_t>(side)];
    const QString& shown = sides_[static_cast<size_t>(side)].name;
    const int fixed = kFirstEntryItem + static_cast<int>(entries_.size());
    if (box->count() > fixed)
        box->removeItem(fixed);
    int item = -1;
    for (int k = 0; k < fixed && item < 0; ++k)
        if (k != kFileItem && box->itemText(k) == shown)
            item = k;
    if (item < 0) {
        box->addItem(shown);
        item = fixed;
    }
    box->setCurrentIndex(item);
    Refresh();
}

void TCompareDialog::ShowModel(int model) { models_->setCurrentIndex(ModelBank::ClampIndex(model)); }

void TCompareDialog::SourceChosen(int side, int item)
{
    const Setup kept = sides_[static_cast<size_t>(side)];
    if (item == kEditorsItem) {
        SetSide(side, {sources_[static_cast<size_t>(side)]->itemText(kEditorsItem), editors_});
    } else if (item == kFileItem) {
        // Cancelled or refused: the side keeps what it showed.
        auto setup = pickFile_(this);
        SetSide(side, setup ? std::move(*setup) : kept);
    } else if (item - kFirstEntryItem < static_cast<int>(entries_.size())) {
        // An entry deleted meanwhile (or damaged) leaves the side as it was.
        const Entry& e = entries_[static_cast<size_t>(item - kFirstEntryItem)];
        const std::optional<ModelBank> bank = e.load ? e.load() : std::nullopt;
        SetSide(side, bank ? Setup{e.name, *bank} : kept);
    } else {
        SetSide(side, kept);  // the file shown, chosen again
    }
}

void TCompareDialog::Refresh()
{
    const Setup& a = sides_[0];
    const Setup& b = sides_[1];
    // A model that differs is marked on its tab.
    for (int i = 0; i < ModelBank::kModels; ++i)
        models_->setTabText(i, QStringLiteral("MODEL%1%2").arg(i + 1).arg(BankComparison::ModelDiffers(a.bank, b.bank, i) ? " *" : ""));
    const int model = models_->currentIndex() < 0 ? 0 : models_->currentIndex();
    const auto rows = BankComparison::ModelRows(a.bank, b.bank, model, language_);
    rows_->setHorizontalHeaderLabels({QString(), a.name, b.name});
    rows_->setRowCount(static_cast<int>(rows.size()));
    QFont bold = rows_->font();
    bold.setBold(true);
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const auto& row = rows[static_cast<size_t>(r)];
        const QString texts[] = {QString::fromStdString(row.title), QString::fromStdString(row.left),
                                 QString::fromStdString(row.right)};
        for (int c = 0; c < 3; ++c) {
            auto* item = new QTableWidgetItem(texts[c]);
            if (row.differs) {
                item->setBackground(QColor(255, 236, 150));
                item->setFont(bold);
            }
            item->setData(Qt::UserRole, row.differs);
            rows_->setItem(r, c, item);
        }
    }
    rows_->resizeColumnsToContents();
    rows_->resizeRowsToContents();
    plot_->SetCurves(BankComparison::CurveKHz(a.bank.Model(model)), a.name, BankComparison::CurveKHz(b.bank.Model(model)), b.name);
}
