#include "PageSession.h"

#include <array>
#include <cmath>

#include "BankComparison.h"
#include "JsonWriter.h"
#include "SettingSheetContent.h"
#include "ModelCopy.h"
#include "ModelFieldRules.h"
#include "SettingsFile.h"
#include "TextTable.h"

namespace {

const ModelFieldRules::Range& RangeOf(int field) { return field == 0 ? ModelFieldRules::kNbrk : ModelFieldRules::kProg; }

// The memo keeps CR LF line ends, as the settings file reads them back; the text field uses LF.
std::string MemoFromField(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (const char c : text) {
        if (c == '\n')
            out += "\r\n";
        else
            out += c;
    }
    return out;
}

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

PageSession::PageSession(int language) : language_(language == 0 ? 0 : 1)
{
    bank_.Initialise();
    ShowBank();
    undo_.Start(bank_);
    baseline_.Take(bank_);  // the defaults are nothing to save
}

std::string PageSession::ViewJson()
{
    const ModelSettings& m = Shown();
    JsonWriter j;
    j.BeginObject();
    j.Key("tab").Number(bank_.ShownIndex());
    j.Key("NBRK").Number(ModelFieldRules::kNbrk.Shown(m.NBRK));
    j.Key("NBRKText").String(ModelFieldRules::kNbrk.Text(m.NBRK));
    j.Key("PROG").Number(ModelFieldRules::kProg.Shown(m.PROG));
    j.Key("PROGText").String(ModelFieldRules::kProg.Text(m.PROG));
    j.Key("bfreqItem").Number(ModelFieldRules::BrakeItemOf(m.BFREQ));
    j.Key("cutOffItem").Number(ModelFieldRules::CutOffItemOf(m.VLT));
    j.Key("bars").BeginArray();
    for (const int32_t p : proposing_ ? proposal_ : curve_.BarPositions()) j.Number(p);
    j.EndArray();
    j.Key("avg").Number(curve_.AvgPosition());
    const CurveEditing::PointTexts t = curve_.Texts(shownField_);
    j.Key("field").BeginObject().Key("name").String(t.name).Key("step").String(t.step).Key("kHz").String(t.kHz).EndObject();
    // What each bar shows, the average last: a screen reader reads it as the bar's value.
    j.Key("points").BeginArray();
    for (int i = 0; i <= CurveEditing::kPoints; ++i) {
        const CurveEditing::PointTexts p = curve_.Texts(i < CurveEditing::kPoints ? i : -1);
        j.BeginObject().Key("step").String(p.step).Key("kHz").String(p.kHz).EndObject();
    }
    j.EndArray();
    j.Key("gauge").BeginArray();
    for (int i = 0; i < CurveEditing::kPoints; ++i) j.Bool(CurveEditing::GaugeLit(curve_.SelStart(), curve_.SelEnd(), i));
    j.EndArray();
    if (pageMemo_ != m.MEMO) {
        j.Key("memo").String(MemoToField(m.MEMO));
        pageMemo_ = m.MEMO;
    }
    j.Key("canUndo").Bool(undo_.CanUndo());
    j.Key("canRedo").Bool(undo_.CanRedo());
    j.EndObject();
    return j.Text();
}

void PageSession::ShowBank()
{
    curve_.Show(Shown().FRQ);
    curve_.UpdateAverage();
    curve_.ClearSelection();
    shownField_ = -1;
}

void PageSession::SelectTab(int tab)
{
    bank_.ModelNumber = ModelBank::ClampIndex(tab) * ModelBank::kModelStep;
    undo_.Note(bank_);  // no step: undo shows the model it changes
    curve_.Show(Shown().FRQ);
    curve_.UpdateAverage();
    shownField_ = curve_.SelStart();
}

void PageSession::Reset()
{
    undo_.Note(bank_);
    undo_.EndGesture();
    bank_.ResetShownModel(bank_.ShownIndex());
    ShowBank();
    undo_.Record(bank_);
}

void PageSession::TakeNumber(int field, std::string_view text)
{
    const ModelFieldRules::Range& range = RangeOf(field);
    int32_t& value = field == 0 ? Shown().NBRK : Shown().PROG;
    value = range.Take(text, range.Shown(value));
    undo_.Note(bank_);
}

void PageSession::MoveScalarBar(int field, int32_t position)
{
    (field == 0 ? Shown().NBRK : Shown().PROG) = RangeOf(field).Shown(position);
    undo_.Note(bank_);
}

void PageSession::PickBrake(int item)
{
    if (const auto bfreq = ModelFieldRules::BrakeOfItem(item)) Shown().BFREQ = *bfreq;
    undo_.Note(bank_);
}

void PageSession::PickCutOff(int item)
{
    if (const auto vlt = ModelFieldRules::CutOffCodeOfItem(item)) Shown().VLT = *vlt;
    undo_.Note(bank_);
}

void PageSession::SetMemo(std::string_view text)
{
    Shown().MEMO = MemoFromField(text);
    undo_.Note(bank_);
    pageMemo_ = Shown().MEMO;  // the field holds it already
}

void PageSession::EnterBar(int bar, bool shift)
{
    shownField_ = bar;
    curve_.Enter(bar, shift);
}

void PageSession::KeyUpBar(int bar, bool shift)
{
    if (!shift) curve_.KeyUp(bar, shift);
}

void PageSession::ScrollBar(int bar, TScrollCode code, int32_t requested, bool shift)
{
    const CurveEditing::Scrolled scrolled = curve_.Scroll(bar, code, requested, shift);
    if (scrolled.moved == 0) return;
    StoreMoved(scrolled.moved);
    curve_.UpdateAverage();
    shownField_ = bar;
    undo_.Note(bank_);
}

void PageSession::SelectRange(int anchor, int end)
{
    curve_.SelectRange(anchor, end);
    if (curve_.SelEnd() == end) shownField_ = end;
}

void PageSession::DragBar(int bar, int32_t requested)
{
    const CurveEditing::Scrolled scrolled = curve_.Drag(bar, requested);
    shownField_ = bar;
    if (scrolled.moved == 0) return;
    StoreMoved(scrolled.moved);
    curve_.UpdateAverage();
}

void PageSession::ScrollAverage(int32_t requested)
{
    const CurveEditing::Scrolled scrolled = curve_.ShiftAll(requested);
    if (scrolled.moved == 0) return;
    StoreMoved(scrolled.moved);
    curve_.ClearSelection();
    shownField_ = -1;
    undo_.Note(bank_);
}

void PageSession::ProposeLine()
{
    proposal_ = curve_.ProposeLine();
    proposing_ = true;
}

void PageSession::AnswerLine(bool yes)
{
    if (!proposing_) return;
    proposing_ = false;
    undo_.EndGesture();
    if (yes && curve_.Accept(proposal_)) StoreMoved(~uint32_t{0});  // every point, those outside the range too
    curve_.UpdateAverage();
    curve_.CollapseToEnd();
    shownField_ = curve_.SelEnd();
    undo_.Record(bank_);
}

int PageSession::Load(std::string_view bytes, std::string_view name, std::string& message, size_t& replaced)
{
    SettingsLoadResult result = SettingsFile::Read(bytes, bank_, name);
    replaced = result.replaced;
    switch (result.status) {
    case SettingsLoadResult::Status::Loaded:
        bank_ = std::move(result.bank);
        ShowBank();
        undo_.Record(bank_);
        baseline_.Take(bank_);
        return 0;
    case SettingsLoadResult::Status::NotSettingsFile:
        message = TextTable::Message(TextTable::kNotSettingsFile, language_);
        return 1;
    default:
        // Told in the page's language, as the desktop tells a file's failure; a reason without a
        // structured form only has its English text.
        message = result.reason == IniFileError::Reason::Other
                      ? result.message
                      : IniFileError(IniFileError::Action::Read, std::string(name), result.reason, result.limit).Text(language_);
        return 2;
    }
}

std::string PageSession::SaveBytes() const { return SettingsFile::ToBytes(bank_); }

std::string PageSession::CopyQuestion(int from, int to) const
{
    const ModelCopy copy(from, to);
    return copy.Possible() ? copy.Question(language_) : std::string();
}

void PageSession::Copy(int from, int to)
{
    ModelCopy(from, to).Apply(bank_);
    curve_.Show(Shown().FRQ);
    curve_.UpdateAverage();
    undo_.Record(bank_);
}

void PageSession::Undo()
{
    if (undo_.Undo(bank_)) ShowBank();
}

void PageSession::Redo()
{
    if (undo_.Redo(bank_)) ShowBank();
}

void PageSession::StoreMoved(uint32_t moved)
{
    for (int j = 0; j < CurveEditing::kPoints; ++j)
        if ((moved >> j & 1u) != 0) Shown().FRQ[static_cast<size_t>(j)] = CurveEditing::ValueOf(curve_.Position(j));
}

bool PageSession::WouldLose(int loss) const
{
    switch (loss) {
    case kSettings: return baseline_.SettingsDiffer(bank_);
    case kShownSettings: return baseline_.SettingsDiffer(bank_, bank_.ShownIndex());
    default: return baseline_.Differs(bank_);
    }
}

void PageSession::Transferred(TransferHistory::Kind kind, int shown, const TransferResult& result,
                              const std::optional<ModelBank>& before, std::string_view port, int64_t timeMs)
{
    using Kind = TransferHistory::Kind;
    const bool one = kind == Kind::ReadShown || kind == Kind::WriteShown;
    // Reading all that failed only at writing the model number back has put the five models read
    // into the bank: they are the controller's.
    if (result.ok || (kind == Kind::ReadAll && result.step == TransferResult::Step::WriteModelNumber)) {
        if (one)
            baseline_.TakeSettings(bank_, shown);
        else
            baseline_.TakeSettings(bank_);
    }
    TransferHistory::Transfer t;
    t.kind = kind;
    t.model = shown;
    t.result = result;
    t.bank = bank_;
    t.before = before;
    t.port = std::string(port);
    t.timeMs = timeMs;
    for (HistoryEntry& e : TransferHistory::Entries(t, previous_ ? &*previous_ : nullptr)) {
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
            banks[k] = bank_;
            continue;
        }
        ModelBank defaults;
        defaults.Initialise();
        SettingsLoadResult result = SettingsFile::Read(sides[k]->bytes, defaults, sides[k]->name);
        if (result.status != SettingsLoadResult::Status::Loaded) {
            const bool notSettings = result.status == SettingsLoadResult::Status::NotSettingsFile;
            j.Key("status").Number(notSettings ? 1 : 2);
            j.Key("message").String(notSettings ? TextTable::Message(TextTable::kNotSettingsFile, language_) : result.message);
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
    for (const BankComparison::Row& r : BankComparison::ModelRows(banks[0], banks[1], model, language_))
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
    const SettingSheetContent c = SettingSheetContent::Make(bank_, language_, std::string(title), std::string(made));
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
