// The transfer dialog, the report window and printing in the real program,
// offscreen, with qb41-radio-sim on a pseudo-terminal at the far end.
//
// Modal windows are driven by a Driver: a short timer that answers every
// message box with its first button (recording what it said), rejects file
// dialogs, and runs the test's script steps against the modal window on top.
#include "application.h"
#include "radio_dialog.h"
#include "report_printer.h"
#include "report_window.h"
#include "transfer_commands.h"

#include "sim_process.h"
#include "support/scratch.h"

#include "editor/section_tree.h"
#include "files/backup_files.h"
#include "image/codec.h"
#include "image/defaults.h"
#include "report/print_layout.h"
#include "report/report_text.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <csignal>
#include <deque>
#include <fstream>
#include <functional>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace qb41;

namespace {

struct Shown {
    QString icon;
    QString title;
    QString text;
    bool operator==(const Shown&) const = default;
};

using Boxes = std::vector<Shown>;

QString Describe(const Boxes& boxes) {
    QStringList lines;
    for (const Shown& shown : boxes) lines << shown.icon + " | " + shown.title + " | " + shown.text;
    return lines.join(QStringLiteral("; "));
}

QString IconText(QMessageBox::Icon icon) {
    switch (icon) {
    case QMessageBox::Critical:
        return QStringLiteral("critical");
    case QMessageBox::Information:
        return QStringLiteral("information");
    case QMessageBox::Warning:
        return QStringLiteral("warning");
    default:
        return QStringLiteral("other");
    }
}

// Runs script steps against the modal window on top; a step returns true
// when it is done and the next one may run. Boxes and file dialogs are handled
// by a timer of their own, so a step may open one (a timer never fires inside
// its own callback).
class Driver {
public:
    using Step = std::function<bool(QWidget&)>;
    Driver() {
        answers_.setInterval(5);
        QObject::connect(&answers_, &QTimer::timeout, [this] { answer(); });
        answers_.start();
        steps_.setInterval(5);
        QObject::connect(&steps_, &QTimer::timeout, [this] { step(); });
        steps_.start();
    }
    void then(Step step) { script_.push_back(std::move(step)); }
    bool finished() const { return script_.empty(); }

    std::vector<Shown> boxes;
    // Which button a box gets (its index); the first when unset.
    std::function<int(const Shown&)> choose;

private:
    void answer() {
        QWidget* top = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(top)) {
            // Unsaved edits are offered for saving before a read: not saved here.
            if (box->text().startsWith(QStringLiteral("KVX data has changed."))) {
                box->button(QMessageBox::No)->click();
                return;
            }
            boxes.push_back({IconText(box->icon()), box->windowTitle(), box->text()});
            const int index = choose ? choose(boxes.back()) : 0;
            box->buttons().value(index, box->buttons().first())->click();
        } else if (auto* files = qobject_cast<QFileDialog*>(top)) {
            files->reject();
        }
    }
    void step() {
        QWidget* top = QApplication::activeModalWidget();
        if (!top || qobject_cast<QMessageBox*>(top) || qobject_cast<QFileDialog*>(top)) return;
        if (!script_.empty() && script_.front()(*top)) script_.pop_front();
    }

    QTimer answers_;
    QTimer steps_;
    std::deque<Step> script_;
};

// A step on the transfer dialog.
Driver::Step OnDialog(std::function<bool(gui::RadioDialog&)> step) {
    return [step](QWidget& top) {
        auto* dialog = qobject_cast<gui::RadioDialog*>(&top);
        return dialog && step(*dialog);
    };
}

template <typename T> T* Child(QWidget& parent, const char* name) {
    return parent.findChild<T*>(QString::fromLatin1(name));
}

bool PressOk(gui::RadioDialog& dialog) {
    QTest::keyClick(&dialog, Qt::Key_Return);
    return true;
}

bool PressCancel(gui::RadioDialog& dialog) {
    Child<QPushButton>(dialog, "cmdCancel")->click();
    return true;
}

// The radio's memory: a fresh model 2 image with a directory entry, a user
// MMSI and an entry counter of its own.
DataSet RadioData() {
    DataSet radio;
    MakeFreshDataSet(radio, 2);
    radio.records.CHMMSID[0] = {kTrue, "HARBOUR", "366123456"};
    radio.records.UserMmsi = "123456789";
    EncodeImage(radio, 2);
    radio.image[501] = 7;
    return radio;
}

QString FirstLine(const QString& text) {
    return text.section(QLatin1Char('\n'), 0, 0);
}

// The program on a temporary store and folder (its backups there too), its
// port on a simulator.
struct Rig {
    explicit Rig(std::vector<std::string> simOptions = {}, const DataSet& radio = RadioData()) {
        qputenv("XDG_DATA_HOME", home.path().toUtf8());
        program = std::make_unique<gui::Application>(
            gui::LaunchOptions{}, home.filePath("store.ini"), home.path().toStdString());
        program->start();
        sim = std::make_unique<sim::SimProcess>(QB41_RADIO_SIM, program->app().modelNumber,
                                                radio.image, home.path().toStdString(), simOptions);
        window().session().ChooseSerialDevice(sim->port());
    }
    gui::MainWindow& window() { return program->window(); }
    AppState& app() { return program->app(); }
    DataSet& data() { return program->data(); }
    void trigger(const char* action) { window().action(QString::fromLatin1(action))->trigger(); }
    QString currentNode() {
        return Child<QTreeWidget>(window(), "tvTreeView")->currentItem()->text(0);
    }
    std::filesystem::path backups() const {
        return std::filesystem::path(home.path().toStdString()) / "QB41" / "backups";
    }
    bool treeHas(const std::string& text) {
        auto* tree = Child<QTreeWidget>(window(), "tvTreeView");
        return !tree->findItems(QString::fromStdString(text), Qt::MatchExactly | Qt::MatchRecursive)
                    .isEmpty();
    }

