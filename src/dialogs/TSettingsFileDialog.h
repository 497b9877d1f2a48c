#pragma once
#include <QFileDialog>

// The open or save dialog of the settings file: the filter and options of both dialogs, Qt's
// own dialog rather than the desktop's, and nothing that reads a file's content while the user
// browses, so /proc, /sys, /dev, named pipes and huge folders never stop the window.
class TSettingsFileDialog : public QFileDialog {
    Q_OBJECT
public:
    // filters: the settings file's unless others are given (the first preselected).
    TSettingsFileDialog(QWidget* owner, AcceptMode mode, const QString& initialName, const QStringList& filters = {});

    // The chosen filter: 0 "*.VXS", 1 "*.*".
    int FilterIndex() const;
};
