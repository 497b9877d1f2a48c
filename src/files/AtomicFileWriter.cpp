#include "AtomicFileWriter.h"

#include "IniFileError.h"

#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdlib>
#include <limits.h>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Reason = IniFileError::Reason;

[[noreturn]] void Fail(const QString& path, Reason why, int err)
{
    throw IniFileError(IniFileError::Action::Write, path.toStdString(), why, 0, std::strerror(err));
}

std::string FolderOf(const std::string& file)
{
    const auto slash = file.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : file.substr(0, slash);
}

std::string BaseOf(const std::string& file)
{
    const auto slash = file.rfind('/');
    return slash == std::string::npos ? file : file.substr(slash + 1);
}

bool WriteAll(int fd, const char* data, size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// Created like any new file (0666 less the umask), under a name no other writer uses.
int CreateTemporary(const std::string& target, std::string& tmp)
{
    const std::string stem = FolderOf(target) + "/." + BaseOf(target) + ".";
    for (int attempt = 0; attempt < 100; ++attempt) {
        tmp = stem + QString::number(QRandomGenerator::global()->generate64(), 36).toStdString() +
              ".tmp";
        const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

}  // namespace

AtomicFileWriter::Staged AtomicFileWriter::Stage(const QString& path, const std::function<bool(int)>& produce)
{
    if (path.isEmpty())
        throw IniFileError(IniFileError::Action::Write, {}, Reason::NoName);
    Staged staged;
    staged.path = path;
    staged.target = QFile::encodeName(path).toStdString();
    std::string& target = staged.target;

    struct stat st {};
    if (::lstat(target.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        char resolved[PATH_MAX];
        if (::realpath(target.c_str(), resolved) != nullptr)
            target = resolved;
    }
    bool replacing = false;
    if (::stat(target.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            Fail(path, Reason::Folder, EISDIR);
        // Renaming would get past a file the user made read-only; honour it as a plain write would.
        if (::access(target.c_str(), W_OK) != 0)
            Fail(path, Reason::ReadOnly, errno);
        replacing = true;
    }

    std::string& tmp = staged.temporary;
    const int fd = CreateTemporary(target, tmp);
    if (fd < 0)
        Fail(path, Reason::CannotCreate, errno);

    const auto discard = [&](Reason what) {
        const int err = errno != 0 ? errno : EIO;
        ::close(fd);
        ::unlink(tmp.c_str());
        Fail(path, what, err);
    };
    try {
        errno = 0;
        if (!produce(fd))
            discard(Reason::WriteFailed);
    } catch (const IniFileError&) {
        throw;
    } catch (...) {
        ::close(fd);
        ::unlink(tmp.c_str());
        throw;
    }
    if (replacing) {
        // The replacement keeps the owner (when we may set it) and the mode of the old file.
        [[maybe_unused]] const int ownerKept = ::fchown(fd, st.st_uid, st.st_gid);
        if (::fchmod(fd, st.st_mode & 07777) != 0)
            discard(Reason::CannotSetPermissions);
    }
    if (::fsync(fd) != 0)
        discard(Reason::CannotFlush);
    if (::close(fd) != 0) {
        const int err = errno;
        ::unlink(tmp.c_str());
        Fail(path, Reason::WriteFailed, err);
    }
    return staged;
}

void AtomicFileWriter::Commit(const Staged& staged)
{
    if (::rename(staged.temporary.c_str(), staged.target.c_str()) != 0) {
        const int err = errno;
        ::unlink(staged.temporary.c_str());
        Fail(staged.path, Reason::CannotReplace, err);
    }
    // The rename itself must reach the disk too, or a power cut could bring back the old name.
    const int dir = ::open(FolderOf(staged.target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

void AtomicFileWriter::Discard(const Staged& staged) noexcept
{
    ::unlink(staged.temporary.c_str());
}

void AtomicFileWriter::Write(const QString& path, std::string_view data, const std::function<bool()>& stop)
{
    const Staged staged = Stage(path, [data](int fd) { return WriteAll(fd, data.data(), data.size()); });
    if (stop && stop()) {
        Discard(staged);
        throw IniFileError("Cannot write file " + path.toStdString() + ": stopped before it was replaced");
    }
    Commit(staged);
}
