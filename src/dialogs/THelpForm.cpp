#include "THelpForm.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "TextTable.h"
#include "WindowTexts.h"

namespace {
QString Message(int msg, int language, const std::vector<std::string>& values = {})
{
    return QString::fromStdString(TextTable::ReplaceStars(TextTable::Message(msg, language), values));
}

QLabel* Selectable(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);  // paths are for copying
    label->setWordWrap(true);
    return label;
}
}  // namespace

THelpForm::THelpForm(QWidget* owner, int language, const QString& settingsPath, const QString& historyFolder)
    : QDialog(owner)
{
    setObjectName("HelpForm");
    setWindowTitle(Message(TextTable::kHelpCaption, language));
    auto* layout = new QVBoxLayout(this);

    const QString title = QString::fromUtf8(WindowTexts::kAppTitle);
    const QString version = Message(TextTable::kHelpVersion, language, {VXR_VERSION});
    const QString licence = Message(TextTable::kHelpLicence, language);
    auto* heading = new QLabel(QStringLiteral("<b>%1</b>").arg(title.toHtmlEscaped()), this);
    layout->addWidget(heading);
    layout->addWidget(Selectable(version, this));
    layout->addWidget(Selectable(licence, this));

    // The keys: a heading, then one "key<TAB>what" line each, in two columns.
    QStringList keys = Message(TextTable::kHelpKeys, language).split(u'\n');
    const QString keysHeading = keys.takeFirst();
    layout->addSpacing(8);
    layout->addWidget(new QLabel(QStringLiteral("<b>%1</b>").arg(keysHeading.toHtmlEscaped()), this));
    auto* grid = new QGridLayout;
    for (int row = 0; row < keys.size(); ++row) {
        const QStringList parts = keys[row].split(u'\t');
        grid->addWidget(new QLabel(parts.value(0), this), row, 0, Qt::AlignTop);
        grid->addWidget(Selectable(parts.value(1), this), row, 1);
    }
    grid->setColumnStretch(1, 1);
    layout->addLayout(grid);

    QStringList files = Message(TextTable::kHelpFiles, language, {settingsPath.toStdString(), historyFolder.toStdString()})
                            .split(u'\n');
    const QString filesHeading = files.takeFirst();
    layout->addSpacing(8);
    layout->addWidget(new QLabel(QStringLiteral("<b>%1</b>").arg(filesHeading.toHtmlEscaped()), this));
    layout->addWidget(Selectable(files.join(u'\n'), this));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(Message(TextTable::kCloseButton, language));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    layout->addWidget(buttons);
    setMinimumWidth(520);

    text_ = QStringList{title, version, licence, keysHeading, keys.join(u'\n'), filesHeading, files.join(u'\n')}.join(u'\n');
}
