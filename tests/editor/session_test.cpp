// The desktop program's session flows without a window: a recording view,
// the recording notifier, an in-memory settings store and a manual clock, on
// real files in a scratch folder.
#include "editor/app_settings.h"
#include "editor/channel_lists.h"
#include "editor/session.h"

#include "files/data_file_writer.h"
#include "image/codec.h"
#include "image/defaults.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>

namespace qb41::editor {
namespace {

using test::ScratchDir;

class RecordingView : public MainView {
public:
    void setBusy(bool busy) override { busyDepth += busy ? 1 : -1; }
    bool isMinimised() const override { return minimised; }
    void setCaption(const std::string& text) override { caption = text; }
    void setStatusHint(const std::string& text) override { hint = text; }
    void setModelName(const std::string& name) override { modelName = name; }
    void setModelChecks(ModelNumber model) override { checkedModel = model; }
    void setDestinationMenu(const DestinationMenuState& menu) override { destinations = menu; }
    void setSerialPortMenu(const SerialPortMenuState& menu) override { ports = menu; }
    void setTree(const std::vector<TreeNode>& nodes) override {
        tree = nodes;
        ++treeBuilds;
    }
    void setNodeText(const std::string& key, const std::string& text) override {
        for (TreeNode& node : tree)
            if (node.key == key) node.text = text;
    }
    void selectNode(const std::string& key) override { selected = key; }
    void showPane(const PaneTarget& target, const std::string& key) override {
        shown.push_back({target, key});
    }
    void prepareEditors(ModelNumber) override { ++prepared; }
    bool validateEditor() override {
        ++validations;
        return editorValid;
    }
    std::string askOpenFileName(const FileDialogSpec& dialog) override {
        dialogs.push_back(dialog);
        return openName;
    }
    std::string askSaveFileName(const FileDialogSpec& dialog) override {
        dialogs.push_back(dialog);
        return saveName;
    }
    void armResetTimer() override { ++timerArmed; }

    const TreeNode* node(const std::string& key) const {
        for (const TreeNode& n : tree)
            if (n.key == key) return &n;
        return nullptr;
    }

    int busyDepth = 0;
    bool minimised = false;
    std::string caption, hint, modelName, selected, openName, saveName;
    ModelNumber checkedModel = -1;
    DestinationMenuState destinations;
    SerialPortMenuState ports;
    std::vector<TreeNode> tree;
    int treeBuilds = 0;
    std::vector<std::pair<PaneTarget, std::string>> shown;
    int prepared = 0;
    bool editorValid = true;
    int validations = 0;
    std::vector<FileDialogSpec> dialogs;
    int timerArmed = 0;
};

// A destination default file of `model` whose records differ from the fresh
// set: a name on USA channel 16 and the USA group's status name.
std::string DestinationBytes(ModelNumber model, const std::string& tag) {
    DataSet data;
    MakeFreshDataSet(data, model);
    data.records.CHUSA[32].ChTag = tag;
    data.records.UsableGroup[0].StatusName = "Dock";
    EncodeImage(data, model);
    return std::string(data.image.begin(), data.image.begin() + ImageSize(model));
}

struct Fixture : ::testing::Test {
    ScratchDir dir{"qb41-session"};
    AppState app;
    DataSet data;
    RecordingNotifier notifier;
    MemorySettingsStore store;
    ManualClock clock;
    ErrorLog log{dir.path(), false, clock};
    RecordingView view;
    std::unique_ptr<Session> session;

