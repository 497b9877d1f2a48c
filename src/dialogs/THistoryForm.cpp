#include "THistoryForm.h"

#include <QAbstractTableModel>
#include <QDateTime>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "HistoryLabels.h"
#include "IniFileError.h"
#include "MessageDialog.h"
#include "TextTable.h"

namespace {

enum Column { kTime, kAction, kPort, kModels, kName, kMemo, kColumns };

QString Text(int msg, int language)
{
    return QString::fromStdString(TextTable::Message(msg, language));
}

}  // namespace

// The items as a table, drawn only as far as they are seen: a list of many thousands of
// entries opens at once.
class THistoryForm::Model : public QAbstractTableModel {
public:
    std::vector<HistoryStore::Item> items;
    int language = 1;

    void Set(std::vector<HistoryStore::Item> list)
    {
        beginResetModel();
        items = std::move(list);
        endResetModel();
    }
    void Relabel()
    {
        emit headerDataChanged(Qt::Horizontal, 0, kColumns - 1);
        if (!items.empty())
            emit dataChanged(index(0, 0), index(rowCount() - 1, kColumns - 1));
    }
    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(items.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : kColumns; }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role != Qt::DisplayRole || !index.isValid())
            return {};
        const HistoryStore::Item& item = items[static_cast<size_t>(index.row())];
        switch (index.column()) {
        case kTime: return QString::fromStdString(HistoryLabels::Time(item.timeMs));
        case kAction: return QString::fromStdString(HistoryEntry::ActionText(item.action, item.model, language));
        case kPort: return QString::fromStdString(item.port);
        case kModels: return QString::fromStdString(HistoryLabels::Models(item.changed));
        case kName: return QString::fromStdString(item.name);
        case kMemo: return QString::fromStdString(item.memoLine);
        default: return {};
        }
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        static constexpr int kHeaders[kColumns] = {TextTable::kHistoryTime,   TextTable::kHistoryAction,
                                                   TextTable::kHistoryPort,   TextTable::kHistoryModels,
                                                   TextTable::kHistoryName,   TextTable::kHistoryMemo};
        if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 || section >= kColumns)
            return {};
        return Text(kHeaders[section], language);
    }
};

THistoryForm::THistoryForm(const HistoryStore& store, int language, Hooks hooks, QWidget* parent)
    : QDialog(parent), store_(store), language_(language), hooks_(std::move(hooks))
{
    setObjectName("HistoryForm");
    setModal(false);
    resize(760, 420);

    model_ = new Model;
    model_->setParent(this);
    model_->language = language_;
    HistoryList = new QTableView(this);
    HistoryList->setObjectName("HistoryList");
    HistoryList->setModel(model_);
    HistoryList->setSelectionBehavior(QAbstractItemView::SelectRows);
    HistoryList->setSelectionMode(QAbstractItemView::SingleSelection);
    HistoryList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    HistoryList->verticalHeader()->hide();
    HistoryList->horizontalHeader()->setStretchLastSection(true);
    HistoryList->setWordWrap(false);
    HistoryList->setColumnWidth(kTime, 140);
    HistoryList->setColumnWidth(kAction, 150);
    HistoryList->setColumnWidth(kPort, 90);
    HistoryList->setColumnWidth(kModels, 100);
    HistoryList->setColumnWidth(kName, 130);

    auto button = [this](const char* name, void (THistoryForm::*handler)()) {
        auto* b = new QPushButton(this);
        b->setObjectName(name);
        b->setAutoDefault(false);
        if (handler)
            connect(b, &QPushButton::clicked, this, handler);
        return b;
    };
    NAME_EDIT = new QLineEdit(this);
    NAME_EDIT->setObjectName("NAME_EDIT");
    NAME_BTN = button("NAME_BTN", &THistoryForm::NAME_BTNClick);
    connect(NAME_EDIT, &QLineEdit::returnPressed, this, &THistoryForm::NAME_BTNClick);
    RESTORE_BTN = button("RESTORE_BTN", &THistoryForm::RESTORE_BTNClick);
    SAVE_BTN = button("SAVE_BTN", &THistoryForm::SAVE_BTNClick);
    COMPARE_BTN = button("COMPARE_BTN", &THistoryForm::COMPARE_BTNClick);
    DELETE_BTN = button("DELETE_BTN", &THistoryForm::DELETE_BTNClick);
    CLOSE_BTN = button("CLOSE_BTN", nullptr);
    connect(CLOSE_BTN, &QPushButton::clicked, this, &QDialog::close);
    COMPARE_BTN->setVisible(static_cast<bool>(hooks_.compare));
    connect(HistoryList, &QTableView::doubleClicked, this, &THistoryForm::RESTORE_BTNClick);

    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(NAME_EDIT, 1);
    nameRow->addWidget(NAME_BTN);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {RESTORE_BTN, SAVE_BTN, COMPARE_BTN, DELETE_BTN})
        buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(CLOSE_BTN);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(HistoryList, 1);
    layout->addLayout(nameRow);
    layout->addLayout(buttons);

    connect(HistoryList->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &THistoryForm::SelectionChanged);
    SetTexts();
    Reload();
    // The newest first, ready to be restored.
    if (!model_->items.empty())
        Select(model_->items.front().id);
}

