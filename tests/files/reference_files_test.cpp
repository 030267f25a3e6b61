// One settings data file and one image per model, rebuilt from a fixed set of
// edits over a fresh data set and compared byte for byte with the files in
// tests/data/reference. They pin the codec, the image writer and the data file
// writer: a change to any of them that moves a byte fails here. After a
// deliberate change, regenerate them with
//   QB41_UPDATE_REFERENCE=1 build/bin/files_tests --gtest_filter='ReferenceFiles.*'
// and review the difference before committing.
#include "files/data_file_reader.h"
#include "files/data_file_writer.h"
#include "files/image_file.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace qb41 {
namespace {

namespace fs = std::filesystem;
const fs::path kReference = QB41_REFERENCE_DIR;

void EditChannels(Records& r) {
    ChannelRecord& usa = r.CHUSA[32];
    usa.Enable = usa.TxEnable = usa.PowUp = usa.ScanMemory = kTrue;
    usa.ChTag = "DISTRESS";
    usa.Scramble = 5;
    r.CHUSA[40].Enable = r.CHUSA[40].LowPower = kTrue;
    r.CHUSA[40].ChTag = "ABCDEFGHIJKL";
    r.CHINT[7].Enable = kFalse;
    r.CHCAN[0].Enable = r.CHCAN[0].Duplex = kTrue;
    r.CHCAN[0].ChTag = "ZERO";
    r.CHWX[9].Enable = r.CHWX[9].ScanMemory = kTrue;
    r.CHWX[9].ChTag = "WEATHER TEN";

    ChannelRecord& e0 = r.CHEXP[0];
    e0.CHDisplayL = "01";
    e0.CHDisplayR = "A";
    e0.Enable = e0.LowPower = e0.ScanMemory = e0.Narrow = e0.Compander = kTrue;
    e0.Rxfreq = 156.0512;
    e0.Txfreq = 156.0125;
    e0.Scramble = 4;
    e0.CtcssTone = {0, 1};
    e0.DcsCode = {105, 0};
    e0.ChTag = "WORKBOAT";
    ChannelRecord& e1 = r.CHEXP[1];
    e1.CHDisplayL = "12";
    e1.Enable = e1.PowUp = kTrue;
    e1.Rxfreq = e1.Txfreq = 160.5;
    e1.CtcssTone = {2, 0};
    e1.DcsCode = {0, 3};
}

void EditSettings(DataSet& data) {
    Records& r = data.records;
    r.UsableGroup[0] = {kTrue, kFalse, 32, kTrue, "HOME"};
    r.UsableGroup[3] = {kTrue, kTrue, 0, kTrue, "WORK"};
    r.Common = {1, kTrue, 2, kFalse, kTrue, 3, 1, 1, kTrue};
    r.DscUsable = {kTrue, kFalse, kTrue};
    r.UserMmsi = "3661234560";
    for (int i : {0, 2, 3, 8, 11, 14, 15, 16, 20, 25, 31, 34, 39, 41, 44, 47})
        r.DscFlags[static_cast<std::size_t>(i)] = kTrue;
    r.AtisCode = "9876543210";
    r.AtisKikkerGroup = {kFalse, kTrue, kFalse, kTrue};
    r.AtisCallSign[0] = {"366", "ABC"};
    r.AtisCallSign[19] = {"999", "EOL"};
    r.CHMMSID[0] = {kTrue, "FRIEND", "3669998880"};
    r.CHMMSID[1] = {kTrue, "", "2321234560"};
    r.CHGRPID[0] = {kTrue, "FLEET", "0366123450"};
}

struct Built {
    std::string dat;
    std::string hex;
};

Built Build(ModelNumber model) {
    test::Harness h(model);
    EditChannels(h.data.records);
    EditSettings(h.data);
    const fs::path dat = h.dir / "reference.dat";
    const fs::path hex = h.dir / "reference.hex";
    EXPECT_TRUE(WriteDataFileAt(h.data.records, model, dat, '.').ok());
    EXPECT_TRUE(PrepareAndWriteImageFileAt(h.data, model, hex).ok());
    return {test::ReadBytes(dat), test::ReadBytes(hex)};
}

// Loading a reference file for its model and saving it as the same kind
// gives the file back.
std::string Resaved(ModelNumber model, const fs::path& file) {
    test::Harness h(model);
    const fs::path again = h.dir / ("again" + file.extension().string());
    if (file.extension() == ".dat") {
        EXPECT_TRUE(ReadDataFileAt(h.data.records, model, file).ok()) << file;
        EXPECT_TRUE(WriteDataFileAt(h.data.records, model, again, '.').ok());
    } else {
        EXPECT_TRUE(ReadImageFileAt(h.data, model, file).ok()) << file;
        EXPECT_TRUE(PrepareAndWriteImageFileAt(h.data, model, again).ok());
    }
    return test::ReadBytes(again);
}

class ReferenceFiles : public ::testing::TestWithParam<int> {};

TEST_P(ReferenceFiles, RebuiltFilesMatchByteForByte) {
    const auto model = static_cast<ModelNumber>(GetParam());
    const Built built = Build(model);
    const fs::path dat = kReference / ("model" + std::to_string(model) + ".dat");
    const fs::path hex = kReference / ("model" + std::to_string(model) + ".hex");
    if (std::getenv("QB41_UPDATE_REFERENCE")) {
        test::WriteBytes(dat, built.dat);
        test::WriteBytes(hex, built.hex);
        GTEST_SKIP() << "rewrote " << dat << " and " << hex;
    }
    ASSERT_TRUE(fs::exists(dat) && fs::exists(hex)) << kReference;
    EXPECT_EQ(built.dat, test::ReadBytes(dat));
    EXPECT_EQ(built.hex, test::ReadBytes(hex));
    EXPECT_EQ(built.hex.size(), static_cast<std::size_t>(ImageSize(model)));
    EXPECT_EQ(Resaved(model, dat), built.dat);
    EXPECT_EQ(Resaved(model, hex), built.hex);
}

INSTANTIATE_TEST_SUITE_P(EveryModel, ReferenceFiles, ::testing::Values(0, 1, 2, 3));

} // namespace
} // namespace qb41