    QTemporaryDir home;
    std::unique_ptr<gui::Application> program;
    std::unique_ptr<sim::SimProcess> sim;
};

bool SameData(const DataSet& a, const DataSet& b) {
    return a.records == b.records && a.image == b.image;
}

} // namespace

class TransferDialogTest : public QObject {
    Q_OBJECT

private slots:
    void readFromRadioUpdatesTheWindow();
    void escapeBeforeOkClosesAndSendsNothing();
    void failedReadWaitsForOkAndTriesAgain();
    void cancelDuringAPacedReadStopsSilently();
    void clearRefreshesTheCounter();
    void programSendsThePreparedImage();
    void portsThatWillNotOpenSayWhyAndTheDialogStays();
    void cancelRightAfterOkSendsNoWriteCommand();
    void stoppingAWriteAsksThenRestoreBringsTheRadioBack();
    void verifyAfterProgramNamesTheAddress();
    void modelTypeErrorOffersTheRadiosModel();
    void runnerDestroyedMidRunStopsIt();
    void reportWindowShowsAndSavesTheReport();
    void printedPdfHasThePagesAndColumns();
    void aPdfThatCannotBeWrittenLeavesTheOldOne();
};

void TransferDialogTest::readFromRadioUpdatesTheWindow() {
    Rig rig;
    rig.app().currentFileName = "/somewhere/old.dat";
    rig.app().dataChanged = true;
    rig.window().session().ShowSection("SM");
    Driver driver;
    QString caption, message;
    QPoint pictA, pictB;
    QSize outer;
    bool okIsDefault = false;
    driver.then(OnDialog([&](gui::RadioDialog& dialog) {
        caption = dialog.windowTitle();
        message = Child<QLabel>(dialog, "lblmess")->text();
        pictA = Child<QLabel>(dialog, "pictA")->pos();
        pictB = Child<QLabel>(dialog, "pictB")->pos();
        outer = dialog.frameGeometry().size();
        okIsDefault = Child<QPushButton>(dialog, "cmdOK")->isDefault();
        Child<QPushButton>(dialog, "cmdHelp")->click(); // no help file here
        return PressOk(dialog);
    }));
    rig.trigger("mnuTransferRead");

    QVERIFY(driver.finished());
    QVERIFY2(driver.boxes ==
                 (Boxes{{"information", "Read from Radio", QString::fromLatin1(kNoHelpText)},
                        {"information", "Read from Radio", "Complete!!"}}),
             qPrintable(Describe(driver.boxes)));
    QCOMPARE(caption, QStringLiteral("Read from Radio"));
    QCOMPARE(message, QString::fromStdString(TransferInstructions()));
    QCOMPARE(pictA, QPoint(30, 88));
    QCOMPARE(pictB, QPoint(280, 88));
    QCOMPARE(outer, QSize(455, 275));
    QVERIFY(okIsDefault);

    DataSet radio = RadioData();
    DecodeImage(radio, 2); // what a read of it gives
    QCOMPARE(rig.data().records.CHMMSID[0].TagName, std::string("HARBOUR"));
    QCOMPARE(rig.data().records.CHMMSID[0], radio.records.CHMMSID[0]);
    QCOMPARE(rig.data().records.UserMmsi, radio.records.UserMmsi);
    QVERIFY(rig.data().records.UserMmsi.starts_with("123456789"));
    QCOMPARE(rig.data().image[501], 7);
    QVERIFY(rig.app().currentFileName.empty());
    QVERIFY(!rig.app().dataChanged);
    QVERIFY(!rig.app().completed);
    QCOMPARE(rig.window().windowTitle().toStdString(), rig.window().session().Caption());
    QVERIFY(!rig.window().windowTitle().contains(QStringLiteral("old.dat")));
    QCOMPARE(rig.currentNode(), QStringLiteral("General"));
    QVERIFY(rig.treeHas(editor::DirectoryNodeText(editor::DirectoryKind::Individual, 1, true)));

    // The directory list shows the entry read.
    rig.window().session().ShowSection("SM");
    bool listed = false;
    for (auto* grid : rig.window().findChildren<QTableView*>())
        for (int c = 0; c < grid->model()->columnCount(); ++c)
            listed |= grid->isVisibleTo(&rig.window()) &&
                      grid->model()->index(0, c).data().toString() == QStringLiteral("HARBOUR");
    QVERIFY(listed);
}

void TransferDialogTest::escapeBeforeOkClosesAndSendsNothing() {
    for (const char* command : {"mnuTransferRead", "mnuTransferProgram"}) {
        Rig rig;
        rig.app().currentFileName = "/somewhere/old.dat";
        rig.app().dataChanged = true;
        const DataSet before = rig.data();
        Driver driver;
        driver.then(OnDialog([](gui::RadioDialog& dialog) {
            QTest::keyClick(&dialog, Qt::Key_Escape);
            return true;
        }));
        rig.trigger(command);
        QVERIFY(driver.finished());
        QVERIFY(driver.boxes.empty());
        QVERIFY(SameData(rig.data(), before));
        QCOMPARE(rig.app().currentFileName, std::string("/somewhere/old.dat"));
        QVERIFY(rig.app().dataChanged);
        rig.sim->stop();
        QCOMPARE(rig.sim->stats["requests"], 0.0);
    }
}

