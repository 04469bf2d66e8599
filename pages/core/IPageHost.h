// What a page needs of the main window: the status line, the register
// information line, the busy overlay, the way back to the first tab, the
// protocol test tab, and a pause between register commands.
//
// Thread rules: user-interface thread only.
#pragma once

#include "diag/Result.h"

#include <string>

class IPageHost
{
public:
    virtual ~IPageHost() = default;

    // The status line. Texts are UTF-8.
    virtual void setStatusText(const std::string& text) = 0;
    // The status line with the result it reports (Ok, or the failure's code
    // from diag/Result.h): the window explains the code in its own words
    // beside it and colours the line by it, whatever the text says.
    virtual void setStatus(const std::string& text, int code) { (void)code, setStatusText(text); }
    // "Done." or "Error: %i" for a result, carrying its code.
    void showResult(int code) { setStatus(StatusLineText(code), code); }
    // A status with its code, and what the page knows beyond the code's
    // words for the detail line under it (a typed number's limits in its
    // field's own scale and unit). A host without a detail line shows the
    // text only.
    virtual void setStatusWithDetail(const std::string& text, int code, const std::string& detail)
    {
        (void)detail;
        setStatus(text, code);
    }
    // The register information line; the host ignores an unchanged text.
    virtual void setRegisterInfo(const std::string& text) = 0;
    // "Please wait, data transfer is running..."; both act only while a
    // unit is known.
    virtual void showBusyOverlay() = 0;
    virtual void hideBusyOverlay() = 0;
    // Back to the COM-Interface page after another unit was found attached.
    virtual void selectFirstTab() = 0;
    // The unit now speaks the other protocol (holding 2045 changed): the
    // matching test page takes the protocol tab.
    virtual void protocolChanged() = 0;
    // Blocks the calling thread for ms milliseconds (the unit needs the
    // quiet time between commands).
    virtual void pause(int ms) = 0;
};
