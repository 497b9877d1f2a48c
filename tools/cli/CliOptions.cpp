#include "CliOptions.h"

#include <charconv>
#include <map>
#include <set>

#include "CliText.h"
#include "DeviceExchange.h"
#include "SerialPortOpener.h"
#include "SettingSheet.h"

#ifndef VXR_VERSION
#define VXR_VERSION "unknown"
#endif

namespace {

bool ToInt(const std::string& text, int& value)
{
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end && !text.empty();
}

// Operands each command takes.
const std::map<std::string, size_t>& OperandCounts()
{
    static const std::map<std::string, size_t> counts = {
        {"ports", 0}, {"read", 2}, {"write", 2}, {"show", 1}, {"convert", 2}, {"diff", 2}, {"sheet", 2}, {"help", 0},
    };
    return counts;
}

// history's own commands and the operands each takes after its name.
const std::map<std::string, size_t>& HistoryCounts()
{
    static const std::map<std::string, size_t> counts = {{"export", 2}, {"name", 2}, {"delete", 1}};
    return counts;
}

bool TakesValue(const std::string& name)
{
    return name == "--model" || name == "--timeout" || name == "--settings" || name == "--lang";
}

// A valid --lang anywhere on the line, so that even an error found before it speaks its language.
std::optional<int> LanguageIn(const std::vector<std::string>& args)
{
    for (size_t k = 0; k < args.size(); ++k) {
        if (args[k] == "--")
            break;
        std::string value;
        if (args[k] == "--lang" && k + 1 < args.size())
            value = args[k + 1];
        else if (args[k].rfind("--lang=", 0) == 0)
            value = args[k].substr(7);
        if (value == "ja" || value == "en")
            return value == "ja" ? 0 : 1;
    }
    return std::nullopt;
}

}  // namespace

bool CliOptions::Parse(const std::vector<std::string>& args, CliOptions& options, std::string* error,
                       int defaultLanguage)
{
    const int language = LanguageIn(args).value_or(defaultLanguage);
    auto fail = [error, language](CliText::Id id, const std::vector<std::string>& values = {}) {
        if (error)
            *error = CliText::Get(id, language, values);
        return false;
    };

    options = CliOptions{};
    options.language = LanguageIn(args);
    bool optionsEnded = false;
    std::set<std::string> seen;
    std::vector<std::string> words;
    for (size_t k = 0; k < args.size(); ++k) {
        const std::string& a = args[k];
        if (optionsEnded || a.size() < 2 || a[0] != '-') {
            words.push_back(a);
            continue;
        }
        if (a == "--") {
            optionsEnded = true;
            continue;
        }
        if (a == "-h" || a == "--help") {
            options.command = "help";
            return true;
        }
        if (a == "--version") {
            options.command = "version";
            return true;
        }
        // --name VALUE or --name=VALUE.
        const size_t eq = a.rfind("--", 0) == 0 ? a.find('=') : std::string::npos;
        const std::string name = a.substr(0, eq);
        std::optional<std::string> value;
        if (eq != std::string::npos)
            value = a.substr(eq + 1);
        const bool flag = name == "--json" || name == "--quiet";
        if (!flag && !TakesValue(name))
            return fail(CliText::kUnknownOption, {name});
        if (!seen.insert(name).second)
            return fail(CliText::kGivenTwice, {name});
        if (flag) {
            if (value)
                return fail(CliText::kTakesNoValue, {name});
            (name == "--json" ? options.json : options.quiet) = true;
            continue;
        }
        if (!value) {
            if (k + 1 >= args.size())
                return fail(CliText::kNeedsValue, {name});
            value = args[++k];
        }
        const std::string& v = *value;
        if (name == "--lang") {
            if (v != "ja" && v != "en")
                return fail(CliText::kLangValue);
            options.language = v == "ja" ? 0 : 1;
        } else if (name == "--settings") {
            if (v.empty())
                return fail(CliText::kNeedsValue, {name});
            options.settingsPath = v;
        } else {
            int n = 0;
            if (!ToInt(v, n))
                return fail(CliText::kNotNumber, {name, v});
            if (name == "--model") {
                if (n < 1 || n > 5)
                    return fail(CliText::kModelRange);
                options.model = n;
            } else {
                // A wait shorter than the longest reply takes on the line fails every transfer.
                const int shortest = DeviceExchange::ShortestTimeOutMs();
                if (n < shortest)
                    return fail(CliText::kTimeoutTooShort,
                                {std::to_string(shortest), std::to_string(DeviceExchange::kBitRate)});
                if (n > kMaxTimeoutMs)
                    return fail(CliText::kTimeoutRange, {std::to_string(shortest), std::to_string(kMaxTimeoutMs)});
                options.timeoutMs = n;
            }
        }
    }

    if (words.empty())
        return fail(CliText::kNoCommand);
    options.command = words.front();
    options.operands.assign(words.begin() + 1, words.end());
    const std::string& c = options.command;
    if (c == "history") {
        if (!options.operands.empty()) {
            const std::string& sub = options.operands.front();
            const auto h = HistoryCounts().find(sub);
            if (h == HistoryCounts().end())
                return fail(CliText::kUnknownCommand, {"history " + sub});
            if (options.operands.size() != h->second + 1)
                return fail(CliText::kOperandCount, {"history " + sub, std::to_string(h->second)});
            if (!HistoryId(options.operands[1]))
                return fail(CliText::kNotHistoryId, {options.operands[1]});
            if (options.json)
                return fail(CliText::kJsonOnly);
        }
    } else {
        const auto it = OperandCounts().find(c);
        if (it == OperandCounts().end())
            return fail(CliText::kUnknownCommand, {c});
        if (options.operands.size() != it->second)
            return fail(CliText::kOperandCount, {c, std::to_string(it->second)});
    }
    const bool transfer = c == "read" || c == "write";
    if (options.model && !transfer)
        return fail(CliText::kModelOnly);
    if (options.quiet && !transfer)
        return fail(CliText::kQuietOnly);
    if (options.json && c != "show" && c != "diff" && c != "history")
        return fail(CliText::kJsonOnly);
    if (!options.settingsPath.empty() && !transfer && c != "ports")
        return fail(CliText::kSettingsOnly);
    if (c == "sheet" && SettingSheet::FormatOf(options.operands[1]) == SettingSheet::Format::kNone)
        return fail(CliText::kSheetFormat, {options.operands[1]});
    if (transfer && SerialPortOpener::ComNumber(options.operands[0]) < 0)
        return fail(CliText::kBadPort, {options.operands[0]});
    if (c == "diff" && options.operands[0] == kStdStream && options.operands[1] == kStdStream)
        return fail(CliText::kStdinOnce);
    // read merges into FILE and replaces it: standard input and output cannot do both.
    if (c == "read" && options.operands[1] == kStdStream)
        return fail(CliText::kReadToStdStream);
    return true;
}

