#include "CliTool.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <exception>

#include "AppSettings.h"
#include "BankReport.h"
#include "DeviceBank.h"
#include "CommXLine.h"
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

// Why a path cannot be read as an input file; "" for a regular file (or a link to one).
// Anything else is refused before it is opened: opening a FIFO waits for a writer, and a
// device or a folder holds no settings.
std::string InputProblem(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return errno == ENOENT ? "no such file" : std::strerror(errno);
    if (S_ISREG(st.st_mode))
        return "";
    if (S_ISDIR(st.st_mode))
        return "not a regular file (a folder)";
    if (S_ISFIFO(st.st_mode))
        return "not a regular file (a FIFO)";
    if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode))
        return "not a regular file (a device)";
    return "not a regular file";
}

// Why a file cannot be written at path, as far as can be told without writing it: the first
// obstacle found, "" when none is.
std::string WhyNotWritable(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            return "it is a folder";
        if (::access(path.c_str(), W_OK) != 0)
            return std::string("it is read-only (") + std::strerror(errno) + ")";
    }
    const QString folder = QFileInfo(FromLocal(path)).absolutePath();
    std::string probe = QFile::encodeName(folder).toStdString() + "/.vxrmgr-cli-XXXXXX";
    const int fd = ::mkostemp(probe.data(), O_CLOEXEC);
    if (fd < 0)
        return std::string("no file can be created in its folder (") + std::strerror(errno) + ")";
    ::close(fd);
    ::unlink(probe.c_str());
    return "";
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

bool CliTool::LoadPins(std::map<int, std::string>& pins)
{
    const std::string& path = options_.settingsPath;
    if (!path.empty() && QFileInfo::exists(FromLocal(path))) {
        const std::string why = InputProblem(path);
        if (!why.empty()) {
            Error(path + ": " + why);
            return false;
        }
    }
    const AppSettings settings = path.empty() ? AppSettings() : AppSettings(FromLocal(path));
    const auto table = settings.LoadPortTable();
    if (!table) {
        Error(settings.Path().toStdString() + ": the application settings file cannot be read");
        return false;
    }
    pins = *table;
    return true;
}

int CliTool::Ports()
{
    std::map<int, std::string> pins;
    if (!LoadPins(pins))
        return kFailed;
    const PortTable table(pins);
    for (const auto& [n, device] : table.Mapping())
        std::fprintf(out_, "COM%-3d %s\n", n, device.empty() ? "(none)" : device.c_str());
    return kOk;
}

bool CliTool::LoadExisting(const std::string& path, ModelBank& bank)
{
    const std::string why = InputProblem(path);
    if (!why.empty()) {
        Error(path + ": " + why);
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

std::string CliTool::SaveTo(const std::string& path, const ModelBank& bank)
{
    try {
        if (SettingsFile::Save(bank, FromLocal(path)) == SettingsFile::SaveResult::Saved)
            return "";
        // The file layer only says that the place cannot be written; find out why.
        const std::string why = WhyNotWritable(path);
        return why.empty() ? "cannot be written" : "cannot be written: " + why;
    } catch (const std::exception& e) {
        return std::string("cannot be written: ") + e.what();
    }
}

int CliTool::RunTransfer(Transfer kind, ModelBank& bank, std::string& said)
{
    std::map<int, std::string> pins;
    if (!LoadPins(pins))
        return kFailed;
    std::string device;
    std::string why;
    if (!SerialPortOpener::Resolve(options_.operands[0], pins, device, &why)) {
        Error(why);
        return kFailed;
    }

    TCommX comm;
    if (!SerialPortOpener::Open(comm, device, options_.timeoutMs, &why)) {
        Error(why);
        return kFailed;
    }

    CommXLine line(comm);
    DeviceExchange exchange(line);
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
    said = reporter.LastMessage();
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
    std::string said;
    const int status = RunTransfer(options_.model ? Transfer::ReadShown : Transfer::ReadAll, bank, said);
    if (status != kOk)
        return status;
    // Success only once the file holds what was read.
    const std::string why = SaveTo(file, bank);
    if (!why.empty()) {
        const std::string what = options_.model ? "MODEL" + std::to_string(*options_.model) + " was"
                                                : "all five models and the current model (MODEL" +
                                                      std::to_string(bank.ShownIndex() + 1) + ") were";
        Error(what + " read from the controller, but " + file + " was not saved: " + why);
        return kFailed;
    }
    std::fprintf(out_, "%s\n", said.c_str());
    return kOk;
}

int CliTool::Write()
{
    ModelBank bank;
    if (!LoadExisting(options_.operands[1], bank))
        return kFailed;
    if (options_.model)
        bank.ModelNumber = (*options_.model - 1) * ModelBank::kModelStep;  // the shown model
    std::string said;
    const int status = RunTransfer(options_.model ? Transfer::WriteShown : Transfer::WriteAll, bank, said);
    if (status == kOk)
        std::fprintf(out_, "%s\n", said.c_str());
    return status;
}

int CliTool::Show()
{
    ModelBank bank;
    if (!LoadExisting(options_.operands[0], bank))
        return kFailed;
    std::fputs((options_.json ? BankReport::Json(bank) : BankReport::Show(bank)).c_str(), out_);
    return kOk;
}

int CliTool::Convert()
{
    ModelBank bank;
    if (!LoadExisting(options_.operands[0], bank))
        return kFailed;
    const std::string why = SaveTo(options_.operands[1], bank);
    if (why.empty())
        return kOk;
    Error(options_.operands[1] + ": " + why);
    return kFailed;
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
