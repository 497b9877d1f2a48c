#pragma once
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

#include "TMainForm.h"

// A scratch folder for the application settings files of one test binary.
inline QTemporaryDir& ScratchDir()
{
    static QTemporaryDir dir;
    return dir;
}

// A main window built as the program builds it, with the options of a test and a fresh
// application settings file unless one is given.
inline std::unique_ptr<TMainForm> MakeMainForm(TMainForm::Options o)
{
    static int counter = 0;
    if (o.appSettingsPath.isEmpty())
        o.appSettingsPath = ScratchDir().filePath(QStringLiteral("VXRMGR-%1.ini").arg(++counter));
    return std::make_unique<TMainForm>(o);
}

// The same with the locale, arguments and application settings file of a test.
inline std::unique_ptr<TMainForm> MakeMainForm(QStringList args = {}, bool japaneseLocale = false,
                                               QString appSettingsPath = {})
{
    TMainForm::Options o;
    o.arguments = std::move(args);
    o.japaneseLocale = japaneseLocale;
    o.appSettingsPath = std::move(appSettingsPath);
    return MakeMainForm(std::move(o));
}
