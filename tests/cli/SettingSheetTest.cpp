#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <functional>
#include <string>
#include <vector>

#include "CliRunner.h"
#include "ModelBank.h"
#include "SettingSheet.h"
#include "SettingSheetLayout.h"
#include "SettingSheetPainter.h"
#include "SettingsFile.h"
#include "SettingsFileIo.h"
#include "StorageTestFiles.h"
#include "TextTable.h"

namespace {

constexpr int kJapanese = 0;
constexpr int kEnglish = 1;

ModelBank Defaults()
{
    ModelBank bank;
    bank.Initialise();
    return bank;
}

// A bank whose models all differ, with memos in both scripts.
ModelBank Sample()
{
    ModelBank bank = Defaults();
    for (int m = 0; m < ModelBank::kModels; ++m) {
        ModelSettings& s = bank.models[static_cast<size_t>(m)];
        s.NBRK = 20 * m;
        s.BFREQ = 12 + 10 * m;
        s.PROG = m;
        for (int k = 0; k < ModelSettings::kFrqPoints; ++k)
            s.FRQ[static_cast<size_t>(k)] = 12 + (k * (m + 1)) % 52;
    }
    bank.models[0].MEMO = "タミヤ TT-02\r\n室内カーペット\r\n";
    bank.models[1].MEMO = "Outdoor asphalt\r\n";
    bank.ModelNumber = 2 * ModelBank::kModelStep;
    return bank;
}

QImage Render(const ModelBank& bank, int language = kEnglish)
{
    return SettingSheet::RenderImage(bank, language, QStringLiteral("sample.VXS"));
}

SettingSheetLayout LayoutOf(const ModelBank& bank, const QImage& image, int language = kEnglish)
{
    return SettingSheetLayout(bank, language, QStringLiteral("sample.VXS"), QSizeF(image.size()),
                              SettingSheet::kPngDpi);
}

bool Inside(const QRectF& outer, const QRectF& inner)
{
    return outer.adjusted(-0.01, -0.01, 0.01, 0.01).contains(inner);
}

// Pixels where two renderings differ, each with no room outside the allowed rectangles
// beyond the anti-aliasing fringe.
struct Difference {
    int pixels = 0;
    int outside = 0;
};

Difference Compare(const QImage& a, const QImage& b, const std::vector<QRectF>& allowed)
{
    Difference d;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            if (a.pixel(x, y) == b.pixel(x, y))
                continue;
            ++d.pixels;
            bool ok = false;
            for (const QRectF& r : allowed)
                ok = ok || r.adjusted(-1.5, -1.5, 1.5, 1.5).contains(QPointF(x + 0.5, y + 0.5));
            d.outside += ok ? 0 : 1;
        }
    return d;
}

int CountColor(const QImage& image, const QRectF& rect, const QColor& color)
{
    int n = 0;
    const QRect r = rect.toAlignedRect().intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            n += image.pixelColor(x, y) == color ? 1 : 0;
    return n;
}

}  // namespace

// --- layout ---------------------------------------------------------------------------------

TEST(SettingSheetLayoutTest, EveryBoxLiesOnThePageAndNoTwoOverlap)
{
    for (double dpi : {SettingSheet::kPngDpi, 1200.0}) {
        SCOPED_TRACE(dpi);
        const QSizeF page(210 / 25.4 * dpi, 297 / 25.4 * dpi);
        const SettingSheetLayout layout(Sample(), kJapanese, QStringLiteral("a.VXS"), page, dpi);
        const QRectF paper(QPointF(0, 0), page);
        ASSERT_TRUE(Inside(paper, layout.Title().rect));
        double above = layout.Title().rect.bottom();
        for (const auto& box : layout.Models()) {
            EXPECT_TRUE(Inside(paper, box.frame));
            EXPECT_GE(box.frame.top(), above);  // one below the other, in order
            above = box.frame.bottom();

            std::vector<QRectF> parts = {box.header, box.memoLabel.rect, box.memo.rect, box.plot.frame};
            for (const auto& s : box.settings) {
                parts.push_back(s.label.rect);
                parts.push_back(s.value.rect);
            }
            for (size_t i = 0; i < parts.size(); ++i) {
                EXPECT_TRUE(Inside(box.frame, parts[i])) << i;
                EXPECT_GT(parts[i].height(), 0) << i;
                for (size_t j = i + 1; j < parts.size(); ++j)
                    EXPECT_FALSE(parts[i].intersected(parts[j]).height() > 0.01 &&
                                 parts[i].intersected(parts[j]).width() > 0.01)
                        << i << " overlaps " << j;
            }
            EXPECT_TRUE(Inside(box.plot.frame, box.plot.area));
            EXPECT_TRUE(Inside(box.header, box.name.rect));
            if (box.current) {
                EXPECT_TRUE(Inside(box.header, box.mark.rect));
            }
            // A memo box tall enough for a few lines of 7.5 pt text (about 3.8 mm each).
            EXPECT_GT(box.memo.rect.height(), layout.Mm(3 * 3.9));
        }
    }
}

