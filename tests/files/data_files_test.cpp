#include "files/data_files.h"

#include "files/data_file_reader.h"
#include "files/data_file_writer.h"
#include "files/image_file.h"
#include "image/codec.h"
#include "image/layout.h"
#include "report/report_text.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace qb41 {
namespace {

// An image of the model with some of everything the settings file carries.
DataSet EditedImage(ModelNumber model) {
    DataSet data;
    MakeFreshDataSet(data, model);
    Records& r = data.records;
    r.CHUSA[32].ChTag = "SIXTEEN";
    r.CHUSA[33].Enable = kTrue;
    r.CHINT[40].Enable = kFalse;
    r.CHCAN[18].ScanMemory = kTrue;
    if (model != 1) r.CHCAN[18].Scramble = 5; // model 1 files carry no plan scrambler codes
    r.CHWX[3].Enable = kTrue;
    r.CHEXP[7] = r.CHEXP[0];
    r.CHEXP[7].Enable = kTrue;
    r.CHEXP[7].CHDisplayL = "70";
    r.CHEXP[7].CHDisplayR = "b";
    r.CHEXP[7].Rxfreq = 157.4125;
    r.CHEXP[7].Txfreq = 156.4;
    r.CHEXP[7].ChTag = "WORK";
    r.UsableGroup[1].Usable = kFalse;
    r.UsableGroup[0].PriorityCh = 18;
    r.UsableGroup[2].TxTot = kTrue;
    r.Common.OffsetTime = 17;
    r.Common.Weater = 1;
    r.DscFlags[10] = kFalse;
    r.UserMmsi = "3661234560";
    r.AtisCode = "9211234567";
    r.CHMMSID[0] = {kTrue, "HOME", "366000001"};
    r.CHGRPID[0] = {kTrue, "FLEET", "036600001"};
    if (model == 0) r.AtisCallSign[0] = {"211", "DE"};
    PrepareImageForWrite(data, model);
    return data;
}

std::string ImageBytes(const DataSet& data, ModelNumber model) {
    return std::string(data.image.begin(), data.image.begin() + ImageSize(model));
}

TEST(DataFiles, TheModelComesFromTheFile) {
    test::ScratchDir dir;
    for (ModelNumber model = 0; model <= 3; ++model) {
        test::WriteBytes(dir / "x.hex", ImageBytes(EditedImage(model), model));
        EXPECT_EQ(DetectFileModel(dir / "x.hex", FileKind::ImageFile), model);
        DataSet data;
        MakeFreshDataSet(data, model);
        test::WriteBytes(dir / "x.dat", FormatDataFile(data.records, model, '.'));
        EXPECT_EQ(DetectFileModel(dir / "x.dat", FileKind::DataFile), model);
    }
    test::WriteBytes(dir / "bad.dat", "[MAIN]\r\nMODELTYPE=7\r\n");
    EXPECT_EQ(DetectFileModel(dir / "bad.dat", FileKind::DataFile), std::nullopt);
    test::WriteBytes(dir / "bad.hex", std::string(16384, '\0'));
    EXPECT_EQ(DetectFileModel(dir / "bad.hex", FileKind::ImageFile), std::nullopt);
    EXPECT_EQ(DetectFileModel(dir / "missing.hex", FileKind::ImageFile), std::nullopt);
}

// hex -> dat -> hex through the readers and writers, each for the model the
// file names: every byte the codec owns comes back as the original's
// re-encoded image.
TEST(DataFiles, ImageToDataFileAndBackKeepsTheCodecOwnedBytes) {
    for (ModelNumber model = 0; model <= 3; ++model) {
        SCOPED_TRACE(model);
        test::ScratchDir dir;
        const DataSet original = EditedImage(model);
        test::WriteBytes(dir / "in.hex", ImageBytes(original, model));

        ASSERT_EQ(DetectFileModel(dir / "in.hex", FileKind::ImageFile), model);
        test::Harness first(model);
        ASSERT_TRUE(CheckImageFileLength(model, dir / "in.hex").ok());
        ASSERT_TRUE(ReadImageFileAt(first.data, model, dir / "in.hex").ok());
        ASSERT_TRUE(WriteDataFileAt(first.data.records, model, dir / "mid.dat", '.').ok());

        ASSERT_EQ(DetectFileModel(dir / "mid.dat", FileKind::DataFile), model);
        test::Harness second(model);
        ASSERT_TRUE(ReadDataFileAt(second.data.records, model, dir / "mid.dat").ok());
        ASSERT_TRUE(PrepareAndWriteImageFileAt(second.data, model, dir / "out.hex").ok());

        DataSet reencoded = original;
        DecodeImage(reencoded, model);
        PrepareImageForWrite(reencoded, model);
        const std::string out = test::ReadBytes(dir / "out.hex");
        ASSERT_EQ(out.size(), static_cast<std::size_t>(ImageSize(model)));
        const layout::ByteMask owned = layout::CodecOwnedBits(model);
        for (int i = 0; i < ImageSize(model); ++i) {
            const auto mask = owned[static_cast<std::size_t>(i)];
            EXPECT_EQ(static_cast<std::uint8_t>(out[i]) & mask, reencoded.image[i] & mask)
                << "byte " << i;
        }
    }
}

TEST(WriteReportFileAt, WritesTheReportAndOneLineBreak) {
    test::Harness h(1);
    const FileOutcome saved = WriteReportFileAt(h.data, 1, h.dir / "r.txt");
    ASSERT_TRUE(saved.ok());
    EXPECT_EQ(saved.operation, FileOperation::SaveReportText);
    DataSet copy = h.data;
    EXPECT_EQ(test::ReadBytes(h.dir / "r.txt"), MakeReportText(copy, 1) + "\r\n");

    const FileOutcome failed = WriteReportFileAt(h.data, 1, h.dir / "none" / "r.txt");
    EXPECT_EQ(failed.reason, FileReason::SaveFailed);
    EXPECT_EQ(failed.description, "Path not found");
}

} // namespace
} // namespace qb41
