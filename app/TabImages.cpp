#include "app/TabImages.h"

#include "link/ui/UnitPicture.h"

#include <QPainter>
#include <QPainterPath>
#include <QtMath>

namespace {

const QColor kInk(0x1d, 0x3f, 0x6e);  // outlines
const QColor kBlue(0x2f, 0x7b, 0xd8); // fills
const QColor kTeal(0x1f, 0xa3, 0x8f);
const QColor kOrange(0xf0, 0x8c, 0x1a);
const QColor kYellow(0xf6, 0xc3, 0x1c);
const QColor kRed(0xd9, 0x3b, 0x2b);
const QColor kGrey(0x8a, 0x94, 0xa3);

QPen Pen(const QColor& colour, qreal width = 1.2)
{
    return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void DrawGear(QPainter& p)
{
    QPainterPath gear;
    const QPointF c(8, 8);
    for (int i = 0; i < 16; ++i) {
        const qreal a = i * M_PI / 8;
        const qreal r = (i % 2 == 0) ? 7.2 : 5.4;
        const QPointF q(c.x() + r * qCos(a - M_PI / 16), c.y() + r * qSin(a - M_PI / 16));
        const QPointF s(c.x() + r * qCos(a + M_PI / 16), c.y() + r * qSin(a + M_PI / 16));
        if (i == 0)
            gear.moveTo(q);
        else
            gear.lineTo(q);
        gear.lineTo(s);
    }
    gear.closeSubpath();
    QPainterPath hole;
    hole.addEllipse(c, 2.3, 2.3);
    p.setPen(Pen(kInk, 0.9));
    p.setBrush(kGrey);
    p.drawPath(gear.subtracted(hole));
}

void DrawImage(QPainter& p, int index)
{
    switch (index) {
    case 0: { // serial plug
        QPolygonF shell{{1.5, 4.5}, {14.5, 4.5}, {12.5, 11.5}, {3.5, 11.5}};
        p.setPen(Pen(kInk));
        p.setBrush(kBlue);
        p.drawPolygon(shell);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        for (int i = 0; i < 5; ++i)
            p.drawEllipse(QPointF(3.8 + i * 2.1, 6.8), 0.7, 0.7);
        for (int i = 0; i < 4; ++i)
            p.drawEllipse(QPointF(4.9 + i * 2.1, 9.2), 0.7, 0.7);
        break;
    }
    case 1: { // firmware: chip and down arrow
        p.setPen(Pen(kInk));
        p.setBrush(kGrey);
        p.drawRoundedRect(QRectF(3.5, 7.5, 9, 7), 1, 1);
        for (int i = 0; i < 3; ++i) {
            p.drawLine(QPointF(5.5 + i * 2.5, 14.5), QPointF(5.5 + i * 2.5, 15.5));
        }
        p.setPen(Pen(kTeal, 2));
        p.drawLine(QPointF(8, 0.8), QPointF(8, 6.5));
        p.drawLine(QPointF(5.2, 4), QPointF(8, 6.8));
        p.drawLine(QPointF(10.8, 4), QPointF(8, 6.8));
        break;
    }
    case 2: { // bus with three stations
        p.setPen(Pen(kInk, 1.4));
        p.drawLine(QPointF(1, 12), QPointF(15, 12));
        for (int i = 0; i < 3; ++i) {
            const qreal x = 3 + i * 5;
            p.drawLine(QPointF(x, 8), QPointF(x, 12));
            p.setBrush(i == 1 ? kOrange : kBlue);
            p.drawRect(QRectF(x - 2.2, 3, 4.4, 4.4));
        }
        break;
    }
    case 3:
        DrawGear(p);
        break;
    case 4: { // thermometer
        p.setPen(Pen(kInk));
        p.setBrush(Qt::white);
        p.drawRoundedRect(QRectF(6, 1, 4, 10), 2, 2);
        p.setBrush(kRed);
        p.drawEllipse(QPointF(8, 12.2), 3, 3);
        p.setPen(Qt::NoPen);
        p.drawRect(QRectF(7.1, 5, 1.8, 6.5));
        p.setPen(Pen(kInk, 0.8));
        for (int i = 0; i < 3; ++i)
            p.drawLine(QPointF(10.8, 3 + i * 2.2), QPointF(12.5, 3 + i * 2.2));
        break;
    }
    case 5: { // room climate: drop and air
        QPainterPath drop;
        drop.moveTo(6, 1);
        drop.cubicTo(2, 7, 1.5, 9, 1.5, 10.5);
        drop.arcTo(QRectF(1.5, 6.5, 9, 9), 180, 180);
        drop.cubicTo(10.5, 9, 10, 7, 6, 1);
        p.setPen(Pen(kInk));
        p.setBrush(kBlue);
        p.drawPath(drop);
        p.setPen(Pen(kTeal, 1.4));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(10, 3, 5, 4), 0, 180 * 16);
        p.drawLine(QPointF(10, 5), QPointF(10, 8));
        break;
    }
    case 6: { // inputs: arrow into a box
        p.setPen(Pen(kInk));
        p.setBrush(Qt::white);
        p.drawRoundedRect(QRectF(7.5, 2.5, 7, 11), 1.5, 1.5);
        p.setPen(Pen(kTeal, 2));
        p.drawLine(QPointF(1, 8), QPointF(10.5, 8));
        p.drawLine(QPointF(7.5, 5), QPointF(10.5, 8));
        p.drawLine(QPointF(7.5, 11), QPointF(10.5, 8));
        break;
    }
    case 7: { // sun protect: sun behind blind slats
        p.setPen(Qt::NoPen);
        p.setBrush(kYellow);
        p.drawEllipse(QPointF(5, 5), 3.5, 3.5);
        p.setPen(Pen(kOrange, 1));
        for (int i = 0; i < 8; ++i) {
            const qreal a = i * M_PI / 4;
            p.drawLine(QPointF(5 + 4.3 * qCos(a), 5 + 4.3 * qSin(a)),
                       QPointF(5 + 5.3 * qCos(a), 5 + 5.3 * qSin(a)));
        }
        p.setPen(Pen(kInk, 0.9));
        p.setBrush(kGrey);
        for (int i = 0; i < 4; ++i)
            p.drawRect(QRectF(6.5, 4 + i * 3, 8.5, 2));
        break;
    }
    case 8: { // light bulb
        QPainterPath bulb;
        bulb.addEllipse(QRectF(3, 0.8, 10, 10));
        p.setPen(Pen(kInk));
        p.setBrush(kYellow);
        p.drawPath(bulb);
        p.setBrush(kGrey);
        p.drawRect(QRectF(5.8, 10.5, 4.4, 3.5));
        p.drawLine(QPointF(6.5, 15.2), QPointF(9.5, 15.2));
        p.setPen(Pen(Qt::white, 1));
        p.drawArc(QRectF(5, 3, 5, 5), 100 * 16, 70 * 16);
        break;
    }
    case 9: { // controller: knob with scale
        p.setPen(Pen(kInk, 1));
        for (int i = 0; i <= 6; ++i) {
            const qreal a = M_PI * (0.75 + i * 0.25);
            p.drawLine(QPointF(8 + 6.2 * qCos(a), 8.5 + 6.2 * qSin(a)),
                       QPointF(8 + 7.5 * qCos(a), 8.5 + 7.5 * qSin(a)));
        }
        p.setBrush(kBlue);
        p.drawEllipse(QPointF(8, 8.5), 4.8, 4.8);
        p.setPen(Pen(Qt::white, 1.6));
        p.drawLine(QPointF(8, 8.5), QPointF(10.6, 5.9));
        break;
    }
    case 10: { // tiles
        p.setPen(Pen(kInk, 0.9));
        const QColor fills[4] = {kBlue, kTeal, kOrange, kGrey};
        for (int i = 0; i < 4; ++i) {
            p.setBrush(fills[i]);
            p.drawRoundedRect(QRectF(1.5 + (i % 2) * 7, 1.5 + (i / 2) * 7, 6, 6), 1.2, 1.2);
        }
        break;
    }
    case 11: { // time program: clock
        p.setPen(Pen(kInk));
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(8, 8), 6.8, 6.8);
        p.setPen(Pen(kInk, 1.5));
        p.drawLine(QPointF(8, 8), QPointF(8, 3.8));
        p.setPen(Pen(kRed, 1.5));
        p.drawLine(QPointF(8, 8), QPointF(11, 9.8));
        break;
    }
    case 12: { // register table with a move arrow
        p.setPen(Pen(kInk, 0.9));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(1.5, 1.5, 9, 12));
        for (int i = 0; i < 3; ++i)
            p.drawLine(QPointF(1.5, 4.5 + i * 3), QPointF(10.5, 4.5 + i * 3));
        p.drawLine(QPointF(4.5, 1.5), QPointF(4.5, 13.5));
        p.setPen(Pen(kOrange, 1.8));
        p.drawLine(QPointF(8, 11), QPointF(14.5, 11));
        p.drawLine(QPointF(12.2, 8.7), QPointF(14.5, 11));
        p.drawLine(QPointF(12.2, 13.3), QPointF(14.5, 11));
        break;
    }
    case 13: { // spare: information
        p.setPen(Pen(kInk));
        p.setBrush(kBlue);
        p.drawEllipse(QPointF(8, 8), 6.8, 6.8);
        p.setPen(Pen(Qt::white, 2));
        p.drawPoint(QPointF(8, 4.6));
        p.drawLine(QPointF(8, 7.2), QPointF(8, 11.8));
        break;
    }
    default:
        break;
    }
}

QPixmap Render(int index, int scale)
{
    QPixmap pixmap(TabImages::kSize * scale, TabImages::kSize * scale);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(scale, scale);
    DrawImage(painter, index);
    return pixmap;
}

} // namespace

QIcon TabImages::Icon(int index)
{
    if (index < 0 || index >= kCount)
        return {};
    QIcon icon;
    icon.addPixmap(Render(index, 1));
    icon.addPixmap(Render(index, 2));
    return icon;
}

QIcon TabImages::WindowIcon()
{
    QIcon icon;
    for (int side : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(UnitPicture::Draw(side));
    return icon;
}
