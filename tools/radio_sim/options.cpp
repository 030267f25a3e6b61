#include "options.h"

#include <span>
#include <stdexcept>
#include <string>

namespace qb41::sim {

namespace {

const char* const kHelpStart = R"(usage: qb41-radio-sim [OPTIONS]

A simulated radio in its cloning state, at the far end of a pseudo-terminal.
It prints the pseudo-terminal's path on the first line of standard output and
answers the clone protocol there until it is stopped (Ctrl+C, SIGTERM) or
hangs up. Point the program at that path, e.g.
    qb41-radio-sim --link /tmp/radio &
    qb41-cli read --port /tmp/radio backup.hex

Radio:
)";

const char* const kHelpRest =
    R"(  --load FILE        start from this image file (raw .hex) instead of a fresh
                     image of the model
  --save FILE        write the memory to FILE (raw .hex) on exit
  --code HEX         put this model code (4 hex digits) in both code copies
  --code-copy HEX    put this model code in the back copy only (64-65 keep theirs)

Line:
  --link PATH        also make PATH a symbolic link to the pseudo-terminal
  --pace             run at the real 9600-baud 8N1 rate in both directions:
                     a command counts as received when its last byte would
                     have crossed the wire, and every reply byte is sent on
                     its own absolute deadline (about 1.04 ms a byte)
  --stats FILE       write counters and turnaround times on exit (key=value)
  --quiet            no summary on standard error at exit

Faults (K is a request number counted from 1, or a comma-separated list):
  --garbage K        send bytes that are neither SOH nor ACK before the answer
  --bad-checksum K   corrupt the reply's sum (a write is answered with NAK)
  --wrong-type K     reply with type 13 and a good sum (a write gets NAK)
  --extra-bytes K    send bytes after the reply's CR (or after the ACK)
  --no-reply K       do not answer (and do not carry out) request K
  --hang-up-after K  answer request K, then close the line and exit
  --corrupt-at I     store the byte any write puts at image index I inverted
                     (the write is acknowledged; a read back finds it)
  -h, --help         show this text
  -V, --version      show the version
)";

// "  --model N ... 0 TQ4800M, 1 ZH520 (8 KiB),\n   2 ZH540, 3 LW6100\n": the
// catalogue's models, wrapped under the description column.
std::string ModelHelp() {
    const std::string indent(21, ' ');
    const std::span<const ModelInfo> models = AllModels();
    std::string text = "  --model N          model number 0-" +
                       std::to_string(models.back().number) + " (default " +
                       std::to_string(SimOptions{}.model) + "):";
    std::size_t lineStart = 0;
    for (std::size_t i = 0; i < models.size(); ++i) {
        std::string item =
            std::to_string(models[i].number) + ' ' + std::string(models[i].catalogueName);
        if (models[i].imageSize != static_cast<int>(kImageCapacity))
            item += " (" + std::to_string(models[i].imageSize / 1024) + " KiB)";
        if (i + 1 < models.size()) item += ',';
        if (text.size() - lineStart + 1 + item.size() > 78) {
            text += '\n' + indent;
            lineStart = text.size() - indent.size();
        } else {
            text += ' ';
        }
        text += item;
    }
    return text + '\n';
}

int ParseNumber(const std::string& text, const std::string& option) {
    std::size_t used = 0;
    int value = 0;
    try {
        value = std::stoi(text, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used != text.size() || value < 1)
        throw std::invalid_argument(option + ": bad number " + text);
    return value;
}

std::set<int> ParseList(const std::string& text, const std::string& option) {
    std::set<int> values;
    std::size_t start = 0;
    for (;;) {
        std::size_t comma = text.find(',', start);
        values.insert(ParseNumber(text.substr(start, comma - start), option));
        if (comma == std::string::npos) return values;
        start = comma + 1;
    }
}

std::uint16_t ParseCode(const std::string& text, const std::string& option) {
    std::size_t used = 0;
    unsigned long value = 0;
    try {
        value = std::stoul(text, &used, 16);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used != text.size() || text.size() > 4 || value > 0xFFFF)
        throw std::invalid_argument(option + ": bad model code " + text);
    return static_cast<std::uint16_t>(value);
}

} // namespace

std::optional<SimOptions> ParseOptions(const std::vector<std::string>& args) {
    SimOptions options;
    SimFaults& f = options.faults;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "-h" || arg == "--help") return std::nullopt;
        if (arg == "--pace") {
            options.pace = true;
            continue;
        }
        if (arg == "--quiet") {
            options.quiet = true;
            continue;
        }
        if (i + 1 >= args.size())
            throw std::invalid_argument("unknown option or missing value: " + arg);
        const std::string& value = args[++i];
        if (arg == "--model") {
            const std::optional<ModelNumber> model = ParseModelNumber(value);
            if (!model) throw std::invalid_argument("--model must be 0, 1, 2 or 3");
            options.model = *model;
        } else if (arg == "--load")
            options.load = value;
        else if (arg == "--save")
            options.save = value;
        else if (arg == "--link")
            options.link = value;
        else if (arg == "--stats")
            options.stats = value;
        else if (arg == "--code")
            options.code = ParseCode(value, arg);
        else if (arg == "--code-copy")
            options.codeCopy = ParseCode(value, arg);
        else if (arg == "--garbage")
            f.garbage = ParseList(value, arg);
        else if (arg == "--bad-checksum")
            f.badChecksum = ParseList(value, arg);
        else if (arg == "--wrong-type")
            f.wrongType = ParseList(value, arg);
        else if (arg == "--extra-bytes")
            f.extraBytes = ParseList(value, arg);
        else if (arg == "--no-reply")
            f.noReply = ParseList(value, arg);
        else if (arg == "--hang-up-after")
            f.hangUpAfter = ParseNumber(value, arg);
        else if (arg == "--corrupt-at")
            f.corruptAt = ParseNumber(value, arg);
        else
            throw std::invalid_argument("unknown option " + arg);
    }
    return options;
}

std::string HelpText() {
    return kHelpStart + ModelHelp() + kHelpRest;
}

} // namespace qb41::sim
