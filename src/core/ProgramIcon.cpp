#include "core/ProgramIcon.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

QIcon ProgramIcon()
{
    // Drawn here at each size, so that no image plugin has to be installed for it.
    QSvgRenderer picture(QStringLiteral(":/yubisaki/icon.svg"));
    QIcon icon;
    if (!picture.isValid())
        return icon;
    for (const int size : {16, 24, 32, 48, 64, 128}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        picture.render(&painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}
