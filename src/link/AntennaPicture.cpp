#include "AntennaPicture.h"

#include <QPainter>

AntennaPicture::AntennaPicture(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("picAntena"));
    setFixedSize(59, 35);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QPoint AntennaPicture::toPixels(QPoint twips) const
{
    return {int(qRound(twips.x() * logicalDpiX() / 1440.0)), int(qRound(twips.y() * logicalDpiY() / 1440.0))};
}

void AntennaPicture::clearDrawing()
{
    boxes_.clear();
    texts_.clear();
    update();
}

void AntennaPicture::drawBlackBox(QPoint fromTwips, QPoint toTwips)
{
    boxes_.append(QRect(toPixels(fromTwips), toPixels(toTwips)).normalized());
    update();
}

void AntennaPicture::printText(QPoint atTwips, const QString& text)
{
    texts_.append({toPixels(atTwips), text});
    update();
}

void AntennaPicture::drawNoSignal()
{
    clearDrawing();
    drawBlackBox({195, 0}, {945, 585});
}

QString AntennaPicture::printedText() const
{
    QString all;
    for (const auto& text : texts_)
        all += text.second;
    return all;
}

QList<QRect> AntennaPicture::blackBoxes() const { return boxes_; }

void AntennaPicture::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    // The antenna: a mast with a small triangle on top.
    p.setPen(QColor(200, 200, 200));
    p.drawLine(6, 8, 6, 33);
    p.drawLine(2, 4, 6, 10);
    p.drawLine(10, 4, 6, 10);
    p.drawLine(2, 4, 10, 4);
    // Fifteen bars, one per level, growing to the right.
    for (int level = 1; level <= 15; ++level) {
        const int x = 13 + 3 * (level - 1);
        const int h = 4 + 2 * level;
        p.fillRect(x, 34 - h, 2, h, QColor(0, 220, 90));
    }
    for (const QRect& box : boxes_)
        p.fillRect(box, Qt::black);
    p.setPen(Qt::white);
    QFont small = font();
    small.setPixelSize(10);
    p.setFont(small);
    for (const auto& text : texts_)
        p.drawText(QRect(text.first, QSize(width(), 12)), Qt::AlignLeft | Qt::AlignTop, text.second);
}
