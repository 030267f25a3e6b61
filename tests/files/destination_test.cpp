#include "files/destination_files.h"
#include "files/settings_store.h"

#include "core/error_log.h"

#include "image/codec.h"
#include "image/layout.h"
#include "image/primitives.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace qb41 {
namespace {

std::string FreshImageFile(ModelNumber model) {
    DataSet data;
    MakeFreshDataSet(data, model);
    data.records.CHEXP[0].Enable = kTrue;
    PrepareImageForWrite(data, model);
    return std::string(data.image.begin(), data.image.begin() + ImageSize(model));
}

TEST(DestinationCatalogue, ListsTheModelsFilesByNameBeforeTheFirstUnderscore) {
    test::ScratchDir dir;
    for (const char* name : {"usa_12C0.ini", "Intl_12C0.ini", "east_coast_12C0.ini",
                             "canada_12c0.INI", "usa_17D4.ini", "usa_12C0.ini.bak", "notes.txt"})
        test::WriteBytes(dir / name, "x");
    std::filesystem::create_directory(dir / "folder_12C0.ini");
    EXPECT_EQ(ListDestinations(dir.path(), 0),
              (std::vector<std::string>{"canada", "east", "Intl", "usa"}));
    EXPECT_EQ(ListDestinations(dir.path(), 3), (std::vector<std::string>{"usa"}));
    EXPECT_TRUE(ListDestinations(dir.path(), 1).empty());
    EXPECT_TRUE(ListDestinations(dir / "missing", 0).empty());
}

TEST(DestinationCatalogue, OffersAtMostTenSorted) {
    test::ScratchDir dir;
    for (char c = 'k'; c >= 'a'; --c) {
        test::WriteBytes(dir / (std::string(1, c) + "_17D4.ini"), "x");
    }
    // The first ten by file name, whatever order the folder lists them in.
    EXPECT_EQ(ListDestinations(dir.path(), 3),
              (std::vector<std::string>{"a", "b", "c", "d", "e", "f", "g", "h", "i", "j"}));
}

TEST(DestinationCatalogue, ElevenFilesCaseUnderscoresAndEmptyNames) {
    test::ScratchDir dir;
    const char* names[] = {"Zulu_021C.ini", "alpha_021C.ini", "east_coast_021C.ini", "b_021c.INI",
                           "_021C.ini",     "c_021C.ini",     "d_021C.ini",          "e_021C.ini",
                           "f_021C.ini",    "g_021C.ini",     "h_021C.ini",          "i_021C.ini",
                           "usa_12C0.ini",  "notes.txt"};
    for (const char* name : names) test::WriteBytes(dir / name, "x");
    const auto list = ListDestinationFiles(dir.path(), 2);
    std::vector<std::string> shown;
    for (const auto& d : list) shown.push_back(d.name);
    // Eleven files name a destination of the model (the empty name is skipped);
    // the first ten by file name are offered (Zulu is the eleventh), sorted.
    EXPECT_EQ(shown,
              (std::vector<std::string>{"alpha", "b", "c", "d", "e", "east", "f", "g", "h", "i"}));
    // The file listed is the one loaded, whatever the case of its suffix.
    EXPECT_EQ(list[1].file.filename(), "b_021c.INI");
    EXPECT_EQ(FindDestination(list, "EAST"), 5u);
    EXPECT_FALSE(FindDestination(list, "zulu"));
    EXPECT_FALSE(FindDestination(list, "west"));
}

TEST(DestinationCatalogue, SortsIgnoringCaseAndFindsIgnoringCase) {
    std::vector<std::string> names{"usa", "Canada", "intl", "EAST", "b", "A", "c"};
    SortDestinationNames(names);
    EXPECT_EQ(names, (std::vector<std::string>{"A", "b", "c", "Canada", "EAST", "intl", "usa"}));
    EXPECT_EQ(FindDestination(names, "USA"), 6u);
    EXPECT_EQ(FindDestination(names, "canada"), 3u);
    EXPECT_EQ(FindDestination(names, "west"), std::nullopt);
    EXPECT_EQ(DestinationFilePath("/opt/qb41", "usa", 0),
              std::filesystem::path("/opt/qb41/usa_12C0.ini"));
    EXPECT_EQ(DestinationFilePath("/opt/qb41", "usa", 1).filename(), "usa_0208.ini");
}

TEST(ReadDestinationFileAt, LoadsAFileOfTheSelectedModel) {
    for (ModelNumber model : {0, 1}) {
        test::Harness h(model);
        test::WriteBytes(h.dir / "x.ini", FreshImageFile(model));
        const FileOutcome outcome = ReadDestinationFileAt(h.data, model, h.dir / "x.ini");
        ASSERT_TRUE(outcome.ok());
        EXPECT_EQ(outcome.operation, FileOperation::ReadDestinationFile);
        EXPECT_EQ(h.data.records.CHEXP[0].Enable, kTrue);
    }
}

TEST(ReadDestinationFileAt, RefusesByLengthOrModelAndChangesNothing) {
    struct Case {
        const char* what;
        ModelNumber selected;
        std::string bytes;
        FileReason reason;
    };
    const Case cases[] = {{"wrong length", 1, FreshImageFile(0), FileReason::WrongLength},
                          {"wrong length", 0, FreshImageFile(1), FileReason::WrongLength},
                          {"other model", 3, FreshImageFile(0), FileReason::WrongModel},
                          {"other model", 2, FreshImageFile(0), FileReason::WrongModel}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::Harness h(c.selected);
        test::WriteBytes(h.dir / "x.ini", c.bytes);
        const DataSet before = h.data;
        const FileOutcome outcome = ReadDestinationFileAt(h.data, c.selected, h.dir / "x.ini");
        EXPECT_EQ(outcome.reason, c.reason);
        EXPECT_TRUE(outcome.errorText.empty());
        EXPECT_FALSE(outcome.cause.empty());
        EXPECT_EQ(h.data.image, before.image);
        EXPECT_EQ(h.data.records, before.records);
    }
}

TEST(ReadDestinationFileAt, AMissingFileIsAReadFailure) {
    test::Harness h(0);
    const FileOutcome outcome = ReadDestinationFileAt(h.data, 0, h.dir / "usa_12C0.ini");
    EXPECT_EQ(outcome.reason, FileReason::ReadFailed);
    EXPECT_EQ(outcome.errorText, "53File not found");
}

// The files the build places beside the executables, where the program looks.
TEST(ShippedDestinations, LoadForTheirModelAndAreRefusedForTheOther) {
    const std::filesystem::path folder = ExecutableFolder();
    for (ModelNumber model : {0, 1, 2, 3}) {
        SCOPED_TRACE(model);
        EXPECT_EQ(ListDestinations(folder, model),
                  (std::vector<std::string>{"canada", "intl", "usa"}));
        const char* regions[] = {"usa", "intl", "canada"};
        for (int group = 0; group < 3; ++group) {
            const auto path = DestinationFilePath(folder, regions[group], model);
            test::Harness h(model);
            ASSERT_TRUE(ReadDestinationFileAt(h.data, model, path).ok()) << path;
            for (int g = 0; g < 3; ++g)
                EXPECT_EQ(h.data.records.UsableGroup[g].Usable, ToVbBool(g == group));
            EXPECT_EQ(h.data.image[layout::kCurrentGroup], group);
            EXPECT_EQ(h.data.image[layout::kChecksum], Checksum(h.data.image, 66, 29));

            // Another model refuses it: by its code, or by its length for
            // model 1's 8192-byte image.
            const ModelNumber otherModel = model == 3 ? 0 : (model == 2 ? 3 : 2);
            test::Harness other(otherModel);
            EXPECT_EQ(ReadDestinationFileAt(other.data, otherModel, path).reason,
                      model == 1 ? FileReason::WrongLength : FileReason::WrongModel);
        }
    }
}

TEST(SettingsStore, KeysAndDefaultsStayAsEarlierRunsStoredThem) {
    MemorySettingsStore store;
    EXPECT_EQ(ReadModelNumber(store), 2);
    EXPECT_EQ(ReadComPort(store), 1);
    EXPECT_EQ(ReadDestinationName(store, 3), "usa");
    SaveModelNumber(store, 3);
    SaveDestinationName(store, 3, "Intl");
    SaveWindowPlacement(store, {10, 20, 300, 400});
    EXPECT_EQ(store.values.at({"QB41", "ModelPath", "ModelNum"}), "3");
    EXPECT_EQ(store.values.at({"QB41", "IniFilePath", "IniFileName_3"}), "Intl");
    EXPECT_EQ(store.values.at({"QB41", "Settings", "MainHeight"}), "400");
    EXPECT_EQ(ReadDestinationName(store, 0), "usa");
    store.SaveSetting("QB41", "ComPath", "ComNum", "x");
    EXPECT_EQ(ReadComPort(store), 1); // unreadable text gives the default
}

} // namespace
} // namespace qb41
