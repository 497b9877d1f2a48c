#include "CliTool.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cerrno>
#include <cstring>
#include <exception>

#include "AppSettings.h"
#include "BankReport.h"
#include "EditingSession.h"
#include "CommXLine.h"
#include "DeviceExchange.h"
#include "HistoryLabels.h"
#include "HistoryStore.h"
#include "IniDocument.h"
#include "IniFileError.h"
#include "ModelBank.h"
#include "PortTable.h"
#include "SerialPortOpener.h"
#include "SettingSheet.h"
#include "SettingsFile.h"
#include "StopSignals.h"
#include "SettingsFileIo.h"
#include "TCommX.h"
#include "TerminalReporter.h"
#include "TransferHistory.h"
#include "TransferOperations.h"

namespace {

// The window's message of a failed transfer without the lines this tool words itself.
std::string FirstLine(const std::string& message)
{
    return message.substr(0, message.find('\n'));
}

QString FromLocal(const std::string& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path));
}

bool IsStdStream(const std::string& operand)
{
    return operand == CliOptions::kStdStream;
}

}  // namespace

CliTool::CliTool(CliOptions options, int defaultLanguage, std::FILE* out, std::FILE* err, std::FILE* in)
    : options_(std::move(options)), language_(options_.Language(defaultLanguage)), out_(out), err_(err), in_(in),
      output_(out)
{
}

std::string CliTool::Text(CliText::Id id, const std::vector<std::string>& values) const
{
    return CliText::Get(id, language_, values);
}

void CliTool::Error(const std::string& text)
{
    std::fprintf(err_, "vxrmgr-cli: %s\n", text.c_str());
}

int CliTool::Run()
{
    return FinishOutput(Dispatch());
}

int CliTool::Dispatch()
{
    const std::string& c = options_.command;
    if (c == "help" || c == "version") {
        Print(c == "help" ? CliOptions::Usage(language_) : CliOptions::Version());
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
    if (c == "history")
        return History();
    Error(Text(CliText::kUnknownCommand, {c}));
    return kUsage;
}

void CliTool::Print(const std::string& text)
{
    output_.Write(text);
}

int CliTool::FinishOutput(int status)
{
    const int err = output_.Finish();
    if (err == 0)
        return status;
    Error(Text(CliText::kStdout, {std::strerror(err)}));
    // For diff, 1 says "the files differ": trouble is 2.
    return options_.command == "diff" ? kUsage : kFailed;
}

std::string CliTool::NameOf(const std::string& operand) const
{
    return IsStdStream(operand) ? Text(CliText::kStdin) : operand;
}

// Anything but a regular file is refused before it is opened: opening a FIFO waits for a
// writer, and a device or a folder holds no settings.
std::string CliTool::InputProblem(const std::string& path) const
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return errno == ENOENT ? Text(CliText::kNoSuchFile) : std::strerror(errno);
    if (S_ISREG(st.st_mode))
        return "";
    if (S_ISDIR(st.st_mode))
        return Text(CliText::kNotRegularFolder);
    if (S_ISFIFO(st.st_mode))
        return Text(CliText::kNotRegularFifo);
    if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode))
        return Text(CliText::kNotRegularDevice);
    return Text(CliText::kNotRegular);
}

std::string CliTool::WhyNotWritable(const std::string& path) const
{
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            return Text(CliText::kIsFolder);
        if (!S_ISREG(st.st_mode))
            return InputProblem(path);
        if (::access(path.c_str(), W_OK) != 0)
            return Text(CliText::kReadOnly, {std::strerror(errno)});
    }
    // Root passes every permission test, yet cannot create a file in /sys or on a read-only
    // disk: only creating one tells.
    const QString folder = QFileInfo(FromLocal(path)).absolutePath();
    std::string probe = QFile::encodeName(folder).toStdString() + "/.vxrmgr-cli-XXXXXX";
    const int fd = ::mkostemp(probe.data(), O_CLOEXEC);
    if (fd < 0)
        return Text(CliText::kCannotCreate, {std::strerror(errno)});
    ::close(fd);
    ::unlink(probe.c_str());
    return "";
}

