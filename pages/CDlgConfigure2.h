// The controller dialog for the second temperature controller, the fan controller, the heating/cooling
// outputs, the fan output, the operating mode after a reboot, the change-over temperatures, and the live view
// of the output values. Its modes are tables of CControllerDialogLogic; CDlgControllerForm builds and runs
// them.
//
// Thread rules: user-interface thread only.
#pragma once

#include "pages/CDlgControllerForm.h"

class CDlgConfigure2 : public CDlgControllerForm
{
    Q_OBJECT
public:
    CDlgConfigure2(DialogRequest& request, RegisterCatalogue& catalogue, IPageHost& host,
                   IUnitAccess* unit = nullptr, QWidget* parent = nullptr)
        : CDlgControllerForm(request, catalogue, host, unit, parent)
    {
    }
};
