#include "SettingsFileIo.h"

#include "AtomicFileWriter.h"
#include "IniDocument.h"
#include "IniFile.h"
#include "IniFileError.h"
#include "SettingsFile.h"

SettingsFileIo::SaveResult SettingsFileIo::Save(const ModelBank& bank, const QString& path,
                                               const std::function<bool()>& stop)
{
    // A file that Open would refuse is not written at all.
    const std::string bytes = SettingsFile::ToBytes(bank);
    if (!IniDocument::IsReadable(bytes))
        return SaveResult::NotWritable;
    // The place is tried first with the file's own content: an existing file is rewritten as
    // it is, a new name is created empty.
    const IniDocument existing = IniFile::Load(path);
    try {
        IniFile::Update(existing, path);
    } catch (const IniFileError&) {
        return SaveResult::NotWritable;
    }
    AtomicFileWriter::Write(path, bytes, stop);
    return SaveResult::Saved;
}

void SettingsFileIo::Load(const QString& path, ModelBank& bank)
{
    SettingsFile::FromBytes(IniFile::ReadBytes(path), bank, path.toStdString());
}
