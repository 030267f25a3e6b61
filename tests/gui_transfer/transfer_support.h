// What the transfer-dialog tests share: the real program offscreen on a
// temporary store and folder, with qb41-radio-sim on a pseudo-terminal at the
// far end, and a Driver for the modal windows: a short timer that answers every
// message box (recording what it said), rejects file dialogs, and runs the
// test's script steps against the modal window on top.
#pragma once

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

// One test program includes this once.
namespace transfer_test {

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

} // namespace transfer_test

using namespace transfer_test;
