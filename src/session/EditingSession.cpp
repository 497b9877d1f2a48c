#include "EditingSession.h"

#include <chrono>

#include "ModelCopy.h"
#include "ModelFieldRules.h"
#include "OutOfRange.h"
#include "SettingsFile.h"
#include "TextTable.h"

namespace {

const ModelFieldRules::Range& RangeOf(int field) { return field == 0 ? ModelFieldRules::kNbrk : ModelFieldRules::kProg; }

}  // namespace

EditingSession::EditingSession(int language) : language_(language == 0 ? 0 : 1)
{
    bank_.Initialise();
    ShowBank();
    undo_.Start(bank_);
    baseline_.Take(bank_);  // the defaults are nothing to save
}

std::string EditingSession::MemoFromField(std::string_view text)
{
    if (text.empty())
        return {};
    std::string out;
    out.reserve(text.size() + text.size() / 16 + 2);
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            out += "\r\n";
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            out += c;
        }
    }
    // The last line ends as every other: a file gives it its line end when read back.
    out += "\r\n";
    return out;
}

std::string EditingSession::MemoToField(std::string_view memo)
{
    std::string out;
    out.reserve(memo.size());
    for (size_t i = 0; i < memo.size(); ++i) {
        if (memo[i] == '\r' || memo[i] == '\n') {
            if (memo[i] == '\r' && i + 1 < memo.size() && memo[i + 1] == '\n')
                ++i;
            if (i + 1 < memo.size())
                out += '\n';  // the last line's end is the field's end
        } else {
            out += memo[i];
        }
    }
    return out;
}

void EditingSession::ShowBank()
{
    proposing_ = false;
    ShowModel();
    ClearSelection();
}

void EditingSession::ShowModel()
{
    curve_.Show(Shown().FRQ);
    curve_.UpdateAverage();
}

void EditingSession::ClearSelection()
{
    curve_.ClearSelection();
    shownField_ = -1;
}

void EditingSession::SelectTab(int tab)
{
    bank_.ModelNumber = ModelBank::ClampIndex(tab) * ModelBank::kModelStep;
    undo_.Note(bank_);  // no step: undo shows the model it changes
    ShowModel();
    shownField_ = curve_.SelStart();
}

void EditingSession::BeginAction()
{
    undo_.Note(bank_);
    undo_.EndGesture();
}

void EditingSession::Reset()
{
    BeginAction();
    bank_.ResetShownModel(bank_.ShownIndex());
    ShowBank();
    EndAction();
}

void EditingSession::TakeNumber(int field, std::string_view text)
{
    const ModelFieldRules::Range& range = RangeOf(field);
    int32_t& value = field == 0 ? Shown().NBRK : Shown().PROG;
    value = range.Take(text, range.Shown(value));
    Edited();
}

void EditingSession::MoveScalarBar(int field, int32_t position)
{
    (field == 0 ? Shown().NBRK : Shown().PROG) = RangeOf(field).Shown(position);
    Edited();
}

void EditingSession::PickBrake(int item)
{
    if (const auto bfreq = ModelFieldRules::BrakeOfItem(item))
        Shown().BFREQ = *bfreq;
    Edited();
}

void EditingSession::PickCutOff(int item)
{
    if (const auto vlt = ModelFieldRules::CutOffCodeOfItem(item))
        Shown().VLT = *vlt;
    Edited();
}

bool EditingSession::TypeCutOff(std::string_view text)
{
    const auto code = ModelFieldRules::CutOffCodeOfText(text);
    if (!code)
        return false;
    Shown().VLT = *code;
    Edited();
    return true;
}

void EditingSession::SetMemo(std::string_view fieldText)
{
    Shown().MEMO = MemoFromField(fieldText);
    Edited();
}

void EditingSession::EnterBar(int bar, bool shift)
{
    shownField_ = bar;
    curve_.Enter(bar, shift);
}

void EditingSession::KeyUpBar(int bar, bool shift)
{
    if (!shift)
        curve_.KeyUp(bar, shift);
}

CurveEditing::Scrolled EditingSession::ScrollBar(int bar, TScrollCode code, int32_t requested, bool shift)
{
    const CurveEditing::Scrolled scrolled = curve_.Scroll(bar, code, requested, shift);
    if (scrolled.moved != 0) {
        StoreMoved(scrolled.moved);
        curve_.UpdateAverage();
        shownField_ = bar;
        Edited();
    }
    return scrolled;
}

void EditingSession::SelectRange(int anchor, int end)
{
    curve_.SelectRange(anchor, end);
    if (curve_.SelEnd() == end)
        shownField_ = end;
}

void EditingSession::DragBar(int bar, int32_t requested)
{
    const CurveEditing::Scrolled scrolled = curve_.Drag(bar, requested);
    shownField_ = bar;
    if (scrolled.moved == 0)
        return;
    StoreMoved(scrolled.moved);
    curve_.UpdateAverage();
    Edited();
}

