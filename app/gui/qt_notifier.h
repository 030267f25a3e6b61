// The window's notifier: every message and question as a modal message box
// with the icon, buttons and title it asks for. Return presses the first
// button; Esc answers Cancel, or No in a Yes/No box.
//
// Threads: ask() may be called from any thread. Off the UI thread it hands the
// message to the UI thread, blocks the caller until the box is answered and
// returns that answer; the UI thread must not be waiting for the caller
// meanwhile (a worker's run is awaited through signals, never by a blocking
// wait on the UI thread).
//
// When the environment variable QB41_MESSAGE_LOG names a file, each box
// appends "shown\t<icon>\t<title>\t<text>" when it appears and
// "answer\t<button text>" when it closes (CR LF written as \n), flushed at once.
#pragma once

#include "core/notifier.h"

#include <QObject>
#include <QString>

class QWidget;

namespace qb41::gui {

class QtNotifier : public QObject, public Notifier {
    Q_OBJECT
public:
    explicit QtNotifier(QObject* parent = nullptr);
    MessageAnswer ask(const Message& message) override;
    // The window message boxes are centred on.
    void setParentWidget(QWidget* widget) { parentWidget_ = widget; }

private:
    MessageAnswer askOnUiThread(const Message& message);
    void logLine(const QString& line) const;

    QWidget* parentWidget_ = nullptr;
    QString logPath_;
};

QString IconName(MessageIcon icon);

} // namespace qb41::gui
