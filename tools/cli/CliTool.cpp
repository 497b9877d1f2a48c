#include "CliTool.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <exception>

#include "AppSettings.h"
#include "BankReport.h"
#include "DeviceBank.h"
#include "DeviceExchange.h"
#include "ModelBank.h"
#include "PortTable.h"
#include "SerialPortOpener.h"
#include "SettingSheet.h"
#include "SettingsFile.h"
#include "TCommX.h"
#include "TerminalReporter.h"
#include "TextTable.h"
#include "TransferOperations.h"

namespace {

constexpr int kEnglish = 1;

QString FromLocal(const std::string& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path));
}

}  // namespace

CliTool::CliTool(CliOptions options, std::FILE* out, std::FILE* err)
    : options_(std::move(options)), out_(out), err_(err)
{
}

void CliTool::Error(const std::string& text)
{
    std::fprintf(err_, "vxrmgr-cli: %s\n", text.c_str());
}

int CliTool::Run()
{
    const std::string& c = options_.command;
    if (c == "help") {
        std::fputs(CliOptions::Usage().c_str(), out_);
        return kOk;
    }
    if (c == "ports")
        return Ports();
    if (c == "read")
        return Read();
    if (c == "write")
        return Write();
    if (c == "show")
        return Show();
    if (c == "convert")
        return Convert();
    if (c == "diff")
        return Diff();
    if (c == "sheet")
        return Sheet();
    std::fputs(CliOptions::Usage().c_str(), err_);
    return kUsage;
}

int CliTool::Ports()
{
    const AppSettings settings =
        options_.settingsPath.empty() ? AppSettings() : AppSettings(FromLocal(options_.settingsPath));
    const PortTable table(settings.LoadPortTable());
    for (const auto& [n, device] : table.Mapping())
        std::fprintf(out_, "COM%-3d %s\n", n, device.empty() ? "(none)" : device.c_str());
    return kOk;
}

bool CliTool::LoadExisting(const std::string& path, ModelBank& bank)
{
    if (!QFileInfo(FromLocal(path)).isFile()) {
        Error(path + ": no such file");
        return false;
    }
    try {
        bank.Initialise();
        SettingsFile::Load(FromLocal(path), bank);
    } catch (const std::exception& e) {
        Error(path + ": cannot read: " + e.what());
        return false;
    }
    return true;
}

bool CliTool::SaveTo(const std::string& path, const ModelBank& bank)
{
    try {
        if (SettingsFile::Save(bank, FromLocal(path)) == SettingsFile::SaveResult::Saved)
            return true;
        Error(path + ": cannot be written");
    } catch (const std::exception& e) {
        Error(path + ": cannot be written: " + e.what());
    }
    return false;
}

int CliTool::RunTransfer(Transfer kind, ModelBank& bank)
{
    const AppSettings settings =
        options_.settingsPath.empty() ? AppSettings() : AppSettings(FromLocal(options_.settingsPath));
    std::string device;
    std::string why;
    if (!SerialPortOpener::Resolve(options_.operands[0], settings.LoadPortTable(), device, &why)) {
        Error(why);
        return kFailed;
    }

    TCommX comm;
    if (!SerialPortOpener::Open(comm, device, options_.timeoutMs, &why)) {
        Error(why);
        return kFailed;
    }

    DeviceExchange exchange(comm);
    DeviceBank staging;
    TerminalReporter reporter(err_);
    TransferOperations ops(exchange, bank, staging, reporter, kEnglish);
    const int shown = options_.model ? *options_.model - 1 : bank.ShownIndex();
    TransferResult result;
    switch (kind) {
    case Transfer::ReadAll:
        result = ops.ReadAll();
        break;
    case Transfer::ReadShown:
        result = ops.ReadShown(shown);
        break;
    case Transfer::WriteAll:
        result = ops.WriteAll();
        break;
    case Transfer::WriteShown:
        result = ops.WriteShown(shown);
        break;
    }
    comm.Close();

    if (!result.ok) {
        Error(reporter.LastMessage() + ": " + result.Describe());
        return kFailed;
    }
    std::fprintf(out_, "%s\n", reporter.LastMessage().c_str());
    return kOk;
}

int CliTool::Read()
{
    const std::string& file = options_.operands[1];
    ModelBank bank;
    bank.Initialise();
    // An existing file is the starting point: its memos (which the controller does not hold)
    // survive a read of all models, and a read of one model changes only that model.
    if (QFileInfo::exists(FromLocal(file)) && !LoadExisting(file, bank))
        return kFailed;
    // Refuse before talking to the controller rather than read and then fail to save.
    if (!QFileInfo(FromLocal(file)).absoluteDir().exists()) {
        Error(file + ": no such folder");
        return kFailed;
    }
    const int status = RunTransfer(options_.model ? Transfer::ReadShown : Transfer::ReadAll, bank);
    if (status != kOk)
        return status;
    return SaveTo(file, bank) ? kOk : kFailed;
}

int CliTool::Write()
{
    ModelBank bank;
    if (!LoadExisting(options_.operands[1], bank))
        return kFailed;
    if (options_.model)
        bank.ModelNumber = (*options_.model - 1) * ModelBank::kModelStep;  // the shown model
    return RunTransfer(options_.model ? Transfer::WriteShown : Transfer::WriteAll, bank);
}

int CliTool::Show()
{
    ModelBank bank;
    if (!LoadExisting(options_.operands[0], bank))
        return kFailed;
    std::fputs(BankReport::Show(bank).c_str(), out_);
    return kOk;
}

int CliTool::Convert()
{
    ModelBank bank;
    if (!LoadExisting(options_.operands[0], bank))
        return kFailed;
    return SaveTo(options_.operands[1], bank) ? kOk : kFailed;
}

int CliTool::Diff()
{
    ModelBank a;
    ModelBank b;
    if (!LoadExisting(options_.operands[0], a) || !LoadExisting(options_.operands[1], b))
        return kUsage;  // diff(1): trouble
    const auto lines = BankReport::Diff(a, b);
    for (const auto& l : lines)
        std::fprintf(out_, "%s\n", l.c_str());
    return lines.empty() ? kOk : kFailed;
}

int CliTool::Sheet()
{
    const std::string& file = options_.operands[0];
    const std::string& sheet = options_.operands[1];
    ModelBank bank;
    if (!LoadExisting(file, bank))
        return kFailed;
    try {
        SettingSheet::Write(FromLocal(sheet), SettingSheet::FormatOf(sheet), bank,
                            options_.language.value_or(SettingSheet::DefaultLanguage()),
                            QFileInfo(FromLocal(file)).fileName());
    } catch (const std::exception& e) {
        Error(e.what());
        return kFailed;
    }
    return kOk;
}
