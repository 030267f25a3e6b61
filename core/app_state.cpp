#include "app_state.h"

#include <cctype>

namespace qb41 {

bool IsDiagnosticSwitch(std::string_view commandLine) {
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!commandLine.empty() && blank(commandLine.front())) commandLine.remove_prefix(1);
    while (!commandLine.empty() && blank(commandLine.back())) commandLine.remove_suffix(1);
    return commandLine.size() == 2 && commandLine[0] == '/' &&
           std::toupper(static_cast<unsigned char>(commandLine[1])) == 'D';
}

} // namespace qb41
