// The "Inputs" page: the function of each of the unit's two digital inputs
// and their present states. The rows and rules are CInputsLogic's.
//
// Thread rules: user-interface thread only.
#pragma once

#include "pages/CPageWidget.h"
#include "pages/core/CInputsLogic.h"

#include <memory>

class CTabInputs : public CPageWidget
{
    Q_OBJECT
public:
    explicit CTabInputs(const PageContext& context);
    ~CTabInputs() override;

    CInputsLogic& logic() { return *m_logic; }

protected:
    void controlChanged(Page::ControlId id) override;

private:
    std::unique_ptr<CInputsLogic> m_logic;
};
