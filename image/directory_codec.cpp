// MMSI directories <-> image. An entry is in use exactly when its MMSI is not
// empty, and only the leading run of entries in use survives a decode.
#include "codec.h"
#include "layout.h"
#include "primitives.h"

namespace qb41 {
namespace {

void DecodeDirectory(const RadioImage& image, int address, std::vector<DirectoryRecord>& entries) {
    for (std::size_t i = 0; i < entries.size(); ++i) {
        int at = address + layout::kDirectoryEntrySize * static_cast<int>(i);
        entries[i].Mmsid = ReadDigits(image, at);
        entries[i].TagName =
            ReadText(image, at + layout::kDirectoryTagOffset, layout::kDirectoryTagLength);
    }
    NormaliseDirectory(entries);
}

void EncodeDirectory(RadioImage& image, int address, const std::vector<DirectoryRecord>& entries) {
    for (std::size_t i = 0; i < entries.size(); ++i) {
        int at = address + layout::kDirectoryEntrySize * static_cast<int>(i);
        // Compared with what the entry holds, not with what a decode keeps of
        // it: an entry after a gap must be cleared when the gap is filled.
        UpdateDigits(image, at, entries[i].Mmsid, true);
        UpdateText(image, at + layout::kDirectoryTagOffset, entries[i].TagName,
                   layout::kDirectoryTagLength);
    }
}

} // namespace

void NormaliseDirectory(std::vector<DirectoryRecord>& directory) {
    std::size_t i = 0;
    for (; i < directory.size() && !directory[i].Mmsid.empty(); ++i) directory[i].Enable = kTrue;
    for (; i < directory.size(); ++i) directory[i] = DirectoryRecord{};
}

void DecodeDirectories(DataSet& data) {
    DecodeDirectory(data.image, layout::kMemoryIdDirectory, data.records.CHMMSID);
    DecodeDirectory(data.image, layout::kGroupIdDirectory, data.records.CHGRPID);
}

void EncodeDirectories(DataSet& data) {
    EncodeDirectory(data.image, layout::kMemoryIdDirectory, data.records.CHMMSID);
    EncodeDirectory(data.image, layout::kGroupIdDirectory, data.records.CHGRPID);
}

} // namespace qb41
