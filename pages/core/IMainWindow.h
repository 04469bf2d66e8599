// The services the main window offers to the pages and to the COM-Interface
// page: what a page needs (IPageHost: status line, register information
// line, busy overlay, first tab, protocol tab, pauses), the tab control
// that the connection logic rebuilds and switches, and the configuration
// export and import of the "File" menu. Texts are UTF-8; the
// window itself is Qt, this contract is not, so the pages and the link's
// page depend on it without depending on the application.
//
// Tab indexes count from 0 ("COM-Interface"). Status texts that contain
// "error" (any case) show on red; while demo mode is active every status
// text shows as "Demo mode is active." on green.
//
// Thread rules: user-interface thread only.
#pragma once

#include "pages/core/IPageHost.h"

class IMainWindow : public IPageHost
{
public:
    // Enables or disables the tab control and every page together, around
    // modal work (a unit restarting, the About box, file dialogs).
    virtual void enableMainWindow(bool enable) = 0;
    // Rebuilds the tab set for a device type (the pages that show for it,
    // in their order); all enabled.
    virtual void rebuildTabs(int deviceType) = 0;
    // Runs what happens when a tab becomes current (prepare, same-device
    // check, page activation).
    virtual void activatePage(int index) = 0;
    // true when index is current or was selected; false for a disabled tab
    // or an index outside the tab set.
    virtual bool selectTab(int index) = 0;
    // Every tab but the first ("COM-Interface").
    virtual void setOtherTabsEnabled(bool enabled) = 0;
    virtual int tabCount() const = 0;
    // One tab's own enable state, so that work which disables every tab (a
    // firmware download) can put back what it found.
    virtual bool isTabEnabled(int index) const = 0;
    virtual void setTabEnabled(int index, bool enabled) = 0;
    // "File" > "Save Configuration..." and "File" > "Import Configuration...".
    virtual void saveConfiguration() = 0;
    virtual void importConfiguration() = 0;
};
