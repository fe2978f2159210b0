// The latency benchmarks type one key at a time on an idle line: at 600 baud a frame takes about
// 150 ms on the wire, and what the line cannot carry yet waits in the program, so keys typed
// back to back would measure the line, not the program.
#pragma once

#include "platform/SerialPortService.h"
#include "platform/SleepingWait.h"

// Sleeps until the port has nothing left to send; false if it still has after five seconds,
// and a figure taken then would time the busy line.
inline bool WaitForIdleLine(SerialPortService& port)
{
    SleepingWait wait;
    QObject::connect(&port, &SerialPortService::outputQueueChanged, &wait, &SleepingWait::wake);
    return wait.until(QDeadlineTimer(5000, Qt::PreciseTimer), [&port] { return port.outputQueue().bytes == 0; });
}