std::optional<int64_t> CliOptions::HistoryId(const std::string& text)
{
    int64_t id = 0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, id);
    if (ec != std::errc() || ptr != end || text.empty() || id <= 0)
        return std::nullopt;
    return id;
}

std::string CliOptions::Version()
{
    return "vxrmgr-cli " VXR_VERSION "\n";
}
namespace {

// The time-outs accepted, "425..600000".
std::string TimeoutRange()
{
    return std::to_string(DeviceExchange::ShortestTimeOutMs()) + ".." + std::to_string(CliOptions::kMaxTimeoutMs);
}

std::string UsageJapanese()
{
    return "使い方: vxrmgr-cli コマンド [オプション]\n"
           "\n"
           "コマンド:\n"
           "  ports                     COM1～COM20 と、それぞれが開くデバイスの一覧\n"
           "  read PORT FILE            コントローラーから全モデルを読み取り、FILE に保存する。\n"
           "                            既にある FILE のメモはそのまま残る\n"
           "  read PORT FILE --model N  MODEL N だけを読み取り、FILE に取り込む（新しい FILE では\n"
           "                            ほかのモデルは初期値）\n"
           "  write PORT FILE           FILE の全モデルを書き込む。FILE の現在のモデルが\n"
           "                            コントローラーの現在のモデルになる\n"
           "  write PORT FILE --model N FILE の MODEL N だけを書き込む。MODEL N が現在のモデルになる\n"
           "  show FILE                 設定ファイルの5つのモデルを表示する\n"
           "  show FILE --json          同じ内容をスクリプト向けの JSON で: currentModel (1..5),\n"
           "                            modelNumber, SYS_CUR, models[5]（それぞれ model, NBRK, BFREQ,\n"
           "                            VLT, PROG, FRQ[32], MEMO と、画面の表示 BFREQText, VLTText,\n"
           "                            FRQText[32], FRQSteps[32]。表にない値の表示は null）\n"
           "  convert IN OUT            IN（どちらの形式でも）を読み、今の形式で OUT に保存する\n"
           "  diff A B                  2つのファイルで違う設定を表示する\n"
           "  diff A B --json           同じ内容を JSON で: {\"same\": true|false, \"differences\":\n"
           "                            [{\"model\": 1..5 か null, \"field\", \"from\", \"to\"}]}\n"
           "  sheet FILE OUT            FILE の5つのモデルを A4 の用紙に描く: OUT.pdf か OUT.png\n"
           "                            (150 dpi)。枠に入りきらないメモは次のページに続く（PDF は\n"
           "                            1つのファイル、PNG はページごとに OUT-2.png, OUT-3.png, ...）\n"
           "  history                   履歴（成功した読み取りと書き込みのすべて。新しい順）: 番号、\n"
           "                            時刻、動作、ポート、前の項目と違うモデル、名前、メモの1行目。\n"
           "                            動作は read, write, read-model, write-model と before-write\n"
           "                            （書き込む前にコントローラーにあった設定。書き戻せば元に戻る）\n"
           "  history --json            同じ内容を JSON の配列で: id, time (ISO 8601, UTC), action,\n"
           "                            model (1..5 か null), port, name, models（違うモデル）, memo\n"
           "  history export ID FILE    項目 ID を設定ファイルとして保存する（'-' は標準出力）\n"
           "  history name ID TEXT      項目 ID に名前を付ける（空の TEXT で外す）\n"
           "  history delete ID         項目 ID を削除する\n"
           "\n"
           "PORT は COM1～COM20（'ports' の一覧）か、/dev/ttyUSB0 のようなデバイスのパス。\n"
           "FILE（read を除く）、IN、A、B の '-' は標準入力（A と B のどちらか一方だけ）、\n"
           "convert の OUT の '-' は標準出力。\n"
           "Ctrl+C (SIGINT) か SIGTERM で、送受信中のフレームの後に転送を止め、コントローラーの状態を\n"
           "表示する。そのとき保存中のファイルは元のまま残る。\n"
           "\n"
           "オプション（それぞれ一度まで。値は空白か '=' の後に: --model=3）:\n"
           "  --model N        read と write のモデル 1..5\n"
           "  --timeout MS     応答を待つ最長時間（ミリ秒、" + TimeoutRange() + "、既定 7000）\n"
           "  --json           show, diff, history: JSON で表示する\n"
           "  --quiet          read と write の進み具合を表示しない（標準エラーが端末のときだけ\n"
           "                   表示される）\n"
           "  --settings INI   ports, read, write: COM1～COM20 のデバイスを指定するアプリケーション\n"
           "                   設定ファイル（[Ports] セクション、COMn=/dev/...）。存在すること。\n"
           "                   既定: プログラムと同じ場所の VXRMGR.ini、なければ\n"
           "                   $XDG_CONFIG_HOME/vxrmgr/VXRMGR.ini（既定 ~/.config/vxrmgr/）\n"
           "  --lang ja|en     メッセージと設定シートの言語（既定: ロケールに従う。ja_JP では日本語）\n"
           "  -h, --help       この説明\n"
           "  --version        プログラムのバージョン\n"
           "\n"
           "履歴は $XDG_DATA_HOME/vxrmgr/history/（既定 ~/.local/share/vxrmgr/history/）にあり、\n"
           "ウィンドウと共有する。履歴がコンピューターの外に出ることはない。\n"
           "\n"
           "終了ステータス: 0 成功、1 失敗、2 使い方の誤り（読めない --settings ファイルも）、\n"
           "130 SIGINT か SIGTERM で中断。\n"
           "diff: 0 同じ設定、1 違いがある、2 使い方の誤りか読めないファイル（diff(1) と同じ）。\n";
}

}  // namespace

