#include "notifier.h"

namespace qb41 {

MessageAnswer RecordingNotifier::ask(const Message& message) {
    messages.push_back(message);
    if (!answers.empty()) {
        MessageAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    switch (message.buttons) {
    case MessageButtons::YesNo:
    case MessageButtons::YesNoCancel:
        return MessageAnswer::Yes;
    case MessageButtons::Ok:
    case MessageButtons::OkCancel:
        break;
    }
    return MessageAnswer::Ok;
}

} // namespace qb41
