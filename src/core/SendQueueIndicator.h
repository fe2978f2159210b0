// Beside the typed text, while frames are still on their way to the handset: how many, a
// progress bar for long sends, and a button that drops what has not left yet. Hidden when
// nothing is queued; it never takes the focus and moves no other control.
#pragma once

#include "platform/SerialPortService.h"

#include <QWidget>

class LogBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

class SendQueueIndicator : public QWidget {
    Q_OBJECT
public:
    SendQueueIndicator(QLineEdit& box, SerialPortService& port, LogBox& log);

    void cmdSendDiscard_Click();

    QLabel* lblSendQueue = nullptr;
    QProgressBar* barSendQueue = nullptr;
    QPushButton* cmdSendDiscard = nullptr;

private:
    void showQueue(const SerialPortService::Queue& queue);

    QLineEdit& box_;
    SerialPortService& port_;
    LogBox& log_;
    qint64 total_ = 0;
};
