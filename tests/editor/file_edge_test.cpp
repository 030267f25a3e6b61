// The edge of the file operations: what each one leaves in the error, cancel
// and loading flags, the message it shows and the err.log line it writes, for
// every way it can fail and for success, over real files in a scratch folder.
#include "editor/file_edge.h"

#include "core/clock.h"
#include "core/platform.h"
#include "files/data_file_reader.h"
#include "files/data_file_writer.h"
#include "files/data_files.h"
#include "files/destination_files.h"
#include "image/codec.h"
#include "image/defaults.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>

namespace qb41 {

// Messages in failure output, in the texts they carry.
void PrintTo(const Message& m, std::ostream* out) {
    *out << "{icon " << static_cast<int>(m.icon) << ", \"" << m.title << "\", \"" << m.text
         << "\"}";
}

namespace {

namespace fs = std::filesystem;

// An application with a fresh data set for `model`, in diagnostic mode so
// that failures reach err.log in the scratch folder.
struct Harness {
    explicit Harness(ModelNumber model) {
        app.modelNumber = model;
        MakeFreshDataSet(data, model);
    }
    FileContext context() { return FileContext{app, data, notifier, log}; }
    std::string logText() const {
        return fs::exists(log.path()) ? test::ReadBytes(log.path()) : std::string();
    }

