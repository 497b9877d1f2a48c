#include "TApplication.h"

#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

#include <exception>

#include "IniFileError.h"
#include "MessageDialog.h"
#include "TextTable.h"

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

void TApplication::ShowException(const std::exception* e, int language)
{
    // A file's failure is told in the user's language; other texts come as they were thrown.
    std::string text = TextTable::Message(TextTable::kUnknownError, language);
    if (const auto* file = dynamic_cast<const IniFileError*>(e))
        text = file->Text(language);
    else if (e)
        text = e->what();
    MessageDialog(DialogKind::Error, DialogButtons::Ok, text, language);
}

bool TApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        ShowException(&e, language_);
    } catch (...) {
        ShowException(nullptr, language_);
    }
    return false;
}
