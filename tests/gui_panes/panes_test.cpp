// The editing panes in the window, offscreen: filling never writes, user edits
// write and set the data-changed flag, a refused field holds the window, the
// usable groups rebuild the tree, and a visit of every pane saves the same file.
#include "application.h"
#include "pane_support.h"

#include "files/data_file_writer.h"
#include "image/codec.h"
#include "image/defaults.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <fstream>
#include <iterator>
#include <set>

using namespace qb41;

namespace {

// Answers every modal box while alive: message boxes with Yes or their first button,
// file dialogs by cancelling (a test that reaches one has already failed).
class ModalWatch {
public:
    ModalWatch() {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
        timer_.start();
    }
    QStringList seen; // "title|text", or "file dialog"

private:
    void poll() {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            seen << box->windowTitle() + "|" + box->text();
            QAbstractButton* yes = box->button(QMessageBox::Yes);
            (yes ? yes : box->buttons().first())->click();
        } else if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
            seen << QStringLiteral("file dialog");
            dialog->reject();
        }
    }
    QTimer timer_;
};

std::string ReadAll(const QString& path) {
    std::ifstream in(path.toStdString(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Each line of a data file prefixed with the section it is in: "[CHEXP2] Enable=1".
QStringList Lines(const QString& path) {
    QStringList lines;
    QString section;
    for (const QString& line : QString::fromLatin1(ReadAll(path)).split(QStringLiteral("\r\n"))) {
        if (line.startsWith('[')) section = line;
        lines << section + ' ' + line;
    }
    return lines;
}

// A model 2 data set with values the lists cannot show as plain entries.
DataSet Awkward() {
    DataSet data;
    MakeFreshDataSet(data, 2);
    Records& r = data.records;
    r.UsableGroup[3].Usable = kTrue; // the EXP bank is in the tree
    r.CHWX[0].Enable = kTrue;
    r.CHEXP[0].Enable = kTrue;
    r.CHEXP[0].CHDisplayL = "P1";
    r.CHEXP[0].Rxfreq = 150.5;
    r.CHEXP[1].Scramble = 3; // no entry: bit 2 clear but not 0
    r.CHUSA[32].ChTag = "HARBOUR";
    r.Common.Scan = 1;               // non-zero: "On"
    r.UsableGroup[0].PriorityCh = 1; // channel 00A, not enabled in the USA plan
    r.UsableGroup[0].StatusName = "Dock";
    r.UserMmsi = "2111234560";
    r.AtisCallSign[0].MID = "007";
    r.CHMMSID[0] = {kTrue, "TENDER", "2111234560"};
    return data;
}

// A page whose tab the pane hides (BringToFront would show it all the same).
bool OnHiddenTab(QWidget* control) {
    for (QWidget* w = control; w->parentWidget() != nullptr; w = w->parentWidget())
        if (auto* stack = qobject_cast<QStackedWidget*>(w->parentWidget()))
            if (auto* tabs = qobject_cast<QTabWidget*>(stack->parentWidget()))
                if (!tabs->isTabVisible(tabs->indexOf(w))) return true;
    return false;
}

// Two texts each box accepts; the walk types the one the box does not show.
std::pair<QString, QString> Samples(editor::TextBox box) {
    using editor::TextBox;
    switch (box) {
    case TextBox::ChannelNumberLeft:
        return {"12", "34"};
    case TextBox::ChannelNumberRight:
        return {"1", "2"};
    case TextBox::RxFrequency:
    case TextBox::TxFrequency:
        return {"156.05", "157.1"};
    case TextBox::ChannelName:
    case TextBox::WeatherName:
    case TextBox::DirectoryName:
        return {"WORK", "HOME"};
    case TextBox::StatusName:
        return {"Dk", "Bay"};
    case TextBox::UserMmsi:
    case TextBox::IndividualMmsi:
        return {"366000001", "244123456"};
    case TextBox::GroupMmsi:
        return {"01234567", "02345678"};
    case TextBox::AtisCode:
        return {"9123456789", "9234567890"};
    case TextBox::AtisMid:
        return {"12", "34"};
    case TextBox::AtisDisp:
        return {"AB", "CD"};
    }
    return {};
}

} // namespace

// What a read of the programmed image gives back.
Records ReadBack(const DataSet& data, int model) {
    DataSet written = data;
    EncodeImage(written, static_cast<ModelNumber>(model));
    DataSet back;
    MakeFreshDataSet(back, static_cast<ModelNumber>(model));
    back.image = written.image;
    DecodeImage(back, static_cast<ModelNumber>(model));
    return back.records;
}

// A list, a tick box, an unticked option or a typed box the user may change
// now: shown, enabled and on the page in front.
bool TakesInput(QWidget* control) {
    auto* combo = qobject_cast<QComboBox*>(control);
    auto* button = qobject_cast<QAbstractButton*>(control);
    auto* box = qobject_cast<QLineEdit*>(control);
    if (button && (qobject_cast<QPushButton*>(button) || !button->isCheckable() ||
                   (qobject_cast<QRadioButton*>(button) && button->isChecked())))
        return false; // commands, and a ticked option (its siblings change it)
    if (!combo && !button && !box) return false;
    if (box && (box->isReadOnly() || qobject_cast<QComboBox*>(box->parent()))) return false;
    gui::BringToFront(control);
    return control->isVisible() && control->isEnabled() && !OnHiddenTab(control);
}

// Changes `control` as the user would: the next list entry, a click, or
// another valid text typed and committed. False when it offers no change.
bool Change(gui::MainWindow& window, QWidget* control) {
    if (auto* combo = qobject_cast<QComboBox*>(control)) {
        if (combo->count() < 2) return false;
        const int index = (combo->currentIndex() + 1) % combo->count();
        combo->setCurrentIndex(index);
        emit combo->activated(index);
        return true;
    }
    if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        button->click();
        return true;
    }
    auto* box = qobject_cast<QLineEdit*>(control);
    auto* rule = qobject_cast<const gui::RuleValidator*>(box->validator());
    if (rule == nullptr) return false;
    const auto [one, other] = Samples(rule->box());
    box->setFocus();
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    QTest::keyClicks(box, box->text() == one ? other : one);
    return window.validateEditor();
}

class PanesTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir home_;
    QString file_;

    std::unique_ptr<gui::Application> open(const DataSet& data) {
        file_ = home_.filePath("boat.dat");
        std::ofstream(file_.toStdString(), std::ios::binary | std::ios::trunc)
            << FormatDataFile(data.records, 2, '.');
        auto program = std::make_unique<gui::Application>(gui::ParseCommandLine({file_}),
                                                          home_.filePath("store.ini"),
                                                          home_.path().toStdString());
        program->start();
        QApplication::setActiveWindow(&program->window());
        return program;
    }

    static QTreeWidgetItem* item(gui::MainWindow& window, const QString& key) {
        auto* tree = window.findChild<QTreeWidget*>("tvTreeView");
        for (QTreeWidgetItemIterator it(tree); *it; ++it)
            if ((*it)->data(0, Qt::UserRole).toString() == key) return *it;
        return nullptr;
    }
    // Selects the node as the user does; true when the window went there.
    static bool select(gui::MainWindow& window, const QString& key) {
        QTreeWidgetItem* node = item(window, key);
        if (node == nullptr) return false;
        window.findChild<QTreeWidget*>("tvTreeView")->setCurrentItem(node);
        return window.session().currentKey() == key.toStdString();
    }
    static QString pane(gui::MainWindow& window) {
        return window.findChild<QStackedWidget*>("paneHost")->currentWidget()->objectName();
    }
    template <typename T> static T* control(gui::MainWindow& window, const char* name) {
        T* found = window.findChild<T*>(QString::fromLatin1(name));
        if (found == nullptr) qFatal("no control %s", name);
        return found;
    }

    // The window on a fresh file of `model` with every group, list and
    // directory entry in use, so that every pane's controls are enabled.
    std::unique_ptr<gui::Application> startWithEveryListInUse(int model) {
        QSettings(home_.filePath("walk.ini"), QSettings::IniFormat)
            .setValue("ModelPath/ModelNum", model);
        auto program = std::make_unique<gui::Application>(
            gui::LaunchOptions{}, home_.filePath("walk.ini"), home_.path().toStdString());
        program->start();
        QApplication::setActiveWindow(&program->window());
        DataSet& data = program->data();
        for (auto& group : data.records.UsableGroup) group.Usable = kTrue;
        data.records.CHEXP[0].Enable = kTrue;
        data.records.CHMMSID[0] = {kTrue, "A", "2111234560"};
        data.records.CHMMSID[1] = {kTrue, "B", "2111234570"};
        data.records.CHGRPID[0] = {kTrue, "G", "0111234560"};
        program->window().session().RefreshTree();
        return program;
    }

private slots:
    void initTestCase() { QVERIFY(home_.isValid()); }

    void fillingShowsWithoutWriting() {
        ModalWatch watch;
        const DataSet data = Awkward();
        auto program = open(data);
        gui::MainWindow& window = program->window();
        // The data file keeps no tones: they come from the radio's image.
        program->data().records.CHEXP[0].DcsCode = {150, 3}; // inverted code, plain code
        // A file cannot carry a value outside its rule: this one no list entry shows.
        program->data().records.Common.ResumeTime = 9;
        const Records before = program->data().records;
        std::set<std::string> panes;
        for (const editor::TreeNode& node : window.session().nodes()) {
            QVERIFY2(select(window, QString::fromStdString(node.key)), node.key.c_str());
            panes.insert(pane(window).toStdString());
        }
        QCOMPARE(panes.size(), std::size_t{11}); // every pane of the window was shown
        QVERIFY(program->data().records == before);
        QVERIFY(!program->app().dataChanged);
        QVERIFY(watch.seen.isEmpty());

        // The rulings on values without a plain entry.
        QVERIFY(select(window, "E1"));
        QCOMPARE(control<QComboBox>(window, "cmbDCS_0")->currentText(), QStringLiteral("261I"));
        QCOMPARE(control<QComboBox>(window, "cmbDCS_1")->currentText(), QStringLiteral("026"));
        QVERIFY(select(window, "Common"));
        QCOMPARE(control<QComboBox>(window, "cmbCommonResume")->currentIndex(), -1);
        QCOMPARE(control<QComboBox>(window, "cmbCommonScan")->currentText(), QStringLiteral("On"));
        QVERIFY(select(window, "Usable"));
        QCOMPARE(control<QComboBox>(window, "cmbUsablePri_0")->currentText(),
                 QStringLiteral("00A"));
        QCOMPARE(control<QLineEdit>(window, "txtUsable_0")->text(), QStringLiteral("Dock"));
        QVERIFY(select(window, "DSC"));
        QCOMPARE(control<QLineEdit>(window, "txtUserMMSI")->text(), QStringLiteral("211123456"));
        QVERIFY(select(window, "SG1"));
        QCOMPARE(control<QLineEdit>(window, "txtGMMSI")->maxLength(), 9); // the group MMSI in full
        QVERIFY(program->data().records == before);
    }

    // Each row: a node, a user action on one of its controls, and the check
    // that the record took it.
    void userEditsWriteAndSetTheFlag_data() {
        QTest::addColumn<QString>("node");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("keys"); // typed; empty = a click
        QTest::newRow("channel name") << "PU32"
                                      << "txtCTag"
                                      << "BAY";
        QTest::newRow("scan memory") << "PU32"
                                     << "chkCScan"
                                     << "";
        QTest::newRow("export number") << "E1"
                                       << "txtCN_1"
                                       << "A";
        QTest::newRow("weather name") << "PW"
                                      << "txtDTagName_0"
                                      << "NOAA";
        QTest::newRow("weather enable") << "PW"
                                        << "chkDEnable_3"
                                        << "";
        QTest::newRow("directory name") << "SM1"
                                        << "txtGPosi"
                                        << "X";
        QTest::newRow("directory add") << "SM2"
                                       << "chkGEnable"
                                       << "";
    }
    void userEditsWriteAndSetTheFlag() {
        QFETCH(QString, node);
        QFETCH(QString, name);
        QFETCH(QString, keys);
        auto program = open(Awkward());
        gui::MainWindow& window = program->window();
        QVERIFY(select(window, node));
        const Records before = program->data().records;
        QWidget* widget = window.findChild<QWidget*>(name);
        QVERIFY(widget);
        gui::BringToFront(widget);
        QVERIFY(widget->isEnabled());
        if (keys.isEmpty()) {
            QVERIFY(qobject_cast<QAbstractButton*>(widget));
            QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(4, widget->height() / 2));
        } else {
            auto* box = qobject_cast<QLineEdit*>(widget);
            box->setFocus();
            box->end(false);
            QTest::keyClicks(box, keys);
        }
        QVERIFY(!(program->data().records == before));
        QVERIFY(program->app().dataChanged);
    }

    void listsWriteOnUserPicksOnly() {
        auto program = open(Awkward());
        gui::MainWindow& window = program->window();
        program->data().records.Common.ResumeTime = 9; // no list entry
        QVERIFY(select(window, "DSC"));
        // Group Call routine off: its level selector takes no input until it is on.
        auto* call = control<QComboBox>(window, "cmbUsableDscGroupCall_3");
        auto* level = control<QComboBox>(window, "cmbUsableDscGroupCallTX_3");
        program->data().records.DscFlags[27] = kFalse;
        window.session().ShowCurrentPane();
        QVERIFY(!level->isEnabled());
        QVERIFY(!program->app().dataChanged);
        gui::BringToFront(call);
        call->setFocus();
        QTest::keyClick(call, Qt::Key_Down);
        QCOMPARE(program->data().records.DscFlags[27], kTrue);
        QVERIFY(level->isEnabled());
        QVERIFY(program->app().dataChanged);

        // Scan off greys the resume time and keeps its value.
        QVERIFY(select(window, "Common"));
        auto* scan = control<QComboBox>(window, "cmbCommonScan");
        scan->setFocus();
        QTest::keyClick(scan, Qt::Key_Up);
        QCOMPARE(program->data().records.Common.Scan, 0);
        QVERIFY(!control<QComboBox>(window, "cmbCommonResume")->isEnabled());
        QCOMPARE(program->data().records.Common.ResumeTime, 9);
    }

    void typedBoxesRefuseWhatTheirRuleRefuses() {
        auto program = open(Awkward());
        gui::MainWindow& window = program->window();
        QVERIFY(select(window, "E1"));
        auto* number = control<QLineEdit>(window, "txtCN_0");
        number->setFocus();
        number->clear();
        QTest::keyClicks(number, "cC");
        QCOMPARE(number->text(), QStringLiteral("C"));
        QTest::keyClicks(number, "1"); // two characters: the channel may be left
        // Paste takes the same rule: a refused text never enters the box.
        QVERIFY(select(window, "DSC"));
        auto* mmsi = control<QLineEdit>(window, "txtUserMMSI");
        mmsi->setFocus();
        mmsi->selectAll();
        mmsi->insert(QStringLiteral("12ab"));
        QCOMPARE(mmsi->text(), QStringLiteral("211123456"));
        mmsi->selectAll();
        mmsi->insert(QStringLiteral("1234567890")); // cut to the nine digits the box takes
        QCOMPARE(mmsi->text(), QStringLiteral("123456789"));
    }

    void invalidFieldHoldsTheWindow() {
        ModalWatch watch;
        auto program = open(Awkward());
        gui::MainWindow& window = program->window();
        QVERIFY(select(window, "E1"));
        auto* rx = control<QLineEdit>(window, "txtCRF");
        rx->setFocus();
        rx->selectAll();
        QTest::keyClicks(rx, "156.0125");

        QVERIFY(!select(window, "E2"));
        QCOMPARE(window.session().currentKey(), std::string("E1"));
        QCOMPARE(item(window, "E1"), window.findChild<QTreeWidget*>("tvTreeView")->currentItem());
        QCoreApplication::processEvents(); // each command is an event of its own
        window.action("mnuFileNew")->trigger();
        QCoreApplication::processEvents();
        window.action("mnuFileSave")->trigger();
        QTest::qWait(150); // a reset, had one been armed, would have run
        QCOMPARE(watch.seen, QStringList(3, QStringLiteral("Rx frequency|Data Error!!")));
        QCOMPARE(window.focusWidget(), rx);
        QCOMPARE(rx->text(), QStringLiteral("156.0125"));
        QCOMPARE(program->data().records.CHEXP[0].Rxfreq, 150.5);
        QCOMPARE(pane(window), QStringLiteral("pictC"));

        // Fixed, the same node change goes through and stores the frequency.
        rx->selectAll();
        QTest::keyClicks(rx, "156.025");
        QVERIFY(select(window, "E2"));
        QCOMPARE(program->data().records.CHEXP[0].Rxfreq, 156.025);
        QCOMPARE(watch.seen.size(), 3);

        // An enabled export channel needs its two-character number.
        QVERIFY(select(window, "E1"));
        auto* number = control<QLineEdit>(window, "txtCN_0");
        number->setFocus();
        number->selectAll();
        QTest::keyClicks(number, "7");
        QVERIFY(!select(window, "General"));
        QCOMPARE(watch.seen.last(), QStringLiteral("PC Program for TQ4800M/LW6100 Series|"
                                                   "Data Error!!\nPlease input correct data."));
        QCOMPARE(window.focusWidget(), number);
    }

    void leavingABoxChecksItOnce() {
        ModalWatch watch;
        auto program = open(Awkward());
        gui::MainWindow& window = program->window();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QVERIFY(select(window, "DSC"));
        auto* mmsi = control<QLineEdit>(window, "txtUserMMSI");
        mmsi->setFocus();
        mmsi->selectAll();
        QTest::keyClicks(mmsi, "1234");
        // The user clicks another node: the focus leaves the box first, then
        // the tree asks the pane again; the message shows once.
        auto* tree = window.findChild<QTreeWidget*>("tvTreeView");
        const QRect row = tree->visualItemRect(item(window, "ATIS"));
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, row.center());
        QTest::qWait(50);
        QCOMPARE(watch.seen, QStringList{QStringLiteral("User MMSI|Data Error!!")});
        QCOMPARE(window.session().currentKey(), std::string("DSC"));
        QCOMPARE(window.focusWidget(), mmsi);
        window.activateWindow(); // the message box had the focus
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QCOMPARE(QApplication::focusWidget(), mmsi);

        // Leaving for another control of the pane commits a valid entry.
        // Its MID is not assigned: the value is kept and the warning shows once.
        QTest::keyClicks(mmsi, "56789");
        control<QComboBox>(window, "cmbUsableDsc_0")->setFocus();
        QCOMPARE(program->data().records.UserMmsi, std::string("1234567890"));
        QCOMPARE(watch.seen.size(), 2);
        QCOMPARE(watch.seen.last(),
                 QStringLiteral("User MMSI|the user MMSI: ship MMSI 123456789: 123 is not an "
                                "assigned MID (201-775)"));
        window.activateWindow(); // the warning had the focus
        QVERIFY(QTest::qWaitForWindowActive(&window));

        // A refused box whose tab page goes to the back brings it forward again.
        auto* tabs = control<QTabWidget>(window, "tbsDSC");
        mmsi->setFocus();
        QTest::keyClick(mmsi, Qt::Key_Backspace);
        tabs->setCurrentIndex(2);
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QTRY_COMPARE(tabs->currentIndex(), 0);
        QCOMPARE(watch.seen.size(), 3);
        QCOMPARE(window.focusWidget(), mmsi);
    }

    void focusPutsTheHintInPanelOne() {
        auto program = open(Awkward());
        gui::MainWindow& window = program->window();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        auto* panel = control<QLabel>(window, "sbStatusBar_Panel_1");
        const struct {
            const char *node, *control, *hint;
        } rows[] = {
            {"E1", "txtCN_0", "Indispensable 2 figures."},
            {"E1", "txtCRF", "Rx frequency"},
            {"E1", "chkCScan", "[Space]:An effective and invalid change."},
            {"E1", "cmbDCS_1", "[Up]/[Down]:Change of a Selection item."},
            {"PW", "chkDEnable_0", "Select[x]Enable/[]Disable."},
            {"Usable", "txtUsable_1", "max 4 charactors."},
            {"ATIS", "txtATISMid_3", "Numeric Only. Indispensable 3 figures."},
            {"DSC", "cmdFClear", "A Click Inicializes the number of User MMSI setting permission"},
            {"SM1", "txtGPosi", "A maximum of 10 characters."},
        };
        auto* tree = control<QTreeWidget>(window, "tvTreeView");
        for (const auto& row : rows) {
            tree->setFocus(); // the user picks the node in the tree
            QVERIFY(select(window, row.node));
            QWidget* widget = control<QWidget>(window, row.control);
            gui::BringToFront(widget);
            widget->setFocus();
            QCOMPARE(panel->text(), QString::fromLatin1(row.hint));
        }
        // The focused weather box shows the focus marker as its caption.
        QVERIFY(select(window, "PW"));
        auto* enable = control<QCheckBox>(window, "chkDEnable_0");
        enable->setFocus();
        QCOMPARE(enable->text(), QStringLiteral(">"));
        control<QLineEdit>(window, "txtDTagName_0")->setFocus();
        QCOMPARE(enable->text(), QStringLiteral(" "));
    }

    void closingCommitsTheLastEditFirst() {
        ModalWatch watch;
        auto program = open(Awkward());
        gui::MainWindow& window = program->window();
        QVERIFY(select(window, "DSC"));
        auto* mmsi = control<QLineEdit>(window, "txtUserMMSI");
        mmsi->setFocus();
        QTest::keyClick(mmsi, Qt::Key_Backspace);
        QVERIFY(!window.close()); // refused: eight digits
        QCOMPARE(watch.seen, QStringList{QStringLiteral("User MMSI|Data Error!!")});
        QTest::keyClicks(mmsi, "7");
        QCoreApplication::processEvents();
        QVERIFY(window.close()); // the prompt is answered Yes: saved under its name
        QCOMPARE(watch.seen.size(), 2);
        QVERIFY(watch.seen[1].contains(QStringLiteral("Do you want to save changes?")));
        QVERIFY(ReadAll(file_).find("User MMSI=#2111234570") != std::string::npos);
    }

    void counterClearRunsTheHookAfterValidation() {
        ModalWatch watch;
        auto program = open(Awkward());
        gui::MainWindow& window = program->window();
        QVERIFY(select(window, "DSC"));
        auto* clear = control<QPushButton>(window, "cmdFClear");
        window.setTransferHandler({});
        clear->click(); // no transfer dialog: nothing happens
        QVERIFY(!program->app().dataChanged);
        QVERIFY(watch.seen.isEmpty());

        QList<TransferMode> runs;
        window.setTransferHandler([&](TransferMode mode) {
            runs << mode;
            program->data().image[501] = 7;
        });
        auto* mmsi = control<QLineEdit>(window, "txtUserMMSI");
        mmsi->setFocus();
        QTest::keyClick(mmsi, Qt::Key_Backspace);
        clear->click();
        QVERIFY(runs.isEmpty());
        QCOMPARE(watch.seen.size(), 1);
        mmsi->selectAll();
        QTest::keyClicks(mmsi, "211123456");
        clear->click();
        QCOMPARE(runs, QList<TransferMode>{TransferMode::Clear});
        QCOMPARE(control<QLineEdit>(window, "txtFCount")->text(), QStringLiteral("7"));
    }

    // Every control a pane offers for input must reach the image: after the
    // change, encoding the records gives other bytes than before it.
    void everyEnabledControlChangesTheImage() {
        ModalWatch watch;
        QStringList silent; // controls whose change a read back would not show
        for (int model : {0, 1, 2, 3}) {
            auto program = startWithEveryListInUse(model);
            gui::MainWindow& window = program->window();
            QCOMPARE(program->app().modelNumber, model);
            int tried = 0;
            for (const char* key :
                 {"Usable", "Common", "DSC", "ATIS", "PU32", "PC20", "PW", "E1", "SM1", "SG1"}) {
                if (item(window, key) == nullptr) continue; // not in this model's tree
                QVERIFY2(select(window, key), key);
                QWidget* host = window.findChild<QStackedWidget*>("paneHost")->currentWidget();
                for (QWidget* control : host->findChildren<QWidget*>()) {
                    if (!TakesInput(control)) continue;
                    const Records before = ReadBack(program->data(), model);
                    const qsizetype boxes = watch.seen.size();
                    if (!Change(window, control)) continue;
                    ++tried;
                    const QString name =
                        QStringLiteral("%1 %2/%3").arg(model).arg(key, control->objectName());
                    const QStringList asked = watch.seen.mid(boxes);
                    // A message may come with a kept value (an identity warning).
                    if (ReadBack(program->data(), model) == before)
                        silent << name + (asked.isEmpty() ? QString()
                                                          : " refused: " + asked.join(','));
                }
            }
            QVERIFY2(tried > 60, qPrintable(QString::number(model) + " " + QString::number(tried)));
            program->app().dataChanged = false;
        }
        for (const QString& line : silent) qInfo("%s", qPrintable(line));
        QVERIFY(silent.isEmpty());
    }

    void printToFileCommitsTheFieldFirst() {
        ModalWatch watch;
        auto program = open(Awkward());
        gui::MainWindow& window = program->window();
        QVERIFY(select(window, "DSC"));
        auto* mmsi = control<QLineEdit>(window, "txtUserMMSI");
        mmsi->setFocus();
        mmsi->selectAll();
        QTest::keyClicks(mmsi, "366000001");
        std::string seenByReport;
        QTimer::singleShot(50, [&] {
            seenByReport = program->data().records.UserMmsi;
            if (QWidget* report = QApplication::activeModalWidget()) report->close();
        });
        window.action("mnuFilePrintToFile")->trigger();
        QCOMPARE(seenByReport, std::string("3660000010"));
    }

    // Clearing a directory MMSI asks as Delete does; No brings the MMSI back,
    // Yes deletes and leaves the focus off the boxes of the entry moved up.
    void clearingADirectoryMmsiAsksFirst() {
        DataSet data = Awkward();
        data.records.CHMMSID[1] = {kTrue, "SECOND", "2111234570"};
        auto program = open(data);
        gui::MainWindow& window = program->window();
        window.show();
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QVERIFY(select(window, "SM1"));
        auto* entry = control<QLineEdit>(window, "txtGMMSI");
        auto* name = control<QLineEdit>(window, "txtGPosi");
        for (QMessageBox::StandardButton answer : {QMessageBox::No, QMessageBox::Yes}) {
            QStringList asked;
            QTimer poller;
            poller.setInterval(10);
            QObject::connect(&poller, &QTimer::timeout, [&] {
                if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                    asked << box->text();
                    box->button(answer)->click();
                }
            });
            poller.start();
            entry->setFocus();
            entry->selectAll();
            QTest::keyClick(entry, Qt::Key_Delete);
            QVERIFY(window.validateEditor()); // as a click on the tree does
            QTRY_COMPARE(asked, QStringList{"Are you sure ?"});
            if (answer == QMessageBox::No) {
                QCOMPARE(entry->text(), QStringLiteral("211123456"));
                QCOMPARE(program->data().records.CHMMSID[0].TagName, "TENDER");
            }
        }
        QCOMPARE(program->data().records.CHMMSID[0].TagName, "SECOND");
        QCOMPARE(name->text(), QStringLiteral("SECOND"));
        QTRY_VERIFY(window.focusWidget() != nullptr &&
                    window.focusWidget()->objectName() == QStringLiteral("chkGDelete"));
        QApplication::setActiveWindow(&window);
        QTest::keyClicks(window.focusWidget(), "X");
        QCOMPARE(program->data().records.CHMMSID[0].TagName, "SECOND");
    }

    // What each model keeps decides which controls a pane shows.
    void controlsFollowTheModel_data() {
        QTest::addColumn<int>("model");
        QTest::addColumn<QString>("node");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("shown");
        QTest::addColumn<QString>("caption"); // checked when not empty
        QTest::newRow("3 no status icon") << 3 << "Usable"
                                          << "cmbUsableSts_1" << false << "";
        QTest::newRow("3 no status name") << 3 << "Usable"
                                          << "txtUsable_2" << false << "";
        QTest::newRow("0 status name") << 0 << "Usable"
                                       << "txtUsable_2" << true << "";
        QTest::newRow("2 LMR group") << 2 << "Usable"
                                     << "chkUsable_3" << true << "LMR CH";
        QTest::newRow("0 EXP group") << 0 << "Usable"
                                     << "chkUsable_3" << true << "EXP CH";
        QTest::newRow("3 no rotary") << 3 << "Common"
                                     << "cmbCommonRotary" << false << "";
        QTest::newRow("3 no rotary label") << 3 << "Common"
                                           << "lblCommonRotary" << false << "";
        QTest::newRow("0 rotary") << 0 << "Common"
                                  << "cmbCommonRotary" << true << "";
        QTest::newRow("3 no scrambler") << 3 << "PU32"
                                        << "cmbScramble" << false << "";
        QTest::newRow("1 no name") << 1 << "PU32"
                                   << "txtCTag" << false << "";
        QTest::newRow("2 plan duplex") << 2 << "PU32"
                                       << "chkCDup" << true << "";
        QTest::newRow("2 export no duplex") << 2 << "E1"
                                            << "chkCDup" << false << "";
        QTest::newRow("2 export tones") << 2 << "E1"
                                        << "cmbCTCSS_1" << true << "";
        QTest::newRow("0 export no tones") << 0 << "E1"
                                           << "fraCTone" << false << "";
        QTest::newRow("2 ATIS LMR") << 2 << "ATIS"
                                    << "chkATISKiller_3" << true << "LMR";
        QTest::newRow("3 ATIS EXP") << 3 << "ATIS"
                                    << "chkATISChGroup_3" << true << "EXP";
    }
    void controlsFollowTheModel() {
        QFETCH(int, model);
        QFETCH(QString, node);
        QFETCH(QString, name);
        QFETCH(bool, shown);
        QFETCH(QString, caption);
        auto program = open(Awkward());
        gui::MainWindow& window = program->window();
        // The panes read the model when they are filled.
        program->app().modelNumber = static_cast<ModelNumber>(model);
        QVERIFY(select(window, node));
        QWidget* widget = window.findChild<QWidget*>(name);
        QVERIFY(widget);
        QCOMPARE(!widget->isHidden(), shown);
        if (!caption.isEmpty()) QCOMPARE(qobject_cast<QAbstractButton*>(widget)->text(), caption);
    }

    void switchingAGroupRebuildsTheTree() {
        auto program = open(Awkward());
        gui::MainWindow& window = program->window();
        QVERIFY(select(window, "Usable"));
        QVERIFY(item(window, "PU") && item(window, "PU32"));
        auto* usa = control<QCheckBox>(window, "chkUsable_0");
        usa->click();
        QVERIFY(!item(window, "PU"));
        QVERIFY(!item(window, "PU32"));
        QVERIFY(!control<QComboBox>(window, "cmbUsableTot_0")->isEnabled());
        QCOMPARE(pane(window), QStringLiteral("pictUsable"));
        QVERIFY(program->app().dataChanged);
        usa->click();
        QVERIFY(item(window, "PU32"));
        QCOMPARE(item(window, "PU")->text(0), QStringLiteral("USA(Dock)"));
    }

    void visitingEveryPaneSavesTheSameFile() {
        ModalWatch watch;
        auto program = open(Awkward());
        gui::MainWindow& window = program->window();
        const std::string original = ReadAll(file_);
        for (const editor::TreeNode& node : window.session().nodes())
            QVERIFY(select(window, QString::fromStdString(node.key)));
        QVERIFY(window.session().FileSave());
        QVERIFY(watch.seen.isEmpty());
        std::ofstream(file_.toStdString() + ".orig", std::ios::binary) << original;
        const QStringList before = Lines(file_ + ".orig");
        const QStringList after = Lines(file_);
        QStringList changed;
        for (int i = 0; i < std::min(before.size(), after.size()); ++i)
            if (before[i] != after[i]) changed << before[i] + " -> " + after[i];
        QVERIFY2(changed.isEmpty(), qPrintable(changed.join('\n')));
        QVERIFY(ReadAll(file_) == original);
    }

    void editsChangeExactlyTheirKeys() {
        ModalWatch watch;
        auto program = open(Awkward());
        gui::MainWindow& window = program->window();
        const QStringList before = Lines(file_);

        QVERIFY(select(window, "E3"));
        QTest::mouseClick(control<QCheckBox>(window, "chkCEnable"), Qt::LeftButton, {},
                          QPoint(4, 8));
        QCOMPARE(item(window, "E3")->text(0), QStringLiteral("LMR3[Enable]"));
        for (const auto& [name, text] :
             {std::pair{"txtCN_0", "12"}, {"txtCRF", "156.05"}, {"txtCTag", "WORK"}}) {
            // Whatever the box shows ("---.----" for no frequency) is
            // deleted key by key, then the new text typed.
            auto* box = control<QLineEdit>(window, name);
            box->setFocus();
            box->end(false);
            for (int i = 0; i < 12; ++i) QTest::keyClick(box, Qt::Key_Backspace);
            QCOMPARE(box->text(), QString());
            QTest::keyClicks(box, text);
        }
        QVERIFY2(select(window, "DSC"), qPrintable(watch.seen.join(',')));
        auto* mmsi = control<QLineEdit>(window, "txtUserMMSI");
        mmsi->setFocus();
        mmsi->selectAll();
        QTest::keyClicks(mmsi, "366000001");
        QVERIFY(select(window, "SM2"));
        QTest::mouseClick(control<QCheckBox>(window, "chkGEnable"), Qt::LeftButton, {},
                          QPoint(4, 8));
        auto* entry = control<QLineEdit>(window, "txtGMMSI");
        entry->setFocus();
        QTest::keyClicks(entry, "244123456");
        QVERIFY(select(window, "SM1"));
        QVERIFY(window.session().FileSave());
        QVERIFY(watch.seen.isEmpty());

        const QStringList after = Lines(file_);
        QCOMPARE(after.size(), before.size());
        QStringList changed;
        for (int i = 0; i < after.size(); ++i)
            if (after[i] != before[i]) changed << after[i];
        // Directory sections count from 1, EXP sections from 0 (E3 is CHEXP2).
        const QStringList expected = {"[DSC Setup (Basic Setup)] User MMSI=#3660000010",
                                      "[CHMMSID2] Enable=1",
                                      "[CHMMSID2] Mmsid=2441234560",
                                      "[CHEXP2] Enable=1",
                                      "[CHEXP2] CHDisplayL=12",
                                      "[CHEXP2] Rxfreq=156.05",
                                      "[CHEXP2] ChTag=#WORK"};
        QCOMPARE(changed, expected);
    }
};

QTEST_MAIN(PanesTest)
#include "panes_test.moc"
