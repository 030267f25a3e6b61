// The hand-offs between a worker thread and the window's thread (Qt Test,
// offscreen): the mailbox and its wake-ups lose no report and keep the order,
// a question asked from a worker is shown on the window's thread and each
// asker gets its own answer, and a transfer run's reports (against
// qb41-radio-sim on a pseudo-terminal) arrive in order and before its end,
// cancelled or not. Run under ThreadSanitizer by scripts/tsan.sh.
#include "mailbox.h"
#include "qt_notifier.h"
#include "transfer_runner.h"

#include "sim_process.h"

#include "image/codec.h"
#include "image/defaults.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <array>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <numeric>
#include <thread>
#include <vector>

using namespace qb41;

// What a worker emits to wake the reader; connected queued on the test's
// thread before the worker starts.
class Waker : public QObject {
    Q_OBJECT
signals:
    void waiting();
};

class HandoffTest : public QObject {
    Q_OBJECT

private slots:
    void mailboxLosesNoReportAndKeepsTheOrder();
    void questionsFromWorkersGetTheWindowsAnswers();
    void runReportsArriveInOrderBeforeTheEnd_data();
    void runReportsArriveInOrderBeforeTheEnd();
};

// The worker posts in bursts of 1, 2, 3 ... items and waits for the reader to
// take each burst, so posts find the box both empty (must wake) and not yet
// taken (need not); a post that should wake and does not strands its burst.
void HandoffTest::mailboxLosesNoReportAndKeepsTheOrder() {
    gui::Mailbox<int> box;
    Waker waker;
    std::vector<int> received;
    int wakeUps = 0;
    std::mutex mutex;
    std::condition_variable taken;
    int takenCount = 0;
    bool givenUp = false;
    QObject::connect(
        &waker, &Waker::waiting, &waker,
        [&] {
            ++wakeUps;
            const std::vector<int> items = box.take();
            received.insert(received.end(), items.begin(), items.end());
            {
                const std::lock_guard lock(mutex);
                takenCount = static_cast<int>(received.size());
            }
            taken.notify_one();
        },
        Qt::QueuedConnection);

    constexpr int kBursts = 60;
    constexpr int kTotal = kBursts * (kBursts + 1) / 2;
    std::thread worker([&] {
        int next = 0;
        for (int burst = 1; burst <= kBursts; ++burst) {
            for (int i = 0; i < burst; ++i)
                if (box.post(next++)) emit waker.waiting();
            std::unique_lock lock(mutex);
            taken.wait(lock, [&] { return givenUp || takenCount >= next; });
        }
    });
    const auto total = static_cast<std::size_t>(kTotal);
    const bool all = QTest::qWaitFor([&] { return received.size() == total; }, 20000);
    {
        const std::lock_guard lock(mutex);
        givenUp = true; // a stranded worker ends
    }
    taken.notify_one();
    worker.join();
    QApplication::processEvents();
    QVERIFY2(all, qPrintable(QStringLiteral("%1 of %2 arrived").arg(received.size()).arg(kTotal)));
    std::vector<int> expected(kTotal);
    std::iota(expected.begin(), expected.end(), 0);
    QVERIFY(received == expected);
    QVERIFY(wakeUps >= kBursts); // every burst found the box empty
    QVERIFY(wakeUps <= kTotal);
}

// Two workers ask at once; the window's thread shows each box (answering by
// its text) and each worker gets the button clicked on its own box, not the
// other's nor a default.
void HandoffTest::questionsFromWorkersGetTheWindowsAnswers() {
    gui::QtNotifier notifier;
    const std::array<Message, 2> questions = {
        Message{MessageIcon::Question, "Stop", "Stop the first run?", MessageButtons::YesNo},
        Message{MessageIcon::Warning, "Keep", "Keep the second file?",
                MessageButtons::YesNoCancel}};
    QStringList shown;
    QTimer answering;
    answering.setInterval(5);
    QObject::connect(&answering, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        shown << box->text();
        box->button(box->text().startsWith(QStringLiteral("Stop")) ? QMessageBox::No
                                                                   : QMessageBox::Cancel)
            ->click();
    });
    answering.start();

    std::array<std::atomic<int>, 2> answers{-1, -1};
    std::vector<std::thread> askers;
    for (std::size_t i = 0; i < questions.size(); ++i)
        askers.emplace_back([&, i] { answers[i] = static_cast<int>(notifier.ask(questions[i])); });
    const bool answered =
        QTest::qWaitFor([&] { return answers[0] >= 0 && answers[1] >= 0; }, 20000);
    for (std::thread& asker : askers) asker.join();
    QVERIFY(answered);
    QCOMPARE(answers[0].load(), static_cast<int>(MessageAnswer::No));
    QCOMPARE(answers[1].load(), static_cast<int>(MessageAnswer::Cancel));
    shown.sort();
    QCOMPARE(shown, QStringList({"Keep the second file?", "Stop the first run?"}));
    // On the window's own thread the box is shown at once, no hand-off.
    QTimer::singleShot(0, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            box->button(QMessageBox::Yes)->click();
    });
    QCOMPARE(notifier.ask(questions[0]), MessageAnswer::Yes);
}

