#pragma once
#include <QByteArray>
#include <QString>

#include <functional>
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
};
