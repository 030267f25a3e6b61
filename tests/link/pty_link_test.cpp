// The link as the user meets it: the QSerialPort transport and the
// command-line tool against qb41-radio-sim on a real pseudo-terminal,
// unpaced. Fault cases use short injected time limits.
#include "link_support.h"

#include "link/clone_link.h"
#include "link/qt_serial_transport.h"

#include "image/defaults.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <map>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace qb41::link {
namespace {

using namespace std::chrono_literals;
using test::PatternMemory;

// A child process with its standard output (and optionally error) on pipes.
class Child {
public:
    explicit Child(std::vector<std::string> argv) {
        int out[2], err[2];
        EXPECT_EQ(pipe(out), 0);
        EXPECT_EQ(pipe(err), 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_adddup2(&actions, err[1], 2);
        std::vector<char*> args;
        for (std::string& arg : argv) args.push_back(arg.data());
        args.push_back(nullptr);
        EXPECT_EQ(posix_spawn(&pid_, args[0], &actions, nullptr, args.data(), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        close(err[1]);
        out_ = out[0];
        err_ = err[0];
    }
    ~Child() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        close(out_);
        close(err_);
    }

    // The next line of standard output (or error), waiting up to 5 s.
    std::string line(bool fromError = false) {
        std::string text;
        char c = 0;
        pollfd p{fromError ? err_ : out_, POLLIN, 0};
        while (poll(&p, 1, 5000) > 0 && ::read(p.fd, &c, 1) == 1 && c != '\n') text += c;
        return text;
    }
    void signal(int number) { kill(pid_, number); }
    int wait() {
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

private:
    pid_t pid_ = -1;
    int out_ = -1;
    int err_ = -1;
};

// qb41-radio-sim with a memory file to start from and files for what it
// holds and counted when it stops.
class Simulator {
public:
    Simulator(ModelNumber model, const RadioImage& memory, std::vector<std::string> faults = {}) {
        std::ofstream(dir_ / "start.hex", std::ios::binary)
            .write(reinterpret_cast<const char*>(memory.data()), ImageSize(model));
        std::vector<std::string> argv{QB41_RADIO_SIM,   "--model",          std::to_string(model),
                                      "--load",         dir_ / "start.hex", "--save",
                                      dir_ / "end.hex", "--stats",          dir_ / "stats.txt",
                                      "--quiet"};
        argv.insert(argv.end(), faults.begin(), faults.end());
        child_ = std::make_unique<Child>(argv);
        port_ = child_->line();
    }
    const std::string& port() const { return port_; }

    // Stops the simulator (unless it hung up already) and reads its files.
    void stop() {
        child_->signal(SIGTERM);
        EXPECT_EQ(child_->wait(), 0);
        const std::string saved = test::ReadText(dir_ / "end.hex");
        std::copy(saved.begin(), saved.end(), memory.begin());
        std::istringstream lines(test::ReadText(dir_ / "stats.txt"));
        std::string line;
        while (std::getline(lines, line))
            if (auto eq = line.find('='); eq != std::string::npos)
                stats[line.substr(0, eq)] = std::stol(line.substr(eq + 1));
    }

    RadioImage memory{};
    std::map<std::string, long> stats;

private:
    test::ScratchDir dir_;
    std::unique_ptr<Child> child_;
    std::string port_;
};

const Message kReadFailed{MessageIcon::Critical, "Read from Radio", "Communication Error!!"};
const Message kModelType{MessageIcon::Critical, "Read from Radio", "ModelType Error !!"};
constexpr LinkTiming kShortLimits{300ms, 150ms, 50ms, 0ms};

struct PtyRig {
    PtyRig(ModelNumber model, const std::string& port, LinkTiming timing = kShortLimits)
        : link(LinkContext{app, data, notifier, log, clock, transport, cancel}, port, timing) {
        app.modelNumber = model;
        MakeFreshDataSet(data, model);
        before = data;
    }
    test::ScratchDir dir;
    SystemClock clock;
    AppState app;
    DataSet data;
    DataSet before;
    RecordingNotifier notifier;
    ErrorLog log{dir.path(), true, clock};
    CancelToken cancel;
    QtSerialTransport transport{clock};
    CloneLink link;
};

class PtyTransfer : public ::testing::TestWithParam<ModelNumber> {};

TEST_P(PtyTransfer, ReadThenProgramTheWholeImage) {
    const ModelNumber model = GetParam();
    const int last = ImageLastIndex(model);
    const RadioImage pattern = PatternMemory(model);
    Simulator sim(model, pattern);
    PtyRig rig(model, sim.port());

    ASSERT_EQ(rig.link.ReadRun(), LinkStatus::Ok);
    EXPECT_EQ(rig.data.image[64], pattern[64]);
    EXPECT_EQ(rig.data.image[1000], pattern[1000]);
    EXPECT_EQ(rig.data.image[10], rig.before.image[10]);
    rig.data.records.UserMmsi = "123456789";
    ASSERT_EQ(rig.link.ProgramRun(), LinkStatus::Ok);
    sim.stop();

    for (int i = 0; i <= last; ++i) {
        const auto at = static_cast<std::size_t>(i);
        ASSERT_EQ(sim.memory[at], test::ProgramWrites(i, last) ? rig.data.image[at] : pattern[at])
            << "index " << i;
    }
    EXPECT_EQ(sim.stats["write_blocks"], last == 16383 ? 209 : 121);
    EXPECT_EQ(sim.stats["write_bytes"], 110);
    EXPECT_EQ(sim.stats["read_blocks"], (last + 1) / 64);
    EXPECT_EQ(sim.stats["cancels"], 0);
    EXPECT_EQ(rig.notifier.messages.size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(Models, PtyTransfer, ::testing::Values(ModelNumber{1}, ModelNumber{2}));

TEST(PtyFaults, OneBadReplyIsRetriedTwoFail) {
    for (const char* fault : {"--bad-checksum", "--extra-bytes", "--no-reply"}) {
        SCOPED_TRACE(fault);
        Simulator once(2, PatternMemory(2), {fault, "9"});
        PtyRig good(2, once.port());
        EXPECT_EQ(good.link.ReadRun(), LinkStatus::Ok);
        once.stop();
        EXPECT_EQ(once.stats["cancels"], 1);

        Simulator twice(2, PatternMemory(2), {fault, "9,10"});
        PtyRig bad(2, twice.port());
        EXPECT_EQ(bad.link.ReadRun(), LinkStatus::Failed);
        EXPECT_EQ(bad.notifier.messages, std::vector{kReadFailed});
        EXPECT_TRUE(bad.data.image == bad.before.image && bad.data.records == bad.before.records);
    }
}

TEST(PtyFaults, HangUpEndsPromptlyWithTheCommunicationError) {
    Simulator sim(2, PatternMemory(2), {"--hang-up-after", "30"});
    PtyRig rig(2, sim.port(), LinkTiming{}); // the radio's own 10 s limits
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(rig.link.ReadRun(), LinkStatus::Failed);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    EXPECT_EQ(rig.notifier.messages, std::vector{kReadFailed});
    EXPECT_FALSE(rig.transport.isOpen());
    // The line is gone for good: the next operation cannot open it and says nothing.
    EXPECT_EQ(rig.link.ReadRun(), LinkStatus::Failed);
    EXPECT_EQ(rig.notifier.messages.size(), 1u);
    EXPECT_NE(test::ReadText(rig.log.path()).find("frmRadio.PortOpen -> "), std::string::npos);
}

TEST(PtyFaults, ModelMismatch) {
    Simulator sim(2, PatternMemory(2), {"--code-copy", "17D4"});
    PtyRig rig(2, sim.port());
    EXPECT_EQ(rig.link.ReadRun(), LinkStatus::Failed);
    EXPECT_EQ(rig.notifier.messages, std::vector{kModelType});
}

TEST(PtyCancel, FromAnotherThreadEndsABlockedWait) {
    Simulator sim(2, PatternMemory(2), {"--no-reply", "12"});
    PtyRig rig(2, sim.port(), LinkTiming{});
    std::thread canceller;
    rig.link.setProgress([&](const Progress& p) {
        if (p.current == 7 && !canceller.joinable()) // block 7 is request 12
            canceller = std::thread([&] {
                std::this_thread::sleep_for(100ms);
                rig.cancel.cancel();
            });
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(rig.link.ReadRun(), LinkStatus::Cancelled);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
    canceller.join();
    EXPECT_TRUE(rig.notifier.messages.empty());
    sim.stop();
    EXPECT_EQ(sim.stats["cancels"], 1); // the abort byte
    EXPECT_EQ(sim.stats["requests"], 12);
}

TEST(PtyCli, ReadWritesTheImageFile) {
    const RadioImage pattern = PatternMemory(2);
    Simulator sim(2, pattern);
    test::ScratchDir dir;
    Child cli({QB41_CLI, "read", "--port", sim.port(), dir / "out.hex"});
    EXPECT_EQ(cli.wait(), 0);
    const std::string file = test::ReadText(dir / "out.hex");
    ASSERT_EQ(file.size(), 16384u);
    EXPECT_EQ(static_cast<std::uint8_t>(file[1000]), pattern[1000]);
}

TEST(PtyCli, CtrlCCancelsAndSendsTheAbortByte) {
    Simulator sim(2, PatternMemory(2), {"--no-reply", "10"});
    Child cli({QB41_CLI, "read", "--port", sim.port(), "/nonexistent/out.hex"});
    EXPECT_EQ(cli.line(true).rfind("read: 0%", 0), 0u); // the block read has begun
    cli.signal(SIGINT);
    EXPECT_EQ(cli.wait(), 130);
    sim.stop();
    EXPECT_EQ(sim.stats["cancels"], 1);
    EXPECT_LE(sim.stats["requests"], 10);
}

} // namespace
} // namespace qb41::link

int main(int argc, char** argv) {
    qb41::link::QtCoreScope qt;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
