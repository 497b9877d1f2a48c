#pragma once
#include <QDate>
#include <QImage>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <string>

class QCoreApplication;
class QIODevice;
class QPagedPaintDevice;
struct ModelBank;

// The five models on one A4 page, as a PDF or a PNG image, for showing a setup to someone.
// A memo too long for its box goes on on further pages: more pages of the PDF, more PNG files
// ("setup.png", "setup-2.png", ...). Pages are painted one at a time, so a long memo costs
// time but never more memory than one page.
class SettingSheet {
public:
    enum class Format { kNone, kPdf, kPng };
    static constexpr double kPngDpi = 150.0;

    // A PDF's name as typed in a save dialog, with ".pdf" added unless it ends so (any case).
    static QString PdfName(const QString& typed);
    // The format an output file's name asks for (".pdf" or ".png", any case).
    static Format FormatOf(const std::string& path);
    // The file that holds page (from 1) of a PNG sheet: path itself for the first page, then
    // "-2", "-3", ... before the extension.
    static QString PageFile(const QString& path, int page);
    // Painting text needs a QGuiApplication; the sheet never shows a window, so it needs no
    // display either and always uses the offscreen platform.
    static std::unique_ptr<QCoreApplication> MakeApplication(int& argc, char** argv);

    // The sheet on a printer or another paged device, on the page size it is set up for;
    // false when a page could not be made.
    static bool Print(QPagedPaintDevice& device, const ModelBank& bank, int language, const QString& title,
                      const QDate& made = QDate::currentDate());
    // The sheet as a PDF written to device; throws IniFileError when the PDF cannot be made.
    static void WritePdf(QIODevice& device, const ModelBank& bank, int language, const QString& title,
                         const QDate& made = QDate::currentDate());
    // Paints the pages at dpi into one image, handing it to take after each page (page from 1);
    // the image is reused for the next page. take returns false to stop. Returns the page count.
    static int RenderPages(const ModelBank& bank, int language, const QString& title, double dpi,
                           const std::function<bool(const QImage& image, int page, int pages)>& take,
                           const QDate& made = QDate::currentDate());
    // The first page alone.
    static QImage RenderImage(const ModelBank& bank, int language, const QString& title, double dpi = kPngDpi,
                              const QDate& made = QDate::currentDate());

    // Renders and replaces the sheet's files whole (never a half-written one), all together once
    // every page is on disk; returns their names. Throws IniFileError naming the file and the
    // reason when one cannot be written, or when stop answers true just before the files would
    // be replaced (they then stay as they were).
    static QStringList Write(const QString& path, Format format, const ModelBank& bank, int language,
                             const QString& title, const std::function<bool()>& stop = {},
                             const QDate& made = QDate::currentDate());
};
