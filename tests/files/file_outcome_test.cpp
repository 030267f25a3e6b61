// The outcomes the file operations return, before any edge turns them into
// messages and flags: the reason, the path and the cause a caller decides
// from, and the data set left as it was by every refusal or failure.
#include "files/data_file_reader.h"
#include "files/data_file_writer.h"
#include "files/data_files.h"
#include "files/destination_files.h"
#include "files/image_file.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <functional>

namespace qb41 {
namespace {

using Operation = std::function<FileOutcome(DataSet&, const std::filesystem::path&)>;

struct Case {
    const char* name;
    Operation run;
};

const Case kReads[] = {
    {"data file", [](DataSet& d, const auto& p) { return ReadDataFileAt(d.records, 3, p); }},
    {"image file", [](DataSet& d, const auto& p) { return ReadImageFileAt(d, 3, p); }},
    {"image length", [](DataSet&, const auto& p) { return CheckImageFileLength(3, p); }},
    {"destination", [](DataSet& d, const auto& p) { return ReadDestinationFileAt(d, 3, p); }},
};

const Case kSaves[] = {
    {"data file", [](DataSet& d, const auto& p) { return WriteDataFileAt(d.records, 3, p, '.'); }},
    {"image file", [](DataSet& d, const auto& p) { return WriteImageFileAt(d, p); }},
    {"prepared image",
     [](DataSet& d, const auto& p) { return PrepareAndWriteImageFileAt(d, 3, p); }},
    {"report", [](DataSet& d, const auto& p) { return WriteReportFileAt(d, 3, p); }},
};

TEST(FileOutcome, AMissingFileIsAReadFailureNamingThePathAndTheCause) {
    for (const Case& c : kReads) {
        SCOPED_TRACE(c.name);
        test::Harness h(3);
        h.data.records.CHUSA[0].ChTag = "KEEP";
        const DataSet before = h.data;
        const auto path = h.dir / "absent.dat";
        const FileOutcome outcome = c.run(h.data, path);
        EXPECT_EQ(outcome.status, FileStatus::Failed);
        EXPECT_EQ(outcome.reason, FileReason::ReadFailed);
        EXPECT_EQ(outcome.path, path);
        EXPECT_EQ(outcome.cause, "no such file or folder");
        EXPECT_FALSE(outcome.errorText.empty());
        EXPECT_EQ(h.data.records.CHUSA[0].ChTag, "KEEP");
        EXPECT_EQ(h.data.image, before.image);
    }
}

TEST(FileOutcome, AnImageOfTheWrongLengthIsRefusedWithBothLengths) {
    test::Harness h(3);
    const auto path = h.dir / "short.hex";
    test::WriteBytes(path, std::string(100, '\0'));
    const RadioImage before = h.data.image;
    for (const FileOutcome& outcome :
         {CheckImageFileLength(3, path), ReadDestinationFileAt(h.data, 3, path)}) {
        EXPECT_EQ(outcome.status, FileStatus::Failed);
        EXPECT_EQ(outcome.reason, FileReason::WrongLength);
        EXPECT_EQ(outcome.path, path);
        EXPECT_NE(outcome.cause.find("100 bytes"), std::string::npos) << outcome.cause;
        EXPECT_NE(outcome.cause.find("16384"), std::string::npos) << outcome.cause;
        EXPECT_TRUE(outcome.errorText.empty());
    }
    EXPECT_EQ(h.data.image, before);
    // The model-1 size is the right length for model 1 only.
    test::WriteBytes(path, std::string(8192, '\0'));
    EXPECT_TRUE(CheckImageFileLength(1, path).ok());
    EXPECT_EQ(CheckImageFileLength(3, path).reason, FileReason::WrongLength);
}

TEST(FileOutcome, AnotherModelsFileIsRefusedAndLeavesTheDataAsItWas) {
    test::Harness writer(1);
    const auto dat = writer.dir / "zh520.dat";
    const auto hex = writer.dir / "zh520.hex";
    ASSERT_TRUE(WriteDataFileAt(writer.data.records, 1, dat, '.').ok());
    ASSERT_TRUE(PrepareAndWriteImageFileAt(writer.data, 1, hex).ok());

    test::Harness h(3);
    h.data.records.CHUSA[0].ChTag = "KEEP";
    const FileOutcome data = ReadDataFileAt(h.data.records, 3, dat);
    EXPECT_EQ(data.reason, FileReason::WrongModel);
    EXPECT_EQ(data.cause, "the file's model is ZH520, the selected model LW6100");
    // Padded to the model's length so that only the code words differ.
    std::string bytes = test::ReadBytes(hex);
    bytes.resize(16384, '\0');
    test::WriteBytes(hex, bytes);
    const FileOutcome image = ReadImageFileAt(h.data, 3, hex);
    EXPECT_EQ(image.reason, FileReason::WrongModel);
    EXPECT_EQ(ReadDestinationFileAt(h.data, 3, hex).reason, FileReason::WrongModel);
    EXPECT_EQ(h.data.records.CHUSA[0].ChTag, "KEEP");
}

TEST(FileOutcome, AnUnwritablePathIsASaveFailureAndTheOldContentsStay) {
    for (const Case& c : kSaves) {
        SCOPED_TRACE(c.name);
        test::Harness h(3);
        const auto blocked = h.dir / "blocked"; // a folder with content cannot be replaced
        std::filesystem::create_directory(blocked);
        test::WriteBytes(blocked / "keep", "old");
        const FileOutcome outcome = c.run(h.data, blocked);
        EXPECT_EQ(outcome.status, FileStatus::Failed);
        EXPECT_EQ(outcome.reason, FileReason::SaveFailed);
        EXPECT_EQ(outcome.path, blocked);
        EXPECT_FALSE(outcome.cause.empty());
        EXPECT_FALSE(outcome.errorText.empty());
        EXPECT_FALSE(outcome.description.empty());
        EXPECT_EQ(test::ReadBytes(blocked / "keep"), "old");
    }
}

TEST(FileOutcome, ASavedFileReadsBackOk) {
    for (std::size_t i = 0; i < 2; ++i) {
        test::Harness h(3);
        h.data.records.CHUSA[0].ChTag = "SAVED";
        const auto path = h.dir / (i == 0 ? "radio.dat" : "radio.hex");
        ASSERT_TRUE(kSaves[i == 0 ? 0 : 2].run(h.data, path).ok());
        test::Harness reader(3);
        const FileOutcome read = kReads[i == 0 ? 0 : 1].run(reader.data, path);
        EXPECT_TRUE(read.ok());
        EXPECT_EQ(read.reason, FileReason::None);
        EXPECT_TRUE(read.cause.empty());
        EXPECT_EQ(reader.data.records.CHUSA[0].ChTag, "SAVED");
    }
}

} // namespace
} // namespace qb41
