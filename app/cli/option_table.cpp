// What the table of verbs gives the parser and the completion script.
#include "cli.h"

#include "core/model.h"
#include "files/field_address.h"

#include <sstream>

namespace qb41::cli {

namespace {

std::string Joined(const std::vector<std::string>& words) {
    std::string text;
    for (const std::string& word : words) text += (text.empty() ? "" : " ") + word;
    return text;
}

std::vector<std::string> OptionNames(const Command& command, bool valued) {
    std::vector<std::string> names;
    for (const Option& option : command.options)
        if ((option.value != nullptr) == valued) names.emplace_back(option.name);
    return names;
}

std::vector<std::string> ModelNumbers() {
    std::vector<std::string> numbers;
    for (const ModelInfo& model : AllModels()) numbers.push_back(std::to_string(model.number));
    return numbers;
}

std::vector<std::string> BankChoices() {
    std::vector<std::string> words;
    for (const BankWord& bank : BankWords()) words.emplace_back(bank.word);
    return words;
}

// The options of the table whose value is of `kind`, as one case pattern
// ("-o|--trace|--log").
std::string OptionsOfKind(ValueKind kind) {
    std::vector<std::string> names;
    for (const Command& command : Commands())
        for (const Option& option : command.options) {
            if (option.kind != kind) continue;
            bool listed = false;
            for (const std::string& name : names) listed = listed || name == option.name;
            if (!listed) names.emplace_back(option.name);
        }
    std::string pattern;
    for (const std::string& name : names) pattern += (pattern.empty() ? "" : "|") + name;
    return pattern;
}

// The completion of an option's value, one case of `case $prev`.
void ValueCase(std::ostream& script, ValueKind kind, const std::string& reply) {
    const std::string pattern = OptionsOfKind(kind);
    if (pattern.empty()) return;
    script << "    " << pattern << ")\n        COMPREPLY=(" << reply << ")\n        return ;;\n";
}

} // namespace

std::string Option::synopsis() const {
    return value ? std::string(name) + ' ' + value : std::string(name);
}

std::vector<std::string> Command::valuedOptions() const {
    return OptionNames(*this, true);
}

std::vector<std::string> Command::flags() const {
    return OptionNames(*this, false);
}

std::string ModelChoicesText() {
    std::string text;
    for (const ModelInfo& model : AllModels())
        text += (text.empty() ? "" : ", ") + std::to_string(model.number) + ' ' +
                std::string(model.catalogueName);
    return text;
}

std::string BashCompletion() {
    std::vector<std::string> verbs;
    for (const Command& command : Commands()) verbs.emplace_back(command.name);
    std::ostringstream script;
    script << "# bash completion for qb41-cli (made from the program's table of verbs)\n"
              "_qb41_cli() {\n"
              "    local cur prev verb\n"
              "    cur=${COMP_WORDS[COMP_CWORD]}\n"
              "    prev=${COMP_WORDS[COMP_CWORD-1]}\n"
              "    verb=${COMP_WORDS[1]}\n"
              "    local verbs=\""
           << Joined(verbs)
           << "\"\n"
              "    if [ \"$COMP_CWORD\" -eq 1 ]; then\n"
              "        COMPREPLY=($(compgen -W \"$verbs --help --version\" -- \"$cur\"))\n"
              "        return\n"
              "    fi\n"
              "    case $prev in\n";
    ValueCase(script, ValueKind::Port,
              "$(compgen -f -- \"${cur:-/dev/tty}\") $(compgen -W \"COM1 COM2 COM3 COM4\" -- "
              "\"$cur\")");
    ValueCase(script, ValueKind::Model,
              "$(compgen -W \"" + Joined(ModelNumbers()) + "\" -- \"$cur\")");
    ValueCase(script, ValueKind::File, "$(compgen -f -- \"$cur\")");
    ValueCase(script, ValueKind::Bank,
              "$(compgen -W \"" + Joined(BankChoices()) + "\" -- \"$cur\")");
    script << "    esac\n"
              "    local options=\"--help\"\n"
              "    case $verb in\n";
    for (const Command& command : Commands()) {
        std::vector<std::string> names;
        for (const Option& option : command.options) names.emplace_back(option.name);
        if (command.operands == ValueKind::Command)
            script << "    " << command.name
                   << ") COMPREPLY=($(compgen -W \"$verbs\" -- \"$cur\")); return ;;\n";
        else if (!names.empty())
            script << "    " << command.name << ") options+=\" " << Joined(names) << "\" ;;\n";
    }
    script << "    esac\n"
              "    if [[ $cur == -* ]]; then\n"
              "        COMPREPLY=($(compgen -W \"$options\" -- \"$cur\"))\n"
              "    else\n"
              "        COMPREPLY=($(compgen -f -X '!*.@(dat|hex|ini|txt|csv|DAT|HEX|INI|TXT|CSV)' "
              "-- \"$cur\") $(compgen -d -- \"$cur\"))\n"
              "    fi\n"
              "}\n"
              "complete -F _qb41_cli qb41-cli\n";
    return script.str();
}

} // namespace qb41::cli
