// picAntena: the signal picture, 59 × 35 pixels, with its bars from 13 pixels in, 3 pixels a
// level. Drawing works in twips at the screen's logical resolution, like the rest of the window.
#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QWidget>

class AntennaPicture : public QWidget {
    Q_OBJECT
public:
    explicit AntennaPicture(QWidget* parent = nullptr);

    // Removes what was drawn: the picture shows all its bars.
    void clearDrawing();
    // A filled black box between two corners given in twips.
    void drawBlackBox(QPoint fromTwips, QPoint toTwips);
    // Text printed with its top left corner at a point in twips.
    void printText(QPoint atTwips, const QString& text);
    // What start-up and the clear button draw: every bar hidden.
    void drawNoSignal();

    QString printedText() const;
    QList<QRect> blackBoxes() const; // in pixels

    QSize sizeHint() const override { return {59, 35}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPoint toPixels(QPoint twips) const;

    QList<QRect> boxes_;
    QList<QPair<QPoint, QString>> texts_;
};
