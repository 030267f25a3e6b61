// The window frame, offscreen: the standard keys, file dialogs that add the
// extension and share one folder, recent files, dropped files, the placement
// kept between runs and the help window.
#include "application.h"

#include "files/data_file_writer.h"
#include "image/defaults.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QHelpEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QScreen>
#include <QSettings>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QToolTip>

#include <fstream>
#include <functional>

using namespace qb41;

namespace {

// Runs `answer` on the next modal window of type T once it is up; records
// whether one came.
template <typename T> struct ModalAnswerer {
    std::function<void(T&)> answer;
    bool seen = false;
    void arm() {
        QTimer::singleShot(0, [this] { poll(0); });
    }
    void poll(int tries) {
        auto* modal = qobject_cast<T*>(QApplication::activeModalWidget());
        if (modal == nullptr) {
            if (tries < 300) QTimer::singleShot(10, [this, tries] { poll(tries + 1); });
            return;
        }
        seen = true;
        answer(*modal);
    }
};

void WriteDataFile(const QString& path) {
    DataSet data;
    MakeFreshDataSet(data, 2);
    std::ofstream(path.toStdString(), std::ios::binary) << FormatDataFile(data.records, 2, '.');
}

} // namespace

class FrameTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir home_;
    QString store() const { return home_.filePath("store.ini"); }
    std::unique_ptr<gui::Application> make(const QString& programFolder = {}) {
        auto program = std::make_unique<gui::Application>(
            gui::LaunchOptions{}, store(),
            (programFolder.isEmpty() ? home_.path() : programFolder).toStdString());
        program->start();
        return program;
    }
    QString stored(const QString& key) const {
        return QSettings(store(), QSettings::IniFormat).value(key).toString();
    }

