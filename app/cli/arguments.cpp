// The parsed command line of a verb, the notifier on stderr and the check of
// standard output.
#include "cli.h"

#include "core/errors.h"
#include "core/platform.h"

#include <cerrno>
#include <cstdio>
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
    const std::optional<ModelNumber> model = ParseModelNumber(*text);
    if (!model) throw UsageError{"--model must be 0, 1, 2 or 3"};
    return model;
}

} // namespace qb41::cli
