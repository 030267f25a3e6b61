// Layouts that fit, offscreen: every pane of every model and every dialog at
// the window's start size, with the default font and with a 13 pt one (the
// second ctest entry runs it all again at QT_SCALE_FACTOR=2). Nothing may be
// cut: no label, check box, radio button, push button or group box title has
// text wider (or, on several lines, taller) than itself, and no control lies
// outside the parents that show it. Every control that takes input shows a
// tooltip. The tree is wide enough for its section and channel texts.
#include "application.h"
#include "main_window_measures.h"
#include "qt_settings_store.h"
#include "radio_dialog.h"
#include "report_window.h"

#include "files/data_file_writer.h"
#include "image/defaults.h"

#include <QAbstractScrollArea>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFileDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QStyle>
#include <QStyleOptionGroupBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QTimer>
#include <QToolTip>
#include <QTreeWidget>

#include <fstream>
#include <functional>

using namespace qb41;

namespace {

constexpr QSize kStartSize{gui::kStartWidth, gui::kStartHeight};

QString Name(const QWidget* w) {
    QString name = w->objectName();
    if (name.isEmpty()) name = QString::fromLatin1(w->metaObject()->className());
    return name;
}

// The size a text needs in the widget's font, mnemonics and line breaks honoured.
QSize TextSize(const QWidget* w, const QString& text) {
    return w->fontMetrics().size(Qt::TextShowMnemonic, text);
}

QString NeedsHas(int needWidth, int needHeight, int hasWidth, int hasHeight) {
    return QStringLiteral("needs %1x%2, has %3x%4")
        .arg(needWidth)
        .arg(needHeight)
        .arg(hasWidth)
        .arg(hasHeight);
}

QString LabelCut(const QLabel* label) {
    if (label->text().isEmpty()) return {};
    const QRect room = label->contentsRect().adjusted(label->margin(), label->margin(),
                                                      -label->margin(), -label->margin());
    QSize need;
    const bool rich = label->textFormat() == Qt::RichText ||
                      (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(label->text()));
    if (rich) {
        QTextDocument doc;
        doc.setDefaultFont(label->font());
        doc.setDocumentMargin(0);
        doc.setHtml(label->text());
        if (label->wordWrap()) doc.setTextWidth(room.width());
        need = QSize(label->wordWrap() ? 0 : int(doc.idealWidth()), int(doc.size().height()));
    } else if (label->wordWrap()) {
        need = QSize(0, label->heightForWidth(label->width()) - 2 * label->margin());
    } else {
        need = TextSize(label, label->text());
    }
    if (need.width() > room.width() || need.height() > room.height())
        return NeedsHas(need.width(), need.height(), room.width(), room.height());
    return {};
}

QString ButtonCut(const QAbstractButton* button) {
    const QStyle* style = button->style();
    if (button->text().trimmed().isEmpty()) return {};
    int need = TextSize(button, button->text()).width();
    if (qobject_cast<const QCheckBox*>(button))
        need += style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, button) +
                style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, button);
    else if (qobject_cast<const QRadioButton*>(button))
        need += style->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, button) +
                style->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, button);
    else if (qobject_cast<const QPushButton*>(button))
        need += style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button) +
                2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button);
    else
        return {};
    const int height = TextSize(button, button->text()).height();
    if (need > button->width() || height > button->height())
        return NeedsHas(need, height, button->width(), button->height());
    return {};
}

QString GroupTitleCut(const QGroupBox* box) {
    const QStyle* style = box->style();
    if (box->title().isEmpty()) return {};
    QStyleOptionGroupBox option;
    option.initFrom(box);
    option.text = box->title();
    option.lineWidth = 1;
    option.midLineWidth = 0;
    option.textAlignment = box->alignment();
    option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    const QRect title =
        style->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, box);
    const int need = TextSize(box, box->title()).width();
    if (title.width() < need || !box->rect().contains(title))
        return QStringLiteral("title needs %1 at %2, box is %3 wide")
            .arg(need)
            .arg(title.x())
            .arg(box->width());
    return {};
}

