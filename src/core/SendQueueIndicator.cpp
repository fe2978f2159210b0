#include "SendQueueIndicator.h"

#include "core/LogBox.h"

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

namespace {

constexpr int kWidth = 160;
// A send shorter than this needs no bar: the count alone falls fast enough.
constexpr double kBarSeconds = 2.0;

} // namespace

SendQueueIndicator::SendQueueIndicator(QLineEdit& box, SerialPortService& port, LogBox& log)
    : QWidget(&box), box_(box), port_(port), log_(log)
{
    setObjectName(QStringLiteral("fraSendQueue"));
    setFocusPolicy(Qt::NoFocus);
    lblSendQueue = new QLabel(this);
    lblSendQueue->setObjectName(QStringLiteral("lblSendQueue"));
    lblSendQueue->setGeometry(0, 2, 78, 16);
    lblSendQueue->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QFont small = lblSendQueue->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    lblSendQueue->setFont(small);
    barSendQueue = new QProgressBar(this);
    barSendQueue->setObjectName(QStringLiteral("barSendQueue"));
    barSendQueue->setGeometry(6, 18, 72, 4);
    barSendQueue->setTextVisible(false);
    cmdSendDiscard = new QPushButton(QStringLiteral("送信中止(&Q)"), this);
    cmdSendDiscard->setObjectName(QStringLiteral("cmdSendDiscard"));
    cmdSendDiscard->setFocusPolicy(Qt::NoFocus);
    cmdSendDiscard->setFont(small);
    cmdSendDiscard->setGeometry(80, 1, 78, 22);
    connect(cmdSendDiscard, &QPushButton::clicked, this, &SendQueueIndicator::cmdSendDiscard_Click);
    connect(&port_, &SerialPortService::outputQueueChanged, this, &SendQueueIndicator::showQueue);
    // Whoever dropped them (this button, the power switch, a drain that could not finish).
    connect(&port_, &SerialPortService::outputDropped, this, [this](qint64 frames) {
        log_.prependLine(QStringLiteral("送信を中止しました（%1文字）").arg(frames));
    });
    hide();
}

void SendQueueIndicator::showQueue(const SerialPortService::Queue& queue)
{
    // One frame on the wire is an ordinary keystroke; a second one waiting is a queue.
    if (queue.frames == 0 || (isHidden() && queue.frames < 2)) {
        if (!isHidden()) {
            hide();
            box_.setTextMargins(0, 0, 0, 0);
        }
        total_ = 0;
        return;
    }
    if (isHidden()) {
        setGeometry(box_.width() - kWidth - 2, (box_.height() - 24) / 2, kWidth, 24);
        box_.setTextMargins(0, 0, kWidth, 0);
        show();
    }
    total_ = std::max(total_, queue.frames);
    lblSendQueue->setText(QStringLiteral("送信待ち %1").arg(queue.frames));
    const bool longSend = double(total_) / double(queue.frames) * queue.seconds > kBarSeconds;
    barSendQueue->setVisible(longSend);
    barSendQueue->setRange(0, int(std::min<qint64>(total_, INT_MAX)));
    barSendQueue->setValue(int(std::min<qint64>(total_ - queue.frames, INT_MAX)));
}

void SendQueueIndicator::cmdSendDiscard_Click() { port_.discardOutput(); }
