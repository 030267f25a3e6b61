#include "qt_notifier.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>

#include <vector>

namespace qb41::gui {

QString IconName(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Critical:
        return QStringLiteral("critical");
    case MessageIcon::Question:
        return QStringLiteral("question");
    case MessageIcon::Warning:
        return QStringLiteral("warning");
    case MessageIcon::Information:
        return QStringLiteral("information");
    case MessageIcon::None:
        break;
    }
    return QStringLiteral("none");
}

namespace {

QMessageBox::Icon BoxIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Critical:
        return QMessageBox::Critical;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

struct Choice {
    QMessageBox::StandardButton button;
    MessageAnswer answer;
};

// The box's buttons in order, the first the default one.
std::vector<Choice> Choices(MessageButtons buttons) {
    switch (buttons) {
    case MessageButtons::Ok:
        return {{QMessageBox::Ok, MessageAnswer::Ok}};
    case MessageButtons::OkCancel:
        return {{QMessageBox::Ok, MessageAnswer::Ok}, {QMessageBox::Cancel, MessageAnswer::Cancel}};
    case MessageButtons::YesNo:
        return {{QMessageBox::Yes, MessageAnswer::Yes}, {QMessageBox::No, MessageAnswer::No}};
    case MessageButtons::YesNoCancel:
        return {{QMessageBox::Yes, MessageAnswer::Yes},
                {QMessageBox::No, MessageAnswer::No},
                {QMessageBox::Cancel, MessageAnswer::Cancel}};
    }
    return {{QMessageBox::Ok, MessageAnswer::Ok}};
}

// Esc answers Cancel, or No in a Yes/No box, or Ok where Ok is all there is.
QMessageBox::StandardButton EscapeButton(MessageButtons buttons) {
    if (buttons == MessageButtons::Ok) return QMessageBox::Ok;
    if (buttons == MessageButtons::YesNo) return QMessageBox::No;
    return QMessageBox::Cancel;
}

} // namespace

QtNotifier::QtNotifier(QObject* parent)
    : QObject(parent), logPath_(qEnvironmentVariable("QB41_MESSAGE_LOG")) {
    connect(this, &QtNotifier::questionWaiting, this, &QtNotifier::answerQuestions,
            Qt::QueuedConnection);
}

MessageAnswer QtNotifier::ask(const Message& message) {
    if (QThread::currentThread() == thread()) return askOnUiThread(message);
    Question question{message, std::nullopt};
    {
        const std::lock_guard lock(mutex_);
        questions_.push_back(&question);
    }
    emit questionWaiting(QPrivateSignal());
    std::unique_lock lock(mutex_);
    answered_.wait(lock, [&question] { return question.answer.has_value(); });
    return *question.answer;
}

// Every waiting question in turn, oldest first. A box runs events, so a
// question that comes meanwhile is shown over it, as a box the UI thread
// opens itself would be.
void QtNotifier::answerQuestions() {
    for (;;) {
        Question* question = nullptr;
        {
            const std::lock_guard lock(mutex_);
            if (questions_.empty()) return;
            question = questions_.front();
            questions_.pop_front();
        }
        MessageAnswer answer = MessageAnswer::Cancel;
        try {
            answer = askOnUiThread(question->message);
        } catch (...) {
            // No box could be shown: the asker gets Cancel rather than waiting forever.
        }
        {
            const std::lock_guard lock(mutex_);
            question->answer = answer;
        }
        answered_.notify_all();
    }
}

void QtNotifier::logLine(const QString& line) const {
    if (logPath_.isEmpty()) return;
    QFile file(logPath_);
    if (!file.open(QIODevice::Append | QIODevice::Text)) return;
    file.write(line.toUtf8());
    file.write("\n");
    file.flush();
}

MessageAnswer QtNotifier::askOnUiThread(const Message& message) {
    QString text = QString::fromStdString(message.text);
    QString logged = text;
    logged.replace(QStringLiteral("\r\n"), QStringLiteral("\\n"));
    logged.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));

    QMessageBox box(parentWidget_);
    box.setWindowTitle(QString::fromStdString(message.title));
    box.setText(text);
    box.setIcon(BoxIcon(message.icon));
    const std::vector<Choice> choices = Choices(message.buttons);
    for (const Choice& choice : choices) box.addButton(choice.button);
    box.setDefaultButton(choices.front().button);
    box.setEscapeButton(EscapeButton(message.buttons));

    logLine(
        QStringLiteral("shown\t%1\t%2\t%3").arg(IconName(message.icon), box.windowTitle(), logged));
    // A busy main window must not keep the box from taking input.
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    box.exec();
    QApplication::restoreOverrideCursor();
    QAbstractButton* clicked = box.clickedButton();
    MessageAnswer answer = choices.back().answer;
    QString clickedText = clicked ? clicked->text() : QString();
    for (const Choice& choice : choices)
        if (clicked == box.button(choice.button)) answer = choice.answer;
    clickedText.remove(QLatin1Char('&'));
    logLine(QStringLiteral("answer\t%1").arg(clickedText));
    return answer;
}

} // namespace qb41::gui