    test::ScratchDir dir;
    AppState app;
    DataSet data;
    RecordingNotifier notifier;
    ManualClock clock;
    ErrorLog log{dir.path(), true, clock};
};

std::string ImageFileBytes(ModelNumber model) {
    DataSet data;
    MakeFreshDataSet(data, model);
    PrepareImageForWrite(data, model);
    return std::string(data.image.begin(), data.image.begin() + ImageSize(model));
}

std::string DataFileBytes(ModelNumber model) {
    DataSet data;
    MakeFreshDataSet(data, model);
    return FormatDataFile(data.records, model, '.');
}

void ReadOnly(const fs::path& path) {
    test::WriteBytes(path, "old");
    fs::permissions(path, fs::perms::owner_read | fs::perms::group_read);
}

using Make = std::function<void(const fs::path&)>;
using Operation = std::function<bool(FileContext&, const fs::path&)>;

const Make kNoFile = [](const fs::path&) {};
Make Bytes(std::string bytes) {
    return [bytes](const fs::path& path) { test::WriteBytes(path, bytes); };
}

struct Shown {
    MessageIcon icon;
    const char* title; // "" the window title, "model" the model name, a blank and it
    const char* text;  // "@" stands for the file's path
};

struct Case {
    const char* name;
    const char* file; // in the scratch folder
    Make make;
    Operation run;
    bool errorBefore;
    bool ok;
    bool error;
    bool cancel;
    bool loading; // every case starts with it set
    std::optional<Shown> shown;
    const char* logged; // a part of the err.log line; nullptr: no err.log
};

const Operation kFileRead2 = [](FileContext& c, const fs::path& p) { return FileRead2(c, p); };
const Operation kSaveFileAs = [](FileContext& c, const fs::path& p) {
    return SaveFileAs(c, p, '.');
};
const Operation kSaveHex = [](FileContext& c, const fs::path& p) { return SaveHexFileAs(c, p); };
const Operation kSaveImage = [](FileContext& c, const fs::path& p) { return SaveImageFile(c, p); };
const Operation kReadHex = [](FileContext& c, const fs::path& p) { return ReadHexFileAs(c, p); };
const Operation kOpenImage = [](FileContext& c, const fs::path& p) { return OpenImageFile(c, p); };
const Operation kReadIni = [](FileContext& c, const fs::path& p) { return FileReadIni(c, p); };
const Operation kReport = [](FileContext& c, const fs::path& p) { return SaveReportText(c, p); };
const Operation kLoad = [](FileContext& c, const fs::path& p) { return LoadDataSet(c, p); };
const Operation kSave = [](FileContext& c, const fs::path& p) { return SaveDataSet(c, p); };

constexpr auto W = MessageIcon::Warning;
constexpr auto C = MessageIcon::Critical;

// The selected model is 3 (LW6100, 16384-byte images) throughout. Columns:
// name, file, its contents, operation, error flag before; returns, error,
// cancel and loading flags after; the message shown, the err.log line.
const Case kCases[] = {
    {"data file: missing", "a.dat", kNoFile, kFileRead2, false, false, true, true, false,
     Shown{W, "", "FileRead Error!!\n@: no such file or folder"},
     ":frmMain.FileRead2 -> 53File not found\r\n"},
    {"data file: too large", "a.dat",
     [](const fs::path& p) {
         test::WriteBytes(p, "[MAIN]\r\nMODELTYPE=3\r\n");
         fs::resize_file(p, kMaxDataFileBytes + 1);
     },
     kFileRead2, false, false, true, true, false,
     Shown{W, "", "FileRead Error!!\n@: the file is too large"},
     ":frmMain.FileRead2 -> 7Out of memory\r\n"},
    {"data file: other model", "a.dat", Bytes(DataFileBytes(1)), kFileRead2, false, false, true,
     false, false,
     Shown{C, "", "different model!!\n@: the file's model is ZH520, the selected model LW6100"},
     nullptr},
    {"data file: read", "a.dat", Bytes(DataFileBytes(3)), kFileRead2, true, true, false, false,
     false, std::nullopt, nullptr},
    {"data file: unwritable", "none/a.dat", kNoFile, kSaveFileAs, false, false, true, true, false,
     Shown{W, "", "FileSave Error!!\n@: no such file or folder"},
     ":frmMain.SaveFileAs -> 76Path not found\r\n"},
    {"data file: blocked", "a.dat",
     [](const fs::path& p) {
         fs::create_directory(p); // a folder with content cannot be replaced
         test::WriteBytes(p / "keep", "old");
     },
     kSaveFileAs, false, false, true, true, false,
     Shown{W, "", "FileSave Error!!\n@: path/File access error"},
     ":frmMain.SaveFileAs -> 75Path/File access error\r\n"},
    {"data file: saved", "a.dat", kNoFile, kSaveFileAs, true, true, false, false, false,
     std::nullopt, nullptr},
    {"image: unwritable", "none/a.hex", kNoFile, kSaveHex, false, false, true, true, false,
     Shown{W, "", "FileSave Error!!\n@: no such file or folder"},
     ":frmMain.SaveHexFileAs -> 76Path not found\r\n"},
    {"prepared image: unwritable", "none/a.hex", kNoFile, kSaveImage, false, false, true, true,
     false, Shown{W, "", "FileSave Error!!\n@: no such file or folder"},
     ":frmMain.SaveHexFileAs -> 76Path not found\r\n"},
    // An image save leaves an earlier error flag as it was.
    {"image: saved", "a.hex", kNoFile, kSaveHex, true, true, true, false, false, std::nullopt,
     nullptr},
    {"image: other model", "a.hex", Bytes(ImageFileBytes(0)), kReadHex, false, false, true, false,
     false, Shown{C, "Read from Radio", "ModelType Error !!"}, nullptr},
    {"image: missing", "a.hex", kNoFile, kReadHex, false, false, true, true, false,
     Shown{W, "", "FileRead Error!!\n@: no such file or folder"},
     ":frmMain.ReadHexFileAs -> 53File not found\r\n"},
    {"image: read", "a.hex", Bytes(ImageFileBytes(3)), kReadHex, true, true, false, false, false,
     std::nullopt, nullptr},
    // The length check of the open runs before anything is read or loaded.
    {"image open: wrong length", "a.hex", Bytes(std::string(100, '\0')), kOpenImage, false, false,
     true, false, true,
     Shown{C, "", "bad file!!\n@: the file is 100 bytes; an image of the LW6100 is 16384 bytes"},
     nullptr},
    {"image open: missing", "a.hex", kNoFile, kOpenImage, false, false, true, true, false,
     Shown{W, "", "FileRead Error!!\n@: no such file or folder"},
     ":frmMain.ReadHexFileAs -> 53File not found\r\n"},
    {"destination: wrong length", "usa_17D4.ini", Bytes(ImageFileBytes(1)), kReadIni, false, false,
     false, false, true, std::nullopt, nullptr},
    {"destination: other model", "usa_17D4.ini", Bytes(ImageFileBytes(0)), kReadIni, false, false,
     true, false, false, std::nullopt, nullptr},
    {"destination: missing", "usa_17D4.ini", kNoFile, kReadIni, false, false, true, true, false,
     std::nullopt, ":frmMain.FileReadIni -> 53File not found\r\n"},
    {"destination: read", "usa_17D4.ini", Bytes(ImageFileBytes(3)), kReadIni, true, true, false,
     false, false, std::nullopt, nullptr},
    // A destination file loaded as the data set says why it was refused.
    {"load destination: wrong length", "usa_17D4.ini", Bytes(std::string(100, '\0')), kLoad, false,
     false, false, false, true, Shown{W, "", "IniFileRead Error!!"}, nullptr},
    {"report: unwritable", "none/a.txt", kNoFile, kReport, false, false, true, true, true,
     Shown{W, "model", "Path not found"}, nullptr},
    {"report: saved", "a.txt", kNoFile, kReport, true, true, false, false, true, std::nullopt,
     nullptr},
    {"save data file: read-only", "a.dat", ReadOnly, kSave, false, false, true, true, false,
     Shown{W, "", "FileSave Error!!\n@: the file is read-only"},
     ":frmMain.SaveFileAs -> 70the file is read-only\r\n"},
    {"save image: read-only", "a.hex", ReadOnly, kSave, false, false, true, true, false,
     Shown{W, "", "FileSave Error!!\n@: the file is read-only"},
     ":frmMain.SaveHexFileAs -> 70the file is read-only\r\n"},
    {"save report: read-only", "a.txt", ReadOnly, kSave, false, false, true, true, true,
     Shown{W, "model", "the file is read-only"}, nullptr},
};

std::string Replaced(std::string text, const std::string& path) {
    if (std::size_t at = text.find('@'); at != std::string::npos) text.replace(at, 1, path);
    return text;
}

TEST(FileEdge, EachOperationSetsTheFlagsShowsAndLogsAsTheProgramAlwaysHas) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        Harness h(3);
        const fs::path path = h.dir / c.file;
        c.make(path);
        h.app.errorFlag = c.errorBefore;
        h.app.loading = true;
        FileContext context = h.context();
        EXPECT_EQ(c.run(context, path), c.ok);
        EXPECT_EQ(h.app.errorFlag, c.error);
        EXPECT_EQ(h.app.cancelFlag, c.cancel);
        EXPECT_EQ(h.app.loading, c.loading);
        if (c.shown) {
            std::string title = c.shown->title;
            if (title.empty()) title = h.app.windowTitle;
            if (title == "model") title = h.app.modelName() + " " + h.app.windowTitle;
            const Message expected{c.shown->icon, title, Replaced(c.shown->text, path.string())};
            EXPECT_EQ(h.notifier.messages, std::vector{expected});
        } else {
            EXPECT_TRUE(h.notifier.messages.empty());
        }
        if (c.logged)
            EXPECT_NE(h.logText().find(c.logged), std::string::npos) << h.logText();
        else
            EXPECT_FALSE(fs::exists(h.log.path())) << h.logText();
    }
}

