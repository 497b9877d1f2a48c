#include "TCompareDialog.h"

#include <algorithm>

#include <QAbstractItemView>
#include <QComboBox>
#include <QEvent>
#include <QFont>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QTabBar>
#include <QTableWidget>
#include <QVBoxLayout>

#include "BankComparison.h"
#include "TCurvePlot.h"
#include "THistoryForm.h"
#include "TextTable.h"

namespace {
QString Text(int msg, int language) { return QString::fromStdString(TextTable::Message(msg, language)); }
// The lists: the editors, a file, then the history entries.
constexpr int kEditorsItem = 0;
constexpr int kFileItem = 1;
constexpr int kFirstEntryItem = 2;
// The width the lists keep whatever their items' lengths; a long name is shown in full in the
// open list and as the hint.
constexpr int kListChars = 16;

// The room a header section keeps on each side of its text.
int HeaderMargin(const QHeaderView* header)
{
    return header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
}
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
        // A long entry name must not widen the dialog off the screen.
        box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        box->setMinimumContentsLength(kListChars);
        box->view()->setTextElideMode(Qt::ElideMiddle);
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
    // Both sides' columns always in view, side by side, each name elided to its column by
    // ShowNames (the header itself only clips).
    QHeaderView* header = rows_->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Fixed);
    rows_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The sides share the header's width, set and fitted whenever it changes (the dialog
    // resized, a scroll bar shown).
    header->installEventFilter(this);
    rows_->setWordWrap(false);
    body->addWidget(rows_, 3);
    plot_ = new TCurvePlot(this);
    // The names come first; the plot gives way so that the dialog fits a 1024-pixel screen.
    plot_->setMinimumWidth(240);
    body->addWidget(plot_, 2);
    layout->addLayout(body, 1);
    Refresh();
    rows_->resizeColumnToContents(0);  // the titles are the same for every model and side
    rows_->setMinimumWidth(rows_->columnWidth(0) + 2 * SideColumnWidth() +
                           rows_->verticalScrollBar()->sizeHint().width() + 2 * rows_->frameWidth());
    // Wider where the screen allows, for the plot.
    const int least = layout->minimumSize().width();
    const int room = screen() ? screen()->availableGeometry().width() - 48 : least;
    resize(std::max(least, std::min(least + 160, room)), 560);
}

bool TCompareDialog::eventFilter(QObject* watched, QEvent* event)
{
    QHeaderView* header = rows_->horizontalHeader();
    if (watched == header && event->type() == QEvent::Resize) {
        const int rest = header->width() - header->sectionSize(0);
        const int left = std::max(header->minimumSectionSize(), rest / 2);
        header->resizeSection(1, left);
        header->resizeSection(2, std::max(header->minimumSectionSize(), rest - left));
        ShowNames();
    }
    return QDialog::eventFilter(watched, event);
}

void TCompareDialog::ShowNames()
{
    // A name wider than its column loses its middle, so that its start (number, time) and its
    // end (action, model) both stay; the full name is the column's hint.
    const QHeaderView* header = rows_->horizontalHeader();
    const QFontMetrics metrics(header->font());
    const int margin = HeaderMargin(header);
    for (int side = 0; side < 2; ++side) {
        QTableWidgetItem* item = rows_->horizontalHeaderItem(side + 1);
        if (!item)
            continue;
        const QString& name = sides_[static_cast<size_t>(side)].name;
        // Until the dialog is shown the columns have no width of their own yet.
        QString shown = name;
        if (rows_->isVisible()) {
            // Japanese and Latin text together can come out a little wider than asked for:
            // then elided further until it fits.
            const int width = header->sectionSize(side + 1) - 2 * margin;
            int room = width;
            do {
                shown = metrics.elidedText(name, Qt::ElideMiddle, room);
                room -= metrics.averageCharWidth();
            } while (shown != name && metrics.horizontalAdvance(shown) > width && room > 0);
        }
        item->setText(shown);
        item->setToolTip(name);
    }
}

int TCompareDialog::SideColumnWidth() const
{
    // Room for a history entry's label whole: a five-digit number, the time and the widest
    // action in the dialog's language.
    const QFontMetrics metrics(rows_->horizontalHeader()->font());
    int widest = 0;
    for (auto action : {HistoryEntry::Action::Read, HistoryEntry::Action::Write, HistoryEntry::Action::BeforeWrite,
                        HistoryEntry::Action::ReadModel, HistoryEntry::Action::WriteModel}) {
        const QString label = THistoryForm::EntryLabel(99999, {}, 0, action, ModelBank::kModels - 1, language_);
        widest = std::max(widest, metrics.horizontalAdvance(label));
    }
    return widest + 3 * HeaderMargin(rows_->horizontalHeader());
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
    box->setToolTip(shown);
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
    ShowNames();
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
    rows_->resizeRowsToContents();
    plot_->SetCurves(BankComparison::CurveKHz(a.bank.Model(model)), a.name, BankComparison::CurveKHz(b.bank.Model(model)), b.name);
}
