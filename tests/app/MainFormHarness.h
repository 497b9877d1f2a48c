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

// A main window built as the program builds it, with the locale, arguments and application
// settings file of a test (a fresh one unless given).
inline std::unique_ptr<TMainForm> MakeMainForm(QStringList args = {}, bool japaneseLocale = false,
                                               QString appSettingsPath = {})
{
    static int counter = 0;
    TMainForm::Options o;
    o.arguments = std::move(args);
    o.japaneseLocale = japaneseLocale;
    o.appSettingsPath =
        appSettingsPath.isEmpty() ? ScratchDir().filePath(QStringLiteral("VXRMGR-%1.ini").arg(++counter)) : appSettingsPath;
    return std::make_unique<TMainForm>(o);
}
