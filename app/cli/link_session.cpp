#include "link_session.h"
#include "serial_line.h"

#include "link/explanation.h"
#include "link/port_name.h"
#include "link/trace_transport.h"
#include "link/write_plan.h"

#include "core/errors.h"
#include "core/platform.h"
#include "files/file_io.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
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

} // namespace

LinkArguments ParseLinkArguments(const Arguments& args) {
    std::optional<std::string> port = args.option("--port");
    if (!port || port->empty())
        throw UsageError{"--port is required (a device path, a name under /dev, or COM1-COM4)"};
    LinkArguments link;
    link.given = *port;
#ifdef __APPLE__
    if (link::ComPortNumber(*port))
        throw UsageError{*port + " does not exist on macOS (there is no /dev/ttyS*); "
                                 "'qb41-cli ports' lists the serial ports found (/dev/cu.*)"};
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

std::string ShellQuoted(const std::string& word) {
    const bool plain =
        !word.empty() && word.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                                "abcdefghijklmnopqrstuvwxyz"
                                                "0123456789_@%+=:,./-") == std::string::npos;
    if (plain) return word;
    std::string quoted = "'";
    for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::chrono::system_clock::time_point LinkSession::wallNow() const {
    return impl_->context.clock.wallNow();
}

std::ostream& LinkSession::Say() {
    return impl_->context.err << "qb41-cli " << impl_->verb << ": ";
}

link::LinkOutcome LinkSession::Run(const Operation& operation) {
    Impl& s = *impl_;
    link::CloneLink clone({s.context.app, s.context.data, s.notifier, s.context.log,
                           s.context.clock, s.transport(), s.cancel},
                          s.args.device);
    clone.setProgress([&s](const link::Progress& progress) { s.bar.update(progress); });
    // Reset before the handler goes in: a signal from then on cancels the run.
    s.cancel.reset();
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
    Impl& s = *impl_;
    if (outcome.reason == link::LinkReason::None) return 0;
    std::ostream& err = s.context.err;
    const std::string prefix = "qb41-cli " + s.verb + ": ";
    link::ExplainContext context;
    context.audience = link::Audience::CommandLine;
    context.device = s.args.device;
    context.model = fileModel.value_or(s.context.app.modelNumber);
    context.modelFromFile = fileModel.has_value();
    if (outcome.reason == link::LinkReason::PortUnavailable)
        context.port = link::DiagnosePort(s.args.device);
    const link::Explanation explanation = link::Explain(outcome, context);
    err << prefix << explanation.cause << '\n';
    if (!explanation.nextStep.empty()) {
        std::string step = explanation.nextStep;
        for (std::size_t at = step.find('\n'); at != std::string::npos;
             at = step.find('\n', at + 3))
            step.insert(at + 1, "  ");
        err << "  " << step << '\n';
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
        const std::filesystem::path path =
            SaveBackup(BackupFolder(), model, radio, session.wallNow());
        session.Say() << "backup of the radio saved as " << path.string() << '\n';
        return "qb41-cli write --port " + ShellQuoted(link.given) + " " +
               ShellQuoted(path.string());
    } catch (const std::exception& error) {
        session.Say() << "cannot save the backup under " << BackupFolder().string() << ": "
                      << ErrorText(error) << "; nothing was written (--no-backup skips it)\n";
        status = 1;
        return std::nullopt;
    }
}

} // namespace qb41::cli
