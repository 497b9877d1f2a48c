#include <QFont>
#include <QIcon>
#include <QStringList>

#include "TApplication.h"
#include "TMainForm.h"
#include "TMonForm.h"

int main(int argc, char** argv)
{
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
