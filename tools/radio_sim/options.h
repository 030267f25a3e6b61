// Command line of qb41-radio-sim.
#pragma once

#include "sim_radio.h"

#include "core/model.h"

#include <optional>
#include <string>
#include <vector>

namespace qb41::sim {

struct SimOptions {
    ModelNumber model = 2;
    std::string load;  // image file to start from; empty: a fresh image
    std::string save;  // where the memory goes on exit
    std::string link;  // symlink to the pseudo-terminal
    std::string stats; // where the counters go on exit
    bool pace = false;
    bool quiet = false;
    std::optional<std::uint16_t> code;     // model code in both copies
    std::optional<std::uint16_t> codeCopy; // model code in the back copy only
    SimFaults faults;
};

std::string HelpText();

// Throws std::invalid_argument with a message for a bad command line;
// nullopt when help was asked for.
std::optional<SimOptions> ParseOptions(const std::vector<std::string>& args);

} // namespace qb41::sim
