#include "link_session.h"
#include "serial_line.h"

#include "link/port_name.h"
#include "link/trace_transport.h"
#include "link/write_plan.h"

#include "core/errors.h"
#include "core/platform.h"
#include "files/file_io.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <optional>

namespace qb41::cli {

namespace {

// Ctrl+C, SIGTERM and SIGHUP (a console's Ctrl+C, Ctrl+Break and close on
// Windows) cancel as the Cancel button does; a second one ends the process.
class SignalScope {
public:
    explicit SignalScope(link::CancelToken& token) : stop_(&Cancel, &token) {}

private:
    static void Cancel(void* token) noexcept { static_cast<link::CancelToken*>(token)->cancel(); }
    platform::StopScope stop_;
};

const char* PhaseVerb(link::LinkPhase phase) {
    switch (phase) {
    case link::LinkPhase::Reading:
        return "reading";
    case link::LinkPhase::Programming:
        return "programming";
    case link::LinkPhase::Clearing:
        return "clearing";
    default:
        return "";
    }
}

// A bar redrawn in place on a terminal; elsewhere one line per 10 %, and a
// line whenever the radio is awaited.
class ProgressBar {
public:
    ProgressBar(std::ostream& err, std::string verb, std::string device, bool terminal)
        : err_(err), verb_(std::move(verb)), device_(std::move(device)), terminal_(terminal) {}

    void update(const link::Progress& progress) {
        if (progress.waitingForRadio) {
            breakLine();
            err_ << verb_ << ": waiting for the radio on " << device_ << " ...\n" << std::flush;
            return;
        }
        if (*PhaseVerb(progress.phase) == '\0') return;
        if (progress.phase != phase_) {
            phase_ = progress.phase;
            lastDecile_ = -1;
        }
        maximum_ = progress.maximum;
        if (terminal_) {
            Draw(progress.percent, progress.current);
        } else if (progress.percent / 10 > lastDecile_) {
            lastDecile_ = progress.percent / 10;
            err_ << verb_ << ": " << progress.percent << "% (" << progress.current << '/'
                 << maximum_ << " blocks)\n";
        }
    }

    // Every block done: the bar shows it before the completion message.
    void complete() {
        if (maximum_ == 0) return;
        if (terminal_)
            Draw(100, maximum_);
        else if (lastDecile_ < 10)
            err_ << verb_ << ": 100% (" << maximum_ << '/' << maximum_ << " blocks)\n";
        lastDecile_ = 10;
        breakLine();
    }

    // Ends the bar's line so that a message starts on a line of its own.
    void breakLine() {
        if (!drawn_) return;
        err_ << '\n';
        drawn_ = false;
    }

private:
    void Draw(int percent, int current) {
        constexpr int kWidth = 30;
        const int filled = percent * kWidth / 100;
        err_ << '\r' << verb_ << " [" << std::string(static_cast<std::size_t>(filled), '#')
             << std::string(static_cast<std::size_t>(kWidth - filled), '.') << "] " << percent
             << "%  " << current << '/' << maximum_ << " blocks" << std::flush;
        drawn_ = true;
    }

    std::ostream& err_;
    std::string verb_;
    std::string device_;
    bool terminal_;
    bool drawn_ = false;
    int lastDecile_ = -1;
    int maximum_ = 0;
    link::LinkPhase phase_ = link::LinkPhase::OpeningPort;
};

// Keeps messages off the bar's line.
class BarNotifier : public Notifier {
public:
    BarNotifier(Notifier& inner, ProgressBar& bar) : inner_(inner), bar_(bar) {}
    MessageAnswer ask(const Message& message) override {
        if (message.icon == MessageIcon::Information) bar_.complete();
        bar_.breakLine();
        return inner_.ask(message);
    }

private:
    Notifier& inner_;
    ProgressBar& bar_;
};

// Why the port would not open, found on the device itself: missing,
// not ours to open, or held by another program.
void ExplainPort(std::ostream& err, const std::string& prefix, const std::string& device) {
    const platform::PortDiagnosis diagnosis = platform::DiagnosePort(device);
    if (diagnosis.kind == platform::PortDiagnosis::Kind::Missing) {
        err << prefix << "no such device " << device << '\n'
            << "  Is the cable plugged in? 'qb41-cli ports' lists the serial ports found.\n";
        return;
    }
    if (diagnosis.kind == platform::PortDiagnosis::Kind::PermissionDenied) {
        const std::string& group = diagnosis.group;
        err << prefix << "permission denied on " << device << " (it belongs to group " << group
            << ")\n"
            << "  Join that group and log in again:  sudo usermod -aG " << group << " $USER\n";
        return;
    }
    err << prefix << device << " is busy: another program has it open\n"
        << "  Close the other program (another qb41-cli, a terminal program, a modem manager) "
           "and try again.\n";
}

} // namespace

std::string CodeName(std::uint16_t code) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "%04X", static_cast<unsigned>(code));
    for (ModelNumber m = 0; m <= 3; ++m)
        if (ModelCode(m) == code)
            return std::string(FindModel(m)->catalogueName) + " (" + hex + ")";
    return std::string("an unknown model (") + hex + ")";
}

