#include "TextTable.h"

#include <array>

#include "BrakeFreqTable.h"

namespace {
struct Pair {
    const char* japanese;
    const char* english;
};

// Entries 64 + 2k (Japanese) and 65 + 2k (English).
constexpr std::array<Pair, (TextTable::kLastEntry + 1 - TextTable::kFirstMessage) / 2> kMessages = {{
    {"ニュートラルブレーキの状態", "AutomaticBrake"},  // 64
    {"ブレーキの周波数", "BrakeFreq"},  // 66
    {"進角の状態", "TimingAdjust"},  // 68
    {"LowVoltCut", "LowVoltCut"},  // 70
    {"出力周波数", "DriveFreq"},  // 72
    {"モデル番号を書き込む", "Write Modelnumber"},  // 74
    {"よろしいですか？", "Okay?"},  // 76
    {"読取成功", "Read successful"},  // 78
    {"読取失敗", "Read failed"},  // 80
    {"書込成功", "Write successful"},  // 82
    {"書込失敗", "Write failed"},  // 84
    {"モデル番号を取ってくる", "Read Modelnumber"},  // 86
    {"MODEL*を取ってくる", "Read MODEL*"},  // 88
    {"MODEL*書き込み", "Write MODEL*"},  // 90
    {"MODEL*をMODEL*にコピーしますか？", "Copy? MODEL* -> MODEL*"},  // 92
    {"シリアルポートを閉じました", "No Connection"},  // 94
    {"COM*設定完了", "COM* OK"},  // 96
    {"COM*は使用できません", "COM* dose not exist"},  // 98
    {"指定の場所には保存できません", "unsaved!"},  // 100
    {"メモ", "Memo"},  // 102
    {"全てのMODELを書き込む", "Write All"},  // 104
    {"全てのMODELを読み取る", "Read All"},  // 106
    {"ファイルを開く", "Open"},  // 108
    {"ファイルに保存", "Save"},  // 110
    {"終了", "Exit"},  // 112
    {"表示しているMODELを書き込む", "Write"},  // 114
    {"表示しているMODELを読み取る", "Read"},  // 116
    {"表示しているMODELの設定を初期化する", "Reset"},  // 118
    {"直線補間", "LinerAdjust"},  // 120
    {"設定ファイルではありません", "Not a settings file"},  // 122
}};
}  // namespace

std::string TextTable::Entry(int n)
{
    if (n < 0 || n > kLastEntry)
        return {};
    if (n < kFirstMessage)
        return std::string(BrakeFreqTable::Text(n));
    const Pair& p = kMessages[static_cast<size_t>((n - kFirstMessage) / 2)];
    return (n % 2 == 0) ? p.japanese : p.english;
}

std::string TextTable::Message(int n, int language)
{
    return Entry(n + (language == 0 ? 0 : 1));
}

std::string TextTable::ReplaceStar(std::string text, int64_t number)
{
    const auto pos = text.find('*');
    if (pos != std::string::npos)
        text.replace(pos, 1, std::to_string(number));
    return text;
}
