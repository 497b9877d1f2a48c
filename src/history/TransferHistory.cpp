#include "TransferHistory.h"

#include "SettingsFile.h"

namespace {

bool MayHaveReached(const TransferResult& r)
{
    if (r.modelNumber != TransferResult::Written::No)
        return true;
    for (TransferResult::Written w : r.written)
        if (w != TransferResult::Written::No)
            return true;
    return false;
}

}  // namespace

std::vector<HistoryEntry> TransferHistory::Entries(const Transfer& t, const HistoryEntry* previous)
{
    using Action = HistoryEntry::Action;
    const bool shown = t.kind == Kind::ReadShown || t.kind == Kind::WriteShown;
    const bool write = t.kind == Kind::WriteAll || t.kind == Kind::WriteShown;

    std::vector<HistoryEntry> out;
    std::optional<ModelBank> last;
    if (previous)
        last = previous->Bank();
    auto add = [&](Action action, const ModelBank& bank) {
        HistoryEntry e;
        e.timeMs = t.timeMs;
        e.action = action;
        e.model = shown ? ModelBank::ClampIndex(t.model) : -1;
        e.port = HistoryEntry::OneLine(t.port);
        e.changed = last ? HistoryEntry::Differences(*last, bank) : HistoryEntry::kAllModels;
        e.settings = SettingsFile::ToBytes(bank);
        out.push_back(std::move(e));
        last = bank;
    };

    if (!write) {
        if (t.result.ok)
            add(shown ? Action::ReadModel : Action::Read, t.bank);
        return out;
    }
    if (t.before && (t.result.ok || MayHaveReached(t.result)))
        add(Action::BeforeWrite, *t.before);
    if (t.result.ok)
        add(shown ? Action::WriteModel : Action::Write, t.bank);
    return out;
}
