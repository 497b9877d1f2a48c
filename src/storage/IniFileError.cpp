#include "IniFileError.h"

#include "TextTable.h"

namespace {

int ReasonMessage(IniFileError::Reason reason)
{
    using R = IniFileError::Reason;
    switch (reason) {
    case R::Folder: return TextTable::kWhyFolder;
    case R::NotRegularFile: return TextTable::kWhyNotRegularFile;
    case R::TooLarge: return TextTable::kWhyTooLarge;
    case R::TooManyLines: return TextTable::kWhyTooManyLines;
    case R::MemosTooLong: return TextTable::kWhyMemosTooLong;
    case R::WouldBeTooLarge: return TextTable::kWhyWouldBeTooLarge;
    case R::WouldHoldTooManyLines: return TextTable::kWhyWouldHoldTooManyLines;
    case R::ReadOnly: return TextTable::kWhyReadOnly;
    case R::CannotCreate: return TextTable::kWhyCannotCreate;
    case R::WriteFailed: return TextTable::kWhyWriteFailed;
    case R::CannotSetPermissions: return TextTable::kWhyCannotSetPermissions;
    case R::CannotFlush: return TextTable::kWhyCannotFlush;
    case R::CannotReplace: return TextTable::kWhyCannotReplace;
    case R::NotSettingsFile: return TextTable::kWhyNotSettingsFile;
    default: return -1;
    }
}

}  // namespace

std::string IniFileError::ReasonText(Reason reason, int64_t limit, const std::string& detail, int language)
{
    using R = Reason;
    if (reason == R::System)
        return detail;
    if (reason == R::ResaveTooLarge || reason == R::ResaveTooManyLines) {
        const R inner = reason == R::ResaveTooLarge ? R::WouldBeTooLarge : R::WouldHoldTooManyLines;
        return TextTable::ReplaceStars(TextTable::Message(TextTable::kWhyCannotResave, language),
                                       {ReasonText(inner, limit, detail, language)});
    }
    std::string why = TextTable::ReplaceStar(TextTable::Message(ReasonMessage(reason), language), limit);
    if (!detail.empty())
        why += " (" + detail + ")";
    return why;
}

IniFileError::IniFileError(Action action_, std::string path_, Reason reason_, int64_t limit_, std::string detail_)
    : std::runtime_error(Compose(action_, path_, reason_, limit_, detail_, 1)),
      action(action_),
      path(std::move(path_)),
      reason(reason_),
      limit(limit_),
      detail(std::move(detail_))
{
}

std::string IniFileError::Text(int language) const
{
    if (reason == Reason::Other)
        return what();
    return Compose(action, path, reason, limit, detail, language);
}

std::string IniFileError::Compose(Action action, const std::string& path, Reason reason, int64_t limit,
                                  const std::string& detail, int language)
{
    if (reason == Reason::NoName)
        return TextTable::Message(TextTable::kFileWithoutName, language);
    const int frame = action == Action::Read ? TextTable::kCannotReadFile : TextTable::kCannotWriteFile;
    return TextTable::ReplaceStars(TextTable::Message(frame, language), {path, ReasonText(reason, limit, detail, language)});
}
