// The core's entry points for the page. This is the only file that knows about Emscripten; the
// exports are listed in web/core/CMakeLists.txt. Texts, constants and views go to JavaScript as JSON
// made here, so the page holds no copy of them. The transfers run synchronously in C++; where they
// wait (for the line, a pause, a message answered), Asyncify suspends them while JavaScript
// awaits.
#include <emscripten/emscripten.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "CurveEditing.h"
#include "CutOffTable.h"
#include "DeviceExchange.h"
#include "HistoryEntry.h"
#include "HistoryLabels.h"
#include "IniDocument.h"
#include "JsonWriter.h"
#include "ModelFieldRules.h"
#include "PageSession.h"
#include "SerialLine.h"
#include "SettingsFile.h"
#include "SimulatedLine.h"
#include "TextTable.h"
#include "TransferHistory.h"
#include "TransferOperations.h"
#include "TransferReporter.h"
#include "WindowTexts.h"

namespace {

// The page's side of the line and of the transfer's report: Module.host, set by core.js.
// clang-format off
EM_JS(int, HostLineOpen, (), { return Module.host.lineOpen() ? 1 : 0; });
EM_JS(void, HostLinePurge, (), { Module.host.linePurge(); });
EM_JS(int, HostLineSend, (const char* bytes, int size), {
    return Module.host.lineSend(HEAPU8.slice(bytes, bytes + size)) ? 1 : 0;
});
EM_ASYNC_JS(int, HostLineReceive, (char* buffer, int count, int timeoutMs), {
    const bytes = await Module.host.lineReceive(count, timeoutMs);
    if (bytes === null) return -1;
    HEAPU8.set(bytes, buffer);
    return bytes.length;
});
EM_JS(void, HostBegin, (), { Module.host.begin(); });
EM_JS(void, HostEnd, (), { Module.host.end(); });
EM_ASYNC_JS(void, HostPause, (int ms), { await Module.host.pause(ms); });
EM_JS(void, HostStartProgress, (int maximum), { Module.host.startProgress(maximum); });
EM_JS(void, HostSetLabel, (const char* text), { Module.host.setLabel(UTF8ToString(text)); });
EM_JS(void, HostStep, (), { Module.host.step(); });
EM_JS(void, HostHideProgress, (), { Module.host.hideProgress(); });
EM_JS(void, HostShowBank, (), { Module.host.showBank(); });
EM_JS(void, HostCaption, (const char* text), { Module.host.caption(UTF8ToString(text)); });
EM_ASYNC_JS(void, HostMessage, (int kind, const char* text), { await Module.host.message(kind, UTF8ToString(text)); });
// clang-format on

// The line the page chose (a Web Serial port), in JavaScript.
class PageLine : public SerialLine {
public:
    bool IsOpen() const override { return HostLineOpen() != 0; }
    void PurgeReceive() override { HostLinePurge(); }
    bool Send(const std::string& bytes) override { return HostLineSend(bytes.data(), static_cast<int>(bytes.size())) != 0; }
    int32_t Receive(char* buffer, int32_t count, int32_t timeoutMs) override
    {
        return HostLineReceive(buffer, count, timeoutMs);
    }
    int32_t ReceiveTimeOutMs() const override { return 7000; }
};

// The demonstration controller: the simulator's logic in the page, answering at the pace of the
// real line (the simulated line's own time passes at once).
class DemoLine : public SerialLine {
public:
    DemoLine() : line_(logic_) {}
    bool IsOpen() const override { return true; }
    void PurgeReceive() override { line_.PurgeReceive(); }
    bool Send(const std::string& bytes) override { return line_.Send(bytes); }
    int32_t Receive(char* buffer, int32_t count, int32_t timeoutMs) override
    {
        const auto before = line_.Now();
        const int32_t n = line_.Receive(buffer, count, timeoutMs);
        const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(line_.Now() - before).count();
        // A character at 1200 bit/s takes 8.33 ms; the echo of what was sent is part of the reply.
        HostPause(static_cast<int>(std::max<int64_t>(waited, n > 0 ? n * 25 / 3 : 0)));
        return n;
    }
    int32_t ReceiveTimeOutMs() const override { return line_.ReceiveTimeOutMs(); }

private:
    ControllerLogic logic_;
    SimulatedLine line_;
};

// The line the port list chose: a Web Serial port or the demonstration controller.
class ChosenLine : public SerialLine {
public:
    void UseDemo(bool demo) { current_ = demo ? static_cast<SerialLine*>(&demo_) : &page_; }
    bool IsOpen() const override { return current_->IsOpen(); }
    void PurgeReceive() override { current_->PurgeReceive(); }
    bool Send(const std::string& bytes) override { return current_->Send(bytes); }
    int32_t Receive(char* buffer, int32_t count, int32_t timeoutMs) override
    {
        return current_->Receive(buffer, count, timeoutMs);
    }
    int32_t ReceiveTimeOutMs() const override { return current_->ReceiveTimeOutMs(); }

private:
    PageLine page_;
    DemoLine demo_;
    SerialLine* current_ = &page_;
};

// The transfer's report: the page's progress window and message box.
class PageReporter : public TransferReporter {
public:
    explicit PageReporter(PageSession& page) : page_(page) {}
    void Begin() override { HostBegin(); }
    void End() override { HostEnd(); }
    void Pause(int32_t ms) override { HostPause(ms); }
    void StartProgress(int32_t maximum) override { HostStartProgress(maximum); }
    void SetLabel(const std::string& text) override { HostSetLabel(text.c_str()); }
    void Step() override { HostStep(); }
    void HideProgress() override { HostHideProgress(); }
    void ShowBank() override
    {
        page_.Session().ShowBank();
        HostShowBank();
    }
    void Message(Kind kind, const std::string& text) override { HostMessage(static_cast<int>(kind), text.c_str()); }

private:
    PageSession& page_;
};

struct Session {
    explicit Session(int language) : page(language), reporter(page) {}
    PageSession page;
    ChosenLine line;
    PageReporter reporter;
    DeviceExchange exchange{line};
    TransferOperations transfers{exchange, page.Session().Bank(), page.Session().Staging(), reporter, page.Session().Language()};
};
Session* gSession = nullptr;

// The string handed out last; JavaScript copies it before the next call.
std::string gResult;

const char* Hand(std::string text)
{
    gResult = std::move(text);
    return gResult.c_str();
}

const char* View() { return Hand(gSession->page.ViewJson()); }
EditingSession& Edit() { return gSession->page.Session(); }

}  // namespace

