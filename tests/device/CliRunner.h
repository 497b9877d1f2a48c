#pragma once
// Runs the built vxrmgr-cli as a separate process, as a script would.
#include <QProcess>
#include <QString>
#include <QStringList>

#include <string>

struct CliRun {
    int status = -1;  // -1: crashed or did not finish
    std::string out;
    std::string err;
};

inline CliRun Cli(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral(VXRMGR_CLI_PATH), args);
    CliRun r;
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        r.err = "did not finish";
        return r;
    }
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput().toStdString();
    r.err = p.readAllStandardError().toStdString();
    return r;
}
