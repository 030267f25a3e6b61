#include "qt_notifier.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>

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

QtNotifier::QtNotifier(QObject* parent)
    : QObject(parent), logPath_(qEnvironmentVariable("QB41_MESSAGE_LOG")) {}

MessageAnswer QtNotifier::ask(const Message& message) {
    if (QThread::currentThread() == thread()) return askOnUiThread(message);
    MessageAnswer answer = MessageAnswer::Cancel;
    QMetaObject::invokeMethod(
        this, [this, &message, &answer] { answer = askOnUiThread(message); },
        Qt::BlockingQueuedConnection);
    return answer;
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
    switch (message.icon) {
    case MessageIcon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case MessageIcon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case MessageIcon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case MessageIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case MessageIcon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    }
    struct Choice {
        QMessageBox::StandardButton button;
        MessageAnswer answer;
    };
    std::vector<Choice> choices;
    switch (message.buttons) {
    case MessageButtons::Ok:
        choices = {{QMessageBox::Ok, MessageAnswer::Ok}};
        break;
    case MessageButtons::OkCancel:
        choices = {{QMessageBox::Ok, MessageAnswer::Ok},
                   {QMessageBox::Cancel, MessageAnswer::Cancel}};
        break;
    case MessageButtons::YesNo:
        choices = {{QMessageBox::Yes, MessageAnswer::Yes}, {QMessageBox::No, MessageAnswer::No}};
        break;
    case MessageButtons::YesNoCancel:
        choices = {{QMessageBox::Yes, MessageAnswer::Yes},
                   {QMessageBox::No, MessageAnswer::No},
                   {QMessageBox::Cancel, MessageAnswer::Cancel}};
        break;
    }
    for (const Choice& choice : choices) box.addButton(choice.button);
    box.setDefaultButton(choices.front().button);
    if (message.buttons == MessageButtons::Ok)
        box.setEscapeButton(QMessageBox::Ok);
    else if (message.buttons == MessageButtons::YesNo)
        box.setEscapeButton(QMessageBox::No);
    else
        box.setEscapeButton(QMessageBox::Cancel);

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
