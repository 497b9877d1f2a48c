#include "IniFile.h"

#include "AtomicFileWriter.h"
#include "IniFileError.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Reason = IniFileError::Reason;

[[noreturn]] void FailRead(const QString& path, Reason reason, int64_t limit = 0)
{
    throw IniFileError(IniFileError::Action::Read, path.toStdString(), reason, limit);
}

[[noreturn]] void FailReadSystem(const QString& path, int err)
{
    throw IniFileError(IniFileError::Action::Read, path.toStdString(), Reason::System, 0, std::strerror(err));
}


}  // namespace

std::string IniFile::ReadBytes(const QString& path)
{
    return TryReadBytes(path).value_or(std::string());
}

std::optional<std::string> IniFile::TryReadBytes(const QString& path)
{
    constexpr int64_t kMax = IniDocument::kMaxFileSize;
    const QByteArray native = QFile::encodeName(path);
    struct stat st {};
    if (::stat(native.constData(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return std::nullopt;
        FailReadSystem(path, errno);
    }
    if (S_ISDIR(st.st_mode))
        FailRead(path, Reason::Folder);
    // Devices and pipes could block or never end.
    if (!S_ISREG(st.st_mode))
        FailRead(path, Reason::NotRegularFile);
    const auto tooLarge = [&] { FailRead(path, Reason::TooLarge, kMax / (1024 * 1024)); };
    if (st.st_size > kMax)
        tooLarge();

    const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        FailReadSystem(path, errno);
    std::string data;
    data.reserve(static_cast<size_t>(st.st_size));
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
            FailReadSystem(path, err);
        }
        // The size can grow after stat (or be reported as 0, as in /proc).
        if (static_cast<int64_t>(data.size()) + n > kMax) {
            ::close(fd);
            tooLarge();
        }
        data.append(buf, static_cast<size_t>(n));
    }
    ::close(fd);
    return data;
}

IniDocument IniFile::Load(const QString& path)
{
    return IniDocument::FromBytes(ReadBytes(path), path.toStdString());
}

void IniFile::Update(const IniDocument& doc, const QString& path)
{
    const std::string bytes = doc.Bytes();
    Reason why{};
    int64_t limit = 0;
    if (!IniDocument::IsReadable(bytes, &why, &limit))
        throw IniFileError(IniFileError::Action::Write, path.toStdString(), why, limit);
    AtomicFileWriter::Write(path, bytes);
}
