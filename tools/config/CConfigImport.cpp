#include "tools/config/CConfigImport.h"

#include "diag/Result.h"
#include "model/RegisterCatalogue.h"
#include "tools/config/IConfigProgress.h"
#include "tools/config/IConfigUnit.h"
#include "tools/report/CChangeJournal.h"
#include "tools/config/CConfigFileReader.h"


namespace {

constexpr uint32_t kFirstTableEnd = 10000; // a record from here on ends the import

} // namespace

CConfigImport::CConfigImport(RegisterCatalogue& catalogue, IConfigUnit& unit, IConfigProgress& progress)
    : m_catalogue(catalogue), m_unit(unit), m_progress(progress)
{
}

ImportReport CConfigImport::run(const std::string& path, ConfigFile::Format format)
{
    std::vector<uint8_t> bytes;
    if (!ConfigFile::ReadWholeFile(path, bytes)) {
        ImportReport report;
        report.result = Result::ImportNotOpened;
        return report;
    }
    return run(bytes, format);
}

ImportReport CConfigImport::run(std::span<const uint8_t> bytes, ConfigFile::Format format)
{
    ImportReport report;
    m_progress.showPercent(0);
    const bool demo = m_unit.demoMode();
    const bool unitKnown = m_unit.deviceType() > 0;
    const int link = demo ? 0 : m_unit.open();
    // Outside demo mode nothing is taken from the file unless the unit is
    // there to write it to: no port, another unit behind the port, or a
    // unit whose PIN was not accepted stop the import before its first
    // record.
    const bool linkOpen = demo || link >= 0;

    ConfigFile::CConfigFileReader reader(bytes, format);
    report.headerFound = reader.readHeader();
    int firstFailure = Result::Ok;
    bool failed = false;
    int silentInRow = 0;
    if (report.headerFound && linkOpen) {
        int noted = 0;
        ConfigFile::Record record;
        while (reader.next(record)) {
            const uint32_t a = record.address;
            if (a < ConfigFile::kFirstExportable || ConfigFile::IsProtected(a)) {
                if (record.parsed < 0) {
                    report.fileEndedEarly = true;
                    break;
                }
                if (record.parsed == 2)
                    report.unknown.push_back(a);
                else if (!record.blank)
                    ++report.linesNotUnderstood;
                continue;
            }
            if (a >= kFirstTableEnd) {
                report.unknown.push_back(a);
                break;
            }
            if (record.parsed < 2) {
                report.fileEndedEarly = true;
                break;
            }
            RegisterEntry& entry = m_catalogue.Holding(static_cast<uint16_t>(a));
            const ConfigFile::RecordCheck check = ConfigFile::CheckRecord(m_catalogue, a, record.value);
            bool endNow = false;
            if (check == ConfigFile::RecordCheck::Unknown) {
                report.unknown.push_back(a);
            } else if (check == ConfigFile::RecordCheck::ReadOnly) {
                report.readOnly.push_back(a);
            } else if (check == ConfigFile::RecordCheck::OutOfLimits) {
                report.outOfLimits.push_back(a);
            } else {
                const uint16_t before = entry.value;
                entry.value = static_cast<uint16_t>(record.value);
                ++report.applied;
                if (unitKnown && !demo) {
                    const int w = CChangeJournal::Note(static_cast<uint16_t>(a), entry.name, before, entry.value,
                                                       m_unit.writeHolding(static_cast<uint16_t>(a), entry.value));
                    silentInRow = w == Result::NoReply ? silentInRow + 1 : 0;
                    if (w == Result::Ok) {
                        ++report.written;
                    } else {
                        report.failedWrites.push_back({static_cast<uint16_t>(a), w});
                        if (firstFailure == Result::Ok)
                            firstFailure = w;
                        if (!failed)
                            m_progress.markFailed();
                        failed = true;
                        // The port is gone, or the unit fell silent: every
                        // further write would fail the same way.
                        report.portGone = w == Result::PortGone;
                        report.linkLost = report.portGone || silentInRow >= kSilentWritesForLinkLost;
                        endNow = w == Result::NoLink || report.linkLost;
                    }
                }
            }
            const std::size_t pos = reader.position();
            const auto whole = static_cast<int>(pos * 100 / reader.size());
            if (whole > noted) {
                noted = whole;
                m_progress.showPercent(static_cast<int>((pos * 100 + reader.size() / 2) / reader.size()));
            }
            if (endNow)
                break;
            if (m_progress.cancelled()) {
                report.cancelled = true;
                break;
            }
        }
    }

    // Nothing written, nothing to store; a lost link takes no store either.
    if (!demo) {
        const RegisterEntry& save = m_catalogue.Holding(Reg::SaveToNvram);
        if (save.used == 1 && save.readOnly == 0 && report.written > 0 && !report.linkLost) {
            report.saveTried = true;
            report.saveResult = m_unit.writeHolding(Reg::SaveToNvram, 1);
        }
        if (unitKnown && linkOpen)
            m_unit.close();
    }

    if (!report.headerFound)
        report.result = Result::NotAnExportFile;
    else if (!linkOpen) {
        report.result = link;
        report.notReached = link != Result::NoLink && link != Result::AnotherUnit;
    }
    else if (report.linkLost)
        report.result = Result::LinkLost;
    else if (firstFailure != Result::Ok)
        report.result = firstFailure;
    else if (report.saveTried && report.saveResult != Result::Ok)
        report.result = report.saveResult;
    else if (!report.unknown.empty() || !report.readOnly.empty() || !report.outOfLimits.empty() ||
             report.linesNotUnderstood > 0 || report.fileEndedEarly || report.cancelled)
        report.result = Result::ImportIncomplete;
    else
        report.result = Result::Ok;
    m_progress.showPercent(100);
    if (report.result != Result::Ok)
        m_progress.markFailed();
    return report;
}

