#include "SettingSheet.h"

#include <QFile>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <cctype>
#include <vector>

#include "AtomicFileWriter.h"
#include "IniFileError.h"
#include "ModelBank.h"
#include "SettingSheetLayout.h"
#include "SettingSheetPainter.h"
#include "TextTable.h"

namespace {

bool EndsWith(const std::string& path, const char* suffix)
{
    const std::string s(suffix);
    if (path.size() <= s.size())
        return false;
    for (size_t k = 0; k < s.size(); ++k)
        if (std::tolower(static_cast<unsigned char>(path[path.size() - s.size() + k])) != s[k])
            return false;
    return true;
}

// Writes what produce puts into a QFile on the staged descriptor; false when a write failed.
bool ToDescriptor(int fd, const std::function<bool(QIODevice&)>& produce)
{
    QFile file;
    if (!file.open(fd, QIODevice::WriteOnly, QFileDevice::DontCloseHandle))
        return false;
    const bool made = produce(file);
    return file.flush() && made && file.error() == QFileDevice::NoError;
}

}  // namespace

SettingSheet::Format SettingSheet::FormatOf(const std::string& path)
{
    if (EndsWith(path, ".pdf"))
        return Format::kPdf;
    if (EndsWith(path, ".png"))
        return Format::kPng;
    return Format::kNone;
}

QString SettingSheet::PdfName(const QString& typed)
{
    return FormatOf(typed.toStdString()) == Format::kPdf ? typed : typed + QStringLiteral(".pdf");
}

QString SettingSheet::PageFile(const QString& path, int page)
{
    if (page <= 1)
        return path;
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    return path.left(dot) + QStringLiteral("-%1").arg(page) + path.mid(dot);
}

std::unique_ptr<QCoreApplication> SettingSheet::MakeApplication(int& argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return std::make_unique<QGuiApplication>(argc, argv);
}

void SettingSheet::WritePdf(QIODevice& device, const ModelBank& bank, int language, const QString& title,
                            const QDate& made)
{
    // The writer puts each page out as it is finished, so the pages never pile up in memory.
    QPdfWriter pdf(&device);
    pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
    pdf.setTitle(title);
    // The program that made it: vxrmgr-cli or the window's vxrmgr.
    pdf.setCreator(QCoreApplication::applicationName());
    if (!Print(pdf, bank, language, title, made))
        throw IniFileError(TextTable::Message(TextTable::kSheetCannotMakePdf, language));
}

bool SettingSheet::Print(QPagedPaintDevice& device, const ModelBank& bank, int language, const QString& title,
                         const QDate& made)
{
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    const SettingSheetLayout layout(bank, language, title, QSizeF(device.width(), device.height()),
                                    device.logicalDpiY(), made);
    SettingSheetPainter::Paint(painter, layout, [&device] { return device.newPage(); });
    return painter.end();
}

int SettingSheet::RenderPages(const ModelBank& bank, int language, const QString& title, double dpi,
                              const std::function<bool(const QImage&, int, int)>& take, const QDate& made)
{
    const QSizeF mm = QPageSize(QPageSize::A4).size(QPageSize::Millimeter);
    const QSize size(qRound(mm.width() / 25.4 * dpi), qRound(mm.height() / 25.4 * dpi));
    QImage image(size, QImage::Format_RGB32);
    const int dotsPerMeter = qRound(dpi / 0.0254);
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);

    QPainter painter(&image);
    const SettingSheetLayout layout(bank, language, title, QSizeF(size), dpi, made);
    int page = 1;
    int pages = 0;
    bool going = true;
    pages = SettingSheetPainter::Paint(
        painter, layout,
        [&] {
            painter.end();
            going = take(image, page++, pages);
            painter.begin(&image);
            return going;
        },
        [&pages](int count) { pages = count; });
    painter.end();
    if (going)
        take(image, page, pages);
    return pages;
}

QImage SettingSheet::RenderImage(const ModelBank& bank, int language, const QString& title, double dpi,
                                 const QDate& made)
{
    QImage first;
    RenderPages(
        bank, language, title, dpi,
        [&first](const QImage& image, int, int) {
            first = image.copy();
            return false;
        },
        made);
    return first;
}

QStringList SettingSheet::Write(const QString& path, Format format, const ModelBank& bank, int language,
                                const QString& title, const std::function<bool()>& stop, const QDate& made)
{
    if (format != Format::kPdf && format != Format::kPng)
        throw IniFileError(TextTable::Message(TextTable::kSheetIsPdfOrPng, language));
    std::vector<AtomicFileWriter::Staged> staged;
    const auto discardAll = [&staged] {
        for (const auto& s : staged)
            AtomicFileWriter::Discard(s);
    };
    try {
        if (format == Format::kPdf) {
            staged.push_back(AtomicFileWriter::Stage(path, [&](int fd) {
                return ToDescriptor(fd, [&](QIODevice& file) {
                    WritePdf(file, bank, language, title, made);
                    return true;
                });
            }));
        } else {
            RenderPages(
                bank, language, title, kPngDpi,
                [&](const QImage& image, int page, int) {
                    const QString file = PageFile(path, page);
                    staged.push_back(AtomicFileWriter::Stage(file, [&](int fd) {
                        return ToDescriptor(fd, [&image](QIODevice& out) { return image.save(&out, "PNG"); });
                    }));
                    return !(stop && stop());
                },
                made);
        }
    } catch (...) {
        discardAll();
        throw;
    }
    if (stop && stop()) {
        discardAll();
        throw IniFileError("Cannot write file " + path.toStdString() + ": stopped before it was replaced");
    }
    QStringList written;
    for (size_t k = 0; k < staged.size(); ++k) {
        try {
            AtomicFileWriter::Commit(staged[k]);
        } catch (...) {
            for (size_t rest = k + 1; rest < staged.size(); ++rest)
                AtomicFileWriter::Discard(staged[rest]);
            throw;
        }
        written << staged[k].path;
    }
    return written;
}