int CliTool::LoadPins(std::map<int, std::string>& pins)
{
    const std::string& path = options_.settingsPath;
    // A file named on the command line must be there: without it every COM number would
    // silently be some other device.
    if (!path.empty()) {
        const std::string why = InputProblem(path);
        if (!why.empty()) {
            Error(path + ": " + why);
            return kUsage;
        }
    }
    const AppSettings settings = path.empty() ? AppSettings() : AppSettings(FromLocal(path));
    const auto table = settings.LoadPortTable();
    if (!table) {
        Error(Text(CliText::kSettingsUnreadable, {QFile::encodeName(settings.Path()).toStdString()}));
        return path.empty() ? kFailed : kUsage;
    }
    pins = *table;
    return kOk;
}

int CliTool::Ports()
{
    std::map<int, std::string> pins;
    if (const int status = LoadPins(pins); status != kOk)
        return status;
    const PortTable table(pins);
    for (const auto& [n, device] : table.Mapping())
        std::fprintf(out_, "COM%-3d %s\n", n, device.empty() ? Text(CliText::kNone).c_str() : device.c_str());
    return kOk;
}

bool CliTool::LoadInput(const std::string& operand, ModelBank& bank)
{
    std::string bytes;
    if (IsStdStream(operand)) {
        // Read up to one byte beyond the largest settings file, so that the reader refuses it.
        char buffer[65536];
        size_t n = 0;
        while (static_cast<int64_t>(bytes.size()) <= IniDocument::kMaxFileSize &&
               (n = std::fread(buffer, 1, sizeof buffer, in_)) > 0)
            bytes.append(buffer, n);
        if (std::ferror(in_)) {
            Error(Text(CliText::kCannotRead, {NameOf(operand), std::strerror(errno)}));
            return false;
        }
    } else {
        const std::string why = InputProblem(operand);
        if (!why.empty()) {
            Error(operand + ": " + why);
            return false;
        }
    }
    try {
        bank.Initialise();
        size_t replaced = 0;
        if (IsStdStream(operand))
            replaced = SettingsFile::FromBytes(bytes, bank, NameOf(operand));
        else
            replaced = SettingsFileIo::Load(FromLocal(operand), bank);
        // Damaged bytes: the rest of the file is loaded, but a memo may have lost characters.
        if (replaced > 0)
            Error(Text(CliText::kCharactersReplaced, {NameOf(operand)}));
    } catch (const std::exception& e) {
        Error(Text(CliText::kCannotRead, {NameOf(operand), ReasonOf(e)}));
        return false;
    }
    return true;
}

std::string CliTool::ReasonOf(const std::exception& e) const
{
    const auto* file = dynamic_cast<const IniFileError*>(&e);
    if (!file || file->reason == IniFileError::Reason::Other)
        return e.what();
    return IniFileError::ReasonText(file->reason, file->limit, file->detail, language_);
}

std::string CliTool::SaveTo(const std::string& path, const ModelBank& bank)
{
    if (StopSignals::Requested())
        return Text(CliText::kNotSavedStopped);
    try {
        if (SettingsFileIo::Save(bank, FromLocal(path), [] { return StopSignals::Requested(); }) ==
            SettingsFileIo::SaveResult::Saved)
            return "";
        // The file layer only says that the place cannot be written; find out why.
        const std::string why = WhyNotWritable(path);
        return why.empty() ? Text(CliText::kCannotBeWritten) : Text(CliText::kCannotBeWrittenBecause, {why});
    } catch (const std::exception& e) {
        return Text(CliText::kCannotBeWrittenBecause, {ReasonOf(e)});
    }
}

