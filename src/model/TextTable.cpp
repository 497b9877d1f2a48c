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
    {"この番号のシリアルデバイスが接続されておらず、VXRMGR.ini の [Ports] にも指定がありません。",
     "No serial device is plugged in for this number, and none is set for it in [Ports] of VXRMGR.ini."},  // 122
    {"デバイス * がありません（抜かれていませんか？）", "No such device: * (unplugged?)"},  // 124
    {"アクセスが拒否されました: * はグループ * のものです。このグループに参加して（sudo usermod -aG * $USER）、ログインし直してください。",
     "Permission denied: * belongs to group *. Join it (sudo usermod -aG * $USER), then log in again."},  // 126
    {"アクセスが拒否されました: グループ *（* の所有グループ）への参加は、ログインし直すと有効になります。",
     "Permission denied: you were added to group *, which owns *, after this session began. Log out and in again."},  // 128
    {"アクセスが拒否されました: * は root しか開けません。udev ルールで dialout などのグループに読み書きを許してください。",
     "Permission denied: only root may open *. Give a group such as dialout read and write access with a udev rule."},  // 130
    {"デバイスは他のプログラムが使用中です: *", "The device is in use by another program: *"},  // 132
    {"デバイスは他のプログラムが使用中です。新しく接続した ttyACM デバイスは、ModemManager が数秒間調べていることがよくあります。もう一度試すか、ModemManager を止めてください。",
     "The device is in use by another program. A newly plugged ttyACM device is often probed by ModemManager for a few "
     "seconds: try again, or stop ModemManager."},  // 134
    {"* はシリアルデバイスではありません。", "* is not a serial device."},  // 136
    {"* を開けません: *", "Cannot open *: *"},  // 138
    {"設定ファイルではありません", "Not a settings file"},  // 140
    {"他のポートを選ぶ…", "Choose another port…"},  // 142
    {"このブラウザはシリアルポートを使えません（Web Serial も WebUSB もありません）。パソコンでは Chrome、Edge、Opera、Firefox 151 以降、Android では Chrome で開いてください。",
     "This browser has no serial ports (neither Web Serial nor WebUSB): open the page in Chrome, Edge, Opera or Firefox 151 and later on a computer, or in Chrome on Android."},  // 144
    {"MODEL*: * の値 * は範囲 * の外です。値を直すか MODEL を初期化してから、もう一度書き込んでください。",
     "MODEL*: * * is outside *. Edit it, or reset the model, then write again."},  // 146
    {"MODEL*: VLT の値 * はカットオフの値（*）のどれでもありません。カットオフを選ぶか MODEL を初期化してから、もう一度書き込んでください。",
     "MODEL*: VLT * is not one of the cut-off codes (*). Pick a cut-off, or reset the model, then write again."},  // 148
    {"*は書き込まれました", "* was written"},  // 150
    {"*は書き込まれました", "* were written"},  // 152
    {"*は書き込まれたかどうか分かりません", "* may have been written"},  // 154
    {"*は書き込まれていません", "* was not written"},  // 156
    {"*は書き込まれていません", "* were not written"},  // 158
    {"*は書き込まれていません", "* was not"},  // 160
    {"*は書き込まれていません", "* were not"},  // 162
    {"モデル番号", "the model number"},  // 164
    {"*〜*", "* to *"},  // 166
    {"*と*", "* and *"},  // 168
    {"*、*", "*, *"},  // 170
    {"*。*", "*; *"},  // 172
    {"*。", "*."},  // 174
    {"デモ用コントローラ", "Demo controller"},  // 176
    {"ファイル * を読み込めません: *", "Cannot read file *: *"},  // 178
    {"ファイル * に保存できません: *", "Cannot write file *: *"},  // 180
    {"ファイル名がないため保存できません", "Cannot write file: no file name"},  // 182
    {"フォルダです", "it is a folder"},  // 184
    {"通常のファイルではありません", "it is not a regular file"},  // 186
    {"* MiB を超えています", "it is larger than * MiB"},  // 188
    {"* 行を超えています", "it holds more than * lines"},  // 190
    {"メモが合わせて * 行を超えています", "its memos hold more than * lines"},  // 192
    {"読み込んだ設定を保存し直せません: *", "its settings could not be saved again: *"},  // 194
    {"* MiB を超えてしまいます", "it would be larger than * MiB"},  // 196
    {"* 行を超えてしまいます", "it would hold more than * lines"},  // 198
    {"読み取り専用です", "it is read-only"},  // 200
    {"フォルダにファイルを作れません", "cannot create a file in its folder"},  // 202
    {"書き込みに失敗しました", "writing failed"},  // 204
    {"アクセス権を設定できません", "cannot set its permissions"},  // 206
    {"ディスクに書き出せません", "cannot flush it to disk"},  // 208
    {"置き換えられません", "cannot replace it"},  // 210
    {"設定ファイルではありません", "it is not a settings file"},  // 212
    {"不明なエラー", "Unknown error"},  // 214
    {"* への変更を保存しますか？", "Save the changes to *?"},  // 216
    {"変更を保存しますか？", "Save the changes?"},  // 218
    {"保存", "Save"},  // 220
    {"保存しない", "Discard"},  // 222
    {"キャンセル", "Cancel"},  // 224
    {"このファイルの一部の文字は読み取れなかったため、置き換えました。",
     "Some characters in this file could not be read and were replaced."},  // 226
    {"設定をリンクにしてコピーする", "Copy a link holding these settings"},  // 228
    {"リンクをコピーしました。5つのMODELの設定が入っています。", "Link copied: it holds the five models."},  // 230
    {"保存していない変更があります。リンクの設定で置き換えますか？",
     "There are unsaved changes. Replace them with the settings of the link?"},  // 232
    {"失敗していません", "no failure"},  // 234
    {"ポートが開いていません", "no port open"},  // 236
    {"応答を待つ間にポートが使えなくなりました", "the port failed while waiting for the reply"},  // 238
    {"タイムアウト: * ms 以内に応答がありません", "time-out: no reply within * ms"},  // 240
    {"応答が短い: * ms 以内に * バイト中 * バイト", "short reply: * of * bytes within * ms"},  // 242
    {"チェックサムが一致しません: 受信 *、計算 *", "checksum mismatch: received *, computed *"},  // 244
    {"拒否されました: 応答の末尾が 0x06 ではなく * でした", "refused: reply ended in *, not 0x06"},  // 246
    {"モデル番号の2バイトが一致しません: * と *", "model number bytes unequal: * and *"},  // 248
    {"応答がコマンドのエコーで始まっていません: 先頭が * でした（* のはず）",
     "reply does not begin with the command's echo: it began with *, not *"},  // 250
    {"中断しました", "interrupted"},  // 252
    {"転送", "transfer"},  // 254
    {"モデル番号の読み取り", "reading the model number"},  // 256
    {"MODEL* の読み取り", "reading MODEL*"},  // 258
    {"MODEL* の書き込み", "writing MODEL*"},  // 260
    {"モデル番号の書き込み", "writing the model number"},  // 262
    {"範囲外の値があります", "a value is out of range"},  // 264
    {"USBアダプタを選ぶ…", "Choose a USB adapter…"},  // 266
    {"ポートがない？", "No port?"},  // 268
    {"Linux では、ユーザーを dialout グループに加えて（sudo usermod -aG dialout $USER）ログインし直してください。snap の Chromium には sudo snap connect chromium:raw-usb も必要です。",
     "On Linux, add yourself to the dialout group (sudo usermod -aG dialout $USER) and log in again. A Chromium installed as a snap also needs: sudo snap connect chromium:raw-usb."},  // 270
    {"Windows では、アダプタのメーカーのドライバ（FTDI、CH340、CP210x、PL2303）を入れてください。アダプタがデバイス マネージャーの「ポート (COM と LPT)」に出ればブラウザでも選べます。",
     "On Windows, install the driver from the adapter's maker (FTDI, CH340, CP210x, PL2303). Once the adapter shows in Device Manager under Ports (COM & LPT), the browser offers it too."},  // 272
    {"macOS では、CH340 と PL2303 のアダプタにはメーカーのドライバが要ります。入れてからアダプタをつなぎ直してください。",
     "On macOS, CH340 and PL2303 adapters need their maker's driver. Install it, then plug the adapter in again."},  // 274
    {"Android では、アダプタを USB OTG アダプタ（または OTG ケーブル）でつなぎ、「USBアダプタを選ぶ…」で選んで、このページに使用を許可してください。",
     "On Android, plug the adapter in through a USB OTG adapter (or an OTG cable), pick it with \"Choose a USB adapter…\" and allow this page to use it."},  // 276
    {"アダプタをつないでから、「他のポートを選ぶ…」で選んでください。",
     "Plug the adapter in, then pick it with \"Choose another port…\"."},  // 278
    {"システムがデバイスを開けませんでした。他のプログラムが使用中か、使用を許されていません。",
     "The system could not open the device: it is in use by another program, or you may not use it."},  // 280
    {"ブラウザがこのページにデバイスの使用を許していません。", "The browser does not let this page use the device."},  // 282
    {"デバイスはこのページか他のタブが使用中です。", "The device is in use by this page or another tab."},  // 284
    {"元に戻す (Ctrl+Z)", "Undo (Ctrl+Z)"},  // 286
    {"やり直す (Ctrl+Y)", "Redo (Ctrl+Y)"},  // 288
    // The history of setups.
    {"履歴", "History"},  // 290
    {"時刻", "Time"},
    {"動作", "Action"},
    {"ポート", "Port"},  // 296
    {"変わったMODEL", "Models changed"},
    {"名前", "Name"},
    {"メモ", "Memo"},
    {"全て読取", "Read all"},  // 304
    {"全て書込", "Write all"},
    {"書込前", "Before write"},
    {"MODEL*読取", "Read MODEL*"},
    {"MODEL*書込", "Write MODEL*"},  // 312
    {"編集画面に戻す", "Restore"},
    {"ファイルに保存", "Save as file"},
    {"比べる", "Compare"},
    {"削除", "Delete"},  // 320
    {"名前を付ける", "Set name"},
    {"閉じる", "Close"},
    {"選んだ履歴を削除しますか？", "Delete the selected history entry?"},
    {"履歴に残せませんでした:\n*", "Not kept in the history:\n*"},  // 328
    {"読めない履歴です", "This history entry cannot be read"},
    {"設定の比較", "Compare setups"},  // 332
    {"エディタの設定", "The editors' settings"},  // 334
    {"ファイル…", "A file…"},  // 336
    {"* は既にあります。\n置き換えますか？", "* already exists.\nDo you want to replace it?"},  // 338
    {"COMM の横でポートを選んでください", "choose a port next to COMM"},  // 340
    {"ポートを選び直してください", "choose the port again"},  // 342
    {"MODEL* * = *（範囲: *）", "MODEL* * = * (allowed: *)"},  // 344
    {"このファイルには範囲外の値があります（編集欄にはそのまま表示できません）。書き込む前に直してください:",
     "This file holds values outside their range (the editors cannot show them as they are). Mend them before "
     "writing:"},  // 346
    {"範囲外の値があるため、何も書き込んでいません。値を直すか MODEL を初期化してから、もう一度書き込んでください:",
     "Nothing was written: these values are outside their range. Edit them, or reset their models, then write "
     "again:"},  // 348
    {"（Ctrl+O。押したままにするか右クリックで最近のファイル）", " (Ctrl+O; hold or right-click for recent files)"},  // 350
    {"（Ctrl+Shift+S。Ctrl+S は最後に開いたか保存したファイルにそのまま保存）",
     " (Ctrl+Shift+S; Ctrl+S saves to the file last opened or saved)"},  // 352
    {"（Ctrl+Q）", " (Ctrl+Q)"},  // 354
    {"ヘルプ", "Help"},  // 356
    {"バージョン *", "Version *"},  // 358
    {"このプログラムはフリーソフトウェアです。GNU 一般公衆利用許諾書（GPL）バージョン 3 以降の条件で再配布・改変できます。"
     "無保証です。",
     "This program is free software: you can redistribute it and/or modify it under the terms of the GNU General "
     "Public License, version 3 or later. It comes with no warranty."},  // 360
    {"キー操作\n"
     "Ctrl+O\tファイルを開く\n"
     "Ctrl+S\t最後に開いたか保存したファイルに保存\n"
     "Ctrl+Shift+S\t名前を付けて保存\n"
     "Ctrl+P\t設定シートを印刷\n"
     "Ctrl+Shift+P\t設定シートを PDF で保存\n"
     "Ctrl+Q\t終了（保存していない変更は確認します）\n"
     "Ctrl+Tab / Ctrl+Shift+Tab\t次 / 前の MODEL\n"
     "Shift+クリック\tカーブの範囲を選ぶ（Shift を離すと範囲が終わります。直線ボタンを押す間も押したままに）\n"
     "Ctrl+Z / Ctrl+Y\t元に戻す / やり直す\n"
     "Ctrl+H\t履歴\n"
     "Ctrl+D\t設定の比較\n"
     "F1\tこのヘルプ",
     "Keys\n"
     "Ctrl+O\tOpen a file\n"
     "Ctrl+S\tSave to the file last opened or saved\n"
     "Ctrl+Shift+S\tSave under a name you choose\n"
     "Ctrl+P\tPrint the setting sheet\n"
     "Ctrl+Shift+P\tSave the setting sheet as PDF\n"
     "Ctrl+Q\tQuit (asks about unsaved edits)\n"
     "Ctrl+Tab / Ctrl+Shift+Tab\tNext / previous model\n"
     "Shift+click\tSelect a curve range (releasing Shift ends it: hold it while clicking the straight-line "
     "button)\n"
     "Ctrl+Z / Ctrl+Y\tUndo / redo\n"
     "Ctrl+H\tHistory\n"
     "Ctrl+D\tCompare setups\n"
     "F1\tThis help"},  // 362
    {"ファイルの場所\n設定: *\n履歴: *", "Where files are kept\nSettings: *\nHistory: *"},  // 364
    {"最近のファイルはありません", "No recent files"},  // 366
    {"閉じる", "Close"},  // 368
    {"（範囲外）", "(out of range)"},  // 370
    {"（一覧にない値）", "(not a cut-off code)"},  // 372
    {"現在のモデル", "current model"},  // 374
    {"メモ（続き）", "memo (continued)"},  // 376
    {"作成日 *", "made *"},  // 378
    {"* / * ページ", "page * of *"},  // 380
    {"PDF のページを作れません", "Cannot make the PDF page"},  // 382
    {"設定シートは .pdf か .png のファイルです", "A setting sheet is a .pdf or a .png file"},  // 384
    {"設定シート（印刷は Ctrl+P、PDF で保存は Ctrl+Shift+P）", "Setting sheet (Print: Ctrl+P, Save as PDF: Ctrl+Shift+P)"},  // 386
    {"印刷", "Print"},  // 388
    {"PDF で保存", "Save as PDF"},  // 390
    {"設定シートを保存できませんでした", "The setting sheet was not saved"},  // 392
    {"設定シートを印刷できませんでした", "The setting sheet was not printed"},  // 394
    {"リンクをコピーできませんでした。下のリンクを選んでコピーしてください。5つのMODELの設定が入っています。",
     "The link could not be copied: select it below and copy it. It holds the five models."},  // 396
    {"スマートフォンのカメラで読み取ると、同じ設定が開きます", "A phone's camera opens the same settings from this code"},  // 398
    {"設定ファイルを1つだけドロップしてください。フォルダーや複数のファイルは開けません。",
     "Drop one settings file: a folder or several files cannot be opened."},  // 400
    {"このタブはページからは閉じられません。ブラウザーで閉じてください。",
     "This tab cannot be closed by the page: close it in the browser."},  // 402
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

std::string TextTable::ReplaceStars(std::string text, const std::vector<std::string>& values)
{
    size_t from = 0;
    for (const std::string& value : values) {
        const auto pos = text.find('*', from);
        if (pos == std::string::npos)
            break;
        text.replace(pos, 1, value);
        from = pos + value.size();
    }
    return text;
}
