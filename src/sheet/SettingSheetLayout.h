#pragma once
#include <QDate>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <array>
#include <cstdint>

#include "ModelBank.h"
#include "SettingSheetContent.h"

// Where everything of the setting sheet goes on the page, and what it says: the five models
// one below the other, each with its settings and memo on the left and its drive-frequency
// curve on the right. Rectangles are in the paint device's units (dpi given), so the painter
// draws them as they are and a test can find each one in a rendered image.
class SettingSheetLayout {
public:
    // The curve's kHz axis; fixed, so that sheets compare at a glance.
    static constexpr double kAxisMinKHz = SettingSheetContent::kAxisMinKHz;
    static constexpr double kAxisMaxKHz = SettingSheetContent::kAxisMaxKHz;
    static constexpr double kAxisStepKHz = SettingSheetContent::kAxisStepKHz;

    enum Row { kBrake = SettingSheetContent::kBrake, kBrakeFreq, kCutOff, kTiming, kRows };

    struct TextBox {
        QRectF rect;
        QString text;
    };
    struct Setting {
        TextBox label;
        TextBox value;
    };
    struct Plot {
        QRectF frame;  // the whole cell, axis texts included
        QRectF area;   // the data area: points 1..32 across, kAxisMinKHz..kAxisMaxKHz up
        TextBox title;
        std::array<QPointF, ModelSettings::kFrqPoints> points;  // each curve point on the page
        // Points whose value lies outside the curve's range: they stand at the nearer end of the
        // axis and are drawn as such, never as a point of the curve.
        std::array<bool, ModelSettings::kFrqPoints> outside{};
        // Each point's step number (the window's 1..52) below it, so that the curve can be
        // copied by hand.
        std::array<TextBox, ModelSettings::kFrqPoints> steps;
    };
    struct ModelBox {
        QRectF frame;
        QRectF header;
        TextBox name;   // "MODEL1"
        bool current = false;
        TextBox mark;   // the current model's mark in its header; empty for the others
        std::array<Setting, kRows> settings;
        TextBox memoLabel;
        TextBox memo;   // the memo wraps within rect; what does not fit goes on a further page
        Plot plot;
    };

    // A page of the given size in device units at dpi dots per inch; language 0 Japanese,
    // 1 English; title names the sheet (the settings file); made is the day it is made.
    SettingSheetLayout(const ModelBank& bank, int language, const QString& title, QSizeF page, double dpi,
                       const QDate& made = QDate::currentDate());

    double Mm(double mm) const { return mm * dpi_ / 25.4; }
    double Dpi() const { return dpi_; }
    QRectF Page() const { return page_; }
    const TextBox& Title() const { return title_; }
    const TextBox& Subtitle() const { return subtitle_; }
    const std::array<ModelBox, ModelBank::kModels>& Models() const { return models_; }
    // Says that a memo goes on on a further page, and heads that page.
    const QString& MemoContinued() const { return memoContinued_; }
    // The line at the foot of every page: the day the sheet was made on the left, the page's
    // number on the right.
    const QRectF& Footer() const { return footer_; }
    const QString& Made() const { return made_; }
    QString PageNumber(int page, int pages) const;

    // Height of a kHz value in a plot's data area.
    static double YOf(const QRectF& area, double khz);
    static double XOf(const QRectF& area, int point);
    // What the sheet says, as every front end's sheet says it.
    const SettingSheetContent& Content() const { return content_; }

private:
    ModelBox MakeModel(const SettingSheetContent::Model& model, const QRectF& frame) const;

    double dpi_;
    QRectF page_;
    SettingSheetContent content_;  // first: the texts below are taken from it
    TextBox title_;
    TextBox subtitle_;
    QString memoContinued_;
    QRectF footer_;
    QString made_;
    std::array<ModelBox, ModelBank::kModels> models_;
};