CliTool::Outcome CliTool::RunTransfer(Transfer kind, ModelBank& bank, const std::map<int, std::string>& pins)
{
    Outcome outcome;
    std::string device;
    std::string why;
    if (!SerialPortOpener::Resolve(options_.operands[0], pins, device, &why, language_)) {
        Error(why);
        return outcome;
    }

    // From here Ctrl-C stops the transfer between two frames instead of ending the process.
    StopSignals::Install();
    TCommX comm;
    bool opened = false;
    {
        const StopSignals::BlockedInNewThreads blocked;  // the serial workers never take them
        opened = SerialPortOpener::Open(comm, device, options_.timeoutMs, &why, language_);
    }
    if (!opened) {
        Error(why);
        return outcome;
    }

    CommXLine line(comm);
    DeviceExchange exchange(line);
    EditingSession session(language_);
    session.Open(bank);
    TerminalReporter reporter(err_, language_, options_.quiet);
    TransferOperations ops(exchange, session.Bank(), session.Staging(), reporter, language_);
    ops.SetStopRequest([] { return StopSignals::Requested(); });
    const int shown = options_.model ? *options_.model - 1 : bank.ShownIndex();
    session.BeginTransfer();
    switch (kind) {
    case Transfer::ReadAll:
        outcome.result = ops.ReadAll();
        break;
    case Transfer::ReadShown:
        outcome.result = ops.ReadShown(shown);
        break;
    case Transfer::WriteAll:
        outcome.result = ops.WriteAll();
        break;
    case Transfer::WriteShown:
        outcome.result = ops.WriteShown(shown);
        break;
    }
    comm.Close();
    bank = session.Bank();
    static constexpr TransferHistory::Kind kKinds[] = {TransferHistory::Kind::ReadAll, TransferHistory::Kind::ReadShown,
                                                       TransferHistory::Kind::WriteAll,
                                                       TransferHistory::Kind::WriteShown};
    KeepInHistory(session.Transferred(kKinds[static_cast<int>(kind)], shown, outcome.result, ops.ControllerBefore(),
                                      options_.operands[0], EditingSession::NowMs()));
    outcome.ran = true;
    outcome.message = reporter.LastMessage();
    outcome.interrupted = !outcome.result.ok && outcome.result.failure.cause == ExchangeFailure::Cause::Interrupted;
    return outcome;
}

void CliTool::KeepInHistory(const TransferHistory::Transfer& t)
{
    try {
        HistoryStore(HistoryStore::DefaultFolder()).AddTransfer(t);
    } catch (const std::exception& e) {
        Error(Text(CliText::kHistoryNotKept, {ReasonOf(e)}));
    }
}

int CliTool::History()
{
    const HistoryStore store(HistoryStore::DefaultFolder());
    const std::vector<std::string>& ops = options_.operands;
    if (ops.empty()) {
        const std::vector<HistoryStore::Item> items = store.List();
        auto models = [](uint8_t mask) {
            std::vector<int> list;
            for (int i = 0; i < ModelBank::kModels; ++i)
                if (mask & (1u << i))
                    list.push_back(i + 1);
            return list;
        };
        if (options_.json) {
            QJsonArray array;
            for (const auto& item : items) {
                QJsonArray changed;
                for (int m : models(item.changed))
                    changed.append(m);
                QJsonObject o;
                o.insert(QStringLiteral("id"), static_cast<qint64>(item.id));
                o.insert(QStringLiteral("time"), QString::fromStdString(HistoryEntry::IsoTime(item.timeMs)));
                o.insert(QStringLiteral("action"), QString::fromStdString(std::string(HistoryEntry::ActionName(item.action))));
                o.insert(QStringLiteral("model"), item.model < 0 ? QJsonValue(QJsonValue::Null) : QJsonValue(item.model + 1));
                o.insert(QStringLiteral("port"), QString::fromStdString(item.port));
                o.insert(QStringLiteral("name"), QString::fromStdString(item.name));
                o.insert(QStringLiteral("models"), changed);
                o.insert(QStringLiteral("memo"), QString::fromStdString(item.memoLine));
                array.append(o);
            }
            Print(QJsonDocument(array).toJson(QJsonDocument::Compact).toStdString() + "\n");
            return kOk;
        }
        if (items.empty())
            Print(Text(CliText::kHistoryEmpty) + "\n");
        for (const auto& item : items) {
            std::string action(HistoryEntry::ActionName(item.action));
            if (item.model >= 0)
                action += " " + std::to_string(item.model + 1);
            std::string line = std::to_string(item.id) + "  " + HistoryLabels::Time(item.timeMs) + "  " + action + "  " +
                               item.port + "  [" + HistoryLabels::Models(item.changed) + "]";
            if (!item.name.empty())
                line += "  \"" + item.name + "\"";
            if (!item.memoLine.empty())
                line += "  " + item.memoLine;
            Print(line + "\n");
        }
        return kOk;
    }

    const std::string& sub = ops[0];
    const int64_t id = CliOptions::HistoryId(ops[1]).value_or(0);
    if (sub == "delete") {
        if (!store.Delete(id)) {
            Error(Text(CliText::kNoHistoryEntry, {ops[1]}));
            return kFailed;
        }
        std::fprintf(out_, "%s\n", Text(CliText::kHistoryDeleted, {ops[1]}).c_str());
        return kOk;
    }
    if (sub == "name") {
        try {
            if (!store.SetName(id, ops[2])) {
                Error(Text(CliText::kNoHistoryEntry, {ops[1]}));
                return kFailed;
            }
        } catch (const std::exception& e) {
            Error(ReasonOf(e));
            return kFailed;
        }
        const bool named = !HistoryEntry::OneLine(ops[2]).empty();
        std::fprintf(out_, "%s\n", Text(named ? CliText::kHistoryNamed : CliText::kHistoryUnnamed, {ops[1]}).c_str());
        return kOk;
    }
    // export ID FILE
    const std::optional<HistoryEntry> entry = store.Load(id);
    std::optional<ModelBank> bank = entry ? entry->Bank() : std::nullopt;
    if (!bank) {
        Error(Text(CliText::kNoHistoryEntry, {ops[1]}));
        return kFailed;
    }
    const std::string& target = ops[2];
    if (IsStdStream(target)) {
        Print(entry->settings);
        return kOk;
    }
    if (const std::string why = SaveTo(target, *bank); !why.empty()) {
        Error(target + ": " + why);
        return kFailed;
    }
    return kOk;
}