private slots:
    void initTestCase() { qputenv("QB41_MESSAGE_LOG", home_.filePath("messages.log").toUtf8()); }
    void init() { QFile::remove(store()); }

    void fileKeysAreShownAndClashWithNoOtherKey() {
        auto program = make();
        gui::MainWindow& window = program->window();
        const QList<QPair<QString, QString>> keys = {
            {"mnuFileNew", "Ctrl+N"},   {"mnuFileOpen", "Ctrl+O"},
            {"mnuFileSave", "Ctrl+S"},  {"mnuFileSaveAs", "Ctrl+Shift+S"},
            {"mnuFilePrint", "Ctrl+P"}, {"mnuFileExit", "Ctrl+Q"},
        };
        for (const auto& [name, key] : keys)
            QCOMPARE(window.action(name)->shortcut().toString(), key);
        // No two of the window's actions answer the same key.
        QMap<QString, QString> owners;
        for (QAction* act : window.findChildren<QAction*>())
            for (const QKeySequence& key : act->shortcuts()) {
                const QString text = key.toString();
                QVERIFY2(!owners.contains(text), qPrintable(text + " on " + owners.value(text) +
                                                            " and " + act->objectName()));
                owners.insert(text, act->objectName());
            }
        QCOMPARE(window.action("tbToolBar_Read")->toolTip(), QStringLiteral("Read from Radio"));
        QCOMPARE(window.action("tbToolBar_Program")->toolTip(), QStringLiteral("Program to Radio"));
    }

    void saveAsAddsTheExtensionAndKeepsOneFolder() {
        const QString folder = home_.filePath("boats");
        QDir().mkpath(folder);
        auto program = make();
        gui::MainWindow& window = program->window();
        QSettings(store(), QSettings::IniFormat).setValue("Settings/LastFolder", folder);

        QString suggested;
        QString startedIn;
        ModalAnswerer<QFileDialog> dialog{[&](QFileDialog& box) {
            auto* name = box.findChild<QLineEdit*>("fileNameEdit");
            suggested = name->text();
            startedIn = box.directory().absolutePath();
            name->setText("boat");
            static_cast<QDialog&>(box).accept();
        }};
        dialog.arm();
        window.action("mnuFileSaveAs")->trigger();
        QVERIFY(dialog.seen);
        QCOMPARE(suggested, QStringLiteral("radio.dat"));
        QCOMPARE(startedIn, QDir(folder).absolutePath());
        QVERIFY(QFileInfo(folder + "/boat.dat").isFile());
        QVERIFY(!QFileInfo(folder + "/boat").exists());

        // The next dialog suggests the current file and starts where it is.
        const QString other = home_.filePath("elsewhere");
        QDir().mkpath(other);
        dialog.seen = false;
        dialog.answer = [&](QFileDialog& box) {
            suggested = box.findChild<QLineEdit*>("fileNameEdit")->text();
            startedIn = box.directory().absolutePath();
            box.setDirectory(other);
            box.findChild<QLineEdit*>("fileNameEdit")->setText("tender");
            static_cast<QDialog&>(box).accept();
        };
        dialog.arm();
        window.action("mnuFileSaveAs")->trigger();
        QVERIFY(dialog.seen);
        QCOMPARE(suggested, QStringLiteral("boat.dat"));
        QCOMPARE(startedIn, QDir(folder).absolutePath());
        QVERIFY(QFileInfo(other + "/tender.dat").isFile());
        QCOMPARE(QDir::fromNativeSeparators(stored("Settings/LastFolder")),
                 QDir(other).absolutePath());
    }

    void recentFilesListTheNewestFirstAndDropMissingOnes() {
        auto program = make();
        gui::MainWindow& window = program->window();
        QStringList files;
        for (int i = 0; i < 7; ++i) {
            files << home_.filePath(QStringLiteral("recent%1.dat").arg(i));
            WriteDataFile(files.back());
            window.openFileLikeOpen(files.back());
        }
        QMenu* recent = window.findChild<QMenu*>("mnuFileRecent");
        QVERIFY(recent);
        QStringList shown;
        for (QAction* act : recent->actions()) shown << act->toolTip();
        // The last five, newest first, also in the store for the next run.
        QStringList wanted;
        for (int i = 6; i >= 2; --i) wanted << QDir::toNativeSeparators(files[i]);
        QCOMPARE(shown, wanted);
        QCOMPARE(stored("Settings/RecentFile1"), wanted[0]);
        QCOMPARE(stored("Settings/RecentFile5"), wanted[4]);

        // Opening one again puts it first without a second entry.
        window.openFileLikeOpen(files[4]);
        QCOMPARE(recent->actions().size(), 5);
        QCOMPARE(recent->actions().front()->toolTip(), QDir::toNativeSeparators(files[4]));

        // A file that is gone is removed, with a note that names it.
        QFile::remove(files[5]);
        QAction* gone = nullptr;
        for (QAction* act : recent->actions())
            if (act->toolTip() == QDir::toNativeSeparators(files[5])) gone = act;
        QVERIFY(gone);
        QString note;
        ModalAnswerer<QMessageBox> box{[&](QMessageBox& message) {
            note = message.text();
            message.accept();
        }};
        box.arm();
        gone->trigger();
        QVERIFY(box.seen);
        QVERIFY2(note.contains(QDir::toNativeSeparators(files[5])), qPrintable(note));
        QCOMPARE(recent->actions().size(), 4);
        for (QAction* act : recent->actions())
            QVERIFY(act->toolTip() != QDir::toNativeSeparators(files[5]));
    }

    void aDroppedFileOpensAsFileOpenDoes() {
        auto program = make();
        gui::MainWindow& window = program->window();
        const QString file = home_.filePath("dropped.dat");
        WriteDataFile(file);
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(file)});
        QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &mime, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(&window, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&window, &drop);
        QTRY_COMPARE(QString::fromStdString(program->app().currentFileName),
                     QDir::toNativeSeparators(file));

        // Other files are refused.
        QMimeData text;
        text.setUrls({QUrl::fromLocalFile(home_.filePath("notes.txt"))});
        QDragEnterEvent refused(QPoint(50, 50), Qt::CopyAction, &text, Qt::LeftButton,
                                Qt::NoModifier);
        refused.setAccepted(false);
        QApplication::sendEvent(&window, &refused);
        QVERIFY(!refused.isAccepted());
    }

    void thePlacementOfTheLastCloseIsTheNextStart() {
        QRect placed;
        int treeWidth = 0;
        {
            auto program = make();
            gui::MainWindow& window = program->window();
            window.setGeometry(60, 40, 640, 480); // within the 800x600 offscreen screen
            auto* splitter = window.findChild<QSplitter*>("imgSplitter");
            splitter->setSizes({260, 374});
            QApplication::processEvents();
            placed = window.frameGeometry();
            treeWidth = splitter->sizes().front();
            QVERIFY(window.close());
        }
        auto program = make();
        gui::MainWindow& window = program->window();
        QCOMPARE(window.frameGeometry(), placed);
        QCOMPARE(window.findChild<QSplitter*>("imgSplitter")->sizes().front(), treeWidth);

        // A placement off the screen comes back onto it.
        QVERIFY(window.close());
        QSettings(store(), QSettings::IniFormat).setValue("Settings/MainLeft", 900000);
        auto moved = make();
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY2(screen.contains(moved->window().frameGeometry()),
                 qPrintable(QStringLiteral("%1,%2").arg(moved->window().x()).arg(screen.width())));
    }

    void helpWithoutABrowserOpensItsOwnWindowAtTheTopic() {
        QTemporaryDir folder;
        QFile help(folder.filePath("QB41.html"));
        QVERIFY(help.open(QIODevice::WriteOnly));
        help.write("<html><body><h1>Top</h1><h2 id=\"ctx1054\">The section tree</h2>"
                   "<p>The tree lists every section.</p></body></html>");
        help.close();
        auto program = make(folder.path());
        program->window().action("mnuHelpContents")->trigger();
        auto* browser = program->window().findChild<QTextBrowser*>("helpBrowser");
        QVERIFY(browser);
        QVERIFY(browser->isVisible());
        QCOMPARE(browser->source().toLocalFile(), QFileInfo(help).absoluteFilePath());
        QVERIFY(browser->toPlainText().contains("The tree lists every section."));
        program->window().openHelp(1054);
        QCOMPARE(browser->source().fragment(), QStringLiteral("ctx1054"));

        // A control without a tip of its own shows its topic's first lines.
        auto* tree = program->window().findChild<QWidget*>("tvTreeView");
        QHelpEvent tip(QEvent::ToolTip, QPoint(5, 5), tree->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(tree, &tip);
        QTRY_COMPARE(QToolTip::text(), QStringLiteral("The tree lists every section."));
    }
};

int main(int argc, char** argv) {
    gui::GuardedApplication application(argc, argv);
    QApplication::setAttribute(Qt::AA_Use96Dpi, true);
    FrameTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "frame_test.moc"
