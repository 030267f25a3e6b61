// Files as the operating system names and shares them: names outside ASCII
// save and load on every platform, and saves of one file by two processes at
// once each leave a whole file.
#include "test_support.h"

#include "core/platform.h"
#include "files/data_file_reader.h"
#include "files/data_file_writer.h"
#include "files/data_files.h"
#include "files/file_io.h"
#include "files/image_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

namespace qb41 {
namespace {

namespace fs = std::filesystem;

// The writer and reader of the file's kind.
FileOutcome Save(DataSet& data, ModelNumber model, const fs::path& path) {
    switch (FileKindOf(path)) {
    case FileKind::DataFile:
        return WriteDataFileAt(data.records, model, path, '.');
    case FileKind::ImageFile:
        return PrepareAndWriteImageFileAt(data, model, path);
    default:
        return WriteReportFileAt(data, model, path);
    }
}

FileOutcome Load(DataSet& data, ModelNumber model, const fs::path& path) {
    if (FileKindOf(path) == FileKind::DataFile) return ReadDataFileAt(data.records, model, path);
    return ReadImageFileAt(data, model, path);
}

TEST(FileNames, NamesOutsideAsciiSaveAndLoad) {
    const char* const names[] = {
        "Funkger\xC3\xA4t.dat",                     // a-umlaut: in Latin-1
        "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E.hex", // CJK: in no Western code page
        "\xC3\xA9t\xC3\xA9 2 \xE2\x80\x93 b.dat",   // a space and a dash
        "\xE2\x9A\x93\xF0\x9F\x9A\xA2.hex",         // beyond the BMP: a surrogate pair on Windows
        "report \xC3\xB8.txt",
    };
    for (const char* utf8 : names) {
        SCOPED_TRACE(utf8);
        test::Harness saved(1);
        const fs::path path = saved.dir.path() / platform::PathFromUtf8(utf8);
        const FileOutcome outcome = Save(saved.data, 1, path);
        ASSERT_TRUE(outcome.ok()) << outcome.cause;

        // The folder lists exactly that name, and nothing else is left.
        std::vector<std::string> listed;
        for (const fs::directory_entry& entry : fs::directory_iterator(saved.dir.path()))
            listed.push_back(platform::PathToUtf8(entry.path().filename()));
        EXPECT_EQ(listed, std::vector<std::string>{utf8});
        EXPECT_EQ(platform::PathToUtf8(path.filename()), utf8);

        const std::string bytes = ReadWholeFile(path, 1 << 20);
        EXPECT_FALSE(bytes.empty());
        if (FileKindOf(path) == FileKind::ReportText) continue; // saved only
        // Loaded by that name and saved again under a plain one: the same bytes.
        ASSERT_EQ(DetectFileModel(path, FileKindOf(path)), 1);
        test::Harness loaded(1);
        ASSERT_TRUE(Load(loaded.data, 1, path).ok());
        const fs::path plain = loaded.dir.path() / ("plain" + path.extension().string());
        ASSERT_TRUE(Save(loaded.data, 1, plain).ok());
        EXPECT_EQ(ReadWholeFile(plain, 1 << 20), bytes);
    }
}

TEST(FileNames, AMissingNonAsciiNameIsReportedByItsName) {
    test::Harness h(1);
    const std::string utf8 = "fehlt-\xC3\xBC\xE6\x97\xA5.dat";
    const FileOutcome outcome =
        ReadDataFileAt(h.data.records, 1, h.dir.path() / platform::PathFromUtf8(utf8));
    EXPECT_EQ(outcome.reason, FileReason::ReadFailed);
    EXPECT_EQ(platform::PathToUtf8(outcome.path.filename()), utf8);
    const std::string text = FileMessage("FileRead Error!!", outcome.path, outcome.cause);
    EXPECT_NE(text.find(utf8), std::string::npos) << text;
}

// ---- two processes saving one file ----

// The two children are this test program run again with a filter that picks
// one of the disabled tests below; they share a folder beside the program.
fs::path SharedFolder() {
    return platform::ExecutableFolder() / "concurrent-saves.tmp";
}

std::string Content(char which) {
    // Big enough that the saves overlap; each a pattern of its own.
    std::string text(256 * 1024, which);
    for (std::size_t i = 0; i < text.size(); i += 97) text[i] = static_cast<char>('0' + i % 10);
    return text;
}

constexpr int kSavesEach = 60;

// One child: saves its content again and again, reading the file back after
// each save; every save must succeed and every read find a whole file.
void SaveRepeatedly(char which) {
    const fs::path target = SharedFolder() / "radio.hex";
    const std::string mine = Content(which);
    const std::string theirs = Content(which == 'A' ? 'B' : 'A');
    int failedSaves = 0;
    int brokenReads = 0;
    for (int i = 0; i < kSavesEach; ++i) {
        try {
            WriteFileAtomically(target, mine);
        } catch (const std::exception& error) {
            ++failedSaves;
            ADD_FAILURE() << "save " << i << ": " << error.what();
        }
        try {
            const std::string now = ReadWholeFile(target, 1 << 20);
            if (now != mine && now != theirs) ++brokenReads;
        } catch (const std::exception& error) {
            ++brokenReads;
            ADD_FAILURE() << "read " << i << ": " << error.what();
        }
    }
    EXPECT_EQ(failedSaves, 0);
    EXPECT_EQ(brokenReads, 0);
}

TEST(ConcurrentSaves, DISABLED_ChildA) {
    SaveRepeatedly('A');
}
TEST(ConcurrentSaves, DISABLED_ChildB) {
    SaveRepeatedly('B');
}

int RunChild(char which) {
    const fs::path program = platform::ExecutableFolder() / QB41_FILES_TESTS_NAME;
    std::string command = "\"" + platform::PathToUtf8(program) +
                          "\" --gtest_also_run_disabled_tests --gtest_brief=1 "
                          "--gtest_filter=ConcurrentSaves.DISABLED_Child" +
                          std::string(1, which);
#ifdef _WIN32
    command = "\"" + command + "\""; // cmd /c drops the outer quotes
#endif
    return std::system(command.c_str());
}

TEST(ConcurrentSaves, TwoProcessesSavingOneFileEachLeaveAWholeFile) {
    std::error_code ignored;
    fs::remove_all(SharedFolder(), ignored);
    fs::create_directories(SharedFolder());
    int statusA = -1;
    int statusB = -1;
    std::thread a([&] { statusA = RunChild('A'); });
    std::thread b([&] { statusB = RunChild('B'); });
    a.join();
    b.join();
    EXPECT_EQ(statusA, 0);
    EXPECT_EQ(statusB, 0);
    const std::string last = ReadWholeFile(SharedFolder() / "radio.hex", 1 << 20);
    EXPECT_TRUE(last == Content('A') || last == Content('B')) << last.size() << " bytes";
    // Both finished: neither left a temporary behind.
    std::vector<std::string> left;
    for (const fs::directory_entry& entry : fs::directory_iterator(SharedFolder()))
        left.push_back(platform::PathToUtf8(entry.path().filename()));
    EXPECT_EQ(left, std::vector<std::string>{"radio.hex"});
    fs::remove_all(SharedFolder(), ignored);
}

} // namespace
} // namespace qb41
