// The window's notifier: every message and question as a modal message box
// with the icon, buttons and title it asks for. Return presses the first
// button; Esc answers Cancel, or No in a Yes/No box.
//
// Threads: ask() may be called from any thread. Off the UI thread it puts the
// message in a queue of questions under the notifier's own mutex, wakes the
// UI thread with a queued call that carries nothing, and blocks the caller on
// a condition variable until the UI thread has shown the box and stored the
// answer; the UI thread must not be waiting for the caller meanwhile (a
// worker's run is awaited through signals, never by a blocking wait on the UI
// thread).
//
// When the environment variable QB41_MESSAGE_LOG names a file, each box
// appends "shown\t<icon>\t<title>\t<text>" when it appears and
// "answer\t<button text>" when it closes (CR LF written as \n), flushed at once.
#pragma once

#include "core/notifier.h"

#include <QObject>
#include <QString>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>

class QWidget;

namespace qb41::gui {

class QtNotifier : public QObject, public Notifier {
    Q_OBJECT
public:
    explicit QtNotifier(QObject* parent = nullptr);
    MessageAnswer ask(const Message& message) override;
    // The window message boxes are centred on.
    void setParentWidget(QWidget* widget) { parentWidget_ = widget; }

signals:
    // From another thread: a question waits (queued to answerQuestions).
    void questionWaiting(QPrivateSignal);

private:
    struct Question {
        Message message;
        std::optional<MessageAnswer> answer; // set by the UI thread
    };

    MessageAnswer askOnUiThread(const Message& message);
    void answerQuestions();
    void logLine(const QString& line) const;

    QWidget* parentWidget_ = nullptr;
    QString logPath_;
    std::mutex mutex_; // guards questions_ and every Question's answer
    std::condition_variable answered_;
    std::deque<Question*> questions_; // each on its asker's stack until answered
};

QString IconName(MessageIcon icon);

} // namespace qb41::gui