int CliTool::ReportFailure(const Outcome& t)
{
    // A value out of range: the message names it, and nothing was sent.
    if (t.result.step == TransferResult::Step::RangeCheck) {
        Error(t.message);
        return kFailed;
    }
    // The first line of the window's message, the step and its cause; then what a write left
    // on the controller, as the window says it.
    Error(FirstLine(t.message) + ": " + t.result.Describe(language_));
    if (const std::string summary = t.result.WriteSummary(language_); !summary.empty())
        Error(summary);
    return t.interrupted ? StopSignals::ExitStatus() : kFailed;
}

int CliTool::Read()
{
    // The port's settings first: a --settings file that is not there is a usage error.
    std::map<int, std::string> pins;
    if (const int status = LoadPins(pins); status != kOk)
        return status;
    const std::string& file = options_.operands[1];
    ModelBank bank;
    bank.Initialise();
    // An existing file is the starting point: its memos (which the controller does not hold)
    // survive a read of all models, and a read of one model changes only that model.
    if (QFileInfo::exists(FromLocal(file)) && !LoadInput(file, bank))
        return kFailed;
    // Refuse before talking to the controller rather than read and then fail to save.
    if (!QFileInfo(FromLocal(file)).absoluteDir().exists()) {
        Error(file + ": " + Text(CliText::kNoSuchFolder));
        return kFailed;
    }
    if (const std::string why = WhyNotWritable(file); !why.empty()) {
        Error(file + ": " + Text(CliText::kCannotBeWrittenBecause, {why}));
        return kFailed;
    }
    const Transfer kind = options_.model ? Transfer::ReadShown : Transfer::ReadAll;
    const Outcome t = RunTransfer(kind, bank, pins);
    if (!t.ran)
        return kFailed;
    // Read all has put the five models into the bank before it writes the model number back;
    // when only that last step fails they are kept, as the window keeps them.
    // A stop asked for keeps the file as it was.
    const bool numberBackFailed = !t.result.ok && !t.interrupted && kind == Transfer::ReadAll &&
                                  t.result.step == TransferResult::Step::WriteModelNumber;
    if (!t.result.ok && !numberBackFailed)
        return ReportFailure(t);
    // Success only once the file holds what was read.
    if (const std::string why = SaveTo(file, bank); !why.empty()) {
        if (StopSignals::Requested()) {
            Error(file + ": " + Text(CliText::kNotSavedStopped));
            return StopSignals::ExitStatus();
        }
        Error(options_.model
                  ? Text(CliText::kReadButNotSavedOne, {std::to_string(*options_.model), file, why})
                  : Text(CliText::kReadButNotSavedAll, {std::to_string(bank.ShownIndex() + 1), file, why}));
        if (numberBackFailed)
            Error(FirstLine(t.message) + ": " + t.result.Describe(language_));
        return kFailed;
    }
    if (numberBackFailed) {
        Error(FirstLine(t.message) + ": " + Text(CliText::kSavedButNumberFailed, {t.result.failure.Describe(language_)}));
        return kFailed;
    }
    std::fprintf(out_, "%s\n", t.message.c_str());
    return kOk;
}

