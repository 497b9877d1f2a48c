#include "TPortSelection.h"

#include <utility>

#include "AppSettings.h"
#include "ECommError.h"
#include "MessageDialog.h"
#include "PortCauseText.h"
#include "PortTable.h"
#include "TCommX.h"
#include "TPortComboBox.h"
#include "TextTable.h"

TPortSelection::TPortSelection(TPortComboBox* list, TCommX& commX, AppSettings& settings, std::string devDir,
                               const int& language)
    : CommPort(list), CommX1(commX), appSettings_(settings), Language(language), devDir_(std::move(devDir))
{
}

std::string TPortSelection::DeviceOfPort(int32_t portNo) const
{
    if (portNo < 1 || portNo > static_cast<int32_t>(portDevices_.size()))
        return {};
    return portDevices_[static_cast<size_t>(portNo - 1)];
}

void TPortSelection::FillPortList()
{
    CommPort->clear();
    CommPort->addItem(QStringLiteral("OFF"));
    for (int n = 1; n <= PortTable::kPorts; ++n)
        CommPort->addItem(QStringLiteral("COM%1").arg(n));
}

void TPortSelection::ReadPortTable()
{
    // Adapters come and go and the settings file may be edited while the program runs: the
    // numbers follow what is plugged in and pinned at the moment of the choice.
    // A settings file that cannot be read leaves every number without a device.
    const auto pins = appSettings_.LoadPortTable();
    const PortTable table = pins ? PortTable(*pins, PortTable::PresentDevices(devDir_)) : PortTable({}, {});
    portDevices_.clear();
    for (int n = 1; n <= PortTable::kPorts; ++n)
        portDevices_.push_back(table.DeviceFor(n));
}

void TPortSelection::LoadAppSettings()
{
    const int index = appSettings_.LoadAppSettings();
    // An index outside the list leaves it without a choice, which the close-up turns into OFF.
    CommPort->setCurrentIndex(index >= 0 && index < CommPort->count() ? index : -1);
}

void TPortSelection::SaveAppSettings()
{
    appSettings_.SaveAppSettings(CommPort->currentIndex());
}

void TPortSelection::CommPortCloseUp()
{
    if (CommPort->currentIndex() < 0)
        CommPort->setCurrentIndex(0);
    const int n = CommPort->currentIndex();
    if (n == 0) {
        CommX1.Close();
        MessageDialog(DialogKind::Information, DialogButtons::Ok, TextTable::Message(TextTable::kNoConnection, Language),
                      Language);
        return;
    }
    // The list keeps the choice although the port is closed. The component's message itself
    // is not shown; what Linux said about the device is, on a line of its own.
    const auto failed = [this](const OpenCause& cause) {
        std::string text = TextTable::ReplaceStar(TextTable::Message(TextTable::kPortMissing, Language), CommX1.PortNo());
        const std::string line = PortCauseText::Line(cause, Language);
        if (!line.empty())
            text += "\n" + line;
        MessageDialog(DialogKind::Error, DialogButtons::Ok, text, Language);
        CommX1.Close();
    };
    try {
        CommX1.Close();
        ReadPortTable();
        CommX1.SetPortNo(n);
        CommX1.Open();
        CommX1.SetDtr(true);
        CommX1.SetDtr(false);
        CommX1.PurgeReceive();
        CommX1.PurgeTrans();
        MessageDialog(DialogKind::Information, DialogButtons::Ok,
                      TextTable::ReplaceStar(TextTable::Message(TextTable::kPortOk, Language), CommX1.PortNo()), Language);
    } catch (const ECommError& e) {
        failed(e.Cause());
    } catch (...) {
        failed(OpenCause{});
    }
}
