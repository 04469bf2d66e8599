#include "tools/config/CConfigExport.h"

#include "diag/LocalSystem.h"
#include "diag/Result.h"
#include "model/RegisterCatalogue.h"
#include "tools/config/IConfigProgress.h"
#include "tools/config/IConfigUnit.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace {

// The file being written: a temporary one beside the target, so the
// target changes only by the rename at the end.
class TempFile
{
public:
    explicit TempFile(const std::string& target)
    {
        static std::atomic<unsigned> counter{0};
        for (int tries = 0; tries < 100 && !m_file; ++tries) {
            m_path = LocalSystem::Utf8Path(target + ".~" + std::to_string(LocalSystem::ProcessId()) + "-" +
                                           std::to_string(counter++));
            m_file = LocalSystem::CreateNewFile(m_path); // exclusive: never someone else's file
            if (!m_file && errno != EEXIST)
                break;
        }
        if (!m_file)
            m_error = std::strerror(errno);
        m_created = m_file != nullptr;
    }
    ~TempFile()
    {
        if (m_file)
            std::fclose(m_file);
        if (m_created && !m_kept) {
            std::error_code ec;
            std::filesystem::remove(m_path, ec);
        }
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    bool ok() const { return m_file && m_error.empty(); }
    const std::string& error() const { return m_error; }
    void write(const void* data, std::size_t size)
    {
        if (ok() && std::fwrite(data, 1, size, m_file) != size)
            m_error = std::strerror(errno);
    }
    // Closes the file and renames it to path; false (with the reason) when
    // any write, the close or the rename failed.
    bool keepAs(const std::string& path)
    {
        if (!m_file)
            return false;
        const bool flushed = std::fclose(m_file) == 0;
        m_file = nullptr;
        if (!flushed && m_error.empty())
            m_error = std::strerror(errno);
        if (!m_error.empty())
            return false;
        std::error_code ec;
        std::filesystem::rename(m_path, LocalSystem::Utf8Path(path), ec);
        if (ec) {
            m_error = ec.message();
            return false;
        }
        m_kept = true;
        return true;
    }

private:
    std::filesystem::path m_path;
    std::FILE* m_file = nullptr;
    std::string m_error;
    bool m_created = false;
    bool m_kept = false;
};

} // namespace

CConfigExport::CConfigExport(RegisterCatalogue& catalogue, IConfigUnit& unit, IConfigProgress& progress)
    : m_catalogue(catalogue), m_unit(unit), m_progress(progress)
{
}

int CConfigExport::count(const std::vector<ConfigFile::Range>& ranges) const
{
    int total = 0;
    for (uint32_t a = 1; a <= ConfigFile::kLastExportable; ++a)
        if (ConfigFile::InRanges(ranges, a) && ConfigFile::IsExportable(m_catalogue, a))
            ++total;
    return total;
}

ExportReport CConfigExport::run(const std::string& path, ConfigFile::Format format,
                                const std::vector<ConfigFile::Range>& ranges)
{
    ExportReport report;
    TempFile file(path);
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
        if (!ConfigFile::InRanges(ranges, a) || !ConfigFile::IsExportable(m_catalogue, a))
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
        int silentInRow = 0;
        if (report.fromUnit) {
            have = false;
            for (int attempt = 0; attempt < m_pacing.attempts && !have; ++attempt) {
                const int r = m_unit.readHolding(address, &value);
                have = r == Result::Ok;
                // A port that is gone ends the export at once: every further
                // read would fail the same way.
                if (r == Result::PortGone) {
                    report.portGone = true;
                    break;
                }
                silentInRow = r == Result::NoReply ? silentInRow + 1 : 0;
                if (silentInRow >= m_pacing.silentAttempts)
                    break;
            }
            if (!have)
                report.missing.push_back(address);
            // A refusal is an answer: only registers that got none count
            // towards a lost link.
            givenUpInRow = !have && silentInRow > 0 ? givenUpInRow + 1 : 0;
            linkLost = givenUpInRow >= m_pacing.lostAfterRegisters || report.portGone;
        }
        if (have) {
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
    default:
        if (report.notReached)
            return "The unit could not be reached: " + ResultText(report.result) +
                   ".\r\nNothing was exported; any previous file is unchanged.";
        return ResultText(report.result);
    }
}
