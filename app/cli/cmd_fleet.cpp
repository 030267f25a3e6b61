// fleet: one template programmed into many radios, each with its own fields,
// on one or more ports at once. Every unit is checked before any radio is
// touched; each port then works on its own thread with its own link and
// cancel token, taking the next unit whenever a radio answers on it. The log
// gets one row per unit as it ends, so a second run skips what is done.
#include "cli.h"
#include "identity_warnings.h"
#include "link_session.h"
#include "radio_fields.h"

#include "core/errors.h"
#include "editor/fleet_plan.h"
#include "editor/mmsi.h"
#include "files/data_files.h"
#include "files/file_io.h"
#include "image/codec.h"
#include "image/layout.h"
#include "serial_line.h"

#include "core/platform.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <fstream>
#include <memory>
#include <mutex>
#include <set>
#include <streambuf>

namespace qb41::cli {

namespace {

using namespace std::chrono_literals;

// Ctrl+C, SIGTERM and SIGHUP (Ctrl+C and closing the console on Windows)
// stop the run once the current radios are done; a second one ends the
// process.
class StopSignals {
public:
    explicit StopSignals(std::atomic<bool>& stop) : scope_(&Stop, &stop) {}

private:
    static void Stop(void* flag) noexcept { static_cast<std::atomic<bool>*>(flag)->store(true); }
    platform::StopScope scope_;
};

// Whole lines from all ports onto one stream.
class SharedOutput {
public:
    explicit SharedOutput(std::ostream& out) : out_(out) {}
    void line(const std::string& text) {
        std::lock_guard<std::mutex> lock(mutex_);
        out_ << text << '\n' << std::flush;
    }

private:
    std::mutex mutex_;
    std::ostream& out_;
};

// A port's stream: each line goes out whole, headed by the port. A line among
// the port's last three is not repeated (the wait for a radio is said before
// every step), and a progress bar's redraws (ended by CR) are dropped.
class PortLines : public std::streambuf {
public:
    PortLines(SharedOutput& out, std::string prefix) : out_(out), prefix_(std::move(prefix)) {}
    ~PortLines() override {
        if (!current_.empty()) sendLine();
    }

protected:
    int overflow(int c) override {
        if (c == traits_type::eof()) return 0;
        const char ch = static_cast<char>(c);
        if (ch == '\n')
            sendLine();
        else if (ch == '\r')
            current_.clear();
        else
            current_ += ch;
        return c;
    }
    std::streamsize xsputn(const char* s, std::streamsize n) override {
        for (std::streamsize i = 0; i < n; ++i) overflow(static_cast<unsigned char>(s[i]));
        return n;
    }

private:
    void sendLine() {
        if (std::find(recent_.begin(), recent_.end(), current_) == recent_.end()) {
            out_.line(prefix_ + current_);
            recent_[next_++ % recent_.size()] = current_;
        }
        current_.clear();
    }
    SharedOutput& out_;
    std::string prefix_;
    std::string current_;
    std::array<std::string, 3> recent_; // the last lines sent, oldest overwritten
    std::size_t next_ = 0;
};

// The log: a header when the file is new, then one row per unit as it ends.
class FleetLog {
public:
    explicit FleetLog(std::optional<std::string> path) : path_(std::move(path)) {}
    // The units a previous run finished. Throws on a log that cannot be read.
    std::set<std::string> open() {
        if (!path_) return {};
        std::error_code ec;
        if (std::filesystem::exists(FilePath(*path_), ec))
            return editor::UnitsDone(ReadWholeFile(FilePath(*path_), 64 << 20));
        append(editor::FleetLogHeader());
        return {};
    }
    bool add(const editor::FleetLogRow& row) { return append(editor::FleetLogLine(row)); }

private:
    bool append(const std::string& text) {
        if (!path_) return true;
        std::lock_guard<std::mutex> lock(mutex_);
        std::ofstream file(FilePath(*path_), std::ios::binary | std::ios::app);
        file << text;
        file.flush();
        return static_cast<bool>(file);
    }
    std::optional<std::string> path_;
    std::mutex mutex_;
};

struct FleetOptions {
    bool verify = false;
    bool keepIdentity = false;
};

// What every port shares: the template, the units left, the log, the counts.
class FleetRun {
public:
    FleetRun(const DataSet& templ, const AppState& state, FleetOptions options,
             std::vector<editor::FleetUnit> units, std::set<std::string> done, FleetLog& log,
             SharedOutput& output, std::atomic<bool>& stop)
        : templ_(templ), state_(state), options_(options), units_(std::move(units)),
          done_(std::move(done)), log_(log), output_(output), stop_(stop) {}

