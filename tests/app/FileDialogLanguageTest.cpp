#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include "MainFormHarness.h"
#include "RecordingPresenter.h"

namespace {

// Presses the window's Open or Save button, reads the texts of the file dialog that comes up and
// cancels it.
std::string DialogButtonTexts(QToolButton* button)
{
    QStringList texts;
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        poll.stop();
        // Without the mnemonics, which the dialog sets or not depending on what is selected.
        for (QAbstractButton* b : dialog->findChild<QDialogButtonBox*>()->buttons())
            texts << b->text().remove(QRegularExpression(QStringLiteral("\\(&.\\)"))).remove(QLatin1Char('&'));
        texts.sort();
        // The type column too: the dialog names types by itself, not by the desktop's database.
        auto* model = dialog->findChild<QFileSystemModel*>();
        const QTemporaryDir folder;
        texts << model->type(model->index(folder.path()));
        dialog->reject();
    });
    poll.start();
    button->click();
    return texts.join(QStringLiteral(" | ")).toStdString();
}

}  // namespace

TEST(FileDialogLanguage, QtsOwnDialogsSpeakTheWindowsLanguage)
{
    RecordingPresenter messages;
    const struct {
        const char* argument;
        std::string open;
        std::string save;
    } cases[] = {
        {"-J", "キャンセル | 開く | フォルダ", "キャンセル | 保存 | フォルダ"},
        {"-E", "Cancel | Open | Folder", "Cancel | Save | Folder"},
        {"-J", "キャンセル | 開く | フォルダ", "キャンセル | 保存 | フォルダ"},  // again Japanese after an English window
    };
    for (const auto& c : cases) {
        auto form = MakeMainForm({c.argument});
        EXPECT_EQ(DialogButtonTexts(form->OpenBtn), c.open) << c.argument;
        EXPECT_EQ(DialogButtonTexts(form->SaveBtn), c.save) << c.argument;
    }
}
