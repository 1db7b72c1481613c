#include "appicon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace morv {

namespace {

QPixmap emblem(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    // The frame's blue and the indicator's green: the two colours the examinee sees most.
    painter.setPen(QPen(QColor(32, 32, 96), s / 16.0));
    painter.setBrush(QColor(128, 128, 255));
    painter.drawRoundedRect(QRectF(s / 32.0, s / 32.0, s - s / 16.0, s - s / 16.0), s / 8.0, s / 8.0);
    QPainterPath check;
    check.moveTo(s * 0.22, s * 0.52);
    check.lineTo(s * 0.42, s * 0.74);
    check.lineTo(s * 0.80, s * 0.26);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(0, 200, 0), s * 0.14, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(check);
    return pixmap;
}

} // namespace

QIcon programIcon()
{
    QIcon icon;
    icon.addPixmap(emblem(32));
    icon.addPixmap(emblem(16));
    return icon;
}

} // namespace morv
