// vxr-bench-tool: the tool's main window started the way the program starts it, with a
// message presenter that answers at once and application settings of its own, so no port is
// opened and the start-up message ("No Connection") does not wait for a click.
#include <QFont>
#include <QStringList>
#include <QTemporaryDir>

#include "ImmediatePresenter.h"
#include "StartupProbe.h"
#include "TApplication.h"
#include "TMainForm.h"
#include "TMonForm.h"

int main(int argc, char** argv)
{
    TApplication app(argc, argv);
    QCoreApplication::setApplicationName("vxrmgr");
    QFont font(QStringLiteral("Noto Sans CJK JP"));
    font.setPixelSize(12);
    QApplication::setFont(font);

    QTemporaryDir settingsDir;
    ImmediatePresenter presenter;

    TMainForm::Options options;
    options.arguments = QStringList{QStringLiteral("-E")};
    options.japaneseLocale = TMainForm::SystemLocaleIsJapanese();
    options.appSettingsPath = settingsDir.filePath(QStringLiteral("VXRMGR.ini"));
    TMainForm mainForm(options);
    TMonForm monForm;
    mainForm.SetMonForm(&monForm);

    std::string messages;
    for (const auto& text : presenter.Texts())
        messages += (messages.empty() ? "" : "|") + text;
    // How much window there is to build and paint, for reading the figures.
    const auto widgets = mainForm.findChildren<QWidget*>().size() + 1;
    StartupProbe probe(mainForm, StartupProbe::StartFromArguments(argc, argv), 1000,
                       "widgets=" + std::to_string(widgets) + " messages=" + messages);
    mainForm.show();
    return app.exec();
}
