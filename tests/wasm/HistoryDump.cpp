// Each file named as the settings of a history entry: the entry's bytes, whether they read back
// the same, its first memo line, and the entries a write of that bank after the file before
// adds; then times in ISO 8601 across the calendar. One line per case.
#include <cstdio>
#include <optional>
#include <string>

#include "DumpText.h"
#include "HistoryEntry.h"
#include "TransferHistory.h"

namespace {

void Dump(const std::string& name, const std::string& bytes, int64_t n, const HistoryEntry* previous)
{
    HistoryEntry e;
    e.timeMs = n * 86'400'123;
    e.action = static_cast<HistoryEntry::Action>(n % 5);
    e.model = static_cast<int>(n % 6) - 1;
    e.port = "COM" + std::to_string(n % 20 + 1);
    e.name = dumptext::OneLine(name);
    e.settings = bytes;
    const std::string encoded = e.Encode();
    const auto back = HistoryEntry::Decode(encoded);
    std::string line = name + " | " + dumptext::Hash(encoded) + " | ";
    line += !back ? "refused" : back->Encode() == encoded ? "same" : "differs";
    if (back) {
        line += " | memo " + dumptext::Hash(back->FirstMemoLine());
        TransferHistory::Transfer t;
        t.kind = TransferHistory::Kind::WriteShown;
        t.model = static_cast<int>(n % 5);
        t.bank = *back->Bank();
        t.before = previous ? previous->Bank() : std::nullopt;
        t.timeMs = e.timeMs;
        for (const HistoryEntry& added : TransferHistory::Entries(t, previous))
            line += " | " + std::string(HistoryEntry::ActionName(added.action)) + " " +
                    std::to_string(added.changed) + " " + dumptext::Hash(added.Encode());
    }
    std::printf("%s\n", line.c_str());
}

}  // namespace

int main(int argc, char** argv)
{
    int missing = 0;
    std::optional<HistoryEntry> previous;
    for (int a = 1; a < argc; ++a) {
        const std::string name = dumptext::BaseName(argv[a]);
        const auto bytes = dumptext::ReadFile(argv[a]);
        if (!bytes) {
            std::printf("%s missing\n", name.c_str());
            ++missing;
            continue;
        }
        Dump(name, *bytes, a, previous ? &*previous : nullptr);
        HistoryEntry e;
        e.settings = *bytes;
        if (e.Bank())
            previous = e;
    }
    for (int64_t t = -3'000'000'000'000; t < 5'000'000'000'000; t += 97'654'321'987)
        std::printf("%lld %s\n", static_cast<long long>(t), HistoryEntry::IsoTime(t).c_str());
    return missing == 0 ? 0 : 1;
}
