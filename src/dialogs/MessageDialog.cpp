#include "MessageDialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QString>
#include <QWidget>

#include <array>
#include <utility>
#include <vector>

#include "WindowTexts.h"

namespace {

constexpr std::array<uint32_t, 4> kIcons = {0x30, 0x40, 0x20, 0x10};
constexpr std::array<uint32_t, 7> kButtonStyles = {2, 0x4000, 0, 1, 5, 4, 3};

// The button texts of a Japanese system's message box.
void NameButtonsInJapanese(QMessageBox& box)
{
    using SB = QMessageBox::StandardButton;
    const auto& n = WindowTexts::kButtonNames[0];
    const std::pair<SB, const char*> names[] = {
        {SB::Ok, n[1]},     {SB::Cancel, n[2]}, {SB::Abort, n[3]}, {SB::Retry, n[4]},
        {SB::Ignore, n[5]}, {SB::Yes, n[6]},    {SB::No, n[7]},    {SB::Help, WindowTexts::kHelpButton[0]},
    };
    for (const auto& [button, name] : names)
        if (QAbstractButton* b = box.button(button))
            b->setText(QString::fromUtf8(name));
}

// The window manager draws the caption in its own title bar, beside an icon and its buttons, and
// cuts it short when the box is narrower ("Inf…ion"). Qt sizes the box for its text alone, so a
// spacer across the layout keeps it wide enough for the caption in a bold title font up to a
// quarter larger than the box's own.
constexpr int kTitleBarDecorations = 128;  // the window's icon and three buttons, with spacing

void WidenForCaption(QMessageBox& box)
{
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid || box.windowTitle().isEmpty())
        return;
    QFont title = box.font();
    title.setBold(true);
    if (title.pixelSize() > 0)
        title.setPixelSize(title.pixelSize() * 5 / 4);
    else
        title.setPointSizeF(title.pointSizeF() * 1.25);
    const int width = QFontMetrics(title).horizontalAdvance(box.windowTitle()) + kTitleBarDecorations;
    const QMargins m = grid->contentsMargins();
    grid->addItem(new QSpacerItem(width - m.left() - m.right(), 0, QSizePolicy::Minimum, QSizePolicy::Minimum),
                  grid->rowCount(), 0, 1, grid->columnCount());
}

class MessageBoxPresenter : public MessagePresenter {
public:
    int32_t Present(const MessageRequest& r) override
    {
        QWidget* owner = QApplication::activeWindow();
        QMessageBox box(owner);
        box.setWindowTitle(QString::fromStdString(r.caption));
        box.setTextFormat(Qt::PlainText);  // a file name with "<b>" in it is shown as it is
        box.setText(QString::fromStdString(r.text));
        switch (r.style & 0xF0) {
        case 0x30: box.setIcon(QMessageBox::Warning); break;
        case 0x40: box.setIcon(QMessageBox::Information); break;
        case 0x20: box.setIcon(QMessageBox::Question); break;
        case 0x10: box.setIcon(QMessageBox::Critical); break;
        default: box.setIcon(QMessageBox::NoIcon); break;
        }
        using SB = QMessageBox::StandardButton;
        std::vector<std::pair<SB, int32_t>> buttons;
        switch (r.style & ~0xF0u) {
        case 2: buttons = {{SB::Abort, DialogResult::Abort}, {SB::Retry, DialogResult::Retry}, {SB::Ignore, DialogResult::Ignore}}; break;
        case 0x4000: buttons = {{SB::Ok, DialogResult::Ok}, {SB::Help, DialogResult::Ok}}; break;
        case 1: buttons = {{SB::Ok, DialogResult::Ok}, {SB::Cancel, DialogResult::Cancel}}; break;
        case 5: buttons = {{SB::Retry, DialogResult::Retry}, {SB::Cancel, DialogResult::Cancel}}; break;
        case 4: buttons = {{SB::Yes, DialogResult::Yes}, {SB::No, DialogResult::No}}; break;
        case 3: buttons = {{SB::Yes, DialogResult::Yes}, {SB::No, DialogResult::No}, {SB::Cancel, DialogResult::Cancel}}; break;
        default: buttons = {{SB::Ok, DialogResult::Ok}}; break;
        }
        QMessageBox::StandardButtons set;
        for (auto& b : buttons)
            set |= b.first;
        box.setStandardButtons(set);
        box.setDefaultButton(buttons.front().first);  // the first button is the default
        if (r.language == 0)
            NameButtonsInJapanese(box);
        for (size_t i = 0; i < buttons.size() && i < r.buttonTexts.size(); ++i)
            box.button(buttons[i].first)->setText(QString::fromStdString(r.buttonTexts[i]));
        // The Help button of MB_HELP only asks for help; it does not close the box.
        if (QAbstractButton* help = box.button(SB::Help))
            help->disconnect();
        WidenForCaption(box);
        box.exec();
        const auto clicked = box.standardButton(box.clickedButton());
        for (auto& b : buttons)
            if (b.first == clicked)
                return b.second;
        // Closed by Escape or the close box: the answer a Windows box gives for it.
        for (auto& b : buttons)
            if (b.second == DialogResult::Cancel)
                return DialogResult::Cancel;
        for (auto& b : buttons)
            if (b.second == DialogResult::No || b.second == DialogResult::Ok)
                return b.second;
        return DialogResult::None;
    }
};

MessageBoxPresenter gMessageBox;
MessagePresenter* gPresenter = &gMessageBox;

}  // namespace

MessagePresenter* SetMessagePresenter(MessagePresenter* presenter)
{
    MessagePresenter* previous = gPresenter == &gMessageBox ? nullptr : gPresenter;
    gPresenter = presenter ? presenter : &gMessageBox;
    return previous;
}

MessageRequest MakeMessageRequest(uint8_t kind, uint8_t buttons, const std::string& text, int language)
{
    MessageRequest r;
    r.kind = kind;
    r.buttons = buttons;
    r.text = text;
    r.language = language == 0 ? 0 : 1;
    const uint32_t icon = kind < kIcons.size() ? kIcons[kind] : 0;
    if (kind < kIcons.size())
        r.caption = WindowTexts::kDialogCaptions[language == 0 ? 0 : 1][kind];
    const uint32_t buttonStyle = buttons < kButtonStyles.size() ? kButtonStyles[buttons] : 0;
    r.style = icon + buttonStyle;
    return r;
}

int32_t MessageDialog(uint8_t kind, uint8_t buttons, const std::string& text, int language)
{
    return gPresenter->Present(MakeMessageRequest(kind, buttons, text, language));
}

int32_t MessageDialog(uint8_t kind, uint8_t buttons, const std::string& text, int language,
                      const std::vector<std::string>& buttonTexts)
{
    MessageRequest r = MakeMessageRequest(kind, buttons, text, language);
    r.buttonTexts = buttonTexts;
    return gPresenter->Present(r);
}
