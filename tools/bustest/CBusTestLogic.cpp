#include "tools/bustest/CBusTestLogic.h"

#include "diag/Result.h"
#include "link/CConnection.h"
#include "link/CModbus.h"
#include "pages/core/IPageHost.h"
#include "pages/core/PageText.h"
#include "tools/bustest/BusTestText.h"
#include "tools/bustest/CTestLog.h"

CBusTestLogic::CBusTestLogic(CConnection& connection, IPageHost& host, CTestLog* log)
    : m_connection(connection), m_host(host), m_log(log)
{
}

bool CBusTestLogic::demoMode() const
{
    return m_connection.demoMode();
}

std::optional<uint16_t> CBusTestLogic::word(std::string_view text, int32_t min, int32_t max)
{
    const std::optional<uint16_t> w = BusTestText::FieldWord(text, min, max);
    if (!w)
        m_host.setStatusText(StatusLineText(Result::BeyondSixteenBits));
    return w;
}

CBusTestLogic::Outcome CBusTestLogic::run(const std::function<int(CModbus&)>& command,
                                          const std::function<std::string(int)>& logLine)
{
    if (m_connection.demoMode()) {
        m_host.setStatusText(StatusLineText(Result::DemoMode));
        return Refused(Result::DemoMode);
    }
    // The unit may have been swapped or switched off since it was connected:
    // ask it again what it is before anything goes to it.
    // Only the unit connected to with its PIN: another one behind the port
    // (the connection says so) or none connected yet gets nothing.
    if (const int identified = m_connection.identifyDevice();
        identified == Result::AnotherUnit || identified == Result::PinNotAccepted) {
        if (identified == Result::PinNotAccepted)
            m_host.setStatusText(StatusLineText(identified));
        return Refused(identified);
    }
    if (m_connection.checkReady() < 0)
        return Refused(Result::NoLink);

    m_host.setStatusText(PageText::kRunning);
    // A link that did not open fails the command itself (port closed), which
    // then stands in the log and the status line.
    m_connection.connectUnit(false);
    const int result = command(m_connection.modbus());
    if (m_log)
        m_log->append(logLine(result));
    m_connection.disconnectLink();
    m_host.setStatusText(StatusLineText(result));
    return {.ran = true, .result = result, .shown = std::nullopt};
}
