// Saving through links and over files of other modes and owners, the save's
// temporary files, and the data file check with each kind of finding.
#include "core/errors.h"
#include "test_support.h"

#include "files/data_file_check.h"
#include "files/data_file_reader.h"
#include "files/data_file_writer.h"
#include "files/file_io.h"
#include "image/codec.h"
#include "support/value_cases.h"

#include "core/platform.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>

namespace qb41 {
namespace {

namespace fs = std::filesystem;

TEST(SaveThroughLink, WritesTheFinalTargetAndKeepsTheLinks) {
    test::ScratchDir dir;
    fs::create_directory(dir / "real");
    test::WriteBytes(dir / "real" / "radio.dat", "old");
    std::error_code unsupported;
    fs::create_symlink("real/radio.dat", dir / "inner", unsupported); // relative
    if (unsupported == std::errc::function_not_supported)
        GTEST_SKIP() << "no symbolic links on this system";
    ASSERT_FALSE(unsupported) << unsupported.message();
    fs::create_symlink(dir / "inner", dir / "outer.dat"); // a chain
    WriteFileAtomically(dir / "outer.dat", "new");
    EXPECT_TRUE(fs::is_symlink(dir / "outer.dat"));
    EXPECT_TRUE(fs::is_symlink(dir / "inner"));
    EXPECT_EQ(test::ReadBytes(dir / "real" / "radio.dat"), "new");
    EXPECT_EQ(SaveTarget(dir / "outer.dat"), dir / "real/radio.dat");
}

#ifndef _WIN32
// Permission bits and owners are POSIX; Windows files take the folder's.
TEST(SaveKeepsAttributes, ModeOfTheOldFileStays) {
    test::ScratchDir dir;
    const fs::path path = dir / "private.dat";
    test::WriteBytes(path, "old");
    ::chmod(path.c_str(), 0600);
    WriteFileAtomically(path, "new");
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(st.st_uid, ::getuid());

    ::chmod(path.c_str(), 0664);
    WriteFileAtomically(path, "newer");
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0664u);
}
#endif

TEST(SaveTemporaries, StaleOnesOfTheSameFileGoOthersStay) {
    test::ScratchDir dir;
    const fs::path path = dir / "radio.dat";
    constexpr long kGone = 4194311; // above the largest process id Linux hands out
    const fs::path stale = SaveTemporaryName(path, kGone);
    // The process that started this one, when it is known (a program Wine
    // starts from Linux has none).
    const long parent = platform::ParentProcessId();
    const bool parentRunning = platform::ProcessRunning(parent);
    const fs::path running = SaveTemporaryName(path, parent);
    const fs::path otherFile = SaveTemporaryName(dir / "other.dat", kGone);
    for (const fs::path& planted : {stale, running, otherFile}) {
        EXPECT_EQ(planted.filename().string().rfind(".qb41-save-", 0), 0u);
        test::WriteBytes(planted, "left over");
    }
    WriteFileAtomically(path, "new");
    EXPECT_EQ(test::ReadBytes(path), "new");
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_EQ(fs::exists(running), parentRunning); // its save may still be going on
    EXPECT_TRUE(fs::exists(otherFile));            // another file's
    EXPECT_FALSE(fs::exists(SaveTemporaryName(path, platform::ProcessId())));

    // A failed save removes its own temporary.
    fs::create_directory(dir / "blocked.dat"); // renaming a file over a folder fails
    EXPECT_THROW(WriteFileAtomically(dir / "blocked.dat", "x"), RuntimeError);
    EXPECT_FALSE(fs::exists(SaveTemporaryName(dir / "blocked.dat", platform::ProcessId())));
}

TEST(SaveLongNames, NamesUpToTheLimitSave) {
    test::ScratchDir dir;
    const long limit = platform::MaxFileNameLength(dir.path());
    ASSERT_GT(limit, 20);
    const fs::path path = dir / (std::string(static_cast<std::size_t>(limit) - 4, 'n') + ".dat");
    WriteFileAtomically(path, "long");
    EXPECT_EQ(test::ReadBytes(path), "long");
}

// --- the data file check -------------------------------------------------

std::string FreshFile(ModelNumber model) {
    DataSet data;
    MakeFreshDataSet(data, model);
    return FormatDataFile(data.records, model, '.');
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

int LineOf(const std::string& text, const std::string& what) {
    const std::size_t at = text.find(what);
    return 1 +
           static_cast<int>(std::count(text.begin(), text.begin() + static_cast<long>(at), '\n'));
}

using Kind = DataFileFinding::Kind;

TEST(DataFileCheck, ACompleteFreshFileIsClean) {
    for (ModelNumber model = 0; model <= 3; ++model) {
        const auto findings = CheckDataFileText(FreshFile(model));
        EXPECT_TRUE(findings.empty()) << model << ": " << FindingLine(findings.front());
    }
}

TEST(DataFileCheck, EachKindOfFindingWithItsLine) {
    const std::string fresh = FreshFile(3);
    struct Case {
        std::string from, to;
        Kind kind;
        std::string mark; // text on the line the finding names
    };
    const Case cases[] = {
        {"[Common Setup]\r\n", "[Common Setup]\r\nFoo=1\r\n", Kind::UnknownKey, "Foo=1"},
        {"[CHWX0]\r\n", "[Extra Things]\r\nA=1\r\n[CHWX0]\r\n", Kind::UnknownSection,
         "[Extra Things]"},
        {"[CHWX0]\r\n", "[Common Setup]\r\nSCAN=1\r\n[CHWX0]\r\n", Kind::DuplicateSection,
         "[Common Setup]\r\nSCAN=1\r\n[CHWX0]"},
        {"SCAN=1", "SCAN=7", Kind::BadValue, "SCAN=7"},
        {"Resume Time=3", "Resume Time=soon", Kind::BadValue, "Resume Time=soon"},
        {"User MMSI=#", "User MMSI=#12345", Kind::BadMmsi, "User MMSI=#12345"},
        {"Atis Code=#", "Atis Code=#1234567890", Kind::BadAtis, "Atis Code=#1234567890"},
        {"ChTag=#\r\n[CHUSA6]", "ChTag=#ABCDEFGHIJKLMN\r\n[CHUSA6]", Kind::LongName,
         "ChTag=#ABCDEFGHIJKLMN"},
    };
    for (const Case& c : cases) {
        const std::string text = Replace(fresh, c.from, c.to);
        const auto findings = CheckDataFileText(text);
        ASSERT_EQ(findings.size(), 1u) << c.to << "\n"
                                       << (findings.empty() ? "" : FindingLine(findings[1]));
        EXPECT_EQ(findings[0].kind, c.kind) << FindingLine(findings[0]);
        int line = LineOf(text, c.mark);
        if (c.kind == Kind::DuplicateSection) line = LineOf(text, c.mark); // the second one
        EXPECT_EQ(findings[0].line, line) << FindingLine(findings[0]);
    }
}

TEST(DataFileCheck, MmsisInTheirStoredFormAreClean) {
    const std::string fresh = FreshFile(2);
    for (const char* mmsi : {"3661234560", "366123456"}) {
        const std::string text = Replace(fresh, "User MMSI=#", std::string("User MMSI=#") + mmsi);
        EXPECT_TRUE(CheckDataFileText(text).empty()) << mmsi;
    }
    const std::string tooLong = Replace(fresh, "User MMSI=#", "User MMSI=#36612345601");
    ASSERT_EQ(CheckDataFileText(tooLong).size(), 1u);
    EXPECT_EQ(CheckDataFileText(tooLong)[0].kind, Kind::BadMmsi);
}

TEST(DataFileCheck, ATruncatedFileListsWhatIsMissing) {
    const std::string fresh = FreshFile(2);
    const std::string cut = fresh.substr(0, fresh.find("[CHUSA17]"));
    const auto missing = MissingSections(cut, 2);
    ASSERT_FALSE(missing.empty());
    EXPECT_EQ(missing.front(), "[CHUSA17]");
    EXPECT_EQ(missing.back(), "[CHEXP39]");
    EXPECT_TRUE(MissingSections(fresh, 2).empty());
    // Junk after the header: everything but MAIN is missing.
    const std::string junk = fresh.substr(0, fresh.find("[Usable")) + "\x01\x02garbage";
    EXPECT_EQ(MissingSections(junk, 2).size(), MissingSections("[MAIN]\r\n", 2).size());
    const auto findings = CheckDataFileText(cut);
    EXPECT_EQ(findings.size(), missing.size());
    EXPECT_EQ(findings.front().kind, Kind::MissingSection);
    EXPECT_EQ(findings.front().line, 0);
}

// Each value that breaks its rule: the check names it on its own line as a
// value finding, the load neither throws nor lets it into the records (only an
// off-raster frequency is kept as stored), and the loaded records encode.
TEST(ValueRules, TheCheckAndTheLoadCatchEveryBadValue) {
    const std::string fresh = FreshFile(0);
    for (const test::ValueCase& c : test::kValueCases) {
        SCOPED_TRACE(c.to);
        const std::string text = Replace(fresh, c.from, c.to);
        const auto findings = CheckDataFileText(text);
        ASSERT_EQ(findings.size(), 1u) << (findings.empty() ? "" : FindingLine(findings[1]));
        EXPECT_TRUE(IsValueFinding(findings[0])) << FindingLine(findings[0]);
        const std::size_t at = text.find(c.to);
        EXPECT_EQ(findings[0].line,
                  LineOf(text.substr(at), std::string(c.key) + "=") + LineOf(text, c.to) - 1)
            << FindingLine(findings[0]);

        DataSet loaded;
        MakeFreshDataSet(loaded, 0);
        const Records defaults = loaded.records;
        std::vector<LoadNote> notes;
        ASSERT_NO_THROW(ReadDataFileText(text, loaded.records, 0, &notes));
        ASSERT_EQ(notes.size(), 1u);
        EXPECT_EQ(notes[0].kind,
                  c.keptAsStored ? LoadNote::Kind::Flagged : LoadNote::Kind::Refused);
        if (!c.keptAsStored) {
            EXPECT_EQ(loaded.records, defaults) << "the default stays";
        }
        EXPECT_NO_THROW(PrepareImageForWrite(loaded, 0));
    }
}

TEST(ValueRules, ValuesReadInTheEditorsFormAreNotedButNotRefused) {
    const std::string fresh = FreshFile(3);
    std::string text = Replace(
        fresh, "[CHEXP2]\r\nEnable=0\r\nCHDisplayL=", "[CHEXP2]\r\nEnable=1\r\nCHDisplayL= 5");
    text = Replace(text, "Status name 1=", "Status name 1=ab");
    Records records;
    std::vector<LoadNote> notes;
    ASSERT_TRUE(ReadDataFileText(text, records, 3, &notes));
    EXPECT_EQ(records.CHEXP[2].CHDisplayL, "05");
    EXPECT_EQ(records.UsableGroup[1].StatusName, "  ab") << "right-aligned as the editor stores it";
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].kind, LoadNote::Kind::Normalised);
    const auto findings = CheckDataFileText(text);
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(findings[0].kind, Kind::Normalised);
    EXPECT_FALSE(IsValueFinding(findings[0]));
    EXPECT_EQ(FindingLine(findings[0]), "line " + std::to_string(LineOf(text, "CHDisplayL= 5")) +
                                            ": value CHDisplayL=5 in [CHEXP2] read as 05");
}

} // namespace
} // namespace qb41
