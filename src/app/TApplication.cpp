#include "TApplication.h"

#include <exception>

#include "MessageDialog.h"

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

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
