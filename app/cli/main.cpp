#include "cli.h"

#include "core/errors.h"
#include "core/platform.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <system_error>

namespace qb41::cli {

MessageAnswer StderrNotifier::ask(const Message& message) {
    err_ << message.text << '\n';
    return message.buttons == MessageButtons::YesNo ||
                   message.buttons == MessageButtons::YesNoCancel
               ? MessageAnswer::Yes
               : MessageAnswer::Ok;
}

Arguments::Arguments(const std::vector<std::string>& args, const std::vector<std::string>& valued,
                     const std::vector<std::string>& flags) {
    auto listed = [](const std::vector<std::string>& names, const std::string& name) {
        for (const std::string& n : names)
            if (n == name) return true;
        return false;
    };
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool isOption = !optionsEnded && arg.size() > 1 && arg[0] == '-';
        if (!isOption) {
            operands_.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        std::string name = arg;
        std::optional<std::string> value;
        if (const std::size_t eq = arg.find('=');
            arg.rfind("--", 0) == 0 && eq != std::string::npos) {
            name = arg.substr(0, eq);
            value = arg.substr(eq + 1);
        }
        if (listed(valued, name)) {
            if (!value) {
                if (i + 1 >= args.size()) throw UsageError{"option " + name + " needs a value"};
                value = args[++i];
            }
            options_.emplace_back(name, *value);
        } else if (listed(flags, name) && !value) {
            flags_.push_back(name);
        } else {
            throw UsageError{"unknown option " + arg};
        }
    }
}

std::optional<std::string> Arguments::option(const std::string& name) const {
    std::optional<std::string> value;
    for (const auto& [key, text] : options_)
        if (key == name) value = text;
    return value;
}

std::vector<std::string> Arguments::values(const std::string& name) const {
    std::vector<std::string> values;
    for (const auto& [key, text] : options_)
        if (key == name) values.push_back(text);
    return values;
}

bool Arguments::flag(const std::string& name) const {
    for (const std::string& f : flags_)
        if (f == name) return true;
    return false;
}

bool FlushOutput(Context& context, const char* verb) {
    context.out.flush();
    if (context.out.good() && std::fflush(stdout) == 0 && !std::ferror(stdout)) return true;
    std::cerr << "qb41-cli " << verb << ": cannot write to standard output"
              << (errno != 0 ? ": " + std::generic_category().message(errno) : std::string())
              << '\n';
    return false;
}

std::optional<ModelNumber> Arguments::model() const {
    std::optional<std::string> text = option("--model");
    if (!text) return std::nullopt;
    if (text->size() != 1 || (*text)[0] < '0' || (*text)[0] > '3')
        throw UsageError{"--model must be 0, 1, 2 or 3"};
    return static_cast<ModelNumber>((*text)[0] - '0');
}

} // namespace qb41::cli

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
        Arguments parsed(rest, command->valuedOptions, command->flags);
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
