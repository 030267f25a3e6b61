// qb41-destgen OUTDIR [STAMP]: writes the destination default files the
// program ships with, "usa", "intl" and "canada" for each model of the
// catalogue, into OUTDIR (the folder of the executables), then the empty file
// STAMP the build tracks them by. Each is the model's fresh data set turned
// into a regional factory set: the region's channel group is the current one
// and the only usable plan group, DSC works on it, the weather channels of the
// region are enabled (none outside North America, where the weather alert is
// off), and the image is prepared
// exactly as for a write to the radio (encode, reference repair, checksum).
#include "core/errors.h"
#include "files/destination_files.h"
#include "files/file_io.h"
#include "image/codec.h"
#include "image/defaults.h"
#include "image/layout.h"

#include <exception>
#include <iostream>
#include <string>

namespace {

using namespace qb41;

struct Region {
    const char* name;
    int group;           // 0 USA, 1 INTL, 2 Canada
    int weatherChannels; // WX01.. enabled: the North American weather services
};

constexpr Region kRegions[] = {{"usa", 0, 7}, {"intl", 1, 0}, {"canada", 2, 10}};

void ApplyRegion(DataSet& data, const Region& region) {
    Records& records = data.records;
    for (int g = 0; g < 3; ++g) {
        records.UsableGroup[g].Usable = ToVbBool(g == region.group);
        records.DscUsable[g] = ToVbBool(g == region.group);
    }
    for (int w = 0; w < kWeatherChannels; ++w)
        records.CHWX[w].Enable = ToVbBool(w < region.weatherChannels);
    if (region.weatherChannels == 0) records.Common.Weater = 0; // weather alert "OFF"
    data.image[layout::kCurrentGroup] = static_cast<std::uint8_t>(region.group);
}

std::string RegionImage(ModelNumber model, const Region& region) {
    DataSet data;
    MakeFreshDataSet(data, model);
    ApplyRegion(data, region);
    PrepareImageForWrite(data, model);
    return std::string(data.image.begin(), data.image.begin() + ImageSize(model));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::cerr << "usage: qb41-destgen OUTDIR [STAMP]\n";
        return 2;
    }
    try {
        for (const ModelInfo& model : AllModels()) // the Model menu offers every one
            for (const Region& region : kRegions)
                WriteFileAtomically(DestinationFilePath(argv[1], region.name, model.number),
                                    RegionImage(model.number, region));
        if (argc == 3) WriteFileAtomically(argv[2], "");
    } catch (const std::exception& error) {
        std::cerr << "qb41-destgen: " << ErrorText(error) << '\n';
        return 1;
    }
    return 0;
}
