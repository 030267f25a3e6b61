// The window's exchange commands, offscreen: File > Compare with... lists the
// differing fields as qb41-cli diff does, File > Export CSV... and Import
// CSV... carry the bank in view, and a refused table changes nothing.
#include "application.h"
#include "exchange_commands.h"

#include "core/clock.h"
#include "core/error_log.h"
#include "files/data_file_writer.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <fstream>

using namespace qb41;

namespace {

// Closes the next list dialog and keeps its text.
struct ListReader {
    QString text;
    bool seen = false;
    void readNext() {
        QTimer::singleShot(0, [this] { poll(0); });
    }
    void poll(int tries) {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || dialog->objectName() != QStringLiteral("dlgFieldList")) {
            if (tries < 200) QTimer::singleShot(10, [this, tries] { poll(tries + 1); });
            return;
        }
        seen = true;
        text = dialog->findChild<QPlainTextEdit*>("txtFieldList")->toPlainText();
        dialog->accept();
    }
};

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

class ExchangeTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir home_;
    SystemClock clock_;
    ErrorLog log_{home_.path().toStdString(), false, clock_};
    std::unique_ptr<gui::Application> make() {
        auto program = std::make_unique<gui::Application>(
            gui::LaunchOptions{}, home_.filePath("store.ini"), home_.path().toStdString());
        program->start();
        return program;
    }
    std::string path(const char* name) { return home_.filePath(name).toStdString(); }

private slots:
    void initTestCase() { qputenv("QB41_MESSAGE_LOG", home_.filePath("messages.log").toUtf8()); }

    void theItemsStandBeforeExit() {
        auto program = make();
        const QList<QAction*> items = program->window().fileMenu()->actions();
        QStringList names;
        for (QAction* a : items) names << a->objectName();
        const qsizetype compare = names.indexOf("mnuFileCompare");
        QVERIFY(compare >= 0);
        QCOMPARE(names.indexOf("mnuFileImportCsv"), compare + 1);
        QCOMPARE(names.indexOf("mnuFileExportCsv"), compare + 2);
        QVERIFY(names.indexOf("mnuFileExit") > compare + 2);
    }

    void compareNamesTheFieldsThatDiffer() {
        auto program = make();
        const gui::ExchangeParts parts{program->app(), program->data(), program->notifier(), log_};
        DataSet other = program->data();
        other.records.CHUSA[32].ChTag = "HAIL";
        other.records.CHWX[2].Enable = kTrue;
        std::ofstream(path("other.dat"), std::ios::binary)
            << FormatDataFile(other.records, program->app().modelNumber, '.');
        ListReader reader;
        reader.readNext();
        gui::CompareWithFile(program->window(), parts, path("other.dat"));
        QVERIFY(reader.seen);
        QCOMPARE(reader.text, QStringLiteral("CHUSA32.ChTag: DISTRESS -> HAIL  (USA 16 name)\n"
                                             "CHWX2.Enable: 0 -> 1  (WX 03 enable)\n"));
    }

    void csvCarriesTheBankInViewAndARefusedTableChangesNothing() {
        auto program = make();
        gui::MainWindow& window = program->window();
        const gui::ExchangeParts parts{program->app(), program->data(), program->notifier(), log_};
        window.session().ShowSection("PW");
        gui::ExportCsvFile(window, parts, path("wx.csv"));
        std::string table = ReadAll(path("wx.csv"));
        QVERIFY(table.rfind("channel,Enable,ScanMemory,ChTag\r\n01,", 0) == 0);
        const std::size_t row3 = table.find("\r\n03,0,0,\r\n");
        QVERIFY(row3 != std::string::npos);
        table.replace(row3, 11, "\r\n03,1,1,NOAA\r\n");
        std::ofstream(path("wx.csv"), std::ios::binary | std::ios::trunc) << table;
        gui::ImportCsvFile(window, parts, path("wx.csv"));
        QCOMPARE(program->data().records.CHWX[2].ChTag, std::string("NOAA"));
        QVERIFY(program->app().dataChanged);

        const Records before = program->data().records;
        std::ofstream(path("bad.csv"), std::ios::binary) << "channel,Enable\r\n04,7\r\n";
        ListReader reader;
        reader.readNext();
        gui::ImportCsvFile(window, parts, path("bad.csv"));
        QVERIFY(reader.seen);
        QCOMPARE(reader.text, QStringLiteral("line 2, column 2 (Enable): a flag is 0 or 1\n"));
        QVERIFY(program->data().records == before);
    }
};

QTEST_MAIN(ExchangeTest)
#include "exchange_test.moc"