TEST(SettingSheetLayoutTest, TextsAreTheWindowsInTheChosenLanguage)
{
    ModelBank bank = Defaults();
    bank.models[1].BFREQ = 34;   // the one brake frequency written with a comma
    bank.models[2].VLT = 90;     // no item of the cut-off list
    bank.models[3].BFREQ = 70;   // beyond the table
    bank.models[4].NBRK = 300;   // shown as stored
    bank.models[4].PROG = 12;
    bank.models[0].MEMO = "a\r\n\tb\r\n";

    for (int language : {kJapanese, kEnglish}) {
        const SettingSheetLayout layout(bank, language, QStringLiteral("a.VXS"), QSizeF(1240, 1754), 150);
        const auto& m = layout.Models();
        const auto label = [&](int msg) { return QString::fromStdString(TextTable::Message(msg, language)); };
        EXPECT_EQ(m[0].settings[SettingSheetLayout::kBrake].label.text, label(TextTable::kAutomaticBrake));
        EXPECT_EQ(m[0].settings[SettingSheetLayout::kBrakeFreq].label.text, label(TextTable::kBrakeFreq));
        EXPECT_EQ(m[0].settings[SettingSheetLayout::kCutOff].label.text, label(TextTable::kLowVoltCut));
        EXPECT_EQ(m[0].settings[SettingSheetLayout::kTiming].label.text, label(TextTable::kTimingAdjust));
        EXPECT_EQ(m[0].memoLabel.text, label(TextTable::kMemo));
        EXPECT_EQ(m[0].plot.title.text, label(TextTable::kDriveFreq) + " (kHz)");
        EXPECT_EQ(m[0].mark.text, language == kJapanese ? QStringLiteral("現在のモデル") : QStringLiteral("current model"));
    }

    // Nothing English is left on a Japanese sheet but the window's own words.
    const SettingSheetLayout ja(bank, kJapanese, QStringLiteral("a.VXS"), QSizeF(1240, 1754), 150);
    EXPECT_EQ(ja.Models()[2].settings[SettingSheetLayout::kCutOff].value.text, "90（一覧にない値）");
    EXPECT_EQ(ja.Models()[3].settings[SettingSheetLayout::kBrakeFreq].value.text, "70（範囲外）");
    QStringList texts = {ja.MemoContinued(), ja.Models()[0].mark.text, ja.Models()[0].memoLabel.text,
                         ja.Models()[0].plot.title.text, ja.Models()[2].settings[SettingSheetLayout::kCutOff].value.text,
                         ja.Models()[3].settings[SettingSheetLayout::kBrakeFreq].value.text};
    for (const auto& s : ja.Models()[0].settings)
        texts << s.label.text;
    for (QString t : texts) {
        t.remove(QStringLiteral("LowVoltCut")).remove(QStringLiteral("kHz"));
        EXPECT_FALSE(t.contains(QRegularExpression(QStringLiteral("[A-Za-z]")))) << t.toStdString();
    }

    const SettingSheetLayout layout(bank, kEnglish, QStringLiteral("a.VXS"), QSizeF(1240, 1754), 150);
    const auto& m = layout.Models();
    EXPECT_EQ(m[0].settings[SettingSheetLayout::kBrake].value.text, "128");
    EXPECT_EQ(m[0].settings[SettingSheetLayout::kBrakeFreq].value.text, "0.964kHz");
    EXPECT_EQ(m[0].settings[SettingSheetLayout::kCutOff].value.text, "NiMH   5-6cell  3.2V");
    EXPECT_EQ(m[0].settings[SettingSheetLayout::kTiming].value.text, "1");
    EXPECT_EQ(m[0].memo.text, "a\n b\n");
    EXPECT_EQ(m[1].settings[SettingSheetLayout::kBrakeFreq].value.text, "0,908kHz");
    EXPECT_EQ(m[2].settings[SettingSheetLayout::kCutOff].value.text, "90 (not a cut-off code)");
    EXPECT_EQ(m[3].settings[SettingSheetLayout::kBrakeFreq].value.text, "70 (out of range)");
    EXPECT_EQ(m[4].settings[SettingSheetLayout::kBrake].value.text, "300 (out of range)");
    EXPECT_EQ(m[4].settings[SettingSheetLayout::kTiming].value.text, "12");
    EXPECT_EQ(m[0].settings[SettingSheetLayout::kBrake].value.text, "128");
    bank.models[4].PROG = -4;
    EXPECT_EQ(SettingSheetLayout(bank, kEnglish, QStringLiteral("a.VXS"), QSizeF(1240, 1754), 150)
                  .Models()[4].settings[SettingSheetLayout::kTiming].value.text,
              "-4 (out of range)");
    EXPECT_EQ(SettingSheetLayout(bank, kJapanese, QStringLiteral("a.VXS"), QSizeF(1240, 1754), 150)
                  .Models()[4].settings[SettingSheetLayout::kBrake].value.text,
              "300（範囲外）");
    EXPECT_EQ(layout.Title().text, "a.VXS");
}

