// The main window's wiring, offscreen: menus and names, the command-line file,
// the lists, the minimum size, the hidden keys, the message log and the store.
#include "application.h"
#include "main_window_measures.h"

#include "core/errors.h"
#include "files/data_file_writer.h"
#include "image/defaults.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QSettings>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>

#include <fstream>

using namespace qb41;

namespace {

// Clicks `button` on the next message box that appears and records its text.
struct BoxAnswerer {
    QStringList texts;
    void answerNext(QMessageBox::StandardButton button) {
        QTimer::singleShot(0, [this, button] { poll(button, 0); });
    }
    void poll(QMessageBox::StandardButton button, int tries) {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            if (tries < 200)
                QTimer::singleShot(10, [this, button, tries] { poll(button, tries + 1); });
            return;
        }
        texts << box->text();
        box->button(button)->click();
    }
};

// An event handler that fails the way a value overflow does.
class Thrower : public QObject {
public:
    using QObject::QObject;
    int seen = 0;
    bool event(QEvent* event) override {
        if (event->type() != QEvent::User) return QObject::event(event);
        ++seen;
        throw RuntimeError(ErrorNumber::Overflow);
    }
};

// The caption as the window system shows it.
QString ShownCaption(const QWidget& window) {
    QString title = window.windowTitle();
    title.replace(QStringLiteral("[*]"),
                  window.isWindowModified() ? QStringLiteral("*") : QString());
    return title;
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir home_;
    std::unique_ptr<gui::Application> make(const gui::LaunchOptions& options = {}) {
        auto program = std::make_unique<gui::Application>(options, home_.filePath("store.ini"),
                                                          home_.path().toStdString());
        program->start();
        return program;
    }
    QString activePane(gui::MainWindow& window) {
        return window.findChild<QStackedWidget*>("paneHost")->currentWidget()->objectName();
    }

private slots:
    void initTestCase() { qputenv("QB41_MESSAGE_LOG", home_.filePath("messages.log").toUtf8()); }

    void startsWithTheTreeAndGeneral() {
        auto program = make();
        gui::MainWindow& window = program->window();
        QCOMPARE(window.objectName(), QStringLiteral("frmMain"));
        QCOMPARE(ShownCaption(window),
                 QStringLiteral("QB41  PC Program for TQ4800M/LW6100 Series"));
        auto* tree = window.findChild<QTreeWidget*>("tvTreeView");
        QVERIFY(tree);
        QCOMPARE(tree->currentItem()->text(0), QStringLiteral("General"));
        QCOMPARE(activePane(window), QStringLiteral("pictGeneral"));
        QCOMPARE(window.findChild<QLabel*>("sbStatusBar_Panel_3")->text(),
                 QStringLiteral("LW6100"));
        QVERIFY(window.findChild<QToolBar*>("tbToolBar"));
        QVERIFY(window.findChild<QStatusBar*>("sbStatusBar"));
    }

    void menusCarryTheirCaptionsAndNames() {
        auto program = make();
        gui::MainWindow& window = program->window();
        const QList<QPair<QString, QString>> items = {
            {"mnuFileNew", "&New"},
            {"mnuFileOpen", "&Open"},
            {"mnuFileSave", "&Save"},
            {"mnuFileSaveAs", "Save &As..."},
            {"mnuFileSaveAsDefault", "Save As &Default"},
            {"mnuFilePrint", "&Print"},
            {"mnuFilePrintToFile", "P&rint to File"},
            {"mnuFileExit", "E&xit"},
            {"mnuEditModel3", "&TQ4800M"},
            {"mnuEditModel4", "&LW6100"},
            {"mnuEditModel1", "ZH5&40"},
            {"mnuEditModel2", "ZH5&20"},
            {"mnuTransferProgram", "&Program to Radio"},
            {"mnuTransferRead", "&Read from Radio"},
            {"mnuOptionsSerialPort1_0", "COM&1"},
            {"mnuOptionsSerialPort1_3", "COM&4"},
            {"mnuHelpContents", "&Contents"},
            {"mnuHelpAbout", "&About KVX Version"},
        };
        for (const auto& [name, caption] : items) {
            QAction* act = window.action(name);
            QVERIFY2(act, qPrintable(name));
            QCOMPARE(act->text(), caption);
        }
        QVERIFY(!window.action("mnuFileSaveAsDefault")->isEnabled());
        QVERIFY(window.action("mnuEditModel1")->isChecked()); // model 2 is selected
        QVERIFY(!window.action("mnuEditModel4")->isChecked());
        QVERIFY(window.action("mnuOptionsSerialPort1_0")->isChecked());
        QVERIFY(window.action("mnuDestinationChild_10"));
        QVERIFY(!window.action("mnuDestinationChild_0")->isVisible());
        QCOMPARE(window.menuBar()->actions().size(), 7); // with View
        QVERIFY(!window.action("tbToolBar_Program2")->isVisible());
        QVERIFY(!window.action("tbToolBar_Read2")->isVisible());
        QVERIFY(window.action("tbToolBar_Read")->isVisible());
    }

    void datFromTheCommandLineIsShownInTheLists() {
        AppState app;
        DataSet data;
        MakeFreshDataSet(data, 2);
        data.records.CHUSA[32].ChTag = "HARBOUR";
        data.records.CHMMSID[0].Mmsid = "2111234560";
        data.records.CHMMSID[0].TagName = "TENDER";
        const QString file = home_.filePath("Boat.dat");
        std::ofstream(file.toStdString(), std::ios::binary) << FormatDataFile(data.records, 2, '.');

        auto program = make(gui::ParseCommandLine({file}));
        gui::MainWindow& window = program->window();
        QCOMPARE(ShownCaption(window),
                 QStringLiteral("boat.dat - QB41  PC Program for TQ4800M/LW6100 Series"));
        QVERIFY(!program->app().dataChanged);

        window.session().ShowSection("PU");
        QCOMPARE(activePane(window), QStringLiteral("pictB"));
        auto* grid = window.findChild<QTableView*>("MSFlexGrid1");
        bool found = false;
        for (int row = 0; row < grid->model()->rowCount(); ++row)
            if (grid->model()->index(row, 9).data().toString() == "HARBOUR") {
                found = true;
                QCOMPARE(grid->model()->index(row, 0).data().toString(), QStringLiteral("16"));
                // Enter on the row jumps to the channel's editor.
                grid->setFocus();
                grid->setCurrentIndex(grid->model()->index(row, 0));
                QTest::keyClick(grid, Qt::Key_Return);
            }
        QVERIFY(found);
        QCOMPARE(window.session().currentKey(), std::string("PU32"));
        QCOMPARE(activePane(window), QStringLiteral("pictC"));

        window.session().ShowSection("SM");
        auto* directory = window.findChild<QTableView*>("MSFlexGrid2");
        QCOMPARE(activePane(window), QStringLiteral("pictE"));
        QCOMPARE(directory->model()->rowCount(), 40);
        QCOMPARE(directory->model()->index(0, 1).data().toString(), QStringLiteral("TENDER"));
        QCOMPARE(directory->model()->index(0, 2).data().toString(), QStringLiteral("211123456"));
        QVERIFY(!program->app().dataChanged);
    }

    void anExceptionInAHandlerShowsTheErrorBoxAndTheWindowStays() {
        gui::LaunchOptions options;
        options.diagnostic = true; // err.log in the program folder
        auto program = make(options);
        gui::MainWindow& window = program->window();
        window.show();
        program->app().dataChanged = true; // unsaved work that must survive
        auto* thrower = new Thrower(&window);
        for (int round = 0; round < 2; ++round) {
            BoxAnswerer answerer;
            answerer.answerNext(QMessageBox::Ok);
            QCoreApplication::postEvent(thrower, new QEvent(QEvent::User));
            QTRY_COMPARE(answerer.texts.size(), 1);
            QVERIFY2(answerer.texts[0].startsWith("Unexpected Error!!\n"),
                     qPrintable(answerer.texts[0]));
            QVERIFY(answerer.texts[0].endsWith("\n6Overflow"));
        }
        QCOMPARE(thrower->seen, 2);
        QVERIFY(window.isVisible());
        QVERIFY(program->app().dataChanged);
        QVERIFY(window.menuBar()->isEnabled());
        // The window goes on working: its tree still selects.
        window.session().ShowSection("PU");
        QCOMPARE(activePane(window), QStringLiteral("pictB"));
        QFile log(home_.filePath("err.log"));
        QVERIFY(log.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromLatin1(log.readAll()).count("frmMain.EventLoop -> 6Overflow"), 2);
        program->app().dataChanged = false;
    }

    void captionMarksUnsavedChanges() {
        auto program = make();
        gui::MainWindow& window = program->window();
        window.show();
        const QString plain = QStringLiteral("QB41  PC Program for TQ4800M/LW6100 Series");
        QCOMPARE(ShownCaption(window), plain);
        window.session().ShowSection("PU32");
        auto* scan = window.findChild<QCheckBox*>("chkCScan");
        QVERIFY(scan && scan->isVisible());
        QTest::mouseClick(scan, Qt::LeftButton);
        QVERIFY(program->app().dataChanged);
        QCOMPARE(ShownCaption(window), plain + "*");
        program->app().dataChanged = false;
        QCoreApplication::sendPostedEvents();
        QTest::qWait(1);
        QCOMPARE(ShownCaption(window), plain);
    }

    void aCommandLineFileThatCannotBeOpenedSaysSo() {
        for (const QString& path : {home_.filePath("missing.dat"), home_.path()}) {
            BoxAnswerer answerer;
            answerer.answerNext(QMessageBox::Ok);
            auto program = make(gui::ParseCommandLine({path}));
            QCOMPARE(answerer.texts.size(), 1);
            QVERIFY2(answerer.texts[0].startsWith("FileRead Error!!"),
                     qPrintable(answerer.texts[0]));
            QVERIFY2(answerer.texts[0].contains(QFileInfo(path).fileName()),
                     qPrintable(answerer.texts[0]));
            QCOMPARE(ShownCaption(program->window()),
                     QStringLiteral("QB41  PC Program for TQ4800M/LW6100 Series"));
        }
    }

    // A window dragged smaller than it can be stops at its minimum, and at
    // that minimum every menu, the tree, the pane and the status bar are
    // still there to use.
    void aWindowTooSmallStopsWhereItStaysUsable() {
        auto program = make();
        gui::MainWindow& window = program->window();
        const QSize start = window.size();
        QCOMPARE(start.height(), gui::kStartHeight);
        QVERIFY(start.width() >= gui::kStartWidth); // grows where the panes need it
        window.resize(100, 100);
        QCoreApplication::processEvents();
        QCOMPARE(window.size(), window.minimumSize());
        QVERIFY(window.width() <= start.width() && window.height() <= start.height());
        QMenuBar* bar = window.menuBar();
        int menus = 0;
        for (QAction* menu : bar->actions()) {
            if (!menu->isVisible()) continue;
            ++menus;
            QVERIFY2(bar->rect().contains(bar->actionGeometry(menu)), qPrintable(menu->text()));
        }
        QVERIFY(menus >= 4);
        auto* tree = window.findChild<QTreeWidget*>("tvTreeView");
        auto* host = window.findChild<QStackedWidget*>("paneHost");
        QVERIFY(tree && host);
        QVERIFY(tree->isVisible() && tree->width() > 80 && tree->height() > 80);
        QVERIFY(host->isVisible() && host->width() > 200 && host->height() > 150);
        for (QLabel* field : window.statusBar()->findChildren<QLabel*>()) {
            if (!field->isVisible() || field->text().isEmpty()) continue;
            QVERIFY2(field->width() >= field->fontMetrics().horizontalAdvance(field->text()),
                     qPrintable(field->text()));
        }
        window.resize(start);
        QCOMPARE(window.size(), start);
    }

    void hiddenKeysOnlyInDiagnosticMode() {
        for (bool diagnostic : {false, true}) {
            gui::LaunchOptions options;
            options.diagnostic = diagnostic;
            auto program = make(options);
            gui::MainWindow& window = program->window();
            bool dialogSeen = false;
            QTimer::singleShot(200, [&] {
                if (QWidget* modal = QApplication::activeModalWidget()) {
                    dialogSeen = true;
                    modal->close();
                }
            });
            QTest::keyClick(window.findChild<QTreeWidget*>("tvTreeView"), Qt::Key_F2,
                            Qt::ControlModifier);
            QTest::qWait(300);
            QCOMPARE(dialogSeen, diagnostic);
        }
    }

    void closeWithChangesAsksAndLogsTheBox() {
        auto program = make();
        gui::MainWindow& window = program->window();
        program->app().dataChanged = true;
        BoxAnswerer answerer;
        answerer.answerNext(QMessageBox::Cancel);
        QVERIFY(!window.close());
        QCOMPARE(answerer.texts,
                 QStringList{"KVX data has changed.\nDo you want to save changes?"});
        QFile log(home_.filePath("messages.log"));
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(log.readAll());
        QVERIFY2(text.contains("shown\twarning\tPC Program for TQ4800M/LW6100 Series\t"
                               "KVX data has changed.\\nDo you want to save changes?\n"
                               "answer\tCancel\n"),
                 qPrintable(text));
        answerer.answerNext(QMessageBox::No);
        QVERIFY(window.close());
        // Placement is written in twips at close; the stored port is untouched.
        QSettings store(home_.filePath("store.ini"), QSettings::IniFormat);
        QCOMPARE(store.value("Settings/MainWidth").toInt() % 15, 0);
        QVERIFY(store.value("Settings/MainWidth").toInt() >= 9105);
        QVERIFY(!store.contains("ComPath/ComNum"));
    }

    void serialPortChoiceIsStored() {
        auto program = make();
        gui::MainWindow& window = program->window();
        window.show();
        window.action("mnuOptionsSerialPort1_2")->trigger();
        QVERIFY(window.action("mnuOptionsSerialPort1_2")->isChecked());
        QVERIFY(!window.action("mnuOptionsSerialPort1_0")->isChecked());
        QSettings store(home_.filePath("store.ini"), QSettings::IniFormat);
        QCOMPARE(store.value("ComPath/ComNum").toString(), QStringLiteral("3"));
        program.reset();
        auto again = make();
        QVERIFY(again->window().action("mnuOptionsSerialPort1_2")->isChecked());
        QCOMPARE(again->app().serialPort, 3);
    }

    void aStoreThatCannotBeWrittenIsSaidOnce() {
        // A settings file whose folder is a plain file cannot be written.
        QFile blocker(home_.filePath("blocker"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        gui::Application program({}, home_.filePath("blocker/store.ini"),
                                 home_.path().toStdString());
        program.start();
        BoxAnswerer answerer;
        answerer.answerNext(QMessageBox::Ok);
        program.window().action("mnuOptionsSerialPort1_2")->trigger();
        QCOMPARE(answerer.texts.size(), 1);
        QVERIFY2(answerer.texts[0].startsWith("The settings could not be written to " +
                                              home_.filePath("blocker/store.ini")),
                 qPrintable(answerer.texts[0]));
        program.window().action("mnuOptionsSerialPort1_1")->trigger(); // not again
        QTest::qWait(50);
        QCOMPARE(answerer.texts.size(), 1);
        QCOMPARE(program.app().serialPort, 2);
    }

    void missingHelpSaysSo() {
        auto program = make();
        BoxAnswerer answerer;
        answerer.answerNext(QMessageBox::Ok);
        program->window().action("mnuHelpContents")->trigger();
        // The message names where the help was looked for.
        QCOMPARE(answerer.texts,
                 QStringList{"Unable to display Help Contents. There is no Help associated with "
                             "this project.\nIt was looked for at " +
                             QDir::toNativeSeparators(home_.filePath("QB41.html"))});
    }
};

int main(int argc, char** argv) {
    gui::GuardedApplication application(argc, argv);
    QApplication::setAttribute(Qt::AA_Use96Dpi, true);
    MainWindowTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "main_window_test.moc"