    void runPort(const LinkArguments& link);

    int programmed() const { return programmed_; }
    int failed() const { return failed_; }
    std::size_t left() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return units_.size() - next_;
    }

private:
    // More work may come: a unit not taken yet, or, keeping identities, any radio.
    bool more() const {
        if (stop_.load()) return false;
        if (options_.keepIdentity) return true;
        std::lock_guard<std::mutex> lock(mutex_);
        return next_ < units_.size();
    }
    std::optional<editor::FleetUnit> take() {
        std::lock_guard<std::mutex> lock(mutex_);
        if (next_ >= units_.size()) return std::nullopt;
        return units_[next_++];
    }
    // A radio of any model answers (true), or no more work may come (false).
    bool waitForRadio(LinkSession& session, Context& context, std::optional<ModelNumber>& model);
    // The radio stops answering, or no more work may come.
    void waitForRemoval(LinkSession& session, Context& context);
    void program(LinkSession& session, Context& context, const LinkArguments& link,
                 ModelNumber model, std::optional<editor::FleetUnit> unit);
    // The unit's log row, completed with its result and time, and counted.
    void finish(LinkSession& session, editor::FleetLogRow& row,
                std::chrono::steady_clock::time_point started, std::string result, bool ok);
    // Keeping identities: the radio's own MMSI and ATIS code on the template,
    // and the unit named by its MMSI; Skip when the log names it done.
    enum class Prepared { Go, Failed, Skip };
    Prepared keepIdentity(LinkSession& session, Context& context,
                          const std::vector<std::uint8_t>& radio, ModelNumber model,
                          editor::FleetLogRow& row, std::string& failure);
    // The unit's settings encoded over the backup read, programmed and (with
    // --verify) compared: the log's result and whether it is ok.
    std::pair<std::string, bool> write(LinkSession& session, Context& context, ModelNumber model,
                                       const std::vector<std::uint8_t>& radio,
                                       const std::string& restore);

