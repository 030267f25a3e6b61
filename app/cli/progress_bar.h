// The progress line of a transfer on stderr: a bar redrawn in place on a
// terminal, elsewhere one line per 10 % and a line whenever the radio is
// awaited; and the notifier that keeps the run's messages off the bar's line.
#pragma once

#include "core/notifier.h"
#include "link/outcome.h"

#include <ostream>
#include <string>

namespace qb41::cli {

class ProgressBar {
public:
    ProgressBar(std::ostream& err, std::string verb, std::string device, bool terminal)
        : err_(err), verb_(std::move(verb)), device_(std::move(device)), terminal_(terminal) {}

    void update(const link::Progress& progress);
    // Every block done: the bar shows it before the completion message.
    void complete();
    // Ends the bar's line so that a message starts on a line of its own.
    void breakLine();

private:
    void Draw(int percent, int current);

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
    MessageAnswer ask(const Message& message) override;

private:
    Notifier& inner_;
    ProgressBar& bar_;
};

} // namespace qb41::cli
