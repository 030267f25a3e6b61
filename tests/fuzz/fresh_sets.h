// A fresh data set per model, made once: every fuzz input starts from one.
#pragma once

#include "image/defaults.h"

#include <array>

namespace qb41::fuzz {

inline const DataSet& Fresh(ModelNumber model) {
    static const std::array<DataSet, 4> sets = [] {
        std::array<DataSet, 4> made;
        for (ModelNumber m = 0; m < 4; ++m) MakeFreshDataSet(made[static_cast<std::size_t>(m)], m);
        return made;
    }();
    return sets[static_cast<std::size_t>(model)];
}

} // namespace qb41::fuzz
