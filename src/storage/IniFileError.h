#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>

// A settings file that cannot be read or written. Callers that do not handle it let it reach
// the application's default report. what() is the English text; Text() gives it in the user's
// language: the frame and the reason are translated, an error text of the system stays as the
// system gave it.
class IniFileError : public std::runtime_error {
public:
    enum class Action : uint8_t { Read, Write };
    enum class Reason : uint8_t {
        Other,                 // only what() tells it
        System,                // the system's error text, in detail
        NoName,                // writing without a file name
        Folder,
        NotRegularFile,
        TooLarge,              // limit: MiB
        TooManyLines,          // limit: lines
        MemosTooLong,          // limit: lines
        ResaveTooLarge,        // a loaded file whose settings would not save again; limit: MiB
        ResaveTooManyLines,    // limit: lines
        WouldBeTooLarge,       // limit: MiB
        WouldHoldTooManyLines, // limit: lines
        ReadOnly,              // this and the rest: with the system's error text in detail
        CannotCreate,
        WriteFailed,
        CannotSetPermissions,
        CannotFlush,
        CannotReplace,
        NotSettingsFile,
    };

    // A failure without a structured form: what() is also what Text() shows.
    explicit IniFileError(const std::string& what) : std::runtime_error(what) {}
    IniFileError(Action action, std::string path, Reason reason, int64_t limit = 0, std::string detail = {});

    // The message in a language: 0 Japanese, 1 English (what()).
    std::string Text(int language) const;
    // The reason alone, as the message words it ("it is a folder").
    static std::string ReasonText(Reason reason, int64_t limit, const std::string& detail, int language);

    Action action = Action::Read;
    std::string path;  // UTF-8
    Reason reason = Reason::Other;
    int64_t limit = 0;
    std::string detail;

private:
    static std::string Compose(Action action, const std::string& path, Reason reason, int64_t limit,
                               const std::string& detail, int language);
};
