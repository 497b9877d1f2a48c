#include "CliText.h"

#include <QLocale>

#include <array>

#include "TextTable.h"

namespace {

struct Pair {
    const char* japanese;
    const char* english;
};

// In the order of CliText::Id.
constexpr std::array<Pair, CliText::kCount> kTexts = {{
    {"* には値が必要です", "* needs a value"},
    {"* は値を取りません", "* takes no value"},
    {"* が二度指定されています", "* given twice"},
    {"--lang には ja か en を指定してください", "--lang must be ja or en"},
    {"*: 数ではありません: *", "*: not a number: *"},
    {"--model は 1～5 です", "--model must be 1..5"},
    {"--timeout は *～* ミリ秒です", "--timeout must be *..* ms"},
    {"--timeout は * ミリ秒以上にしてください（* bit/s では一番長い応答にそれだけかかります）",
     "--timeout must be at least * ms: the longest reply takes that long at * bit/s"},
    {"不明なオプション *", "unknown option *"},
    {"コマンドがありません", "no command given"},
    {"不明なコマンド *", "unknown command *"},
    {"* の引数は * 個です", "* takes * operand(s)"},
    {"--model は read と write にだけ使えます", "--model applies to read and write only"},
    {"--quiet は read と write にだけ使えます", "--quiet applies to read and write only"},
    {"--json は show、diff、history にだけ使えます", "--json applies to show, diff and history only"},
    {"--settings は ports、read、write にだけ使えます", "--settings applies to ports, read and write only"},
    {"*: OUT の名前は .pdf か .png で終わらなければなりません", "*: OUT must end in .pdf or .png"},
    {"*: PORT は COM1～COM20 かデバイスのパスです", "*: PORT must be COM1..COM20 or a device path"},
    {"標準入力 (-) は一度しか読めません", "standard input (-) can be read only once"},
    {"read の FILE は標準入出力 (-) にはできません", "read needs a real FILE, not -"},
    {"使い方は 'vxrmgr-cli --help' で表示されます。", "Try 'vxrmgr-cli --help'."},
    {"ファイルがありません", "no such file"},
    {"通常のファイルではありません", "not a regular file"},
    {"通常のファイルではありません（フォルダー）", "not a regular file (a folder)"},
    {"通常のファイルではありません（FIFO）", "not a regular file (a FIFO)"},
    {"通常のファイルではありません（デバイス）", "not a regular file (a device)"},
    {"フォルダーです", "it is a folder"},
    {"書き込みが禁止されています（*）", "it is read-only (*)"},
    {"そのフォルダーにファイルを作れません（*）", "no file can be created in its folder (*)"},
    {"フォルダーがありません", "no such folder"},
    {"*: アプリケーション設定ファイルを読めません", "*: the application settings file cannot be read"},
    {"（なし）", "(none)"},
    {"*: 読めません: *", "*: cannot read: *"},
    {"*: 読めない文字があり、置き換えました", "*: some characters could not be read and were replaced"},
    {"書き込めません", "cannot be written"},
    {"書き込めません: *", "cannot be written: *"},
    {"コントローラーから MODEL* を読み取りましたが、* は保存されていません: *",
     "MODEL* was read from the controller, but * was not saved: *"},
    {"コントローラーから5つのモデルと現在のモデル（MODEL*）を読み取りましたが、* は保存されていません: *",
     "all five models and the current model (MODEL*) were read from the controller, but * was not saved: *"},
    {"5つのモデルを読み取って保存しました。モデル番号の書き戻しに失敗しました: *",
     "the five models were read and saved; writing the model number back failed: *"},
    {"標準出力: *", "standard output: *"},
    {"標準入力", "standard input"},
    {"*: そのようなポートはありません（COM1～COM20）", "*: no such port (COM1..COM20)"},
    {"COM* にはデバイスが割り当てられていません（'vxrmgr-cli ports' を参照し、[Ports] セクションで割り当ててください）",
     "COM* is not assigned to a device (see 'vxrmgr-cli ports'; assign one in section [Ports])"},
    {"* を開けません: *", "cannot open *: *"},
    {"中断したので保存していません（元のファイルはそのままです）", "not saved: stopped (the file is as it was)"},
    {"現在のモデル: MODEL*（モデル番号 *）", "Current model: MODEL* (model number *)"},
    {"* 行", "* line"},
    {"* 行", "* lines"},
    {"ステップ *", "steps *"},
    {"*: 履歴の番号ではありません", "*: not a history entry number"},
    {"履歴に * 番はありません", "no history entry *"},
    {"履歴に残せませんでした: *", "not kept in the history: *"},
    {"履歴はまだありません", "the history is empty"},
    {"履歴の * 番を削除しました", "history entry * deleted"},
    {"履歴の * 番に名前を付けました", "history entry * named"},
    {"履歴の * 番の名前を外しました", "history entry * has no name now"},
    {"*  *% 完了", "*  *% done"},
}};

}  // namespace

std::string CliText::Get(Id id, int language, const std::vector<std::string>& values)
{
    if (id < 0 || id >= kCount)
        return {};
    const Pair& p = kTexts[static_cast<size_t>(id)];
    return TextTable::ReplaceStars(language == 0 ? p.japanese : p.english, values);
}

int CliText::DefaultLanguage()
{
    const QLocale locale = QLocale::system();
    return locale.language() == QLocale::Japanese && locale.territory() == QLocale::Japan ? 0 : 1;
}
