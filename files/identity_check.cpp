#include "identity_check.h"

#include "data_file_keys.h"
#include "maritime_ids.h"

#include <algorithm>
#include <map>

namespace qb41 {
namespace {

bool Digits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The MID at `at` of `digits`, when it is assigned.
std::optional<std::string> MidProblem(std::string_view digits, std::size_t at,
                                      std::string_view what) {
    const std::string_view mid = digits.substr(at, 3);
    if (FindMaritimeId(std::stoi(std::string(mid)))) return std::nullopt;
    return std::string(what) + " " + std::string(digits) + ": " + std::string(mid) +
           " is not an assigned MID (201-775)";
}

} // namespace

std::string NineDigitMmsi(std::string_view stored) {
    return std::string(stored.substr(0, 9));
}

std::optional<std::string> MmsiIdentityProblem(std::string_view mmsi, StationKind kind) {
    if (mmsi.size() != 9 || !Digits(mmsi)) return "MMSI " + std::string(mmsi) + " is not 9 digits";
    switch (kind) {
    case StationKind::Ship:
        if (mmsi.starts_with("00"))
            return "MMSI " + std::string(mmsi) + " is a coast station's, not a ship's";
        if (mmsi.starts_with('0'))
            return "MMSI " + std::string(mmsi) + " is a group's, not a ship's";
        if (mmsi.starts_with('9'))
            return "MMSI " + std::string(mmsi) +
                   " is not a ship's (9 opens craft and aids to navigation)";
        return MidProblem(mmsi, 0, "ship MMSI");
    case StationKind::Group:
        if (!mmsi.starts_with('0') || mmsi.starts_with("00"))
            return "group MMSI " + std::string(mmsi) + " does not start with 0 and a MID";
        return MidProblem(mmsi, 1, "group MMSI");
    case StationKind::Coast:
        if (!mmsi.starts_with("00"))
            return "coast station MMSI " + std::string(mmsi) + " does not start with 00 and a MID";
        return MidProblem(mmsi, 2, "coast station MMSI");
    }
    return std::nullopt;
}

std::optional<std::string> AtisIdentityProblem(std::string_view code) {
    if (code.size() != 10 || !Digits(code) || code[0] != '9')
        return "ATIS code " + std::string(code) + " is not 10 digits starting with 9";
    return MidProblem(code, 1, "ATIS code");
}

std::vector<IdentityFinding> IdentityFindings(const Records& records) {
    std::vector<IdentityFinding> findings;
    const std::string basic = std::string(datafile::kDscBasicSection);
    if (!records.UserMmsi.empty())
        if (auto p = MmsiIdentityProblem(NineDigitMmsi(records.UserMmsi), StationKind::Ship))
            findings.push_back({basic + ".User MMSI", "the user MMSI: " + *p});
    if (!records.AtisCode.empty())
        if (auto p = AtisIdentityProblem(records.AtisCode))
            findings.push_back({std::string(datafile::kAtisCommonSection) + ".Atis Code", *p});

    const auto directory = [&findings](const std::vector<DirectoryRecord>& entries,
                                       std::string_view name, bool group) {
        std::map<std::string, int> first; // MMSI -> entry that holds it first
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const std::string& stored = entries[i].Mmsid;
            if (stored.empty()) continue;
            const int entry = static_cast<int>(i) + 1;
            const std::string address = std::string(name) + std::to_string(entry) + ".Mmsid";
            const std::string mmsi = group ? stored.substr(0, 9) : NineDigitMmsi(stored);
            std::optional<std::string> problem;
            if (group)
                problem = MmsiIdentityProblem(mmsi, StationKind::Group);
            else if (mmsi.starts_with("00"))
                problem = MmsiIdentityProblem(mmsi, StationKind::Coast);
            else
                problem = MmsiIdentityProblem(mmsi, StationKind::Ship);
            if (problem) findings.push_back({address, *problem});
            auto [it, added] = first.emplace(mmsi, entry);
            if (!added)
                findings.push_back(
                    {address, "MMSI " + mmsi + " is also in entry " + std::to_string(it->second)});
        }
    };
    directory(records.CHMMSID, "CHMMSID", false);
    directory(records.CHGRPID, "CHGRPID", true);
    return findings;
}

} // namespace qb41
