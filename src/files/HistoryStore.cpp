#include "HistoryStore.h"

#include "AtomicFileWriter.h"
#include "IniFileError.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>

namespace {

constexpr const char* kEntrySuffix = ".vxh";
constexpr const char* kNameSuffix = ".name";
constexpr const char* kIndexName = "/index";
constexpr char kTab = '\t';

bool ToInt64(std::string_view text, int64_t& value)
{
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end && !text.empty();
}

uint32_t Fnv1a(std::string_view text)
{
    uint32_t h = 2166136261u;
    for (unsigned char c : text) {
        h ^= c;
        h *= 16777619u;
    }
    return h;
}

std::string Hex8(uint32_t v)
{
    static const char digits[] = "0123456789abcdef";
    std::string out(8, '0');
    for (int k = 7; k >= 0; --k, v >>= 4)
        out[static_cast<size_t>(k)] = digits[v & 15];
    return out;
}

// The whole file; nothing when it cannot be opened or read.
std::optional<std::string> ReadWhole(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    std::string out;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode))
        out.reserve(static_cast<size_t>(st.st_size));
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0)
            break;
        out.append(buf, static_cast<size_t>(n));
    }
    ::close(fd);
    return out;
}

// "<digits><suffix>" -> the id.
std::optional<int64_t> IdOf(std::string_view file, std::string_view suffix)
{
    if (file.size() <= suffix.size() || file.substr(file.size() - suffix.size()) != suffix)
        return std::nullopt;
    int64_t id = 0;
    if (!ToInt64(file.substr(0, file.size() - suffix.size()), id) || id <= 0 || file[0] == '+')
        return std::nullopt;
    return id;
}

void SyncFolder(const std::string& dir)
{
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

HistoryStore::HistoryStore(QString folder) : folder_(std::move(folder)), dir_(QFile::encodeName(folder_).toStdString())
{
}

QString HistoryStore::DefaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/vxrmgr/history");
}

std::string HistoryStore::Path(int64_t id, const char* suffix) const
{
    return dir_ + '/' + std::to_string(id) + suffix;
}

std::string HistoryStore::IndexLine(const Item& item)
{
    std::string line = std::to_string(item.id);
    line += kTab;
    line += std::to_string(item.timeMs);
    line += kTab;
    line += HistoryEntry::ActionName(item.action);
    line += kTab;
    line += std::to_string(item.model);
    line += kTab;
    line += std::to_string(item.changed);
    line += kTab;
    line += HistoryEntry::OneLine(item.port);
    line += kTab;
    line += HistoryEntry::OneLine(item.memoLine);
    line += kTab;
    line += Hex8(Fnv1a(line));
    return line;
}

std::optional<HistoryStore::Item> HistoryStore::ParseIndexLine(std::string_view line)
{
    const size_t last = line.rfind(kTab);
    if (last == std::string_view::npos || line.substr(last + 1) != Hex8(Fnv1a(line.substr(0, last + 1))))
        return std::nullopt;
    std::string_view fields[7];
    std::string_view rest = line.substr(0, last);
    for (size_t k = 0; k < 7; ++k) {
        const size_t tab = rest.find(kTab);
        if ((tab == std::string_view::npos) != (k == 6))
            return std::nullopt;
        fields[k] = rest.substr(0, tab);
        rest = tab == std::string_view::npos ? std::string_view{} : rest.substr(tab + 1);
    }
    Item item;
    int64_t model = 0;
    int64_t changed = 0;
    const auto action = HistoryEntry::ActionFrom(fields[2]);
    if (!ToInt64(fields[0], item.id) || !ToInt64(fields[1], item.timeMs) || !action || !ToInt64(fields[3], model) ||
        model < -1 || model >= ModelBank::kModels || !ToInt64(fields[4], changed) || changed < 0 ||
        changed > HistoryEntry::kAllModels)
        return std::nullopt;
    item.action = *action;
    item.model = static_cast<int>(model);
    item.changed = static_cast<uint8_t>(changed);
    item.port = fields[5];
    item.memoLine = fields[6];
    return item;
}