    void Start(const std::optional<std::string>& port = std::nullopt) {
        session = std::make_unique<Session>(
            SessionParts{app, data, notifier, store, log, clock, view, dir.path()});
        session->Startup(port);
    }
    void Store(const std::string& section, const std::string& key, const std::string& value) {
        store.SaveSetting(kSettingsApp, section, key, value);
    }
    std::string Stored(const std::string& section, const std::string& key) {
        return store.GetSetting(kSettingsApp, section, key, "<none>");
    }
};

TEST_F(Fixture, FirstStartUsesModel2Com1AndShowsGeneral) {
    test::WriteBytes(dir / "usa_021C.ini", DestinationBytes(2, "HARBOUR"));
    Start();
    EXPECT_EQ(app.modelNumber, 2);
    EXPECT_EQ(view.checkedModel, 2);
    EXPECT_EQ(view.modelName, "LW6100");
    EXPECT_EQ(app.serialPort, 1);
    EXPECT_EQ(view.ports.checked, 0);
    EXPECT_EQ(view.destinations.checked, 0); // "usa" loaded
    EXPECT_EQ(data.records.CHUSA[32].ChTag, "HARBOUR");
    EXPECT_EQ(view.selected, "General");
    EXPECT_EQ(session->currentKey(), "General");
    EXPECT_FALSE(app.dataChanged);
    EXPECT_EQ(view.caption, "QB41  PC Program for TQ4800M/LW6100 Series[*]");
    EXPECT_EQ(view.node("PU")->text, "USA(Dock)");
    EXPECT_EQ(view.busyDepth, 0);
    EXPECT_TRUE(notifier.messages.empty());
    EXPECT_EQ(Stored("ComPath", "ComNum"), "<none>"); // start-up writes nothing back
}

TEST_F(Fixture, StoredValuesOutOfRange) {
    struct Case {
        const char* comNum;
        const char* modelNum;
        std::int16_t port;
        ModelNumber model;
    };
    // A model number no model has falls back to the default, as junk does.
    for (const Case& c : {Case{"7", "3", 1, 3}, Case{"-2", "0", 1, 0}, Case{"x", "junk", 1, 2},
                          Case{"4", "9", 4, 2}, Case{"1", "7", 1, 2}, Case{"1", "-1", 1, 2}}) {
        SCOPED_TRACE(std::string(c.comNum) + "/" + c.modelNum);
        Store("ComPath", "ComNum", c.comNum);
        Store("ModelPath", "ModelNum", c.modelNum);
        Start();
        EXPECT_EQ(app.serialPort, c.port);
        EXPECT_EQ(view.ports.checked, c.port - 1);
        EXPECT_EQ(app.modelNumber, c.model);
        EXPECT_EQ(Stored("ComPath", "ComNum"), c.comNum); // nothing written back
    }
    EXPECT_EQ(view.checkedModel, 2);
    EXPECT_EQ(Stored("ModelPath", "ModelNum"), "-1"); // nothing written back
    EXPECT_NE(view.node("General"), nullptr);
}

TEST_F(Fixture, PortChoicesAndOverride) {
    Store("ComPath", "ComDevice", "/dev/ttyUSB3");
    Start();
    EXPECT_EQ(session->PortDevice(), "/dev/ttyUSB3");
    EXPECT_EQ(view.ports.checked, -1);
    session->ChooseSerialPort(2);
    EXPECT_EQ(view.ports.checked, 2);
    EXPECT_EQ(Stored("ComPath", "ComNum"), "3");
    EXPECT_EQ(Stored("ComPath", "ComDevice"), "");
    session->ChooseSerialDevice("COM2");
    EXPECT_EQ(app.serialPort, 2);
    session->ChooseSerialDevice("/dev/ttyACM0");
    EXPECT_EQ(session->PortDevice(), "/dev/ttyACM0");
    EXPECT_EQ(Stored("ComPath", "ComDevice"), "/dev/ttyACM0");

    // --port is for this run only.
    Start(std::string("/dev/pts/9"));
    EXPECT_EQ(session->PortDevice(), "/dev/pts/9");
    EXPECT_EQ(Stored("ComPath", "ComDevice"), "/dev/ttyACM0");
}

TEST_F(Fixture, FailedDestinationSwitchChangesNothing) {
    test::WriteBytes(dir / "usa_021C.ini", DestinationBytes(2, "HARBOUR"));
    test::WriteBytes(dir / "broken_021C.ini", DestinationBytes(3, "OTHER")); // another model
    Start();
    ASSERT_EQ(view.destinations.captions, (std::vector<std::string>{"broken", "usa"}));
    ASSERT_EQ(view.destinations.checked, 1);
    data.records.CHUSA[32].ChTag = "EDITED";
    app.dataChanged = true;
    notifier.answers = {MessageAnswer::Ok, MessageAnswer::No};
    session->ChooseDestination(0);
    ASSERT_EQ(notifier.messages.size(), 3u);
    EXPECT_EQ(notifier.messages[0].text, "Do yo want to change to broken?");
    EXPECT_EQ(notifier.messages[1].text, kClosePrompt);
    EXPECT_EQ(notifier.messages[2].text, "IniFileRead Error!!");
    EXPECT_EQ(notifier.messages[2].icon, MessageIcon::Warning);
    EXPECT_EQ(data.records.CHUSA[32].ChTag, "EDITED");
    EXPECT_TRUE(app.dataChanged);
    EXPECT_EQ(view.destinations.checked, 1);
    EXPECT_EQ(Stored("IniFilePath", "IniFileName_2"), "<none>");
    EXPECT_EQ(view.busyDepth, 0);
    EXPECT_EQ(clock.pauses(),
              (std::vector<std::chrono::milliseconds>{std::chrono::milliseconds(500)}));
}

TEST_F(Fixture, AStoredDestinationThatFailsIsNamedOnce) {
    struct Case {
        const char* what;
        std::function<void()> make;
        const char* cause;
    };
    const auto file = dir / "usa_021C.ini";
    const std::vector<Case> cases = {
        {"short", [&] { test::WriteBytes(file, std::string(100, '\xFF')); },
         "its length is 100 bytes, not the 16384 of the model's image"},
        {"other model", [&] { test::WriteBytes(file, DestinationBytes(3, "X")); },
         "it was made for another model"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.make();
        notifier.messages.clear();
        Start();
        ASSERT_EQ(notifier.messages.size(), 1u);
        EXPECT_EQ(notifier.messages[0].icon, MessageIcon::Warning);
        EXPECT_EQ(notifier.messages[0].text, "IniFileRead Error!!\r\n" + file.string() + ": " +
                                                 c.cause +
                                                 "\r\nThe model's defaults are loaded instead.");
        EXPECT_EQ(view.destinations.checked, -1);
        ASSERT_TRUE(session->FileNew());
        session->OnResetTimer();
        EXPECT_EQ(notifier.messages.size(), 1u); // not again on New
    }
    // A stored name no file has is no failure: nothing to say.
    std::filesystem::remove(file);
    notifier.messages.clear();
    Start();
    EXPECT_TRUE(notifier.messages.empty());
}

TEST_F(Fixture, ClashingDestinationNamesStayApartAndTheChosenFileIsStored) {
    test::WriteBytes(dir / "east_021C.ini", DestinationBytes(2, "EAST"));
    test::WriteBytes(dir / "east_coast_021C.ini", DestinationBytes(2, "COAST"));
    test::WriteBytes(dir / "usa_021C.ini", DestinationBytes(2, "HARBOUR"));
    Start();
    ASSERT_EQ(view.destinations.captions, (std::vector<std::string>{"east", "east_coast", "usa"}));
    notifier.answers = {MessageAnswer::Ok};
    session->ChooseDestination(1);
    EXPECT_EQ(data.records.CHUSA[32].ChTag, "COAST");
    EXPECT_EQ(Stored("IniFilePath", "IniFileName_2"), "east_coast");
    Start(); // the next start loads the file chosen
    EXPECT_EQ(view.destinations.checked, 1);
    EXPECT_EQ(data.records.CHUSA[32].ChTag, "COAST");
    session->FileNew();
    session->OnResetTimer();
    EXPECT_EQ(view.destinations.checked, 1);
    EXPECT_EQ(data.records.CHUSA[32].ChTag, "COAST");
}

TEST_F(Fixture, AStoreThatRefusesWritesIsSaidOnce) {
    Start();
    store.readOnly = true;
    notifier.answers = {MessageAnswer::Ok};
    session->ChooseModel(3);
    EXPECT_EQ(app.modelNumber, 3); // the choice holds for this run
    ASSERT_EQ(notifier.messages.size(), 2u);
    EXPECT_EQ(notifier.messages[1].icon, MessageIcon::Warning);
    EXPECT_TRUE(notifier.messages[1].text.starts_with(
        "The settings could not be written to the test store."))
        << notifier.messages[1].text;
    session->ChooseSerialPort(2);
    session->ChooseSerialDevice("/dev/ttyUSB1");
    EXPECT_EQ(notifier.messages.size(), 2u);
    EXPECT_EQ(Stored("ModelPath", "ModelNum"), "<none>");
}

TEST_F(Fixture, DestinationSwitchAsksUnlessChecked) {
    test::WriteBytes(dir / "usa_021C.ini", DestinationBytes(2, "HARBOUR"));
    test::WriteBytes(dir / "intl_021C.ini", DestinationBytes(2, "PORT"));
    Start();
    notifier.answers = {MessageAnswer::Cancel};
    session->ChooseDestination(0); // intl
    EXPECT_EQ(data.records.CHUSA[32].ChTag, "HARBOUR");
    session->ChooseDestination(0);
    EXPECT_EQ(data.records.CHUSA[32].ChTag, "PORT");
    EXPECT_EQ(view.destinations.checked, 0);
    EXPECT_EQ(Stored("IniFilePath", "IniFileName_2"), "intl");
    const std::size_t asked = notifier.messages.size();
    session->ChooseDestination(0); // the checked one reloads without a question
    EXPECT_EQ(notifier.messages.size(), asked);
    EXPECT_FALSE(app.dataChanged);
}

TEST_F(Fixture, ModelSwitch) {
    Start();
    session->ChooseModel(2); // already selected: no question
    EXPECT_TRUE(notifier.messages.empty());

    view.editorValid = false; // a refused field changes nothing
    session->ChooseModel(0);
    EXPECT_TRUE(notifier.messages.empty());
    EXPECT_EQ(app.modelNumber, 2);

    view.editorValid = true;
    notifier.answers = {MessageAnswer::Cancel};
    session->ChooseModel(0);
    EXPECT_EQ(notifier.messages.back().text, "Do yo want to program the TQ4800M series?");
    EXPECT_EQ(app.modelNumber, 2);
    EXPECT_EQ(view.timerArmed, 0);

    app.dataChanged = true; // then the save question; Cancel keeps the model
    notifier.answers = {MessageAnswer::Ok, MessageAnswer::Cancel};
    session->ChooseModel(1);
    EXPECT_EQ(notifier.messages.back().text, kClosePrompt);
    EXPECT_EQ(app.modelNumber, 2);
    EXPECT_EQ(view.timerArmed, 0);
    notifier.answers = {MessageAnswer::Ok, MessageAnswer::No};
    session->ChooseModel(1);
    EXPECT_EQ(notifier.messages.end()[-2].text, "Do yo want to program the ZH520 series?");
    EXPECT_EQ(app.modelNumber, 1);
    EXPECT_EQ(view.checkedModel, 1);
    EXPECT_EQ(Stored("ModelPath", "ModelNum"), "1");
    EXPECT_EQ(view.timerArmed, 1);
    session->OnResetTimer();
    EXPECT_FALSE(app.dataChanged);
    EXPECT_EQ(data.imageLastIndex, 8191);
    EXPECT_EQ(view.node("PU")->text, "USA"); // model 1 keeps no status names
}

TEST_F(Fixture, NewAsksAboutUnsavedChanges) {
    Start();
    struct Case {
        MessageAnswer answer;
        const char* saveName;
        bool armed;
    };
    const std::string saved = (dir / "saved.dat").string();
    for (const Case& c :
         {Case{MessageAnswer::Cancel, "", false}, Case{MessageAnswer::No, "", true},
          Case{MessageAnswer::Yes, "", false}, Case{MessageAnswer::Yes, saved.c_str(), true}}) {
        app.dataChanged = true;
        view.timerArmed = 0;
        view.saveName = c.saveName;
        notifier.messages.clear();
        notifier.answers = {c.answer};
        EXPECT_EQ(session->FileNew(), c.armed);
        EXPECT_EQ(view.timerArmed, c.armed ? 1 : 0);
        ASSERT_FALSE(notifier.messages.empty());
        EXPECT_EQ(notifier.messages[0].text, kClosePrompt);
        EXPECT_EQ(notifier.messages[0].buttons, MessageButtons::YesNoCancel);
    }
    EXPECT_TRUE(std::filesystem::exists(saved));
    view.editorValid = false;
    app.dataChanged = false;
    view.timerArmed = 0;
    EXPECT_FALSE(session->FileNew());
    EXPECT_EQ(view.timerArmed, 0);
}

TEST_F(Fixture, ClosePrompt) {
    Start();
    EXPECT_TRUE(session->QueryClose()); // nothing changed: no question
    EXPECT_TRUE(notifier.messages.empty());
    app.dataChanged = true;
    notifier.answers = {MessageAnswer::Cancel};
    EXPECT_FALSE(session->QueryClose());
    notifier.answers = {MessageAnswer::No};
    EXPECT_TRUE(session->QueryClose());
    notifier.answers = {MessageAnswer::Yes}; // then the file dialog is cancelled
    EXPECT_FALSE(session->QueryClose());
    view.editorValid = false;
    notifier.answers = {MessageAnswer::Yes};
    EXPECT_FALSE(session->QueryClose());
    view.editorValid = true;
    view.saveName = (dir / "boat.dat").string();
    notifier.answers = {MessageAnswer::Yes};
    EXPECT_TRUE(session->QueryClose());
    EXPECT_FALSE(app.dataChanged);

    session->SaveWindowPlacement({15, 30, 9105, 6660});
    EXPECT_EQ(Stored("Settings", "MainWidth"), "9105");
    view.minimised = true;
    session->SaveWindowPlacement({0, 0, 1, 1});
    EXPECT_EQ(Stored("Settings", "MainWidth"), "9105");
}

TEST_F(Fixture, CaptionAfterOpenSaveAndRead) {
    Start();
    const auto first = dir / "MyBoat.dat";
    data.records.CHUSA[32].ChTag = "FIRST";
    view.saveName = first.string();
    ASSERT_TRUE(session->FileSaveAs());
    EXPECT_EQ(view.caption, "myboat.dat[*] - QB41  PC Program for TQ4800M/LW6100 Series");
    EXPECT_EQ(view.dialogs.back().filter, "dat files(*.dat)|*.dat|All files(*.*)|*.*");
    EXPECT_TRUE(view.dialogs.back().save);

    data.records.CHUSA[32].ChTag = "CHANGED";
    app.dataChanged = true;
    ASSERT_TRUE(session->FileSave()); // to the current name, no dialog
    EXPECT_EQ(view.dialogs.size(), 1u);
    EXPECT_FALSE(app.dataChanged);

    session->InitData(true);
    EXPECT_EQ(view.caption, "QB41  PC Program for TQ4800M/LW6100 Series[*]");
    view.openName = first.string();
    session->FileOpen();
    EXPECT_EQ(data.records.CHUSA[32].ChTag, "CHANGED");
    EXPECT_EQ(view.caption, "myboat.dat[*] - QB41  PC Program for TQ4800M/LW6100 Series");

    session->AfterRadioRead();
    EXPECT_EQ(view.caption, "QB41  PC Program for TQ4800M/LW6100 Series[*]");
    EXPECT_TRUE(app.currentFileName.empty());
    EXPECT_FALSE(app.dataChanged);

    view.openName.clear(); // a cancelled dialog changes nothing
    session->FileOpen();
    EXPECT_TRUE(app.cancelFlag);
    EXPECT_EQ(data.records.CHUSA[32].ChTag, "CHANGED");
}

// Every action that replaces the records asks the close prompt first when
// there are unsaved edits: Cancel stops it with the edit kept, No goes on,
// Yes saves first (and a cancelled save dialog stops it too).
TEST_F(Fixture, ActionsThatReplaceTheRecordsOfferToSave) {
    test::WriteBytes(dir / "usa_021C.ini", DestinationBytes(2, "HARBOUR"));
    test::WriteBytes(dir / "intl_021C.ini", DestinationBytes(2, "PORT"));
    const auto other = dir / "other.dat";
    {
        DataSet file;
        MakeFreshDataSet(file, 2);
        file.records.CHUSA[32].ChTag = "OTHER";
        test::WriteBytes(other, FormatDataFile(file.records, 2, '.'));
    }
    struct Action {
        const char* name;
        std::vector<MessageAnswer> confirm; // answers before the save question
        std::function<void(Session&)> run;
        std::function<bool()> replaced; // the records (or model) were replaced
    };
    const std::vector<Action> actions = {
        {"open",
         {},
         [](Session& s) { s.FileOpen(); },
         [&] { return data.records.CHUSA[32].ChTag == "OTHER"; }},
        {"model",
         {MessageAnswer::Ok},
         [](Session& s) { s.ChooseModel(3); },
         [&] { return app.modelNumber == 3 && view.timerArmed == 1; }},
        {"destination",
         {MessageAnswer::Ok},
         [](Session& s) { s.ChooseDestination(0); },
         [&] { return data.records.CHUSA[32].ChTag == "PORT"; }},
        {"checked destination",
         {},
         [](Session& s) { s.ChooseDestination(1); },
         [&] { return data.records.CHUSA[32].ChTag == "HARBOUR"; }},
        {"new", {}, [](Session& s) { s.FileNew(); }, [&] { return view.timerArmed == 1; }},
    };
    struct Answer {
        MessageAnswer answer;
        bool giveSaveName;
        bool goesOn;
    };
    for (const Action& action : actions)
        for (const Answer& a :
             {Answer{MessageAnswer::Cancel, false, false}, Answer{MessageAnswer::Yes, false, false},
              Answer{MessageAnswer::Yes, true, true}, Answer{MessageAnswer::No, false, true}}) {
            SCOPED_TRACE(std::string(action.name) + " answer " +
                         std::to_string(static_cast<int>(a.answer)) +
                         (a.giveSaveName ? " saved" : ""));
            store.values.clear();
            Start();
            ASSERT_EQ(view.destinations.checked, 1); // usa
            data.records.CHUSA[32].ChTag = "EDITED";
            app.dataChanged = true;
            view.timerArmed = 0;
            view.openName = other.string();
            const auto saved = dir / "saved.dat";
            std::filesystem::remove(saved);
            view.saveName = a.giveSaveName ? saved.string() : "";
            notifier.messages.clear();
            notifier.answers.assign(action.confirm.begin(), action.confirm.end());
            notifier.answers.push_back(a.answer);
            action.run(*session);
            ASSERT_GT(notifier.messages.size(), action.confirm.size());
            EXPECT_EQ(notifier.messages[action.confirm.size()].text, kClosePrompt);
            EXPECT_EQ(notifier.messages[action.confirm.size()].buttons,
                      MessageButtons::YesNoCancel);
            EXPECT_EQ(action.replaced(), a.goesOn);
            if (!a.goesOn) {
                EXPECT_EQ(data.records.CHUSA[32].ChTag, "EDITED");
                EXPECT_TRUE(app.dataChanged);
                EXPECT_EQ(app.modelNumber, 2);
            }
            EXPECT_EQ(std::filesystem::exists(saved), a.giveSaveName);
            EXPECT_EQ(view.busyDepth, 0);
        }
}

TEST_F(Fixture, OpenStartsFromTheDefaultsAndTheCheckedDestination) {
    test::WriteBytes(dir / "usa_021C.ini", DestinationBytes(2, "HARBOUR"));
    const auto full = dir / "full.dat";
    const auto cut = dir / "cut.dat";
    {
        DataSet file;
        MakeFreshDataSet(file, 2);
        file.records.CHMMSID[0].Enable = kTrue;
        file.records.CHMMSID[0].Mmsid = "2111234560";
        file.records.CHMMSID[0].TagName = "TENDER";
        file.records.CHUSA[32].ChTag = "FULL";
        file.records.CHUSA[100].ChTag = "LATE";
        test::WriteBytes(full, FormatDataFile(file.records, 2, '.'));
        file.records.CHMMSID[0] = {};
        file.records.CHUSA[32].ChTag = "CUT";
        const std::string text = FormatDataFile(file.records, 2, '.');
        test::WriteBytes(cut, text.substr(0, text.find("[CHUSA120]")));
    }
    Start();
    ASSERT_TRUE(session->OpenDataFileAt(cut));
    const Records alone = data.records;
    EXPECT_EQ(alone.CHUSA[32].ChTag, "CUT");
    // The sections the file lacks come from the base: the destination's
    // defaults, not what was open before.
    DataSet base;
    MakeFreshDataSet(base, 2);
    EXPECT_EQ(alone.CHMMSID[0], base.records.CHMMSID[0]);
    ASSERT_EQ(notifier.messages.size(), 1u);
    EXPECT_EQ(notifier.messages[0].icon, MessageIcon::Warning);
    EXPECT_TRUE(notifier.messages[0].text.starts_with("cut.dat was opened; the check found:\r\n"
                                                      "it lacks "))
        << notifier.messages[0].text;
    EXPECT_NE(
        notifier.messages[0].text.find("(missing section [CHUSA120], ...); they are defaults"),
        std::string::npos)
        << notifier.messages[0].text;

    ASSERT_TRUE(session->OpenDataFileAt(full));
    EXPECT_EQ(data.records.CHMMSID[0].TagName, "TENDER");
    EXPECT_EQ(notifier.messages.size(), 1u); // a clean file: no box
    app.dataChanged = true;
    notifier.answers = {MessageAnswer::No};
    view.openName = cut.string();
    session->FileOpen();
    EXPECT_EQ(data.records, alone);
    EXPECT_FALSE(app.dataChanged);
    EXPECT_EQ(app.currentFileName, cut.string());

    // A file of another model is refused and the records stay.
    DataSet model3;
    MakeFreshDataSet(model3, 3);
    test::WriteBytes(dir / "m3.dat", FormatDataFile(model3.records, 3, '.'));
    EXPECT_FALSE(session->OpenDataFileAt(dir / "m3.dat"));
    EXPECT_EQ(data.records, alone);
    EXPECT_EQ(app.currentFileName, cut.string());
}

TEST(OpenFindings, OneBoxWithTheMissingSectionsSummedUpAndTheLinesCut) {
    using Kind = DataFileFinding::Kind;
    EXPECT_EQ(OpenFindingsText("a.dat", {}), "");
    std::vector<DataFileFinding> findings = {{Kind::MissingSection, 0, "[CHUSA7]"},
                                             {Kind::UnknownKey, 3, "unknown key Foo in [MAIN]"},
                                             {Kind::MissingSection, 0, "[CHUSA8]"}};
    const std::string text = OpenFindingsText("a.dat", findings);
    EXPECT_EQ(text, "a.dat was opened; the check found:\r\nit lacks 2 section(s) a complete file "
                    "always has ([CHUSA7], ...); they are defaults\r\n" +
                        FindingLine(findings[1]));
    for (int i = 0; i < 20; ++i) findings.push_back({Kind::BadValue, 10 + i, "bad"});
    const std::string many = OpenFindingsText("a.dat", findings);
    // The heading, the missing sections, 15 lines and the rest counted.
    EXPECT_EQ(std::count(many.begin(), many.end(), '\n'), 1 + 15 + 1);
    EXPECT_TRUE(many.ends_with("... and 6 more (qb41-cli check lists them all)"));
}

TEST_F(Fixture, AnUnexpectedFailureIsLoggedAndShown) {
    ErrorLog diagnostic{dir.path(), true, clock};
    session = std::make_unique<Session>(
        SessionParts{app, data, notifier, store, diagnostic, clock, view, dir.path()});
    session->Startup();
    data.records.CHUSA[32].ChTag = "KEPT";
    app.loading = true;
    session->ReportUnexpectedFailure("6Overflow");
    EXPECT_FALSE(app.loading);
    EXPECT_EQ(data.records.CHUSA[32].ChTag, "KEPT");
    ASSERT_EQ(notifier.messages.size(), 1u);
    EXPECT_EQ(notifier.messages[0].icon, MessageIcon::Critical);
    EXPECT_EQ(notifier.messages[0].text, std::string(kUnexpectedFailure) + "6Overflow");
    EXPECT_NE(test::ReadBytes(diagnostic.path()).find("frmMain.EventLoop -> 6Overflow"),
              std::string::npos);
}

TEST_F(Fixture, CaptionMarkStandsAfterTheFileName) {
    Start();
    EXPECT_EQ(session->Caption(), "QB41  PC Program for TQ4800M/LW6100 Series[*]");
    app.currentFileName = "/tmp/odd[*]name.dat";
    EXPECT_EQ(session->Caption(),
              "odd[*][*]name.dat[*] - QB41  PC Program for TQ4800M/LW6100 Series");
}

// A save the file refuses offers another name; No (or a cancelled dialog)
// leaves the edits unsaved and the close prompt keeps the window open.
TEST_F(Fixture, ARefusedSaveOffersAnotherName) {
    const auto readOnly = dir / "kept.dat";
    test::WriteBytes(readOnly, "the user's own file");
    std::filesystem::permissions(readOnly, std::filesystem::perms::owner_read |
                                               std::filesystem::perms::group_read);
    struct Case {
        std::filesystem::path target;
        const char* cause;
    };
    for (const Case& c : {Case{dir / "no such folder" / "boat.dat", "no such file or folder"},
                          Case{readOnly, "the file is read-only"}}) {
        SCOPED_TRACE(c.target.string());
        Start();
        notifier.messages.clear();
        const auto elsewhere = dir / "elsewhere.dat";
        std::filesystem::remove(elsewhere);
        app.dataChanged = true;
        app.currentFileName = c.target.string();
        notifier.answers = {MessageAnswer::Ok, MessageAnswer::No};
        EXPECT_FALSE(session->FileSave());
        ASSERT_EQ(notifier.messages.size(), 2u);
        EXPECT_TRUE(notifier.messages[0].text.starts_with("FileSave Error!!"));
        EXPECT_NE(notifier.messages[0].text.find(c.cause), std::string::npos)
            << notifier.messages[0].text;
        EXPECT_EQ(notifier.messages[1].text, kSaveElsewherePrompt);
        EXPECT_EQ(notifier.messages[1].buttons, MessageButtons::YesNo);
        EXPECT_TRUE(app.dataChanged);

        notifier.answers = {MessageAnswer::Yes, MessageAnswer::Ok, MessageAnswer::Yes};
        view.saveName = elsewhere.string();
        EXPECT_TRUE(session->QueryClose()); // Yes to the prompt, then another name
        EXPECT_TRUE(std::filesystem::exists(elsewhere));
        EXPECT_EQ(app.currentFileName, elsewhere.string());
        EXPECT_FALSE(app.dataChanged);
    }
    EXPECT_EQ(test::ReadBytes(readOnly), "the user's own file");
}

TEST_F(Fixture, ImageFilesOnlyInDiagnosticModeAndSaveAfterImageAsks) {
    Start();
    const auto image = dir / "radio.hex";
    view.saveName = image.string();
    session->SaveImage();
    EXPECT_FALSE(std::filesystem::exists(image)); // not in diagnostic mode
    app.diagnosticMode = true;
    session->SaveImage();
    ASSERT_TRUE(std::filesystem::exists(image));
    EXPECT_EQ(view.dialogs.back().filter, "hex files(*.hex)|*.hex|All files(*.*)|*.*");
    const std::string bytes = test::ReadBytes(image);

    ASSERT_TRUE(session->OpenImageAt(image));
    EXPECT_EQ(view.caption, "radio.hex[*] - QB41  PC Program for TQ4800M/LW6100 Series");
    // Save now asks for a name instead of writing settings text over the image.
    view.saveName.clear();
    EXPECT_FALSE(session->FileSave());
    EXPECT_EQ(test::ReadBytes(image), bytes);
    EXPECT_TRUE(view.dialogs.back().save);
}

TEST_F(Fixture, TreeFollowsUsableGroupsAndKeepsSelectionByKey) {
    Start();
    auto count = [&](const std::string& parent) {
        return std::count_if(view.tree.begin(), view.tree.end(),
                             [&](const TreeNode& n) { return n.parent == parent; });
    };
    EXPECT_EQ(count("PU"), 240);
    // A fresh set has no enabled EXP channel, so its group starts switched off.
    EXPECT_EQ(view.node("ExpChannel"), nullptr);
    data.records.UsableGroup[3].Usable = kTrue;
    session->BuildTree();
    ASSERT_EQ(count("ExpChannel"), 40);
    EXPECT_EQ(view.node("ExpChannel")->text, "LMR Channel");
    EXPECT_EQ(view.node("E40")->text, "LMR40");
    EXPECT_EQ(view.node("PU32")->text, "CH16[Enable]");
    EXPECT_EQ(view.node("SM1")->text, "Memory ID 1");

    ASSERT_TRUE(session->SelectNode("PI40"));
    EXPECT_EQ(view.shown.back().first.pane, PaneKind::Channel);
    EXPECT_EQ(view.shown.back().first.bank, Bank::CHINT);
    EXPECT_EQ(view.shown.back().first.index, 40);

    // Switching USA off removes its nodes; the INTL node stays selected by key.
    data.records.UsableGroup[0].Usable = kFalse;
    session->BuildTree();
    EXPECT_EQ(view.node("PU"), nullptr);
    EXPECT_EQ(count("PU"), 0);
    EXPECT_EQ(view.selected, "PI40");
    EXPECT_EQ(session->currentKey(), "PI40");

    // When the selected node goes away, "General" is shown.
    data.records.UsableGroup[1].Usable = kFalse;
    session->BuildTree();
    EXPECT_EQ(session->currentKey(), "General");
    EXPECT_EQ(view.shown.back().first.pane, PaneKind::General);
}

TEST_F(Fixture, SelectionIsGuardedAndNeverCountsAsAnEdit) {
    Start();
    data.records.UsableGroup[3].Usable = kTrue;
    session->BuildTree();
    ASSERT_TRUE(session->SelectNode("E3"));
    view.editorValid = false;
    EXPECT_FALSE(session->SelectNode("SM2"));
    EXPECT_EQ(view.selected, "E3");
    EXPECT_EQ(session->currentKey(), "E3");
    view.editorValid = true;
    const int validations = view.validations;
    EXPECT_TRUE(session->SelectNode("E3")); // the node shown already: nothing to check
    EXPECT_EQ(view.validations, validations);
    EXPECT_EQ(view.hint, kTreeHint);
    ASSERT_TRUE(session->SelectNode("SM2"));
    EXPECT_EQ(view.shown.back().first.pane, PaneKind::DirectoryEntry);
    EXPECT_EQ(view.shown.back().first.index, 1);
    EXPECT_FALSE(app.dataChanged);
}

TEST_F(Fixture, NodeTextsFollowEnableFlagsAndStatusNames) {
    Start();
    data.records.UsableGroup[3].Usable = kTrue;
    session->BuildTree();
    data.records.CHMMSID[2].Enable = kTrue;
    session->NodeExpanded("SM");
    EXPECT_EQ(view.node("SM3")->text, "Memory ID 3[Enable]");
    // The entry's name, without its padding, follows the number.
    data.records.CHMMSID[2].TagName = "TENDER      ";
    session->RefreshNodeText("SM3");
    EXPECT_EQ(view.node("SM3")->text, "Memory ID 3: TENDER[Enable]");
    data.records.CHMMSID[2].TagName = "            ";
    data.records.CHMMSID[2].Enable = kFalse;
    session->NodeExpanded("SM");
    EXPECT_EQ(view.node("SM3")->text, "Memory ID 3");
    data.records.CHEXP[4].Enable = kTrue;
    session->RefreshNodeText("E5");
    EXPECT_EQ(view.node("E5")->text, "LMR5[Enable]");
    data.records.CHUSA[32].Enable = kFalse;
    session->RefreshNodeText("PU32");
    EXPECT_EQ(view.node("PU32")->text, "CH16");
    data.records.UsableGroup[1].StatusName = "Bay";
    session->RefreshGroupTexts();
    EXPECT_EQ(view.node("PI")->text, "INTL(Bay)");
    data.records.UsableGroup[1].StatusIcon = kTrue; // the icon replaces the name
    session->RefreshGroupTexts();
    EXPECT_EQ(view.node("PI")->text, "INTL");
}

TEST_F(Fixture, AnEditsTreeFollowUps) {
    Start();
    EditResult result;
    data.records.CHGRPID[1].Enable = kTrue;
    result.directoryTexts = true;
    session->ApplyEdit(result, "SG2");
    EXPECT_EQ(view.node("SG2")->text, "Group ID 2[Enable]");

    const int builds = view.treeBuilds;
    data.records.UsableGroup[2].Usable = kFalse;
    data.records.UsableGroup[0].StatusName = "Dock";
    result = {};
    result.rebuildTree = true;
    session->ApplyEdit(result, "Usable");
    EXPECT_EQ(view.treeBuilds, builds + 1);
    EXPECT_EQ(view.node("PC"), nullptr);
    EXPECT_EQ(view.node("PU")->text, "USA(Dock)");

    data.records.CHUSA[32].Enable = kFalse;
    result = {};
    result.nodeTextChanged = true;
    session->ApplyEdit(result, "PU32");
    EXPECT_EQ(view.node("PU32")->text, "CH16");
    EXPECT_EQ(view.treeBuilds, builds + 1);
}

TEST(ChannelLists, GridsAndJumps) {
    DataSet data;
    MakeFreshDataSet(data, 2);
    Records& r = data.records;
    for (auto& rec : r.CHCAN) rec.Enable = kFalse;
    EXPECT_TRUE(PlanListGrid(r, Bank::CHCAN, 2).rows.empty());
    r.CHCAN[32].Enable = kTrue;
    r.CHCAN[32].ChTag = "CALLING";
    const Grid plan = PlanListGrid(r, Bank::CHCAN, 2);
    ASSERT_EQ(plan.rows.size(), 1u);
    EXPECT_EQ(plan.rows[0][0], "16");
    EXPECT_EQ(plan.rows[0][1], "156.800");
    EXPECT_EQ(plan.rows[0][9], "CALLING");
    EXPECT_EQ(PlanListGrid(r, Bank::CHCAN, 1).headers.size(), 8u);
    EXPECT_EQ(ListJumpKey("PC", 1, plan.rows[0][0]), "PC32");

    EXPECT_EQ(ExportListGrid(r).rows.size(), 40u);
    EXPECT_EQ(ListJumpKey("ExpChannel", 7, "7"), "E7");

    r.CHMMSID[0].Mmsid = "1234567890";
    r.CHMMSID[1].Mmsid = "12345";
    const Grid dir = DirectoryListGrid(r, DirectoryKind::Individual);
    ASSERT_EQ(dir.rows.size(), 40u);
    EXPECT_EQ(dir.rows[0][2], "123456789");
    EXPECT_EQ(dir.rows[1][2], "12345    ");
    EXPECT_EQ(DirectoryListGrid(r, DirectoryKind::Group).headers[1], "GROUP NAME");
    EXPECT_EQ(ListJumpKey("SG", 3, "3"), "SG3");
    EXPECT_FALSE(ListJumpKey("PU", 1, "999"));
}

} // namespace
} // namespace qb41::editor
