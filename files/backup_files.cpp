#include "backup_files.h"

#include "file_io.h"

#include "core/errors.h"
#include "core/platform.h"

#include <algorithm>
#include <ctime>
#include <mutex>

namespace qb41 {

namespace {

constexpr std::string_view kPrefix = "backup-";
constexpr std::size_t kStampLength = 15; // 20250102-153045

bool Digits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// "backup-LW6100-20250102-153045[-N].hex" -> its model and date.
std::optional<BackupEntry> ParseName(const std::filesystem::path& path) {
    if (path.extension() != ".hex") return std::nullopt;
    const std::string stem = path.stem().string();
    if (stem.rfind(kPrefix, 0) != 0) return std::nullopt;
    const std::size_t dash = stem.find('-', kPrefix.size());
    if (dash == std::string::npos) return std::nullopt;
    const std::string name = stem.substr(kPrefix.size(), dash - kPrefix.size());
    const std::string stamp = stem.substr(dash + 1, kStampLength);
    const std::string rest = stem.substr(std::min(stem.size(), dash + 1 + kStampLength));
    if (stamp.size() != kStampLength || stamp[8] != '-' || !Digits(stamp.substr(0, 8)) ||
        !Digits(stamp.substr(9)))
        return std::nullopt;
    if (!rest.empty() && (rest[0] != '-' || !Digits(rest.substr(1)))) return std::nullopt;
    for (const ModelInfo& info : AllModels()) {
        if (info.catalogueName != name) continue;
        BackupEntry entry;
        entry.path = path;
        entry.model = info.number;
        entry.date = stamp.substr(0, 4) + "-" + stamp.substr(4, 2) + "-" + stamp.substr(6, 2) +
                     " " + stamp.substr(9, 2) + ":" + stamp.substr(11, 2) + ":" +
                     stamp.substr(13, 2);
        return entry;
    }
    return std::nullopt;
}

} // namespace

std::filesystem::path BackupFolder() {
    return platform::UserDataFolder() / "QB41" / "backups";
}

std::filesystem::path SaveBackup(const std::filesystem::path& folder, ModelNumber model,
                                 const std::vector<std::uint8_t>& image,
                                 std::chrono::system_clock::time_point when) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) throw RuntimeError(ErrorNumber::PathNotFound, "cannot create " + folder.string());
    const std::tm local = platform::LocalTime(std::chrono::system_clock::to_time_t(when));
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    const ModelInfo* info = FindModel(model);
    const std::string base =
        std::string(kPrefix) + std::string(info ? info->catalogueName : "model") + "-" + stamp;
    // Ports programmed in parallel may save in the same second: the name is
    // chosen and taken under one lock.
    static std::mutex naming;
    std::lock_guard<std::mutex> lock(naming);
    std::filesystem::path path = folder / (base + ".hex");
    for (int n = 2; std::filesystem::exists(path, ec); ++n)
        path = folder / (base + "-" + std::to_string(n) + ".hex");
    WriteFileAtomically(
        path, std::string_view(reinterpret_cast<const char*>(image.data()), image.size()));
    return path;
}

std::vector<BackupEntry> ListBackups(const std::filesystem::path& folder) {
    std::vector<BackupEntry> backups;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        std::optional<BackupEntry> entry = ParseName(it->path());
        if (!entry) continue;
        std::error_code size;
        if (!it->is_regular_file(size) ||
            it->file_size(size) != static_cast<std::uintmax_t>(ImageSize(entry->model)))
            continue;
        backups.push_back(std::move(*entry));
    }
    // Newest first; the name's stamp and counter sort as the reads happened.
    std::sort(backups.begin(), backups.end(), [](const BackupEntry& a, const BackupEntry& b) {
        if (a.date != b.date) return a.date > b.date;
        const std::string an = a.path.filename().string(), bn = b.path.filename().string();
        return an.size() != bn.size() ? an.size() > bn.size() : an > bn;
    });
    return backups;
}

} // namespace qb41
