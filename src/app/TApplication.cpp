#include "TApplication.h"

#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

#include <exception>

#include "MessageDialog.h"

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

void TApplication::UseLanguage(int language)
{
    auto* app = QCoreApplication::instance();
    if (!app)
        return;
    if (auto* ours = qobject_cast<TApplication*>(app))
        ours->SetLanguage(language);
    // Qt's translations come from the system (Debian: qt6-translations-l10n); without them the
    // dialogs stay English.
    static QPointer<QTranslator> japanese;  // owned by the application object, so gone with it
    if (language == 0 && !japanese) {
        auto* translator = new QTranslator(app);
        if (!translator->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
            delete translator;
            return;
        }
        japanese = translator;
    }
    if (!japanese)
        return;
    // Removing one that is not installed does nothing, so installing never stacks it twice.
    QCoreApplication::removeTranslator(japanese);
    if (language == 0)
        QCoreApplication::installTranslator(japanese);
}

void TApplication::ShowException(const char* what, int language)
{
    MessageDialog(DialogKind::Error, DialogButtons::Ok, what ? what : "", language);
}

bool TApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        ShowException(e.what(), language_);
    } catch (...) {
        ShowException("Unknown error", language_);
    }
    return false;
}