TEST(SettingSheetLayoutTest, CurvePointsStandAtTheirKHzAcrossThePlot)
{
    ModelBank bank = Defaults();
    auto& frq = bank.models[0].FRQ;
    frq[0] = 12;   // 12.146 kHz, the top of the table
    frq[1] = 63;   // 2.04 kHz, the bottom
    frq[2] = 16;   // 9.05 kHz
    frq[3] = 70;   // beyond the table: read as its end, still inside the plot
    frq[4] = -5;
    const SettingSheetLayout layout(bank, kEnglish, QStringLiteral("a.VXS"), QSizeF(1240, 1754), 150);
    const auto& plot = layout.Models()[0].plot;
    const QRectF& a = plot.area;
    const auto yOf = [&a](double khz) {
        return a.bottom() - (khz - SettingSheetLayout::kAxisMinKHz) /
                                (SettingSheetLayout::kAxisMaxKHz - SettingSheetLayout::kAxisMinKHz) * a.height();
    };
    EXPECT_DOUBLE_EQ(plot.points[0].y(), yOf(12.146));
    EXPECT_DOUBLE_EQ(plot.points[1].y(), yOf(2.04));
    EXPECT_DOUBLE_EQ(plot.points[2].y(), yOf(9.05));
    EXPECT_DOUBLE_EQ(plot.points[3].y(), yOf(2.04));
    EXPECT_DOUBLE_EQ(plot.points[4].y(), yOf(12.146));
    for (size_t k = 0; k < plot.points.size(); ++k)
        EXPECT_EQ(plot.outside[k], k == 3 || k == 4) << k;
    for (size_t k = 0; k < plot.points.size(); ++k) {
        EXPECT_TRUE(a.contains(plot.points[k])) << k;
        if (k > 0) {
            EXPECT_NEAR(plot.points[k].x() - plot.points[k - 1].x(), a.width() / 32, 1e-9);
        }
    }
}

// --- painting -------------------------------------------------------------------------------

TEST(SettingSheetPainterTest, EachCurveIsDrawnThroughItsPointsAndOnlyInItsPlot)
{
    const ModelBank bank = Sample();
    const QImage image = Render(bank);
    const SettingSheetLayout layout = LayoutOf(bank, image);
    const QColor curve = SettingSheetPainter::CurveColor();

    for (const auto& box : layout.Models())
        for (size_t k = 0; k < box.plot.points.size(); ++k) {
            const QPoint p = box.plot.points[k].toPoint();
            EXPECT_EQ(image.pixelColor(p), curve) << box.name.text.toStdString() << " point " << k + 1;
        }

    int stray = 0;
    int drawn = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y) != curve)
                continue;
            ++drawn;
            bool inPlot = false;
            for (const auto& box : layout.Models())
                inPlot = inPlot || box.plot.area.adjusted(-layout.Mm(1), -layout.Mm(1), layout.Mm(1), layout.Mm(1))
                                       .contains(QPointF(x, y));
            stray += inPlot ? 0 : 1;
        }
    EXPECT_GT(drawn, 5 * 32);
    EXPECT_EQ(stray, 0);
}