void TransferDialogTest::failedReadWaitsForOkAndTriesAgain() {
    // Requests 9 and 10 are the fifth block and its retry.
    Rig rig({"--bad-checksum", "9,10"});
    rig.app().currentFileName = "/somewhere/old.dat";
    const DataSet before = rig.data();
    Driver driver;
    bool untouched = false, okEnabled = false, helpEnabled = false;
    std::size_t boxesWhileWaiting = 0;
    driver.then(OnDialog(PressOk));
    driver.then(OnDialog([&](gui::RadioDialog& dialog) {
        if (dialog.flow().state() != TransferState::Failed) return false;
        untouched = SameData(rig.data(), before);
        okEnabled = Child<QPushButton>(dialog, "cmdOK")->isEnabled();
        helpEnabled = Child<QPushButton>(dialog, "cmdHelp")->isEnabled();
        boxesWhileWaiting = driver.boxes.size();
        return PressOk(dialog); // the faults are used up: this one completes
    }));
    rig.trigger("mnuTransferRead");

    QVERIFY(driver.finished());
    QVERIFY(untouched);
    QVERIFY(okEnabled && helpEnabled);
    QCOMPARE(boxesWhileWaiting, 1u);
    QCOMPARE(driver.boxes.size(), 2u);
    // The message first, then why and what to do.
    QCOMPARE(driver.boxes[0].icon, QStringLiteral("critical"));
    QCOMPARE(driver.boxes[0].title, QStringLiteral("Read from Radio"));
    QCOMPARE(FirstLine(driver.boxes[0].text), QStringLiteral("Communication Error!!"));
    QVERIFY(driver.boxes[0].text.contains(QString::fromStdString(rig.sim->port()) +
                                          QStringLiteral(" were garbled")));
    QVERIFY(driver.boxes[0].text.contains(QStringLiteral("Check the cable")));
    QVERIFY(driver.boxes[1] == (Shown{"information", "Read from Radio", "Complete!!"}));
    QVERIFY(rig.data().records.UserMmsi.starts_with("123456789"));
    QVERIFY(rig.app().currentFileName.empty());
}

void TransferDialogTest::cancelDuringAPacedReadStopsSilently() {
    Rig rig({"--pace"});
    rig.app().dataChanged = true;
    const DataSet before = rig.data();
    Driver driver;
    QLabel* bar = nullptr;
    int paints = 0, firstLeft = 0, lastLeft = 0;
    bool closeRefused = false, windowStayed = false, dataUntouched = false;
    struct PaintCounter : QObject {
        int* count;
        explicit PaintCounter(int* c) : count(c) {}
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Paint) ++*count;
            return false;
        }
    } counter(&paints);
    driver.then(OnDialog([&](gui::RadioDialog& dialog) {
        bar = Child<QLabel>(dialog, "lblPercent");
        bar->installEventFilter(&counter);
        firstLeft = bar->x();
        return PressOk(dialog);
    }));
    driver.then(OnDialog([&](gui::RadioDialog& dialog) {
        // Let a few blocks arrive at the wire's pace, then try to leave.
        if (dialog.flow().view().percent < 4) return false;
        lastLeft = bar->x();
        closeRefused = !dialog.close() && dialog.isVisible();
        rig.window().close();
        windowStayed = rig.window().isVisible();
        return PressCancel(dialog);
    }));
    driver.then(OnDialog([&](gui::RadioDialog& dialog) {
        if (dialog.flow().state() != TransferState::Failed) return false;
        dataUntouched = SameData(rig.data(), before);
        return PressCancel(dialog); // a second Cancel closes
    }));
    rig.trigger("mnuTransferRead");

    QVERIFY(driver.finished());
    QVERIFY(driver.boxes.empty());
    QVERIFY(closeRefused);
    QVERIFY(windowStayed);
    QVERIFY(dataUntouched);
    QVERIFY(SameData(rig.data(), before));
    QVERIFY(rig.app().cancelFlag);
    QVERIFY(rig.app().dataChanged);
    // The bar slid in while the read ran, and was painted as it moved.
    QVERIFY2(lastLeft > firstLeft,
             qPrintable(QStringLiteral("%1 -> %2").arg(firstLeft).arg(lastLeft)));
    QVERIFY2(paints >= 4, qPrintable(QString::number(paints)));
    rig.sim->stop();
    QCOMPARE(rig.sim->stats["cancels"], 1.0);
    rig.app().dataChanged = false;
    QVERIFY(rig.window().close()); // the transfer is over
}