// A refused or failed read leaves the image and the records as they were.
TEST(FileEdge, AReadThatFailsLeavesTheDataSetAlone) {
    const std::pair<const char*, Make> files[] = {{"missing", kNoFile},
                                                  {"wrong length", Bytes(std::string(100, 'x'))},
                                                  {"other model", Bytes(ImageFileBytes(0))}};
    const std::pair<const char*, Operation> reads[] = {{"image read", kReadHex},
                                                       {"image open", kOpenImage},
                                                       {"destination", kReadIni},
                                                       {"data file", kFileRead2}};
    for (const auto& [operation, run] : reads) {
        for (const auto& [name, make] : files) {
            SCOPED_TRACE(std::string(operation) + ": " + name);
            Harness h(3);
            h.data.records.CHUSA[0].ChTag = "KEEP";
            h.data.image[1000] = 0x5A;
            const DataSet before = h.data;
            const fs::path path = h.dir / "usa_17D4.ini";
            make(path);
            FileContext context = h.context();
            EXPECT_FALSE(run(context, path));
            EXPECT_EQ(h.data.image, before.image);
            EXPECT_EQ(h.data.records, before.records);
        }
    }
}

TEST(FileEdge, OpenAndSaveAfterTheDialogKeepTheFileNameAndTheChangedFlag) {
    Harness h(2);
    FileContext context = h.context();
    h.app.currentFileName = "old.dat";
    h.app.dataChanged = true;
    // The dialog was cancelled: nothing happens but the cancel flag.
    EXPECT_FALSE(OpenDataFile(context, ""));
    EXPECT_FALSE(SaveDataFile(context, "", '.'));
    EXPECT_TRUE(h.app.cancelFlag);
    EXPECT_EQ(h.app.currentFileName, "old.dat");
    // A failed open or save keeps the name.
    EXPECT_FALSE(OpenDataFile(context, (h.dir / "missing.dat").string()));
    EXPECT_FALSE(SaveDataFile(context, (h.dir / "none" / "a.dat").string(), '.'));
    EXPECT_TRUE(h.app.cancelFlag);
    EXPECT_EQ(h.app.currentFileName, "old.dat");
    EXPECT_EQ(h.notifier.messages.size(), 2u);

    const fs::path path = h.dir / "MyBoat.DAT";
    ASSERT_TRUE(SaveDataFile(context, path.string(), '.'));
    EXPECT_EQ(h.app.currentFileName, path.string());
    EXPECT_FALSE(h.app.cancelFlag || h.app.errorFlag);
    h.app.currentFileName.clear();
    ASSERT_TRUE(OpenDataFile(context, path.string()));
    EXPECT_EQ(h.app.currentFileName, path.string());
    EXPECT_FALSE(h.app.cancelFlag || h.app.errorFlag);
    EXPECT_TRUE(h.app.dataChanged); // neither clears it
    EXPECT_EQ(WindowCaption(h.app), "myboat.dat - QB41  PC Program for TQ4800M/LW6100 Series");
    EXPECT_EQ(h.notifier.messages.size(), 2u);
}