void HandoffTest::runReportsArriveInOrderBeforeTheEnd_data() {
    QTest::addColumn<int>("cancelAfter"); // Reading reports before Cancel; 0: never
    // The first Reading report's slot runs events until the worker has ended.
    QTest::addColumn<bool>("eventsInSlot");
    QTest::addColumn<int>("status");
    const int ok = static_cast<int>(link::LinkStatus::Ok);
    QTest::newRow("whole read") << 0 << false << ok;
    QTest::newRow("slot that runs events") << 0 << true << ok;
    QTest::newRow("cancelled mid-read")
        << 3 << false << static_cast<int>(link::LinkStatus::Cancelled);
}

enum class Seen { Step, Report, End };

// What a run's runner says, in order. Cancels after `cancelAfter` Reading
// reports (0: never); with `eventsInSlot` the first Reading report's slot
// runs events until the worker has ended, noting whatever comes meanwhile.
struct RunWatch {
    RunWatch(const RunWatch&) = delete; // its slots hold `this`
    RunWatch& operator=(const RunWatch&) = delete;
    RunWatch(gui::TransferRunner& runner, int cancelAfter, bool eventsInSlot) {
        QObject::connect(&runner, &gui::TransferRunner::stepStarted,
                         [this](RunStep) { seen.push_back(Seen::Step); });
        QObject::connect(&runner, &gui::TransferRunner::progressed,
                         [this, &runner, cancelAfter, eventsInSlot](const link::Progress& p) {
                             nested = nested || inSlot;
                             seen.push_back(Seen::Report);
                             reports.push_back(p);
                             if (p.phase != link::LinkPhase::Reading) return;
                             if (++reading == cancelAfter) runner.cancel();
                             if (eventsInSlot && reading == 1) runEventsUntilTheEnd(runner);
                         });
        QObject::connect(&runner, &gui::TransferRunner::finished, [this] {
            nested = nested || inSlot;
            seen.push_back(Seen::End);
        });
    }
    void runEventsUntilTheEnd(gui::TransferRunner& runner) {
        const QScopedValueRollback inside(inSlot, true);
        auto* worker = runner.findChild<QThread*>();
        QVERIFY(worker && QTest::qWaitFor([&] { return worker->isFinished(); }, 20000));
    }

    std::vector<Seen> seen;
    std::vector<link::Progress> reports;
    int reading = 0;
    bool inSlot = false;
    bool nested = false; // something came while a slot was running
};

// A step first, the percentages of Reading never going back, the end last
// and once; a slot that runs events until the whole run is over gets nothing
// meanwhile (the reports and the end wait their turn); whole: Reading up to
// 100 % and Done the last report; cancelled: the run ends inside a wait,
// short of 100 %.
void HandoffTest::runReportsArriveInOrderBeforeTheEnd() {
    QFETCH(int, cancelAfter);
    QFETCH(bool, eventsInSlot);
    QFETCH(int, status);
    QTemporaryDir home;
    DataSet radio;
    MakeFreshDataSet(radio, 2);
    radio.records.UserMmsi = "123456789";
    EncodeImage(radio, 2);
    std::vector<std::string> options;
    if (cancelAfter) options.push_back("--pace");
    sim::SimProcess sim(QB41_RADIO_SIM, 2, radio.image, home.path().toStdString(), options);

    SystemClock clock;
    ErrorLog log(home.path().toStdString(), false, clock);
    RecordingNotifier notifier;
    gui::TransferRunner runner({notifier, log, {}});
    RunWatch watch(runner, cancelAfter, eventsInSlot);
    const std::vector<Seen>& seen = watch.seen;
    const std::vector<link::Progress>& reports = watch.reports;
    SequencePlan plan;
    plan.mode = TransferMode::Read;
    AppState app;
    DataSet data;
    MakeFreshDataSet(data, 2);
    QVERIFY(runner.start(plan, sim.port(), app, data));
    QVERIFY(QTest::qWaitFor([&] { return !runner.running(); }, 60000));
    QApplication::processEvents(); // nothing may come after the end
    sim.stop();

    QVERIFY(!watch.nested); // nothing came while a slot of the runner's was running
    QVERIFY(runner.result());
    QCOMPARE(static_cast<int>(runner.result()->outcome.status), status);
    QVERIFY(seen.size() > 3);
    QVERIFY(seen.front() == Seen::Step);
    QVERIFY(seen.back() == Seen::End);
    QCOMPARE(std::count(seen.begin(), seen.end(), Seen::End), std::ptrdiff_t{1});
    int percent = 0;
    for (const link::Progress& report : reports) {
        if (report.phase != link::LinkPhase::Reading) continue;
        QVERIFY2(report.percent >= percent, "a Reading report went back");
        percent = report.percent;
    }
    if (!cancelAfter) {
        QVERIFY(reports.back().phase == link::LinkPhase::Done);
        QCOMPARE(percent, 100);
        QVERIFY(runner.result()->data.records.UserMmsi.starts_with("123456789"));
    } else {
        QVERIFY(percent < 100); // Cancel ended the run inside a wait
        QCOMPARE(sim.stats["cancels"], 1.0);
    }
}

QTEST_MAIN(HandoffTest)
#include "handoff_test.moc"