void TransferDialogTest::clearRefreshesTheCounter() {
    for (const bool fails : {false, true}) {
        // Requests 1-260 are the backup read, 261-264 the clear's model
        // check; the write (265) and its retry (266) go unanswered.
        Rig rig(fails ? std::vector<std::string>{"--no-reply", "265,266"}
                      : std::vector<std::string>{});
        rig.data().image[501] = 5;
        auto* field = Child<QLineEdit>(rig.window(), "txtFCount");
        QVERIFY(field);
        field->setText(QStringLiteral("stale"));
        rig.app().dataChanged = false;
        Driver driver;
        QString caption;
        QPoint pictA;
        driver.then(OnDialog([&](gui::RadioDialog& dialog) {
            caption = dialog.windowTitle();
            pictA = Child<QLabel>(dialog, "pictA")->pos();
            return PressOk(dialog);
        }));
        driver.then(OnDialog([&](gui::RadioDialog& dialog) {
            if (dialog.flow().state() != TransferState::Failed) return false;
            return PressCancel(dialog);
        }));
        if (fails) {
            // The same command with short time limits.
            SystemClock clock;
            ErrorLog log(rig.home.path().toStdString(), false, clock);
            link::LinkTiming timing;
            timing.answerLimit = std::chrono::milliseconds(300);
            gui::RunTransferCommand(rig.window(),
                                    {rig.app(),
                                     rig.data(),
                                     rig.program->notifier(),
                                     log,
                                     clock,
                                     {},
                                     timing,
                                     rig.backups()},
                                    TransferMode::Clear);
        } else {
            Child<QPushButton>(rig.window(), "cmdFClear")->click();
        }

        QCOMPARE(caption, QStringLiteral("Program to Radio"));
        QCOMPARE(pictA, QPoint(280, 88));
        if (fails) {
            QCOMPARE(driver.boxes.size(), 1u);
            QCOMPARE(driver.boxes[0].title, QStringLiteral("Clear Data"));
            QCOMPARE(FirstLine(driver.boxes[0].text), QStringLiteral("CommunicatiOn Error!!"));
            QVERIFY(driver.boxes[0].text.contains(QStringLiteral("did not answer")));
            QCOMPARE(rig.data().image[501], 5);
            QCOMPARE(field->text(), QStringLiteral("5"));
            QVERIFY(!rig.app().dataChanged);
        } else {
            QVERIFY(!driver.finished()); // no second try was needed
            QCOMPARE(driver.boxes.size(), 1u);
            QCOMPARE(driver.boxes[0].title, QStringLiteral("Clear Data"));
            QCOMPARE(FirstLine(driver.boxes[0].text), QStringLiteral("Complete!!"));
            const std::vector<BackupEntry> saved = ListBackups(rig.backups());
            QCOMPARE(saved.size(), 1u);
            QVERIFY(driver.boxes[0].text.contains(QString::fromStdString(saved[0].path.string())));
            QCOMPARE(rig.data().image[501], 0);
            QCOMPARE(field->text(), QStringLiteral("0"));
            QVERIFY(rig.app().dataChanged);
            rig.sim->stop();
            QCOMPARE(rig.sim->memory[501], 0);
        }
    }
}

void TransferDialogTest::programSendsThePreparedImage() {
    Rig rig;
    rig.data().records.UserMmsi = "987654321";
    rig.data().records.CHMMSID[0] = {kTrue, "PILOT", "003669999"};
    // Usable without an enabled channel: preparing the image repairs it.
    for (ChannelRecord& channel : rig.data().records.CHEXP) channel.Enable = kFalse;
    rig.data().records.UsableGroup[3].Usable = kTrue;
    Driver driver;
    driver.then(OnDialog(PressOk));
    rig.trigger("mnuTransferProgram");
    QCOMPARE(driver.boxes.size(), 1u);
    QCOMPARE(driver.boxes[0].title, QStringLiteral("Program to Radio"));
    QCOMPARE(FirstLine(driver.boxes[0].text), QStringLiteral("Complete!!"));
    rig.sim->stop();

    // The backup named in the box is the radio before the program.
    const std::vector<BackupEntry> saved = ListBackups(rig.backups());
    QCOMPARE(saved.size(), 1u);
    QCOMPARE(saved[0].model, 2);
    QVERIFY(driver.boxes[0].text.contains(QString::fromStdString(saved[0].path.string())));
    const RadioImage before = RadioData().image;
    QCOMPARE(test::ReadBytes(saved[0].path), std::string(before.begin(), before.end()));

    // The window holds the image that was sent: every byte the plan writes
    // is on the radio, with the edits and the repaired group.
    const DataSet& data = rig.data();
    for (int i = 66; i < 13824; ++i) {
        const bool written = (i <= 191) || (i >= 256 && i <= 559) || i >= 768;
        if (written && rig.sim->memory[i] != data.image[i])
            QFAIL(qPrintable(QStringLiteral("byte %1 differs").arg(i)));
    }
    DataSet decoded = data;
    DecodeImage(decoded, 2);
    QCOMPARE(decoded.records.CHMMSID[0].TagName, std::string("PILOT"));
    QVERIFY(decoded.records.UserMmsi.starts_with("987654321"));
    QCOMPARE(data.records.UsableGroup[3].Usable, kFalse);
}

