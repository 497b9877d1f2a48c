// vxrmgr-cli: the controller transfers and the settings files from a terminal or a script.
#include <QCoreApplication>

#include <cstdio>
#include <string>
#include <vector>

#include "CliOptions.h"
#include "CliTool.h"

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const std::vector<std::string> args(argv + 1, argv + argc);

    CliOptions options;
    std::string error;
    if (!CliOptions::Parse(args, options, &error)) {
        std::fprintf(stderr, "vxrmgr-cli: %s\n\n%s", error.c_str(), CliOptions::Usage().c_str());
        return CliTool::kUsage;
    }
    return CliTool(options).Run();
}
