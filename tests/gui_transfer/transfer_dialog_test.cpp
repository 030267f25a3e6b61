// The transfer dialog, the report window and printing in the real program,
// offscreen, with qb41-radio-sim on a pseudo-terminal at the far end.
//
// Modal windows are driven by a Driver: a short timer that answers every
// message box with its first button (recording what it said), rejects file
// dialogs, and runs the test's script steps against the modal window on top.
#include "transfer_support.h"

#include <QDate>
#include <QFile>

// What a tool prints on its standard output. Spawned through the shell, not
// started as a QProcess: QProcess forks sharing the memory, which leaves
// ThreadSanitizer believing the test is a forked child, and the next thread
// ends the test.
QString ToolOutput(const QString& folder, const QStringList& command) {
    const QString out = folder + QStringLiteral("/tool-output.txt");
    std::vector<std::string> argv{"/bin/sh", "-c", "out=$1; shift; exec \"$@\" >\"$out\"", "sh",
                                  out.toStdString()};
    for (const QString& word : command) argv.push_back(word.toStdString());
    sim::ChildProcess(argv).wait();
    QFile file(out);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The window's clear command, as the Clear button runs it, with short time
// limits.
void ClearWithShortLimits(Rig& rig) {
    SystemClock clock;
    ErrorLog log(rig.home.path().toStdString(), false, clock);
    link::LinkTiming timing;
    timing.answerLimit = std::chrono::milliseconds(300);
    gui::RunTransferCommand(
        rig.window(),
        {rig.app(), rig.data(), rig.program->notifier(), log, clock, {}, timing, rig.backups()},
        TransferMode::Clear);
}

// Places follow the outer size: the text 20 px narrower and 87 px shorter, OK
// centred with its top 80 px above the bottom (below the menu bar).
bool PlacedAfterResize(gui::ReportWindow& report) {
    report.resize(700, 500);
    QApplication::processEvents(); // the window system reports the new size
    auto* text = Child<QPlainTextEdit>(report, "txtPrn");
    const QSize outer = report.frameGeometry().size();
    const int menu = text->y();
    const QRect ok = Child<QPushButton>(report, "cmdOK")->geometry();
    const bool placed =
        text->geometry() == QRect(7, menu, outer.width() - 20, outer.height() - 87) &&
        ok.topLeft() == QPoint((outer.width() - ok.width()) / 2, menu + outer.height() - 80);
    if (!placed) qWarning() << outer << text->geometry() << ok;
    return placed;
}

// Every page of the printed text: the header line (file, model, user MMSI,
// one of `days`), the report's heading, and "page N of M" as its last line.
void CheckPageFrames(const QStringList& pageTexts, const QString& heading,
                     const QStringList& days) {
    for (qsizetype i = 0; i < pageTexts.size(); ++i) {
        QStringList lines = pageTexts[i].split(QLatin1Char('\n'));
        lines.removeIf([](const QString& line) { return line.trimmed().isEmpty(); });
        QVERIFY(lines.size() >= 3);
        const QStringList header = lines.front().simplified().split(QLatin1Char(' '));
        QVERIFY2(header.size() == 6, qPrintable(lines.front()));
        QCOMPARE(header[0], QStringLiteral("boat.dat"));
        QCOMPARE(header[1], QStringLiteral("LW6100"));
        QCOMPARE(header.mid(2, 3).join(' '), QStringLiteral("User MMSI: 366123456"));
        QVERIFY2(days.contains(header[5]), qPrintable(header[5]));
        QCOMPARE(lines[1].trimmed(), heading);
        QCOMPARE(lines.back().trimmed(),
                 QStringLiteral("page %1 of %2").arg(i + 1).arg(pageTexts.size()));
    }
}

// `boxes`: the words of the USA bank's page with their places (pdftotext -bbox).
void CheckUsaColumns(const QString& boxes) {
    // Column labels of the USA bank at their places: 10 mm margin plus the
    // running widths (RX 12 mm, TX 29 mm, CH Name 97 mm).
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

class TransferDialogTest : public QObject {
    Q_OBJECT

private slots:
    void readFromRadioUpdatesTheWindow();
    void escapeBeforeOkClosesAndSendsNothing();
    void failedReadWaitsForOkAndTriesAgain();
    void cancelDuringAPacedReadStopsSilently();
    void clearRefreshesTheCounter();
    void programSendsThePreparedImage();
    void reportWindowShowsAndSavesTheReport();
    void printedPdfHasThePagesAndColumns();
    void compareWithRadioListsTheEditedField();
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
    QCOMPARE(outer, QSize(kTransferDialogWidth, kTransferDialogHeight)); // frame included
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
    QVERIFY(rig.treeHas(editor::DirectoryNodeText(editor::DirectoryKind::Individual, 1, true,
                                                  radio.records.CHMMSID[0].TagName)));

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
        if (fails)
            ClearWithShortLimits(rig);
        else
            Child<QPushButton>(rig.window(), "cmdFClear")->click();

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
        placed = PlacedAfterResize(*report);
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
    rig.data().records.UserMmsi = "366123456";
    rig.app().currentFileName = rig.home.filePath("boat.dat").toStdString();
    const QString pdf = rig.home.filePath("print.pdf");
    const QString dayBefore = QDate::currentDate().toString(Qt::ISODate);
    qputenv("QB41_PRINT_PDF", pdf.toUtf8());
    rig.trigger("mnuFilePrint");
    qunsetenv("QB41_PRINT_PDF");
    const QString dayAfter = QDate::currentDate().toString(Qt::ISODate);

    // File > Export PDF sits after Print to File and writes the same pages.
    const QList<QAction*> items = rig.window().fileMenu()->actions();
    const qsizetype at = items.indexOf(rig.window().action(QStringLiteral("mnuFilePrintToFile")));
    QCOMPARE(items.value(at + 1)->objectName(), QStringLiteral("mnuFileExportPdf"));
    QCOMPARE(items.value(at + 1)->text(), QStringLiteral("&Export PDF..."));
    const QString exported = rig.home.filePath("export.pdf");
    QVERIFY(gui::ExportReportPdf({rig.app(), rig.data(), rig.program->notifier()}, exported));

    DataSet copy = rig.data();
    const std::vector<PrintPage> pages =
        MakeFramedPrintLayout(copy, rig.app().modelNumber, {}, {"boat.dat", "2000-01-01"});
    const auto text = [&](const QString& file, QStringList options) {
        return ToolOutput(rig.home.path(), QStringList{"pdftotext"} << options << file << "-");
    };
    const QString printed = text(pdf, {QStringLiteral("-layout")});
    QCOMPARE(text(exported, {QStringLiteral("-layout")}), printed);
    const QStringList pageTexts = printed.split(QLatin1Char('\f'), Qt::SkipEmptyParts);
    QCOMPARE(pageTexts.size(), qsizetype(pages.size()));
    QVERIFY(pages.size() >= 7);
    CheckPageFrames(pageTexts, QString::fromStdString(PrintPageHeading(rig.app().modelNumber)),
                    {dayBefore, dayAfter});
    if (QTest::currentTestFailed()) return;
    // The PDF's title is the file name.
    QVERIFY(ToolOutput(rig.home.path(), {QStringLiteral("pdfinfo"), pdf})
                .contains(QRegularExpression(QStringLiteral("^Title:\\s+boat\\.dat$"),
                                             QRegularExpression::MultilineOption)));
    QVERIFY(pageTexts[1].contains(QStringLiteral("##### Programable USA Channel #####")));
    QVERIFY(pageTexts.last().contains(QStringLiteral("##### Programable EXP Channel #####")));

    CheckUsaColumns(text(pdf, {QStringLiteral("-bbox"), QStringLiteral("-f"), QStringLiteral("2"),
                               QStringLiteral("-l"), QStringLiteral("2")}));
}

void TransferDialogTest::compareWithRadioListsTheEditedField() {
    Rig rig;
    {
        Driver read;
        read.then(OnDialog(PressOk));
        rig.trigger("mnuTransferRead");
        QVERIFY(read.finished());
    }
    QCOMPARE(rig.data().records.CHMMSID[0].TagName, std::string("HARBOUR"));
    rig.data().records.CHMMSID[0].TagName = "MARINA";
    const DataSet before = rig.data();
    const AppState stateBefore = rig.app();

    Driver driver;
    QString caption;
    QStringList lines;
    driver.then(OnDialog(PressOk));
    driver.then([&](QWidget& top) {
        if (top.objectName() != QStringLiteral("dlgFieldList")) return false;
        caption = Child<QLabel>(top, "lblFieldList")->text();
        lines = Child<QPlainTextEdit>(top, "txtFieldList")
                    ->toPlainText()
                    .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        qobject_cast<QDialog*>(&top)->accept();
        return true;
    });
    rig.trigger("mnuTransferCompare");

    QVERIFY2(driver.finished(), qPrintable(Describe(driver.boxes)));
    QCOMPARE(caption, QStringLiteral("1 field(s) differ: this data set -> the radio"));
    QCOMPARE(lines.size(), 1);
    QVERIFY2(lines[0].startsWith(QStringLiteral("CHMMSID1.TagName: MARINA -> HARBOUR  (")),
             qPrintable(lines[0]));
    // The radio was read into a copy: the window's records and state stay.
    QVERIFY(SameData(rig.data(), before));
    QCOMPARE(rig.data().records.CHMMSID[0].TagName, std::string("MARINA"));
    QCOMPARE(rig.app().dataChanged, stateBefore.dataChanged);
    QCOMPARE(rig.app().currentFileName, stateBefore.currentFileName);
}

QTEST_MAIN(TransferDialogTest)
#include "transfer_dialog_test.moc"
