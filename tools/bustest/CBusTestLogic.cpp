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
        m_host.showResult(Result::BeyondSixteenBits);
    return w;
}

CBusTestLogic::Outcome CBusTestLogic::run(const std::function<int(CModbus&)>& command,
                                          const std::function<std::string(int)>& logLine)
{
    // The unit may have been swapped or switched off since it was connected:
    // it is asked again what it is before anything goes to it. Only the unit
    // connected to with its PIN gets a command. A link that does not open
    // fails the command itself (port closed), which then stands in the log
    // and on the status line.
    const UnitActionResult r = m_connection.run(
        {.inDemo = UnitAction::InDemo::Refuse, .identify = true, .requireDevice = false, .runWithoutLink = true},
        [&] { return command(m_connection.modbus()); },
        {.started = [this] { m_host.setStatusText(PageText::kRunning); }});
    if (r.refused()) {
        // Another unit and no unit answering are on the status line already.
        if (r.result == Result::DemoMode || r.result == Result::PinNotAccepted)
            m_host.showResult(r.result);
        return Refused(r.result);
    }
    if (m_log)
        m_log->append(logLine(r.result));
    m_host.showResult(r.result);
    return {.ran = true, .result = r.result, .shown = std::nullopt};
}