THistoryForm::~THistoryForm() = default;

void THistoryForm::SetTexts()
{
    setWindowTitle(Text(TextTable::kHistory, language_));
    NAME_BTN->setText(Text(TextTable::kHistorySetName, language_));
    RESTORE_BTN->setText(Text(TextTable::kHistoryRestore, language_));
    SAVE_BTN->setText(Text(TextTable::kHistorySave, language_));
    COMPARE_BTN->setText(Text(TextTable::kHistoryCompare, language_));
    DELETE_BTN->setText(Text(TextTable::kHistoryDelete, language_));
    CLOSE_BTN->setText(Text(TextTable::kHistoryClose, language_));
    model_->language = language_;
    model_->Relabel();
}

void THistoryForm::SetLanguage(int language)
{
    language_ = language;
    SetTexts();
}

void THistoryForm::SetCompare(std::function<void(int64_t, const HistoryEntry&)> compare)
{
    hooks_.compare = std::move(compare);
    COMPARE_BTN->setVisible(static_cast<bool>(hooks_.compare));
}

QString THistoryForm::EntryLabel(int64_t id, const std::string& name, int64_t timeMs, HistoryEntry::Action action,
                                 int model, int language)
{
    return QString::fromStdString(HistoryLabels::Entry(id, name, timeMs, action, model, language));
}

void THistoryForm::Reload()
{
    const std::optional<int64_t> selected = SelectedId();
    model_->Set(store_.List());
    if (!selected || !Select(*selected))
        SelectionChanged();
}

const std::vector<HistoryStore::Item>& THistoryForm::Items() const
{
    return model_->items;
}

std::optional<int64_t> THistoryForm::SelectedId() const
{
    const QModelIndexList rows = HistoryList->selectionModel() ? HistoryList->selectionModel()->selectedRows()
                                                               : QModelIndexList{};
    if (rows.isEmpty())
        return std::nullopt;
    const int row = rows.front().row();
    if (row < 0 || row >= static_cast<int>(model_->items.size()))
        return std::nullopt;
    return model_->items[static_cast<size_t>(row)].id;
}

bool THistoryForm::Select(int64_t id)
{
    for (size_t k = 0; k < model_->items.size(); ++k) {
        if (model_->items[k].id == id) {
            HistoryList->selectRow(static_cast<int>(k));
            HistoryList->scrollTo(model_->index(static_cast<int>(k), 0));
            SelectionChanged();
            return true;
        }
    }
    return false;
}

void THistoryForm::SelectionChanged()
{
    const std::optional<int64_t> id = SelectedId();
    for (QPushButton* b : {RESTORE_BTN, SAVE_BTN, COMPARE_BTN, DELETE_BTN, NAME_BTN})
        b->setEnabled(id.has_value());
    NAME_EDIT->setEnabled(id.has_value());
    QString name;
    if (id)
        for (const auto& item : model_->items)
            if (item.id == *id)
                name = QString::fromStdString(item.name);
    NAME_EDIT->setText(name);
}

std::optional<HistoryEntry> THistoryForm::SelectedEntry()
{
    const std::optional<int64_t> id = SelectedId();
    if (!id)
        return std::nullopt;
    std::optional<HistoryEntry> entry = store_.Load(*id);
    if (!entry) {
        // Deleted meanwhile (by the command line), or damaged: say so and list what is there.
        MessageDialog(DialogKind::Error, DialogButtons::Ok, TextTable::Message(TextTable::kHistoryUnreadable, language_),
                      language_);
        Reload();
    }
    return entry;
}

void THistoryForm::RESTORE_BTNClick()
{
    if (auto entry = SelectedEntry(); entry && hooks_.restore)
        hooks_.restore(*entry);
}

void THistoryForm::SAVE_BTNClick()
{
    if (auto entry = SelectedEntry(); entry && hooks_.save)
        hooks_.save(*entry);
}

void THistoryForm::COMPARE_BTNClick()
{
    if (auto entry = SelectedEntry(); entry && hooks_.compare)
        hooks_.compare(*SelectedId(), *entry);
}

void THistoryForm::DELETE_BTNClick()
{
    const std::optional<int64_t> id = SelectedId();
    if (!id)
        return;
    if (MessageDialog(DialogKind::Question, DialogButtons::YesNo,
                      TextTable::Message(TextTable::kHistoryDeleteQuestion, language_), language_) != DialogResult::Yes)
        return;
    store_.Delete(*id);
    Reload();
}

void THistoryForm::NAME_BTNClick()
{
    const std::optional<int64_t> id = SelectedId();
    if (!id)
        return;
    try {
        store_.SetName(*id, NAME_EDIT->text().toStdString());
    } catch (const IniFileError& e) {
        MessageDialog(DialogKind::Error, DialogButtons::Ok, e.what(), language_);
    }
    Reload();
}
