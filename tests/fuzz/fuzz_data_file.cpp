// Any bytes as a settings data file: the model check, the parser, the record
// blocks and writing the result again must neither crash nor hang.
#include "files/data_file_reader.h"
#include "files/data_file_writer.h"
#include "fresh_sets.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

using qb41::fuzz::Fresh;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto model = static_cast<qb41::ModelNumber>(size == 0 ? 0 : data[0] % 4);
    qb41::Records records = Fresh(model).records;
    // The full path, which the model check mostly refuses ...
    qb41::ReadDataFileText(text, records, model);
    // ... and the parser and record blocks on their own.
    qb41::FillRecords(qb41::ParseDataFile(text), records, model);
    // Writing what was read must give a file that loads again; checked on
    // every eighth input, as it costs more than the read itself.
    if (size % 8 != 0) return 0;
    std::string saved = qb41::FormatDataFile(records, model, size % 16 ? ',' : '.');
    qb41::Records again = Fresh(model).records;
    if (!qb41::ReadDataFileText(saved, again, model)) __builtin_trap();
    return 0;
}
