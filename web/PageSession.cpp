#include "PageSession.h"

#include <algorithm>

#include "BrakeFreqTable.h"
#include "CutOffTable.h"
#include "DriveFreqTable.h"
#include "JsonWriter.h"

namespace {

// The memo field uses LF for the memo's CR LF line ends.
std::string MemoToField(const std::string& memo)
{
    std::string out;
    out.reserve(memo.size());
    for (size_t i = 0; i < memo.size(); ++i) {
        if (memo[i] == '\r') {
            out += '\n';
            if (i + 1 < memo.size() && memo[i + 1] == '\n') ++i;
        } else {
            out += memo[i];
        }
    }
    return out;
}

}  // namespace

PageSession::PageSession(int language) : language_(language == 0 ? 0 : 1) { bank_.Initialise(); }

std::string PageSession::ViewJson() const
{
    const ModelSettings& m = Shown();
    JsonWriter j;
    j.BeginObject();
    j.Key("tab").Number(bank_.ShownIndex());
    const int32_t nbrk = std::clamp<int32_t>(m.NBRK, 0, 255);
    const int32_t prog = std::clamp<int32_t>(m.PROG, 0, 12);
    j.Key("NBRK").Number(nbrk).Key("NBRKText").String(std::to_string(nbrk));
    j.Key("PROG").Number(prog).Key("PROGText").String(std::to_string(prog));
    j.Key("bfreqItem").Number(BrakeFreqTable::ItemOf(m.BFREQ));
    j.Key("cutOffItem").Number(CutOffTable::ItemOfCode(m.VLT));
    j.Key("bars").BeginArray();
    int32_t sum = 0;
    for (const int32_t v : m.FRQ) {
        const int32_t p = std::clamp<int32_t>(DriveFreqTable::BarPosition(v), 0, 51);
        sum += DriveFreqTable::ValueOfPosition(p);
        j.Number(p);
    }
    j.EndArray();
    // The average bar from the values the bars show; no point selected, so the fields show it.
    const int32_t mean = sum / ModelSettings::kFrqPoints;
    j.Key("avg").Number(DriveFreqTable::BarPosition(mean));
    j.Key("field").BeginObject().Key("name").String("AVG").Key("step").String(std::to_string(DriveFreqTable::Step(mean)));
    j.Key("kHz").String(DriveFreqTable::KHz(mean)).EndObject();
    j.Key("gauge").BeginArray();
    for (int i = 0; i < ModelSettings::kFrqPoints; ++i) j.Bool(false);
    j.EndArray();
    j.Key("memo").String(MemoToField(m.MEMO));
    j.EndObject();
    return j.Text();
}

void PageSession::SelectTab(int tab) { bank_.ModelNumber = ModelBank::ClampIndex(tab) * ModelBank::kModelStep; }
