// The core's entry points for the page. This is the only file that knows about Emscripten; the
// exports are listed in scripts/web.sh. Texts and constants go to JavaScript as JSON made here,
// so the page holds no copy of them.
#include <emscripten/emscripten.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "BrakeFreqTable.h"
#include "CutOffTable.h"
#include "TextTable.h"
#include "WindowTexts.h"

namespace {

// The string handed out last; JavaScript copies it before the next call.
std::string gResult;

void AppendJson(std::string& out, std::string_view text)
{
    static constexpr char kHex[] = "0123456789abcdef";
    out += '"';
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20) {
            out += "\\u00";
            out += kHex[u >> 4];
            out += kHex[u & 15];
        } else {
            out += c;
        }
    }
    out += '"';
}

template <typename List>
void AppendArray(std::string& out, const List& items)
{
    out += '[';
    bool first = true;
    for (const auto& item : items) {
        if (!first) out += ',';
        first = false;
        AppendJson(out, item);
    }
    out += ']';
}

void AppendKey(std::string& out, std::string_view key)
{
    if (out.back() != '{') out += ',';
    AppendJson(out, key);
    out += ':';
}

}  // namespace

extern "C" {

// Every fixed text of the page in one language (0 Japanese, 1 English), as one JSON object.
EMSCRIPTEN_KEEPALIVE const char* vxr_texts(int language)
{
    const int lang = language == 0 ? 0 : 1;
    std::string& out = gResult;
    out = "{";
    AppendKey(out, "language");
    out += std::to_string(lang);
    AppendKey(out, "title");
    AppendJson(out, WindowTexts::kCaption);

    // Editor titles by the name of the label that shows them.
    const std::pair<const char*, int> labels[] = {
        {"Label1", TextTable::kAutomaticBrake}, {"Label6", TextTable::kBrakeFreq},
        {"Label8", TextTable::kTimingAdjust},   {"Label9", TextTable::kLowVoltCut},
        {"Label18", TextTable::kDriveFreq},     {"Label2", TextTable::kMemo},
    };
    AppendKey(out, "labels");
    out += '{';
    for (const auto& [name, msg] : labels) {
        AppendKey(out, name);
        AppendJson(out, TextTable::Message(msg, lang));
    }
    out += '}';

    std::string items[BrakeFreqTable::kListItems];
    for (int k = 0; k < BrakeFreqTable::kListItems; ++k)
        items[k] = BrakeFreqTable::KHz(BrakeFreqTable::ValueOfItem(k));
    AppendKey(out, "brakeItems");
    AppendArray(out, items);
    AppendKey(out, "cutOffItems");
    AppendArray(out, CutOffTable::kTexts);

    std::string hints[9];
    for (int tag = 0; tag < 9; ++tag)
        hints[tag] = TextTable::Hint(tag, lang);
    AppendKey(out, "hints");
    AppendArray(out, hints);

    AppendKey(out, "dialogCaptions");
    AppendArray(out, WindowTexts::kDialogCaptions[lang]);
    AppendKey(out, "buttonNames");
    AppendArray(out, WindowTexts::kButtonNames[lang]);
    AppendKey(out, "helpButton");
    AppendJson(out, WindowTexts::kHelpButton[lang]);
    AppendKey(out, "buttonSets");
    out += '[';
    for (size_t s = 0; s < WindowTexts::kButtonSets.size(); ++s) {
        if (s) out += ',';
        out += '[';
        bool first = true;
        for (const int32_t id : WindowTexts::kButtonSets[s]) {
            if (id == 0) break;
            if (!first) out += ',';
            first = false;
            out += std::to_string(id);
        }
        out += ']';
    }
    out += ']';
    // Message numbers the page asks vxr_message for.
    const std::pair<const char*, int> messages[] = {
        {"NoConnection", TextTable::kNoConnection}, {"PortOk", TextTable::kPortOk},
        {"PortMissing", TextTable::kPortMissing},   {"CauseOther", TextTable::kCauseOther},
        {"CauseBusy", TextTable::kCauseBusy},       {"CauseNoDevice", TextTable::kCauseNoDevice},
        {"OtherPort", TextTable::kOtherPort},       {"NoWebSerial", TextTable::kNoWebSerial},
    };
    AppendKey(out, "msg");
    out += '{';
    for (const auto& [name, msg] : messages) {
        AppendKey(out, name);
        out += std::to_string(msg);
    }
    out += '}';
    AppendKey(out, "progressCaption");
    AppendJson(out, WindowTexts::kProgressCaptions[lang]);
    AppendKey(out, "progressLabel");
    AppendJson(out, WindowTexts::kProgressLabel);
    out += '}';
    return out.c_str();
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
    gResult = TextTable::ReplaceStars(TextTable::Message(n, language), list);
    return gResult.c_str();
}

}  // extern "C"
