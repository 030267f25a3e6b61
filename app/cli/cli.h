// The command-line tool. Each verb is one function in a file of its own,
// registered in the table of commands.cpp, which also makes the usage text.
#pragma once

#include "core/app_state.h"
#include "core/clock.h"
#include "core/error_log.h"
#include "core/notifier.h"
#include "core/records.h"

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace qb41::cli {

// Prints messages on stderr as they stand; questions take their first button.
class StderrNotifier : public Notifier {
public:
    explicit StderrNotifier(std::ostream& err) : err_(err) {}
    MessageAnswer ask(const Message& message) override;

private:
    std::ostream& err_;
};

struct Context {
    Context(std::ostream& outStream, std::ostream& errStream)
        : notifier(errStream), out(outStream), err(errStream) {}

    AppState app;
    DataSet data;
    StderrNotifier notifier;
    SystemClock clock;
    ErrorLog log{ExecutableFolder(), false, clock};
    std::ostream& out;
    std::ostream& err;
};

// Parsed arguments of one verb: named options and the remaining operands.
// "--opt value" and "--opt=value" are the same; "-" alone is an operand
// (standard output where a verb accepts it).
class Arguments {
public:
    // `valued` lists options that take a value ("--model", "-o", ...);
    // `flags` the options that take none ("--quick", ...). Anything else
    // starting with "-" is a usage error.
    Arguments(const std::vector<std::string>& args, const std::vector<std::string>& valued,
              const std::vector<std::string>& flags = {});
    std::optional<std::string> option(const std::string& name) const;
    // Every value of an option given more than once ("--port A --port B").
    std::vector<std::string> values(const std::string& name) const;
    bool flag(const std::string& name) const;
    const std::vector<std::string>& operands() const { return operands_; }
    // Model from --model (0..3); nullopt when absent. Throws UsageError when bad.
    std::optional<ModelNumber> model() const;

private:
    std::vector<std::pair<std::string, std::string>> options_;
    std::vector<std::string> flags_;
    std::vector<std::string> operands_;
};

// A wrong command line: main prints the message and the verb's usage, exit 2.
struct UsageError {
    std::string message;
};
// A failure already reported (message on stderr); exit 1.
struct Failed {};

// What an option's value is: the completion script offers its choices.
enum class ValueKind {
    None,    // a flag: no value
    Port,    // a serial port
    Model,   // a model number of the catalogue
    Bank,    // a bank or directory word of the field addresses
    File,    // a file name
    Command, // a verb of this table
};

// One option of a verb. The table of verbs below is its only statement: the
// parser, the help, the man page and the completion script all read it.
struct Option {
    const char* name;      // "--model"
    const char* value;     // what the help calls its value ("N"); nullptr for a flag
    ValueKind kind;        // ValueKind::None exactly for a flag
    const char* text;      // what it does
    const char* byDefault; // its default ("detected from the radio", "off", ...)

    // "--model N", as the help lists it.
    std::string synopsis() const;
};

struct Command {
    const char* name;
    const char* synopsis; // after "qb41-cli NAME "
    const char* summary;
    int (*run)(Context& context, const Arguments& args);
    std::vector<Option> options;
    const char* details; // a paragraph or two for VERB --help
    const char* example; // one command line
    ValueKind operands = ValueKind::File;

    // The names of the options that take a value, and of the flags.
    std::vector<std::string> valuedOptions() const;
    std::vector<std::string> flags() const;
};

const std::vector<Command>& Commands();
const Command* FindCommand(const std::string& name);
std::string UsageText();
// The help of one verb: synopsis, summary, details, options with defaults, example.
std::string CommandHelp(const Command& command);
// "qb41-cli 1.0.0"
std::string VersionText();
// The bash completion script: the verbs, each verb's options and the choices
// of their values, all from the table.
std::string BashCompletion();
// "0 TQ4800M, 1 ZH520, ..." and "0 1 2 3": the catalogue's models.
std::string ModelChoicesText();

// Standard output where the verb writes to it: false (and a message on
// stderr) when the write failed (a full disk, a closed pipe).
bool FlushOutput(Context& context, const char* verb);

// An input loaded as the program loads it (Failed when it cannot be), then
// for a settings file the check's findings printed as warnings. A file that
// lacks sections a complete one has is refused (Failed) or only warned about.
enum class IncompleteFile { Refuse, Warn };
bool LoadInput(Context& context, const char* verb, const std::string& path,
               std::optional<ModelNumber> model, IncompleteFile incomplete);
// Failed, with the reason on stderr, when `path` cannot be saved.
void CheckWritable(Context& context, const char* verb, const std::string& path);
// A file named on the command line (UTF-8 text) as a path: every file function
// takes one, so any name the system allows is opened as written (a
// std::string alone would be read in the ANSI code page on Windows).
std::filesystem::path FilePath(const std::string& argument);
// CR LF line ends made LF, for standard output.
std::string WithLf(const std::string& text);

// Verbs.
int RunNew(Context& context, const Arguments& args);
int RunInfo(Context& context, const Arguments& args);
int RunConvert(Context& context, const Arguments& args);
int RunReport(Context& context, const Arguments& args);
int RunRead(Context& context, const Arguments& args);
int RunWrite(Context& context, const Arguments& args);
int RunClear(Context& context, const Arguments& args);
int RunDetect(Context& context, const Arguments& args);
int RunVerify(Context& context, const Arguments& args);
int RunPorts(Context& context, const Arguments& args);
int RunCheck(Context& context, const Arguments& args);
int RunHelp(Context& context, const Arguments& args);
int RunFields(Context& context, const Arguments& args);
int RunGet(Context& context, const Arguments& args);
int RunSet(Context& context, const Arguments& args);
int RunDiff(Context& context, const Arguments& args);
int RunExport(Context& context, const Arguments& args);
int RunImport(Context& context, const Arguments& args);
int RunFleet(Context& context, const Arguments& args);

} // namespace qb41::cli