HistoryStore::Item HistoryStore::ItemOf(int64_t id, const HistoryEntry& entry)
{
    Item item;
    item.id = id;
    item.timeMs = entry.timeMs;
    item.action = entry.action;
    item.model = entry.model;
    item.changed = entry.changed;
    item.port = entry.port;
    item.name = entry.name;
    item.memoLine = entry.FirstMemoLine();
    return item;
}

void HistoryStore::Scan(std::vector<int64_t>& entries, std::vector<int64_t>& named) const
{
    DIR* d = ::opendir(dir_.c_str());
    if (!d)
        return;
    while (const dirent* e = ::readdir(d)) {
        const std::string_view file = e->d_name;
        if (file.empty() || file[0] == '.')
            continue;  // ".", "..", and files being written
        if (auto id = IdOf(file, kEntrySuffix))
            entries.push_back(*id);
        else if (auto named_id = IdOf(file, kNameSuffix))
            named.push_back(*named_id);
    }
    ::closedir(d);
}

void HistoryStore::Append(const std::string& line) const
{
    const std::string path = dir_ + kIndexName;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
    if (fd < 0)
        return;
    // A line cut short by a crash gets its end first, so that it does not run into this one.
    std::string out;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && st.st_size > 0) {
        const int rd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        char lastChar = '\n';
        if (rd >= 0) {
            if (::pread(rd, &lastChar, 1, st.st_size - 1) != 1)
                lastChar = '\n';
            ::close(rd);
        }
        if (lastChar != '\n')
            out += '\n';
    }
    out += line;
    out += '\n';
    // One write: appends of several programs do not interleave. A failure only costs the
    // index a line, which the next list puts back from the entry file.
    [[maybe_unused]] const ssize_t n = ::write(fd, out.data(), out.size());
    ::close(fd);
}

std::vector<HistoryStore::Item> HistoryStore::List() const
{
    std::vector<int64_t> ids;
    std::vector<int64_t> named;
    Scan(ids, named);
    std::sort(ids.begin(), ids.end(), std::greater<>());

    std::unordered_map<int64_t, Item> indexed;
    indexed.reserve(ids.size());
    if (!ids.empty()) {
        const std::string text = ReadWhole(dir_ + kIndexName).value_or(std::string());
        std::string_view rest = text;
        while (!rest.empty()) {
            const size_t lf = rest.find('\n');
            const std::string_view line = rest.substr(0, lf);
            rest = lf == std::string_view::npos ? std::string_view{} : rest.substr(lf + 1);
            if (auto item = ParseIndexLine(line))
                indexed.insert_or_assign(item->id, std::move(*item));
        }
    }

    std::vector<Item> out;
    out.reserve(ids.size());
    for (int64_t id : ids) {
        auto it = indexed.find(id);
        if (it != indexed.end()) {
            out.push_back(std::move(it->second));
            continue;
        }
        const auto bytes = ReadWhole(Path(id, kEntrySuffix));
        const auto entry = bytes ? HistoryEntry::Decode(*bytes) : std::nullopt;
        if (!entry)
            continue;  // damaged: not listed, but left for the user to look at
        Item item = ItemOf(id, *entry);
        Append(IndexLine(item));
        out.push_back(std::move(item));
    }

    if (!named.empty()) {
        std::unordered_map<int64_t, size_t> position;
        for (size_t k = 0; k < out.size(); ++k)
            position.emplace(out[k].id, k);
        for (int64_t id : named) {
            auto it = position.find(id);
            if (it == position.end())
                continue;
            if (auto name = ReadWhole(Path(id, kNameSuffix)))
                out[it->second].name = HistoryEntry::OneLine(*name);
        }
    }
    return out;
}

std::optional<HistoryEntry> HistoryStore::Load(int64_t id) const
{
    const auto bytes = ReadWhole(Path(id, kEntrySuffix));
    if (!bytes)
        return std::nullopt;
    auto entry = HistoryEntry::Decode(*bytes);
    if (entry) {
        if (auto name = ReadWhole(Path(id, kNameSuffix)))
            entry->name = HistoryEntry::OneLine(*name);
    }
    return entry;
}

