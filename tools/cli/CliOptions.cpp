#include "CliOptions.h"

#include <charconv>
#include <map>

#include "SerialPortOpener.h"
#include "SettingSheet.h"

namespace {

bool ToInt(const std::string& text, int& value)
{
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end && !text.empty();
}

// Operands each command takes.
const std::map<std::string, size_t>& OperandCounts()
{
    static const std::map<std::string, size_t> counts = {
        {"ports", 0}, {"read", 2}, {"write", 2}, {"show", 1}, {"convert", 2}, {"diff", 2}, {"sheet", 2}, {"help", 0},
    };
    return counts;
}

}  // namespace

bool CliOptions::Parse(const std::vector<std::string>& args, CliOptions& options, std::string* error)
{
    auto fail = [error](const std::string& why) {
        if (error)
            *error = why;
        return false;
    };

    options = CliOptions{};
    bool optionsEnded = false;
    std::vector<std::string> words;
    for (size_t k = 0; k < args.size(); ++k) {
        const std::string& a = args[k];
        if (optionsEnded || a.size() < 2 || a[0] != '-') {
            words.push_back(a);
            continue;
        }
        if (a == "--") {
            optionsEnded = true;
        } else if (a == "-h" || a == "--help") {
            options.command = "help";
            return true;
        } else if (a == "--lang") {
            if (k + 1 >= args.size())
                return fail(a + " needs a value");
            const std::string& v = args[++k];
            if (v != "ja" && v != "en")
                return fail("--lang must be ja or en");
            options.language = v == "ja" ? 0 : 1;
        } else if (a == "--json") {
            options.json = true;
        } else if (a == "--model" || a == "--timeout" || a == "--settings") {
            if (k + 1 >= args.size())
                return fail(a + " needs a value");
            const std::string& v = args[++k];
            if (a == "--settings") {
                options.settingsPath = v;
                continue;
            }
            int n = 0;
            if (!ToInt(v, n))
                return fail(a + ": not a number: " + v);
            if (a == "--model") {
                if (n < 1 || n > 5)
                    return fail("--model must be 1..5");
                options.model = n;
            } else {
                if (n < 1 || n > 600000)
                    return fail("--timeout must be 1..600000 ms");
                options.timeoutMs = n;
            }
        } else {
            return fail("unknown option " + a);
        }
    }

    if (words.empty())
        return fail("no command given");
    options.command = words.front();
    options.operands.assign(words.begin() + 1, words.end());
    const auto it = OperandCounts().find(options.command);
    if (it == OperandCounts().end())
        return fail("unknown command " + options.command);
    if (options.operands.size() != it->second)
        return fail(options.command + " takes " + std::to_string(it->second) + " operand(s)");
    const bool transfer = options.command == "read" || options.command == "write";
    if (options.model && !transfer)
        return fail("--model applies to read and write only");
    if (options.language && options.command != "sheet")
        return fail("--lang applies to sheet only");
    if (options.command == "sheet" && SettingSheet::FormatOf(options.operands[1]) == SettingSheet::Format::kNone)
        return fail(options.operands[1] + ": OUT must end in .pdf or .png");
    if (options.json && options.command != "show")
        return fail("--json applies to show only");
    if (transfer && SerialPortOpener::ComNumber(options.operands[0]) < 0)
        return fail(options.operands[0] + ": PORT must be COM1..COM20 or a device path");
    return true;
}

std::string CliOptions::Usage()
{
    return "Usage: vxrmgr-cli COMMAND [OPTIONS]\n"
           "\n"
           "Commands:\n"
           "  ports                     list COM1..COM20 and the device each opens\n"
           "  read PORT FILE            read all models from the controller and save them to FILE;\n"
           "                            memos of an existing FILE are kept\n"
           "  read PORT FILE --model N  read MODEL N only and merge it into FILE (a new FILE gets\n"
           "                            the defaults for the other models)\n"
           "  write PORT FILE           write all models of FILE; FILE's current model becomes the\n"
           "                            controller's current model\n"
           "  write PORT FILE --model N write MODEL N of FILE only; MODEL N becomes current\n"
           "  show FILE                 print the five models of a settings file\n"
           "  show FILE --json          the same as JSON, for scripts: currentModel (1..5),\n"
           "                            modelNumber, SYS_CUR and models[5], each with model,\n"
           "                            NBRK, BFREQ, VLT, PROG, FRQ[32] and MEMO as stored, and the\n"
           "                            texts shown for them: BFREQText (\"0.964kHz\"), VLTText,\n"
           "                            FRQText[32] (\"9.05kHz\"), FRQSteps[32] (1..52); a value\n"
           "                            outside its table has null there\n"
           "  convert IN OUT            read IN (either layout) and save it in the current layout\n"
           "  diff A B                  print the settings that differ between two files\n"
           "  sheet FILE OUT            draw the five models of FILE on one A4 page: OUT.pdf or\n"
           "                            OUT.png (150 dpi); --lang ja|en, default the locale's\n"
           "\n"
           "PORT is COM1..COM20 (as listed by 'ports') or a device path such as /dev/ttyUSB0.\n"
           "\n"
           "Options:\n"
           "  --model N        model 1..5 for read and write\n"
           "  --timeout MS     wait at most MS milliseconds for each reply (default 7000)\n"
           "  --json           show: print JSON\n"
           "  --settings INI   application settings file naming the devices of COM1..COM20\n"
           "                   (section [Ports], entries COMn=/dev/...; default: VXRMGR.ini\n"
           "                   beside the program if there is one, else\n"
           "                   $XDG_CONFIG_HOME/vxrmgr/VXRMGR.ini, by default ~/.config/vxrmgr/)\n"
           "  --lang ja|en     language of the sheet's texts\n"
           "  -h, --help       this text\n"
           "\n"
           "Exit status: 0 success, 1 the operation failed, 2 usage error.\n"
           "diff: 0 the files hold the same settings, 1 they differ, 2 usage error or a file\n"
           "that cannot be read (the diff(1) convention).\n";
}
