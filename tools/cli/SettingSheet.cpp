#include "SettingSheet.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <cctype>
#include <vector>

#include "AtomicFileWriter.h"
#include "CliText.h"
#include "IniFileError.h"
#include "ModelBank.h"
#include "SettingSheetLayout.h"
#include "SettingSheetPainter.h"

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

}  // namespace

SettingSheet::Format SettingSheet::FormatOf(const std::string& path)
{
    if (EndsWith(path, ".pdf"))
        return Format::kPdf;
    if (EndsWith(path, ".png"))
        return Format::kPng;
    return Format::kNone;
}

std::unique_ptr<QCoreApplication> SettingSheet::MakeApplication(int& argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return std::make_unique<QGuiApplication>(argc, argv);
}

QByteArray SettingSheet::RenderPdf(const ModelBank& bank, int language, const QString& title)
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&buffer);
        pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
        pdf.setTitle(title);
        pdf.setCreator(QStringLiteral("vxrmgr-cli"));
        QPainter painter(&pdf);
        const SettingSheetLayout layout(bank, language, title, QSizeF(pdf.width(), pdf.height()), pdf.resolution());
        SettingSheetPainter::Paint(painter, layout, [&pdf] { pdf.newPage(); });
        if (!painter.end())
            throw IniFileError(CliText::Get(CliText::kCannotMakePdf, language));
    }
    return data;
}

QImage SettingSheet::RenderImage(const ModelBank& bank, int language, const QString& title, double dpi)
{
    const QSizeF mm = QPageSize(QPageSize::A4).size(QPageSize::Millimeter);
    const QSize size(qRound(mm.width() / 25.4 * dpi), qRound(mm.height() / 25.4 * dpi));
    const auto page = [size, dpi](int count = 1) {
        QImage image(size.width(), size.height() * count, QImage::Format_RGB32);
        const int dotsPerMeter = qRound(dpi / 0.0254);
        image.setDotsPerMeterX(dotsPerMeter);
        image.setDotsPerMeterY(dotsPerMeter);
        return image;
    };
    std::vector<QImage> pages{page()};
    QPainter painter(&pages.back());
    const SettingSheetLayout layout(bank, language, title, QSizeF(size), dpi);
    SettingSheetPainter::Paint(painter, layout, [&] {
        painter.end();
        pages.push_back(page());
        painter.begin(&pages.back());
    });
    painter.end();
    if (pages.size() == 1)
        return pages.front();
    // Further pages below the first, in one picture.
    QImage all = page(static_cast<int>(pages.size()));
    QPainter stack(&all);
    for (size_t k = 0; k < pages.size(); ++k)
        stack.drawImage(0, size.height() * static_cast<int>(k), pages[k]);
    stack.end();
    return all;
}

QByteArray SettingSheet::Render(Format format, const ModelBank& bank, int language, const QString& title)
{
    if (format == Format::kPdf)
        return RenderPdf(bank, language, title);
    if (format != Format::kPng)
        throw IniFileError(CliText::Get(CliText::kSheetIsPdfOrPng, language));
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    if (!RenderImage(bank, language, title).save(&buffer, "PNG"))
        throw IniFileError(CliText::Get(CliText::kCannotMakePng, language));
    return data;
}

void SettingSheet::Write(const QString& path, Format format, const ModelBank& bank, int language,
                         const QString& title, const std::function<bool()>& stop)
{
    AtomicFileWriter::Write(path, Render(format, bank, language, title), stop);
}
