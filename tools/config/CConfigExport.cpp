#include "tools/config/CConfigExport.h"

#include "diag/Result.h"
#include "model/RegisterCatalogue.h"
#include "tools/config/CAtomicFile.h"
#include "tools/config/IConfigProgress.h"
#include "tools/config/IConfigUnit.h"

CConfigExport::CConfigExport(RegisterCatalogue& catalogue, IConfigUnit& unit, IConfigProgress& progress)
    : m_catalogue(catalogue), m_unit(unit), m_progress(progress)
{
}

RegisterRead CConfigExport::ReadRegister(IConfigUnit& unit, const ExportPacing& pacing, uint16_t address,
                                         uint16_t* value)
{
    RegisterRead read;
    int silentInRow = 0;
    for (int attempt = 0; attempt < pacing.attempts && !read.have; ++attempt) {
        read.code = unit.readHolding(address, value);
        read.have = read.code == Result::Ok;
        // A port that is gone ends the job at once: every further read
        // would fail the same way.
        if (read.code == Result::PortGone) {
            read.portGone = true;
            break;
        }
        silentInRow = read.code == Result::NoReply ? silentInRow + 1 : 0;
        if (silentInRow >= pacing.silentAttempts)
            break;
    }
    read.silent = !read.have && silentInRow > 0;
    return read;
}

void CConfigExport::setNonDefaultOnly(bool withPin)
{
    m_nonDefaultOnly = true;
    m_withPin = withPin;
}

bool CConfigExport::leftOut(uint32_t address) const
{
    return m_nonDefaultOnly && !m_withPin && address == Reg::Pin;
}

int CConfigExport::count(const std::vector<ConfigFile::Range>& ranges) const
{
    int total = 0;
    for (uint32_t a = 1; a <= ConfigFile::kLastExportable; ++a)
        if (ConfigFile::InRanges(ranges, a) && ConfigFile::IsExportable(m_catalogue, a) && !leftOut(a))
            ++total;
    return total;
}

ExportReport CConfigExport::run(const std::string& path, ConfigFile::Format format,
                                const std::vector<ConfigFile::Range>& ranges)
{
    ExportReport report;
    CAtomicFile file(path);
    if (!file.ok()) {
        report.result = Result::ExportNotCreated;
        report.fileError = file.error();
        return report;
    }
    m_progress.showPercent(0);
    report.total = count(ranges);
    const bool unitKnown = m_unit.deviceType() > 0;
    const int opened = m_unit.open();
    const bool linkOpen = opened >= 0;
    report.fromUnit = unitKnown && linkOpen;
    // Stored values stand in for the unit only in demo mode or when no unit
    // is known: a file of defaults for a unit that is there, and a later
    // import of it, would overwrite the unit's real settings.
    if (unitKnown && !linkOpen && !m_unit.demoMode()) {
        report.result = opened;
        report.notReached = true;
        m_progress.showPercent(100);
        m_progress.markFailed();
        return report;
    }
    file.write(ConfigFile::kHeader.data(), ConfigFile::kHeader.size());

    bool linkLost = false;
    bool cancelled = false;
    int givenUpInRow = 0;
    int done = 0;
    for (uint32_t a = 1; a <= ConfigFile::kLastExportable && !linkLost && file.ok(); ++a) {
        if (!ConfigFile::InRanges(ranges, a) || !ConfigFile::IsExportable(m_catalogue, a) || leftOut(a))
            continue;
        if (m_progress.cancelled()) {
            cancelled = true;
            break;
        }
        const auto address = static_cast<uint16_t>(a);
        if (report.total > 0)
            m_progress.showPercent((done * 100 + report.total / 2) / report.total);
        RegisterEntry& entry = m_catalogue.Holding(address);
        uint16_t value = entry.value;
        bool have = true;
        bool silent = false;
        if (report.fromUnit) {
            const RegisterRead read = ReadRegister(m_unit, m_pacing, address, &value);
            have = read.have;
            silent = read.silent;
            report.portGone = read.portGone;
            if (!have)
                report.missing.push_back(address);
            // A refusal is an answer: only registers that got none count
            // towards a lost link.
            givenUpInRow = !have && silent ? givenUpInRow + 1 : 0;
            linkLost = givenUpInRow >= m_pacing.lostAfterRegisters || report.portGone;
        }
        // A template holds what differs from the profile's defaults.
        const bool keep = !m_nonDefaultOnly || value != entry.defaultValue;
        if (have && keep) {
            if (format == ConfigFile::Format::Binary) {
                const auto record = ConfigFile::BinaryRecord(address, value, entry);
                file.write(record.data(), record.size());
            } else {
                const std::string line = ConfigFile::CsvLine(address, value, entry.name);
                file.write(line.data(), line.size());
            }
            ++report.written;
        }
        ++done;
    }
    if (unitKnown)
        m_unit.close();

    if (cancelled) {
        report.result = Result::JobCancelled; // the temporary file goes with it
    } else if (linkLost) {
        report.result = Result::LinkLost;
        report.partialPath = path + ".partial";
        if (!file.keepAs(report.partialPath))
            report.partialPath.clear();
    } else if (!file.keepAs(path)) {
        report.result = Result::ExportNotCreated;
        report.fileError = file.error();
    } else {
        report.result = report.missing.empty() ? Result::Ok : Result::RegistersMissing;
    }
    m_progress.showPercent(100);
    if (report.result != Result::Ok)
        m_progress.markFailed();
    return report;
}

std::string CConfigExport::Summary(const ExportReport& report)
{
    const std::string missing = std::to_string(report.missing.size()) +
                                (report.missing.size() == 1 ? " register" : " registers");
    switch (report.result) {
    case Result::Ok:
        return {};
    case Result::ExportNotCreated:
        return "The export file cannot be written" + (report.fileError.empty() ? "" : ": " + report.fileError) +
               ".\r\nAny previous file is unchanged.";
    case Result::RegistersMissing:
        return missing + " could not be read from the unit and " +
               (report.missing.size() == 1 ? "is" : "are") + " missing in the file: " +
               ConfigFile::AddressList(report.missing) + ".";
    case Result::LinkLost: {
        const std::string why = report.portGone ? "the port is gone (the adapter was unplugged or hung up)"
                                                : "the unit stopped answering";
        std::string text = "Link lost: " + why + "; " + missing + " not read: " +
                           ConfigFile::AddressList(report.missing) + ".\r\nThe previous file is unchanged.";
        if (!report.partialPath.empty())
            text += "\r\nThe " + std::to_string(report.written) + " registers read are kept in " +
                    report.partialPath + ".";
        return text;
    }
    case Result::JobCancelled:
        return ResultText(report.result) + "; a previous export file is unchanged";
    default:
        if (report.notReached)
            return "The unit could not be reached: " + ResultText(report.result) +
                   ".\r\nNothing was exported; any previous file is unchanged.";
        return ResultText(report.result);
    }
}
