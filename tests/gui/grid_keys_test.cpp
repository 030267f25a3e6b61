// The list grids from the keyboard, offscreen: Space over selected rows, F2
// and Enter, Ctrl+D, Ctrl+C/Ctrl+V, Ctrl+Z/Ctrl+Y/Ctrl+Shift+Z, Ctrl+F and F3.
#include "application.h"
#include "edit_actions.h"
#include "main_window.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace qb41;

namespace {

// Answers the next modal box or dialog with `answer` and keeps its text.
struct ModalAnswer {
    QString seen;
    QTimer timer;
    explicit ModalAnswer(std::function<QString(QWidget*)> answer) {
        timer.setInterval(10);
        QObject::connect(&timer, &QTimer::timeout, [this, answer] {
            if (QWidget* modal = QApplication::activeModalWidget()) seen = answer(modal);
        });
        timer.start();
    }
};

class GridKeysTest : public QObject {
    Q_OBJECT
    QTemporaryDir home_;
    std::unique_ptr<gui::Application> program_;

    gui::MainWindow& window() { return program_->window(); }
    Records& records() { return program_->data().records; }
    QTableView* showList(const char* key) {
        window().session().ShowSection(key);
        auto* grid = window().findChild<QTableView*>(std::string(key) == "SM" ? "MSFlexGrid2"
                                                                              : "MSFlexGrid1");
        grid->setFocus();
        return grid;
    }
    int column(QTableView* grid, const QString& header) {
        for (int c = 0; c < grid->model()->columnCount(); ++c)
            if (grid->model()->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString() == header)
                return c;
        return -1;
    }
    int rowOf(QTableView* grid, const QString& channel) {
        for (int r = 0; r < grid->model()->rowCount(); ++r)
            if (grid->model()->index(r, 0).data().toString() == channel) return r;
        return -1;
    }
    void selectRows(QTableView* grid, int first, int last, int currentColumn) {
        grid->setCurrentIndex(grid->model()->index(first, currentColumn));
        QItemSelection selection(grid->model()->index(first, 0),
                                 grid->model()->index(last, grid->model()->columnCount() - 1));
        grid->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    }
    QString undoText() { return window().action("mnuEditUndo")->text(); }

private slots:
    void init() {
        program_ = std::make_unique<gui::Application>(
            gui::LaunchOptions{}, home_.filePath("store.ini"), home_.path().toStdString());
        program_->start();
        window().show();
        QApplication::setActiveWindow(&window());
        QVERIFY(QTest::qWaitForWindowActive(&window()));
    }
    void cleanup() { program_.reset(); }