QString TabCut(const QTabBar* bar) {
    for (int i = 0; i < bar->count(); ++i) {
        if (!bar->isTabVisible(i)) continue;
        const int need = TextSize(bar, bar->tabText(i)).width();
        if (bar->tabRect(i).width() < need || bar->tabRect(i).right() > bar->width())
            return QStringLiteral("tab \"%1\" needs %2, has %3 of %4")
                .arg(bar->tabText(i))
                .arg(need)
                .arg(bar->tabRect(i).width())
                .arg(bar->width());
    }
    return {};
}

// Where `w` is cut: its text does not fit in it.
QString TextCut(QWidget* w) {
    if (auto* label = qobject_cast<QLabel*>(w)) return LabelCut(label);
    if (auto* button = qobject_cast<QAbstractButton*>(w)) return ButtonCut(button);
    if (auto* box = qobject_cast<QGroupBox*>(w)) return GroupTitleCut(box);
    if (auto* bar = qobject_cast<QTabBar*>(w)) return TabCut(bar);
    return {};
}

QString Text(const QWidget* w) {
    if (auto* label = qobject_cast<const QLabel*>(w)) return label->text();
    if (auto* button = qobject_cast<const QAbstractButton*>(w)) return button->text();
    if (auto* box = qobject_cast<const QGroupBox*>(w)) return box->title();
    return {};
}

bool Checked(const QWidget* w) {
    return qobject_cast<const QLabel*>(w) || qobject_cast<const QAbstractButton*>(w) ||
           qobject_cast<const QGroupBox*>(w) || qobject_cast<const QLineEdit*>(w) ||
           qobject_cast<const QComboBox*>(w) || qobject_cast<const QTabBar*>(w);
}

// The first ancestor below `root` (or root itself) that does not hold the
// whole of `w`; a scroll area's contents may be larger than its view.
QWidget* Clipper(QWidget* w, QWidget* root) {
    for (QWidget* parent = w->parentWidget(); parent != nullptr; parent = parent->parentWidget()) {
        if (qobject_cast<QAbstractScrollArea*>(parent->parentWidget())) return nullptr;
        const QRect inParent(w->mapTo(parent, QPoint(0, 0)), w->size());
        if (!parent->rect().contains(inParent)) return parent;
        if (parent == root) break;
    }
    return nullptr;
}

// Every cut among the widgets `root` shows, one line each.
QStringList Cuts(QWidget* root, const QString& where) {
    QStringList cuts;
    QList<QWidget*> widgets = root->findChildren<QWidget*>();
    widgets.prepend(root);
    for (QWidget* w : widgets) {
        if (!w->isVisibleTo(root->window()) || !Checked(w) || (w != root && w->isWindow()))
            continue;
        // The status bar's hint panel shows the texts of the focused control.
        if (w->objectName() == QLatin1String("sbStatusBar_Panel_1")) continue;
        const QString cut = TextCut(w);
        if (!cut.isEmpty())
            cuts << QStringLiteral("%1: %2 \"%3\" %4").arg(where, Name(w), Text(w), cut);
        // A label without text is a picture or a bar that may slide out of view.
        auto* label = qobject_cast<QLabel*>(w);
        if (w != root && !(label && label->text().isEmpty()))
            if (QWidget* clipper = Clipper(w, root))
                cuts << QStringLiteral("%1: %2 \"%3\" at %4,%5 %6x%7 lies outside %8 (%9x%10)")
                            .arg(where, Name(w), Text(w))
                            .arg(w->mapTo(clipper, QPoint(0, 0)).x())
                            .arg(w->mapTo(clipper, QPoint(0, 0)).y())
                            .arg(w->width())
                            .arg(w->height())
                            .arg(Name(clipper))
                            .arg(clipper->width())
                            .arg(clipper->height());
    }
    return cuts;
}

