// The fields a radio's image differs in from the data set, named as diff
// names them ("CHUSA16.ChTag: RADIO -> FILE  (USA 08 name)"), on stderr
// under the verify line.
#pragma once

#include "cli.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace qb41::cli {

// Decodes both the data set's image and `radio` and prints each differing
// field, the radio's value first.
void PrintFieldDifferences(Context& context, const std::vector<std::uint8_t>& radio);

class LinkSession;
// Reads the radio (the blocks a read keeps) into `radio`; nullopt on success,
// else the exit status after the explanation. (This and the two below are in
// radio_compare.cpp.)
std::optional<int> ReadRadio(Context& context, LinkSession& session,
                             std::vector<std::uint8_t>& radio);
// Compares the write plan's bytes of `radio` with `context.data.image`: the
// ranges and the fields that differ; 0 when they match.
int CompareWithRadio(Context& context, LinkSession& session, const std::vector<std::uint8_t>& radio,
                     const std::string& what);
// The settings of a .dat or .ini file encoded over `base`, the radio's
// contents. False (reason on stderr) when the records cannot be encoded.
bool BuildOver(Context& context, LinkSession& session, std::span<const std::uint8_t> base);

} // namespace qb41::cli
