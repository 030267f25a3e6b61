#include "cli.h"

#include "image/codec.h"
#include "image/defaults.h"
#include "image/layout.h"
#include "image/primitives.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace qb41::cli {
namespace {

// The model whose id words and image size the bytes carry.
std::optional<ModelNumber> DetectModel(const std::string& bytes) {
    for (ModelNumber model = 0; model <= 3; ++model) {
        if (!ImageLengthMatches(model, bytes.size())) continue;
        auto word = [&](std::size_t at) {
            return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) << 8 |
                                              static_cast<unsigned char>(bytes[at + 1]));
        };
        if (ModelIdMatches(model, word(layout::kModelIdFront), word(bytes.size() - 2)))
            return model;
    }
    return std::nullopt;
}

int CountEnabled(const std::vector<ChannelRecord>& bank) {
    int n = 0;
    for (const ChannelRecord& record : bank) n += record.Enable != 0;
    return n;
}

int CountEnabled(const std::vector<DirectoryRecord>& directory) {
    int n = 0;
    for (const DirectoryRecord& entry : directory) n += entry.Enable != 0;
    return n;
}

} // namespace

// qb41-cli info IN.hex
int RunInfo(Context& context, const Arguments& args) {
    if (args.operands().size() != 1) throw UsageError{"expected one image file"};
    const std::string& path = args.operands()[0];
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        context.err << "qb41-cli info: cannot read " << path << '\n';
        throw Failed{};
    }
    file.seekg(0, std::ios::end);
    std::streamoff length = file.tellg();
    if (length != 8192 && length != 16384) {
        context.err << "qb41-cli info: " << path << " is not an image file (" << length
                    << " bytes)\n";
        throw Failed{};
    }
    file.seekg(0);
    std::string bytes(static_cast<std::size_t>(length), '\0');
    file.read(bytes.data(), length);
    std::optional<ModelNumber> model = DetectModel(bytes);
    if (!model) {
        context.err << "qb41-cli info: " << path << " carries no known model id\n";
        throw Failed{};
    }
    DataSet& data = context.data;
    MakeFreshDataSet(data, *model);
    std::copy(bytes.begin(), bytes.end(), data.image.begin());
    DecodeImage(data, *model);

    const ModelInfo& info = *FindModel(*model);
    std::ostream& out = context.out;
    out << "model: " << *model << ' ' << info.catalogueName << " (code "
        << ModelCodeSuffix(*model).substr(1) << ", " << info.imageSize << " bytes)\n";
    out << "enabled channels: USA " << CountEnabled(data.records.CHUSA) << ", INTL "
        << CountEnabled(data.records.CHINT) << ", Canada " << CountEnabled(data.records.CHCAN)
        << ", WX " << CountEnabled(data.records.CHWX) << ", " << info.expBankName << ' '
        << CountEnabled(data.records.CHEXP) << '\n';
    static constexpr const char* kGroups[] = {"USA", "INTL", "Canada", "EXP"};
    out << "usable groups:";
    bool any = false;
    for (int g = 0; g < kUsableGroups; ++g) {
        if (data.records.UsableGroup[static_cast<std::size_t>(g)].Usable == 0) continue;
        out << ' ' << kGroups[g];
        any = true;
    }
    out << (any ? "\n" : " none\n");
    out << "user MMSI: " << (data.records.UserMmsi.empty() ? "(none)" : data.records.UserMmsi)
        << '\n';
    out << "directory entries: Memory ID " << CountEnabled(data.records.CHMMSID) << ", Group ID "
        << CountEnabled(data.records.CHGRPID) << '\n';
    std::uint8_t stored = data.image[layout::kChecksum];
    std::uint8_t computed = Checksum(data.image, layout::kChecksumFirst, layout::kChecksumCount);
    out << "checksum: " << (stored == computed ? "ok" : "differs") << '\n';
    return 0;
}

} // namespace qb41::cli
