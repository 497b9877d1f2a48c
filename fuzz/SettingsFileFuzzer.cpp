// Any file loaded as a settings file: no crash, the current model names one of the five, and
// what a load gives survives a save and a load unchanged.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <unistd.h>

#include <cstdlib>

#include "IniFileError.h"
#include "ModelBank.h"
#include "SettingsFile.h"

namespace {

QString g_dir;

void Check(bool condition)
{
    if (!condition) std::abort();
}

bool SameSettings(const ModelBank& a, const ModelBank& b)
{
    for (int i = 0; i < ModelBank::kModels; ++i) {
        const ModelSettings& x = a.models[static_cast<size_t>(i)];
        const ModelSettings& y = b.models[static_cast<size_t>(i)];
        if (x.NBRK != y.NBRK || x.BFREQ != y.BFREQ || x.VLT != y.VLT || x.PROG != y.PROG || x.FRQ != y.FRQ)
            return false;
    }
    return a.SYS_CUR == b.SYS_CUR && a.ShownIndex() == b.ShownIndex();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // Files go to memory where possible: the target writes three per input.
    const QString base = QDir("/dev/shm").exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    g_dir = base + QStringLiteral("/vxr-fuzz-settings-%1").arg(::getpid());
    QDir().mkpath(g_dir);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString input = g_dir + QStringLiteral("/input.VXS");
    {
        QFile f(input);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
        f.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }

    ModelBank loaded;
    loaded.Initialise();
    try {
        SettingsFile::Load(input, loaded);
    } catch (const IniFileError&) {
        return 0;
    }
    Check(loaded.ModelNumber >= 0 && loaded.ModelNumber / ModelBank::kModelStep < ModelBank::kModels);

    const QString once = g_dir + QStringLiteral("/once.VXS");
    const QString twice = g_dir + QStringLiteral("/twice.VXS");
    Check(SettingsFile::Save(loaded, once) == SettingsFile::SaveResult::Saved);
    ModelBank first;
    SettingsFile::Load(once, first);
    Check(SameSettings(first, loaded));

    Check(SettingsFile::Save(first, twice) == SettingsFile::SaveResult::Saved);
    ModelBank second;
    SettingsFile::Load(twice, second);
    Check(second == first);
    return 0;
}
