#pragma once
#include <cstdint>
#include <string>
#include <vector>

// The single routine for every message to the user: a modal message box whose caption and
// icon follow from the kind, in the user's language, returning the pressed button.

// Message kinds (one byte on the wire of the callers).
namespace DialogKind {
constexpr uint8_t Warning = 0;
constexpr uint8_t Information = 1;
constexpr uint8_t Question = 2;
constexpr uint8_t Error = 3;
}  // namespace DialogKind

// Button sets; any other value shows OK.
namespace DialogButtons {
constexpr uint8_t AbortRetryIgnore = 0;
constexpr uint8_t OkHelp = 1;
constexpr uint8_t Ok = 2;
constexpr uint8_t OkCancel = 3;
constexpr uint8_t RetryCancel = 4;
constexpr uint8_t YesNo = 5;
constexpr uint8_t YesNoCancel = 6;
}  // namespace DialogButtons

// Results, as the Windows message box numbers them; 0 when no box could be shown.
namespace DialogResult {
constexpr int32_t None = 0;
constexpr int32_t Ok = 1;
constexpr int32_t Cancel = 2;
constexpr int32_t Abort = 3;
constexpr int32_t Retry = 4;
constexpr int32_t Ignore = 5;
constexpr int32_t Yes = 6;
constexpr int32_t No = 7;
}  // namespace DialogResult

// What one call asks for, resolved from the tables: caption, icon and buttons.
struct MessageRequest {
    uint8_t kind = DialogKind::Information;
    uint8_t buttons = DialogButtons::Ok;
    std::string text;      // UTF-8
    std::string caption;   // UTF-8, empty for an unknown kind
    uint32_t style = 0;    // icon value + button value, as MessageBoxA's uType
    int language = 1;      // the button texts follow it too
    std::vector<std::string> buttonTexts;  // UTF-8, in the set's order; empty: the standard names
};

// Shows a request and returns the pressed button. The application uses a QMessageBox;
// tests install one that answers and records.
class MessagePresenter {
public:
    virtual ~MessagePresenter() = default;
    virtual int32_t Present(const MessageRequest& request) = 0;
};

// Installs a presenter (nullptr restores the message box). Returns the previous one.
MessagePresenter* SetMessagePresenter(MessagePresenter* presenter);

// Builds the request of the tables (caption, icon, button set) without showing it.
MessageRequest MakeMessageRequest(uint8_t kind, uint8_t buttons, const std::string& text, int language);

int32_t MessageDialog(uint8_t kind, uint8_t buttons, const std::string& text, int language);

// The same with buttons that say what they do (Save, Discard, Cancel for Yes, No, Cancel); the
// result is the standard button's.
int32_t MessageDialog(uint8_t kind, uint8_t buttons, const std::string& text, int language,
                      const std::vector<std::string>& buttonTexts);
