#pragma once
#include <string>
#include <vector>

// The command line's own messages in Japanese (language 0) and English (1). A "*" stands for a
// value, filled in order. The transfers' texts come from the TextTable instead.
class CliText {
public:
    enum Id : int {
        kNeedsValue,
        kTakesNoValue,
        kGivenTwice,
        kLangValue,
        kNotNumber,
        kModelRange,
        kTimeoutRange,
        kTimeoutTooShort,
        kUnknownOption,
        kNoCommand,
        kUnknownCommand,
        kOperandCount,
        kModelOnly,
        kQuietOnly,
        kJsonOnly,
        kSettingsOnly,
        kSheetFormat,
        kBadPort,
        kStdinOnce,
        kReadToStdStream,
        kTryHelp,
        kNoSuchFile,
        kNotRegular,
        kNotRegularFolder,
        kNotRegularFifo,
        kNotRegularDevice,
        kIsFolder,
        kReadOnly,
        kCannotCreate,
        kNoSuchFolder,
        kSettingsUnreadable,
        kNone,
        kCannotRead,
        kCharactersReplaced,
        kCannotBeWritten,
        kCannotBeWrittenBecause,
        kReadButNotSavedOne,
        kReadButNotSavedAll,
        kSavedButNumberFailed,
        kStdout,
        kStdin,
        kNoSuchPort,
        kNotAssigned,
        kCannotOpen,
        kNotSavedStopped,
        kShowCurrentModel,
        kShowOneLine,
        kShowLines,
        kShowSteps,
        kNotHistoryId,
        kNoHistoryEntry,
        kHistoryNotKept,
        kHistoryEmpty,
        kHistoryDeleted,
        kHistoryNamed,
        kHistoryUnnamed,
        kProgress,
        kCount
    };

    static std::string Get(Id id, int language, const std::vector<std::string>& values = {});
    // 0 on a Japanese (Japan) system locale, else 1: as the window chooses.
    static int DefaultLanguage();
};
