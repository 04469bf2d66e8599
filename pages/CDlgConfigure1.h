// The controller dialog for the main temperature controller for heating or for cooling (PI or ON/OFF) and the
// 6-way valve output.
// Its modes are tables of CControllerDialogLogic; CDlgControllerForm builds
// and runs them.
//
// Thread rules: user-interface thread only.
#pragma once

#include "pages/CDlgControllerForm.h"

class CDlgConfigure1 : public CDlgControllerForm
{
    Q_OBJECT
public:
    CDlgConfigure1(DialogRequest& request, RegisterCatalogue& catalogue, IPageHost& host,
                   IUnitAccess* unit = nullptr, QWidget* parent = nullptr)
        : CDlgControllerForm(request, catalogue, host, unit, parent)
    {
    }
};
