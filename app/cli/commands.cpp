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

const Option kPort{"--port", "DEV", ValueKind::Port,
                   "the serial port: a device path (/dev/ttyUSB0), a name under /dev "
                   "(ttyUSB0) or COM1-COM4",
                   "required"};
const Option kTrace{"--trace", "FILE", ValueKind::File,
                    "write every byte sent and received, with timestamps, to FILE (for support)",
                    "off"};
const Option kModelDetected{"--model", "N", ValueKind::Model,
                            "the radio's model, 0-3; checked against the radio",
                            "detected from the radio"};
const Option kModelFromFile{"--model", "N", ValueKind::Model, "load the file for model N (0-3)",
                            "the model the file names"};

} // namespace

// A table, one entry per verb: its length is the number of verbs.
// NOLINTNEXTLINE(readability-function-size)
const std::vector<Command>& Commands() {
    static const std::vector<Command> commands{
        {"ports",
         "",
         "list the serial ports found (device, description, USB vendor:product)",
         RunPorts,
         {},
         "Pseudo-terminals (the simulated radio) are not listed; give their path to --port as it "
         "is.",
         "qb41-cli ports"},
        {"detect",
         "--port DEV",
         "read the radio's model code and its copy and name the model",
         RunDetect,
         {kPort, kTrace},
         "Reads four bytes: the model code at 64-65 and its copy at the end of the image.",
         "qb41-cli detect --port /dev/ttyUSB0"},
        {"read",
         "--port DEV [--model N] [--quick] OUT",
         "read the radio on DEV into OUT (.hex image or .dat settings file)",
         RunRead,
         {kPort,
          kModelDetected,
          {"--quick", nullptr, ValueKind::None,
           "read only the blocks whose bytes a read keeps; the result is the same",
           "off (every block)"},
          kTrace},
         "OUT is checked for being writable before the transfer starts.",
         "qb41-cli read --port /dev/ttyUSB0 radio.dat"},
        {"write",
         "--port DEV [--model N] [options] IN",
         "program the radio on DEV with IN (.hex, .dat or .ini), after a backup",
         RunWrite,
         {kPort,
          kModelFromFile,
          {"--no-backup", nullptr, ValueKind::None,
           "skip the backup read before the write (bytes a .dat or .ini does not carry then "
           "take default values)",
           "off (a backup is made)"},
          {"--verify", nullptr, ValueKind::None, "read the radio back afterwards and compare",
           "off"},
          {"--changed-only", nullptr, ValueKind::None,
           "write only the blocks and bytes that differ from the radio (uses the backup read)",
           "off (the whole write plan)"},
          {"--force", nullptr, ValueKind::None,
           "program a settings file that lacks sections or holds values outside their rules "
           "(those become defaults)",
           "off (refused)"},
          kTrace},
         "Before writing, the whole radio is read and saved as a .hex backup "
         "under " QB41_BACKUP_FOLDER_TEXT "; its path is printed. If the "
         "write fails or is cancelled after it started, the command that restores the backup is "
         "printed. A .hex image is programmed exactly as it stands (a backup restores every byte "
         "the write sends); the settings of .dat and .ini files are encoded over the backup read, "
         "so every byte they do not carry keeps the radio's value.",
         "qb41-cli write --port /dev/ttyUSB0 --verify radio.dat"},
        {"verify",
         "--port DEV [--model N] IN",
         "compare the radio with what programming IN would write; exit 0 when they match",
         RunVerify,
         {kPort, kModelFromFile, kTrace},
         "Compares exactly the bytes a write sends and prints the address ranges that differ; the "
         "settings of a .dat or .ini are encoded over the radio's contents, as write does.",
         "qb41-cli verify --port /dev/ttyUSB0 radio.dat"},
        {"clear",
         "--port DEV [--model N] [--no-backup]",
         "clear the radio's user-MMSI entry counter (image byte 501), after a backup",
         RunClear,
         {kPort,
          kModelDetected,
          {"--no-backup", nullptr, ValueKind::None, "skip the backup read before the clear",
           "off (a backup is made)"},
          kTrace},
         "The backup is made as for write.",
         "qb41-cli clear --port /dev/ttyUSB0"},
        {"new",
         "--model N OUT",
         "write a fresh data set for model N (0-3) as an image file (.hex) or data file (.dat)",
         RunNew,
         {{"--model", "N", ValueKind::Model, "the model, 0-3", "required"}},
         "OUT may also be a .txt report.",
         "qb41-cli new --model 3 fresh.dat"},
        {"info",
         "IN.hex",
         "show the model and a summary of an image file",
         RunInfo,
         {},
         "Only image files (.hex, or a destination .ini) carry a model id to show.",
         "qb41-cli info radio.hex"},
        {"check",
         "IN.dat",
         "list unknown sections and keys, bad values, MMSIs, ATIS codes, long names, duplicate "
         "and missing sections, with line numbers; exit 0 only when clean",
         RunCheck,
         {},
         "The file is checked against the model its MODELTYPE names. convert, report and write "
         "print the same findings as warnings.",
         "qb41-cli check radio.dat"},
        {"convert",
         "IN OUT [--model N]",
         "load IN (.dat, .hex, .ini) as the program does and save it as OUT (.dat, .hex, .txt, "
         "or - for the settings file text on standard output)",
         RunConvert,
         {kModelFromFile},
         "Files keep CR LF line ends; standard output gets LF.",
         "qb41-cli convert radio.hex radio.dat"},
        {"report",
         "IN [-o OUT.txt] [--model N]",
         "print the report text of IN, or save it as OUT (.txt, or - for standard output)",
         RunReport,
         {{"-o", "OUT", ValueKind::File, "save the report as OUT (.txt) instead",
           "standard output"},
          kModelFromFile},
         "Files keep CR LF line ends; standard output gets LF.",
         "qb41-cli report radio.dat -o radio.txt"},
        {"fields",
         "FILE [--model N]",
         "list every field of FILE by its address (SECTION.KEY), with its value and a label",
         RunFields,
         {kModelFromFile},
         "An address is the settings file's section and key joined by a dot, as the file writes "
         "them: CHUSA16.ChTag, \"DSC Setup (Basic Setup).User MMSI\". Addresses are matched "
         "without regard to case; a channel or entry may also be named by its number and a "
         "label word: usa:16.name, wx:3.scan, exp:1.rx frequency, individual:2.mmsi. Quote "
         "addresses with blanks in the shell.",
         "qb41-cli fields radio.dat"},
        {"get",
         "FILE ADDRESS...",
         "print the value of each field, one a line",
         RunGet,
         {kModelFromFile},
         "Exit 1 when FILE has no such field.",
         "qb41-cli get radio.dat \"DSC Setup (Basic Setup).User MMSI\" usa:16.name"},
        {"set",
         "FILE ADDRESS=VALUE... [-o OUT]",
         "change fields through the editor's rules and save; all or nothing",
         RunSet,
         {{"-o", "OUT", ValueKind::File, "save the result as OUT (.dat or .hex)",
           "FILE, replaced in place"},
          kModelFromFile},
         "Each value is checked and stored as the window's box for that field does it: flags "
         "0 or 1, list fields the number the file stores, MMSIs as 9 digits (8 for a group) or "
         "as stored. One refused value changes nothing: the field and the rule are named and the "
         "exit status is 1. MMSIs and ATIS codes of an unusual form are warned about.",
         "qb41-cli set radio.dat usa:16.name=CALLING \"CHUSA16.ScanMemory=1\""},
        {"diff",
         "A B",
         "name every field that differs between A and B (.dat, .hex or .ini); exit 0 none, 1 "
         "some, 2 error",
         RunDiff,
         {},
         "Each line reads ADDRESS: A-VALUE -> B-VALUE  (label); a count follows. Each file is "
         "loaded as the program loads it, for the model it names.",
         "qb41-cli diff radio.dat backup.hex"},
        {"export",
         "FILE --bank B OUT.csv",
         "write one bank or directory of FILE as CSV (usa, intl, canada, wx, exp, individual, "
         "group)",
         RunExport,
         {{"--bank", "B", ValueKind::Bank, "usa, intl, canada, wx, exp, individual or group",
           "required"},
          kModelFromFile},
         "The header names the settings file's keys after a first column with the channel or "
         "entry number. UTF-8, comma separated, quoted as RFC 4180 asks; OUT - is standard "
         "output.",
         "qb41-cli export radio.dat --bank usa usa.csv"},
        {"import",
         "FILE --bank B IN.csv [-o OUT]",
         "apply a CSV of one bank or directory to FILE through the editor's rules; all or "
         "nothing",
         RunImport,
         {{"--bank", "B", ValueKind::Bank, "usa, intl, canada, wx, exp, individual or group",
           "required"},
          {"-o", "OUT", ValueKind::File, "save the result as OUT (.dat or .hex)",
           "FILE, replaced in place"},
          kModelFromFile},
         "Every cell is checked as the window checks it; when any is refused nothing is saved "
         "and each refusal is named by line, column and rule (exit 1). Columns may be left out; "
         "rows name their channel or entry in the first column.",
         "qb41-cli import radio.dat --bank usa usa.csv"},
        {"fleet",
         "--template T.dat (--units U.csv | --keep-identity) --port DEV [--port DEV2 ...] "
         "[--log LOG.csv] [--verify]",
         "program the template into many radios, each with its own fields, on several ports at "
         "once",
         RunFleet,
         {{"--template", "T", ValueKind::File, "the settings every radio gets (.dat, .hex or .ini)",
           "required"},
          {"--units", "U.csv", ValueKind::File,
           "one row per radio: a unit column and field addresses as fields prints them "
           "(typically \"DSC Setup (Basic Setup).User MMSI\" and \"ATIS Setup (Common).Atis "
           "Code\"); an empty cell keeps the template's value",
           "required unless --keep-identity"},
          {"--keep-identity", nullptr, ValueKind::None,
           "no units file: every radio that comes keeps its own user MMSI, ATIS code and MMSI "
           "entry counter (from its backup read); the log names it by its MMSI",
           "off"},
          {"--port", "DEV", ValueKind::Port, "a port with a radio on it; give it once per port",
           "required"},
          {"--log", "LOG.csv", ValueKind::File,
           "append one row per unit (unit, port, model, backup, result, seconds); units the log "
           "names as ok are skipped",
           "no log"},
          {"--verify", nullptr, ValueKind::None, "read each radio back after its write and compare",
           "off"},
          kModelFromFile,
          {"--trace", "FILE", ValueKind::File, "trace each port's bytes to FILE.1, FILE.2, ...",
           "off"}},
         "Every row is checked with the editor's rules before any radio is touched; a refused "
         "value, or the same MMSI, ATIS code or unit name on two rows, refuses the whole run. "
         "Then each port waits for a radio in clone mode, checks its model against the "
         "template's, makes the backup as write does, programs the template with the unit's "
         "fields, and asks for the next radio. Ports work in parallel and a failure on one "
         "never stops the others; a failed unit's log row holds the command that restores its "
         "backup. Ctrl+C stops after the current radios, with the log complete. Exit 0 when "
         "every unit is done, 1 when any failed, 130 when stopped with units left.",
         "qb41-cli fleet --template plan.dat --units boats.csv --port /dev/ttyUSB0 --port "
         "/dev/ttyUSB1 --log fleet-log.csv --verify"},
        {"help",
         "[COMMAND]",
         "show the help of COMMAND, or this list",
         RunHelp,
         {},
         "",
         "qb41-cli help write",
         ValueKind::Command},
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
    text << "\nmodels: " << ModelChoicesText()
         << "\noptions take a value as --opt VALUE or --opt=VALUE; --version shows the version\n";
    return text.str();
}

std::string CommandHelp(const Command& command) {
    std::ostringstream text;
    text << "usage: qb41-cli " << command.name << (*command.synopsis ? " " : "") << command.synopsis
         << "\n\n"
         << command.summary << ".\n";
    if (*command.details) text << '\n' << command.details << '\n';
    text << "\noptions:\n";
    for (const Option& option : command.options)
        text << "  " << option.synopsis() << "\n      " << option.text
             << " (default: " << option.byDefault << ")\n";
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
