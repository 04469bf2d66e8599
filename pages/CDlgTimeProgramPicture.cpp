#include "pages/CDlgTimeProgramPicture.h"

#include "pages/core/PageValues.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

namespace {

// The unit's screen colours.
const QColor kBackground(0xf3, 0xf6, 0xf9);
const QColor kBar(0xdf, 0xe7, 0xee);
const QColor kText(0x1d, 0x29, 0x35);
const QColor kAccent(0x1f, 0x6f, 0xb2);
const QColor kMuted(0x5b, 0x6b, 0x7a);
const QColor kOff(0x9a, 0xa7, 0xb3);
const QColor kBadge(0xe8, 0xee, 0xf4);
const QColor kWarning(0xa0, 0x40, 0x00);

constexpr const char* kDayNames[] = {"Mo", "Tu", "We", "Th", "Fr", "Sa", "Su"};

QFont Font(const QFont& base, int pixels, bool bold)
{
    QFont f = base;
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

// Text in a box, elided at the right when it does not fit.
void Text(QPainter& p, const QRect& box, int flags, const QString& text)
{
    p.drawText(box, flags, QFontMetrics(p.font()).elidedText(text, Qt::ElideRight, box.width()));
}

} // namespace

CDlgTimeProgramPicture::CDlgTimeProgramPicture(QSize size, QWidget* parent) : CPicturePanel(size, parent)
{
}

void CDlgTimeProgramPicture::setScreen(const TimeProgramScreen& screen)
{
    if (screen == m_screen)
        return;
    m_screen = screen;
    update();
}

void CDlgTimeProgramPicture::paintPicture(QPainter& p, const QRect& area)
{
    const TimeProgramScreen& s = m_screen;
    const QFont base = font();
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.translate(area.topLeft());
    p.scale(area.width() / double(kCanvas.width()), area.height() / double(kCanvas.height()));
    p.fillRect(QRect(QPoint(0, 0), kCanvas), kBackground);

    // Top bar: the program's name and its on/off switch.
    p.fillRect(QRect(0, 0, 320, 38), kBar);
    p.setPen(kText);
    p.setFont(Font(base, 17, false));
    Text(p, QRect(8, 0, 236, 38), Qt::AlignLeft | Qt::AlignVCenter, QString::fromStdString(s.title));
    p.setPen(Qt::NoPen);
    p.setBrush(s.active ? kAccent : kOff);
    p.drawRoundedRect(QRectF(252, 8, 56, 22), 11, 11);
    p.setBrush(kBackground);
    p.drawEllipse(QPointF(s.active ? 297 : 263, 19), 8, 8);
    p.setPen(kBackground);
    p.setFont(Font(base, 11, true));
    p.drawText(QRect(s.active ? 256 : 272, 8, 32, 22), Qt::AlignCenter,
               s.active ? QStringLiteral("ON") : QStringLiteral("OFF"));

    // The weekdays: chosen ones filled.
    p.setFont(Font(base, 13, true));
    for (std::size_t d = 0; d < s.days.size(); ++d) {
        const QRectF box(9 + 44 * static_cast<int>(d), 48, 38, 26);
        if (s.days[d]) {
            p.setPen(Qt::NoPen);
            p.setBrush(kAccent);
            p.drawRoundedRect(box, 5, 5);
            p.setPen(kBackground);
        } else {
            p.setPen(QPen(kAccent, 2));
            p.setBrush(Qt::NoBrush);
            p.drawRoundedRect(box.adjusted(1, 1, -1, -1), 5, 5);
        }
        p.drawText(box, Qt::AlignCenter, QString::fromLatin1(kDayNames[d]));
    }

    // The event time beside a clock; a program that is off shows it muted.
    p.setPen(QPen(kMuted, 3));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(36, 119), 18, 18);
    p.drawPolyline(QPolygonF({QPointF(36, 107), QPointF(36, 119), QPointF(45, 119)}));
    const QString time = QString::fromStdString(s.time);
    const qsizetype colon = time.indexOf(QLatin1Char(':'));
    p.setPen(s.active ? kText : kOff);
    p.setFont(Font(base, 58, true));
    p.drawText(QRect(60, 84, 90, 66), Qt::AlignRight | Qt::AlignVCenter, time.left(colon));
    p.drawText(QRect(170, 84, 100, 66), Qt::AlignLeft | Qt::AlignVCenter, time.mid(colon + 1));
    p.setFont(Font(base, 50, true));
    p.drawText(QRect(150, 80, 20, 66), Qt::AlignCenter, QStringLiteral(":"));
    p.setPen(QPen(kBar, 2));
    p.drawLine(0, 152, 320, 152);

    // The register written, named, and the value it gets in its own form.
    const bool known = s.registerName != PageValues::kNoSuchRegister;
    p.setFont(Font(base, 11, false));
    p.setPen(known ? kMuted : kWarning);
    Text(p, QRect(12, 156, 124, 15), Qt::AlignLeft | Qt::AlignVCenter, QString::fromStdString(s.registerName));
    p.setPen(kMuted);
    Text(p, QRect(176, 156, 136, 15), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("New value"));
    p.setPen(kText);
    p.setFont(Font(base, 20, true));
    Text(p, QRect(12, 172, 124, 26), Qt::AlignLeft | Qt::AlignVCenter, QString::fromStdString(s.address));
    Text(p, QRect(176, 172, 140, 26), Qt::AlignLeft | Qt::AlignVCenter, QString::fromStdString(s.value));
    p.setPen(QPen(kAccent, 3));
    p.drawPolyline(QPolygonF({QPointF(140, 178), QPointF(164, 178)}));
    p.drawPolyline(QPolygonF({QPointF(156, 171), QPointF(164, 178), QPointF(156, 185)}));
    p.setPen(QPen(kBar, 2));
    p.drawLine(0, 200, 320, 200);

    // The scene badge, on units that have scenes.
    if (s.scenes) {
        p.setFont(Font(base, 13, true));
        const QString scene = QString::fromStdString(s.scene);
        const int width = QFontMetrics(p.font()).horizontalAdvance(scene) + 28;
        const QRectF badge(10, 208, qMax(108, width), 24);
        p.setPen(QPen(kAccent, 2));
        p.setBrush(kBadge);
        p.drawRoundedRect(badge, 12, 12);
        p.setPen(kAccent);
        p.drawText(badge, Qt::AlignCenter, scene);
    }
    p.restore();
}
