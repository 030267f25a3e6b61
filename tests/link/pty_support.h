// The pseudo-terminal tests' simulator: qb41-radio-sim with its files in a
// scratch folder of its own (made before the simulator starts).
#pragma once

#include "sim_process.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qb41::link {

struct SimFolder {
    test::ScratchDir folder;
};

class Simulator : private SimFolder, public sim::SimProcess {
public:
    Simulator(ModelNumber model, const RadioImage& memory, std::vector<std::string> options = {})
        : SimProcess(QB41_RADIO_SIM, model, memory, folder.path(), options) {}
    void stop() { EXPECT_EQ(SimProcess::stop(), 0); }
};

} // namespace qb41::link
