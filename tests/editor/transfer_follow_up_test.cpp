// The window's follow-up after a transfer dialog, on a real session with a
// recording view: what is taken over from the run, what the tree, the pane,
// the file name, the data-changed flag and the counter box show afterwards.
#include "editor/transfer_follow_up.h"

#include "image/codec.h"
#include "image/defaults.h"
#include "image/layout.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

namespace qb41::editor {
namespace {

class RecordingView : public MainView {
public:
    void setBusy(bool) override {}
    bool isMinimised() const override { return false; }
    void setCaption(const std::string& text) override { caption = text; }
    void setStatusHint(const std::string&) override {}
    void setModelName(const std::string&) override {}
    void setModelChecks(ModelNumber) override {}
    void setDestinationMenu(const DestinationMenuState&) override {}
    void setSerialPortMenu(const SerialPortMenuState&) override {}
    void setTree(const std::vector<TreeNode>&) override { ++treeBuilds; }
    void setNodeText(const std::string&, const std::string&) override {}
    void selectNode(const std::string&) override {}
    void showPane(const PaneTarget&, const std::string& key) override { shown.push_back(key); }
    void prepareEditors(ModelNumber) override {}
    bool validateEditor() override { return true; }
    std::string askOpenFileName(const FileDialogSpec&) override { return {}; }
    std::string askSaveFileName(const FileDialogSpec&) override { return {}; }
    void armResetTimer() override {}
    void showEntryCount(const std::string& text) override {
        counts.push_back(text);
        countShownWhileLoading = app->loading;
    }

    const AppState* app = nullptr;
    std::string caption;
    int treeBuilds = 0;
    std::vector<std::string> shown;
    std::vector<std::string> counts;
    bool countShownWhileLoading = false;
};

struct FollowUp : ::testing::Test {
    test::ScratchDir dir{"qb41-follow-up"};
    AppState app;
    DataSet data;
    RecordingNotifier notifier;
    MemorySettingsStore store;
    ManualClock clock;
    ErrorLog log{dir.path(), false, clock};
    RecordingView view;
    std::unique_ptr<Session> session;
    DataSet result; // what the run worked on

    void SetUp() override {
        view.app = &app;
        session = std::make_unique<Session>(
            SessionParts{app, data, notifier, store, log, clock, view, dir.path()});
        session->Startup();
        ASSERT_TRUE(session->SelectNode("PU")); // a list is open
        data.image[layout::kClearCounter] = 5;
        app.currentFileName = (dir / "boat.dat").string();
        app.dataChanged = false;
        result = data;
        result.records.CHUSA[32].ChTag = "HARBOUR";
        result.image[layout::kClearCounter] = 0;
        view.treeBuilds = 0;
        view.shown.clear();
    }
    void Apply(TransferMode mode, bool completed, bool ran = true) {
        ApplyTransferFollowUp({app, data, *session, view}, FollowUpAfterTransfer(mode, completed),
                              ran ? &result : nullptr);
    }
};

TEST_F(FollowUp, ACompletedReadTakesTheRadioAndStartsAfresh) {
    app.dataChanged = true;
    Apply(TransferMode::Read, true);
    EXPECT_EQ(data.records, result.records);
    EXPECT_EQ(data.image, result.image);
    EXPECT_TRUE(app.currentFileName.empty());
    EXPECT_FALSE(app.dataChanged);
    EXPECT_GE(view.treeBuilds, 1);
    ASSERT_FALSE(view.shown.empty());
    EXPECT_EQ(view.shown.back(), "General");
    EXPECT_EQ(session->currentKey(), "General");
    EXPECT_TRUE(view.counts.empty());
}

TEST_F(FollowUp, AFailedReadOrNoRunChangesNothing) {
    const Records before = data.records;
    for (const bool ran : {true, false}) {
        Apply(TransferMode::Read, false, ran);
        EXPECT_EQ(data.records, before);
        EXPECT_EQ(data.image[layout::kClearCounter], 5);
        EXPECT_FALSE(app.currentFileName.empty());
        EXPECT_EQ(view.treeBuilds, 0);
        EXPECT_TRUE(view.shown.empty());
        EXPECT_TRUE(view.counts.empty());
    }
}

TEST_F(FollowUp, AProgramShowsTheRepairedRecordsWhateverTheOutcome) {
    for (const bool completed : {true, false}) {
        data.records.CHUSA[32].ChTag = "DOCK";
        view.shown.clear();
        Apply(TransferMode::Write, completed);
        EXPECT_EQ(data.records.CHUSA[32].ChTag, "HARBOUR");
        EXPECT_EQ(view.treeBuilds, completed ? 1 : 2);
        ASSERT_EQ(view.shown.size(), 1u);
        EXPECT_EQ(view.shown.back(), "PU"); // the open list again
        EXPECT_FALSE(app.currentFileName.empty());
        EXPECT_FALSE(app.dataChanged);
        EXPECT_TRUE(view.counts.empty());
    }
}

TEST_F(FollowUp, AClearShowsTheCounterItLeft) {
    // Failed: the window's counter stays and is shown again.
    const Records before = data.records;
    Apply(TransferMode::Clear, false);
    EXPECT_EQ(view.counts, std::vector<std::string>{"5"});
    EXPECT_TRUE(view.countShownWhileLoading);
    EXPECT_FALSE(app.loading);
    EXPECT_FALSE(app.dataChanged);
    EXPECT_EQ(data.records, before);
    EXPECT_TRUE(view.shown.empty());

    // Completed: the cleared counter and the run's records, now unsaved.
    Apply(TransferMode::Clear, true);
    EXPECT_EQ(view.counts, (std::vector<std::string>{"5", "0"}));
    EXPECT_EQ(data.image[layout::kClearCounter], 0);
    EXPECT_EQ(data.records.CHUSA[32].ChTag, "HARBOUR");
    EXPECT_TRUE(app.dataChanged);
    EXPECT_EQ(view.shown, std::vector<std::string>{"PU"});
    EXPECT_EQ(view.treeBuilds, 0);
}

TEST_F(FollowUp, TheLoadingFlagIsKeptAsItWas) {
    app.loading = true;
    Apply(TransferMode::Clear, false);
    EXPECT_TRUE(view.countShownWhileLoading);
    EXPECT_TRUE(app.loading);
}

} // namespace
} // namespace qb41::editor
