#pragma once
#include <QByteArray>
#include <QImage>
#include <QString>

#include <functional>
#include <memory>
#include <string>

class QCoreApplication;
struct ModelBank;

// The five models on one A4 page, as a PDF or a PNG image, for showing a setup to someone.
class SettingSheet {
public:
    enum class Format { kNone, kPdf, kPng };
    static constexpr double kPngDpi = 150.0;

    // The format an output file's name asks for (".pdf" or ".png", any case).
    static Format FormatOf(const std::string& path);
    // Painting text needs a QGuiApplication; the sheet never shows a window, so it needs no
    // display either and always uses the offscreen platform.
    static std::unique_ptr<QCoreApplication> MakeApplication(int& argc, char** argv);

    static QByteArray RenderPdf(const ModelBank& bank, int language, const QString& title);
    static QImage RenderImage(const ModelBank& bank, int language, const QString& title, double dpi = kPngDpi);
    static QByteArray Render(Format format, const ModelBank& bank, int language, const QString& title);

    // Renders and replaces path whole (never a half-written file); throws IniFileError naming
    // the file and the reason when it cannot be written, or when stop answers true just
    // before the file would be replaced (it then stays as it was).
    static void Write(const QString& path, Format format, const ModelBank& bank, int language, const QString& title,
                      const std::function<bool()>& stop = {});
};
