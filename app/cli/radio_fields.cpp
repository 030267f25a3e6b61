#include "radio_fields.h"

#include "files/field_address.h"
#include "image/codec.h"

#include <algorithm>

namespace qb41::cli {

void PrintFieldDifferences(Context& context, const std::vector<std::uint8_t>& radio) {
    const ModelNumber model = context.app.modelNumber;
    DataSet file = context.data;
    DataSet onRadio = context.data;
    std::copy_n(radio.begin(), std::min(radio.size(), onRadio.image.size()), onRadio.image.begin());
    try {
        DecodeImage(file, model);
        DecodeImage(onRadio, model);
    } catch (const std::exception&) {
        return; // the address ranges have said where
    }
    const auto differences =
        DiffFields(ListFields(onRadio.records, model), ListFields(file.records, model));
    for (const FieldDifference& d : differences) context.err << "  " << DifferenceLine(d) << '\n';
}

} // namespace qb41::cli
