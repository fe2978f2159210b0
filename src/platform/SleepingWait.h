// Waits that let the event loop run and sleep until a timer or a signal wakes them,
// measured on a monotonic clock. They never spin.
#pragma once

#include <QDeadlineTimer>
#include <QObject>
#include <functional>

class SleepingWait : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Runs events until `done` holds (true) or the deadline passes (false). `done` is
    // checked first, and again whenever wake() is called or a timer ends the sleep. A program
    // that is quitting ends the wait at once (false).
    bool until(QDeadlineTimer deadline, const std::function<bool()>& done);

public Q_SLOTS:
    void wake();

Q_SIGNALS:
    void woken();
};

// A precise deadline that many seconds from now; 0 or less (or NaN) has passed already.
QDeadlineTimer DeadlineInSeconds(double seconds);

// Returns after at least `seconds`, handling events meanwhile; 0 or less returns at once
// without handling any.
void WaitSeconds(float seconds);
