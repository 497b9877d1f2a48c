#include "TFileSaving.h"

#include <QFileInfo>

#include "IniFileError.h"
#include "MessageDialog.h"
#include "SettingsFileIo.h"
#include "TextTable.h"

std::optional<QString> TFileSaving::SaveChosen(const Choose& choose, const Write& write, int notSavedMessage) const
{
    for (;;) {
        const std::optional<QString> name = choose();
        if (!name)
            return std::nullopt;
        // The dialog never saw the name with its forced extension, so the question is asked here,
        // about the file that will be replaced.
        if (QFileInfo::exists(*name) && !ConfirmReplace(*name))
            continue;
        if (!WriteTelling(*name, write, notSavedMessage))
            return std::nullopt;
        return name;
    }
}

bool TFileSaving::WriteTelling(const QString& name, const Write& write, int notSavedMessage) const
{
    try {
        write(name);
        return true;
    } catch (const IniFileError& e) {
        MessageDialog(DialogKind::Error, DialogButtons::Ok,
                      TextTable::Message(notSavedMessage, language_) + "\n" + e.Text(language_), language_);
        return false;
    }
}

bool TFileSaving::ConfirmReplace(const QString& path) const
{
    const std::string text = TextTable::ReplaceStars(TextTable::Message(TextTable::kReplaceFile, language_),
                                                     {QFileInfo(path).fileName().toStdString()});
    return MessageDialog(DialogKind::Question, DialogButtons::YesNo, text, language_) == DialogResult::Yes;
}

void TFileSaving::WriteSettings(const ModelBank& bank, const QString& name)
{
    std::optional<IniFileError> whyNot;
    if (SettingsFileIo::Save(bank, name, {}, &whyNot) == SettingsFileIo::SaveResult::NotWritable)
        throw whyNot ? *whyNot : IniFileError(IniFileError::Action::Write, name.toStdString(), IniFileError::Reason::Other, 0);
}
