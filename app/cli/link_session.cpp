#include "link_session.h"

#include "link/port_name.h"
#include "link/qt_serial_transport.h"

#include <algorithm>
#include <atomic>
#include <csignal>
#include <unistd.h>

namespace qb41::cli {

namespace {

// The token Ctrl+C cancels while a transfer runs. A signal handler can reach
// nothing else; InterruptScope sets and clears it around the transfer.
std::atomic<link::CancelToken*> gInterruptToken{nullptr};

extern "C" void OnInterrupt(int) {
    if (link::CancelToken* token = gInterruptToken.load()) token->cancel();
}

// The first Ctrl+C cancels (SA_RESETHAND: a second one ends the process).
class InterruptScope {
public:
    explicit InterruptScope(link::CancelToken& token) {
        gInterruptToken.store(&token);
        struct sigaction action {};
        action.sa_handler = OnInterrupt;
        action.sa_flags = SA_RESETHAND;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &previous_);
    }
    ~InterruptScope() {
        sigaction(SIGINT, &previous_, nullptr);
        gInterruptToken.store(nullptr);
    }
    InterruptScope(const InterruptScope&) = delete;
    InterruptScope& operator=(const InterruptScope&) = delete;

private:
    struct sigaction previous_ {};
};

// A bar redrawn in place on a terminal; elsewhere one line per 10 %.
class ProgressBar {
public:
    ProgressBar(std::ostream& err, const char* verb, bool terminal)
        : err_(err), verb_(verb), terminal_(terminal) {}

    void update(const link::Progress& progress) {
        if (progress.phase != link::LinkPhase::Reading &&
            progress.phase != link::LinkPhase::Programming &&
            progress.phase != link::LinkPhase::Clearing)
            return;
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
    const char* verb_;
    bool terminal_;
    bool drawn_ = false;
    int lastDecile_ = -1;
    int maximum_ = 0;
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
    if (!port || port->empty()) throw UsageError{"--port is required (a device path or COM1-COM4)"};
    return LinkArguments{link::ResolvePortName(*port), args.model()};
}

int RunTransfer(Context& context, const std::string& device, const char* verb,
                const std::function<link::LinkStatus(link::CloneLink&)>& operation) {
    link::QtCoreScope qt;
    link::QtSerialTransport transport(context.clock);
    link::CancelToken cancel;
    ProgressBar bar(context.err, verb, isatty(STDERR_FILENO) != 0);
    BarNotifier notifier(context.notifier, bar);
    link::CloneLink clone(
        {context.app, context.data, notifier, context.log, context.clock, transport, cancel},
        device);
    clone.setProgress([&bar](const link::Progress& progress) { bar.update(progress); });

    link::LinkStatus status = [&] {
        InterruptScope interrupt(cancel);
        return operation(clone);
    }();
    bar.breakLine();
    switch (status) {
    case link::LinkStatus::Ok:
        return 0;
    case link::LinkStatus::Cancelled:
        context.err << "qb41-cli " << verb << ": cancelled\n";
        return 130;
    case link::LinkStatus::Failed:
        break;
    }
    // The failure reads as logged, number and description run together.
    const std::string& failure = clone.portFailure();
    if (!failure.empty()) {
        const std::size_t digits =
            std::min(failure.find_first_not_of("0123456789"), failure.size());
        context.err << "qb41-cli " << verb << ": cannot open " << device << ": "
                    << failure.substr(digits) << " (error " << failure.substr(0, digits) << ")\n";
    }
    return 1;
}

} // namespace qb41::cli