std::string CConfigImport::Summary(const ImportReport& report)
{
    if (report.result == Result::Ok)
        return "Done - all ok";
    if (report.result == Result::ImportNotOpened)
        return "The file cannot be opened.";
    if (!report.headerFound)
        return "This is not an export file: it does not start with \"Orvelant 4000 Export\".\r\nNothing was "
               "imported.";
    if (report.result == Result::NoLink && report.applied == 0)
        return "No unit is connected: nothing was imported.";
    if (report.result == Result::AnotherUnit)
        return "Another unit is attached than the one connected to: nothing was imported.\r\nPress \"Connect\" "
               "again to import to this unit.";
    if (report.notReached)
        return "The unit could not be reached: " + ResultText(report.result) + ".\r\nNothing was imported.";
    std::string text = "Import incomplete.\r\nRecords taken: " + std::to_string(report.applied) +
                       ", written to the unit: " + std::to_string(report.written) + ".";
    if (report.linkLost)
        text += report.portGone ? "\r\nLink lost: the port is gone (the adapter was unplugged or hung up); the "
                                  "rest of the file was not written."
                                : "\r\nLink lost: the unit stopped answering; the rest of the file was not written.";
    if (report.cancelled)
        text += "\r\nCancelled: the rest of the file was not written.";
    text += ConfigFile::SkippedRecordLines(report.unknown, report.readOnly, report.outOfLimits,
                                           report.linesNotUnderstood, report.fileEndedEarly, "\r\n");
    if (!report.failedWrites.empty()) {
        text += "\r\nWrites failed: " + std::to_string(report.failedWrites.size()) + " (";
        for (std::size_t i = 0; i < report.failedWrites.size() && i < ConfigFile::kListedAddresses; ++i)
            text += (i ? ", " : "") + std::to_string(report.failedWrites[i].address) + " error " +
                    std::to_string(report.failedWrites[i].code);
        if (report.failedWrites.size() > ConfigFile::kListedAddresses)
            text += " and " + std::to_string(report.failedWrites.size() - ConfigFile::kListedAddresses) + " more";
        text += ").";
    }
    if (report.saveTried && report.saveResult != Result::Ok)
        text += "\r\nSave To NVRAM failed: error " + std::to_string(report.saveResult) + " (" +
                ResultText(report.saveResult) + ").";
    return text;
}