std::string CliOptions::Usage(int language)
{
    if (language == 0)
        return UsageJapanese();
    return "Usage: vxrmgr-cli COMMAND [OPTIONS]\n"
           "\n"
           "Commands:\n"
           "  ports                     list COM1..COM20 and the device each opens\n"
           "  read PORT FILE            read all models from the controller and save them to FILE;\n"
           "                            memos of an existing FILE are kept\n"
           "  read PORT FILE --model N  read MODEL N only and merge it into FILE (a new FILE gets\n"
           "                            the defaults for the other models)\n"
           "  write PORT FILE           write all models of FILE; FILE's current model becomes the\n"
           "                            controller's current model\n"
           "  write PORT FILE --model N write MODEL N of FILE only; MODEL N becomes current\n"
           "  show FILE                 print the five models of a settings file\n"
           "  show FILE --json          the same as JSON, for scripts: currentModel (1..5),\n"
           "                            modelNumber, SYS_CUR and models[5], each with model,\n"
           "                            NBRK, BFREQ, VLT, PROG, FRQ[32] and MEMO as stored, and the\n"
           "                            texts shown for them: BFREQText (\"0.964kHz\"), VLTText,\n"
           "                            FRQText[32] (\"9.05kHz\"), FRQSteps[32] (1..52); a value\n"
           "                            outside its table has null there\n"
           "  convert IN OUT            read IN (either layout) and save it in the current layout\n"
           "  diff A B                  print the settings that differ between two files\n"
           "  diff A B --json           the same as JSON: {\"same\": true|false, \"differences\":\n"
           "                            [{\"model\": 1..5 or null, \"field\", \"from\", \"to\"}]}\n"
           "  sheet FILE OUT            draw the five models of FILE on an A4 page: OUT.pdf or\n"
           "                            OUT.png (150 dpi); memos too long for their box continue\n"
           "                            on further pages: more pages of the PDF, or one PNG file\n"
           "                            per page (OUT.png, OUT-2.png, OUT-3.png, ...)\n"
           "  history                   list the history, newest first: every read and write that\n"
           "                            succeeded, with its number, time, action, port, the models\n"
           "                            that differ from the entry before, its name and the first\n"
           "                            memo line; actions are read, write, read-model, write-model\n"
           "                            and before-write (what the controller held before a write:\n"
           "                            writing it back undoes the write)\n"
           "  history --json            the same as a JSON array of objects with id, time (ISO 8601,\n"
           "                            UTC), action, model (1..5 or null), port, name, models (the\n"
           "                            models changed) and memo\n"
           "  history export ID FILE    save entry ID as a settings file ('-' for standard output)\n"
           "  history name ID TEXT      give entry ID a name (an empty TEXT removes it)\n"
           "  history delete ID         delete entry ID\n"
           "\n"
           "PORT is COM1..COM20 (as listed by 'ports') or a device path such as /dev/ttyUSB0.\n"
           "A FILE (but read's), IN, A or B of '-' is standard input (one of A and B at most);\n"
           "an OUT of convert of '-' is standard output.\n"
           "Ctrl+C (SIGINT) or SIGTERM stops a transfer after the frame under way and says what\n"
           "the controller holds; a save then stopped leaves the old file as it was.\n"
           "\n"
           "Options (each at most once; the value after a blank or '=', as in --model=3):\n"
           "  --model N        model 1..5 for read and write\n"
           "  --timeout MS     wait at most MS milliseconds for each reply (" + TimeoutRange() + ",\n"
           "                   default 7000)\n"
           "  --json           show, diff, history: print JSON\n"
           "  --quiet          read and write: no progress line (shown only when standard\n"
           "                   error is a terminal)\n"
           "  --settings INI   ports, read, write: application settings file naming the devices\n"
           "                   of COM1..COM20 (section [Ports], entries COMn=/dev/...); it must\n"
           "                   exist. Default: VXRMGR.ini beside the program if there is one,\n"
           "                   else $XDG_CONFIG_HOME/vxrmgr/VXRMGR.ini, by default ~/.config/vxrmgr/\n"
           "  --lang ja|en     language of the messages and the sheet (default: the locale's,\n"
           "                   Japanese under a ja_JP locale)\n"
           "  -h, --help       this text\n"
           "  --version        the program's version\n"
           "\n"
           "The history is kept in $XDG_DATA_HOME/vxrmgr/history/ (by default\n"
           "~/.local/share/vxrmgr/history/), shared with the window; nothing of it leaves the computer.\n"
           "\n"
           "Exit status: 0 success, 1 the operation failed, 2 usage error (also a --settings\n"
           "file that cannot be read), 130 stopped by SIGINT or SIGTERM.\n"
           "diff: 0 the files hold the same settings, 1 they differ, 2 usage error or a file\n"
           "that cannot be read (the diff(1) convention).\n";
}
