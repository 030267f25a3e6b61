// A queue from one thread to another under a mutex of its own: how the
// transfer worker's reports (progress, steps, the finished run's copies) reach
// the window. The writer posts and, when post() says so, wakes the reader
// (a queued Qt call that carries no data); the reader takes everything posted
// so far. Qt's own locking is not what orders the data: the mutex here is, so
// the hand-off is plain C++ that ThreadSanitizer sees.
#pragma once

#include <mutex>
#include <utility>
#include <vector>

namespace qb41::gui {

template <typename T> class Mailbox {
public:
    // Any thread. True when the box was empty: only then must the reader be
    // woken, a reader woken before takes this item with the others.
    bool post(T item) {
        const std::lock_guard lock(mutex_);
        items_.push_back(std::move(item));
        return items_.size() == 1;
    }

    // Everything posted so far, oldest first; the box is empty afterwards.
    std::vector<T> take() {
        std::vector<T> items;
        const std::lock_guard lock(mutex_);
        items.swap(items_);
        return items;
    }

private:
    std::mutex mutex_;
    std::vector<T> items_;
};

} // namespace qb41::gui
