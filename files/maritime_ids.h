// The maritime identification digits (MID): the three digits that open a
// ship station's MMSI and name the administration that assigned it. The
// table itself is data (maritime_ids.cpp); identity checks look codes up here.
#pragma once

#include <string_view>

namespace qb41 {

struct MaritimeId {
    int mid;                 // 201..775
    std::string_view region; // the administration or territory
};

// The assigned MID, or nullptr for a number no administration holds.
const MaritimeId* FindMaritimeId(int mid);

} // namespace qb41
