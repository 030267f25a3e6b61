// Shared fixtures of the files tests: a scratch folder and a fresh data set.
// The operations here return their outcome as data; the messages, flags and
// log lines made from it are tested with the edge (tests/editor).
#pragma once

#include "core/app_state.h"
#include "files/file_outcome.h"
#include "image/defaults.h"
#include "support/scratch.h"

#include <filesystem>
#include <string>

namespace qb41::test {

// A fresh data set for `model` and a scratch folder for its files.
struct Harness {
    explicit Harness(ModelNumber model) : model(model) {
        app.modelNumber = model;
        MakeFreshDataSet(data, model);
    }

    ScratchDir dir;
    ModelNumber model;
    AppState app;
    DataSet data;
};

} // namespace qb41::test