std::string ModelWithCode(ModelNumber model) {
    return CodeName(ModelCode(model));
}

LinkArguments ParseLinkArguments(const Arguments& args) {
    std::optional<std::string> port = args.option("--port");
    if (!port || port->empty())
        throw UsageError{"--port is required (a device path, a name under /dev, or COM1-COM4)"};
    LinkArguments link;
    link.given = *port;
#ifdef __APPLE__
    if (link::ComPortNumber(*port))
        throw UsageError{*port + " does not exist on macOS (there is no /dev/ttyS*); "
                                 "'qb41-cli ports' lists the serial ports found"};
#endif
    link.device = link::ResolvePortName(*port);
#ifndef _WIN32
    if (link.device.find('/') == std::string::npos) link.device = "/dev/" + link.device;
#endif
    link.model = args.model();
    link.trace = args.option("--trace");
    return link;
}

class LinkSession::Impl {
public:
    Impl(Context& c, const LinkArguments& l, const char* v)
        : context(c), args(l), verb(v), serial(c.clock),
          bar(c.err, v, l.device, platform::StandardErrorIsTerminal()), notifier(c.notifier, bar) {
        if (args.trace) {
            traceFile.open(platform::PathFromUtf8(*args.trace), std::ios::out | std::ios::app);
            if (!traceFile) {
                c.err << "qb41-cli " << verb << ": cannot write the trace file " << *args.trace
                      << '\n';
                throw Failed{};
            }
            tracer = std::make_unique<link::TraceTransport>(serial.transport(), c.clock, traceFile);
        }
    }
    link::Transport& transport() {
        return tracer ? static_cast<link::Transport&>(*tracer) : serial.transport();
    }

    Context& context;
    LinkArguments args;
    std::string verb;
    SerialLine serial;
    std::ofstream traceFile;
    std::unique_ptr<link::TraceTransport> tracer;
    link::CancelToken cancel;
    ProgressBar bar;
    BarNotifier notifier;
};

LinkSession::LinkSession(Context& context, const LinkArguments& link, const char* verb)
    : impl_(std::make_unique<Impl>(context, link, verb)) {}

LinkSession::~LinkSession() = default;

std::ostream& LinkSession::Say() {
    return impl_->context.err << "qb41-cli " << impl_->verb << ": ";
}

link::LinkOutcome LinkSession::Run(const Operation& operation) {
    Impl& s = *impl_;
    link::CloneLink clone({s.context.app, s.context.data, s.notifier, s.context.log,
                           s.context.clock, s.transport(), s.cancel},
                          s.args.device);
    clone.setProgress([&s](const link::Progress& progress) { s.bar.update(progress); });
    link::LinkOutcome outcome = [&] {
        std::optional<SignalScope> signals;
        if (s.args.signalsCancel) signals.emplace(s.cancel);
        return operation(clone);
    }();
    s.bar.breakLine();
    return outcome;
}

int LinkSession::Explain(const link::LinkOutcome& outcome, const std::string& restore,
                         std::optional<ModelNumber> fileModel) {
    using link::LinkReason;
    Impl& s = *impl_;
    std::ostream& err = s.context.err;
    const std::string prefix = "qb41-cli " + s.verb + ": ";
    const std::string& device = s.args.device;
    switch (outcome.reason) {
    case LinkReason::None:
        return 0;
    case LinkReason::PortUnavailable:
        ExplainPort(err, prefix, device);
        break;
    case LinkReason::NoAnswer:
        err << prefix << "the radio did not answer on " << device << " (" << outcome.detail << ")\n"
            << "  Check that the clone cable is seated at both ends, that the radio is in clone\n"
               "  mode (press and hold [DISTRESS] and [SCAN] while turning the power on; the\n"
               "  display shows UART), and that "
            << device << " is the cable's port ('qb41-cli ports').\n";
        break;
    case LinkReason::ProtocolError:
        err << prefix << "the radio's answers on " << device << " were garbled (" << outcome.detail
            << ")\n"
            << "  Check the cable and that no other program uses the port.\n";
        break;
    case LinkReason::LineLost:
        err << prefix << "the line to " << device << " was lost (" << outcome.detail << ")\n"
            << "  Was the cable pulled or the radio switched off?\n";
        break;
    case LinkReason::ModelMismatch:
        if (outcome.radioModelCode && outcome.radioModelCopy &&
            *outcome.radioModelCode != *outcome.radioModelCopy) {
            err << prefix << "the radio's two model codes differ (" << outcome.detail << ")\n";
        } else if (outcome.radioModelCode) {
            err << prefix << "the radio is " << CodeName(*outcome.radioModelCode);
            if (fileModel)
                err << "; the file is for " << ModelWithCode(*fileModel) << '\n';
            else
                err << "; the model selected is " << ModelWithCode(s.context.app.modelNumber)
                    << '\n';
        } else {
            err << prefix << outcome.detail << '\n';
        }
        break;
    case LinkReason::Cancelled:
        err << prefix << "cancelled\n";
        break;
    case LinkReason::RuntimeError:
        err << prefix << outcome.detail << '\n';
        break;
    }
    if (outcome.radioWritten) {
        err << prefix << "the radio may be partly programmed";
        if (!restore.empty())
            err << "; to put back what it held before, run:\n  " << restore << '\n';
        else
            err << " (no backup was made)\n";
    }
    return outcome.status == link::LinkStatus::Cancelled ? kExitCancelled : 1;
}

