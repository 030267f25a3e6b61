#include "progress_bar.h"

namespace qb41::cli {

namespace {

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

} // namespace

void ProgressBar::update(const link::Progress& progress) {
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
        err_ << verb_ << ": " << progress.percent << "% (" << progress.current << '/' << maximum_
             << " blocks)\n";
    }
}

void ProgressBar::complete() {
    if (maximum_ == 0) return;
    if (terminal_)
        Draw(100, maximum_);
    else if (lastDecile_ < 10)
        err_ << verb_ << ": 100% (" << maximum_ << '/' << maximum_ << " blocks)\n";
    lastDecile_ = 10;
    breakLine();
}

void ProgressBar::breakLine() {
    if (!drawn_) return;
    err_ << '\n';
    drawn_ = false;
}

void ProgressBar::Draw(int percent, int current) {
    constexpr int kWidth = 30;
    const int filled = percent * kWidth / 100;
    err_ << '\r' << verb_ << " [" << std::string(static_cast<std::size_t>(filled), '#')
         << std::string(static_cast<std::size_t>(kWidth - filled), '.') << "] " << percent << "%  "
         << current << '/' << maximum_ << " blocks" << std::flush;
    drawn_ = true;
}

MessageAnswer BarNotifier::ask(const Message& message) {
    if (message.icon == MessageIcon::Information) bar_.complete();
    bar_.breakLine();
    return inner_.ask(message);
}

} // namespace qb41::cli
