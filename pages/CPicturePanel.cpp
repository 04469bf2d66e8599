#include "pages/CPicturePanel.h"

#include "pages/core/PictureGeometry.h"

#include <QPainter>
#include <QSvgRenderer>

// The pictures are compiled into the static UI library, whose resource
// initialiser the linker would drop; registering them here keeps them.
static void InitPictureResources()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(pictures);
        return true;
    }();
    (void)done;
}

CPicturePanel::CPicturePanel(QSize size, QWidget* parent)
    : QWidget(parent), m_size(size), m_renderer(std::make_unique<QSvgRenderer>())
{
    InitPictureResources();
    setFixedSize(size);
    setAccessibleName(QStringLiteral("Picture"));
}

CPicturePanel::~CPicturePanel() = default;

void CPicturePanel::setReady(bool ready)
{
    if (m_ready == ready)
        return;
    m_ready = ready;
    update();
}

void CPicturePanel::setMark(const Page::PictureMark& mark)
{
    bool same = mark.picture == m_mark.picture && mark.frameCount == m_mark.frameCount;
    for (int i = 0; same && i < mark.frameCount; ++i) {
        const Page::FramePercent& a = mark.frames[static_cast<std::size_t>(i)];
        const Page::FramePercent& b = m_mark.frames[static_cast<std::size_t>(i)];
        same = a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
    }
    if (mark.picture != m_mark.picture) {
        const QString resource = ResourceOf(mark.picture);
        if (!resource.isEmpty()) {
            // The aspect mode belongs to the loaded document, so it is set
            // again after every load.
            m_renderer->load(resource);
            m_renderer->setAspectRatioMode(Qt::IgnoreAspectRatio);
        }
    }
    m_mark = mark;
    if (!same)
        update();
}

QString CPicturePanel::ResourceOf(Page::Picture picture)
{
    using Page::Picture;
    switch (picture) {
    case Picture::None: return {};
    case Picture::UnitFront: return QStringLiteral(":/pictures/unit_front.svg");
    case Picture::DisplayNormal: return QStringLiteral(":/pictures/display_normal.svg");
    case Picture::DisplayScreenSaver: return QStringLiteral(":/pictures/display_screensaver.svg");
    case Picture::DisplayDark: return QStringLiteral(":/pictures/display_dark.svg");
    case Picture::ScreenTemperature: return QStringLiteral(":/pictures/screen_temperature.svg");
    case Picture::ScreenHumidity: return QStringLiteral(":/pictures/screen_humidity.svg");
    case Picture::ScreenCo2: return QStringLiteral(":/pictures/screen_co2.svg");
    case Picture::ScreenVoc: return QStringLiteral(":/pictures/screen_voc.svg");
    case Picture::ScreenParticulate: return QStringLiteral(":/pictures/screen_particulate.svg");
    case Picture::ScreenPressure: return QStringLiteral(":/pictures/screen_pressure.svg");
    case Picture::RoomTemperature: return QStringLiteral(":/pictures/room_temperature.svg");
    case Picture::RoomPresence: return QStringLiteral(":/pictures/room_presence.svg");
    case Picture::RoomFan: return QStringLiteral(":/pictures/room_fan.svg");
    case Picture::UnitInputs: return QStringLiteral(":/pictures/unit_inputs.svg");
    case Picture::UnitSunProtect: return QStringLiteral(":/pictures/unit_sunprotect.svg");
    case Picture::UnitLight: return QStringLiteral(":/pictures/unit_light.svg");
    // Drawn from the program's fields by the event dialog (CDlgTimeProgramPicture).
    case Picture::ScreenTimeProgram: return {};
    case Picture::CtlPiLoop: return QStringLiteral(":/pictures/ctl_pi_loop.svg");
    case Picture::CtlPiResponse: return QStringLiteral(":/pictures/ctl_pi_response.svg");
    case Picture::CtlOnOff: return QStringLiteral(":/pictures/ctl_onoff.svg");
    case Picture::ValveChart2: return QStringLiteral(":/pictures/valve_2.svg");
    case Picture::ValveChart3: return QStringLiteral(":/pictures/valve_3.svg");
    case Picture::ValveChart4: return QStringLiteral(":/pictures/valve_4.svg");
    case Picture::ValveChart5: return QStringLiteral(":/pictures/valve_5.svg");
    case Picture::ValveChart6: return QStringLiteral(":/pictures/valve_6.svg");
    case Picture::ValveChart7: return QStringLiteral(":/pictures/valve_7.svg");
    case Picture::FanOutput: return QStringLiteral(":/pictures/fan_output.svg");
    case Picture::FanLevels: return QStringLiteral(":/pictures/fan_levels.svg");
    case Picture::FanPiLoop: return QStringLiteral(":/pictures/fan_pi_loop.svg");
    case Picture::FanPiResponse: return QStringLiteral(":/pictures/fan_pi_response.svg");
    case Picture::FanOnOff: return QStringLiteral(":/pictures/fan_onoff.svg");
    }
    return {};
}

PageRect CPicturePanel::pictureRect() const
{
    return PageRect{0, 0, width(), height()};
}

std::vector<PageRect> CPicturePanel::frameRects() const
{
    std::vector<PageRect> rects;
    for (int i = 0; i < m_mark.frameCount; ++i)
        rects.push_back(PictureGeometry::FrameRect(pictureRect(), m_mark.frames[static_cast<std::size_t>(i)]));
    return rects;
}

void CPicturePanel::paintPicture(QPainter& painter, const QRect& area)
{
    // For None the renderer may still hold the last picture; it is not shown.
    if (!ResourceOf(m_mark.picture).isEmpty() && m_renderer->isValid())
        m_renderer->render(&painter, QRectF(area));
}

void CPicturePanel::paintEvent(QPaintEvent*)
{
    if (!m_ready)
        return;
    QPainter painter(this);
    const PageRect r = pictureRect();
    const QRect area(r.left, r.top, r.width(), r.height());
    painter.fillRect(area, palette().color(QPalette::Window));
    paintPicture(painter, area);
    // Each one-pixel frame as four filled edges, so that every pixel lands
    // exactly where the frame's rectangle says.
    const QColor green = QColor::fromRgb(kMarkColour);
    for (const PageRect& frame : frameRects()) {
        for (const PageRect& f : PictureGeometry::NestedFrames(frame)) {
            painter.fillRect(QRect(f.left, f.top, f.width(), 1), green);
            painter.fillRect(QRect(f.left, f.bottom - 1, f.width(), 1), green);
            painter.fillRect(QRect(f.left, f.top, 1, f.height()), green);
            painter.fillRect(QRect(f.right - 1, f.top, 1, f.height()), green);
        }
    }
}
