#include "records.h"

#include <utility>

namespace qb41 {

std::vector<ChannelRecord>& Records::bank(Bank which) {
    return const_cast<std::vector<ChannelRecord>&>(std::as_const(*this).bank(which));
}

const std::vector<ChannelRecord>& Records::bank(Bank which) const {
    switch (which) {
    case Bank::CHUSA:
        return CHUSA;
    case Bank::CHINT:
        return CHINT;
    case Bank::CHCAN:
        return CHCAN;
    case Bank::CHWX:
        return CHWX;
    case Bank::CHEXP:
        return CHEXP;
    }
    return CHUSA;
}

const char* BankName(Bank which) {
    switch (which) {
    case Bank::CHUSA:
        return "CHUSA";
    case Bank::CHINT:
        return "CHINT";
    case Bank::CHCAN:
        return "CHCAN";
    case Bank::CHWX:
        return "CHWX";
    case Bank::CHEXP:
        return "CHEXP";
    }
    return "";
}

} // namespace qb41
