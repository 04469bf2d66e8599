#include "pages/CDialogHost.h"

#include "pages/form/CInfoLine.h"

void CDialogHost::setRegisterInfo(const std::string& text)
{
    if (m_info)
        m_info->setText(QString::fromStdString(text));
    CForwardingHost::setRegisterInfo(text);
}
