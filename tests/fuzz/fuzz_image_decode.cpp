// Any bytes as a radio image: decode, encode with the pre-write repairs, and
// the settings data file of what was decoded must neither crash nor hang.
#include "core/errors.h"
#include "files/data_file_reader.h"
#include "files/data_file_writer.h"
#include "fresh_sets.h"
#include "image/codec.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

using qb41::fuzz::Fresh;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const auto model = static_cast<qb41::ModelNumber>(data[0] % 4);
    qb41::DataSet set = Fresh(model);
    std::copy_n(data + 1, std::min(size - 1, set.image.size()), set.image.begin());
    try {
        qb41::DecodeImage(set, model);
    } catch (const qb41::RuntimeError&) {
        return 0; // reported by the operation that decodes
    }
    if (size % 8 == 0) { // what was decoded saves as a file that loads again
        std::string saved = qb41::FormatDataFile(set.records, model, '.');
        qb41::Records again = Fresh(model).records;
        if (!qb41::ReadDataFileText(saved, again, model)) __builtin_trap();
    }
    try {
        qb41::PrepareImageForWrite(set, model);
    } catch (const qb41::RuntimeError&) {
    }
    return 0;
}