// A value outside the curve's range is no point of the curve: a cross of its own, no dot.
TEST(SettingSheetPainterTest, APointOutsideTheRangeIsDrawnAsACrossNotAsTheCurve)
{
    ModelBank bank = Sample();
    bank.models[1].FRQ[6] = 5;
    bank.models[1].FRQ[20] = 90;
    const QImage image = Render(bank);
    const SettingSheetLayout layout = LayoutOf(bank, image);
    const auto& plot = layout.Models()[1].plot;
    for (size_t k : {size_t{6}, size_t{20}}) {
        const QPoint c = plot.points[k].toPoint();
        EXPECT_EQ(image.pixelColor(c), SettingSheetPainter::OutsideColor()) << k + 1;
        // Neither the dot nor the line reaches it: no curve colour within the dot's radius.
        const int r = static_cast<int>(layout.Mm(0.5));
        for (int dy = -r; dy <= r; ++dy)
            for (int dx = -r; dx <= r; ++dx)
                EXPECT_NE(image.pixelColor(c + QPoint(dx, dy)), SettingSheetPainter::CurveColor()) << k + 1;
    }
    EXPECT_EQ(image.pixelColor(plot.points[7].toPoint()), SettingSheetPainter::CurveColor());
}

TEST(SettingSheetPainterTest, OnlyTheCurrentModelCarriesTheMark)
{
    for (int32_t modelNumber : {0, 80, 160, 400}) {
        SCOPED_TRACE(modelNumber);
        ModelBank bank = Sample();
        bank.ModelNumber = modelNumber;
        const QImage image = Render(bank);
        const SettingSheetLayout layout = LayoutOf(bank, image);
        const int current = bank.ShownIndex();
        for (int m = 0; m < ModelBank::kModels; ++m) {
            const auto& box = layout.Models()[static_cast<size_t>(m)];
            EXPECT_EQ(box.current, m == current);
            const int marked = CountColor(image, box.header, SettingSheetPainter::MarkColor());
            if (m == current) {
                EXPECT_GT(marked, box.mark.rect.width() * box.mark.rect.height() / 2);
            } else {
                EXPECT_EQ(marked, 0) << "MODEL" << m + 1;
            }
        }
    }
}

// Changing one setting changes the page only where that setting is shown.
TEST(SettingSheetPainterTest, EachSettingIsDrawnInItsOwnBox)
{
    using Box = SettingSheetLayout::ModelBox;
    struct Case {
        const char* what;
        std::function<void(ModelSettings&)> change;
        std::function<QRectF(const Box&)> where;
    };
    const std::vector<Case> cases = {
        {"brake", [](ModelSettings& s) { s.NBRK = 7; },
         [](const Box& b) { return b.settings[SettingSheetLayout::kBrake].value.rect; }},
        {"brake frequency", [](ModelSettings& s) { s.BFREQ = 34; },
         [](const Box& b) { return b.settings[SettingSheetLayout::kBrakeFreq].value.rect; }},
        {"cut-off", [](ModelSettings& s) { s.VLT = 195; },
         [](const Box& b) { return b.settings[SettingSheetLayout::kCutOff].value.rect; }},
        {"timing", [](ModelSettings& s) { s.PROG = 9; },
         [](const Box& b) { return b.settings[SettingSheetLayout::kTiming].value.rect; }},
        {"memo", [](ModelSettings& s) { s.MEMO = "ピニオン21T\r\n"; }, [](const Box& b) { return b.memo.rect; }},
        {"curve and its step number", [](ModelSettings& s) { s.FRQ[20] = 60; },
         [](const Box& b) { return b.plot.area.united(b.plot.steps[20].rect); }},
    };
    const ModelBank before = Sample();
    const QImage original = Render(before);
    const SettingSheetLayout layout = LayoutOf(before, original);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ModelBank after = before;
        c.change(after.models[3]);
        const Difference d = Compare(original, Render(after), {c.where(layout.Models()[3])});
        EXPECT_GT(d.pixels, 20);
        EXPECT_EQ(d.outside, 0);
    }
}

