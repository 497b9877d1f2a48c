#include "TSettingsFileDialog.h"

#include <QCoreApplication>
#include <QFileIconProvider>
#include <QFileInfo>

#include "FileDialogs.h"

namespace {

// Icons and type names from what a file is (folder, file, its suffix), never from its content:
// guessing a type by reading blocks for good on /proc/kmsg and the like.
class TypeOnlyIconProvider : public QFileIconProvider {
public:
    QIcon icon(IconType type) const override { return QFileIconProvider::icon(type); }
    QIcon icon(const QFileInfo& info) const override
    {
        if (info.isRoot())
            return icon(Drive);
        return icon(info.isDir() ? Folder : File);
    }
    QString type(const QFileInfo& info) const override
    {
        if (info.isRoot())
            return Translate("Drive");
        if (info.isDir())
            return Translate("Folder");
        if (info.isFile())
            return info.suffix().isEmpty() ? Translate("File") : Translate("%1 File").arg(info.suffix());
        return Translate("Unknown");
    }

private:
    // Qt's Japanese translations hold these type names under the file dialog's context.
    static QString Translate(const char* text) { return QCoreApplication::translate("QFileDialog", text); }
};

// One for every dialog, kept to the end of the program: a dialog's folder model and its worker
// thread may use it until they are gone, and it must not outlive the application's icons in a
// static destructor.
QAbstractFileIconProvider* TypeOnlyIcons()
{
    static auto* provider = new TypeOnlyIconProvider;
    return provider;
}

}  // namespace

TSettingsFileDialog::TSettingsFileDialog(QWidget* owner, AcceptMode mode, const QString& initialName,
                                         const QStringList& filters)
    : QFileDialog(owner)
{
    // The desktop's own dialog would guess types by content, and speaks the desktop's language.
    setOption(DontUseNativeDialog);
    setOption(DontUseCustomDirectoryIcons);
    setIconProvider(TypeOnlyIcons());
    setAcceptMode(mode);
    // Open: the file must exist. Save: any name; the window asks before replacing the file it
    // actually writes, whose extension may differ from the name typed here.
    setFileMode(mode == AcceptOpen ? ExistingFile : AnyFile);
    setOption(DontConfirmOverwrite);
    const QStringList shown = filters.isEmpty() ? FileDialogs::Filters() : filters;
    setNameFilters(shown);
    selectNameFilter(shown.front());
    setSizeGripEnabled(true);
    if (!initialName.isEmpty())
        selectFile(initialName);
}

int TSettingsFileDialog::FilterIndex() const
{
    const auto index = static_cast<int>(FileDialogs::Filters().indexOf(selectedNameFilter()));
    return index < 0 ? 0 : index;
}
