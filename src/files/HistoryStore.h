#pragma once
#include <QString>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "HistoryEntry.h"
#include "TransferHistory.h"

// The history of setups on the desktop, shared by the window and the command line: one file
// per entry ("<id>.vxh", written whole, then linked into place, never rewritten), a name the
// user gives in "<id>.name" beside it, and an append-only index of what a list shows so that a
// list need not open every entry. The entry files are the truth: index lines of deleted
// entries are passed over, entries missing from the index (a crash or a full disk between the
// two writes) are read once and added to it, and a line cut short fails its check sum.
class HistoryStore {
public:
    // What the list shows of an entry.
    struct Item {
        int64_t id = 0;
        int64_t timeMs = 0;
        HistoryEntry::Action action = HistoryEntry::Action::Read;
        int model = -1;
        uint8_t changed = 0;
        std::string port;
        std::string name;
        std::string memoLine;
    };

    // The store in folder (created when the first entry is added).
    explicit HistoryStore(QString folder);
    // vxrmgr's history in the user's data folder: $XDG_DATA_HOME/vxrmgr/history, by default
    // ~/.local/share/vxrmgr/history.
    static QString DefaultFolder();

    const QString& Folder() const { return folder_; }

    // Every entry, newest (highest id) first. An absent folder is an empty history.
    std::vector<Item> List() const;
    // The entry with the name the user gave it; nothing when there is none (or it is damaged).
    std::optional<HistoryEntry> Load(int64_t id) const;
    // The newest entry that can be read, which a new entry is compared with.
    std::optional<HistoryEntry> Newest() const;

    // Keeps entry under the next free id and returns it. Throws IniFileError when it cannot be
    // written; no older entry is touched either way.
    int64_t Add(const HistoryEntry& entry) const;
    // Keeps the entries a transfer adds (TransferHistory), each compared with the newest
    // entry before it; their ids, oldest first. Throws IniFileError as Add does.
    std::vector<int64_t> AddTransfer(const TransferHistory::Transfer& transfer) const;
    // Gives entry id a name (one line; empty removes it). False when there is no such entry;
    // throws IniFileError when the name cannot be written.
    bool SetName(int64_t id, const std::string& name) const;
    // Removes entry id; false when there was none.
    bool Delete(int64_t id) const;

    // The index line of an item, and back (nothing for a damaged line). For the benchmark and
    // the tests.
    static std::string IndexLine(const Item& item);
    static std::optional<Item> ParseIndexLine(std::string_view line);

private:
    std::string Path(int64_t id, const char* suffix) const;
    // Ids of the entry files and of the name files present.
    void Scan(std::vector<int64_t>& entries, std::vector<int64_t>& named) const;
    void Append(const std::string& line) const;
    static Item ItemOf(int64_t id, const HistoryEntry& entry);

    QString folder_;
    std::string dir_;  // folder_ in the file system's encoding
};
