#include "cli.h"

#include <sstream>

#ifndef QB41_VERSION
#define QB41_VERSION "unknown"
#endif

namespace qb41::cli {

namespace {

// Where write and clear save the backup, as the user finds it.
#if defined(_WIN32)
#define QB41_BACKUP_FOLDER_TEXT "%LOCALAPPDATA%\\QB41\\backups"
#elif defined(__APPLE__)
#define QB41_BACKUP_FOLDER_TEXT "~/Library/Application Support/QB41/backups"
#else
#define QB41_BACKUP_FOLDER_TEXT "$XDG_DATA_HOME/QB41/backups (~/.local/share/QB41/backups)"
#endif

const OptionHelp kPort{"--port DEV",
                       "the serial port: a device path (/dev/ttyUSB0), a name under /dev "
                       "(ttyUSB0) or COM1-COM4",
                       "required"};
const OptionHelp kTrace{
    "--trace FILE", "write every byte sent and received, with timestamps, to FILE (for support)",
    "off"};
const OptionHelp kModelDetected{"--model N", "the radio's model, 0-3; checked against the radio",
                                "detected from the radio"};
const OptionHelp kModelFromFile{"--model N", "load the file for model N (0-3)",
                                "the model the file names"};

} // namespace

const std::vector<Command>& Commands() {
    static const std::vector<Command> commands{
        {"ports",
         "",
         "list the serial ports found (device, description, USB vendor:product)",
         RunPorts,
         {},
         {},
         {},
         "Pseudo-terminals (the simulated radio) are not listed; give their path to --port as it "
         "is.",
         "qb41-cli ports"},
        {"detect",
         "--port DEV",
         "read the radio's model code and its copy and name the model",
         RunDetect,
         {"--port", "--trace"},
         {},
         {kPort, kTrace},
         "Reads four bytes: the model code at 64-65 and its copy at the end of the image.",
         "qb41-cli detect --port /dev/ttyUSB0"},
        {"read",
         "--port DEV [--model N] [--quick] OUT",
         "read the radio on DEV into OUT (.hex image or .dat settings file)",
         RunRead,
         {"--port", "--model", "--trace"},
         {"--quick"},
         {kPort,
          kModelDetected,
          {"--quick", "read only the blocks whose bytes a read keeps; the result is the same",
           "off (every block)"},
          kTrace},
         "OUT is checked for being writable before the transfer starts.",
         "qb41-cli read --port /dev/ttyUSB0 radio.dat"},
        {"write",
         "--port DEV [--model N] [options] IN",
         "program the radio on DEV with IN (.hex, .dat or .ini), after a backup",
         RunWrite,
         {"--port", "--model", "--trace"},
         {"--no-backup", "--verify", "--changed-only", "--force"},
         {kPort,
          kModelFromFile,
          {"--no-backup", "skip the backup read before the write", "off (a backup is made)"},
          {"--verify", "read the radio back afterwards and compare", "off"},
          {"--changed-only",
           "write only the blocks and bytes that differ from the radio (uses the backup read)",
           "off (the whole write plan)"},
          {"--force", "program a settings file that lacks sections (they become defaults)",
           "off (refused)"},
          kTrace},
         "Before writing, the whole radio is read and saved as a .hex backup "
         "under " QB41_BACKUP_FOLDER_TEXT "; its path is printed. If the "
         "write fails or is cancelled after it started, the command that restores the backup is "
         "printed. A .hex image is programmed exactly as it stands (a backup restores every byte "
         "the write sends); .dat and .ini files go through the settings.",
         "qb41-cli write --port /dev/ttyUSB0 --verify radio.dat"},
        {"verify",
         "--port DEV [--model N] IN",
         "compare the radio with what programming IN would write; exit 0 when they match",
         RunVerify,
         {"--port", "--model", "--trace"},
         {},
         {kPort, kModelFromFile, kTrace},
         "Compares exactly the bytes a write sends and prints the address ranges that differ.",
         "qb41-cli verify --port /dev/ttyUSB0 radio.dat"},
        {"clear",
         "--port DEV [--model N] [--no-backup]",
         "clear the radio's user-MMSI entry counter (image byte 501), after a backup",
         RunClear,
         {"--port", "--model", "--trace"},
         {"--no-backup"},
         {kPort,
          kModelDetected,
          {"--no-backup", "skip the backup read before the clear", "off (a backup is made)"},
          kTrace},
         "The backup is made as for write.",
         "qb41-cli clear --port /dev/ttyUSB0"},
        {"new",
         "--model N OUT",
         "write a fresh data set for model N (0-3) as an image file (.hex) or data file (.dat)",
         RunNew,
         {"--model"},
         {},
         {{"--model N", "the model, 0-3", "required"}},
         "OUT may also be a .txt report.",
         "qb41-cli new --model 3 fresh.dat"},
        {"info",
         "IN.hex",
         "show the model and a summary of an image file",
         RunInfo,
         {},
         {},
         {},
         "Only image files (.hex, or a destination .ini) carry a model id to show.",
         "qb41-cli info radio.hex"},
        {"check",
         "IN.dat",
         "list unknown sections and keys, bad values, MMSIs, ATIS codes, long names, duplicate "
         "and missing sections, with line numbers; exit 0 only when clean",
         RunCheck,
         {},
         {},
         {},
         "The file is checked against the model its MODELTYPE names. convert, report and write "
         "print the same findings as warnings.",
         "qb41-cli check radio.dat"},
        {"convert",
         "IN OUT [--model N]",
         "load IN (.dat, .hex, .ini) as the program does and save it as OUT (.dat, .hex, .txt, "
         "or - for the settings file text on standard output)",
         RunConvert,
         {"--model"},
         {},
         {kModelFromFile},
         "Files keep CR LF line ends; standard output gets LF.",
         "qb41-cli convert radio.hex radio.dat"},
        {"report",
         "IN [-o OUT.txt] [--model N]",
         "print the report text of IN, or save it as OUT (.txt, or - for standard output)",
         RunReport,
         {"--model", "-o"},
         {},
         {{"-o OUT", "save the report as OUT (.txt) instead", "standard output"}, kModelFromFile},
         "Files keep CR LF line ends; standard output gets LF.",
         "qb41-cli report radio.dat -o radio.txt"},
        {"help",
         "[COMMAND]",
         "show the help of COMMAND, or this list",
         RunHelp,
         {},
         {},
         {},
         "",
         "qb41-cli help write"},
    };
    return commands;
}

const Command* FindCommand(const std::string& name) {
    for (const Command& c : Commands())
        if (name == c.name) return &c;
    return nullptr;
}

std::string UsageText() {
    std::ostringstream text;
    text << "usage: qb41-cli COMMAND [ARGS]\n       qb41-cli COMMAND --help\n\ncommands:\n";
    for (const Command& command : Commands()) {
        text << "  qb41-cli " << command.name << (*command.synopsis ? " " : "") << command.synopsis
             << "\n      " << command.summary << '\n';
    }
    text << "\nmodels: 0 TQ4800M, 1 ZH520, 2 ZH540, 3 LW6100\n"
            "options take a value as --opt VALUE or --opt=VALUE; --version shows the version\n";
    return text.str();
}

std::string CommandHelp(const Command& command) {
    std::ostringstream text;
    text << "usage: qb41-cli " << command.name << (*command.synopsis ? " " : "") << command.synopsis
         << "\n\n"
         << command.summary << ".\n";
    if (*command.details) text << '\n' << command.details << '\n';
    text << "\noptions:\n";
    for (const OptionHelp& option : command.options)
        text << "  " << option.name << "\n      " << option.text << " (default: " << option.value
             << ")\n";
    text << "  -h, --help\n      show this help\n";
    text << "\nexample:\n  " << command.example << '\n';
    return text.str();
}

std::string VersionText() {
    return std::string("qb41-cli ") + QB41_VERSION;
}

// qb41-cli help [COMMAND]
int RunHelp(Context& context, const Arguments& args) {
    if (args.operands().empty()) {
        context.out << UsageText();
        return 0;
    }
    const Command* command = FindCommand(args.operands()[0]);
    if (!command) throw UsageError{"unknown command '" + args.operands()[0] + "'"};
    context.out << CommandHelp(*command);
    return 0;
}

} // namespace qb41::cli