void TransferDialogTest::portsThatWillNotOpenSayWhyAndTheDialogStays() {
    const struct {
        const char* command;
        const char* title;
        const char* message;
    } modes[] = {{"mnuTransferRead", "Read from Radio", "Communication Error!!"},
                 {"mnuTransferProgram", "Program to Radio", "CommunicatiOn Error!!"}};
    for (const auto& mode : modes) {
        Rig rig;
        const QString missing = rig.home.filePath("ttyQB41");
        rig.window().session().ChooseSerialDevice(missing.toStdString());
        Driver driver;
        bool stayed = false;
        driver.then(OnDialog(PressOk));
        driver.then(OnDialog([&](gui::RadioDialog& dialog) {
            if (dialog.flow().state() != TransferState::Failed) return false;
            stayed = dialog.isVisible() && Child<QPushButton>(dialog, "cmdOK")->isEnabled();
            return PressCancel(dialog);
        }));
        rig.trigger(mode.command);
        QVERIFY(driver.finished());
        QVERIFY(stayed);
        QCOMPARE(driver.boxes.size(), 1u);
        QCOMPARE(driver.boxes[0].icon, QStringLiteral("critical"));
        QCOMPARE(driver.boxes[0].title, QString::fromLatin1(mode.title));
        const QStringList lines = driver.boxes[0].text.split(QLatin1Char('\n'));
        QCOMPARE(lines.value(0), QString::fromLatin1(mode.message));
        QCOMPARE(lines.value(1), QStringLiteral("no such device ") + missing);
        QVERIFY(lines.value(2).contains(QStringLiteral("Options > SerialPort")));
    }

    // A device this user may not open: the simulator's terminal made
    // unreadable; as root (who may open anything) the run is made as nobody,
    // keeping root as the saved user to come back to.
    Rig rig;
    const std::string device = std::filesystem::canonical(rig.sim->port()).string();
    rig.window().session().ChooseSerialDevice(device);
    const bool root = ::geteuid() == 0;
    ::chmod(device.c_str(), root ? 0600 : 0);
    Driver driver;
    bool dropped = !root, restored = !root;
    driver.then(OnDialog([&](gui::RadioDialog& dialog) {
        if (root) dropped = ::setresuid(65534, 65534, 0) == 0;
        return PressOk(dialog);
    }));
    driver.then(OnDialog([&](gui::RadioDialog& dialog) {
        if (dialog.flow().state() != TransferState::Failed) return false;
        if (root) restored = ::setresuid(0, 0, 0) == 0;
        return PressCancel(dialog);
    }));
    rig.trigger("mnuTransferRead");
    if (root && ::geteuid() != 0) restored = ::setresuid(0, 0, 0) == 0;
    QVERIFY(dropped && restored);
    ::chmod(device.c_str(), 0620);
    QVERIFY(driver.finished());
    QCOMPARE(driver.boxes.size(), 1u);
    const QStringList lines = driver.boxes[0].text.split(QLatin1Char('\n'));
    QCOMPARE(lines.value(0), QStringLiteral("Communication Error!!"));
    QVERIFY2(lines.value(1).startsWith(QStringLiteral("permission denied on ") +
                                       QString::fromStdString(device) +
                                       QStringLiteral(" (it belongs to group ")),
             qPrintable(driver.boxes[0].text));
    QVERIFY(lines.value(2).contains(QStringLiteral("usermod -aG")));
    rig.sim->stop();
    QCOMPARE(rig.sim->stats["requests"], 0.0);
}

void TransferDialogTest::cancelRightAfterOkSendsNoWriteCommand() {
    for (const char* command : {"mnuTransferProgram", "Clear"}) {
        Rig rig;
        Driver driver;
        driver.then(OnDialog([](gui::RadioDialog& dialog) {
            PressOk(dialog);
            return PressCancel(dialog); // before the worker's first exchange
        }));
        driver.then(OnDialog([](gui::RadioDialog& dialog) {
            if (dialog.flow().state() != TransferState::Failed) return false;
            return PressCancel(dialog);
        }));
        if (std::string(command) == "Clear")
            Child<QPushButton>(rig.window(), "cmdFClear")->click();
        else
            rig.trigger(command);
        QVERIFY(driver.finished());
        QVERIFY2(driver.boxes.empty(), qPrintable(Describe(driver.boxes)));
        QVERIFY(ListBackups(rig.backups()).empty()); // the backup read was stopped too
        rig.sim->stop();
        QCOMPARE(rig.sim->stats["write_bytes"] + rig.sim->stats["write_blocks"], 0.0);
        QVERIFY(rig.sim->stats["requests"] <=
                2.0); // at most the first model-check byte and its retry
    }
}

