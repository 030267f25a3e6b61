#include "cli.h"

#include "editor/file_edge.h"
#include "files/data_files.h"
#include "image/layout.h"
#include "image/primitives.h"

#include <algorithm>
#include <filesystem>

namespace qb41::cli {
namespace {

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
    if (FileKindOf(path) == FileKind::DataFile || FileKindOf(path) == FileKind::ReportText)
        throw UsageError{"IN must be an image file (.hex or .ini)"};
    std::error_code ec;
    std::uintmax_t length = std::filesystem::file_size(FilePath(path), ec);
    if (ec) {
        context.err << "qb41-cli info: cannot read " << path << '\n';
        throw Failed{};
    }
    const auto sized = [&](const ModelInfo& info) {
        return static_cast<std::uintmax_t>(info.imageSize) == length;
    };
    if (std::none_of(AllModels().begin(), AllModels().end(), sized)) {
        context.err << "qb41-cli info: " << path << " is not an image file (" << length
                    << " bytes)\n";
        throw Failed{};
    }
    if (FileKindOf(path) == FileKind::Unknown) {
        context.err << "qb41-cli info: " << path
                    << " is not an image file: its name must end in .hex or .ini\n";
        throw Failed{};
    }
    std::optional<ModelNumber> model = DetectFileModel(FilePath(path), FileKind::ImageFile);
    if (!model) {
        context.err << "qb41-cli info: " << path << " carries no known model id\n";
        throw Failed{};
    }
    FileContext file{context.app, context.data, context.notifier, context.log};
    if (!LoadDataSetFor(file, FilePath(path), model)) throw Failed{};
    const DataSet& data = context.data;

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