extern "C" {

// Every fixed text and constant of the page in one language (0 Japanese, 1 English), as JSON.
EMSCRIPTEN_KEEPALIVE const char* vxr_texts(int language)
{
    const int lang = language == 0 ? 0 : 1;
    JsonWriter j;
    j.BeginObject();
    j.Key("language").Number(lang);
    j.Key("title").String(WindowTexts::kCaption);
    // Editor titles by the name of the label that shows them.
    const std::pair<const char*, int> labels[] = {
        {"Label1", TextTable::kAutomaticBrake}, {"Label6", TextTable::kBrakeFreq},
        {"Label8", TextTable::kTimingAdjust},   {"Label9", TextTable::kLowVoltCut},
        {"Label18", TextTable::kDriveFreq},     {"Label2", TextTable::kMemo},
    };
    j.Key("labels").BeginObject();
    for (const auto& [name, msg] : labels) j.Key(name).String(TextTable::Message(msg, lang));
    j.EndObject();
    j.Key("brakeItems").BeginArray();
    for (int k = 0; k < ModelFieldRules::kBrakeItems; ++k) j.String(ModelFieldRules::BrakeItemText(k));
    j.EndArray();
    j.Key("cutOffItems").BeginArray();
    for (int k = 0; k < ModelFieldRules::kCutOffItems; ++k) j.String(ModelFieldRules::CutOffItemText(k));
    j.EndArray();
    j.Key("hints").BeginArray();
    for (int tag = 0; tag < 9; ++tag) j.String(TextTable::Hint(tag, lang));
    j.EndArray();
    j.Key("shareHint").String(TextTable::Message(TextTable::kShareHint, lang));
    j.Key("undoHint").String(TextTable::Message(TextTable::kUndoHint, lang));
    j.Key("redoHint").String(TextTable::Message(TextTable::kRedoHint, lang));
    j.Key("compareCaption").String(TextTable::Message(TextTable::kCompareCaption, lang));
    j.Key("editorsSetup").String(TextTable::Message(TextTable::kEditorsSetup, lang));
    j.Key("closeButton").String(TextTable::Message(TextTable::kHistoryClose, lang));
    j.Key("printSheet").String(TextTable::Message(TextTable::kPrintSheet, lang));
    j.Key("saveSheetPdf").String(TextTable::Message(TextTable::kSaveSheetPdf, lang));
    j.Key("fileSetup").String(TextTable::Message(TextTable::kFileSetup, lang));
    // The history's window: its caption (also the button's name), columns and buttons.
    j.Key("historyHint").String(TextTable::Message(TextTable::kHistory, lang));
    j.Key("history").BeginObject();
    j.Key("caption").String(TextTable::Message(TextTable::kHistory, lang));
    j.Key("columns").BeginArray();
    for (const int n : {TextTable::kHistoryTime, TextTable::kHistoryAction, TextTable::kHistoryPort, TextTable::kHistoryModels,
                        TextTable::kHistoryName, TextTable::kHistoryMemo})
        j.String(TextTable::Message(n, lang));
    j.EndArray();
    const std::pair<const char*, int> buttons[] = {
        {"restore", TextTable::kHistoryRestore}, {"save", TextTable::kHistorySave},     {"compare", TextTable::kHistoryCompare},
        {"delete", TextTable::kHistoryDelete},   {"setName", TextTable::kHistorySetName}, {"close", TextTable::kHistoryClose},
    };
    for (const auto& [name, msg] : buttons) j.Key(name).String(TextTable::Message(msg, lang));
    j.EndObject();
    j.Key("dialogCaptions").BeginArray();
    for (const char* c : WindowTexts::kDialogCaptions[static_cast<size_t>(lang)]) j.String(c);
    j.EndArray();
    j.Key("buttonNames").BeginArray();
    for (const char* c : WindowTexts::kButtonNames[static_cast<size_t>(lang)]) j.String(c);
    j.EndArray();
    j.Key("helpButton").String(WindowTexts::kHelpButton[static_cast<size_t>(lang)]);
    j.Key("buttonSets").BeginArray();
    for (const auto& set : WindowTexts::kButtonSets) {
        j.BeginArray();
        for (const int32_t id : set)
            if (id != 0) j.Number(id);
        j.EndArray();
    }
    j.EndArray();
    // Message numbers the page asks vxr_message for.
    const std::pair<const char*, int> messages[] = {
        {"NoConnection", TextTable::kNoConnection}, {"PortOk", TextTable::kPortOk},
        {"PortMissing", TextTable::kPortMissing},   {"CauseOther", TextTable::kCauseOther},
        {"CauseBusy", TextTable::kCauseBusy},       {"OtherPort", TextTable::kOtherPort},
        {"NoWebSerial", TextTable::kNoWebSerial},   {"Okay", TextTable::kOkay},
        {"Demo", TextTable::kDemoController},       {"Unsaved", TextTable::kUnsaved},
        {"LinkCopied", TextTable::kLinkCopied},     {"CopyLinkByHand", TextTable::kCopyLinkByHand},
        {"LinkQrCaption", TextTable::kLinkQrCaption}, {"DropOneFile", TextTable::kDropOneFile},
        {"CannotCloseTab", TextTable::kCannotCloseTab},
        {"SaveChangesTo", TextTable::kSaveChangesTo}, {"SaveChanges", TextTable::kSaveChanges},
        {"SaveButton", TextTable::kSaveButton},     {"DiscardButton", TextTable::kDiscardButton},
        {"CancelButton", TextTable::kCancelButton},
        {"OtherUsbPort", TextTable::kOtherUsbPort}, {"NoPortHelp", TextTable::kNoPortHelp},
        {"AdviceLinux", TextTable::kAdviceLinux},   {"AdviceWindows", TextTable::kAdviceWindows},
        {"AdviceMac", TextTable::kAdviceMac},       {"AdviceAndroid", TextTable::kAdviceAndroid},
        {"AdviceOther", TextTable::kAdviceOther},   {"CauseRefused", TextTable::kCauseRefused},
        {"CauseBlocked", TextTable::kCauseBlocked}, {"CauseInUse", TextTable::kCauseInUse},
        {"CauseNoDevice", TextTable::kCauseNoDevice},
        {"SheetPageNumber", TextTable::kSheetPageNumber},
        {"HistoryDeleteQuestion", TextTable::kHistoryDeleteQuestion},
        {"HistoryNotKept", TextTable::kHistoryNotKept}, {"HistoryUnreadable", TextTable::kHistoryUnreadable},
    };
    j.Key("msg").BeginObject();
    for (const auto& [name, msg] : messages) j.Key(name).Number(msg);
    j.EndObject();
    // The kinds of a bar's scroll event.
    const std::pair<const char*, TScrollCode> codes[] = {
        {"lineUp", scLineUp}, {"lineDown", scLineDown}, {"pageUp", scPageUp}, {"pageDown", scPageDown},
        {"track", scTrack},   {"top", scTop},           {"bottom", scBottom}, {"endScroll", scEndScroll},
    };
    j.Key("scroll").BeginObject();
    for (const auto& [name, code] : codes) j.Key(name).Number(code);
    j.EndObject();
    j.Key("progressCaption").String(WindowTexts::kProgressCaptions[static_cast<size_t>(lang)]);
    j.Key("progressLabel").String(WindowTexts::kProgressLabel);
    // Bytes beyond this are refused by the reader; a link is not inflated further.
    j.Key("maxFileSize").Number(IniDocument::kMaxFileSize);
    j.EndObject();
    return Hand(j.Text());
}

// Message n of the text table in a language; each "*" in turn replaced by the next of the
// values, which come one a line (no values: the text as it is).
EMSCRIPTEN_KEEPALIVE const char* vxr_message(int n, int language, const char* values)
{
    std::vector<std::string> list;
    for (std::string_view rest = values ? values : ""; !rest.empty();) {
        const size_t end = std::min(rest.find('\n'), rest.size());
        list.emplace_back(rest.substr(0, end));
        rest.remove_prefix(std::min(end + 1, rest.size()));
    }
    return Hand(TextTable::ReplaceStars(TextTable::Message(n, language), list));
}

// Starts the session in a language: five models at their defaults, MODEL1 shown. Returns the view.
EMSCRIPTEN_KEEPALIVE const char* vxr_start(int language)
{
    static Session session(language);
    gSession = &session;
    session.exchange.SetCaptionHook([] { HostCaption(WindowTexts::kAppTitle); });
    return View();
}

EMSCRIPTEN_KEEPALIVE const char* vxr_view() { return View(); }

// One of the four transfers (0 read all, 1 read shown, 2 write all, 3 write shown) over the
// port the list names `port`; returns once its message has been answered: 1 when it succeeded.
// The history entries it adds wait for vxr_history_take.
EMSCRIPTEN_KEEPALIVE int vxr_transfer(int operation, const char* port)
{
    using Kind = TransferHistory::Kind;
    TransferOperations& t = gSession->transfers;
    EditingSession& session = Edit();
    const int shown = session.Bank().ShownIndex();
    session.BeginTransfer();
    TransferResult r;
    Kind kind = Kind::ReadAll;
    switch (operation) {
    case 0: r = t.ReadAll(); break;
    case 1: r = t.ReadShown(shown), kind = Kind::ReadShown; break;
    case 2: r = t.WriteAll(), kind = Kind::WriteAll; break;
    case 3: r = t.WriteShown(shown), kind = Kind::WriteShown; break;
    default: return 0;
    }
    gSession->page.Transferred(
        session.Transferred(kind, shown, r, t.ControllerBefore(), port ? port : "", EditingSession::NowMs()));
    return r.ok ? 1 : 0;
}

// Whether edits would be lost (EditingSession::Loss), and the bank saved or shared.
EMSCRIPTEN_KEEPALIVE int vxr_would_lose(int loss)
{
    return Edit().WouldLose(static_cast<EditingSession::Loss>(loss)) ? 1 : 0;
}
EMSCRIPTEN_KEEPALIVE void vxr_kept() { Edit().Kept(); }

// The history: the newest entry the page keeps (a settings file's size bytes at data); the
// entries the last transfers added, as JSON, and their bytes by index (length in
// vxr_result_size); a name as an entry keeps it, on one line.
EMSCRIPTEN_KEEPALIVE void vxr_history_previous(const char* data, int size)
{
    gSession->page.SetHistoryPrevious(std::string_view(data, static_cast<size_t>(size)));
}
EMSCRIPTEN_KEEPALIVE const char* vxr_history_take() { return Hand(gSession->page.TakeHistoryJson()); }
EMSCRIPTEN_KEEPALIVE const char* vxr_history_settings(int index)
{
    gResult = gSession->page.HistorySettings(index);
    return gResult.data();
}
EMSCRIPTEN_KEEPALIVE const char* vxr_one_line(const char* text) { return Hand(HistoryEntry::OneLine(text)); }
// An entry's action ("read", "before-write", ...) and model (0..4, -1 for none) as the window's
// history names them, in a language; an action this build does not know comes back as it is.
EMSCRIPTEN_KEEPALIVE const char* vxr_action_text(const char* action, int model, int language)
{
    const std::string_view name = action ? action : "";
    const auto known = HistoryEntry::ActionFrom(name);
    return Hand(known ? HistoryEntry::ActionText(*known, model, language) : std::string(name));
}

// A history entry's local time, the models it changed ("1,3" or "-") and its label in the lists
// (its number and name, or its number, time and action), as HistoryLabels makes them.
EMSCRIPTEN_KEEPALIVE const char* vxr_history_time(double ms) { return Hand(HistoryLabels::Time(static_cast<int64_t>(ms))); }
EMSCRIPTEN_KEEPALIVE const char* vxr_history_models(int mask) { return Hand(HistoryLabels::Models(static_cast<uint8_t>(mask))); }
EMSCRIPTEN_KEEPALIVE const char* vxr_entry_label(double id, const char* name, double time, const char* action, int model,
                                                 int language)
{
    const std::string_view actionName = action ? action : "";
    const auto known = HistoryEntry::ActionFrom(actionName);
    const auto ms = static_cast<int64_t>(time);
    return Hand(known ? HistoryLabels::Entry(static_cast<int64_t>(id), name ? name : "", ms, *known, model, language)
                      : "#" + std::to_string(static_cast<int64_t>(id)) + " " + HistoryLabels::Time(ms) + " " + std::string(actionName));
}

// A settings file's bytes (size bytes at data) replace the bank: {"status": 0 loaded, 1 not a
// settings file, 2 unreadable, "message": why it was refused, "warning": when loaded with
// characters that could not be read, what to tell the user, else ""}.
EMSCRIPTEN_KEEPALIVE const char* vxr_load(const char* data, int size, const char* name)
{
    const EditingSession::Loaded loaded = Edit().Load(std::string_view(data, static_cast<size_t>(size)), name);
    JsonWriter j;
    j.BeginObject().Key("status").Number(loaded.status).Key("message").String(loaded.message);
    j.Key("warning").String(loaded.warning);
    j.EndObject();
    return Hand(j.Text());
}

// The bank as a settings file; its length in vxr_result_size.
EMSCRIPTEN_KEEPALIVE const char* vxr_save()
{
    gResult = Edit().SaveBytes();
    return gResult.data();
}
EMSCRIPTEN_KEEPALIVE int vxr_result_size() { return static_cast<int>(gResult.size()); }

// The name a save under `chosen` writes to: its extension made ".VXS".
EMSCRIPTEN_KEEPALIVE const char* vxr_forced_name(const char* chosen) { return Hand(SettingsFile::ForcedSaveName(chosen, 0)); }

// The transfers go to the demonstration controller (1) or to the port the page opened (0).
EMSCRIPTEN_KEEPALIVE void vxr_use_demo(int demo) { gSession->line.UseDemo(demo != 0); }

// What the user does in the window; each returns the view afterwards.
EMSCRIPTEN_KEEPALIVE const char* vxr_select_tab(int tab) { Edit().SelectTab(tab); return View(); }
EMSCRIPTEN_KEEPALIVE const char* vxr_reset() { Edit().Reset(); return View(); }
// Typed text comes as size bytes at text in the core's heap (a pasted text may be megabytes).
EMSCRIPTEN_KEEPALIVE const char* vxr_take_number(int field, const char* text, int size)
{
    Edit().TakeNumber(field, std::string_view(text, static_cast<size_t>(size)));
    return View();
}
EMSCRIPTEN_KEEPALIVE const char* vxr_move_bar(int field, int position) { Edit().MoveScalarBar(field, position); return View(); }
EMSCRIPTEN_KEEPALIVE const char* vxr_pick_brake(int item) { Edit().PickBrake(item); return View(); }
EMSCRIPTEN_KEEPALIVE const char* vxr_pick_cutoff(int item) { Edit().PickCutOff(item); return View(); }
EMSCRIPTEN_KEEPALIVE const char* vxr_set_memo(const char* text, int size)
{
    gSession->page.SetMemo(std::string_view(text, static_cast<size_t>(size)));
    return View();
}
EMSCRIPTEN_KEEPALIVE const char* vxr_enter_bar(int bar, int shift) { Edit().EnterBar(bar, shift != 0); return View(); }
EMSCRIPTEN_KEEPALIVE const char* vxr_keyup_bar(int bar, int shift) { Edit().KeyUpBar(bar, shift != 0); return View(); }
EMSCRIPTEN_KEEPALIVE const char* vxr_scroll_bar(int bar, int code, int requested, int shift)
{
    Edit().ScrollBar(bar, static_cast<TScrollCode>(code), requested, shift != 0);
    return View();
}
EMSCRIPTEN_KEEPALIVE const char* vxr_select_range(int anchor, int end) { Edit().SelectRange(anchor, end); return View(); }
EMSCRIPTEN_KEEPALIVE const char* vxr_drag_bar(int bar, int requested) { Edit().DragBar(bar, requested); return View(); }
EMSCRIPTEN_KEEPALIVE const char* vxr_scroll_avg(int requested) { Edit().ScrollAverage(requested); return View(); }
EMSCRIPTEN_KEEPALIVE const char* vxr_propose_line() { Edit().ProposeLine(); return View(); }
EMSCRIPTEN_KEEPALIVE const char* vxr_answer_line(int yes) { Edit().AnswerLine(yes != 0); return View(); }
EMSCRIPTEN_KEEPALIVE int vxr_arrow_moves_focus(int index, int right) { return CurveEditing::ArrowMovesFocus(index, right != 0) ? 1 : 0; }
// The question before copying by drag; empty when the drop copies nothing.
EMSCRIPTEN_KEEPALIVE const char* vxr_copy_question(int from, int to) { return Hand(Edit().CopyQuestion(from, to)); }
EMSCRIPTEN_KEEPALIVE const char* vxr_copy(int from, int to) { Edit().Copy(from, to); return View(); }
EMSCRIPTEN_KEEPALIVE const char* vxr_undo() { Edit().Undo(); return View(); }
EMSCRIPTEN_KEEPALIVE const char* vxr_redo() { Edit().Redo(); return View(); }
EMSCRIPTEN_KEEPALIVE void vxr_end_gesture() { Edit().EndGesture(); }
// Two setups, model side by side: each a settings file's size bytes at data, or the editors'
// bank where size is negative.
EMSCRIPTEN_KEEPALIVE const char* vxr_compare(const char* leftData, int leftSize, const char* leftName, const char* rightData,
                                             int rightSize, const char* rightName, int model)
{
    auto side = [](const char* data, int size, const char* name) {
        PageSession::Side s;
        s.editors = size < 0;
        if (!s.editors) {
            s.bytes = std::string_view(data, static_cast<size_t>(size));
            s.name = name;
        }
        return s;
    };
    return Hand(gSession->page.CompareJson(side(leftData, leftSize, leftName), side(rightData, rightSize, rightName), model));
}

// The setting sheet of the bank (see PageSession::SheetJson).
EMSCRIPTEN_KEEPALIVE const char* vxr_sheet(const char* title, const char* made)
{
    return Hand(gSession->page.SheetJson(title ? title : "", made ? made : ""));
}

}  // extern "C"
