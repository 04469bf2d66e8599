#include "pages/CDialogHost.h"

#include <QLabel>

void CDialogHost::setRegisterInfo(const std::string& text)
{
    if (m_info)
        m_info->setText(QString::fromStdString(text));
    CForwardingHost::setRegisterInfo(text);
}
