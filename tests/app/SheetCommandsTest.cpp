// The setting sheet from the window: Save as PDF and Print, of the editors' bank in the window's language.
#include <gtest/gtest.h>

#include <QAction>
#include <QBuffer>
#include <QMenu>
#include <QPrinter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include "MainFormHarness.h"
#include "RecordingPresenter.h"
#include "ScriptedFileDialogs.h"
#include "SettingSheet.h"
#include "TextTable.h"

namespace {

// Prints to a PDF file instead of asking; no printer: cancelled.
class PdfPrinterDialogs : public ScriptedFileDialogs {
public:
    bool ChoosePrinter(QWidget*, QPrinter& printer) override
    {
        shown.push_back("print");
        if (printTo.isEmpty())
            return false;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(printTo);
        return true;
    }
    QString printTo;
};

// A PDF without the moment it was made, which differs between two runs.
QByteArray Timeless(QByteArray pdf)
{
    return QString::fromLatin1(pdf).remove(QRegularExpression(QStringLiteral("/CreationDate \\([^)]*\\)"))).toLatin1();
}

QString PdfPages(const QByteArray& pdf)
{
    return QRegularExpression(QStringLiteral("/Count\\s+(\\d+)")).match(QString::fromLatin1(pdf)).captured(1);
}

class SheetCommands : public ::testing::Test {
protected:
    void Start(const char* language)
    {
        form = MakeMainForm({language});
        form->show();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
        // A file in use names the sheet; a memo long enough for a second page.
        dialogs.next = FileChoice{In("setup.VXS"), 0};
        Key(Qt::Key_S, Qt::ControlModifier);
        for (int k = 0; k < 60; ++k)
            form->Bank.models[2].MEMO += "lap " + std::to_string(k) + "\r\n";
        messages.requests.clear();
    }
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers) { QTest::keyClick(form.get(), key, modifiers); }
    QString In(const char* name) const { return dir.filePath(name); }
    QByteArray Expected() const
    {
        QByteArray pdf;
        QBuffer buffer(&pdf);
        buffer.open(QIODevice::WriteOnly);
        SettingSheet::WritePdf(buffer, form->Bank, form->Language, QStringLiteral("setup.VXS"));
        return pdf;
    }

    QTemporaryDir dir;
    RecordingPresenter messages;
    PdfPrinterDialogs dialogs;
    std::unique_ptr<TMainForm> form;
};

}  // namespace

TEST_F(SheetCommands, SaveAsPdfWritesTheEditorsSheetAndAsksBeforeReplacingTheFileWritten)
{
    for (const char* language : {"-E", "-J"}) {
        Start(language);
        dialogs.next = FileChoice{In("sheet"), 0};
        Key(Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
        EXPECT_EQ(dialogs.initialNames.back(), In("setup.pdf"));  // named after the file in use
        const QByteArray pdf = ReadBytes(In("sheet.pdf"));
        EXPECT_EQ(Timeless(pdf), Timeless(Expected()));
        EXPECT_EQ(PdfPages(pdf), "2");
        EXPECT_TRUE(messages.requests.empty());

        // "sheet" again names sheet.pdf, which is there: asked about it; No offers the dialog again.
        messages.answers.push_back(DialogResult::No);
        messages.onPresent = [this](const MessageRequest&) { dialogs.next.reset(); };  // then cancelled
        form->Bank.models[2].MEMO.clear();
        form->SheetMenu()->findChild<QAction*>("SavePdfAction")->trigger();
        ASSERT_EQ(messages.requests.size(), 1U);
        EXPECT_NE(messages.requests[0].text.find("sheet.pdf"), std::string::npos);
        EXPECT_EQ(ReadBytes(In("sheet.pdf")), pdf);
        EXPECT_EQ(dialogs.initialNames.back(), In("sheet.pdf"));
        EXPECT_EQ(dialogs.shown.mid(dialogs.shown.size() - 2), (QStringList{"sheet", "sheet"}));
        messages.onPresent = nullptr;
        form.reset();
        QFile::remove(In("sheet.pdf"));
    }
}

TEST_F(SheetCommands, ASheetNotSavedSaysSoNamingTheFileAndWhy)
{
    Start("-J");
    dialogs.next = FileChoice{In("gone/sheet.pdf"), 0};
    Key(Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_EQ(messages.requests.size(), 1U);
    EXPECT_EQ(messages.requests[0].kind, DialogKind::Error);
    const std::string& text = messages.requests[0].text;
    EXPECT_EQ(text.rfind(TextTable::Message(TextTable::kSheetNotSaved, 0) + "\n", 0), 0U) << text;
    EXPECT_NE(text.find("sheet.pdf"), std::string::npos) << text;
    EXPECT_FALSE(QFileInfo::exists(In("gone")));
}

TEST_F(SheetCommands, CtrlPPrintsTheSheetAfterThePrintDialog)
{
    Start("-E");
    Key(Qt::Key_P, Qt::ControlModifier);  // cancelled
    EXPECT_EQ(dialogs.shown.back(), "print");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"setup.VXS"});

    dialogs.printTo = In("printed.pdf");
    form->SheetMenu()->findChild<QAction*>("PrintAction")->trigger();
    // On an A4 printer as the PDF saved, named after the file in use.
    EXPECT_EQ(Timeless(ReadBytes(In("printed.pdf"))), Timeless(Expected()));
    EXPECT_TRUE(messages.requests.empty());
}
