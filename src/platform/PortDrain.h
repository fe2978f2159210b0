// Before a port is closed: what was written leaves for the line first, so that no byte goes
// out after the port is given up, at whatever settings the device has then.
#pragma once

#include <QDeadlineTimer>
#include <QtGlobal>

#include <functional>

// Sleeps until `remainingNs()` (how long the rest still takes on the line; it may move bytes
// on as it is asked) reaches 0 and `settleNs` more have passed, or until the deadline: true
// when drained. Events do not run meanwhile, so nothing writes to the port or closes it under
// the drain; the deadline keeps it short.
bool DrainOutput(const std::function<qint64()>& remainingNs, QDeadlineTimer deadline, qint64 settleNs = 0);
