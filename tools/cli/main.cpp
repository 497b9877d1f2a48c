// vxrmgr-cli: the controller transfers and the settings files from a terminal or a script.
#include <QCoreApplication>
#include <QString>
#include <QtGlobal>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "CliOptions.h"
#include "CliText.h"
#include "CliTool.h"
#include "SettingSheet.h"

namespace {

QtMessageHandler startupHandler = nullptr;

// Qt's start-up looks for the session's runtime folder, which the sheet never uses, and warns
// where there is none (root, cron, ssh): nothing the user of a command line can or need act on.
void QuietAboutTheRuntimeFolder(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (text.startsWith(QLatin1String("QStandardPaths: ")))
        return;
    if (startupHandler)
        startupHandler(type, context, text);
}

std::unique_ptr<QCoreApplication> MakeSheetApplication(int& argc, char** argv)
{
    startupHandler = qInstallMessageHandler(QuietAboutTheRuntimeFolder);
    std::unique_ptr<QCoreApplication> app = SettingSheet::MakeApplication(argc, argv);
    qInstallMessageHandler(startupHandler);
    return app;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);

    CliOptions options;
    std::string error;
    const int locale = CliText::DefaultLanguage();
    if (!CliOptions::Parse(args, options, &error, locale)) {
        // One line and where to learn more: the whole help would bury the mistake.
        std::fprintf(stderr, "vxrmgr-cli: %s\n%s\n", error.c_str(),
                     CliText::Get(CliText::kTryHelp, options.Language(locale)).c_str());
        return CliTool::kUsage;
    }
    // Only the sheet paints; every other command stays a plain QtCore program.
    const std::unique_ptr<QCoreApplication> app = options.command == "sheet"
                                                      ? MakeSheetApplication(argc, argv)
                                                      : std::make_unique<QCoreApplication>(argc, argv);
    return CliTool(options, locale).Run();
}