CurveEditing::Scrolled EditingSession::ScrollAverage(int32_t requested)
{
    const CurveEditing::Scrolled scrolled = curve_.ShiftAll(requested);
    if (scrolled.moved != 0) {
        StoreMoved(scrolled.moved);
        curve_.ClearSelection();
        shownField_ = -1;
        Edited();
    }
    return scrolled;
}

void EditingSession::ProposeLine()
{
    BeginAction();
    proposal_ = curve_.ProposeLine();
    proposing_ = true;
}

void EditingSession::AnswerLine(bool yes)
{
    if (!proposing_)
        return;
    proposing_ = false;
    if (yes && curve_.Accept(proposal_))
        StoreMoved(~uint32_t{0});  // every point, those outside the range too
    curve_.UpdateAverage();
    curve_.CollapseToEnd();
    shownField_ = curve_.SelEnd();
    EndAction();
}

void EditingSession::Open(const ModelBank& bank)
{
    BeginAction();
    bank_ = bank;
    ShowBank();
    EndAction();
    baseline_.Take(bank_);
}

std::string EditingSession::OpenWarning(size_t replaced) const
{
    // Damaged bytes: the text around them is loaded, but a memo may have lost characters. Values
    // outside their range: loaded as the file holds them, but the editors cannot show them and a
    // write refuses them. One warning tells both.
    std::string warning = replaced > 0 ? TextTable::Message(TextTable::kCharactersReplaced, language_) : std::string();
    if (const std::string outside = OutOfRange::OpenWarning(bank_, language_); !outside.empty())
        warning += (warning.empty() ? "" : "\n\n") + outside;
    return warning;
}

EditingSession::Loaded EditingSession::Load(std::string_view bytes, std::string_view name)
{
    SettingsLoadResult result = SettingsFile::Read(bytes, bank_, name);
    Loaded loaded;
    switch (result.status) {
    case SettingsLoadResult::Status::Loaded:
        Open(result.bank);
        loaded.warning = OpenWarning(result.replaced);
        break;
    case SettingsLoadResult::Status::NotSettingsFile:
        loaded.status = 1;
        loaded.message = TextTable::Message(TextTable::kNotSettingsFile, language_);
        break;
    default:
        // Told in the session's language, as a file's failure is; a reason without a structured
        // form only has its English text.
        loaded.status = 2;
        loaded.message = result.reason == IniFileError::Reason::Other
                             ? result.message
                             : IniFileError(IniFileError::Action::Read, std::string(name), result.reason, result.limit)
                                   .Text(language_);
        break;
    }
    return loaded;
}

std::string EditingSession::SaveBytes() const { return SettingsFile::ToBytes(bank_); }

std::string EditingSession::CopyQuestion(int from, int to) const
{
    const ModelCopy copy(from, to);
    return copy.Possible() ? copy.Question(language_) : std::string();
}

void EditingSession::Copy(int from, int to)
{
    BeginAction();
    ModelCopy(from, to).Apply(bank_);
    ShowModel();
    EndAction();
}

bool EditingSession::Undo()
{
    if (!undo_.Undo(bank_))
        return false;
    ShowBank();
    return true;
}

bool EditingSession::Redo()
{
    if (!undo_.Redo(bank_))
        return false;
    ShowBank();
    return true;
}

void EditingSession::StoreMoved(uint32_t moved)
{
    for (int j = 0; j < CurveEditing::kPoints; ++j)
        if ((moved >> j & 1u) != 0)
            Shown().FRQ[static_cast<size_t>(j)] = CurveEditing::ValueOf(curve_.Position(j));
}

bool EditingSession::WouldLose(Loss loss) const
{
    switch (loss) {
    case kSettings: return baseline_.SettingsDiffer(bank_);
    case kShownSettings: return baseline_.SettingsDiffer(bank_, bank_.ShownIndex());
    default: return baseline_.Differs(bank_);
    }
}

void EditingSession::BeginTransfer() { BeginAction(); }

void EditingSession::TransferSucceeded(TransferHistory::Kind kind, int shown)
{
    if (kind == TransferHistory::Kind::ReadShown || kind == TransferHistory::Kind::WriteShown)
        baseline_.TakeSettings(bank_, shown);
    else
        baseline_.TakeSettings(bank_);
}

TransferHistory::Transfer EditingSession::Transferred(TransferHistory::Kind kind, int shown, const TransferResult& result,
                                                      const std::optional<ModelBank>& before, std::string_view port,
                                                      int64_t timeMs)
{
    // Reading all that failed only at writing the model number back has put the five models read
    // into the bank: they are the controller's.
    if (result.ok || (kind == TransferHistory::Kind::ReadAll && result.step == TransferResult::Step::WriteModelNumber))
        TransferSucceeded(kind, shown);
    EndAction();  // a read is one step to undo, also one that failed halfway
    TransferHistory::Transfer t;
    t.kind = kind;
    t.model = shown;
    t.result = result;
    t.bank = bank_;
    t.before = before;
    t.port = std::string(port);
    t.timeMs = timeMs;
    return t;
}

int64_t EditingSession::NowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}
