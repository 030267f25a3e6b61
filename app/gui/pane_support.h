// What every editing pane shares: restricted text boxes (key filter and a
// validator from the same rule), drop-down lists filled from a ChoiceList,
// focus hints for status panel 1, help contexts, connector lines, and the
// guard of the boxes whose text is checked when the user leaves them.
//
// The panes react only to user signals (textEdited, clicked, activated) and
// fill their controls under signal blockers, so showing records never writes
// them; the loading flag the rules test is the second guard.
#pragma once

#include "editor_pane.h"

#include "editor/choice_lists.h"
#include "editor/input_filters.h"
#include "editor/rule_types.h"

#include <QFrame>
#include <QLineEdit>
#include <QPointer>
#include <QValidator>

#include <functional>
#include <map>
#include <string>

class QAbstractButton;
class QComboBox;
class QLabel;

namespace qb41::gui {

// The allowed characters and length of a box: as a validator it covers
// typing, paste and drag-and-drop; installed as an event filter on the box it
// also drops refused keys before they reach it.
//
// A shown text may hold characters the rule refuses (the dashes of "no
// frequency", a name from a hand-edited file). Edits of such a text are
// allowed as long as they add no refused character, so the user can delete
// them; the text shown is the baseline.
class RuleValidator : public QValidator {
    Q_OBJECT
public:
    RuleValidator(editor::TextBox box, QObject* parent);
    void setBox(editor::TextBox box) { box_ = box; }
    editor::TextBox box() const { return box_; }
    void setShown(const QString& text) { baseline_ = Refused(text); }
    State validate(QString& input, int& pos) const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int Refused(const QString& text) const;

    editor::TextBox box_;
    mutable int baseline_ = 0; // refused characters the box may still hold
};

// Makes the box wide enough for `chars` characters in its font (at least
// its former fixed width), so a larger font or scale never cuts its text.
void FitBox(QLineEdit* box, int chars, int atLeast = 0);

// Gives the box its rule (validator, key filter, length limit, focus hint).
RuleValidator* RestrictBox(QLineEdit* box, editor::TextBox rule);

// A thin line joining dependent controls, drawn dark while the control it
// leads to takes input and light grey otherwise.
class ConnectorLine : public QFrame {
    Q_OBJECT
public:
    ConnectorLine(const QString& name, Qt::Orientation orientation, QWidget* parent);
    void setActive(bool active);
    bool active() const { return active_; }

private:
    bool active_ = true;
};

// A short description of what a control sets, shown as its tooltip when no
// help topic covers it and it is not greyed for a reason of its own.
void Describe(QWidget* control, const QString& text);
QString FieldTip(const QWidget* control);

// Shows a list: entries, then the selected one (none when the stored value
// has no entry). The caller holds a signal blocker or listens to activated().
void ShowChoices(QComboBox* combo, const editor::ChoiceList& list);
void ShowState(QWidget* control, const editor::ControlState& state);
// Sets the text unless the box already shows it (keeps the cursor).
void ShowText(QLineEdit* box, const std::string& text);
QString Text(const std::string& text);
// Brings the tab pages holding the widget to the front.
void BringToFront(QWidget* widget);
std::string Std(const QString& text);
// A box text that only stands for "no value": dashes, dots and blanks.
bool IsPlaceholderText(const QString& text);

// Per pane: hints on focus, help contexts, the checked boxes.
class PaneKit : public QObject {
    Q_OBJECT
public:
    // `apply` carries out what an accepted commit asks for (refill, tree).
    PaneKit(PaneContext& context, QWidget* pane,
            std::function<void(const editor::EditResult&)> apply);

    void hint(QWidget* control, QString hint);
    void hint(QWidget* control, std::string_view hint) {
        this->hint(control, Text(std::string(hint)));
    }
    static void help(QWidget* control, int context);

    using Commit = std::function<editor::FieldCheck(const std::string& text)>;
    // A box whose text is committed when the user leaves it after an edit
    // (focus to another control of the window) or when the window asks the
    // pane to validate. A refused text shows its message once, and the focus
    // goes back to the box.
    void checkBox(QLineEdit* box, Commit commit);
    // The box the user edited and has not committed yet.
    QLineEdit* pending() const { return pending_; }
    // Commits the pending box; true when there was none or it was accepted.
    bool commitPending();
    void forgetPending() { pending_ = nullptr; }
    // Shows a message through the notifier.
    void show(const Message& message);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool run(QLineEdit* box);

    PaneContext& context_;
    QWidget* pane_;
    std::function<void(const editor::EditResult&)> apply_;
    std::map<QObject*, QString> hints_;
    std::map<QObject*, Commit> commits_;
    QPointer<QLineEdit> pending_;
    bool checking_ = false;
    bool refusedJustNow_ = false;
};

} // namespace qb41::gui