    const DataSet& templ_;
    const AppState& state_;
    FleetOptions options_;
    std::vector<editor::FleetUnit> units_;
    std::size_t next_ = 0;
    std::set<std::string> done_; // keeping identities: the radios' MMSIs done
    FleetLog& log_;
    SharedOutput& output_;
    std::atomic<bool>& stop_;
    std::atomic<int> programmed_{0};
    std::atomic<int> failed_{0};
    mutable std::mutex mutex_;
};

bool FleetRun::waitForRadio(LinkSession& session, Context& context,
                            std::optional<ModelNumber>& model) {
    while (more()) {
        const link::LinkOutcome detected =
            session.Run([](link::CloneLink& c) { return c.DetectRun(); });
        if (detected == link::LinkStatus::Ok && detected.radioModel) {
            model = detected.radioModel;
            return true;
        }
        // No answer has waited already; a port that is lost waits here.
        // Anything else (a missing port, an unknown model, garbled answers)
        // is said (once: the port's lines are not repeated) and tried again.
        if (detected.reason == link::LinkReason::NoAnswer) {
            context.clock.pause(200ms);
            continue;
        }
        if (detected.reason != link::LinkReason::LineLost) session.Explain(detected);
        context.clock.pause(1000ms);
    }
    return false;
}

void FleetRun::waitForRemoval(LinkSession& session, Context& context) {
    session.Say() << "done with this radio; connect the next one in clone mode\n";
    while (more()) {
        const link::LinkOutcome detected =
            session.Run([](link::CloneLink& c) { return c.DetectRun(); });
        if (detected != link::LinkStatus::Ok) return;
        context.clock.pause(1s);
    }
}

std::string ReasonWords(const link::LinkOutcome& outcome) {
    using link::LinkReason;
    std::string words;
    switch (outcome.reason) {
    case LinkReason::None:
        return "ok";
    case LinkReason::PortUnavailable:
        words = "the port cannot be opened";
        break;
    case LinkReason::NoAnswer:
        words = "the radio did not answer";
        break;
    case LinkReason::ProtocolError:
        words = "garbled answers";
        break;
    case LinkReason::LineLost:
        words = "the line was lost";
        break;
    case LinkReason::ModelMismatch:
        words = "wrong model";
        break;
    case LinkReason::Cancelled:
        words = "cancelled";
        break;
    case LinkReason::RuntimeError:
        words = "error";
        break;
    case LinkReason::VerifyMismatch:
        words = "differs after programming";
        break;
    }
    return outcome.detail.empty() ? words : words + " (" + outcome.detail + ")";
}

void FleetRun::finish(LinkSession& session, editor::FleetLogRow& row,
                      std::chrono::steady_clock::time_point started, std::string result, bool ok) {
    row.result = std::move(result);
    row.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    if (!log_.add(row)) session.Say() << "cannot append to the log\n";
    session.Say() << "unit " << row.unit << ": " << row.result << '\n';
    (ok ? programmed_ : failed_).fetch_add(1);
}

FleetRun::Prepared FleetRun::keepIdentity(LinkSession& session, Context& context,
                                          const std::vector<std::uint8_t>& radio, ModelNumber model,
                                          editor::FleetLogRow& row, std::string& failure) {
    DataSet onRadio = templ_;
    std::copy_n(radio.begin(), std::min(radio.size(), onRadio.image.size()), onRadio.image.begin());
    try {
        DecodeImage(onRadio, model);
    } catch (const std::exception& error) {
        row.unit = "(unreadable)";
        failure = std::string("failed: the radio's image cannot be decoded: ") + error.what();
        return Prepared::Failed;
    }
    context.data.records.UserMmsi = onRadio.records.UserMmsi;
    context.data.records.AtisCode = onRadio.records.AtisCode;
    row.unit = onRadio.records.UserMmsi.empty()
                   ? "no MMSI (" + row.backup + ")"
                   : editor::MmsiBoxText(onRadio.records.UserMmsi, editor::MmsiKind::Individual);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!onRadio.records.UserMmsi.empty() && !done_.insert(row.unit).second) {
            session.Say() << "the radio " << row.unit
                          << " is programmed already (the log names it)\n";
            return Prepared::Skip;
        }
    }
    session.Say() << "unit " << row.unit << ": programming, keeping its identity\n";
    return Prepared::Go;
}

std::pair<std::string, bool> FleetRun::write(LinkSession& session, Context& context,
                                             ModelNumber model,
                                             const std::vector<std::uint8_t>& radio,
                                             const std::string& restore) {
    // As write does it: the settings encoded over the radio's own contents,
    // so that every byte no settings file carries keeps the radio's value.
    try {
        BuildImageToWrite(context.data, model, radio);
    } catch (const std::exception& error) {
        return {std::string("failed: the settings cannot be encoded: ") + ErrorText(error) +
                    "; nothing was written",
                false};
    }
    if (options_.keepIdentity) {
        // The user-MMSI entry counter stays as the radio counted it.
        constexpr auto kEntryCounter = static_cast<std::size_t>(layout::kClearCounter);
        context.data.image[kEntryCounter] = radio.at(kEntryCounter);
    }
    link::ProgramOptions options;
    options.prepareImage = false;
    const link::LinkOutcome written =
        session.Run([&options](link::CloneLink& c) { return c.ProgramRun(options); });
    if (written != link::LinkStatus::Ok) {
        session.Explain(written, restore, model);
        return {"failed: " + ReasonWords(written) +
                    (written.radioWritten ? "; restore with: " + restore : "; nothing was written"),
                false};
    }
    if (!options_.verify) return {"ok", true};
    std::vector<std::uint8_t> after;
    if (ReadRadio(context, session, after) ||
        CompareWithRadio(context, session, after, "the unit's settings") != 0)
        return {"failed: the radio differs after the write; restore with: " + restore, false};
    return {"ok, verified", true};
}

