// The edge of the clone link: each run against the simulated radio,
// in-process on a ManualClock, through RunLinkOperation, and what it leaves
// in the program's flags, the messages it shows (in order, once the run has
// returned) and the err.log lines.
#include "editor/link_edge.h"

#include "link/link_support.h"
#include "link/sim_transport.h"

#include "core/clock.h"
#include "core/error_log.h"
#include "image/defaults.h"
#include "link/clone_link.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>

namespace qb41 {
namespace {

using link::CloneLink;
using link::LinkOutcome;
using link::LinkStatus;

// Records each message with the flags the program had when it was shown.
class ProbeNotifier : public Notifier {
public:
    explicit ProbeNotifier(const AppState& app) : app_(app) {}
    MessageAnswer ask(const Message& message) override {
        messages.push_back(message);
        flagsWhenShown.push_back({app_.errorFlag, app_.cancelFlag, app_.completed, app_.loading});
        return MessageAnswer::Ok;
    }
    struct Flags {
        bool error, cancel, completed, loading;
        bool operator==(const Flags&) const = default;
    };
    std::vector<Message> messages;
    std::vector<Flags> flagsWhenShown;

private:
    const AppState& app_;
};

struct Rig {
    explicit Rig(sim::SimFaults faults = {})
        : memory(test::PatternMemory(2)), radio(memory, ImageLastIndex(2), std::move(faults)) {
        app.modelNumber = 2;
        MakeFreshDataSet(data, 2);
    }
    std::string logText() const {
        return std::filesystem::exists(log.path()) ? test::ReadBytes(log.path()) : std::string();
    }

    test::ScratchDir dir;
    ManualClock clock;
    AppState app;
    DataSet data;
    ProbeNotifier notifier{app};
    ErrorLog log{dir.path(), true, clock};
    link::CancelToken cancel;
    RadioImage memory;
    sim::SimRadio radio;
    link::SimTransport transport{radio, clock};
    CloneLink link{link::LinkContext{app, data, log, clock, transport, cancel}, "/dev/fake"};
};

using Operation = std::function<LinkOutcome(CloneLink&)>;
const Operation kRead = [](CloneLink& l) { return l.ReadRun(); };
const Operation kProgram = [](CloneLink& l) { return l.ProgramRun(); };
const Operation kClear = [](CloneLink& l) { return l.ClearRun(); };
const Operation kBackup = [](CloneLink& l) {
    std::vector<std::uint8_t> image;
    return l.ReadImageRun(image);
};
const Operation kVerify = [](CloneLink& l) { return l.VerifyRun(); };
const Operation kDetect = [](CloneLink& l) { return l.DetectRun(); };

const Message kReadFailed{MessageIcon::Critical, "Read from Radio", "Communication Error!!"};
const Message kWriteFailed{MessageIcon::Critical, "Program to Radio", "CommunicatiOn Error!!"};
const Message kClearFailed{MessageIcon::Critical, "Clear Data", "CommunicatiOn Error!!"};
const Message kModelType{MessageIcon::Critical, "Read from Radio", "ModelType Error !!"};
Message Complete(const char* title) {
    return {MessageIcon::Information, title, "Complete!!"};
}

struct Case {
    const char* name;
    sim::SimFaults faults;
    std::function<void(Rig&)> arrange;
    Operation run;
    LinkStatus status;
    bool error;
    bool cancel;
    bool completed;
    std::vector<Message> shown;
    const char* logged; // a part of err.log; nullptr: nothing logged
};

using sim::HangUpAfter;
using sim::NoReply;

// The radio holds the data set's image, so that a verify matches.
void SameImage(Rig& r) {
    r.data.image = r.memory;
}

void CancelAtFirstWait(Rig& r) {
    r.transport.onWait = [&r](int) { r.cancel.cancel(); };
}

const Case kCases[] = {
    {"read",
     {},
     [](Rig&) {},
     kRead,
     LinkStatus::Ok,
     false,
     false,
     true,
     {Complete("Read from Radio")},
     nullptr},
    {"program",
     {},
     [](Rig&) {},
     kProgram,
     LinkStatus::Ok,
     false,
     false,
     true,
     {Complete("Program to Radio")},
     nullptr},
    {"clear",
     {},
     [](Rig&) {},
     kClear,
     LinkStatus::Ok,
     false,
     false,
     true,
     {Complete("Clear Data")},
     nullptr},
    // Runs that say nothing and leave the completed flag alone.
    {"backup read", {}, [](Rig&) {}, kBackup, LinkStatus::Ok, false, false, false, {}, nullptr},
    {"verify", {}, SameImage, kVerify, LinkStatus::Ok, false, false, false, {}, nullptr},
    {"detect", {}, [](Rig&) {}, kDetect, LinkStatus::Ok, false, false, false, {}, nullptr},
    {"verify: differs",
     {},
     [](Rig& r) {
         SameImage(r);
         r.data.image[0x0300] ^= 1;
     },
     kVerify,
     LinkStatus::Failed,
     true,
     false,
     false,
     {},
     nullptr},
    {"read: cancelled",
     NoReply({7}),
     CancelAtFirstWait,
     kRead,
     LinkStatus::Cancelled,
     true,
     true,
     false,
     {},
     nullptr},
    {"program: cancelled",
     NoReply({14}),
     CancelAtFirstWait,
     kProgram,
     LinkStatus::Cancelled,
     true,
     true,
     false,
     {},
     nullptr},
    {"read: line lost",
     HangUpAfter(20),
     [](Rig&) {},
     kRead,
     LinkStatus::Failed,
     true,
     false,
     false,
     {kReadFailed},
     "frmRadio.ReadData -> 57Device I/O error"},
    {"program: no answer",
     NoReply({14, 15}),
     [](Rig&) {},
     kProgram,
     LinkStatus::Failed,
     true,
     false,
     false,
     {kWriteFailed},
     nullptr},
    {"clear: no answer",
     NoReply({5, 6}),
     [](Rig&) {},
     kClear,
     LinkStatus::Failed,
     true,
     false,
     false,
     {kClearFailed},
     nullptr},
    {"read: other model",
     {},
     [](Rig& r) { r.app.modelNumber = 0; },
     kRead,
     LinkStatus::Failed,
     true,
     false,
     false,
     {kModelType},
     nullptr},
    {"read: port unavailable",
     {},
     [](Rig& r) { r.transport.failOpen = true; },
     kRead,
     LinkStatus::Failed,
     true,
     false,
     false,
     {},
     "frmRadio.PortOpen -> 8012The device port is not available"},
    {"read: trapped error",
     {},
     [](Rig& r) { r.transport.throwOnWrite = 10; },
     kRead,
     LinkStatus::Failed,
     true,
     true,
     false,
     {{MessageIcon::Critical, "frmRadio.ReadData", "7\n\nOut of memory"}},
     "frmRadio.ReadData -> 7Out of memory"},
};

TEST(LinkEdge, EachRunSetsTheFlagsAndShowsItsMessagesAtItsEnd) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        Rig rig(c.faults);
        c.arrange(rig);
        bool shownDuringRun = false;
        bool loadingDuringRun = false;
        rig.link.setProgress([&](const link::Progress&) {
            if (!rig.notifier.messages.empty()) shownDuringRun = true;
            loadingDuringRun = loadingDuringRun || rig.app.loading;
        });
        const LinkOutcome outcome =
            RunLinkOperation(rig.app, rig.notifier, [&] { return c.run(rig.link); });
        EXPECT_EQ(outcome.status, c.status);
        EXPECT_EQ(rig.app.errorFlag, c.error);
        EXPECT_EQ(rig.app.cancelFlag, c.cancel);
        EXPECT_EQ(rig.app.completed, c.completed);
        EXPECT_FALSE(rig.app.loading);
        EXPECT_TRUE(loadingDuringRun);
        EXPECT_FALSE(shownDuringRun);
        EXPECT_EQ(rig.notifier.messages, c.shown);
        // Each message is shown with the run's flags already set and before
        // the loading flag goes off.
        for (const ProbeNotifier::Flags& flags : rig.notifier.flagsWhenShown)
            EXPECT_EQ(flags, (ProbeNotifier::Flags{c.error, c.cancel, c.completed, true}));
        if (c.logged)
            EXPECT_NE(rig.logText().find(c.logged), std::string::npos) << rig.logText();
        else
            EXPECT_EQ(rig.logText(), "");
    }
}

