// The failure explanations shared by the window and the command-line tool,
// the port diagnosis on real file-system objects, and the verify read against
// the simulated radio.
#include "link_support.h"
#include "sim_transport.h"

#include "link/clone_link.h"
#include "link/explanation.h"
#include "link/write_plan.h"

#include "image/defaults.h"

#include <gtest/gtest.h>

#include <cstdlib>
#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace qb41::link {
namespace {

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

LinkOutcome Failure(LinkReason reason,
                    std::string detail = "no answer to the read of byte 0x0040") {
    LinkOutcome outcome;
    outcome.status = LinkStatus::Failed;
    outcome.reason = reason;
    outcome.detail = std::move(detail);
    return outcome;
}

ExplainContext Context(Audience audience, std::optional<PortDiagnosis> port = std::nullopt) {
    ExplainContext context;
    context.audience = audience;
    context.device = "/dev/ttyUSB7";
    context.model = 2;
    context.port = port;
    return context;
}

// Each failure names its device (where one is involved) and gives a next
// step in the words of its audience: the window never sends the user to a
// command line, the tool never to a menu.
TEST(Explain, EveryFailureHasACauseAndAStepForItsAudience) {
    const struct {
        LinkReason reason;
        std::optional<PortDiagnosis> port;
        const char* cause; // part of the cause line
    } cases[] = {
        {LinkReason::PortUnavailable, PortDiagnosis{PortCause::Missing, {}}, "no such device"},
        {LinkReason::PortUnavailable, PortDiagnosis{PortCause::NotSerialDevice, {}},
         "is not a serial device"},
        {LinkReason::PortUnavailable, PortDiagnosis{PortCause::PermissionDenied, "dialout"},
         "permission denied on /dev/ttyUSB7 (it belongs to group dialout)"},
        {LinkReason::PortUnavailable, PortDiagnosis{PortCause::Busy, {}}, "/dev/ttyUSB7 is busy"},
        {LinkReason::NoAnswer, std::nullopt, "did not answer on /dev/ttyUSB7 (no answer to"},
        {LinkReason::ProtocolError, std::nullopt, "were garbled"},
        {LinkReason::LineLost, std::nullopt, "the line to /dev/ttyUSB7 was lost"},
        {LinkReason::RuntimeError, std::nullopt, "no answer to the read"},
    };
    for (const auto& c : cases) {
        for (Audience audience : {Audience::Window, Audience::CommandLine}) {
            const Explanation e = Explain(Failure(c.reason), Context(audience, c.port));
            SCOPED_TRACE(e.cause + " / " + e.nextStep);
            EXPECT_TRUE(Has(e.cause, c.cause));
            EXPECT_FALSE(e.nextStep.empty());
            if (audience == Audience::Window) {
                EXPECT_FALSE(Has(e.nextStep, "qb41-cli ports") || Has(e.nextStep, "--"));
            } else {
                EXPECT_FALSE(Has(e.nextStep, "Options >") || Has(e.nextStep, "Edit >"));
            }
        }
    }
    const Explanation denied =
        Explain(Failure(LinkReason::PortUnavailable),
                Context(Audience::Window, PortDiagnosis{PortCause::PermissionDenied, "uucp"}));
    EXPECT_TRUE(Has(denied.nextStep, "usermod -aG uucp"));
    const Explanation missing =
        Explain(Failure(LinkReason::PortUnavailable),
                Context(Audience::Window, PortDiagnosis{PortCause::Missing, {}}));
    EXPECT_TRUE(Has(missing.nextStep, "Options > SerialPort"));
    EXPECT_TRUE(Explain(LinkOutcome{}, Context(Audience::Window)).cause.empty());
}

TEST(Explain, AModelMismatchNamesBothModels) {
    LinkOutcome other = Failure(LinkReason::ModelMismatch, "codes");
    other.radioModelCode = ModelCode(3);
    other.radioModelCopy = ModelCode(3);
    ExplainContext window = Context(Audience::Window);
    const Explanation shown = Explain(other, window);
    EXPECT_EQ(shown.cause, "the radio is LW6100 (17D4); Edit > Model is ZH540 (021C)");
    EXPECT_TRUE(Has(shown.nextStep, "Switch Edit > Model to LW6100 (17D4)"));
    EXPECT_EQ(ReportedModel(other, 2), std::optional<ModelNumber>(3));
    EXPECT_EQ(ReportedModel(other, 3), std::nullopt); // nothing to switch to

    ExplainContext file = Context(Audience::CommandLine);
    file.modelFromFile = true;
    EXPECT_EQ(Explain(other, file).cause,
              "the radio is LW6100 (17D4); the file is for ZH540 (021C)");

    // Only the front code read (a smaller radio): still a known model.
    LinkOutcome front = other;
    front.radioModelCode = ModelCode(1);
    front.radioModelCopy.reset();
    EXPECT_EQ(ReportedModel(front, 2), std::optional<ModelNumber>(1));

    // Differing copies or an unknown code: nothing to offer.
    LinkOutcome differ = other;
    differ.radioModelCopy = ModelCode(2);
    EXPECT_EQ(ReportedModel(differ, 2), std::nullopt);
    EXPECT_TRUE(Has(Explain(differ, window).cause, "two model codes differ"));
    LinkOutcome unknown = other;
    unknown.radioModelCode = unknown.radioModelCopy = 0xABCD;
    EXPECT_EQ(ReportedModel(unknown, 2), std::nullopt);
    EXPECT_TRUE(Has(Explain(unknown, window).cause, "an unknown model (ABCD)"));
}

TEST(Explain, TheWindowTextKeepsTheMessageFirst) {
    EXPECT_EQ(WindowText("Communication Error!!", {"cause", "step"}),
              "Communication Error!!\ncause\nstep");
    EXPECT_EQ(WindowText("Complete!!", {}), "Complete!!");
}

// The diagnosis of real things that are no working port.
TEST(DiagnosePort, TellsMissingNotSerialAndBusyApart) {
    test::ScratchDir dir;
    test::WriteBytes(dir / "file.hex", "x");
    EXPECT_EQ(DiagnosePort((dir / "none").string()).kind, PortCause::Missing);
    EXPECT_EQ(DiagnosePort((dir / "file.hex").string()).kind, PortCause::NotSerialDevice);
    EXPECT_EQ(DiagnosePort(dir.path().string()).kind, PortCause::NotSerialDevice);
#ifndef _WIN32 // devices and terminals as POSIX has them
    EXPECT_EQ(DiagnosePort("/dev/null").kind, PortCause::NotSerialDevice);

    // A terminal that opens but was refused: held by someone else.
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    const std::string terminal = ::ptsname(master);
    EXPECT_EQ(DiagnosePort(terminal).kind, PortCause::Busy);
    if (::geteuid() != 0) { // root may open anything
        ::chmod(terminal.c_str(), 0);
        const PortDiagnosis denied = DiagnosePort(terminal);
        EXPECT_EQ(denied.kind, PortCause::PermissionDenied);
        EXPECT_FALSE(denied.group.empty());
        ::chmod(terminal.c_str(), 0620);
    }
    ::close(master);
#endif
}

struct VerifyRig {
    explicit VerifyRig(RadioImage memory) : radio(memory, 16383) {
        app.modelNumber = 2;
        MakeFreshDataSet(data, 2);
        data.image = memory;
    }
    ManualClock clock;
    AppState app;
    DataSet data;
    test::ScratchDir dir;
    ErrorLog log{dir.path(), false, clock};
    CancelToken cancel;
    sim::SimRadio radio;
    SimTransport transport{radio, clock};
    CloneLink link{LinkContext{app, data, log, clock, transport, cancel}, "/dev/fake"};
};

TEST(Verify, NamesTheRangesWhereTheRadioDiffers) {
    const RadioImage memory = test::PatternMemory(2);
    VerifyRig same(memory);
    const LinkOutcome matched = same.link.VerifyRun();
    EXPECT_EQ(matched, LinkStatus::Ok);
    EXPECT_TRUE(matched.differences.empty());
    EXPECT_TRUE(matched.messages.empty());

    VerifyRig changed(memory);
    changed.data.image[0x0300] ^= 1;
    for (int i = 0x1000; i <= 0x1003; ++i) changed.data.image[i] ^= 1;
    changed.data.image[200] ^= 1; // never programmed, never compared
    const LinkOutcome differs = changed.link.VerifyRun();
    EXPECT_EQ(differs, LinkStatus::Failed);
    EXPECT_EQ(differs.reason, LinkReason::VerifyMismatch);
    EXPECT_EQ(differs.differences, "0x0300, 0x1000-0x1003");
    EXPECT_TRUE(Has(differs.detail, "0x0300, 0x1000-0x1003"));
    EXPECT_TRUE(differs.messages.empty());
}

} // namespace
} // namespace qb41::link
