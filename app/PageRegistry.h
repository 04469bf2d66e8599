// The pages of the main window, one row each: the page's identity, its tab
// caption and image, how it is made (its core logic, from which the page
// framework builds the whole page, or a Qt page of its own), whether selecting its tab reads the
// unit, for which device types it shows, and its place in the tab order at
// start-up and after a unit was identified. A new page is added here and
// nowhere else: a page of plain fields is its rows (a Page::Description)
// and one row here.
//
// The COM-Interface page is the window's own (it drives the window's
// connection that every other page reaches the unit through), so its row
// has no factory; a page that is not built yet shows as a placeholder with
// its caption.
//
// Thread rules: user-interface thread only.
#pragma once

#include "pages/core/PageContext.h"
#include "pages/core/CPageEngine.h"

#include <span>
#include <vector>

class QWidget;

enum class PageId : int
{
    Interface,
    Update,
    Modbus,
    BACnet,
    Common,
    Sensors,
    RoomClimate,
    Inputs,
    SunProtect,
    Light,
    Controller,
    Tiles,
    TimeProgram,
    ReMa,
    Count
};

struct PageEntry
{
    PageId id = PageId::Count;
    const char* caption = "";
    int image = 0; // index into the tab image strip
    // The page's logic; the framework builds the page from its rows
    // (CPageEngine::Make<Logic>, or CPageEngine::Plain<&Describe> for a page
    // with no rules of its own).
    CPageEngine::Factory logic = nullptr;
    // A page with a Qt side of its own. Neither: the window's own page, or
    // a placeholder.
    QWidget* (*create)(const PageContext& context, QWidget* parent) = nullptr;
    // Selecting the tab reads the unit; the busy overlay covers it.
    bool readsOnActivation = false;
    // Shown for device types from this on.
    int minDeviceType = -1;
    // The protocol tab: 0 Modbus, 1 BACnet (by holding 2045); -1 any other page.
    int protocol = -1;
    // Place in the tab order at start-up, and once a unit's device type is known.
    int startupPlace = 0;
    int unitPlace = 0;
};

namespace PageRegistry {

std::span<const PageEntry> Entries();
const PageEntry& Of(PageId id);

// The pages in tab order: at start-up (no device type: every page) or for a
// device type; protocol picks the Modbus (0) or BACnet (1) test page.
std::vector<PageId> TabOrder(bool startup, int deviceType, int protocol);

// Makes the page of a row (a placeholder when the page is not built yet);
// never the COM-Interface page. parent: the tab control.
QWidget* Create(PageId id, const PageContext& context, QWidget* parent);

} // namespace PageRegistry