std::filesystem::path BackupFolder() {
    return platform::UserDataFolder() / "QB41" / "backups";
}

std::filesystem::path SaveBackup(ModelNumber model, const std::vector<std::uint8_t>& image) {
    const std::filesystem::path folder = BackupFolder();
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) throw RuntimeError(ErrorNumber::PathNotFound, "cannot create " + folder.string());
    const std::time_t now = std::time(nullptr);
    const std::tm local = platform::LocalTime(now);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    const ModelInfo* info = FindModel(model);
    std::string base = "backup-" + std::string(info ? info->catalogueName : "model") + "-" + stamp;
    // Ports programmed in parallel may save in the same second: the name is
    // chosen and taken under one lock.
    static std::mutex naming;
    std::lock_guard<std::mutex> lock(naming);
    std::filesystem::path path = folder / (base + ".hex");
    for (int n = 2; std::filesystem::exists(path); ++n)
        path = folder / (base + "-" + std::to_string(n) + ".hex");
    WriteFileAtomically(
        path, std::string_view(reinterpret_cast<const char*>(image.data()), image.size()));
    return path;
}

std::string DifferingRanges(const std::vector<std::uint8_t>& radio, const RadioImage& image,
                            int lastIndex) {
    std::string text;
    int count = 0;
    auto add = [&](int first, int last) {
        char range[32];
        if (first == last)
            std::snprintf(range, sizeof range, "0x%04X", first);
        else
            std::snprintf(range, sizeof range, "0x%04X-0x%04X", first, last);
        text += (count++ ? ", " : "");
        text += range;
    };
    for (const link::IndexRange& planned : link::PlanRanges(lastIndex)) {
        int start = -1;
        for (int i = planned.first; i <= planned.last + 1; ++i) {
            const bool differs = i <= planned.last && radio[static_cast<std::size_t>(i)] !=
                                                          image[static_cast<std::size_t>(i)];
            if (differs && start < 0) start = i;
            if (!differs && start >= 0) {
                add(start, i - 1);
                start = -1;
            }
        }
    }
    return text;
}

// The radio's model: --model when given, else detected (the model check of
// the read then confirms it). nullopt after a failure already explained.
std::optional<ModelNumber> RadioModel(LinkSession& session, const LinkArguments& link,
                                      int& status) {
    if (link.model) return link.model;
    link::LinkOutcome detected = session.Run([](link::CloneLink& c) { return c.DetectRun(); });
    if (detected != link::LinkStatus::Ok || !detected.radioModel) {
        status = session.Explain(detected);
        return std::nullopt;
    }
    session.Say() << "the radio is " << ModelWithCode(*detected.radioModel) << '\n';
    return detected.radioModel;
}

std::optional<std::string> ReadBackup(LinkSession& session, const LinkArguments& link,
                                      ModelNumber model, bool save,
                                      std::vector<std::uint8_t>& radio,
                                      std::optional<ModelNumber> fileModel, int& status) {
    link::LinkOutcome read =
        session.Run([&radio](link::CloneLink& c) { return c.ReadImageRun(radio); });
    if (read != link::LinkStatus::Ok) {
        status = session.Explain(read, {}, fileModel);
        session.Say() << "the backup read failed; nothing was written\n";
        return std::nullopt;
    }
    if (!save) return std::string();
    try {
        const std::filesystem::path path = SaveBackup(model, radio);
        session.Say() << "backup of the radio saved as " << path.string() << '\n';
        return "qb41-cli write --port " + link.given + " " + path.string();
    } catch (const std::exception& error) {
        session.Say() << "cannot save the backup under " << BackupFolder().string() << ": "
                      << ErrorText(error) << "; nothing was written (--no-backup skips it)\n";
        status = 1;
        return std::nullopt;
    }
}

} // namespace qb41::cli
