// The latency benchmarks type one key at a time on an idle line: at 600 baud a frame takes about
// 150 ms on the wire, and what the line cannot carry yet waits in the program, so keys typed
// back to back would measure the line, not the program.
#pragma once

#include "platform/SerialPortService.h"

#include <QEventLoop>
#include <QTimer>

// Sleeps until the port has nothing left to send (at most five seconds).
inline void WaitForIdleLine(SerialPortService& port)
{
    if (port.outputQueue().bytes == 0)
        return;
    QEventLoop loop;
    QObject::connect(&port, &SerialPortService::outputQueueChanged, &loop, [&loop](const SerialPortService::Queue& q) {
        if (q.bytes == 0)
            loop.quit();
    });
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    loop.exec();
}
