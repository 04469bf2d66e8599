// The register information line and the picture marks of a page or dialog:
// while the mouse is over a control's label or the control itself, the
// information line names the control's register and its value ("%s: %5i"
// with the key name, or "Modbus Adress = %5i - Value = %5i"), and the
// picture panel shows the control's mark. Rows that do not take part in
// hovering (Use::Hover) are passed over.
//
// Thread rules: user-interface thread only.
#pragma once

#include "pages/core/IPageControls.h"
#include "pages/core/IPageHost.h"
#include "pages/core/PageTypes.h"

#include <cstdint>
#include <span>
#include <string>

class RegisterCatalogue;

class CHoverInfo
{
public:
    CHoverInfo(std::span<const Page::Row> rows, Page::Picture defaultPicture, const RegisterCatalogue& catalogue,
               IPageHost& host, const IPageControls& controls);

    // The mouse is at (x, y) in page coordinates: sets the register
    // information line. true when the hovered control changed (the picture
    // panel redraws then). A later row that also holds the point wins.
    bool hoverAt(int x, int y);
    // The mouse left the page.
    bool hoverNone();
    uint32_t hoveredCode() const { return m_hoveredCode; }
    Page::ControlId hoveredControl() const { return m_hoveredControl; }
    // The text of the information line for a register code ("" for 0).
    std::string text(uint32_t code) const;
    // What the picture panel shows now: the hovered control's mark, or the
    // default picture without a frame.
    Page::PictureMark currentMark() const;

private:
    bool setHovered(uint32_t code, Page::ControlId control);

    std::span<const Page::Row> m_rows;
    Page::Picture m_defaultPicture;
    const RegisterCatalogue& m_catalogue;
    IPageHost& m_host;
    const IPageControls& m_controls;
    uint32_t m_hoveredCode = 0;
    Page::ControlId m_hoveredControl = Page::kNoControl;
    std::string m_lastInfo;
};
