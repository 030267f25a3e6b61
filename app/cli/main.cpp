#include "cli.h"

#include "core/errors.h"

#include <iostream>

namespace qb41::cli {

MessageAnswer StderrNotifier::ask(const Message& message) {
    std::cerr << message.text << '\n';
    return message.buttons == MessageButtons::YesNo ||
                   message.buttons == MessageButtons::YesNoCancel
               ? MessageAnswer::Yes
               : MessageAnswer::Ok;
}

Arguments::Arguments(const std::vector<std::string>& args, const std::vector<std::string>& valued) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        bool isOption = arg.size() > 1 && arg[0] == '-';
        if (!isOption) {
            operands_.push_back(arg);
            continue;
        }
        bool takesValue = false;
        for (const std::string& name : valued) takesValue = takesValue || name == arg;
        if (takesValue) {
            if (i + 1 >= args.size()) throw UsageError{"option " + arg + " needs a value"};
            options_.emplace_back(arg, args[++i]);
        } else {
            flags_.push_back(arg);
        }
    }
    if (!flags_.empty()) throw UsageError{"unknown option " + flags_.front()};
}

std::optional<std::string> Arguments::option(const std::string& name) const {
    std::optional<std::string> value;
    for (const auto& [key, text] : options_)
        if (key == name) value = text;
    return value;
}

bool Arguments::flag(const std::string& name) const {
    for (const std::string& f : flags_)
        if (f == name) return true;
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
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty() || args[0] == "-h" || args[0] == "--help" || args[0] == "help") {
        (args.empty() ? std::cerr : std::cout) << UsageText();
        return args.empty() ? 2 : 0;
    }
    const Command* command = nullptr;
    for (const Command& c : Commands())
        if (args[0] == c.name) command = &c;
    if (!command) {
        std::cerr << "qb41-cli: unknown command '" << args[0] << "'\n" << UsageText();
        return 2;
    }
    Context context(std::cout, std::cerr);
    try {
        Arguments parsed(std::vector<std::string>(args.begin() + 1, args.end()),
                         command->valuedOptions);
        return command->run(context, parsed);
    } catch (const UsageError& e) {
        std::cerr << "qb41-cli " << command->name << ": " << e.message << "\nusage: qb41-cli "
                  << command->name << ' ' << command->synopsis << '\n';
        return 2;
    } catch (const Failed&) {
        return 1;
    } catch (const std::exception& e) {
        std::cerr << "qb41-cli " << command->name << ": " << qb41::ErrorText(e) << '\n';
        return 1;
    }
}
