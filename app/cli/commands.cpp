#include "cli.h"

#include <sstream>

namespace qb41::cli {

const std::vector<Command>& Commands() {
    static const std::vector<Command> commands{
        {"new",
         "--model N OUT",
         "write a fresh data set for model N (0-3) as an image file (.hex) or data file (.dat)",
         RunNew,
         {"--model"}},
        {"info", "IN.hex", "show the model and a summary of an image file", RunInfo, {}},
        {"convert", "IN OUT [--model N]",
         "load IN (.dat, .hex, .ini) as the program does and save it as OUT (.dat, .hex, .txt)",
         RunConvert, {"--model"}},
        {"report", "IN [-o OUT] [--model N]", "print the report text of IN, or save it as OUT",
         RunReport, {"--model", "-o"}},
        {"read", "--port DEV [--model N] OUT",
         "read the radio on DEV (a device path or COM1-COM4) into OUT (.hex or .dat)", RunRead,
         {"--port", "--model"}},
        {"write", "--port DEV [--model N] IN",
         "program the radio on DEV with IN (.hex, .dat or .ini)", RunWrite, {"--port", "--model"}},
        {"clear", "--port DEV [--model N]",
         "clear the radio's user-MMSI entry counter (image byte 501)", RunClear,
         {"--port", "--model"}},
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