TEST(SettingSheetPainterTest, ALongMemoStaysWithinItsBox)
{
    std::string prose;
    for (int k = 0; k < 60; ++k)
        prose += "the quick brown fox jumps over the lazy dog ";
    std::string japanese;
    for (int k = 0; k < 60; ++k)
        japanese += "とても長いメモのテキスト";
    std::string lines;
    for (int k = 0; k < 40; ++k)
        lines += "line " + std::to_string(k) + "\r\n";
    const std::vector<std::string> memos = {prose, japanese, std::string(600, 'W'), lines,
                                            "short\r\n" + std::string(400, 'x') + "\r\n" + japanese};

    const ModelBank empty = Sample();
    ModelBank full = empty;
    for (size_t m = 0; m < memos.size(); ++m)
        full.models[m].MEMO = memos[m];
    const QImage a = Render(empty, kJapanese);
    const SettingSheetLayout layout = LayoutOf(empty, a, kJapanese);
    std::vector<QRectF> memoBoxes = {layout.Footer()};  // and the page count
    for (const auto& box : layout.Models())
        memoBoxes.push_back(box.memo.rect);
    const Difference d = Compare(a, Render(full, kJapanese), memoBoxes);
    EXPECT_GT(d.pixels, 1000);
    EXPECT_EQ(d.outside, 0);
}

// Every page of a sheet, each a copy of its own.
std::vector<QImage> Pages(const ModelBank& bank, int language = kEnglish)
{
    std::vector<QImage> pages;
    int counted = 0;
    const int total = SettingSheet::RenderPages(bank, language, QStringLiteral("sample.VXS"), SettingSheet::kPngDpi,
                                                [&](const QImage& image, int page, int pages_) {
                                                    EXPECT_EQ(page, static_cast<int>(pages.size()) + 1);
                                                    counted = pages_;
                                                    pages.push_back(image.copy());
                                                    return true;
                                                });
    EXPECT_EQ(total, static_cast<int>(pages.size()));
    EXPECT_EQ(counted, total);  // each page knew the count before it was painted
    return pages;
}

// A memo longer than its box goes on on further pages: none of its lines is left out.
TEST(SettingSheetPainterTest, AMemoTooLongForItsBoxGoesOnOnAFurtherPage)
{
    const auto withLines = [](int count) {
        ModelBank bank = Sample();
        for (int k = 1; k <= count; ++k)
            bank.models[3].MEMO += "line " + std::to_string(k) + "\r\n";
        return bank;
    };
    for (int language : {kJapanese, kEnglish}) {
        const std::vector<QImage> all = Pages(withLines(60), language);
        const std::vector<QImage> short1 = Pages(withLines(59), language);
        ASSERT_EQ(all.size(), 2u) << language;  // the first page and one more
        ASSERT_EQ(short1.size(), 2u);
        EXPECT_EQ(all[0].size(), QSize(1240, 1754));
        // The same first page; the last line makes a difference only on the second.
        EXPECT_EQ(Compare(all[0], short1[0], {}).pixels, 0);
        EXPECT_GT(Compare(all[1], short1[1], {}).pixels, 0);
        // A memo that fits needs no further page.
        EXPECT_EQ(Pages(withLines(2), language).size(), 1u);
    }
}

