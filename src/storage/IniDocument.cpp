#include "IniDocument.h"

#include "AtomicFileWriter.h"
#include "IniFileError.h"
#include "IniTextCodec.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

[[noreturn]] void FailRead(const QString& path, const std::string& why)
{
    throw IniFileError("Cannot read file " + path.toStdString() + ": " + why);
}

// Empty when the file does not exist; the whole content otherwise.
QByteArray ReadBounded(const QString& path, bool& exists)
{
    exists = false;
    const QByteArray native = QFile::encodeName(path);
    struct stat st {};
    if (::stat(native.constData(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return {};
        FailRead(path, std::strerror(errno));
    }
    exists = true;
    if (S_ISDIR(st.st_mode))
        FailRead(path, "it is a folder");
    // Devices and pipes could block or never end.
    if (!S_ISREG(st.st_mode))
        FailRead(path, "it is not a regular file");
    const auto tooLarge = [&] {
        FailRead(path, "it is larger than " + std::to_string(IniDocument::kMaxFileSize / (1024 * 1024)) +
                           " MiB");
    };
    if (st.st_size > IniDocument::kMaxFileSize)
        tooLarge();

    const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        FailRead(path, std::strerror(errno));
    QByteArray data;
    data.reserve(static_cast<qsizetype>(st.st_size));
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int err = errno;
            ::close(fd);
            FailRead(path, std::strerror(err));
        }
        // The size can grow after stat (or be reported as 0, as in /proc).
        if (data.size() + n > IniDocument::kMaxFileSize) {
            ::close(fd);
            tooLarge();
        }
        data.append(buf, n);
    }
    ::close(fd);
    return data;
}

bool IsBlank(QChar c)
{
    return c.unicode() <= 0x20;
}

QStringView Trimmed(QStringView s)
{
    qsizetype b = 0;
    qsizetype e = s.size();
    while (b < e && IsBlank(s[b]))
        ++b;
    while (e > b && IsBlank(s[e - 1]))
        --e;
    return s.sliced(b, e - b);
}

QString Key(const QString& name)
{
    return name.toCaseFolded();
}

int HexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    return -1;
}

}  // namespace

IniDocument::IniDocument(QString path) : path_(std::move(path))
{
    bool exists = false;
    const QByteArray bytes = ReadBounded(path_, exists);
    if (exists)
        Parse(IniTextCodec::Decode(bytes));
}

IniDocument IniDocument::FromText(const QString& text, QString path)
{
    IniDocument doc;
    doc.path_ = std::move(path);
    doc.Parse(text);
    return doc;
}

void IniDocument::Parse(const QString& text)
{
    const QStringView all(text);
    const qsizetype size = all.size();
    qsizetype kept = 0;
    qsizetype pos = 0;
    bool inSection = false;
    while (pos < size) {
        qsizetype end = pos;
        while (end < size && all[end] != u'\r' && all[end] != u'\n')
            ++end;
        const QStringView line = Trimmed(all.sliced(pos, end - pos));
        pos = (end + 1 < size && all[end] == u'\r' && all[end + 1] == u'\n') ? end + 2 : end + 1;

        if (line.isEmpty() || line.front() == u';')
            continue;
        const bool isSection = line.size() >= 2 && line.front() == u'[' && line.back() == u']';
        if (!isSection && !inSection)
            continue;
        if (++kept > kMaxLines)
            FailRead(path_, "it holds more than " + std::to_string(kMaxLines) + " lines");
        if (isSection) {
            Section s;
            s.name = Trimmed(line.sliced(1, line.size() - 2)).toString();
            const QString key = Key(s.name);
            if (!sectionIndex_.contains(key))
                sectionIndex_.insert(key, static_cast<qsizetype>(sections_.size()));
            sections_.push_back(std::move(s));
            inSection = true;
            continue;
        }
        Section& current = sections_.back();
        Entry entry;
        const qsizetype eq = line.indexOf(u'=');
        if (eq < 0) {
            entry.name = line.toString();
            entry.hasValue = false;
        } else {
            entry.name = Trimmed(line.first(eq)).toString();
            entry.value = Trimmed(line.sliced(eq + 1)).toString();
            const QString key = Key(entry.name);
            if (!current.index.contains(key))
                current.index.insert(key, static_cast<qsizetype>(current.entries.size()));
        }
        current.entries.push_back(std::move(entry));
    }
}

