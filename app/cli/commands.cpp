#include "cli.h"

#include <sstream>

namespace qb41::cli {

const std::vector<Command>& Commands() {
    static const std::vector<Command> commands{
        {"new",
         "--model N OUT.hex",
         "write a fresh data set for model N (0-3) as an image file",
         RunNew,
         {"--model"}},
        {"info", "IN.hex", "show the model and a summary of an image file", RunInfo, {}},
    };
    return commands;
}

std::string UsageText() {
    std::ostringstream text;
    text << "usage: qb41-cli COMMAND [ARGS]\n\ncommands:\n";
    for (const Command& command : Commands()) {
        text << "  qb41-cli " << command.name << ' ' << command.synopsis << "\n      "
             << command.summary << '\n';
    }
    text << "\nmodels: 0 TQ4800M, 1 ZH520, 2 ZH540, 3 LW6100\n";
    return text.str();
}

} // namespace qb41::cli
