#include "AppSettings.h"

#include "AtomicFileWriter.h"
#include "IniDocument.h"
#include "IniTextCodec.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <exception>
#include <vector>

namespace {

const QString kFileName = QStringLiteral("VXRMGR.ini");
const QString kFolderName = QStringLiteral("vxrmgr");
const QString kSection = QStringLiteral("VxrManager");
const QString kCommPort = QStringLiteral("CommPort");
const QString kPorts = QStringLiteral("Ports");
const QByteArray kBom("\xEF\xBB\xBF");

// Blanks, section headers, comments and entry names as IniDocument reads them, so the line
// changed here is the one the next load reads.
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

bool SameName(QStringView a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

struct Line {
    QString body;
    QString end;  // "\r\n", "\n", "\r", or empty for a last line without one
};

// A line ends at CR LF, a lone CR or a lone LF.
std::vector<Line> SplitLines(const QString& text)
{
    std::vector<Line> lines;
    qsizetype pos = 0;
    const qsizetype size = text.size();
    while (pos < size) {
        qsizetype end = pos;
        while (end < size && text[end] != u'\r' && text[end] != u'\n')
            ++end;
        Line line{text.mid(pos, end - pos), {}};
        if (end < size)
            line.end = (end + 1 < size && text[end] == u'\r' && text[end + 1] == u'\n') ? QStringLiteral("\r\n")
                                                                                      : text.mid(end, 1);
        pos = end + line.end.size();
        lines.push_back(std::move(line));
    }
    return lines;
}

// text with the CommPort entry of the first VxrManager section set to index; every other
// character as it was. The line ends of new lines follow the file's first line end.
QString WithCommPort(const QString& text, int index)
{
    std::vector<Line> lines = SplitLines(text);
    QString eol = QStringLiteral("\r\n");
    for (const Line& l : lines) {
        if (!l.end.isEmpty()) {
            eol = l.end;
            break;
        }
    }
    const QString value = QString::number(index);

    qsizetype header = -1;       // the section's header line
    qsizetype lastContent = -1;  // its last line that is neither blank nor a comment
    for (qsizetype i = 0; i < static_cast<qsizetype>(lines.size()); ++i) {
        QString& body = lines[static_cast<size_t>(i)].body;
        const QStringView line = Trimmed(body);
        if (line.size() >= 2 && line.front() == u'[' && line.back() == u']') {
            if (header >= 0)
                break;  // the section ends; a later one of the same name is never read
            if (SameName(Trimmed(line.sliced(1, line.size() - 2)), kSection))
                header = lastContent = i;
            continue;
        }
        if (header < 0 || line.isEmpty() || line.front() == u';')
            continue;
        lastContent = i;
        const qsizetype eq = body.indexOf(u'=');
        if (eq < 0 || !SameName(Trimmed(QStringView(body).first(eq)), kCommPort))
            continue;
        int32_t stored = 0;
        const QStringView old = Trimmed(QStringView(body).sliced(eq + 1));
        if (IniDocument::ParseInteger(old.toString(), stored) && stored == index)
            return text;
        qsizetype from = eq + 1;
        while (from < body.size() && IsBlank(body[from]))
            ++from;
        body = body.first(from) + value + body.sliced(from + old.size());
        QString out;
        for (const Line& l : lines)
            out += l.body + l.end;
        return out;
    }

    const QString entry = kCommPort + u'=' + value + eol;
    QString out;
    if (header >= 0) {
        // A section without the entry: after its last entry, before any blank lines and
        // comments that lead to the next section.
        for (qsizetype i = 0; i < static_cast<qsizetype>(lines.size()); ++i) {
            const Line& l = lines[static_cast<size_t>(i)];
            out += l.body + (l.end.isEmpty() && i == lastContent ? eol : l.end);
            if (i == lastContent)
                out += entry;
        }
        return out;
    }
    out = text;
    if (!lines.empty()) {
        if (lines.back().end.isEmpty())
            out += eol;
        if (!Trimmed(lines.back().body).isEmpty())
            out += eol;  // a blank line before the new section
    }
    return out + u'[' + kSection + u']' + eol + entry;
}

}  // namespace

AppSettings::AppSettings() : path_(DefaultPath()) {}

AppSettings::AppSettings(QString path) : path_(std::move(path)) {}

QString AppSettings::DefaultPath()
{
    return DefaultPath(QCoreApplication::applicationDirPath());
}

QString AppSettings::DefaultPath(const QString& programDir)
{
    if (!programDir.isEmpty()) {
        const QString portable = programDir + u'/' + kFileName;
        if (QFileInfo(portable).isFile())
            return portable;
    }
    // The same folder for every program of the tool, whatever its application name.
    const QString configHome = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return configHome + u'/' + kFolderName + u'/' + kFileName;
}

int AppSettings::LoadAppSettings() const
{
    try {
        const bool existed = QFileInfo::exists(path_);
        const IniDocument doc(path_);
        const int index = doc.ReadInteger(kSection, kCommPort, 0);
        if (!existed) {
            try {
                Write({});  // created empty, so that the user finds it
            } catch (const std::exception&) {
                // Start-up goes on without the file.
            }
        }
        return index;
    } catch (const std::exception&) {
        return 0;
    }
}

void AppSettings::SaveAppSettings(int index) const
{
    try {
        // Reading through the document refuses what it refuses: folders, devices, huge files.
        const IniDocument check(path_);
        QByteArray bytes;
        if (QFileInfo::exists(path_)) {
            QFile file(path_);
            if (!file.open(QIODevice::ReadOnly))
                return;
            bytes = file.readAll();
        }
        const QString text = IniTextCodec::Decode(bytes);
        const QString updated = WithCommPort(text, index);
        if (updated == text)
            return;
        // A byte-order mark the file had stays.
        const bool bom = bytes.startsWith(kBom);
        Write((bom ? kBom : QByteArray()) + IniTextCodec::Encode(updated));
    } catch (const std::exception&) {
        // Nothing saved; the next start uses the file's previous content.
    }
}

void AppSettings::Write(const QByteArray& data) const
{
    // The user's configuration folder may not exist yet.
    QDir().mkpath(QFileInfo(path_).absolutePath());
    AtomicFileWriter::Write(path_, data);
}

std::optional<std::map<int, std::string>> AppSettings::LoadPortTable() const
{
    std::map<int, std::string> ports;
    try {
        const IniDocument doc(path_);
        for (int n = 1; n <= kMaxPort; ++n) {
            const QString device = doc.ReadString(kPorts, QStringLiteral("COM%1").arg(n), QString());
            if (!device.isEmpty())
                ports.emplace(n, QFile::encodeName(device).toStdString());
        }
    } catch (const std::exception&) {
        return std::nullopt;
    }
    return ports;
}