TEST(FileEdge, AnImageOpenedBecomesTheCurrentFileAndASaveLeavesTheName) {
    for (ModelNumber model : {0, 1}) {
        SCOPED_TRACE(model);
        Harness h(model);
        h.data.records.UserMmsi = "3661234560";
        h.app.currentFileName = "keep.dat";
        FileContext context = h.context();
        const fs::path path = h.dir / "image.hex";
        ASSERT_TRUE(SaveImageFile(context, path));
        EXPECT_EQ(h.app.currentFileName, "keep.dat");
        ASSERT_TRUE(SaveHexFileAs(context, h.dir / "copy.hex"));
        EXPECT_EQ(h.app.currentFileName, "keep.dat");

        Harness other(model);
        other.app.dataChanged = true;
        FileContext otherContext = other.context();
        ASSERT_TRUE(OpenImageFile(otherContext, path));
        EXPECT_EQ(other.app.currentFileName, path.string());
        EXPECT_FALSE(other.app.dataChanged);
        EXPECT_EQ(other.data.records.UserMmsi, "3661234560");
        EXPECT_TRUE(h.notifier.messages.empty());
        EXPECT_TRUE(other.notifier.messages.empty());
    }
}

TEST(FileEdge, AFileNamingNoModelIsRefusedByItsOwnCheck) {
    struct Case {
        const char* name;
        std::string bytes;
        const char* message;
    };
    const Case cases[] = {{"a.dat", "[MAIN]\r\nMODELTYPE=9\r\n",
                           "different model!!\n@/a.dat: the file's model is model 9, the "
                           "selected model ZH540"},
                          {"a.hex", std::string(1000, '\0'),
                           "bad file!!\n@/a.hex: the file is 1000 bytes; an image of the ZH540 "
                           "is 16384 bytes"},
                          {"a.hex", std::string(16384, '\0'), "ModelType Error !!"},
                          {"usa_12C0.ini", std::string(16384, '\0'), "IniFileRead Error!!"}};
    for (const Case& c : cases) {
        Harness h(2);
        test::WriteBytes(h.dir / c.name, c.bytes);
        FileContext context = h.context();
        EXPECT_FALSE(LoadDataSetFor(context, h.dir / c.name, std::nullopt));
        ASSERT_FALSE(h.notifier.messages.empty());
        std::string expected = c.message;
        if (std::size_t at = expected.find("@/"); at != std::string::npos)
            expected.replace(at, 2, (h.dir.path() / "").string());
        EXPECT_EQ(h.notifier.messages.back().text, expected);
    }
}

