#pragma once
#include <array>
#include <cstdint>

// Fixed texts of the windows around the editors, kept beside the TextTable so that every front
// end shows the same words: window titles, message box captions and buttons, the progress window.
class WindowTexts {
public:
    static constexpr const char* kAppTitle = "VXR Manager for ZavidEzedu";
    static constexpr const char* kCaption = "VXR Manager for ZavidEzedu Ver1.54";
    static constexpr const char* kDateCaption = "VXR Manager for ZavidEzedu 100428";

    // Message box caption by language (0 Japanese, 1 English) and kind (Warning, Information,
    // Question, Error).
    static constexpr std::array<std::array<const char*, 4>, 2> kDialogCaptions = {{
        {"警告", "情報", "確認", "エラー"},
        {"Warning", "Information", "Question", "Error"},
    }};

    // Button names by language and the result the button gives (OK 1 ... No 7); a Japanese
    // system's message box marks the access keys with "&".
    static constexpr std::array<std::array<const char*, 8>, 2> kButtonNames = {{
        {"", "OK", "キャンセル", "中止(&A)", "再試行(&R)", "無視(&I)", "はい(&Y)", "いいえ(&N)"},
        {"", "OK", "Cancel", "Abort", "Retry", "Ignore", "Yes", "No"},
    }};
    static constexpr std::array<const char*, 2> kHelpButton = {"ヘルプ", "Help"};

    // The results of each button set 0..6, in the order shown (0 ends a set; set 1 adds Help).
    static constexpr std::array<std::array<int32_t, 3>, 7> kButtonSets = {{
        {3, 4, 5}, {1, 0, 0}, {1, 0, 0}, {1, 2, 0}, {4, 2, 0}, {6, 7, 0}, {6, 7, 2},
    }};

    // Progress window caption by language, and the label it is created with.
    static constexpr std::array<const char*, 2> kProgressCaptions = {"通信中", "Communicat"};
    static constexpr const char* kProgressLabel = "処理中";
};
