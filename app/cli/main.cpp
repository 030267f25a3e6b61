#include "cli.h"

#include "core/errors.h"
#include "core/platform.h"

#include <iostream>

int main(int argc, char** argv) {
    using namespace qb41::cli;
    qb41::platform::UseUtf8Console();
    const std::vector<std::string> commandLine = qb41::platform::CommandLine(argc, argv);
    std::vector<std::string> args(commandLine.begin() + (commandLine.empty() ? 0 : 1),
                                  commandLine.end());
    Context context(std::cout, std::cerr);
    if (args.empty()) {
        std::cerr << UsageText();
        return 2;
    }
    if (args[0] == "--version" || args[0] == "-V") {
        std::cout << VersionText() << '\n';
        return FlushOutput(context, "--version") ? 0 : 1;
    }
    if (args[0] == "-h" || args[0] == "--help") {
        std::cout << UsageText();
        return FlushOutput(context, "--help") ? 0 : 1;
    }
    const Command* command = FindCommand(args[0]);
    if (!command) {
        std::cerr << "qb41-cli: unknown command '" << args[0] << "'\n" << UsageText();
        return 2;
    }
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    for (const std::string& arg : rest) {
        if (arg == "--") break;
        if (arg == "-h" || arg == "--help") {
            std::cout << CommandHelp(*command);
            return FlushOutput(context, command->name) ? 0 : 1;
        }
    }
    try {
        Arguments parsed(rest, command->valuedOptions(), command->flags());
        int status = command->run(context, parsed);
        if (!FlushOutput(context, command->name)) return 1;
        return status;
    } catch (const UsageError& e) {
        std::cerr << "qb41-cli " << command->name << ": " << e.message << "\nusage: qb41-cli "
                  << command->name << ' ' << command->synopsis << "\n(qb41-cli " << command->name
                  << " --help explains every option)\n";
        return 2;
    } catch (const Failed&) {
        FlushOutput(context, command->name);
        return 1;
    } catch (const std::exception& e) {
        std::cerr << "qb41-cli " << command->name << ": " << qb41::ErrorText(e) << '\n';
        return 1;
    }
}
