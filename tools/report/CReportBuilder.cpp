#include "tools/report/CReportBuilder.h"

#include "diag/Result.h"
#include "diag/Version.h"
#include "model/RegisterCatalogue.h"
#include "pages/core/PageValues.h"
#include "tools/config/IConfigProgress.h"
#include "tools/config/IConfigUnit.h"
#include "tools/report/CChangeJournal.h"
#include "tools/report/ReportClock.h"

CReportBuilder::CReportBuilder(RegisterCatalogue& catalogue, IConfigUnit& unit, IConfigProgress& progress)
    : m_catalogue(catalogue), m_unit(unit), m_progress(progress)
{
}

std::string CReportBuilder::CategoryOf(uint16_t address)
{
    for (const ConfigFile::Category& c : ConfigFile::Categories())
        if (address >= c.first && address <= c.last)
            return c.caption;
    return {};
}

ReportRegister CReportBuilder::Row(const RegisterCatalogue& catalogue, uint16_t address, bool read, uint16_t word)
{
    const RegisterEntry& entry = catalogue.Holding(address);
    ReportRegister row;
    row.address = address;
    row.name = entry.name;
    row.category = CategoryOf(address);
    row.read = read;
    row.min = entry.min;
    row.max = entry.max;
    row.secret = address == Reg::Pin;
    if (row.secret) {
        // Only whether a PIN is set: the word itself never leaves the tool.
        row.shown = !read ? ReportText::kNotRead : (word != 0 ? ReportText::kPinSet : ReportText::kPinNone);
        // A default PIN is nothing the owner can check or use: no default.
        row.shownDefault = "-";
        return row;
    }
    row.value = read ? word : 0;
    row.defaultValue = entry.defaultValue;
    row.shown = read ? PageValues::ShownValue(catalogue, address, word) : ReportText::kNotRead;
    row.shownDefault = PageValues::ShownValue(catalogue, address, entry.defaultValue);
    return row;
}

std::vector<ReportChange> CReportBuilder::Changes(const std::vector<JournalEntry>& entries)
{
    std::vector<ReportChange> changes;
    changes.reserve(entries.size());
    for (const JournalEntry& e : entries) {
        ReportChange c;
        c.time = ReportClock::Iso8601(e.time);
        c.address = e.address;
        c.name = e.name;
        // A PIN change is listed, but never with the PIN.
        c.before = e.address == Reg::Pin ? 0 : e.before;
        c.after = e.address == Reg::Pin ? 0 : e.after;
        c.result = e.result;
        changes.push_back(c);
    }
    return changes;
}

