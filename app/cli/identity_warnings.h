// Identity warnings on stderr, one a line: "qb41-cli VERB: warning: ADDRESS: TEXT".
#pragma once

#include "cli.h"

#include "files/field_address.h"
#include "files/identity_check.h"

namespace qb41::cli {

inline void PrintIdentityWarnings(Context& context, const char* verb,
                                  const std::vector<IdentityFinding>& findings) {
    for (const IdentityFinding& f : findings)
        context.err << "qb41-cli " << verb << ": warning: " << f.address << ": " << f.text << '\n';
}

// The identity warnings of a file, loaded as the program loads it; none when
// it cannot be loaded (the check says why).
std::vector<IdentityFinding> FileIdentityFindings(Context& context, const std::string& path);

// "ADDRESS: VALUE  (label)", as fields prints a field.
std::string FieldLine(const FieldValue& field);

} // namespace qb41::cli
