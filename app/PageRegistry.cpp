#include "app/PageRegistry.h"

#include "app/CTabPlaceholder.h"
#include "pages/CTabCommon.h"
#include "pages/CPageWidget.h"
#include "pages/CTabController.h"
#include "pages/CTabRoomClimate.h"
#include "pages/CTabSensors.h"
#include "pages/CTabTimeProgram.h"
#include "pages/core/CInputsLogic.h"
#include "pages/core/CLightLogic.h"
#include "pages/core/CSunProtectLogic.h"
#include "pages/core/CTilesLogic.h"
#include "tools/ui/CTabFavorites.h"
#include "tools/ui/CTabBACNet.h"
#include "tools/ui/CTabModbus.h"
#include "update/ui/CTabUpdate.h"

#include <algorithm>

namespace {

template <class Page> QWidget* Make(const PageContext& context, QWidget* parent)
{
    auto* page = new Page(context);
    page->setParent(parent);
    return page;
}

// The register tools' pages take the context's parts one by one (their
// layer does not know the configuration pages' context).
QWidget* MakeFavorites(const PageContext& context, QWidget* parent)
{
    return new CTabFavorites(*context.host, *context.connection, *context.catalogue, parent);
}

// The test pages sit outside the configuration pages' layer and take the
// context's parts one by one.
template <class Page> QWidget* MakeTestPage(const PageContext& context, QWidget* parent)
{
    return new Page(*context.host, *context.connection, context.testLog, parent);
}

// The FW-Update page belongs to the update subsystem, which knows no page context.
QWidget* MakeUpdate(const PageContext& context, QWidget* parent)
{
    return new CTabUpdate(context.host, context.connection, parent);
}

// At start-up the Controller tab comes last; for a device type it follows
// Light. The Controller page shows from the room controllers (1000) on, the
// Tiles page from the units with display tiles (2000) on.
constexpr PageEntry kPages[] = {
    {.id = PageId::Interface, .caption = "COM-Interface", .image = 0, .startupPlace = 0, .unitPlace = 0},
    {.id = PageId::Update, .caption = "FW-Update", .image = 1, .create = MakeUpdate, .startupPlace = 1,
     .unitPlace = 1},
    {.id = PageId::Modbus, .caption = "Modbus", .image = 2, .create = MakeTestPage<CTabModbus>, .protocol = 0,
     .startupPlace = 2, .unitPlace = 2},
    {.id = PageId::BACnet, .caption = "BACnet", .image = 2, .create = MakeTestPage<CTabBACNet>, .protocol = 1,
     .startupPlace = 2, .unitPlace = 2},
    {.id = PageId::Common, .caption = "Common", .image = 3, .create = Make<CTabCommon>, .readsOnActivation = true,
     .startupPlace = 3, .unitPlace = 3},
    {.id = PageId::Sensors, .caption = "Sensors", .image = 4, .create = Make<CTabSensors>, .readsOnActivation = true,
     .startupPlace = 4, .unitPlace = 4},
    {.id = PageId::RoomClimate, .caption = "Room Climate", .image = 5, .create = Make<CTabRoomClimate>,
     .readsOnActivation = true, .startupPlace = 5, .unitPlace = 5},
    {.id = PageId::Inputs, .caption = "Inputs", .image = 6, .logic = CPageEngine::Make<CInputsLogic>,
     .readsOnActivation = true, .startupPlace = 6, .unitPlace = 6},
    {.id = PageId::SunProtect, .caption = "Sun Protect", .image = 7, .logic = CPageEngine::Make<CSunProtectLogic>,
     .readsOnActivation = true, .startupPlace = 7, .unitPlace = 7},
    {.id = PageId::Light, .caption = "Light", .image = 8, .logic = CPageEngine::Make<CLightLogic>,
     .readsOnActivation = true, .startupPlace = 8, .unitPlace = 8},
    {.id = PageId::Controller, .caption = "Controller", .image = 9, .create = Make<CTabController>,
     .readsOnActivation = true,
     .minDeviceType = 1000, .startupPlace = 12, .unitPlace = 9},
    {.id = PageId::Tiles, .caption = "Tiles", .image = 10, .logic = CPageEngine::Make<CTilesLogic>,
     .readsOnActivation = true, .minDeviceType = 2000, .startupPlace = 9, .unitPlace = 10},
    {.id = PageId::TimeProgram, .caption = "Time Program", .image = 11, .create = Make<CTabTimeProgram>,
     .startupPlace = 10, .unitPlace = 11},
    {.id = PageId::ReMa, .caption = "ReMa", .image = 12, .create = MakeFavorites, .startupPlace = 11,
     .unitPlace = 12},
};
static_assert(std::size(kPages) == static_cast<std::size_t>(PageId::Count));

constexpr bool RowsInIdOrder()
{
    for (std::size_t i = 0; i < std::size(kPages); ++i)
        if (kPages[i].id != static_cast<PageId>(i))
            return false;
    return true;
}
static_assert(RowsInIdOrder(), "Of() indexes the rows by id");

} // namespace

namespace PageRegistry {

std::span<const PageEntry> Entries()
{
    return kPages;
}

const PageEntry& Of(PageId id)
{
    return kPages[static_cast<std::size_t>(id)];
}

std::vector<PageId> TabOrder(bool startup, int deviceType, int protocol)
{
    std::vector<const PageEntry*> shown;
    for (const PageEntry& page : kPages) {
        if (page.protocol >= 0 && page.protocol != protocol)
            continue;
        if (!startup && deviceType < page.minDeviceType)
            continue;
        shown.push_back(&page);
    }
    std::stable_sort(shown.begin(), shown.end(), [startup](const PageEntry* a, const PageEntry* b) {
        return startup ? a->startupPlace < b->startupPlace : a->unitPlace < b->unitPlace;
    });
    std::vector<PageId> order;
    for (const PageEntry* page : shown)
        order.push_back(page->id);
    return order;
}

QWidget* Create(PageId id, const PageContext& context, QWidget* parent)
{
    const PageEntry& page = Of(id);
    if (page.logic)
        return new CPageWidget(context, page.logic, parent);
    if (page.create)
        return page.create(context, parent);
    return new CTabPlaceholder(QString::fromLatin1(page.caption), parent);
}

} // namespace PageRegistry
