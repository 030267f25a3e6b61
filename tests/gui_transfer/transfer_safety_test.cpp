// The transfer's safety nets in the real program, offscreen, against
// qb41-radio-sim: the boxes for a port that will not open, Cancel right after
// OK, the question before stopping a write, the backup and its restore,
// verify after program, the switch to the radio's model, the worker destroyed
// mid-run, and a PDF that cannot be written.
#include "transfer_support.h"

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

class TransferSafetyTest : public QObject {
    Q_OBJECT

private slots:
    void portsThatWillNotOpenSayWhyAndTheDialogStays();
    void aPortThisUserMayNotOpenNamesItsGroup();
    void cancelRightAfterOkSendsNoWriteCommand();
    void stoppingAWriteAsksThenRestoreBringsTheRadioBack();
    void verifyAfterProgramNamesTheAddress();
    void modelTypeErrorOffersTheRadiosModel();
    void runnerDestroyedMidRunStopsIt();
    void aPdfThatCannotBeWrittenLeavesTheOldOne();
};

void TransferSafetyTest::portsThatWillNotOpenSayWhyAndTheDialogStays() {
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
}

// A device this user may not open: the simulator's terminal made unreadable;
// as root (who may open anything) the run is made as nobody, keeping root as
// the saved user to come back to.
void TransferSafetyTest::aPortThisUserMayNotOpenNamesItsGroup() {
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

void TransferSafetyTest::cancelRightAfterOkSendsNoWriteCommand() {
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

void TransferSafetyTest::stoppingAWriteAsksThenRestoreBringsTheRadioBack() {
    // The backup is 260 requests, the program's model check 4 more; the
    // sixth write goes unanswered, so the program waits there (and the
    // restore's requests, from 271 on, are all answered).
    Rig rig({"--no-reply", "270"});
    rig.data().records.UserMmsi = "987654321";
    Driver driver;
    QString listedModel, listedFile;
    driver.then(OnDialog(PressOk));
    driver.then(OnDialog([&](gui::RadioDialog& dialog) {
        // The wait for the sixth write's answer (the model checks before
        // show the same line for a moment).
        if (dialog.flow().phase() != link::LinkPhase::Programming ||
            dialog.flow().view().status != "Waiting for the radio...")
            return false;
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
    QCOMPARE(listedFile, QString::fromStdString(saved[0].path.filename().string()));
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

void TransferSafetyTest::verifyAfterProgramNamesTheAddress() {
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

void TransferSafetyTest::modelTypeErrorOffersTheRadiosModel() {
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

void TransferSafetyTest::runnerDestroyedMidRunStopsIt() {
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

void TransferSafetyTest::aPdfThatCannotBeWrittenLeavesTheOldOne() {
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

QTEST_MAIN(TransferSafetyTest)
#include "transfer_safety_test.moc"
