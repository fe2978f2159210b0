#include "HandsetWindow.h"

#include "Handset.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QVBoxLayout>

namespace phonesim {

HandsetWindow::HandsetWindow(Handset& handset, QWidget* parent) : QWidget(parent), handset_(handset)
{
    setWindowTitle(QStringLiteral("phonesim — 携帯電話"));
    port_ = new QLabel(QStringLiteral("port %1").arg(handset.portPath()), this);
    screen_ = new QPlainTextEdit(this);
    screen_->setObjectName(QStringLiteral("screen"));
    screen_->setReadOnly(true);
    screen_->setStyleSheet(QStringLiteral("QPlainTextEdit { background: #d8e8c8; color: #102010; }"));
    QFont big = screen_->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    screen_->setFont(big);
    log_ = new QPlainTextEdit(this);
    log_->setObjectName(QStringLiteral("byteLog"));
    log_->setReadOnly(true);
    log_->setMaximumBlockCount(2000);
    QFont mono(QStringLiteral("monospace"));
    mono.setStyleHint(QFont::Monospace);
    log_->setFont(mono);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(port_);
    layout->addWidget(new QLabel(QStringLiteral("画面"), this));
    layout->addWidget(screen_, 3);
    layout->addWidget(new QLabel(QStringLiteral("受信したバイト"), this));
    layout->addWidget(log_, 2);
    resize(300, 420);

    connect(&handset, &Handset::eventDecoded, this, [this](const WireEvent& event) {
        if (event.type == WireEvent::Type::Key)
            showScreen();
        log_->appendPlainText(QStringLiteral("        %1").arg(event.describe()));
    });
    connect(&handset, &Handset::bytesReceived, this, &HandsetWindow::logBytes);
    showScreen();
}

void HandsetWindow::showScreen()
{
    screen_->setPlainText(handset_.screen().text());
    QTextCursor cursor(screen_->document()->findBlockByNumber(handset_.screen().cursorLine()));
    cursor.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, handset_.screen().cursorColumn());
    screen_->setTextCursor(cursor);
}

void HandsetWindow::logBytes(const QByteArray& bytes)
{
    const qint64 ns = handset_.byteLog().isEmpty() ? 0 : handset_.byteLog().back().ns;
    log_->appendPlainText(QStringLiteral("%1.%2 %3")
                              .arg(ns / 1'000'000'000)
                              .arg((ns / 1'000'000) % 1000, 3, 10, QLatin1Char('0'))
                              .arg(QString::fromLatin1(bytes.toHex(' ').toUpper())));
}

} // namespace phonesim