// The list columns whose heading or rows in view are wider than the column.
QStringList GridCuts(QWidget* root, const QString& where) {
    QStringList cuts;
    for (QTableView* grid : root->findChildren<QTableView*>()) {
        if (!grid->isVisibleTo(root->window()) || grid->model() == nullptr) continue;
        QHeaderView* header = grid->horizontalHeader();
        for (int c = 0; c < grid->model()->columnCount(); ++c) {
            if (grid->isColumnHidden(c)) continue;
            const int need = std::max(header->sectionSizeHint(c),
                                      static_cast<QAbstractItemView*>(grid)->sizeHintForColumn(c));
            if (need > grid->columnWidth(c))
                cuts << QStringLiteral("%1: column \"%2\" needs %3, has %4")
                            .arg(where, grid->model()->headerData(c, Qt::Horizontal).toString())
                            .arg(need)
                            .arg(grid->columnWidth(c));
        }
    }
    return cuts;
}

// The controls `root` shows that take input and show no tooltip when the
// pointer rests on them.
QStringList Untipped(QWidget* root, const QString& where) {
    QStringList missing;
    // Showing a tip may delete the label of the one before, a child of the
    // control it was shown for: the list holds guarded pointers.
    QList<QPointer<QWidget>> children;
    for (QWidget* w : root->findChildren<QWidget*>()) children << w;
    for (const QPointer<QWidget>& child : children) {
        QWidget* w = child.data();
        if (w == nullptr || w->inherits("QTipLabel") || !w->isVisibleTo(root->window())) continue;
        auto* box = qobject_cast<QLineEdit*>(w);
        const bool input = (box && !box->isReadOnly()) || qobject_cast<QComboBox*>(w) ||
                           qobject_cast<QAbstractButton*>(w);
        if (!input || qobject_cast<QTabBar*>(w->parentWidget())) continue;
        // A tip shown before: the control's own replaces it (hiding a tip
        // takes a timer, so "nothing shown" cannot be told apart otherwise).
        const QString marker = QStringLiteral("no tip of its own");
        const QPoint at = w->rect().center();
        QToolTip::showText(w->mapToGlobal(at), marker, w);
        QHelpEvent event(QEvent::ToolTip, at, w->mapToGlobal(at));
        QApplication::sendEvent(w, &event);
        if (!QToolTip::isVisible() || QToolTip::text() == marker ||
            QToolTip::text().trimmed().isEmpty())
            missing << QStringLiteral("%1: %2 \"%3\"").arg(where, Name(w), Text(w));
    }
    QToolTip::hideText();
    return missing;
}

// A data set of the model with every bank in the tree, an enabled export
// channel with tones and directory entries.
DataSet Sample(ModelNumber model) {
    DataSet data;
    MakeFreshDataSet(data, model);
    Records& r = data.records;
    for (auto& group : r.UsableGroup) group.Usable = kTrue;
    r.CHEXP[0].Enable = kTrue;
    r.CHEXP[0].CHDisplayL = "P1";
    r.CHEXP[0].Rxfreq = 156.05;
    r.CHUSA[0].Enable = kTrue;
    r.CHUSA[0].ChTag = "HARBOUR";
    r.CHMMSID[0] = {kTrue, "TENDER", "211123456"};
    r.UserMmsi = "2111234560";
    return data;
}

QStringList First(const QStringList& lines, int count = 25) {
    QStringList shown = lines.mid(0, count);
    if (lines.size() > count) shown << QStringLiteral("... %1 more").arg(lines.size() - count);
    return shown;
}

// Every modal window while alive: runs `onTop` on the dialog on top (true
// when it is done with it), answers message boxes with their first button and
// cancels file dialogs.
class ModalWatch {
public:
    explicit ModalWatch(std::function<bool(QDialog&)> onTop) : onTop_(std::move(onTop)) {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
        timer_.start();
    }
    QStringList boxes;

private:
    void poll() {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            boxes << box->text();
            box->buttons().first()->click();
        } else if (auto* files = qobject_cast<QFileDialog*>(modal)) {
            files->reject();
        } else if (auto* dialog = qobject_cast<QDialog*>(modal)) {
            if (!busy_) {
                busy_ = true;
                onTop_(*dialog);
                busy_ = false;
            }
        }
    }
    std::function<bool(QDialog&)> onTop_;
    QTimer timer_;
    bool busy_ = false;
};

} // namespace

class LayoutTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir home_;
    QFont startFont_;

    std::unique_ptr<gui::Application> open(ModelNumber model) {
        const QString file = home_.filePath(QStringLiteral("model%1.dat").arg(model));
        std::ofstream(file.toStdString(), std::ios::binary | std::ios::trunc)
            << FormatDataFile(Sample(model).records, model, '.');
        QFile::remove(home_.filePath("store.ini")); // the start size, no placement kept
        {
            gui::QtSettingsStore store(home_.filePath("store.ini"));
            SaveModelNumber(store, model);
        }
        auto program = std::make_unique<gui::Application>(
            gui::ParseCommandLine({file}), home_.filePath("store.ini"), home_.path().toStdString());
        program->start();
        QApplication::setActiveWindow(&program->window());
        QTest::qWait(1);
        return program;
    }

    void useFont(int points) {
        QFont font = startFont_;
        if (points > 0) font.setPointSize(points);
        QApplication::setFont(font);
    }

    static QTreeWidget* tree(gui::MainWindow& window) {
        return window.findChild<QTreeWidget*>(QStringLiteral("tvTreeView"));
    }

    // The tree texts that do not fit beside their indentation.
    static QStringList TreeCuts(QTreeWidget* tree, const QString& where) {
        QStringList cuts;
        const int margin =
            2 * (tree->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, tree) + 1);
        for (QTreeWidgetItemIterator it(tree); *it; ++it) {
            QTreeWidgetItem* item = *it;
            int depth = 0;
            for (QTreeWidgetItem* p = item->parent(); p != nullptr; p = p->parent()) ++depth;
            const QVariant font = item->data(0, Qt::FontRole);
            const QFontMetrics metrics(font.isValid() ? font.value<QFont>() : tree->font());
            const int need = tree->indentation() * (depth + (tree->rootIsDecorated() ? 1 : 0)) +
                             metrics.horizontalAdvance(item->text(0)) + margin;
            // Names the user gives may be longer: the tree scrolls for them.
            if (depth > 1 && item->text(0).contains(QLatin1Char(':'))) continue;
            if (need > tree->viewport()->width())
                cuts << QStringLiteral("%1: tree \"%2\" needs %3, has %4")
                            .arg(where, item->text(0))
                            .arg(need)
                            .arg(tree->viewport()->width());
        }
        return cuts;
    }

