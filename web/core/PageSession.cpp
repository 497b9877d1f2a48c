#include "PageSession.h"

#include <array>
#include <cmath>

#include "BankComparison.h"
#include "JsonWriter.h"
#include "ModelFieldRules.h"
#include "SettingSheetContent.h"
#include "SettingsFile.h"
#include "TextTable.h"

std::string PageSession::ViewJson()
{
    const EditingSession& s = session_;
    const CurveEditing& curve = s.Curve();
    const ModelSettings& m = s.Bank().Model(s.Bank().ShownIndex());
    JsonWriter j;
    j.BeginObject();
    j.Key("tab").Number(s.Bank().ShownIndex());
    j.Key("NBRK").Number(ModelFieldRules::kNbrk.Shown(m.NBRK));
    j.Key("NBRKText").String(ModelFieldRules::kNbrk.Text(m.NBRK));
    j.Key("PROG").Number(ModelFieldRules::kProg.Shown(m.PROG));
    j.Key("PROGText").String(ModelFieldRules::kProg.Text(m.PROG));
    j.Key("bfreqItem").Number(ModelFieldRules::BrakeItemOf(m.BFREQ));
    j.Key("cutOffItem").Number(ModelFieldRules::CutOffItemOf(m.VLT));
    j.Key("bars").BeginArray();
    for (const int32_t p : s.BarPositions()) j.Number(p);
    j.EndArray();
    j.Key("avg").Number(curve.AvgPosition());
    const CurveEditing::PointTexts t = curve.Texts(s.ShownField());
    j.Key("field").BeginObject().Key("name").String(t.name).Key("step").String(t.step).Key("kHz").String(t.kHz).EndObject();
    // What each bar shows, the average last: a screen reader reads it as the bar's value.
    j.Key("points").BeginArray();
    for (int i = 0; i <= CurveEditing::kPoints; ++i) {
        const CurveEditing::PointTexts p = curve.Texts(i < CurveEditing::kPoints ? i : -1);
        j.BeginObject().Key("step").String(p.step).Key("kHz").String(p.kHz).EndObject();
    }
    j.EndArray();
    j.Key("gauge").BeginArray();
    for (int i = 0; i < CurveEditing::kPoints; ++i) j.Bool(CurveEditing::GaugeLit(curve.SelStart(), curve.SelEnd(), i));
    j.EndArray();
    if (pageMemo_ != m.MEMO) {
        j.Key("memo").String(EditingSession::MemoToField(m.MEMO));
        pageMemo_ = m.MEMO;
    }
    j.Key("canUndo").Bool(s.CanUndo());
    j.Key("canRedo").Bool(s.CanRedo());
    j.EndObject();
    return j.Text();
}

void PageSession::SetMemo(std::string_view text)
{
    session_.SetMemo(text);
    pageMemo_ = session_.Bank().Model(session_.Bank().ShownIndex()).MEMO;  // the field holds it already
}

void PageSession::Transferred(const TransferHistory::Transfer& transfer)
{
    for (HistoryEntry& e : TransferHistory::Entries(transfer, previous_ ? &*previous_ : nullptr)) {
        previous_ = e;
        added_.push_back(std::move(e));
    }
}

void PageSession::SetHistoryPrevious(std::string_view settings)
{
    HistoryEntry e;
    e.settings = settings;
    if (e.Bank())
        previous_ = std::move(e);
}

std::string PageSession::TakeHistoryJson()
{
    taken_ = std::move(added_);
    added_.clear();
    JsonWriter j;
    j.BeginArray();
    for (const HistoryEntry& e : taken_) {
        j.BeginObject();
        j.Key("time").Number(e.timeMs);
        j.Key("action").String(std::string(HistoryEntry::ActionName(e.action)));
        j.Key("model").Number(e.model);
        j.Key("port").String(e.port);
        j.Key("changed").Number(e.changed);
        j.Key("memo").String(e.FirstMemoLine());
        j.EndObject();
    }
    j.EndArray();
    return j.Text();
}

