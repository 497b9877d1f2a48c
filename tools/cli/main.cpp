// vxrmgr-cli: the controller transfers and the settings files from a terminal or a script.
#include <QCoreApplication>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "CliOptions.h"
#include "CliText.h"
#include "CliTool.h"
#include "SettingSheet.h"

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
                                                      ? SettingSheet::MakeApplication(argc, argv)
                                                      : std::make_unique<QCoreApplication>(argc, argv);
    return CliTool(options, locale).Run();
}