void TransferDialogTest::stoppingAWriteAsksThenRestoreBringsTheRadioBack() {
    // The backup is 260 requests, the program's model check 4 more; the
    // sixth write goes unanswered, so the program waits there (and the
    // restore's requests, from 271 on, are all answered).
    Rig rig({"--no-reply", "270"});
    rig.data().records.UserMmsi = "987654321";
    Driver driver;
    QString listedModel, listedFile;
    driver.then(OnDialog(PressOk));
    driver.then(OnDialog([&](gui::RadioDialog& dialog) {
        // The wait for the sixth write's answer.
        if (dialog.flow().view().status != "Waiting for the radio...") return false;
        return PressCancel(dialog); // asks; the driver says Yes
    }));
    // Yes to the restore offer opens the list of backups.
    driver.then([&](QWidget& top) {
        if (top.objectName() != QStringLiteral("dlgRestoreBackup")) return false;
        auto* list = Child<QTableWidget>(top, "lstBackups");
        listedModel = list->item(0, 0)->text();
        listedFile = list->item(0, 2)->text();
        qobject_cast<QDialog*>(&top)->accept();
        return true;
    });
    driver.then(OnDialog(PressOk));
    rig.trigger("mnuTransferProgram");
    QVERIFY(driver.finished());
    QVERIFY2(driver.boxes.size() == 3u, qPrintable(Describe(driver.boxes)));
    QCOMPARE(driver.boxes[0].text, QString::fromStdString(StopProgrammingQuestion().text));
    QCOMPARE(driver.boxes[1].icon, QStringLiteral("warning"));
    QVERIFY(driver.boxes[1].text.startsWith(QStringLiteral("The radio is partly programmed.")));
    const std::vector<BackupEntry> saved = ListBackups(rig.backups());
    QCOMPARE(saved.size(), 1u);
    QVERIFY(driver.boxes[1].text.contains(QString::fromStdString(saved[0].path.string())));
    QVERIFY(driver.boxes[1].text.contains(QStringLiteral("Transfer > Restore Backup...")));
    QCOMPARE(listedModel, QStringLiteral("ZH540 (021C)"));
    QCOMPARE(listedFile, QString::fromStdString(saved[0].path.string()));
    QCOMPARE(driver.boxes[2], (Shown{"information", "Program to Radio", "Complete!!"}));
    // The restore is of the backup: the window's records stay as edited.
    QCOMPARE(rig.data().records.UserMmsi, std::string("987654321"));
    rig.sim->stop();
    const RadioImage before = RadioData().image;
    for (int i = 0; i < 16384; ++i)
        if (rig.sim->memory[i] != before[i])
            QFAIL(qPrintable(QStringLiteral("byte %1 not restored").arg(i)));
    // A part of a program (single bytes), then a whole restore.
    QCOMPARE(rig.sim->stats["write_blocks"], 209.0);
    QVERIFY(rig.sim->stats["write_bytes"] > 110);
}

void TransferDialogTest::verifyAfterProgramNamesTheAddress() {
    // The user MMSI (496-500) differs from the radio's, so its block is
    // written even with only changes; the radio keeps byte 497 inverted.
    Rig rig({"--corrupt-at", "497"});
    rig.data().records.UserMmsi = "987654321";
    QAction* verify = rig.window().action(QStringLiteral("mnuOptionsVerify"));
    QAction* changed = rig.window().action(QStringLiteral("mnuOptionsChangedOnly"));
    QVERIFY(verify && changed);
    QVERIFY(!verify->isChecked() && !changed->isChecked());
    verify->trigger();
    changed->trigger();
    Driver driver;
    driver.then(OnDialog(PressOk));
    driver.then(OnDialog([&](gui::RadioDialog& dialog) {
        if (dialog.flow().state() != TransferState::Failed) return false;
        return PressCancel(dialog);
    }));
    rig.trigger("mnuTransferProgram");
    QVERIFY(driver.finished());
    QVERIFY2(driver.boxes.size() == 1u, qPrintable(Describe(driver.boxes)));
    QCOMPARE(driver.boxes[0].icon, QStringLiteral("critical"));
    QCOMPARE(driver.boxes[0].title, QStringLiteral("Program to Radio"));
    QVERIFY2(driver.boxes[0].text.contains(QStringLiteral("at 0x01F1")),
             qPrintable(driver.boxes[0].text));
    rig.sim->stop();
    // Only changes were written: a fresh image differs from the radio in
    // fewer blocks than the plan has.
    QVERIFY(rig.sim->stats["write_blocks"] < 209);

    // Both choices are remembered for the next start.
    gui::Application again(gui::LaunchOptions{}, rig.home.filePath("store.ini"),
                           rig.home.path().toStdString());
    QVERIFY(again.window().action(QStringLiteral("mnuOptionsVerify"))->isChecked());
    QVERIFY(again.window().action(QStringLiteral("mnuOptionsChangedOnly"))->isChecked());
}

void TransferDialogTest::modelTypeErrorOffersTheRadiosModel() {
    DataSet radio;
    MakeFreshDataSet(radio, 3);
    radio.records.UserMmsi = "366000111";
    EncodeImage(radio, 3);
    Rig rig({"--model", "3"}, radio);
    QCOMPARE(rig.app().modelNumber, 2);
    Driver driver;
    driver.then(OnDialog(PressOk));
    driver.then(OnDialog([](gui::RadioDialog& dialog) {
        // The read again, on the radio's model, in a dialog of its own.
        return dialog.flow().state() == TransferState::Ready && PressOk(dialog);
    }));
    rig.trigger("mnuTransferRead");
    QVERIFY(driver.finished());
    QVERIFY2(driver.boxes.size() == 3u, qPrintable(Describe(driver.boxes)));
    QCOMPARE(FirstLine(driver.boxes[0].text), QStringLiteral("ModelType Error !!"));
    QVERIFY(driver.boxes[0].text.contains(
        QStringLiteral("the radio is LW6100 (17D4); Edit > Model is ZH540 (021C)")));
    QVERIFY(driver.boxes[0].text.endsWith(QStringLiteral("and read again?")));
    QVERIFY(driver.boxes[1].text.contains(QStringLiteral("LW6100"))); // the model switch asks
    QCOMPARE(driver.boxes[2], (Shown{"information", "Read from Radio", "Complete!!"}));
    QCOMPARE(rig.app().modelNumber, 3);
    QVERIFY(rig.data().records.UserMmsi.starts_with("366000111"));
}