const std::string& PageSession::HistorySettings(int index) const
{
    static const std::string kNone;
    return index >= 0 && static_cast<size_t>(index) < taken_.size() ? taken_[static_cast<size_t>(index)].settings : kNone;
}

std::string PageSession::CompareJson(const Side& left, const Side& right, int model) const
{
    JsonWriter j;
    j.BeginObject();
    std::array<ModelBank, 2> banks;
    const std::array<const Side*, 2> sides = {&left, &right};
    for (size_t k = 0; k < 2; ++k) {
        if (sides[k]->editors) {
            banks[k] = session_.Bank();
            continue;
        }
        ModelBank defaults;
        defaults.Initialise();
        SettingsLoadResult result = SettingsFile::Read(sides[k]->bytes, defaults, sides[k]->name);
        if (result.status != SettingsLoadResult::Status::Loaded) {
            const bool notSettings = result.status == SettingsLoadResult::Status::NotSettingsFile;
            j.Key("status").Number(notSettings ? 1 : 2);
            j.Key("message").String(notSettings ? TextTable::Message(TextTable::kNotSettingsFile, session_.Language()) : result.message);
            j.EndObject();
            return j.Text();
        }
        banks[k] = std::move(result.bank);
    }
    model = ModelBank::ClampIndex(model);
    j.Key("status").Number(0).Key("message").String("");
    j.Key("differs").BeginArray();
    for (int i = 0; i < ModelBank::kModels; ++i) j.Bool(BankComparison::ModelDiffers(banks[0], banks[1], i));
    j.EndArray();
    j.Key("rows").BeginArray();
    for (const BankComparison::Row& r : BankComparison::ModelRows(banks[0], banks[1], model, session_.Language()))
        j.BeginObject().Key("title").String(r.title).Key("left").String(r.left).Key("right").String(r.right).Key("differs").Bool(r.differs).EndObject();
    j.EndArray();
    for (size_t k = 0; k < 2; ++k) {
        j.Key(k == 0 ? "left" : "right").BeginArray();
        for (const double v : BankComparison::CurveKHz(banks[k].Model(model))) j.Number(std::llround(v * 1000));
        j.EndArray();
    }
    j.EndObject();
    return j.Text();
}

std::string PageSession::SheetJson(std::string_view title, std::string_view made) const
{
    const SettingSheetContent c = SettingSheetContent::Make(session_.Bank(), session_.Language(), std::string(title), std::string(made));
    JsonWriter j;
    j.BeginObject();
    for (const auto& [key, text] : {std::pair<const char*, const std::string*>{"title", &c.title},
                                    {"subtitle", &c.subtitle}, {"currentMark", &c.currentMark},
                                    {"memoLabel", &c.memoLabel}, {"plotTitle", &c.plotTitle},
                                    {"memoContinued", &c.memoContinued}, {"made", &c.made}})
        j.Key(key).String(*text);
    j.Key("axis").BeginArray();
    for (const double khz : {SettingSheetContent::kAxisMinKHz, SettingSheetContent::kAxisMaxKHz, SettingSheetContent::kAxisStepKHz})
        j.Number(std::llround(khz));
    j.EndArray();
    j.Key("models").BeginArray();
    for (const SettingSheetContent::Model& m : c.models) {
        j.BeginObject().Key("name").String(m.name).Key("current").Bool(m.current);
        j.Key("settings").BeginArray();
        for (const auto& s : m.settings)
            j.BeginObject().Key("label").String(s.label).Key("value").String(s.value).Key("outside").Bool(s.outside).EndObject();
        j.EndArray();
        j.Key("memo").String(m.memo);
        j.Key("curve").BeginArray();
        for (const auto& p : m.curve)
            j.BeginObject().Key("hz").Number(std::llround(p.khz * 1000)).Key("step").String(p.step).Key("outside").Bool(p.outside).EndObject();
        j.EndArray();
        j.EndObject();
    }
    j.EndArray();
    j.EndObject();
    return j.Text();
}
