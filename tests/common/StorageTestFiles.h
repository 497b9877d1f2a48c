#pragma once
// Small file helpers shared by the tests.
#include <QByteArray>
#include <QFile>
#include <QString>

#include "ModelBank.h"
#include "SettingsFileIo.h"

inline QByteArray ReadBytes(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray("<unreadable>");
    return f.readAll();
}

inline bool WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// The defaults with a settings file loaded over them, as the tool opens a file.
inline ModelBank LoadedBank(const QString& path)
{
    ModelBank bank;
    bank.Initialise();
    SettingsFileIo::Load(path, bank);
    return bank;
}
