// What the main window asks of a page in its tab control. A page is a
// QWidget that also implements ITabPage; the main window finds the
// interface with dynamic_cast, so a page that needs none of the hooks may
// leave them at their defaults.
//
// Order of calls:
//   setPageReady   once, at the end of start-up (after every page exists and
//                  the port list is filled); from then on a page may paint
//                  its own pictures
//   preparePage    each time the page's tab becomes current, before anything
//                  else and also in demo mode: enable or disable the page's
//                  buttons for the current mode; never talks to the unit
//   activatePage   after preparePage, only outside demo mode and only when
//                  the identified unit is still the one attached: the
//                  page's read cycle (or whatever the page shows on entry)
//   confirmLeave   before the user leaves the page for another tab, and
//                  before the window closes: a page with changes not yet
//                  written asks whether to write, discard or stay. false:
//                  stay (the tab switch is undone, the window stays open).
//   clearPage      when the unit or the demo device changes: nothing the
//                  page showed of the previous one stays on screen
//   busyWork       long work running (a download): its description, which
//                  the main window names when it asks before closing;
//                  empty when there is none
//   requestStop    when the main window closes; long work (a download)
//                  stops. The main window waits 100 ms afterwards.
//   protocolChanged after the unit switched between Modbus and BACnet
//                  (holding 2045): a page that names things by protocol
//                  shows the new names
//
// Thread rules: all calls come on the user-interface thread.
#pragma once

#include <string>

class ITabPage
{
public:
    virtual ~ITabPage() = default;
    virtual void setPageReady() {}
    virtual void preparePage() {}
    virtual void activatePage() {}
    virtual bool confirmLeave() { return true; }
    virtual void clearPage() {}
    virtual std::string busyWork() const { return {}; }
    virtual void requestStop() {}
    virtual void protocolChanged() {}
};
