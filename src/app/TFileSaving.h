#pragma once
#include <QString>
#include <functional>
#include <optional>

struct ModelBank;
class QWidget;

// The one way the window writes a file the user names (Save, Save as, the history's Save as file,
// the setting sheet's PDF): it asks before replacing a file, about the name actually written, and
// a write that fails is told with the file and its cause.
class TFileSaving {
public:
    // The name to write (its extension made right), asked in a dialog; nothing when cancelled.
    using Choose = std::function<std::optional<QString>()>;
    // Writes the file; throws IniFileError, naming the file and the cause, when it cannot.
    using Write = std::function<void(const QString& name)>;

    explicit TFileSaving(int language) : language_(language) {}

    // Asks for a name until the user picks a new one or lets an existing one be replaced (No
    // asks again), then writes it. The name written; nothing when cancelled or not written.
    std::optional<QString> SaveChosen(const Choose& choose, const Write& write, int notSavedMessage) const;
    // Writes name, telling a failure; whether it was written.
    bool WriteTelling(const QString& name, const Write& write, int notSavedMessage) const;
    // Whether the user lets the existing file at path be replaced.
    bool ConfirmReplace(const QString& path) const;

    // The bank as a settings file at name; throws IniFileError with the cause when it cannot be
    // written (a bank the reader would refuse is not written at all).
    static void WriteSettings(const ModelBank& bank, const QString& name);

private:
    int language_;
};