std::optional<HistoryEntry> HistoryStore::Newest() const
{
    std::vector<int64_t> ids;
    std::vector<int64_t> named;
    Scan(ids, named);
    std::sort(ids.begin(), ids.end(), std::greater<>());
    for (int64_t id : ids)
        if (auto entry = Load(id))
            return entry;
    return std::nullopt;
}

int64_t HistoryStore::Add(const HistoryEntry& entry) const
{
    if (!QDir().mkpath(folder_))
        throw IniFileError(IniFileError::Action::Write, dir_, IniFileError::Reason::CannotCreate, 0,
                           std::strerror(errno));
    // Written whole under a hidden name first, then linked to its id: a reader never meets half
    // an entry, and linking never replaces an entry another program added meanwhile.
    const std::string incoming = dir_ + "/.incoming-" +
                                 QString::number(QRandomGenerator::global()->generate64(), 36).toStdString() +
                                 kEntrySuffix;
    AtomicFileWriter::Write(QFile::decodeName(incoming.c_str()), entry.Encode());

    // Ids are never used twice: one the index still names (a deleted entry's) is taken.
    std::vector<int64_t> ids;
    std::vector<int64_t> named;
    Scan(ids, named);
    int64_t id = ids.empty() ? 0 : *std::max_element(ids.begin(), ids.end());
    if (const auto index = ReadWhole(dir_ + kIndexName)) {
        std::string_view rest = *index;
        while (!rest.empty()) {
            const size_t lf = rest.find('\n');
            if (auto item = ParseIndexLine(rest.substr(0, lf)))
                id = std::max(id, item->id);
            rest = lf == std::string_view::npos ? std::string_view{} : rest.substr(lf + 1);
        }
    }
    for (;;) {
        ++id;
        const std::string target = Path(id, kEntrySuffix);
        if (::link(incoming.c_str(), target.c_str()) == 0)
            break;
        if (errno == EEXIST)
            continue;
        if (errno == EPERM || errno == ENOTSUP || errno == EOPNOTSUPP || errno == EMLINK) {
            // A file system without hard links: renamed, after a last look that the id is free.
            if (::access(target.c_str(), F_OK) == 0)
                continue;
            if (::rename(incoming.c_str(), target.c_str()) == 0)
                break;
        }
        const int err = errno;
        ::unlink(incoming.c_str());
        throw IniFileError(IniFileError::Action::Write, target, IniFileError::Reason::CannotReplace, 0,
                           std::strerror(err));
    }
    ::unlink(incoming.c_str());
    SyncFolder(dir_);
    Append(IndexLine(ItemOf(id, entry)));
    if (!entry.name.empty())
        SetName(id, entry.name);
    return id;
}

std::vector<int64_t> HistoryStore::AddTransfer(const TransferHistory::Transfer& transfer) const
{
    const std::vector<HistoryEntry> entries = [&] {
        const std::optional<HistoryEntry> newest = Newest();
        return TransferHistory::Entries(transfer, newest ? &*newest : nullptr);
    }();
    std::vector<int64_t> ids;
    for (const HistoryEntry& e : entries)
        ids.push_back(Add(e));
    return ids;
}

bool HistoryStore::SetName(int64_t id, const std::string& name) const
{
    if (::access(Path(id, kEntrySuffix).c_str(), F_OK) != 0)
        return false;
    const std::string path = Path(id, kNameSuffix);
    const std::string line = HistoryEntry::OneLine(name);
    if (line.empty()) {
        if (::unlink(path.c_str()) == 0)
            SyncFolder(dir_);
        return true;
    }
    AtomicFileWriter::Write(QFile::decodeName(path.c_str()), line);
    return true;
}

bool HistoryStore::Delete(int64_t id) const
{
    ::unlink(Path(id, kNameSuffix).c_str());
    const bool removed = ::unlink(Path(id, kEntrySuffix).c_str()) == 0;
    if (removed)
        SyncFolder(dir_);
    return removed;
}
