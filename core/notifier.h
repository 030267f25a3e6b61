// Every message QB41 shows and every question it asks goes through a Notifier:
// the GUI shows a message box, the command-line tool prints to stderr, tests
// record the messages and answer from a script.
#pragma once

#include <deque>
#include <string>
#include <vector>

namespace qb41 {

enum class MessageIcon { None, Critical, Question, Warning, Information };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MessageAnswer { Ok, Cancel, Yes, No };

struct Message {
    MessageIcon icon = MessageIcon::None;
    std::string title;
    std::string text;
    MessageButtons buttons = MessageButtons::Ok;

    bool operator==(const Message&) const = default;
};

class Notifier {
public:
    virtual ~Notifier() = default;
    // Shows the message and returns the button chosen.
    virtual MessageAnswer ask(const Message& message) = 0;
    // A message with an OK button only.
    void show(MessageIcon icon, const std::string& title, const std::string& text) {
        ask(Message{icon, title, text, MessageButtons::Ok});
    }
};

// Records every message; answers questions from a queue, then with the first
// button's answer (OK or Yes).
class RecordingNotifier : public Notifier {
public:
    MessageAnswer ask(const Message& message) override;

    std::vector<Message> messages;
    std::deque<MessageAnswer> answers;
};

} // namespace qb41
