#include <QFont>
#include <QIcon>
#include <QStringList>

#include <cstdio>
#include <cstring>

#include "TApplication.h"
#include "TMainForm.h"
#include "TMonForm.h"

namespace {

const char* const kUsage =
    "Usage: vxrmgr [-J | -E | -V] [FILE]\n"
    "\n"
    "The settings tool for the speed controller: edit the five models, read and write them over\n"
    "the serial line, save and open settings files (.VXS).\n"
    "\n"
    "  -J          Japanese texts (default: the locale's, Japanese under a ja_JP locale)\n"
    "  -E          English texts\n"
    "  -V          the caption with the date stamp\n"
    "  FILE        a settings file to open at start-up\n"
    "  -h, --help  this text\n"
    "  --version   the program's version\n"
    "\n"
    "-J, -E and -V count only as the first argument. vxrmgr-cli does the same from a terminal.\n";

// --help and --version answer on the terminal before any window, display or Qt is touched.
int PrintAndExit(const char* text)
{
    return std::fputs(text, stdout) >= 0 && std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0)
            return PrintAndExit(kUsage);
        if (std::strcmp(argv[i], "--version") == 0)
            return PrintAndExit("vxrmgr " VXR_VERSION "\n");
    }
    // The language switch is the first argument as typed; QApplication takes its own options
    // (-style fusion, -platform ...) out of argv.
    QStringList typed;
    for (int i = 1; i < argc; ++i)
        typed << QString::fromLocal8Bit(argv[i]);
    TApplication app(argc, argv);
    QCoreApplication::setApplicationName("vxrmgr");
    // The installed menu entry and icon share this id; the desktop matches windows to the entry.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.vxrmgr.VxrManager"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("org.vxrmgr.VxrManager")));
    // One Japanese-capable interface font of 12 pixels for every text.
    QFont font(QStringLiteral("Noto Sans CJK JP"));
    font.setPixelSize(12);
    QApplication::setFont(font);

    TMainForm::Options options = TMainForm::Options::FromCommandLine(typed, app.arguments().mid(1));
    options.japaneseLocale = TMainForm::SystemLocaleIsJapanese();
    TMainForm mainForm(options);
    TMonForm monForm;
    mainForm.SetMonForm(&monForm);
    mainForm.show();
    return app.exec();
}