int CReportBuilder::build(const ReportRequest& request, Report& report)
{
    report = Report{};
    report.created = ReportClock::Iso8601(request.when != 0 ? request.when : std::time(nullptr));
    report.technician = request.technician;
    report.note = request.note;
    report.toolName = request.toolName;
    report.toolVersion = TavemoVersion();
    report.unit.port = request.port;

    m_progress.showPercent(0);
    std::vector<uint16_t> addresses;
    for (uint32_t a = ConfigFile::kFirstExportable; a <= ConfigFile::kLastExportable; ++a)
        if (ConfigFile::InRanges(request.ranges, a) && ConfigFile::IsExportable(m_catalogue, a))
            addresses.push_back(static_cast<uint16_t>(a));

    const bool unitKnown = m_unit.deviceType() > 0;
    const int opened = m_unit.open();
    const bool fromUnit = unitKnown && opened >= 0;
    report.unit.fromUnit = fromUnit;
    // As the export: stored values stand in for a unit only in demo mode or
    // when none is known; never for a unit that is there but not reached.
    if (unitKnown && opened < 0 && !m_unit.demoMode()) {
        m_progress.showPercent(100);
        m_progress.markFailed();
        return opened;
    }

    // One register with the export's pacing: Ok, NoReply when nothing at all
    // came back, PortGone, or the last refusal.
    auto readOne = [&](uint16_t address, uint16_t* word, bool* silent) {
        int silentInRow = 0;
        int r = Result::NoReply;
        for (int attempt = 0; attempt < m_pacing.attempts; ++attempt) {
            r = m_unit.readHolding(address, word);
            if (r == Result::Ok || r == Result::PortGone)
                break;
            silentInRow = r == Result::NoReply ? silentInRow + 1 : 0;
            if (silentInRow >= m_pacing.silentAttempts)
                break;
        }
        *silent = r != Result::Ok && silentInRow > 0;
        return r;
    };

    // The identity: the device type as identified, the rest read.
    report.unit.deviceType = unitKnown ? m_unit.deviceType() : m_catalogue.Holding(Reg::DeviceType).value;
    const struct
    {
        uint16_t address;
        uint16_t* into;
    } identity[] = {{Reg::Firmware, &report.unit.firmware},
                    {Reg::ProdDate, &report.unit.productionDate},
                    {Reg::OperationDays, &report.unit.operationDays},
                    {Reg::BusAddress, &report.unit.busAddress}};
    bool linkLost = false;
    bool cancelled = m_progress.cancelled();
    for (const auto& item : identity) {
        uint16_t word = m_catalogue.Holding(item.address).value;
        bool silent = false;
        if (fromUnit && !linkLost && !cancelled) {
            const int r = readOne(item.address, &word, &silent);
            linkLost = r == Result::PortGone;
            if (r != Result::Ok)
                word = m_catalogue.Holding(item.address).value;
        }
        *item.into = word;
    }
    report.unit.deviceName = DeviceTypeText(report.unit.deviceType);
    // Register 2045 answers the special read only on older units; the caller
    // has put what the identification learned into the catalogue.
    report.unit.protocol = m_catalogue.Holding(Reg::Protocol).value;

    // Read first, then show: the temperature unit read decides how the
    // temperatures read before it are shown.
    struct Got
    {
        uint16_t address;
        bool read;
        uint16_t word;
    };
    std::vector<Got> got;
    got.reserve(addresses.size());
    int givenUpInRow = 0;
    const std::size_t total = addresses.size();
    for (std::size_t i = 0; i < total; ++i) {
        const uint16_t address = addresses[i];
        // After a stop the rest stay in the report, marked unread: what was
        // read so far is kept.
        cancelled = cancelled || (!linkLost && m_progress.cancelled());
        if (total > 0)
            m_progress.showPercent(static_cast<int>((i * 100 + total / 2) / total));
        uint16_t word = m_catalogue.Holding(address).value;
        bool have = true;
        if (fromUnit) {
            have = false;
            if (!linkLost && !cancelled) {
                bool silent = false;
                const int r = readOne(address, &word, &silent);
                have = r == Result::Ok;
                // A refusal is an answer: only registers that got none
                // count towards a lost link.
                givenUpInRow = !have && silent ? givenUpInRow + 1 : 0;
                linkLost = r == Result::PortGone || givenUpInRow >= m_pacing.lostAfterRegisters;
            }
        }
        got.push_back({address, have, have ? word : uint16_t{0}});
    }
    if (unitKnown)
        m_unit.close();

    for (const Got& g : got)
        if (g.address == Reg::TempUnit && g.read)
            m_catalogue.Holding(Reg::TempUnit).value = g.word;
    report.registers.reserve(got.size());
    // Grouped by category: the categories are address ranges in ascending
    // order, so the ascending addresses are already grouped.
    for (const Got& g : got)
        report.registers.push_back(Row(m_catalogue, g.address, g.read, g.word));

    m_progress.showPercent(100);
    if (cancelled) {
        m_progress.markFailed();
        return Result::JobCancelled;
    }
    if (linkLost) {
        m_progress.markFailed();
        return Result::LinkLost;
    }
    if (report.unreadCount() > 0) {
        m_progress.markFailed();
        return Result::ReportUnread;
    }
    return Result::Ok;
}
