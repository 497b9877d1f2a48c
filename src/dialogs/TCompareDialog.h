#pragma once
#include <QDialog>
#include <QString>
#include <array>
#include <functional>
#include <optional>
#include <vector>

#include "ModelBank.h"

class QComboBox;
class QLabel;
class QTabBar;
class QTableWidget;
class TCurvePlot;

// Two setups side by side: each side the editors' bank, a settings file or a history entry, so
// any two of them can be set against each other. Model by model, the settings that differ
// marked, and the two drive-frequency curves drawn over each other.
class TCompareDialog : public QDialog {
public:
    struct Setup {
        QString name;
        ModelBank bank;
    };
    // Asks for a settings file and loads it; nothing when cancelled or refused (it says why).
    using PickFile = std::function<std::optional<Setup>(QWidget* owner)>;
    // A history entry each list offers: its name, and its bank loaded when chosen (nothing when
    // it cannot be read any more).
    struct Entry {
        QString name;
        std::function<std::optional<ModelBank>()> load;
    };

    TCompareDialog(const ModelBank& editors, PickFile pickFile, int language, QWidget* parent = nullptr,
                   std::vector<Entry> entries = {});

    // A side (0 left, 1 right) set to a setup directly; its list shows it by its name.
    void SetSide(int side, Setup setup);
    void ShowModel(int model);

    QComboBox* Source(int side) const { return sources_[static_cast<size_t>(side)]; }
    QTabBar* Models() const { return models_; }
    QTableWidget* Rows() const { return rows_; }
    TCurvePlot* Plot() const { return plot_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SourceChosen(int side, int item);
    void Refresh();
    void ShowNames();
    int SideColumnWidth() const;

    const ModelBank& editors_;
    PickFile pickFile_;
    std::vector<Entry> entries_;
    int language_;
    std::array<Setup, 2> sides_;
    std::array<QComboBox*, 2> sources_{};
    QTabBar* models_ = nullptr;
    QTableWidget* rows_ = nullptr;
    TCurvePlot* plot_ = nullptr;
};
