#include "pane_support.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTabWidget>
#include <QTimer>

#include <algorithm>

namespace qb41::gui {

// ---- Restricted boxes -------------------------------------------------------

RuleValidator::RuleValidator(editor::TextBox box, QObject* parent)
    : QValidator(parent), box_(box) {}

int RuleValidator::Refused(const QString& text) const {
    int refused = 0;
    for (QChar c : text) {
        // Characters outside Latin-1 never pass a rule.
        if (c.unicode() > 0xFF ||
            !editor::TextAccepted(box_, std::string(1, static_cast<char>(c.unicode()))))
            ++refused;
    }
    return refused;
}

QValidator::State RuleValidator::validate(QString& input, int&) const {
    if (input.size() > editor::RuleFor(box_).maxLength) return Invalid;
    const int refused = Refused(input);
    if (refused == 0) return Acceptable;
    if (refused > baseline_) return Invalid;
    baseline_ = refused;
    return Intermediate;
}

bool RuleValidator::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const QString text = static_cast<QKeyEvent*>(event)->text();
        // Control keys (editing, shortcuts) carry no printable text and pass.
        if (text.size() == 1 && text[0].unicode() >= 0x20 && text[0].unicode() != 0x7F) {
            const QChar c = text[0];
            if (c.unicode() > 0xFF || !editor::KeyAccepted(box_, static_cast<char>(c.unicode())))
                return true;
        }
    }
    return QValidator::eventFilter(watched, event);
}

RuleValidator* RestrictBox(QLineEdit* box, editor::TextBox rule) {
    auto* validator = new RuleValidator(rule, box);
    box->setValidator(validator);
    box->setMaxLength(editor::RuleFor(rule).maxLength);
    box->installEventFilter(validator);
    return validator;
}

void FitBox(QLineEdit* box, int chars, int atLeast) {
    const QFontMetrics metrics = box->fontMetrics();
    const int text =
        chars * std::max(metrics.horizontalAdvance(QLatin1Char('0')), metrics.averageCharWidth());
    // The frame and the text margins of a line edit.
    QStyleOptionFrame option;
    option.initFrom(box);
    option.lineWidth = box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, box);
    const QSize need = box->style()->sizeFromContents(QStyle::CT_LineEdit, &option,
                                                      QSize(text + 4, metrics.height()), box);
    box->setFixedWidth(std::max(atLeast, need.width()));
}

// ---- Connector lines ----------------------------------------------------------

ConnectorLine::ConnectorLine(const QString& name, Qt::Orientation orientation, QWidget* parent)
    : QFrame(parent) {
    setObjectName(name);
    setFrameShape(orientation == Qt::Horizontal ? QFrame::HLine : QFrame::VLine);
    setFrameShadow(QFrame::Plain);
    setMinimumWidth(orientation == Qt::Horizontal ? 16 : 1);
    setActive(false);
}

void ConnectorLine::setActive(bool active) {
    active_ = active;
    QPalette p = palette();
    p.setColor(QPalette::WindowText, active ? QColor(0x00, 0x00, 0x80) : QColor(0xC0, 0xC0, 0xC0));
    setPalette(p);
    update();
}

// ---- Showing values -------------------------------------------------------------

