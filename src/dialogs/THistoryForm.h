#pragma once
#include <QDialog>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "HistoryEntry.h"
#include "HistoryStore.h"

class QLineEdit;
class QPushButton;
class QTableView;

// The history of setups: a list, newest first, of what every transfer kept, with the entry's
// time, action, port, the models changed, its name and first memo line. What is done with an
// entry (into the editors, into a file, beside another setup) is the owner's: the form hands
// the entry over. Not modal, so the editors stay usable beside it.
class THistoryForm : public QDialog {
    Q_OBJECT
public:
    struct Hooks {
        std::function<void(const HistoryEntry&)> restore;
        std::function<void(const HistoryEntry&)> save;
        // The entry's id and the entry. Empty: the Compare button stays hidden.
        std::function<void(int64_t, const HistoryEntry&)> compare;
    };

    THistoryForm(const HistoryStore& store, int language, Hooks hooks, QWidget* parent = nullptr);
    ~THistoryForm() override;

    void SetLanguage(int language);
    void SetCompare(std::function<void(int64_t, const HistoryEntry&)> compare);
    // Lists the store again, keeping the selected entry selected when it is still there.
    void Reload();

    // The entries listed, newest first.
    const std::vector<HistoryStore::Item>& Items() const;
    // The selected entry's id; nothing when none is selected.
    std::optional<int64_t> SelectedId() const;
    // Selects the row of entry id; false when it is not listed.
    bool Select(int64_t id);

    // An entry named elsewhere (the compare dialog), as HistoryLabels names it.
    static QString EntryLabel(int64_t id, const std::string& name, int64_t timeMs, HistoryEntry::Action action,
                              int model, int language);

    QTableView* HistoryList = nullptr;
    QLineEdit* NAME_EDIT = nullptr;
    QPushButton* NAME_BTN = nullptr;
    QPushButton* RESTORE_BTN = nullptr;
    QPushButton* SAVE_BTN = nullptr;
    QPushButton* COMPARE_BTN = nullptr;
    QPushButton* DELETE_BTN = nullptr;
    QPushButton* CLOSE_BTN = nullptr;

    void RESTORE_BTNClick();
    void SAVE_BTNClick();
    void COMPARE_BTNClick();
    void DELETE_BTNClick();
    void NAME_BTNClick();

private:
    class Model;
    // The selected entry read from the store; nothing (after a message) when it cannot be read.
    std::optional<HistoryEntry> SelectedEntry();
    void SelectionChanged();
    void SetTexts();

    const HistoryStore& store_;
    int language_;
    Hooks hooks_;
    Model* model_ = nullptr;
};
