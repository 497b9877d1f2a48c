#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "EditingSession.h"
#include "HistoryEntry.h"
#include "TransferHistory.h"

// The page's side of the editing session: what the session holds and decides, as JSON for the
// page's JavaScript to draw, and the history entries the page keeps in the browser.
class PageSession {
public:
    explicit PageSession(int language) : session_(language) {}

    EditingSession& Session() { return session_; }
    const EditingSession& Session() const { return session_; }

    // The shown model as the editors show it, as one JSON object (see web/page/main.js, render). The
    // memo's text is in it only when it differs from the text the page was last given or sent:
    // a memo of megabytes would otherwise travel with every scroll and keystroke.
    std::string ViewJson();
    // The memo field's text, which the field holds already.
    void SetMemo(std::string_view text);

    // After a transfer: the history entries it adds, compared with the newest kept before (see
    // SetHistoryPrevious).
    void Transferred(const TransferHistory::Transfer& transfer);
    // The newest entry the page keeps, as its settings file's bytes.
    void SetHistoryPrevious(std::string_view settings);
    // The entries added since the last call, as a JSON array of {"time", "action", "model",
    // "port", "changed", "memo"}; their bytes by index in HistorySettings until the next call.
    std::string TakeHistoryJson();
    const std::string& HistorySettings(int index) const;

    // One side of a comparison: the editors' bank, or a settings file's bytes.
    struct Side {
        bool editors = true;
        std::string_view bytes;
        std::string_view name;
    };
    // Two setups, model (0..4) side by side, as one JSON object: {"status": as Load's for the
    // first side that does not load, "message", "differs": [5 bools], "rows": [{"title",
    // "left", "right", "differs"}], "left": [32 in Hz], "right": [32 in Hz]}. The bank is not
    // changed.
    std::string CompareJson(const Side& left, const Side& right, int model) const;

    // The setting sheet of the bank, as the window prints it, as one JSON object: the texts
    // ("title", "subtitle", "currentMark", "memoLabel", "plotTitle", "memoContinued", "made"),
    // the kHz axis ("axis": [min, max, step]) and "models": five of {"name", "current",
    // "settings": [{"label", "value", "outside"}], "memo", "curve": [32 of {"hz", "step",
    // "outside"}]}. title names the settings file ("" for none); made is YYYY-MM-DD.
    std::string SheetJson(std::string_view title, std::string_view made) const;

private:
    EditingSession session_;
    std::optional<HistoryEntry> previous_;   // the newest history entry, compared with the next
    std::vector<HistoryEntry> added_;        // added by transfers, not yet taken by the page
    std::vector<HistoryEntry> taken_;        // taken last, for their bytes
    std::optional<std::string> pageMemo_;  // the memo the page's field holds, as stored
};
