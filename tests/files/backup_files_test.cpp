// Radio backups: the name a save gives, a second save in the same second,
// the folder made on demand, and the list that offers them back.
#include "files/backup_files.h"

#include "support/scratch.h"

#include "core/errors.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace qb41 {
namespace {

namespace fs = std::filesystem;

class Backups : public ::testing::Test {
protected:
    void SetUp() override {
#ifdef _WIN32
        _putenv_s("TZ", "UTC0");
        _tzset();
#else
        ::setenv("TZ", "UTC", 1);
        ::tzset();
#endif
    }
    static std::chrono::system_clock::time_point At(int hour, int minute, int second) {
        return std::chrono::sys_days{std::chrono::year{2025} / 1 / 2} + std::chrono::hours(hour) +
               std::chrono::minutes(minute) + std::chrono::seconds(second);
    }
    test::ScratchDir dir;
};

TEST_F(Backups, SavesUnderTheModelAndTimeAndListsNewestFirst) {
    const fs::path folder = dir / "deep" / "backups"; // made on demand
    const std::vector<std::uint8_t> big(16384, 0x5A), small(8192, 0xA5);
    const fs::path first = SaveBackup(folder, 3, big, At(15, 30, 45));
    const fs::path again = SaveBackup(folder, 3, big, At(15, 30, 45));
    const fs::path later = SaveBackup(folder, 1, small, At(16, 0, 0));
    EXPECT_EQ(first.filename(), "backup-LW6100-20250102-153045.hex");
    EXPECT_EQ(again.filename(), "backup-LW6100-20250102-153045-2.hex");
    EXPECT_EQ(later.filename(), "backup-ZH520-20250102-160000.hex");
    EXPECT_EQ(test::ReadBytes(first), std::string(big.begin(), big.end()));

    // Files that only look like backups are not offered.
    test::WriteBytes(folder / "backup-LW6100-20250102-170000.hex", "short");
    test::WriteBytes(folder / "backup-NOSUCH-20250102-170000.hex", std::string(16384, 'x'));
    test::WriteBytes(folder / "radio.hex", std::string(16384, 'x'));
    test::WriteBytes(folder / "backup-LW6100-2025010-170000.hex", std::string(16384, 'x'));

    const std::vector<BackupEntry> listed = ListBackups(folder);
    ASSERT_EQ(listed.size(), 3u);
    EXPECT_EQ(listed[0].path, later);
    EXPECT_EQ(listed[0].model, 1);
    EXPECT_EQ(listed[0].date, "2025-01-02 16:00:00");
    EXPECT_EQ(listed[1].path, again);
    EXPECT_EQ(listed[2].path, first);
    EXPECT_EQ(listed[2].model, 3);
    EXPECT_TRUE(ListBackups(dir / "none").empty());
}

TEST_F(Backups, AFolderThatCannotBeMadeOrWrittenThrows) {
    test::WriteBytes(dir / "plain", "x");
    const std::vector<std::uint8_t> image(16384, 0);
    EXPECT_THROW(SaveBackup(dir / "plain" / "backups", 2, image, At(1, 2, 3)), RuntimeError);
#ifndef _WIN32              // folder permissions are POSIX here
    if (::geteuid() != 0) { // root writes anywhere
        fs::create_directories(dir / "locked");
        ::chmod((dir / "locked").c_str(), 0500);
        EXPECT_THROW(SaveBackup(dir / "locked", 2, image, At(1, 2, 3)), RuntimeError);
        ::chmod((dir / "locked").c_str(), 0700);
    }
#endif
}

} // namespace
} // namespace qb41