// Further pages set the lines in columns across the whole page, each column under the name
// of the model it goes on with, until a page is full.
TEST(SettingSheetPainterTest, FurtherPagesUseThePagesFullWidth)
{
    ModelBank bank = Sample();
    for (int k = 1; k <= 180; ++k)
        bank.models[1].MEMO += "setting note " + std::to_string(k) + "\r\n";
    const std::vector<QImage> pages = Pages(bank);
    ASSERT_EQ(pages.size(), 3u);
    const SettingSheetLayout layout = LayoutOf(bank, pages[0]);
    const QRectF memo = layout.Models()[1].memo.rect;
    const double top = layout.Title().rect.bottom() + layout.Mm(3);
    const QRectF rightHalf(QPointF(memo.right() + layout.Mm(4), top),
                           QPointF(layout.Page().right() - layout.Mm(10), layout.Footer().top()));
    const QRectF leftColumn(QPointF(memo.left(), top), QPointF(memo.right(), layout.Footer().top()));
    const auto ink = [](const QImage& image, const QRectF& r) {
        const QRect pixels = r.toAlignedRect().intersected(image.rect());
        return pixels.width() * pixels.height() - CountColor(image, r, SettingSheetPainter::Background());
    };
    // Page 2 is full in both columns, down to its foot; page 3 holds the rest in its first.
    EXPECT_GT(ink(pages[1], rightHalf), 2000);
    EXPECT_GT(ink(pages[1], leftColumn.adjusted(0, leftColumn.height() * 0.9, 0, 0)), 100);
    EXPECT_GT(ink(pages[1], rightHalf.adjusted(0, rightHalf.height() * 0.9, 0, 0)), 100);
    EXPECT_GT(ink(pages[2], leftColumn), 2000);
    EXPECT_EQ(ink(pages[2], rightHalf), 0);
}

TEST(SettingSheetLayoutTest, EveryPageSaysWhenTheSheetWasMadeAndItsNumber)
{
    const QDate day(2026, 7, 4);
    const SettingSheetLayout ja(Sample(), kJapanese, QStringLiteral("a.VXS"), QSizeF(1240, 1754), 150, day);
    const SettingSheetLayout en(Sample(), kEnglish, QStringLiteral("a.VXS"), QSizeF(1240, 1754), 150, day);
    EXPECT_EQ(ja.Made(), "作成日 2026-07-04");
    EXPECT_EQ(en.Made(), "made 2026-07-04");
    EXPECT_EQ(ja.PageNumber(2, 13), "2 / 13 ページ");
    EXPECT_EQ(en.PageNumber(2, 13), "page 2 of 13");
    // The foot lies on the page, below every model.
    EXPECT_TRUE(Inside(en.Page(), en.Footer()));
    EXPECT_GE(en.Footer().top(), en.Models().back().frame.bottom());

    // The date is on the page, and only in the foot.
    const auto render = [](const QDate& made) {
        return SettingSheet::RenderImage(Sample(), kEnglish, QStringLiteral("a.VXS"), SettingSheet::kPngDpi, made);
    };
    const Difference d = Compare(render(day), render(QDate(2031, 12, 25)), {en.Footer()});
    EXPECT_GT(d.pixels, 20);
    EXPECT_EQ(d.outside, 0);
}

// The window's step numbers stand under their points, so that a curve can be copied by hand.
TEST(SettingSheetLayoutTest, EachPointsStepNumberStandsBelowIt)
{
    ModelBank bank = Sample();
    auto& frq = bank.models[2].FRQ;
    frq[0] = 12;  // step 1, the highest frequency
    frq[1] = 63;  // step 52
    frq[2] = 70;  // outside the curve's range
    frq[3] = 21;
    const SettingSheetLayout layout(bank, kEnglish, QStringLiteral("a.VXS"), QSizeF(1240, 1754), 150);
    for (const auto& box : layout.Models()) {
        const auto& plot = box.plot;
        for (size_t k = 0; k < plot.steps.size(); ++k) {
            const QRectF& r = plot.steps[k].rect;
            EXPECT_NEAR(r.center().x(), plot.points[k].x(), 1e-6) << k;
            EXPECT_GE(r.top(), plot.area.bottom());
            EXPECT_TRUE(Inside(plot.frame, r)) << k;
            if (k > 0) {
                EXPECT_LE(plot.steps[k - 1].rect.right(), r.left() + 1e-6);
            }
        }
    }
    const auto& steps = layout.Models()[2].plot.steps;
    EXPECT_EQ(steps[0].text, "1");
    EXPECT_EQ(steps[1].text, "52");
    EXPECT_EQ(steps[2].text, "?");
    EXPECT_EQ(steps[3].text, "10");
}

// --- the command ----------------------------------------------------------------------------

namespace {

class SheetCommandTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString file = dir.filePath(QStringLiteral("setup.VXS"));

    void SetUp() override { ASSERT_EQ(SettingsFileIo::Save(Sample(), file), SettingsFileIo::SaveResult::Saved); }

    QString PathOf(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }

    // The page count of a PDF's page tree; empty when it names none.
    static QString PdfPages(const QByteArray& pdf)
    {
        return QRegularExpression(QStringLiteral("/Count\\s+(\\d+)")).match(QString::fromLatin1(pdf)).captured(1);
    }

    QStringList FilesInDir() const { return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden); }
};

}  // namespace

TEST_F(SheetCommandTest, APdfSheetIsOneA4Page)
{
    const QString out = PathOf("sheet.PDF");
    const CliRun r = Cli({"sheet", file, out, "--lang", "ja"});
    ASSERT_EQ(r.status, 0) << r.err;
    const QByteArray pdf = ReadBytes(out);
    ASSERT_TRUE(pdf.startsWith("%PDF-"));
    EXPECT_TRUE(pdf.trimmed().endsWith("%%EOF"));

    const QString text = QString::fromLatin1(pdf);
    EXPECT_EQ(text.count(QRegularExpression(QStringLiteral("/Type\\s*/Page\\b(?!s)"))), 1);
    EXPECT_EQ(PdfPages(pdf), "1");
    const auto box = QRegularExpression(QStringLiteral("/MediaBox\\s*\\[\\s*([-\\d.]+)\\s+([-\\d.]+)\\s+([-\\d.]+)\\s+([-\\d.]+)\\s*\\]"))
                         .match(text);
    ASSERT_TRUE(box.hasMatch());
    // A4 is 595.28 x 841.89 points.
    EXPECT_NEAR(box.captured(3).toDouble() - box.captured(1).toDouble(), 595.28, 1.0);
    EXPECT_NEAR(box.captured(4).toDouble() - box.captured(2).toDouble(), 841.89, 1.0);
}

TEST_F(SheetCommandTest, ASheetOfStandardInputWithALongMemoHasAFurtherPdfPage)
{
    ModelBank bank = Sample();
    for (int k = 0; k < 60; ++k)
        bank.models[0].MEMO += "line\r\n";
    const CliRun r = Cli({"sheet", "-", PathOf("long.pdf")}, {{}, QByteArray::fromStdString(SettingsFile::ToBytes(bank)), {}});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(PdfPages(ReadBytes(PathOf("long.pdf"))), "2");
}

// A long memo makes a PNG file per page beside the first, and still one PDF.
TEST_F(SheetCommandTest, ALongMemoGivesAPngFilePerPage)
{
    ModelBank bank = Sample();
    for (int k = 1; k <= 400; ++k)
        bank.models[4].MEMO += "lap " + std::to_string(k) + "\r\n";
    ASSERT_EQ(SettingsFileIo::Save(bank, file), SettingsFileIo::SaveResult::Saved);
    QStringList pages;
    SettingSheet::RenderPages(bank, kEnglish, QStringLiteral("setup.VXS"), SettingSheet::kPngDpi,
                              [&](const QImage& image, int page, int) {
                                  pages << QStringLiteral("setup") +
                                               (page > 1 ? QStringLiteral("-%1").arg(page) : QString()) + ".png";
                                  return image.width() > 0;
                              });
    ASSERT_GE(pages.size(), 3);

    const CliRun r = Cli({"sheet", file, PathOf("setup.png")});
    ASSERT_EQ(r.status, 0) << r.err;
    QStringList expected = pages;
    expected << "setup.VXS";
    expected.sort();
    QStringList files = FilesInDir();
    files.sort();
    EXPECT_EQ(files, expected);
    for (const QString& name : pages) {
        QImage image;
        ASSERT_TRUE(image.load(PathOf(name.toLatin1().constData()), "PNG")) << name.toStdString();
        EXPECT_EQ(image.size(), QSize(1240, 1754));
    }

    // The PDF's finer resolution may fit other lines on a page: as many pages as in process.
    QByteArray pdf;
    QBuffer buffer(&pdf);
    buffer.open(QIODevice::WriteOnly);
    SettingSheet::WritePdf(buffer, bank, kEnglish, QStringLiteral("setup.VXS"));
    ASSERT_EQ(Cli({"sheet", file, PathOf("setup.pdf")}).status, 0);
    EXPECT_EQ(PdfPages(ReadBytes(PathOf("setup.pdf"))), PdfPages(pdf));
    EXPECT_GE(PdfPages(pdf).toInt(), 3);
}

