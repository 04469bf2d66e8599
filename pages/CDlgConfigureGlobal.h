// The controller dialog for the global controller settings (set-point shifts, dead bands, protection
// temperatures, the valves' anti-jam interval); it stores its values into the catalogue itself on "OK".
// Its modes are tables of CControllerDialogLogic; CDlgControllerForm builds
// and runs them.
//
// Thread rules: user-interface thread only.
#pragma once

#include "pages/CDlgControllerForm.h"

class CDlgConfigureGlobal : public CDlgControllerForm
{
    Q_OBJECT
public:
    CDlgConfigureGlobal(DialogRequest& request, RegisterCatalogue& catalogue, IPageHost& host,
                        IUnitAccess* unit = nullptr, QWidget* parent = nullptr)
        : CDlgControllerForm(request, catalogue, host, unit, parent)
    {
    }
};