private slots:
    void initTestCase() {
        QVERIFY(home_.isValid());
        startFont_ = QApplication::font();
    }
    void cleanup() { useFont(0); }

    void everyPaneFits_data() {
        QTest::addColumn<int>("model");
        QTest::addColumn<int>("points");
        for (int model = 0; model < 4; ++model)
            for (int points : {0, 13})
                QTest::addRow("model %d, %s", model, points ? "13 pt" : "default font")
                    << model << points;
    }
    void everyPaneFits() {
        QFETCH(int, model);
        QFETCH(int, points);
        useFont(points);
        auto program = open(static_cast<ModelNumber>(model));
        gui::MainWindow& window = program->window();
        QCOMPARE(program->app().modelNumber, model);
        QVERIFY(window.isVisible());
        // The start size is kept where the contents fit in it.
        // The start height is kept; the width grows only as far as the tree
        // and the widest pane need.
        QCOMPARE(window.height(), kStartSize.height());
        QVERIFY(window.width() >= kStartSize.width());
        auto* host = window.findChild<QStackedWidget*>(QStringLiteral("paneHost"));
        QStringList cuts = TreeCuts(tree(window), QStringLiteral("tree"));
        QStringList untipped;
        int visited = 0;
        for (const editor::TreeNode& node : window.session().nodes()) {
            window.session().SelectNode(node.key);
            QWidget* pane = host->currentWidget();
            QCoreApplication::processEvents();
            // No pane scrolls sideways at the start size, unless the screen
            // is too small for the window.
            const bool screenFull =
                window.frameGeometry().width() >= window.screen()->availableGeometry().width();
            if (auto* editor = qobject_cast<gui::EditorPane*>(pane))
                if (editor->neededSize().width() > pane->width() && !screenFull)
                    cuts << QStringLiteral("%1: pane %2 needs %3 wide, has %4")
                                .arg(QString::fromStdString(node.text), pane->objectName())
                                .arg(editor->neededSize().width())
                                .arg(pane->width());
            // Each tab page in front in turn.
            QList<QTabWidget*> tabs = pane->findChildren<QTabWidget*>();
            const int pages = tabs.isEmpty() ? 1 : tabs.first()->count();
            for (int page = 0; page < pages; ++page) {
                if (!tabs.isEmpty()) {
                    if (!tabs.first()->isTabVisible(page)) continue;
                    tabs.first()->setCurrentIndex(page);
                    QCoreApplication::processEvents();
                }
                const QString where =
                    QStringLiteral("%1/%2").arg(QString::fromStdString(node.text)).arg(page);
                cuts << Cuts(pane, where) << GridCuts(pane, where);
                untipped << Untipped(pane, where);
                ++visited;
            }
            if (!tabs.isEmpty()) tabs.first()->setCurrentIndex(0);
        }
        cuts.removeDuplicates();
        untipped.removeDuplicates();
        // With the default font the start width grows a little at most.
        if (points == 0)
            QVERIFY2(window.width() <= kStartSize.width() + 60,
                     qPrintable(QString::number(window.width())));
        QVERIFY(visited > 20);
        QVERIFY2(cuts.isEmpty(), qPrintable(First(cuts).join('\n')));
        QVERIFY2(untipped.isEmpty(), qPrintable(First(untipped).join('\n')));
    }

    void everyDialogFits_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("points");
        for (const char* action : {"mnuTransferRead", "mnuTransferProgram", "mnuFilePrintToFile",
                                   "mnuOptionsSerialPortOther", "mnuHelpAbout", "cmdFClear"})
            for (int points : {0, 13})
                QTest::addRow("%s, %s", action, points ? "13 pt" : "default font")
                    << QString::fromLatin1(action) << points;
    }
    void everyDialogFits() {
        QFETCH(QString, action);
        QFETCH(int, points);
        useFont(points);
        auto program = open(2);
        gui::MainWindow& window = program->window();
        QStringList cuts;
        QString seen;
        QSize size;
        ModalWatch watch([&](QDialog& dialog) {
            if (auto* report = qobject_cast<gui::ReportWindow*>(&dialog))
                if (!report->textReady()) return false;
            QCoreApplication::processEvents();
            seen = Name(&dialog);
            size = dialog.frameGeometry().size();
            cuts << Cuts(&dialog, seen);
            if (auto* message = dialog.findChild<QLabel*>(QStringLiteral("lblmess")))
                if (!message->text().contains(QStringLiteral("3.Press the [OK] button")))
                    cuts << QStringLiteral("lblmess lacks step 3: ") + message->text();
            dialog.reject();
            return true;
        });
        if (action == QLatin1String("cmdFClear")) {
            window.session().SelectNode("DSC");
            window.findChild<QPushButton*>(action)->click();
        } else {
            window.action(action)->trigger();
        }
        QTRY_VERIFY_WITH_TIMEOUT(!seen.isEmpty(), 5000);
        QVERIFY2(cuts.isEmpty(), qPrintable(First(cuts).join('\n')));
        // A dialog of a fixed size keeps it where its contents fit.
        if (points == 0 && seen == QLatin1String("frmRadio"))
            QCOMPARE(size, QSize(kTransferDialogWidth, kTransferDialogHeight));
        if (points == 0 && seen == QLatin1String("frmPrn"))
            QCOMPARE(size, QSize(gui::kReportWindowWidth, gui::kReportWindowHeight));
    }
};

QTEST_MAIN(LayoutTest)
#include "layout_test.moc"