TEST(SettingSheetTest, FurtherPngPagesAreNamedAfterTheFirst)
{
    EXPECT_EQ(SettingSheet::PageFile(QStringLiteral("/tmp/setup.png"), 1), "/tmp/setup.png");
    EXPECT_EQ(SettingSheet::PageFile(QStringLiteral("/tmp/setup.png"), 2), "/tmp/setup-2.png");
    EXPECT_EQ(SettingSheet::PageFile(QStringLiteral("run.v2/Sheet.PNG"), 12), "run.v2/Sheet-12.PNG");
}

TEST_F(SheetCommandTest, APngSheetIsA4At150Dpi)
{
    const QString out = PathOf("sheet.png");
    const CliRun r = Cli({"sheet", file, out, "--lang", "en"});
    ASSERT_EQ(r.status, 0) << r.err;
    QImage image;
    ASSERT_TRUE(image.load(out, "PNG"));
    EXPECT_EQ(image.size(), QSize(1240, 1754));
    EXPECT_NEAR(image.dotsPerMeterX() * 0.0254, 150.0, 0.5);
    // The same picture as the sheet painted in process.
    EXPECT_EQ(image.convertToFormat(QImage::Format_RGB32),
              SettingSheet::RenderImage(Sample(), kEnglish, QStringLiteral("setup.VXS")));
}

TEST_F(SheetCommandTest, TheLanguageFollowsTheLocaleUnlessChosen)
{
    const std::vector<std::pair<QString, QString>> noDisplay = {
        {"QT_QPA_PLATFORM", "xcb"}, {"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}};
    auto sheet = [&](const char* name, QStringList extra, const QString& locale) {
        auto env = noDisplay;
        env.push_back({"LC_ALL", locale});
        const CliRun r = Cli(QStringList{"sheet", file, PathOf(name)} + extra, {env, {}, {}});
        EXPECT_EQ(r.status, 0) << name << ": " << r.err;
        return ReadBytes(PathOf(name));
    };
    const QByteArray ja = sheet("ja.png", {"--lang", "ja"}, "C");
    const QByteArray en = sheet("en.png", {"--lang", "en"}, "ja_JP.UTF-8");
    EXPECT_NE(ja, en);
    EXPECT_EQ(sheet("locale-ja.png", {}, "ja_JP.UTF-8"), ja);
    EXPECT_EQ(sheet("locale-en.png", {}, "C"), en);
    EXPECT_EQ(sheet("locale-de.png", {}, "de_DE.UTF-8"), en);
}

TEST_F(SheetCommandTest, AnOutputThatIsNeitherPdfNorPngIsAUsageError)
{
    const std::vector<QStringList> cases = {
        {"sheet", file, PathOf("sheet.jpg")},
        {"sheet", file, PathOf("sheet")},
        {"sheet", file, PathOf(".png.txt")},
        {"sheet", file, PathOf("sheet.png"), "--lang", "de"},
        {"sheet", file},
        {"sheet", file, PathOf("sheet.png"), "--json"},
    };
    for (const QStringList& args : cases) {
        const CliRun r = Cli(args);
        EXPECT_EQ(r.status, 2) << args.join(' ').toStdString();
    }
    EXPECT_EQ(FilesInDir(), QStringList{"setup.VXS"});
}

TEST_F(SheetCommandTest, AFailureExitsOneAndLeavesNoFile)
{
    struct Case {
        QString in;
        QString out;
        const char* says;
    };
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.png")));
    const std::vector<Case> cases = {
        {PathOf("missing.VXS"), PathOf("a.png"), "missing.VXS"},
        {file, PathOf("no-such-folder/a.pdf"), "a.pdf"},
        {file, PathOf("folder.png"), "folder.png"},
    };
    for (const Case& c : cases) {
        const CliRun r = Cli({"sheet", c.in, c.out});
        EXPECT_EQ(r.status, 1) << c.out.toStdString();
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    }
    EXPECT_FALSE(QFileInfo::exists(PathOf("a.png")));
    EXPECT_TRUE(QFileInfo(PathOf("folder.png")).isDir());
    EXPECT_EQ(FilesInDir(), QStringList{"setup.VXS"});  // no temporary file left behind
}
