// The fourteen pages of the main window: their identities, tab captions and
// tab images, and the one place that creates them. A page that is not built
// yet is a CTabPlaceholder with its caption; replacing it means changing
// its line in CreatePage.
//
// Thread rules: user-interface thread only.
#pragma once

#include "app/PageContext.h"

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

struct PageInfo
{
    PageId id;
    const char* caption;
    int image; // index into the tab image strip
};

const PageInfo& PageInfoOf(PageId id);

// Creates the page (never the COM-Interface page, which the main window
// creates first because every other page uses it).
QWidget* CreatePage(PageId id, const PageContext& context);