    void spaceTogglesTheSelectedRowsAndUndoRedoFollow() {
        QTableView* grid = showList("PU");
        const int mem = column(grid, "MEM");
        const Records start = records();
        selectRows(grid, 0, 2, mem);
        const bool was = grid->model()->index(0, mem).data().toString() == "On";
        QTest::keyClick(grid, Qt::Key_Space);
        for (int r = 0; r <= 2; ++r)
            QCOMPARE(grid->model()->index(r, mem).data().toString(), was ? "Off" : "On");
        QCOMPARE(undoText(), QStringLiteral("Undo Toggle MEM on 3 rows"));
        QVERIFY(program_->app().dataChanged);
        QTest::keyClick(grid, Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(records() == start);
        QVERIFY(!program_->app().dataChanged);
        QTest::keyClick(grid, Qt::Key_Y, Qt::ControlModifier);
        QVERIFY(!(records() == start));
        QTest::keyClick(grid, Qt::Key_Z, Qt::ControlModifier);
        QTest::keyClick(grid, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(grid->model()->index(1, mem).data().toString(), was ? "Off" : "On");
    }

    void f2TypingAndEnterRenameAndTheMenuSaysSo() {
        QTableView* grid = showList("PU");
        const int row = rowOf(grid, "16");
        QVERIFY(row >= 0);
        grid->setCurrentIndex(grid->model()->index(row, column(grid, "CH Name")));
        QTest::keyClick(grid, Qt::Key_F2);
        QWidget* editor = QApplication::focusWidget();
        QVERIFY(editor && editor != grid);
        QTest::keySequence(editor, QKeySequence::SelectAll);
        QTest::keyClicks(editor, "HARBOR");
        QTest::keyClick(editor, Qt::Key_Return); // the view commits on its next turn
        QTRY_COMPARE(records().CHUSA[32].ChTag, std::string("HARBOR"));
        QCOMPARE(window().session().currentKey(), std::string("PU")); // no jump
        QCOMPARE(undoText(), QStringLiteral("Undo Rename USA 16"));
        // Typing straight into a cell edits it too.
        grid->setFocus();
        QTest::keyClicks(grid, "P");
        auto* typed = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        QVERIFY(typed);
        QCOMPARE(typed->text(), QStringLiteral("P"));
        QTest::keyClick(typed, Qt::Key_Return);
        QTRY_COMPARE(records().CHUSA[32].ChTag, std::string("P"));
        QCOMPARE(undoText(), QStringLiteral("Undo Rename USA 16"));
        QTest::keyClick(grid, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(records().CHUSA[32].ChTag, std::string("HARBOR"));
        // The pane shows what the grid stored.
        window().session().ShowSection("PU32");
        QCOMPARE(window().findChild<QLineEdit*>("txtCTag")->text(), QStringLiteral("HARBOR"));
        // And the grid shows what the pane stores.
        auto* name = window().findChild<QLineEdit*>("txtCTag");
        name->setFocus();
        name->selectAll();
        QTest::keyClicks(name, "DOCK");
        window().session().ShowSection("PU");
        QCOMPARE(grid->model()->index(row, column(grid, "CH Name")).data().toString(),
                 QStringLiteral("DOCK"));
        QCOMPARE(undoText(), QStringLiteral("Undo Rename USA 16"));
        QTest::keyClick(grid, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(grid->model()->index(row, column(grid, "CH Name")).data().toString(),
                 QStringLiteral("HARBOR"));
    }

    void ctrlDFillsDownAndCopyPasteMoveRows() {
        QTableView* grid = showList("PU");
        const int name = column(grid, "CH Name");
        selectRows(grid, 0, 3, name);
        const QString first = grid->model()->index(0, name).data().toString();
        QTest::keyClick(grid, Qt::Key_D, Qt::ControlModifier);
        for (int r = 1; r <= 3; ++r)
            QCOMPARE(grid->model()->index(r, name).data().toString(), first);

        selectRows(grid, 4, 5, 0);
        QTest::keyClick(grid, Qt::Key_C, Qt::ControlModifier);
        QString text = QApplication::clipboard()->text();
        QVERIFY(text.startsWith("CH\tRX[MHz]\tTX[MHz]\tTX\tLOW\tUP\tDUP\tMEM\tKW\tCH Name\r\n"));
        QCOMPARE(text.count("\r\n"), 3);
        const QString oldName = grid->model()->index(4, name).data().toString();
        const int at = text.indexOf("\t" + oldName + "\r\n");
        QVERIFY(at > 0);
        text.replace(at, oldName.size() + 3, "\tPASTED\r\n");
        QApplication::clipboard()->setText(text);
        QTest::keyClick(grid, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(grid->model()->index(4, name).data().toString(), QStringLiteral("PASTED"));
        QCOMPARE(undoText(), QStringLiteral("Undo Paste 1 row"));

        // One bad cell: one message naming row and column, nothing changed.
        const Records before = records();
        QApplication::clipboard()->setText("CH\tCH Name\r\n16\tNAME FAR TOO LONG\r\n");
        ModalAnswer box([](QWidget* modal) {
            auto* message = qobject_cast<QMessageBox*>(modal);
            if (!message) return QString();
            const QString text = message->text();
            message->button(QMessageBox::Ok)->click();
            return text;
        });
        QTest::keyClick(grid, Qt::Key_V, Qt::ControlModifier);
        QTRY_VERIFY(box.seen.startsWith("Row 2, column \"CH Name\": "));
        QVERIFY(records() == before);
    }

    void ctrlFFindsAChannelAndF3TheNext() {
        showList("PU");
        ModalAnswer dialog([](QWidget* modal) {
            auto* input = qobject_cast<QInputDialog*>(modal);
            if (!input) return QString();
            input->setTextValue("21A");
            input->accept();
            return QStringLiteral("asked");
        });
        QTest::keyClick(&window(), Qt::Key_F, Qt::ControlModifier);
        QTRY_COMPARE(dialog.seen, QStringLiteral("asked"));
        dialog.timer.stop();
        QCOMPARE(window().session().currentKey(), std::string("PU"));
        auto* grid = window().findChild<QTableView*>("MSFlexGrid1");
        QCOMPARE(grid->model()->index(grid->currentIndex().row(), 0).data().toString(),
                 QStringLiteral("21A"));
        // The window has the keyboard again once the dialog is gone.
        QApplication::setActiveWindow(&window());
        QVERIFY(QTest::qWaitForWindowActive(&window()));
        QTest::keyClick(grid, Qt::Key_F3);
        QCOMPARE(window().session().currentKey(), std::string("PI"));
        QCOMPARE(grid->model()->index(grid->currentIndex().row(), 0).data().toString(),
                 QStringLiteral("21A"));
    }

    void showAllListsEveryChannelAndIsRemembered() {
        QTableView* grid = showList("PU");
        if (window().action("mnuViewShowAll")->isChecked())
            window().action("mnuViewShowAll")->trigger();
        const int shown = grid->model()->rowCount();
        window().action("mnuViewShowAll")->trigger();
        QCOMPARE(grid->model()->rowCount(), kPlanChannels);
        QVERIFY(shown < kPlanChannels);
        QCOMPARE(column(grid, "ENABLE"), 1);
        // A disabled channel takes only Enable; its other cells look read-only.
        const int row = rowOf(grid, "00A");
        QVERIFY(!(grid->model()->flags(grid->model()->index(row, column(grid, "CH Name"))) &
                  Qt::ItemIsEditable));
        program_.reset();
        init();
        QVERIFY(window().action("mnuViewShowAll")->isChecked());
        window().action("mnuViewShowAll")->trigger();
    }
};

} // namespace

int main(int argc, char** argv) {
    QApplication::setAttribute(Qt::AA_Use96Dpi, true);
    gui::GuardedApplication app(argc, argv);
    GridKeysTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "grid_keys_test.moc"
