// The command-line tool. Each verb is one function in a file of its own,
// registered in the table of commands.cpp, which also makes the usage text.
#pragma once

#include "core/app_state.h"
#include "core/clock.h"
#include "core/error_log.h"
#include "core/notifier.h"
#include "core/records.h"

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace qb41::cli {

// Prints messages on stderr as they stand; questions take their first button.
class StderrNotifier : public Notifier {
public:
    MessageAnswer ask(const Message& message) override;
};

struct Context {
    Context(std::ostream& outStream, std::ostream& errStream) : out(outStream), err(errStream) {}

    AppState app;
    DataSet data;
    StderrNotifier notifier;
    SystemClock clock;
    ErrorLog log{ExecutableFolder(), false, clock};
    std::ostream& out;
    std::ostream& err;
};

// Parsed arguments of one verb: named options and the remaining operands.
class Arguments {
public:
    // `valued` lists options that take a value ("--model", "-o", ...).
    Arguments(const std::vector<std::string>& args, const std::vector<std::string>& valued);
    std::optional<std::string> option(const std::string& name) const;
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

struct Command {
    const char* name;
    const char* synopsis; // after "qb41-cli NAME "
    const char* summary;
    int (*run)(Context& context, const Arguments& args);
    std::vector<std::string> valuedOptions;
};

const std::vector<Command>& Commands();
std::string UsageText();

// Verbs.
int RunNew(Context& context, const Arguments& args);
int RunInfo(Context& context, const Arguments& args);
int RunConvert(Context& context, const Arguments& args);
int RunReport(Context& context, const Arguments& args);
int RunRead(Context& context, const Arguments& args);
int RunWrite(Context& context, const Arguments& args);
int RunClear(Context& context, const Arguments& args);

} // namespace qb41::cli