const IniDocument::Section* IniDocument::FindSection(const QString& name) const
{
    const auto it = sectionIndex_.constFind(Key(name));
    return it == sectionIndex_.cend() ? nullptr : &sections_[static_cast<size_t>(*it)];
}

const IniDocument::Entry* IniDocument::FindEntry(const QString& section, const QString& name) const
{
    const Section* s = FindSection(section);
    if (s == nullptr)
        return nullptr;
    const auto it = s->index.constFind(Key(name));
    return it == s->index.cend() ? nullptr : &s->entries[static_cast<size_t>(*it)];
}

QString IniDocument::ReadString(const QString& section, const QString& name, const QString& def) const
{
    const Entry* e = FindEntry(section, name);
    return e == nullptr ? def : e->value;
}

int32_t IniDocument::ReadInteger(const QString& section, const QString& name, int32_t def) const
{
    const Entry* e = FindEntry(section, name);
    int32_t value = 0;
    return e != nullptr && ParseInteger(e->value, value) ? value : def;
}

void IniDocument::WriteString(const QString& section, const QString& name, const QString& value)
{
    const QString sectionKey = Key(section);
    auto sit = sectionIndex_.constFind(sectionKey);
    if (sit == sectionIndex_.cend()) {
        sit = sectionIndex_.insert(sectionKey, static_cast<qsizetype>(sections_.size()));
        sections_.push_back(Section{section, {}, {}});
    }
    Section& s = sections_[static_cast<size_t>(*sit)];
    const QString key = Key(name);
    const auto it = s.index.constFind(key);
    if (it != s.index.cend()) {
        s.entries[static_cast<size_t>(*it)].value = value;
        return;
    }
    s.index.insert(key, static_cast<qsizetype>(s.entries.size()));
    s.entries.push_back(Entry{name, value, true});
}

void IniDocument::WriteInteger(const QString& section, const QString& name, int32_t value)
{
    WriteString(section, name, QString::number(value));
}

void IniDocument::Clear()
{
    sections_.clear();
    sectionIndex_.clear();
}

qsizetype IniDocument::LineCount(const QString& section) const
{
    const Section* s = FindSection(section);
    return s == nullptr ? 0 : static_cast<qsizetype>(s->entries.size());
}

QString IniDocument::Text() const
{
    QString out;
    for (const Section& s : sections_) {
        out += u'[';
        out += s.name;
        out += u"]\r\n";
        for (const Entry& e : s.entries) {
            out += e.name;
            if (e.hasValue) {
                out += u'=';
                out += e.value;
            }
            out += u"\r\n";
        }
        out += u"\r\n";
    }
    return out;
}

void IniDocument::UpdateFile() const
{
    AtomicFileWriter::Write(path_, IniTextCodec::Encode(Text()));
}

bool IniDocument::ParseInteger(const QString& text, int32_t& value)
{
    const qsizetype size = text.size();
    qsizetype pos = 0;
    if (text.startsWith(u"0x") || text.startsWith(u"0X"))
        pos = 2;
    else if (text.startsWith(u'$'))
        pos = 1;
    if (pos > 0) {
        if (pos == size)
            return false;
        uint64_t v = 0;
        for (; pos < size; ++pos) {
            const int d = HexDigit(text[pos]);
            if (d < 0)
                return false;
            v = v * 16 + static_cast<uint64_t>(d);
            if (v > 0xFFFFFFFFu)
                return false;
        }
        value = static_cast<int32_t>(static_cast<uint32_t>(v));
        return true;
    }

    bool negative = false;
    if (pos < size && (text[pos] == u'-' || text[pos] == u'+')) {
        negative = text[pos] == u'-';
        ++pos;
    }
    if (pos == size)
        return false;
    const int64_t limit = negative ? 2147483648LL : 2147483647LL;
    int64_t v = 0;
    for (; pos < size; ++pos) {
        const char16_t u = text[pos].unicode();
        if (u < '0' || u > '9')
            return false;
        v = v * 10 + (u - '0');
        if (v > limit)
            return false;
    }
    value = static_cast<int32_t>(negative ? -v : v);
    return true;
}
