#pragma once
#include <QString>

#include "TWindowSteps.h"

class FileDialogs;
class QWidget;
struct ModelBank;

// The setting sheet of the editors' bank, in the window's language: printed after the print
// dialog (Ctrl+P), or saved as a PDF chosen in a save dialog (Ctrl+Shift+P).
class TSheetCommands {
public:
    // fileName is the window's file, which titles the sheet; language is the window's, read when used.
    TSheetCommands(QWidget* window, TWindowSteps& steps, const ModelBank& bank, FileDialogs& dialogs,
                   const QString& fileName, const int& language);

    void PrintClick();
    void SaveSheetClick();

private:
    // The setting sheet's title: the settings file's name; empty before there is one.
    QString SheetTitle() const;

    void FocusPanel4() { steps_.FocusPanel4(); }

    QWidget* window_;  // the dialogs' owner
    TWindowSteps& steps_;
    // The window's state, under the window's names.
    const ModelBank& Bank;
    FileDialogs& fileDialogs_;
    const QString& fileName_;
    const int& Language;
};
