// The serial transport of a run on the main thread (traced with --trace), the
// port options, and the run itself with the progress bar and the signals as
// Cancel.
#include "link_session.h"
#include "cancel_signals.h"
#include "progress_bar.h"
#include "serial_line.h"

#include "editor/link_edge.h"
#include "link/port_name.h"
#include "link/trace_transport.h"

#include "core/platform.h"

#include <optional>

namespace qb41::cli {

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

std::chrono::system_clock::time_point LinkSession::wallNow() const {
    return impl_->context.clock.wallNow();
}

Context& LinkSession::context() {
    return impl_->context;
}

const std::string& LinkSession::verb() const {
    return impl_->verb;
}

const std::string& LinkSession::device() const {
    return impl_->args.device;
}

std::ostream& LinkSession::Say() {
    return impl_->context.err << "qb41-cli " << impl_->verb << ": ";
}

link::LinkOutcome LinkSession::Run(const Operation& operation) {
    Impl& s = *impl_;
    link::CloneLink clone(
        {s.context.app, s.context.data, s.context.log, s.context.clock, s.transport(), s.cancel},
        s.args.device);
    clone.setProgress([&s](const link::Progress& progress) { s.bar.update(progress); });
    // Reset before the handler goes in: a signal from then on cancels the run.
    s.cancel.reset();
    // The run's messages go out while the signals still cancel, as the
    // window shows them at the run's end.
    link::LinkOutcome outcome = [&] {
        std::optional<SignalScope> signals;
        if (s.args.signalsCancel) signals.emplace(s.cancel);
        return RunLinkOperation(s.context.app, s.notifier, [&] { return operation(clone); });
    }();
    s.bar.breakLine();
    return outcome;
}

} // namespace qb41::cli
