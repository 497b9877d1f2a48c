#include "HistoryBench.h"

#include <QDir>
#include <QFile>

#include <chrono>
#include <cstdio>
#include <stdexcept>
#include <string>

#include "HistoryStore.h"
#include "SettingsFile.h"

namespace {

double MsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

bool WriteFile(const std::string& path, const std::string& bytes)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace

HistoryBench::Figures HistoryBench::Run(const QString& folder, int entries, int runs)
{
    QDir().mkpath(folder);
    const std::string dir = QFile::encodeName(folder).toStdString();
    ModelBank bank;
    bank.Initialise();
    bank.models[0].MEMO = "Tsukuba, wet\r\nsoft tyres\r\n";
    HistoryEntry entry;
    entry.action = HistoryEntry::Action::Write;
    entry.port = "/dev/ttyUSB0";
    entry.changed = 1;
    entry.settings = SettingsFile::ToBytes(bank);

    std::string index;
    for (int id = 1; id <= entries; ++id) {
        entry.timeMs = 1'700'000'000'000 + int64_t{id} * 60'000;
        if (!WriteFile(dir + '/' + std::to_string(id) + ".vxh", entry.Encode()))
            throw std::runtime_error("cannot fill " + dir);
        HistoryStore::Item item;
        item.id = id;
        item.timeMs = entry.timeMs;
        item.action = entry.action;
        item.changed = entry.changed;
        item.port = entry.port;
        item.memoLine = "Tsukuba, wet";
        index += HistoryStore::IndexLine(item) + '\n';
    }
    if (!WriteFile(dir + "/index", index))
        throw std::runtime_error("cannot write " + dir + "/index");

    Figures f;
    const HistoryStore store(folder);
    for (int r = 0; r < runs; ++r) {
        auto start = std::chrono::steady_clock::now();
        f.listed = store.List().size();
        f.listMs.push_back(MsSince(start));
        start = std::chrono::steady_clock::now();
        const int64_t id = store.Add(entry);
        f.addMs.push_back(MsSince(start));
        store.Delete(id);
    }
    return f;
}
