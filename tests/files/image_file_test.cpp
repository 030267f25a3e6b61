#include "files/image_file.h"

#include "image/codec.h"
#include "image/layout.h"
#include "image/primitives.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace qb41 {
namespace {

std::string ImageOf(const DataSet& data, ModelNumber model) {
    return std::string(data.image.begin(), data.image.begin() + ImageSize(model));
}

void PutWord(std::string& bytes, int index, std::uint16_t word) {
    bytes[index] = static_cast<char>(word >> 8);
    bytes[index + 1] = static_cast<char>(word & 0xFF);
}

TEST(ImageFile, SavingThenReadingGivesBackTheImageAndTheRecords) {
    for (ModelNumber model : {0, 1}) {
        SCOPED_TRACE(model);
        test::Harness h(model);
        h.data.records.CHUSA[32].ChTag = "SIXTEEN";
        h.data.records.CHEXP[2].Enable = kTrue;
        h.data.records.CHEXP[2].Rxfreq = 157.0125;
        h.data.records.UserMmsi = "3661234560";
        const auto path = h.dir / "image.hex";
        const FileOutcome saved = PrepareAndWriteImageFileAt(h.data, model, path);
        ASSERT_TRUE(saved.ok());
        EXPECT_EQ(saved.operation, FileOperation::SaveImageFile);
        EXPECT_EQ(h.data.image[layout::kChecksum], Checksum(h.data.image, 66, 29));
        EXPECT_EQ(std::filesystem::file_size(path), static_cast<std::uintmax_t>(ImageSize(model)));

        test::Harness other(model);
        EXPECT_TRUE(CheckImageFileLength(model, path).ok());
        const FileOutcome read = ReadImageFileAt(other.data, model, path);
        ASSERT_TRUE(read.ok());
        EXPECT_EQ(read.operation, FileOperation::ReadImageFile);
        EXPECT_EQ(ImageOf(other.data, model), ImageOf(h.data, model));
        EXPECT_EQ(other.data.records.CHEXP[2].Rxfreq, 157.0125);
        EXPECT_EQ(other.data.records.UserMmsi, "3661234560");
        // Model 1 images hold no channel names: the fresh name stays.
        EXPECT_EQ(other.data.records.CHUSA[32].ChTag, model == 1 ? "DISTRESS" : "SIXTEEN");
    }
}

TEST(ImageFile, AFileOfAnotherLengthIsRefusedNamingItsLength) {
    struct Case {
        ModelNumber model;
        int length;
    };
    for (Case c : {Case{1, 16384}, Case{0, 8192}, Case{3, 16385}, Case{2, 0}}) {
        test::Harness h(c.model);
        test::WriteBytes(h.dir / "x.hex", std::string(c.length, '\0'));
        const FileOutcome outcome = CheckImageFileLength(c.model, h.dir / "x.hex");
        EXPECT_EQ(outcome.reason, FileReason::WrongLength);
        EXPECT_EQ(outcome.operation, FileOperation::ReadImageFile);
        EXPECT_NE(outcome.cause.find("the file is " + std::to_string(c.length) + " bytes"),
                  std::string::npos)
            << outcome.cause;
    }
}

TEST(ImageFile, ModelWordsMustBothNameTheSelectedModel) {
    struct Case {
        ModelNumber model;
        std::uint16_t front;
        std::uint16_t back;
        bool accepted;
    };
    const Case cases[] = {{0, 0x12C0, 0x12C0, true},  {0, 0x17D4, 0x17D4, false},
                          {0, 0x12C0, 0x17D4, false}, {3, 0x17D4, 0x17D4, true},
                          {1, 0x0208, 0x0208, true},  {1, 0x0208, 0x021C, false},
                          {2, 0x021C, 0x021C, true}};
    for (const Case& c : cases) {
        test::Harness h(c.model);
        std::string bytes(static_cast<std::size_t>(ImageSize(c.model)), '\xff');
        PutWord(bytes, 64, c.front);
        PutWord(bytes, ImageSize(c.model) - 2, c.back); // 8190 for model 1
        bytes[layout::kCurrentGroup] = 2;
        test::WriteBytes(h.dir / "x.hex", bytes);
        const DataSet before = h.data;
        const FileOutcome outcome = ReadImageFileAt(h.data, c.model, h.dir / "x.hex");
        EXPECT_EQ(outcome.ok(), c.accepted) << c.model;
        if (c.accepted) {
            EXPECT_EQ(h.data.image[layout::kCurrentGroup], 2);
            continue;
        }
        EXPECT_EQ(outcome.reason, FileReason::WrongModel);
        EXPECT_EQ(h.data.image, before.image);
        EXPECT_EQ(h.data.records, before.records);
    }
}

TEST(ImageFile, ReadingTakesTheImageFromTheStartOfALongerFile) {
    // Only the length check refuses other lengths; the read itself takes the
    // image's bytes and ignores whatever follows them.
    for (ModelNumber model : {0, 1}) {
        SCOPED_TRACE(model);
        test::Harness source(model);
        source.data.records.UserMmsi = "3661234560";
        PrepareImageForWrite(source.data, model);
        std::string bytes = ImageOf(source.data, model) + std::string(100, 'x');

        test::Harness h(model);
        test::WriteBytes(h.dir / "long.hex", bytes);
        const FileOutcome outcome = ReadImageFileAt(h.data, model, h.dir / "long.hex");
        ASSERT_TRUE(outcome.ok());
        EXPECT_EQ(outcome.reason, FileReason::None);
        EXPECT_EQ(ImageOf(h.data, model), ImageOf(source.data, model));
        EXPECT_EQ(h.data.records.UserMmsi, "3661234560");
    }
}

TEST(ImageFile, AMissingFileIsAReadFailureOfTheImageRead) {
    test::Harness h(0);
    for (const FileOutcome& outcome : {CheckImageFileLength(0, h.dir / "none.hex"),
                                       ReadImageFileAt(h.data, 0, h.dir / "none.hex")}) {
        EXPECT_EQ(outcome.operation, FileOperation::ReadImageFile);
        EXPECT_EQ(outcome.reason, FileReason::ReadFailed);
        EXPECT_EQ(outcome.cause, "no such file or folder");
        EXPECT_EQ(outcome.errorText, "53File not found");
    }
}

TEST(ImageFile, SavingOverALongerFileLeavesExactlyTheImage) {
    test::Harness h(1);
    const auto path = h.dir / "long.hex";
    test::WriteBytes(path, std::string(20000, 'x'));
    ASSERT_TRUE(WriteImageFileAt(h.data, path).ok());
    EXPECT_EQ(test::ReadBytes(path), ImageOf(h.data, 1));
}

TEST(ImageFile, AFailedSaveIsASaveFailureWithItsErrorText) {
    test::Harness h(0);
    const FileOutcome outcome =
        PrepareAndWriteImageFileAt(h.data, 0, h.dir / "no-such-folder" / "x.hex");
    EXPECT_EQ(outcome.operation, FileOperation::SaveImageFile);
    EXPECT_EQ(outcome.reason, FileReason::SaveFailed);
    EXPECT_EQ(outcome.path, h.dir / "no-such-folder" / "x.hex");
    EXPECT_EQ(outcome.cause, "no such file or folder");
    EXPECT_EQ(outcome.errorText, "76Path not found");
}

} // namespace
} // namespace qb41
