#pragma once
#include <QStringList>
#include <deque>
#include <optional>

#include "FileDialogs.h"

// Chooses files without a window and records what each dialog started with. Choices queued in
// `queue` are taken first, one per dialog; then `next` answers every dialog.
class ScriptedFileDialogs : public FileDialogPresenter {
public:
    ScriptedFileDialogs() { previous_ = FileDialogs::SetPresenter(this); }
    ~ScriptedFileDialogs() override { FileDialogs::SetPresenter(previous_); }

    std::optional<FileChoice> ChooseOpen(QWidget*, const QString& initial) override { return Choose("open", initial); }
    std::optional<FileChoice> ChooseSave(QWidget*, const QString& initial) override { return Choose("save", initial); }
    std::optional<FileChoice> ChooseSheet(QWidget*, const QString& initial) override { return Choose("sheet", initial); }

    std::optional<FileChoice> next;
    std::deque<std::optional<FileChoice>> queue;
    QStringList initialNames;
    QStringList shown;  // "open", "save" or "sheet", one per dialog

private:
    std::optional<FileChoice> Choose(const char* kind, const QString& initial)
    {
        initialNames.push_back(initial);
        shown.push_back(kind);
        if (queue.empty())
            return next;
        // Copied by its parts: g++ 12 takes a copy of the whole optional for uninitialised.
        std::optional<FileChoice> choice;
        if (queue.front())
            choice = FileChoice{queue.front()->path, queue.front()->filterIndex};
        queue.pop_front();
        return choice;
    }
    FileDialogPresenter* previous_ = nullptr;
};