void FleetRun::program(LinkSession& session, Context& context, const LinkArguments& link,
                       ModelNumber model, std::optional<editor::FleetUnit> unit) {
    const auto started = std::chrono::steady_clock::now();
    context.app = state_;
    context.data = templ_;
    editor::FleetLogRow row;
    row.port = link.given;
    row.model = ModelWithCode(model);
    if (unit) {
        row.unit = unit->name;
        session.Say() << "unit " << unit->name << ": programming\n";
    }

    std::vector<std::uint8_t> radio;
    int status = 1;
    const std::optional<std::string> restore =
        ReadBackup(session, link, model, true, radio, model, status);
    if (!restore) {
        if (row.unit.empty()) row.unit = "(unknown)";
        finish(session, row, started, "failed: the backup read failed; nothing was written", false);
        return;
    }
    const std::string restorePrefix = "qb41-cli write --port " + link.given + " ";
    row.backup = restore->substr(std::min(restore->size(), restorePrefix.size()));

    std::string failure;
    if (options_.keepIdentity) {
        const Prepared prepared = keepIdentity(session, context, radio, model, row, failure);
        if (prepared == Prepared::Skip) return;
        if (prepared == Prepared::Failed) return finish(session, row, started, failure, false);
    } else if (auto refusal = editor::ApplyUnit(context.data.records, context.app, *unit)) {
        // checked before
        return finish(session, row, started, "failed: " + refusal->address + ": " + refusal->rule,
                      false);
    }
    auto [result, ok] = write(session, context, model, radio, *restore);
    finish(session, row, started, std::move(result), ok);
}

void FleetRun::runPort(const LinkArguments& link) {
    PortLines lines(output_, link.given + ": ");
    std::ostream err(&lines);
    Context context(err, err);
    context.app = state_;
    context.data = templ_;
    try {
        LinkSession session(context, link, "fleet");
        bool first = true;
        while (more()) {
            if (!first) waitForRemoval(session, context);
            first = false;
            std::optional<ModelNumber> model;
            if (!waitForRadio(session, context, model)) break;
            if (*model != state_.modelNumber) {
                session.Say() << "the radio is " << ModelWithCode(*model)
                              << "; the template is for " << ModelWithCode(state_.modelNumber)
                              << '\n';
                continue;
            }
            std::optional<editor::FleetUnit> unit;
            if (!options_.keepIdentity) {
                unit = take();
                if (!unit) break;
            }
            program(session, context, link, *model, std::move(unit));
        }
    } catch (const Failed&) {
        failed_.fetch_add(1);
    } catch (const std::exception& error) {
        err << "qb41-cli fleet: " << error.what() << '\n';
        failed_.fetch_add(1);
    }
}

// One link per --port (tracing to FILE.1, FILE.2, ... with --trace); a port
// given twice is a usage error.
std::vector<LinkArguments> FleetLinks(const Arguments& args) {
    std::vector<LinkArguments> links;
    for (const std::string& port : args.values("--port")) {
        std::vector<std::string> one{"--port", port};
        if (auto trace = args.option("--trace"))
            one.insert(one.end(), {"--trace", *trace + "." + std::to_string(links.size() + 1)});
        LinkArguments link = ParseLinkArguments(Arguments(one, {"--port", "--trace"}));
        link.signalsCancel = false;
        for (const LinkArguments& other : links)
            if (other.device == link.device) throw UsageError{"port " + port + " is given twice"};
        links.push_back(std::move(link));
    }
    return links;
}

// The units file checked against the template with the editor's rules:
// Failed (nothing touched) when it cannot be read or any row is refused.
std::vector<editor::FleetUnit> LoadUnits(Context& context, const std::string& unitsPath) {
    std::string table;
    try {
        table = ReadWholeFile(FilePath(unitsPath), 16 << 20);
    } catch (const std::exception& error) {
        context.err << "qb41-cli fleet: cannot read " << unitsPath << ": "
                    << FileFailureCause(error) << '\n';
        throw Failed{};
    }
    const editor::FleetPlan plan = editor::PlanFleet(context.data.records, context.app, table);
    for (const editor::FleetProblem& w : plan.warnings)
        context.err << "qb41-cli fleet: warning: " << unitsPath << ": line " << w.line << ": "
                    << w.text << '\n';
    if (!plan.problems.empty()) {
        for (const editor::FleetProblem& p : plan.problems)
            context.err << "qb41-cli fleet: " << unitsPath << ": line " << p.line << ": " << p.text
                        << '\n';
        context.err << "qb41-cli fleet: no radio was touched\n";
        throw Failed{};
    }
    return plan.units;
}

