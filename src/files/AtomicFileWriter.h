#pragma once
#include <QByteArray>
#include <QString>

#include <functional>
#include <string>
#include <string_view>

// Replaces a file's content so that a failed or interrupted write leaves the previous file
// whole: the data goes to a temporary file in the same folder, is synced to disk and renamed
// over the target. A symbolic link is followed, so the link stays and its target is replaced.
// A new file gets the usual permissions (0666 less the umask); an existing one keeps its owner
// and mode, and one that may not be written is refused rather than replaced. A writer killed
// midway can leave a hidden temporary file (".name.*.tmp") beside the target, never a torn one.
class AtomicFileWriter {
public:
    // Throws IniFileError naming the file and the reason. `stop`, when given, is asked once the
    // new content is on disk, just before it replaces the file: true abandons the write, removes
    // the temporary file and leaves the old one as it was (a Ctrl-C during a save).
    static void Write(const QString& path, std::string_view data, const std::function<bool()>& stop = {});
    static void Write(const QString& path, const QByteArray& data, const std::function<bool()>& stop = {})
    {
        Write(path, std::string_view(data.constData(), static_cast<size_t>(data.size())), stop);
    }

    // The same in two steps, for content made while it is written (never whole in memory) and
    // for several files that replace their old ones together: Stage writes and syncs the new
    // content under a temporary name beside path, produce writing it to the open descriptor
    // (false: it failed, errno says why); Commit puts it in place; Discard abandons it.
    struct Staged {
        QString path;
        std::string target;     // the file replaced, links followed
        std::string temporary;
    };
    static Staged Stage(const QString& path, const std::function<bool(int fd)>& produce);
    static void Commit(const Staged& staged);
    static void Discard(const Staged& staged) noexcept;
};
