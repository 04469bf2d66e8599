#include "link/ui/UnitPicture.h"

#include <QLinearGradient>
#include <QPainter>

QPixmap UnitPicture::Draw(int side, qreal devicePixelRatio)
{
    QPixmap pixmap(qRound(side * devicePixelRatio), qRound(side * devicePixelRatio));
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(side / 100.0, side / 100.0);

    // Wall-mounted housing with a soft shadow.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 40));
    p.drawRoundedRect(QRectF(8, 9, 86, 86), 14, 14);
    QLinearGradient housing(0, 4, 0, 92);
    housing.setColorAt(0, QColor(0xfb, 0xfc, 0xfd));
    housing.setColorAt(1, QColor(0xdc, 0xe1, 0xe7));
    p.setBrush(housing);
    p.setPen(QPen(QColor(0xa9, 0xb2, 0xbd), 1));
    p.drawRoundedRect(QRectF(5, 5, 86, 86), 14, 14);

    // Display.
    QLinearGradient glass(0, 14, 0, 62);
    glass.setColorAt(0, QColor(0x1c, 0x2a, 0x3c));
    glass.setColorAt(1, QColor(0x0e, 0x17, 0x22));
    p.setBrush(glass);
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(15, 15, 66, 46), 5, 5);
    QFont font;
    font.setPixelSize(17);
    font.setBold(true);
    p.setFont(font);
    p.setPen(QColor(0xe8, 0xf3, 0xff));
    p.drawText(QRectF(15, 17, 66, 30), Qt::AlignCenter, QStringLiteral("21.5\u00b0"));
    font.setPixelSize(7);
    font.setBold(false);
    p.setFont(font);
    p.setPen(QColor(0x7f, 0xc4, 0xff));
    p.drawText(QRectF(15, 42, 66, 14), Qt::AlignCenter, QStringLiteral("45 %rH   CO\u2082 620"));

    // Keys.
    const QColor keys[3] = {QColor(0x2f, 0x7b, 0xd8), QColor(0x8a, 0x94, 0xa3), QColor(0xf0, 0x8c, 0x1a)};
    for (int i = 0; i < 3; ++i) {
        p.setPen(QPen(QColor(0xa9, 0xb2, 0xbd), 0.8));
        p.setBrush(Qt::white);
        p.drawRoundedRect(QRectF(17 + i * 22, 68, 18, 14), 4, 4);
        p.setPen(Qt::NoPen);
        p.setBrush(keys[i]);
        p.drawEllipse(QPointF(26 + i * 22, 75), 2.4, 2.4);
    }
    return pixmap;
}
