// What the read, write and clear verbs share: the port and model options, the
// QSerialPort transport on the main thread, the progress bar on stderr and
// Ctrl+C as the Cancel button.
#pragma once

#include "cli.h"

#include "link/clone_link.h"

#include <functional>
#include <string>

namespace qb41::cli {

// --port DEV (a device path or COM1..COM4, required) and --model N.
struct LinkArguments {
    std::string device;
    std::optional<ModelNumber> model; // the verbs default to 2, the program's default
};
LinkArguments ParseLinkArguments(const Arguments& args);

// Runs `operation` against the port with progress on stderr; Ctrl+C cancels
// it as the Cancel button would. Returns the exit status: 0 done, 1 failed,
// 130 cancelled. `verb` prefixes the tool's own lines ("read", "write", ...).
int RunTransfer(Context& context, const std::string& device, const char* verb,
                const std::function<link::LinkStatus(link::CloneLink&)>& operation);

} // namespace qb41::cli
