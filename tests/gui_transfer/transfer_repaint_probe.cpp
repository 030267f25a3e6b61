// Timed tool: how responsive the transfer dialog stays during a read at the
// wire's pace. It starts qb41-radio-sim --pace, opens Read from Radio in the
// program, asks the dialog to repaint every 10 ms (as an animation would) and
// records when each repaint happens, from OK until the read ends.
//
//   transfer_repaint_probe [--model N] [--seconds S]
//
// --seconds S cancels the read after S seconds (default: read it all). Prints
// the number of repaints, the largest and the mean gap between them, and the
// read's duration. Run offscreen (QT_QPA_PLATFORM=offscreen) or on a display.
#include "application.h"
#include "radio_dialog.h"

#include "sim_process.h"

#include "image/defaults.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace qb41;

namespace {

class PaintClock : public QObject {
public:
    explicit PaintClock(QElapsedTimer& clock) : clock_(clock) {}
    std::vector<qint64> times;
    bool recording = false;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (recording && event->type() == QEvent::Paint) times.push_back(clock_.nsecsElapsed());
        return false;
    }

private:
    QElapsedTimer& clock_;
};

// The read's length and the gaps between the dialog's repaints (times in ns
// since the probe started; `started` is when OK was pressed).
void PrintGaps(const std::vector<qint64>& t, qint64 started, qint64 ended, ModelNumber model,
               bool cancelled) {
    qint64 largest = 0, largestAt = 0;
    std::vector<qint64> gaps;
    for (std::size_t i = 1; i < t.size(); ++i) {
        gaps.push_back(t[i] - t[i - 1]);
        if (t[i] - t[i - 1] > largest) {
            largest = t[i] - t[i - 1];
            largestAt = t[i - 1] - started;
        }
    }
    std::sort(gaps.begin(), gaps.end());
    const auto percentile = [&](double p) {
        return gaps.empty() ? 0.0 : double(gaps[std::size_t(p * double(gaps.size() - 1))]) / 1e6;
    };
    const double span = t.size() > 1 ? double(t.back() - t.front()) : 0.0;
    std::printf("model %d, read %s in %.1f s\n", int(model), cancelled ? "cancelled" : "ended",
                double(ended - started) / 1e9);
    std::printf("repaints: %zu\nlargest gap between repaints: %.1f ms (%.2f s after OK)\n"
                "mean gap: %.1f ms, 99th percentile %.1f ms, 99.9th %.1f ms\n",
                t.size(), double(largest) / 1e6, double(largestAt) / 1e9,
                t.size() > 1 ? span / double(t.size() - 1) / 1e6 : 0.0, percentile(0.99),
                percentile(0.999));
}

struct ProbeOptions {
    ModelNumber model = 2;
    int seconds = 0; // Cancel after this long; 0: read to the end
};

// --model N, --seconds S.
ProbeOptions ParseOptions(const QStringList& args) {
    ProbeOptions options;
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == QLatin1String("--model"))
            options.model = static_cast<ModelNumber>(args[++i].toInt());
        else if (args[i] == QLatin1String("--seconds"))
            options.seconds = args[++i].toInt();
    }
    return options;
}

} // namespace

int main(int argc, char** argv) {
    QApplication qt(argc, argv);
    const ProbeOptions options = ParseOptions(QApplication::arguments());

    QTemporaryDir home;
    gui::Application program(gui::LaunchOptions{}, home.filePath("store.ini"),
                             home.path().toStdString());
    program.start();
    program.window().session().ChooseModel(options.model);
    QApplication::processEvents();
    DataSet radio;
    MakeFreshDataSet(radio, program.app().modelNumber);
    sim::SimProcess sim(QB41_RADIO_SIM, program.app().modelNumber, radio.image,
                        home.path().toStdString(), {"--pace"});
    program.window().session().ChooseSerialDevice(sim.port());

    QElapsedTimer clock;
    clock.start();
    PaintClock paints(clock);
    qint64 started = 0, ended = 0;
    bool pressed = false;
    QTimer driver;
    driver.setInterval(10);
    QObject::connect(&driver, &QTimer::timeout, [&] {
        QWidget* top = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(top)) {
            paints.recording = false;
            if (!ended) ended = clock.nsecsElapsed();
            box->buttons().first()->click();
            return;
        }
        auto* dialog = qobject_cast<gui::RadioDialog*>(top);
        if (!dialog) return;
        if (!pressed) {
            pressed = true;
            dialog->installEventFilter(&paints);
            paints.recording = true;
            started = clock.nsecsElapsed();
            dialog->findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
            return;
        }
        dialog->update();
        const bool running = dialog->flow().state() == TransferState::Running ||
                             dialog->flow().state() == TransferState::Cancelling;
        if (options.seconds > 0 && running &&
            clock.nsecsElapsed() - started > options.seconds * 1000000000LL)
            dialog->findChild<QPushButton*>(QStringLiteral("cmdCancel"))->click();
        if (!running && dialog->flow().state() == TransferState::Failed) {
            paints.recording = false;
            if (!ended) ended = clock.nsecsElapsed();
            dialog->findChild<QPushButton*>(QStringLiteral("cmdCancel"))->click();
        }
    });
    driver.start();
    program.window().action(QStringLiteral("mnuTransferRead"))->trigger();
    if (!ended) ended = clock.nsecsElapsed();

    PrintGaps(paints.times, started, ended, program.app().modelNumber, options.seconds > 0);
    sim.stop();
    return paints.times.size() > 1 ? 0 : 1;
}
