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

TEST(ImageFile, SavingThenOpeningGivesBackTheImageAndTheRecords) {
    for (ModelNumber model : {0, 1}) {
        SCOPED_TRACE(model);
        test::Harness h(model);
        h.data.records.CHUSA[32].ChTag = "SIXTEEN";
        h.data.records.CHEXP[2].Enable = kTrue;
        h.data.records.CHEXP[2].Rxfreq = 157.0125;
        h.data.records.UserMmsi = "3661234560";
        FileContext context = h.context();
        const auto path = h.dir / "image.hex";
        ASSERT_TRUE(SaveImageFile(context, path));
        const RadioImage saved = h.data.image;
        EXPECT_EQ(saved[layout::kChecksum], Checksum(saved, 66, 29));
        EXPECT_EQ(std::filesystem::file_size(path), static_cast<std::uintmax_t>(ImageSize(model)));

        test::Harness other(model);
        FileContext otherContext = other.context();
        other.app.dataChanged = true;
        ASSERT_TRUE(OpenImageFile(otherContext, path));
        EXPECT_EQ(ImageOf(other.data, model), ImageOf(h.data, model));
        EXPECT_EQ(other.data.records.CHEXP[2].Rxfreq, 157.0125);
        EXPECT_EQ(other.data.records.UserMmsi, "3661234560");
        // Model 1 images hold no channel names: the fresh name stays.
        EXPECT_EQ(other.data.records.CHUSA[32].ChTag, model == 1 ? "DISTRESS" : "SIXTEEN");
        EXPECT_EQ(other.app.currentFileName, path.string());
        EXPECT_FALSE(other.app.dataChanged);
        EXPECT_TRUE(other.notifier.messages.empty());
    }
}

TEST(ImageFile, AFileOfAnotherLengthIsABadFile) {
    struct Case {
        ModelNumber model;
        int length;
    };
    for (Case c : {Case{1, 16384}, Case{0, 8192}, Case{3, 16385}, Case{2, 0}}) {
        test::Harness h(c.model);
        FileContext context = h.context();
        test::WriteBytes(h.dir / "x.hex", std::string(c.length, '\0'));
        const RadioImage before = h.data.image;
        EXPECT_FALSE(OpenImageFile(context, h.dir / "x.hex"));
        EXPECT_EQ(h.data.image, before);
        EXPECT_TRUE(h.app.errorFlag);
        ASSERT_EQ(h.notifier.messages.size(), 1u);
        EXPECT_EQ(h.notifier.messages[0].icon, MessageIcon::Critical);
        EXPECT_EQ(test::OwnText(h.notifier.messages[0].text), "bad file!!");
        EXPECT_NE(
            h.notifier.messages[0].text.find("the file is " + std::to_string(c.length) + " bytes"),
            std::string::npos);
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
        FileContext context = h.context();
        std::string bytes(static_cast<std::size_t>(ImageSize(c.model)), '\xff');
        PutWord(bytes, 64, c.front);
        PutWord(bytes, ImageSize(c.model) - 2, c.back); // 8190 for model 1
        bytes[layout::kCurrentGroup] = 2;
        test::WriteBytes(h.dir / "x.hex", bytes);
        const DataSet before = h.data;
        EXPECT_EQ(ReadHexFileAs(context, h.dir / "x.hex"), c.accepted) << c.model;
        EXPECT_EQ(h.app.errorFlag, !c.accepted);
        if (c.accepted) {
            EXPECT_EQ(h.data.image[layout::kCurrentGroup], 2);
            continue;
        }
        EXPECT_EQ(h.data.image, before.image);
        EXPECT_EQ(h.data.records, before.records);
        ASSERT_EQ(h.notifier.messages.size(), 1u);
        EXPECT_EQ(h.notifier.messages[0],
                  (Message{MessageIcon::Critical, "Read from Radio", "ModelType Error !!"}));
    }
}

TEST(ImageFile, ReadingTakesTheImageFromTheStartOfALongerFile) {
    // Only the open command refuses other lengths; the read itself takes the
    // image's bytes and ignores whatever follows them.
    for (ModelNumber model : {0, 1}) {
        SCOPED_TRACE(model);
        test::Harness source(model);
        source.data.records.UserMmsi = "3661234560";
        PrepareImageForWrite(source.data, model);
        std::string bytes = ImageOf(source.data, model) + std::string(100, 'x');

        test::Harness h(model);
        FileContext context = h.context();
        test::WriteBytes(h.dir / "long.hex", bytes);
        ASSERT_TRUE(ReadHexFileAs(context, h.dir / "long.hex"));
        EXPECT_FALSE(h.app.errorFlag);
        EXPECT_TRUE(h.notifier.messages.empty());
        EXPECT_EQ(ImageOf(h.data, model), ImageOf(source.data, model));
        EXPECT_EQ(h.data.records.UserMmsi, "3661234560");
    }
}

TEST(ImageFile, AMissingFileIsAReadErrorAndIsLogged) {
    test::Harness h(0);
    FileContext context = h.context();
    EXPECT_FALSE(OpenImageFile(context, h.dir / "none.hex"));
    EXPECT_TRUE(h.app.errorFlag);
    EXPECT_TRUE(h.app.cancelFlag);
    EXPECT_EQ(h.notifier.messages.back(),
              test::FileMessage(MessageIcon::Warning, h.app.windowTitle, "FileRead Error!!",
                                h.dir / "none.hex", "no such file or folder"));
    EXPECT_NE(h.logText().find(":frmMain.ReadHexFileAs -> 53File not found"), std::string::npos);
}

TEST(ImageFile, SavingOverALongerFileLeavesExactlyTheImage) {
    test::Harness h(1);
    FileContext context = h.context();
    const auto path = h.dir / "long.hex";
    test::WriteBytes(path, std::string(20000, 'x'));
    h.app.currentFileName = "keep.dat";
    ASSERT_TRUE(SaveHexFileAs(context, path));
    EXPECT_EQ(test::ReadBytes(path), ImageOf(h.data, 1));
    EXPECT_EQ(h.app.currentFileName, "keep.dat");
    EXPECT_FALSE(h.app.loading);
}

TEST(ImageFile, AFailedSaveIsReportedAndLogged) {
    test::Harness h(0);
    FileContext context = h.context();
    EXPECT_FALSE(SaveImageFile(context, h.dir / "no-such-folder" / "x.hex"));
    EXPECT_TRUE(h.app.cancelFlag);
    EXPECT_TRUE(h.app.errorFlag);
    EXPECT_FALSE(h.app.loading);
    EXPECT_EQ(h.notifier.messages.back(),
              test::FileMessage(MessageIcon::Warning, h.app.windowTitle, "FileSave Error!!",
                                h.dir / "no-such-folder" / "x.hex", "no such file or folder"));
    EXPECT_NE(h.logText().find(":frmMain.SaveHexFileAs -> 76Path not found"), std::string::npos);
}

} // namespace
} // namespace qb41
