#include "HandsetWindow.h"

#include "Handset.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
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
    layout->addLayout(createSenders());
    resize(300, 420);

    connect(&handset, &Handset::eventDecoded, this, [this](const WireEvent& event) {
        if (event.type == WireEvent::Type::Key)
            showScreen();
        log_->appendPlainText(QStringLiteral("        %1").arg(event.describe()));
    });
    connect(&handset, &Handset::bytesReceived, this, &HandsetWindow::logBytes);
    showScreen();
}

QLayout* HandsetWindow::createSenders()
{
    auto* grid = new QGridLayout;
    const auto button = [this](const QString& caption, auto&& action) {
        auto* b = new QPushButton(caption, this);
        connect(b, &QPushButton::clicked, this, action);
        return b;
    };
    auto* level = new QSpinBox(this);
    level->setRange(0, 15);
    level->setValue(15);
    grid->addWidget(level, 0, 0);
    grid->addWidget(button(QStringLiteral("電波"), [this, level] { handset_.sendSignalLevel(level->value()); }), 0, 1);
    grid->addWidget(button(QStringLiteral("圏外"), [this] { handset_.sendServiceArea(false); }), 0, 2);
    grid->addWidget(button(QStringLiteral("圏内"), [this] { handset_.sendServiceArea(true); }), 0, 3);
    auto* charge = new QSpinBox(this);
    charge->setRange(0, 999999);
    charge->setValue(30);
    grid->addWidget(charge, 1, 0);
    grid->addWidget(button(QStringLiteral("料金"), [this, charge] { handset_.sendCallCharge(charge->value()); }), 1, 1);
    grid->addWidget(button(QStringLiteral("着信"), [this] { handset_.sendIncomingCall(); }), 1, 2);
    auto* raw = new QLineEdit(this);
    raw->setPlaceholderText(QStringLiteral("C3 81 …"));
    grid->addWidget(raw, 2, 0, 1, 3);
    grid->addWidget(button(QStringLiteral("送信"), [this, raw] { handset_.send(QByteArray::fromHex(raw->text().toLatin1())); }), 2, 3);

    auto* number = new QLineEdit(handset_.number(), this);
    number->setPlaceholderText(QStringLiteral("番号"));
    connect(number, &QLineEdit::textChanged, this, [this](const QString& t) { handset_.setNumber(t); });
    auto* serial = new QLineEdit(handset_.serial(), this);
    serial->setPlaceholderText(QStringLiteral("製造番号"));
    connect(serial, &QLineEdit::textChanged, this, [this](const QString& t) { handset_.setSerial(t); });
    grid->addWidget(number, 3, 0, 1, 2);
    grid->addWidget(serial, 3, 2, 1, 2);

    // The next replies go wrong as ticked.
    auto* slow = new QCheckBox(QStringLiteral("遅延 3秒"), this);
    auto* cut = new QCheckBox(QStringLiteral("途中まで"), this);
    auto* garble = new QCheckBox(QStringLiteral("化け"), this);
    auto* vanish = new QCheckBox(QStringLiteral("途中で切断"), this);
    const auto apply = [this, slow, cut, garble, vanish] {
        Handset::ReplyFaults faults;
        faults.delayMs = slow->isChecked() ? 3000 : 0;
        faults.cutAfter = cut->isChecked() ? 5 : -1;
        faults.garble = garble->isChecked();
        faults.vanishAfter = vanish->isChecked() ? 5 : -1;
        handset_.setReplyFaults(faults);
    };
    int column = 0;
    for (QCheckBox* box : {slow, cut, garble, vanish}) {
        connect(box, &QCheckBox::toggled, this, apply);
        grid->addWidget(box, 4, column++);
    }
    return grid;
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
