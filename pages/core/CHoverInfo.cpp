#include "pages/core/CHoverInfo.h"

#include "model/RegisterCatalogue.h"
#include "pages/core/PageText.h"

using Page::ControlId;
using Page::Row;

CHoverInfo::CHoverInfo(std::span<const Row> rows, Page::Picture defaultPicture, const RegisterCatalogue& catalogue,
                       IPageHost& host, const IPageControls& controls)
    : m_rows(rows), m_defaultPicture(defaultPicture), m_catalogue(catalogue), m_host(host), m_controls(controls)
{
}

std::string CHoverInfo::text(uint32_t code) const
{
    if (code == 0)
        return {};
    const uint32_t address = code % 10000;
    const uint16_t value = m_catalogue.Holding(static_cast<uint16_t>(address)).value;
    std::string name;
    const Row* named = nullptr;
    for (const Row& row : m_rows)
        if (row.has(Page::Use::Hover) && row.hoverCode() == code && row.hoverName)
            named = &row;
    if (named)
        name = named->hoverName;
    else if (code < 10000)
        name = RegisterKeyName(address);
    return PageText::RegisterInfo(address, value, name);
}

bool CHoverInfo::hoverAt(int x, int y)
{
    uint32_t code = 0;
    ControlId hovered = Page::kNoControl;
    for (const Row& row : m_rows) {
        if (!row.has(Page::Use::Hover) || m_controls.kind(row.id) == Page::ControlKind::Missing)
            continue;
        PageRect label;
        PageRect control;
        if (!m_controls.hoverRects(row.id, &label, &control))
            continue;
        if (label.contains(x, y) || control.contains(x, y)) {
            code = row.hoverCode();
            hovered = row.id;
        }
    }
    return setHovered(code, hovered);
}

bool CHoverInfo::hoverNone()
{
    return setHovered(0, Page::kNoControl);
}

bool CHoverInfo::setHovered(uint32_t code, ControlId control)
{
    m_hoveredCode = code;
    const std::string info = text(code);
    if (info != m_lastInfo) {
        m_lastInfo = info;
        m_host.setRegisterInfo(info);
    }
    const bool changed = control != m_hoveredControl;
    m_hoveredControl = control;
    return changed;
}

Page::PictureMark CHoverInfo::currentMark() const
{
    Page::PictureMark mark;
    mark.picture = m_defaultPicture;
    if (m_hoveredControl == Page::kNoControl)
        return mark;
    for (const Row& row : m_rows) {
        if (row.id != m_hoveredControl || !row.mark.any())
            continue;
        mark = row.mark;
        if (mark.picture == Page::Picture::None)
            mark.picture = m_defaultPicture;
        break;
    }
    return mark;
}
