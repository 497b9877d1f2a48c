#include <QFont>
#include <QIcon>
#include <QStringList>

#include <cstring>
#include <string>

#include "CheckedOutput.h"

#include "TApplication.h"
#include "TMainForm.h"
#include "TMonForm.h"

namespace {

const char* const kUsage[2] = {
    "使い方: vxrmgr [-J | -E | -V] [FILE]\n"
    "\n"
    "スピードコントローラーの設定ツール: 5つのモデルを編集し、シリアル回線で読み書きし、\n"
    "設定ファイル（.VXS）に保存して開く。\n"
    "\n"
    "  -J          日本語の表示（既定: ロケールに従う。ja_JP では日本語）\n"
    "  -E          英語の表示\n"
    "  -V          日付入りのタイトル\n"
    "  FILE        起動時に開く設定ファイル\n"
    "  -h, --help  この説明\n"
    "  --version   プログラムのバージョン\n"
    "\n"
    "-J、-E、-V は最初の引数のときだけ有効。端末からは vxrmgr-cli が同じことをする。\n",

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
    "-J, -E and -V count only as the first argument. vxrmgr-cli does the same from a terminal.\n"};

const char* const kStandardOutput[2] = {"標準出力", "standard output"};

// The help's language as the window's would be: -J or -E as the first argument, else the locale.
int HelpLanguage(int argc, char** argv)
{
    if (argc > 1 && (std::strcmp(argv[1], "-J") == 0 || std::strcmp(argv[1], "-j") == 0))
        return 0;
    if (argc > 1 && (std::strcmp(argv[1], "-E") == 0 || std::strcmp(argv[1], "-e") == 0))
        return 1;
    return TMainForm::SystemLocaleIsJapanese() ? 0 : 1;
}

// --help and --version answer on the terminal before any window or display is touched; output
// that cannot be written is said and fails, as vxrmgr-cli's does.
int PrintAndExit(const std::string& text, int language)
{
    return CheckedOutput::PrintOrSay(text, "vxrmgr", kStandardOutput[language]);
}

}  // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0)
            return PrintAndExit(kUsage[HelpLanguage(argc, argv)], HelpLanguage(argc, argv));
        if (std::strcmp(argv[i], "--version") == 0)
            return PrintAndExit("vxrmgr " VXR_VERSION "\n", HelpLanguage(argc, argv));
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