// The run starts from the program's flags and the completed flag is only
// ever set: a later failure leaves an earlier completion standing.
TEST(LinkEdge, FlagsCarryOverFromOneRunToTheNext) {
    Rig rig;
    rig.app.cancelFlag = true;
    rig.transport.failOpen = true;
    RunLinkOperation(rig.app, rig.notifier, [&] { return rig.link.ReadRun(); });
    EXPECT_TRUE(rig.app.errorFlag);
    EXPECT_TRUE(rig.app.cancelFlag); // nothing was exchanged to clear it

    rig.transport.failOpen = false;
    RunLinkOperation(rig.app, rig.notifier, [&] { return rig.link.ReadRun(); });
    EXPECT_FALSE(rig.app.errorFlag || rig.app.cancelFlag);
    EXPECT_TRUE(rig.app.completed);

    rig.transport.failOpen = true;
    RunLinkOperation(rig.app, rig.notifier, [&] { return rig.link.ClearRun(); });
    EXPECT_TRUE(rig.app.errorFlag);
    EXPECT_TRUE(rig.app.completed);
    EXPECT_EQ(rig.notifier.messages, std::vector{Complete("Read from Radio")});
}

TEST(LinkEdge, ApplyingAnOutcomeShowsItsMessagesInOrder) {
    AppState app;
    app.loading = true;
    ProbeNotifier notifier(app);
    LinkOutcome outcome;
    outcome.messages = {kModelType, Complete("Clear Data")};
    outcome.flags = {true, true};
    ApplyLinkOutcome(app, notifier, outcome);
    EXPECT_EQ(notifier.messages, outcome.messages);
    EXPECT_TRUE(app.errorFlag && app.cancelFlag);
    EXPECT_FALSE(app.completed || app.loading);
}

} // namespace
} // namespace qb41
