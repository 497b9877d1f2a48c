#pragma once
#include <cstdint>
#include <string>
#include <vector>

// The program's texts by entry number. Entries 0..63 are the brake-frequency figures; from 64
// on, message n is Japanese and n + 1 English, fetched as n + Language. All texts are UTF-8.
class TextTable {
public:
    static constexpr int kFirstMessage = 64;
    static constexpr int kLastEntry = 403;

    // Message numbers (the Japanese entry; add Language for the text to show).
    enum Msg : int {
        kAutomaticBrake = 64,
        kBrakeFreq = 66,
        kTimingAdjust = 68,
        kLowVoltCut = 70,
        kDriveFreq = 72,
        kWriteModelNumber = 74,
        kOkay = 76,
        kReadSuccessful = 78,
        kReadFailed = 80,
        kWriteSuccessful = 82,
        kWriteFailed = 84,
        kReadModelNumber = 86,
        kReadModel = 88,
        kWriteModel = 90,
        kCopyModel = 92,
        kNoConnection = 94,
        kPortOk = 96,
        kPortMissing = 98,
        kUnsaved = 100,
        kMemo = 102,
        kFirstHint = 104,
        // Second lines of a port that failed to open: what Linux said and what to do.
        kCauseUnassigned = 122,
        kCauseNoDevice = 124,
        kCauseJoinGroup = 126,
        kCauseLogInAgain = 128,
        kCauseRootOnly = 130,
        kCauseBusyBy = 132,
        kCauseBusy = 134,
        kCauseNotSerial = 136,
        kCauseOther = 138,
        kNotSettingsFile = 140,  // a file to open without the settings section
        // The page's port list: the entry that asks the browser for another port, and why
        // there is no port list at all.
        kOtherPort = 142,
        kNoWebSerial = 144,
        // A write refused before anything is sent: a value the controller cannot take.
        kOutOfRange = 146,
        kNotACutOff = 148,
        // The second line of a failed write: what the controller holds now. Clauses and the
        // words that join them; "1" for one thing, "N" for several.
        kWrittenOne = 150,
        kWrittenMany = 152,
        kMaybeWritten = 154,
        kNotWrittenOne = 156,
        kNotWrittenMany = 158,
        kNotEitherOne = 160,  // after a clause that says what was written
        kNotEitherMany = 162,
        kTheModelNumber = 164,
        kModelRange = 166,  // MODEL1 to MODEL4
        kListPair = 168,    // the last two of a list
        kListMore = 170,    // the others
        kClauses = 172,
        kSentence = 174,
        kDemoController = 176,  // the simulator's logic in the page, for trying it without one
        // Files that cannot be read or written: the frame (file name, reason) and the reasons.
        kCannotReadFile = 178,
        kCannotWriteFile = 180,
        kFileWithoutName = 182,
        kWhyFolder = 184,
        kWhyNotRegularFile = 186,
        kWhyTooLarge = 188,
        kWhyTooManyLines = 190,
        kWhyMemosTooLong = 192,
        kWhyCannotResave = 194,
        kWhyWouldBeTooLarge = 196,
        kWhyWouldHoldTooManyLines = 198,
        kWhyReadOnly = 200,
        kWhyCannotCreate = 202,
        kWhyWriteFailed = 204,
        kWhyCannotSetPermissions = 206,
        kWhyCannotFlush = 208,
        kWhyCannotReplace = 210,
        kWhyNotSettingsFile = 212,
        kUnknownError = 214,
        // Unsaved changes: the question before they would be lost, and its buttons.
        kSaveChangesTo = 216,
        kSaveChanges = 218,
        kSaveButton = 220,
        kDiscardButton = 222,
        kCancelButton = 224,
        kCharactersReplaced = 226,  // a file opened with bytes that could not be read
        // Sharing the five models as a link: the button's hint, its report, and the question
        // before a link replaces edits that were not saved.
        kShareHint = 228,
        kLinkCopied = 230,
        kReplaceEdits = 232,
        // Why a controller command failed, and the transfer step it failed in.
        kNoFailure = 234,
        kNoPortOpen = 236,
        kPortFailed = 238,
        kTimeOut = 240,
        kShortReply = 242,  // Japanese: time-out, expected, received; English: received, expected, time-out
        kChecksumMismatch = 244,
        kRefused = 246,
        kNumberBytesUnequal = 248,
        kNotTheEcho = 250,
        kInterrupted = 252,
        kStepTransfer = 254,
        kStepReadModelNumber = 256,
        kStepReadModel = 258,
        kStepWriteModel = 260,
        kStepWriteModelNumber = 262,
        kSomeValueOutOfRange = 264,
        // The page's USB adapters (WebUSB), and what to do when no port is there or none opens:
        // the list entries, the advice for each system, and the browser's reasons.
        kOtherUsbPort = 266,
        kNoPortHelp = 268,
        kAdviceLinux = 270,
        kAdviceWindows = 272,
        kAdviceMac = 274,
        kAdviceAndroid = 276,
        kAdviceOther = 278,
        kCauseRefused = 280,
        kCauseBlocked = 282,
        kCauseInUse = 284,
        // Undo and redo of the editors' bank: the buttons' hints.
        kUndoHint = 286,
        kRedoHint = 288,
        // The history of setups: its window, the list's columns, the actions, the buttons.
        kHistory = 290,
        kHistoryTime = 292,
        kHistoryAction = 294,
        kHistoryPort = 296,
        kHistoryModels = 298,
        kHistoryName = 300,
        kHistoryMemo = 302,
        kActionRead = 304,
        kActionWrite = 306,
        kActionBeforeWrite = 308,
        kActionReadModel = 310,
        kActionWriteModel = 312,
        kHistoryRestore = 314,
        kHistorySave = 316,
        kHistoryCompare = 318,
        kHistoryDelete = 320,
        kHistorySetName = 322,
        kHistoryClose = 324,
        kHistoryDeleteQuestion = 326,
        kHistoryNotKept = 328,
        kHistoryUnreadable = 330,
        // Two setups compared: the window's caption, the sources of a side.
        kCompareCaption = 332,
        kEditorsSetup = 334,
        kFileSetup = 336,
        // Save over a file that exists: asked about the name actually written.
        kReplaceFile = 338,
        // What to do after a transfer failed for want of a port, or on one that went away.
        kChooseAPort = 340,
        kChooseThePortAgain = 342,
        // Values outside their range: one line of a list, and the list's headings when a file
        // holding them is opened and when they stop a write.
        kRangeListLine = 344,
        kOpenedOutOfRange = 346,
        kWriteOutOfRange = 348,
        // The keys a tool button's hint names, after the hint (Open, Save, Exit).
        kOpenKeys = 350,
        kSaveKeys = 352,
        kExitKeys = 354,
        // The help window (F1): its caption, the version, the licence, the keys and the files.
        kHelpCaption = 356,
        kHelpVersion = 358,
        kHelpLicence = 360,
        kHelpKeys = 362,
        kHelpFiles = 364,
        kNoRecentFiles = 366,  // the Open button's menu while it lists none
        kCloseButton = 368,
        // The setting sheet: the notes beside values it cannot show, the current model's mark,
        // the heading of a memo's further lines, the foot of each page, its failures.
        kSheetOutOfRange = 370,
        kSheetNotCutOff = 372,
        kSheetCurrentModel = 374,
        kSheetMemoContinued = 376,
        kSheetMadeOn = 378,
        kSheetPageNumber = 380,
        kSheetCannotMakePdf = 382,
        kSheetIsPdfOrPng = 384,
        // Printing the sheet and saving it as a PDF: the button's hint, the two actions, and
        // the first lines of their failures.
        kSheetHint = 386,
        kPrintSheet = 388,
        kSaveSheetPdf = 390,
        kSheetNotSaved = 392,
        kSheetNotPrinted = 394,
        // The page: a link the clipboard refused, the QR code's caption, a drop of more than one
        // file, and EXIT where the browser keeps the tab open.
        kCopyLinkByHand = 396,
        kLinkQrCaption = 398,
        kDropOneFile = 400,
        kCannotCloseTab = 402,
    };

    // Entry n (0..kLastEntry); empty for any other n.
    static std::string Entry(int n);
    // Message n in the given language (0 Japanese, 1 English).
    static std::string Message(int n, int language);
    // Hint of the tool button with this tag (0..8).
    static std::string Hint(int tag, int language) { return Entry(kFirstHint + 2 * tag + (language == 0 ? 0 : 1)); }
    // The first "*" replaced by the number in decimal; the rest unchanged.
    static std::string ReplaceStar(std::string text, int64_t number);
    // Each "*" in turn replaced by the next of the values; a "*" inside a value stays as it is.
    static std::string ReplaceStars(std::string text, const std::vector<std::string>& values);
};
