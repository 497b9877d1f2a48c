#pragma once
#include <QStringList>
#include <QTemporaryDir>
#include <QToolButton>
#include <memory>

#include "FaultTable.h"
#include "StorageTestFiles.h"
#include "TMainForm.h"

// A scratch folder for the application settings files of one test binary.
inline QTemporaryDir& ScratchDir()
{
    static QTemporaryDir dir;
    return dir;
}

// A main window built as the program builds it, with the options of a test and a fresh
// application settings file and history unless given.
inline std::unique_ptr<TMainForm> MakeMainForm(TMainForm::Options o)
{
    static int counter = 0;
    ++counter;
    if (o.appSettingsPath.isEmpty())
        o.appSettingsPath = ScratchDir().filePath(QStringLiteral("VXRMGR-%1.ini").arg(counter));
    if (o.historyFolder.isEmpty())
        o.historyFolder = ScratchDir().filePath(QStringLiteral("history-%1").arg(counter));
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

// An application settings file in dir that chooses COM1 and pins it to device.
inline QString PinnedCom1Settings(const QTemporaryDir& dir, const QString& device)
{
    const QString path = dir.filePath(QStringLiteral("VXRMGR.ini"));
    WriteBytes(path, QStringLiteral("[VxrManager]\r\nCommPort=1\r\n[Ports]\r\nCOM1=%1\r\n").arg(device).toUtf8());
    return path;
}

// The window's button for a transfer.
inline QToolButton* TransferButton(TMainForm& form, faultcases::Transfer t)
{
    switch (t) {
    case faultcases::Transfer::ReadAll: return form.READ_BTN;
    case faultcases::Transfer::ReadShown: return form.READ2_BTN;
    case faultcases::Transfer::WriteAll: return form.PROGRAM_BTN;
    case faultcases::Transfer::WriteShown: return form.PROG2_BTN;
    }
    return nullptr;
}
