// Shared pieces of the link tests: a scratch folder, radio memory that differs
// from a fresh image at every byte, and the regions a program writes, stated
// independently of the write plan's code.
#pragma once

#include "sim_radio.h"
#include "support/scratch.h"

#include "core/model.h"
#include "core/records.h"

#include <filesystem>
#include <string>

namespace qb41::test {

// A radio whose every byte differs from the program's fresh image, carrying
// the model's code in both copies.
inline RadioImage PatternMemory(ModelNumber model) {
    RadioImage memory;
    for (std::size_t i = 0; i < memory.size(); ++i)
        memory[i] = static_cast<std::uint8_t>((i * 7 + 3) & 0xFF);
    const std::uint16_t code = ModelCode(model);
    sim::SetModelCode(memory, ImageLastIndex(model), code, code);
    return memory;
}

// The indices a program operation sends: single bytes 66-127 and 512-559,
// blocks 128-191, 256-511 and 768 up to 13823 or the end of a smaller image.
inline bool ProgramWrites(int index, int lastIndex) {
    if (index > lastIndex) return false;
    return (index >= 66 && index <= 191) || (index >= 256 && index <= 559) ||
           (index >= 768 && index < 13824);
}

} // namespace qb41::test
