#include "pages/core/CConfiguration.h"

CConfiguration::CConfiguration()
{
    m_values.push_back(CConfigValue{kTempUnitKey, "\u00b0C"});
}

CConfiguration& CConfiguration::Instance()
{
    static CConfiguration instance;
    return instance;
}

int CConfiguration::setText(int key, const std::string& text)
{
    for (auto it = m_values.rbegin(); it != m_values.rend(); ++it) {
        if (it->key == key) {
            it->text = text;
            return 0;
        }
    }
    return -1;
}

std::string CConfiguration::text(int key) const
{
    for (auto it = m_values.rbegin(); it != m_values.rend(); ++it)
        if (it->key == key)
            return it->text;
    return {};
}

bool CConfiguration::has(int key) const
{
    for (const CConfigValue& v : m_values)
        if (v.key == key)
            return true;
    return false;
}
