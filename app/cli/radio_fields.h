// The fields a radio's image differs in from the data set, named as diff
// names them ("CHUSA16.ChTag: RADIO -> FILE  (USA 08 name)"), on stderr
// under the verify line.
#pragma once

#include "cli.h"

#include <cstdint>
#include <vector>

namespace qb41::cli {

// Decodes both the data set's image and `radio` and prints each differing
// field, the radio's value first.
void PrintFieldDifferences(Context& context, const std::vector<std::uint8_t>& radio);

} // namespace qb41::cli