// Every port on its own thread until the work is done or stopped; the exit status.
int RunPorts(Context& context, const std::vector<LinkArguments>& links, const FleetOptions& options,
             std::vector<editor::FleetUnit> units, std::set<std::string> done, FleetLog& log) {
    PortThreadsScope portThreads;
    std::atomic<bool> stop{false};
    StopSignals stopSignals(stop);
    SharedOutput output(context.err);
    const std::size_t total = units.size();
    FleetRun run(context.data, context.app, options, std::move(units), std::move(done), log, output,
                 stop);
    output.line("qb41-cli fleet: " +
                (options.keepIdentity ? std::string("programming every radio that comes")
                                      : std::to_string(total) + " unit(s)") +
                " on " + std::to_string(links.size()) +
                " port(s); Ctrl+C stops after the current radios");
    std::vector<std::unique_ptr<PortThread>> threads;
    for (const LinkArguments& link : links)
        threads.push_back(std::make_unique<PortThread>([&run, link] { run.runPort(link); }));
    bool told = false;
    for (auto& thread : threads) {
        while (!thread->wait(200ms)) {
            if (stop.load() && !told) {
                output.line("qb41-cli fleet: stopping after the current radios");
                told = true;
            }
        }
    }
    std::string summary = "qb41-cli fleet: " + std::to_string(run.programmed()) + " programmed, " +
                          std::to_string(run.failed()) + " failed";
    if (!options.keepIdentity) summary += ", " + std::to_string(run.left()) + " left";
    output.line(summary);
    if (run.failed() > 0) return 1;
    if (!options.keepIdentity && run.left() > 0) return kExitCancelled;
    return 0;
}

} // namespace

// qb41-cli fleet --template T.dat (--units U.csv | --keep-identity) --port P [--port P2 ...]
//                [--log LOG.csv] [--verify]
int RunFleet(Context& context, const Arguments& args) {
    const std::optional<std::string> templatePath = args.option("--template");
    if (!templatePath) throw UsageError{"--template is required"};
    if (!CanLoad(FileKindOf(*templatePath)))
        throw UsageError{"the template must be a .dat, .hex or .ini file"};
    FleetOptions options;
    options.verify = args.flag("--verify");
    options.keepIdentity = args.flag("--keep-identity");
    const std::optional<std::string> unitsPath = args.option("--units");
    if (options.keepIdentity == unitsPath.has_value())
        throw UsageError{"give either --units U.csv or --keep-identity"};
    if (args.values("--port").empty()) throw UsageError{"--port is required (once per port)"};
    if (!args.operands().empty()) throw UsageError{"unexpected " + args.operands()[0]};
    const std::vector<LinkArguments> links = FleetLinks(args);

    LoadInput(context, "fleet", *templatePath, args.model(), IncompleteFile::Refuse);
    std::vector<editor::FleetUnit> units;
    if (unitsPath) units = LoadUnits(context, *unitsPath);

    FleetLog log(args.option("--log"));
    std::set<std::string> done;
    try {
        done = log.open();
    } catch (const std::exception& error) {
        context.err << "qb41-cli fleet: cannot read the log: " << ErrorText(error) << '\n';
        throw Failed{};
    }
    const std::size_t planned = units.size();
    std::erase_if(units, [&done](const editor::FleetUnit& u) { return done.contains(u.name); });
    if (!options.keepIdentity) {
        if (planned != units.size())
            context.err << "qb41-cli fleet: " << planned - units.size()
                        << " unit(s) are done already (the log names them)\n";
        if (units.empty()) {
            context.err << "qb41-cli fleet: nothing to do\n";
            return 0;
        }
    }
    return RunPorts(context, links, options, std::move(units), std::move(done), log);
}

} // namespace qb41::cli