int CliTool::Write()
{
    std::map<int, std::string> pins;
    if (const int status = LoadPins(pins); status != kOk)
        return status;
    ModelBank bank;
    if (!LoadInput(options_.operands[1], bank))
        return kFailed;
    if (options_.model)
        bank.ModelNumber = (*options_.model - 1) * ModelBank::kModelStep;  // the shown model
    const Outcome t = RunTransfer(options_.model ? Transfer::WriteShown : Transfer::WriteAll, bank, pins);
    if (!t.ran)
        return kFailed;
    if (!t.result.ok)
        return ReportFailure(t);
    std::fprintf(out_, "%s\n", t.message.c_str());
    return kOk;
}

int CliTool::Show()
{
    ModelBank bank;
    if (!LoadInput(options_.operands[0], bank))
        return kFailed;
    Print(options_.json ? BankReport::Json(bank) : BankReport::Show(bank, language_));
    return kOk;
}

int CliTool::Convert()
{
    const std::string& target = options_.operands[1];
    ModelBank bank;
    if (!LoadInput(options_.operands[0], bank))
        return kFailed;
    if (IsStdStream(target)) {
        const std::string bytes = SettingsFile::ToBytes(bank);
        IniFileError::Reason why{};
        int64_t limit = 0;
        if (!IniDocument::IsReadable(bytes, &why, &limit)) {
            Error(Text(CliText::kStdout,
                       {Text(CliText::kCannotBeWrittenBecause, {IniFileError::ReasonText(why, limit, {}, language_)})}));
            return kFailed;
        }
        Print(bytes);
        return kOk;
    }
    // A stop during the save keeps the old file and leaves no temporary one.
    StopSignals::Install();
    const std::string why = SaveTo(target, bank);
    if (why.empty())
        return kOk;
    if (StopSignals::Requested()) {
        Error(target + ": " + Text(CliText::kNotSavedStopped));
        return StopSignals::ExitStatus();
    }
    Error(target + ": " + why);
    return kFailed;
}

int CliTool::Diff()
{
    ModelBank a;
    ModelBank b;
    if (!LoadInput(options_.operands[0], a) || !LoadInput(options_.operands[1], b))
        return kUsage;  // diff(1): trouble
    const auto lines = BankReport::Diff(a, b);
    if (options_.json) {
        Print(BankReport::DiffJson(a, b));
    } else {
        for (const auto& l : lines)
            Print(l + "\n");
    }
    return lines.empty() ? kOk : kFailed;
}

int CliTool::Sheet()
{
    const std::string& file = options_.operands[0];
    const std::string& sheet = options_.operands[1];
    ModelBank bank;
    if (!LoadInput(file, bank))
        return kFailed;
    const QString title = IsStdStream(file) ? QString::fromStdString(NameOf(file)) : QFileInfo(FromLocal(file)).fileName();
    StopSignals::Install();
    try {
        SettingSheet::Write(FromLocal(sheet), SettingSheet::FormatOf(sheet), bank, language_, title,
                            [] { return StopSignals::Requested(); });
    } catch (const std::exception& e) {
        if (StopSignals::Requested()) {
            Error(sheet + ": " + Text(CliText::kNotSavedStopped));
            return StopSignals::ExitStatus();
        }
        const auto* file = dynamic_cast<const IniFileError*>(&e);
        Error(file ? file->Text(language_) : e.what());
        return kFailed;
    }
    return kOk;
}
