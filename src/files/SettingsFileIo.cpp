#include "SettingsFileIo.h"

#include "AtomicFileWriter.h"
#include "IniDocument.h"
#include "IniFile.h"
#include "IniFileError.h"
#include "SettingsFile.h"

SettingsFileIo::SaveResult SettingsFileIo::Save(const ModelBank& bank, const QString& path,
                                               const std::function<bool()>& stop, std::optional<IniFileError>* whyNot)
{
    // A file that Open would refuse is not written at all.
    const std::string bytes = SettingsFile::ToBytes(bank);
    IniFileError::Reason reason = IniFileError::Reason::Other;
    int64_t limit = 0;
    if (!IniDocument::IsReadable(bytes, &reason, &limit)) {
        if (whyNot)
            whyNot->emplace(IniFileError::Action::Write, path.toStdString(), reason, limit);
        return SaveResult::NotWritable;
    }
    // The place is tried first with the file's own content: an existing file is rewritten as
    // it is, a new name is created empty.
    const IniDocument existing = IniFile::Load(path);
    try {
        IniFile::Update(existing, path);
    } catch (const IniFileError& e) {
        if (whyNot)
            whyNot->emplace(e);
        return SaveResult::NotWritable;
    }
    AtomicFileWriter::Write(path, bytes, stop);
    return SaveResult::Saved;
}

size_t SettingsFileIo::Load(const QString& path, ModelBank& bank)
{
    const std::optional<std::string> bytes = IniFile::TryReadBytes(path);
    if (!bytes) {
        bank.Initialise();
        return 0;
    }
    return SettingsFile::FromBytes(*bytes, bank, path.toStdString());
}