TEST(FileEdge, LoadAndSaveByKindFollowTheModelTheFileNames) {
    Harness h(1);
    h.data.records.UserMmsi = "3661234560";
    FileContext context = h.context();
    for (const char* name : {"a.dat", "a.hex"}) ASSERT_TRUE(SaveDataSet(context, h.dir / name));
    for (const char* name : {"a.dat", "a.hex"}) {
        SCOPED_TRACE(name);
        Harness loaded(3);
        FileContext back = loaded.context();
        ASSERT_TRUE(LoadDataSetFor(back, h.dir / name, std::nullopt));
        EXPECT_EQ(loaded.app.modelNumber, 1);
        EXPECT_EQ(loaded.data.records.UserMmsi, "3661234560");
        EXPECT_TRUE(loaded.notifier.messages.empty());
    }
    EXPECT_FALSE(SaveDataSet(context, h.dir / "a.ini")); // not a kind a save writes
    EXPECT_TRUE(h.notifier.messages.empty());
}

TEST(FileEdge, AMissingNonAsciiNameIsReportedByItsName) {
    Harness h(1);
    const std::string utf8 = "fehlt-\xC3\xBC\xE6\x97\xA5.dat";
    FileContext context = h.context();
    EXPECT_FALSE(LoadDataSetFor(context, h.dir.path() / platform::PathFromUtf8(utf8), 1));
    ASSERT_FALSE(h.notifier.messages.empty());
    EXPECT_NE(h.notifier.messages.back().text.find(utf8), std::string::npos)
        << h.notifier.messages.back().text;
}

// The shipped files, where the program finds them: another model refuses
// them by their code (error flag) or, for model 1's 8192 bytes, silently.
TEST(FileEdge, AShippedDestinationOfAnotherModelSetsTheErrorFlagOnlyForItsCode) {
    for (ModelNumber model : {0, 1, 2, 3}) {
        SCOPED_TRACE(model);
        const ModelNumber otherModel = model == 3 ? 0 : (model == 2 ? 3 : 2);
        Harness other(otherModel);
        FileContext context = other.context();
        EXPECT_FALSE(
            FileReadIni(context, DestinationFilePath(platform::ExecutableFolder(), "usa", model)));
        EXPECT_EQ(other.app.errorFlag, model != 1);
        EXPECT_TRUE(other.notifier.messages.empty());
    }
}

} // namespace
} // namespace qb41
