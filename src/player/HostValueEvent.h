#pragma once
// A host event that carries two integer values, as the program's own messages do; what the
// values mean is said where each event type is declared (HostEvents.h).

#include <QCoreApplication>
#include <QEvent>
#include <cstdint>

namespace player {

class HostValueEvent : public QEvent {
  public:
    HostValueEvent(QEvent::Type type, int64_t first, int64_t second)
        : QEvent(type), first_(first), second_(second) {}

    int64_t First() const { return first_; }
    int64_t Second() const { return second_; }

    // Queues the event for `receiver`; safe from any thread. Nothing without a receiver.
    static void Post(QObject* receiver, QEvent::Type type, int64_t first, int64_t second) {
        if (receiver)
            QCoreApplication::postEvent(receiver, new HostValueEvent(type, first, second));
    }

  private:
    int64_t first_;
    int64_t second_;
};

}  // namespace player
