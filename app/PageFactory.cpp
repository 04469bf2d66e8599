#include "app/PageFactory.h"

#include "app/CTabPlaceholder.h"
#include "pages/CTabCommon.h"
#include "pages/CTabSensors.h"

namespace {
const PageInfo kPages[] = {
    {PageId::Interface, "COM-Interface", 0},
    {PageId::Update, "FW-Update", 1},
    {PageId::Modbus, "Modbus", 2},
    {PageId::BACnet, "BACnet", 2},
    {PageId::Common, "Common", 3},
    {PageId::Sensors, "Sensors", 4},
    {PageId::RoomClimate, "Room Climate", 5},
    {PageId::Inputs, "Inputs", 6},
    {PageId::SunProtect, "Sun Protect", 7},
    {PageId::Light, "Light", 8},
    {PageId::Controller, "Controller", 9},
    {PageId::Tiles, "Tiles", 10},
    {PageId::TimeProgram, "Time Program", 11},
    {PageId::ReMa, "ReMa", 12},
};
static_assert(sizeof kPages / sizeof kPages[0] == static_cast<int>(PageId::Count));
} // namespace

const PageInfo& PageInfoOf(PageId id)
{
    return kPages[static_cast<int>(id)];
}

QWidget* CreatePage(PageId id, const PageContext& context)
{
    switch (id) {
    // Pages join here as they are built.
    case PageId::Common: return new CTabCommon(context);
    case PageId::Sensors: return new CTabSensors(context);
    default:
        return new CTabPlaceholder(QString::fromLatin1(PageInfoOf(id).caption), context.parent);
    }
}