QString Text(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

std::string Std(const QString& text) {
    return text.toLatin1().toStdString();
}

void ShowChoices(QComboBox* combo, const editor::ChoiceList& list) {
    const QSignalBlocker blocker(combo);
    bool same = combo->count() == static_cast<int>(list.entries.size());
    for (int i = 0; same && i < combo->count(); ++i)
        same = combo->itemText(i) == Text(list.entries[static_cast<std::size_t>(i)].text);
    if (!same) {
        combo->clear();
        for (const editor::ChoiceEntry& entry : list.entries) combo->addItem(Text(entry.text));
    }
    combo->setCurrentIndex(list.selected ? *list.selected : -1);
}

void ShowState(QWidget* control, const editor::ControlState& state) {
    control->setVisible(state.visible);
    control->setEnabled(state.enabled);
    control->setToolTip(state.reason.empty() ? FieldTip(control) : Text(state.reason));
}

namespace {
constexpr const char* kFieldTip = "fieldTip";
}

void Describe(QWidget* control, const QString& text) {
    control->setProperty(kFieldTip, text);
    if (control->toolTip().isEmpty()) control->setToolTip(text);
}

QString FieldTip(const QWidget* control) {
    return control->property(kFieldTip).toString();
}

void ShowText(QLineEdit* box, const std::string& text) {
    const QString shown = Text(text);
    if (auto* rule = qobject_cast<RuleValidator*>(const_cast<QValidator*>(box->validator())))
        rule->setShown(shown);
    if (box->text() == shown) return;
    const QSignalBlocker blocker(box);
    box->setText(shown);
}

void BringToFront(QWidget* widget) {
    for (QWidget* w = widget; w->parentWidget() != nullptr; w = w->parentWidget())
        if (auto* stack = qobject_cast<QStackedWidget*>(w->parentWidget()))
            if (auto* tabs = qobject_cast<QTabWidget*>(stack->parentWidget()))
                tabs->setCurrentWidget(w);
}

// ---- PaneKit ----------------------------------------------------------------------

PaneKit::PaneKit(PaneContext& context, QWidget* pane,
                 std::function<void(const editor::EditResult&)> apply)
    : QObject(pane), context_(context), pane_(pane), apply_(std::move(apply)) {}

void PaneKit::hint(QWidget* control, QString hint) {
    hints_[control] = std::move(hint);
    control->installEventFilter(this);
}

void PaneKit::help(QWidget* control, int context) {
    control->setProperty(kHelpContext, context);
}

void PaneKit::checkBox(QLineEdit* box, Commit commit) {
    commits_[box] = std::move(commit);
    box->installEventFilter(this);
    connect(box, &QLineEdit::textEdited, this, [this, box] { pending_ = box; });
}

void PaneKit::show(const Message& message) {
    context_.notifier.ask(message);
}

bool IsPlaceholderText(const QString& text) {
    if (!text.contains(QLatin1Char('-'))) return false;
    for (const QChar ch : text)
        if (ch != QLatin1Char('-') && ch != QLatin1Char('.') && ch != QLatin1Char(' '))
            return false;
    return true;
}

bool PaneKit::commitPending() {
    if (pending_.isNull()) return true;
    return run(pending_.data());
}

bool PaneKit::run(QLineEdit* box) {
    if (checking_) return false; // the message box of a check is up
    auto found = commits_.find(box);
    if (found == commits_.end()) return true;
    checking_ = true;
    const editor::FieldCheck check = found->second(Std(box->text()));
    if (!check.accepted) {
        // A refusal shows its message once: the tree click or command that
        // follows the focus change in the same event asks again silently.
        if (check.message && !refusedJustNow_) show(*check.message);
        refusedJustNow_ = true;
        QTimer::singleShot(0, this, [this] { refusedJustNow_ = false; });
        if (box->isVisible() && box->isEnabled()) {
            box->setFocus(Qt::OtherFocusReason);
        } else {
            // Its tab page went to the back (the focus left with it): bring
            // the page to the front again once the tab change is over.
            QTimer::singleShot(0, box, [box] {
                BringToFront(box);
                box->setFocus(Qt::OtherFocusReason);
            });
        }
        checking_ = false;
        return false;
    }
    pending_ = nullptr;
    ShowText(box, check.boxText);
    checking_ = false;
    apply_(check.result);
    if (check.warning) show(*check.warning); // the value is kept
    return true;
}

bool PaneKit::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        auto found = hints_.find(watched);
        if (found != hints_.end() && context_.setHint) context_.setHint(found->second);
        // A box showing a placeholder ("---.----") has it selected, so typing
        // replaces it; after the click that gave the focus has placed the cursor.
        if (auto* box = qobject_cast<QLineEdit*>(watched); box && IsPlaceholderText(box->text()))
            QTimer::singleShot(0, box, [box] {
                if (box->hasFocus() && IsPlaceholderText(box->text())) box->selectAll();
            });
    } else if (event->type() == QEvent::FocusOut && watched == pending_.data()) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        const QWidget* next = QApplication::focusWidget();
        // A move to another control of the window checks the box, and so does
        // the box losing the focus within the window (its tab page going to
        // the back); a message box or menu taking the focus does not.
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason &&
            next != watched && (next == nullptr || next->window() == pane_->window()))
            run(pending_.data());
    }
    return QObject::eventFilter(watched, event);
}

} // namespace qb41::gui
