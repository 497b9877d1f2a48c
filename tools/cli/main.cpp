// vxrmgr-cli: the controller transfers and the settings files from a terminal or a script.
#include <QCoreApplication>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "CliOptions.h"
#include "CliTool.h"
#include "SettingSheet.h"

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);

    CliOptions options;
    std::string error;
    if (!CliOptions::Parse(args, options, &error)) {
        std::fprintf(stderr, "vxrmgr-cli: %s\n\n%s", error.c_str(), CliOptions::Usage().c_str());
        return CliTool::kUsage;
    }
    // Only the sheet paints; every other command stays a plain QtCore program.
    const std::unique_ptr<QCoreApplication> app = options.command == "sheet"
                                                      ? SettingSheet::MakeApplication(argc, argv)
                                                      : std::make_unique<QCoreApplication>(argc, argv);
    return CliTool(options).Run();
}
