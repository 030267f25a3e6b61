// Why a run of the clone link did not complete and what to do next, in plain
// words: the one home of these texts for the window's message boxes and the
// command-line tool's lines.
//
// A window box keeps its fixed message ("Communication Error!!", ...) as its
// first line and adds the cause and the next step below it; the command-line
// tool prints the cause after its "qb41-cli VERB: " prefix and the next step
// indented under it. The two differ only where the way to act differs (the
// window's Options > SerialPort, the tool's --port and 'qb41-cli ports').
#pragma once

#include "outcome.h"

#include "core/model.h"
#include "core/platform.h"

#include <optional>
#include <string>

namespace qb41::link {

enum class Audience { Window, CommandLine };

// Why a port would not open, found on the device itself (core/platform.h).
using PortDiagnosis = platform::PortDiagnosis;
using PortCause = platform::PortDiagnosis::Kind;
inline PortDiagnosis DiagnosePort(const std::string& device) {
    return platform::DiagnosePort(device);
}

struct ExplainContext {
    Audience audience = Audience::Window;
    std::string device;
    // The model the program works with, and whether it came from the file
    // being written (else it is the one selected).
    ModelNumber model = 2;
    bool modelFromFile = false;
    // PortUnavailable only: the diagnosis, made by the caller (DiagnosePort).
    std::optional<PortDiagnosis> port;
};

struct Explanation {
    std::string cause;    // one line: "the radio did not answer on /dev/ttyUSB0 (...)"
    std::string nextStep; // what to do; may hold line breaks
};

// Nothing for a completed run.
Explanation Explain(const LinkOutcome& outcome, const ExplainContext& context);

// "LW6100 (17D4)"; "an unknown model (ABCD)".
std::string CodeName(std::uint16_t code);
std::string ModelWithCode(ModelNumber model);

// The model a run's model check found the radio to carry, when it is a known
// one other than `selected` and both copies agree (or only the front was read).
std::optional<ModelNumber> ReportedModel(const LinkOutcome& outcome, ModelNumber selected);

// The window's box: the fixed message on the first line, then the cause and
// the next step, each on a line of its own.
std::string WindowText(const std::string& message, const Explanation& explanation);

} // namespace qb41::link