void TransferDialogTest::runnerDestroyedMidRunStopsIt() {
    Rig rig({"--pace"});
    SystemClock clock;
    ErrorLog log(rig.home.path().toStdString(), false, clock);
    bool finished = false;
    int reports = 0;
    {
        gui::TransferRunner runner({rig.program->notifier(), log, {}});
        QObject::connect(&runner, &gui::TransferRunner::finished, [&] { finished = true; });
        QObject::connect(&runner, &gui::TransferRunner::progressed, [&](const link::Progress& p) {
            if (p.phase == link::LinkPhase::Reading) ++reports;
        });
        SequencePlan plan;
        plan.mode = TransferMode::Read;
        QVERIFY(runner.start(plan, rig.sim->port(), rig.app(), rig.data()));
        QVERIFY(!runner.start(plan, rig.sim->port(), rig.app(), rig.data()));
        QVERIFY(QTest::qWaitFor([&] { return reports > 3; }, 10000));
    } // destroyed while the paced read goes on
    QVERIFY(!finished);
    QApplication::processEvents(); // nothing queued to it runs any more
    QVERIFY(!finished);
    rig.sim->stop();
    QCOMPARE(rig.sim->stats["cancels"], 1.0);
}

void TransferDialogTest::reportWindowShowsAndSavesTheReport() {
    Rig rig;
    DataSet copy = rig.data();
    const std::string expected = MakeReportText(copy, rig.app().modelNumber);
    const std::string title = gui::ReportFailureTitle(rig.app());
    const QString saved = rig.home.filePath("report.txt");
    Driver driver;
    QString first, shown, caption;
    bool fixed = false, readOnly = false, noWrap = false, placed = false;
    bool cancelledSave = true, failedSave = true;
    std::vector<Shown> failure;
    driver.then([&](QWidget& top) {
        auto* report = qobject_cast<gui::ReportWindow*>(&top);
        if (!report) return false;
        first = Child<QPlainTextEdit>(*report, "txtPrn")->toPlainText();
        return true;
    });
    driver.then([&](QWidget& top) {
        auto* report = qobject_cast<gui::ReportWindow*>(&top);
        if (!report || !report->textReady() || !report->isEnabled()) return false;
        auto* text = Child<QPlainTextEdit>(*report, "txtPrn");
        caption = report->windowTitle();
        shown = text->toPlainText();
        fixed = QFontInfo(text->font()).fixedPitch();
        readOnly = text->isReadOnly();
        noWrap = text->lineWrapMode() == QPlainTextEdit::NoWrap;
        // Places follow the outer size: the text 20 px narrower and 87 px
        // shorter, OK centred with its top 80 px above the bottom (below the
        // menu bar).
        report->resize(700, 500);
        QApplication::processEvents(); // the window system reports the new size
        const QSize outer = report->frameGeometry().size();
        const int menu = text->y();
        const QRect ok = Child<QPushButton>(*report, "cmdOK")->geometry();
        placed =
            text->geometry() == QRect(7, menu, outer.width() - 20, outer.height() - 87) &&
            ok.topLeft() == QPoint((outer.width() - ok.width()) / 2, menu + outer.height() - 80);
        if (!placed) qWarning() << outer << text->geometry() << ok;
        cancelledSave = report->saveAs(); // the driver cancels the file dialog
        failedSave = report->saveTo(rig.home.filePath("missing/dir/report.txt").toStdString());
        failure = driver.boxes;
        report->saveTo(saved.toStdString());
        Child<QPushButton>(*report, "cmdOK")->click();
        return true;
    });
    rig.trigger("mnuFilePrintToFile");

    QVERIFY(driver.finished());
    QCOMPARE(first, QStringLiteral("Now, making text image. Please wait..."));
    QCOMPARE(caption, QStringLiteral("Print to File"));
    QString wanted = QString::fromLatin1(expected.data(), qsizetype(expected.size()));
    QCOMPARE(shown, wanted.replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    QVERIFY(fixed && readOnly && noWrap);
    QVERIFY(placed);
    QVERIFY(!cancelledSave);
    QVERIFY(!failedSave);
    QCOMPARE(failure.size(), 1u);
    QCOMPARE(failure[0].icon, QStringLiteral("warning"));
    QCOMPARE(failure[0].title.toStdString(), title);
    std::ifstream file(saved.toStdString(), std::ios::binary);
    std::stringstream bytes;
    bytes << file.rdbuf();
    QCOMPARE(bytes.str(), expected + "\r\n");
    QVERIFY(!rig.app().dataChanged);
}

void TransferDialogTest::printedPdfHasThePagesAndColumns() {
    Rig rig;
    rig.data().records.CHUSA[0].Enable = kTrue;
    const QString pdf = rig.home.filePath("print.pdf");
    qputenv("QB41_PRINT_PDF", pdf.toUtf8());
    rig.trigger("mnuFilePrint");
    qunsetenv("QB41_PRINT_PDF");

    // File > Export PDF sits after Print to File and writes the same pages.
    const QList<QAction*> items = rig.window().fileMenu()->actions();
    const qsizetype at = items.indexOf(rig.window().action(QStringLiteral("mnuFilePrintToFile")));
    QCOMPARE(items.value(at + 1)->objectName(), QStringLiteral("mnuFileExportPdf"));
    QCOMPARE(items.value(at + 1)->text(), QStringLiteral("&Export PDF..."));
    const QString exported = rig.home.filePath("export.pdf");
    QVERIFY(gui::ExportReportPdf({rig.app(), rig.data(), rig.program->notifier()}, exported));

    DataSet copy = rig.data();
    const std::vector<PrintPage> pages = MakePrintLayout(copy, rig.app().modelNumber);
    const auto text = [](const QString& file, QStringList options) {
        QProcess run;
        run.start(QStringLiteral("pdftotext"), options << file << QStringLiteral("-"));
        run.waitForFinished(30000);
        return QString::fromUtf8(run.readAllStandardOutput());
    };
    const QString printed = text(pdf, {QStringLiteral("-layout")});
    QCOMPARE(text(exported, {QStringLiteral("-layout")}), printed);
    const QStringList pageTexts = printed.split(QLatin1Char('\f'), Qt::SkipEmptyParts);
    QCOMPARE(pageTexts.size(), qsizetype(pages.size()));
    QVERIFY(pages.size() >= 7);
    const QString heading = QString::fromStdString(PrintPageHeading(rig.app().modelNumber));
    for (const QString& page : pageTexts) QCOMPARE(page.trimmed().section('\n', 0, 0), heading);
    QVERIFY(pageTexts[1].contains(QStringLiteral("##### Programable USA Channel #####")));
    QVERIFY(pageTexts.last().contains(QStringLiteral("##### Programable EXP Channel #####")));

    // Column labels of the USA bank at their places: 10 mm margin plus the
    // running widths (RX 12 mm, TX 29 mm, CH Name 97 mm).
    const QString boxes =
        text(pdf, {QStringLiteral("-bbox"), QStringLiteral("-f"), QStringLiteral("2"),
                   QStringLiteral("-l"), QStringLiteral("2")});
    const auto left = [&](const QString& word) {
        const QRegularExpression at(QStringLiteral("xMin=\"([0-9.]+)\"[^>]*>") +
                                    QRegularExpression::escape(word) + QStringLiteral("<"));
        const QRegularExpressionMatch match = at.match(boxes);
        return match.hasMatch() ? match.captured(1).toDouble() * 25.4 / 72.0 : -1.0;
    };
    const struct {
        const char* word;
        double mm;
    } columns[] = {{"CH", 10}, {"RX(MHz)", 22}, {"TX(MHz)", 39}};
    // Every frequency cell on the page stands in the RX or the TX column.
    const QRegularExpression word(QStringLiteral("xMin=\"([0-9.]+)\"[^>]*>([0-9]{3}\\.[0-9]+)<"));
    int cells = 0;
    for (auto it = word.globalMatch(boxes); it.hasNext(); ++cells) {
        const QRegularExpressionMatch match = it.next();
        const double mm = match.captured(1).toDouble() * 25.4 / 72.0;
        QVERIFY2(std::abs(mm - 22) < 0.5 || std::abs(mm - 39) < 0.5,
                 qPrintable(match.captured(2) + QStringLiteral(" at %1 mm").arg(mm)));
    }
    QVERIFY(cells >= 2);
    for (const auto& column : columns)
        QVERIFY2(std::abs(left(QString::fromLatin1(column.word)) - column.mm) < 0.5,
                 qPrintable(QStringLiteral("%1 at %2 mm").arg(column.word).arg(left(column.word))));
}

void TransferDialogTest::aPdfThatCannotBeWrittenLeavesTheOldOne() {
    Rig rig;
    const QString pdf = rig.home.filePath("report.pdf");
    const gui::ReportPrintParts parts{rig.app(), rig.data(), rig.program->notifier()};
    QVERIFY(gui::ExportReportPdf(parts, pdf));
    const std::string before = test::ReadBytes(pdf.toStdString());
    QVERIFY(before.size() > 8192);
    const auto entries = [&] {
        return QDir(rig.home.path()).entryList(QDir::Files | QDir::Hidden);
    };
    const QStringList files = entries();

    // A file may not grow past 8 KiB: writes fail as on a full disk.
    std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit previous {};
    ::getrlimit(RLIMIT_FSIZE, &previous);
    struct rlimit small = previous;
    small.rlim_cur = 8192;
    QVERIFY(::setrlimit(RLIMIT_FSIZE, &small) == 0);
    Driver driver;
    const bool exported = gui::ExportReportPdf(parts, pdf);
    qputenv("QB41_PRINT_PDF", pdf.toUtf8());
    rig.trigger("mnuFilePrint");
    qunsetenv("QB41_PRINT_PDF");
    ::setrlimit(RLIMIT_FSIZE, &previous);

    QVERIFY(!exported);
    QCOMPARE(driver.boxes.size(), 2u);
    for (const Shown& box : driver.boxes) {
        QCOMPARE(box.icon, QStringLiteral("warning"));
        QCOMPARE(box.title.toStdString(), gui::ReportFailureTitle(rig.app()));
        QCOMPARE(FirstLine(box.text),
                 QStringLiteral("The report could not be written to ") + pdf + QStringLiteral("."));
        QVERIFY2(box.text.contains(QStringLiteral("disk")), qPrintable(box.text));
    }
    QVERIFY(test::ReadBytes(pdf.toStdString()) == before);
    QCOMPARE(entries(), files); // no half-written file left beside it

    // A folder this user may not write (root writes anywhere).
    if (::geteuid() != 0) {
        QVERIFY(::chmod(rig.home.path().toLocal8Bit().constData(), 0500) == 0);
        Driver denied;
        QVERIFY(!gui::ExportReportPdf(parts, pdf));
        ::chmod(rig.home.path().toLocal8Bit().constData(), 0700);
        QCOMPARE(denied.boxes.size(), 1u);
        QVERIFY(test::ReadBytes(pdf.toStdString()) == before);
    }
}

QTEST_MAIN(TransferDialogTest)
#include "transfer_dialog_test.moc"
