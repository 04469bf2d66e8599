#include "tools/config/CConfigChangesImport.h"

#include "diag/Result.h"
#include "model/RegisterCatalogue.h"
#include "tools/config/CConfigImport.h"
#include "tools/config/ConfigSource.h"
#include "tools/config/IConfigProgress.h"
#include "tools/config/IConfigUnit.h"

namespace {

// The share of the bar the reads take; the writes and read-backs the rest.
constexpr int kReadPercent = 80;

} // namespace

CConfigChangesImport::CConfigChangesImport(RegisterCatalogue& catalogue, IConfigUnit& unit,
                                           IConfigProgress& progress)
    : m_catalogue(catalogue), m_unit(unit), m_progress(progress)
{
}

void CConfigChangesImport::WriteAndVerify(IConfigUnit& unit, RegisterCatalogue& catalogue,
                                          const ExportPacing& pacing, std::span<const ConfigFile::Value> values,
                                          ChangesReport& report)
{
    std::vector<ConfigFile::Value> written;
    int silentInRow = 0;
    for (const ConfigFile::Value& v : values) {
        const int w = unit.writeHolding(v.address, v.word);
        silentInRow = w == Result::NoReply ? silentInRow + 1 : 0;
        if (w == Result::Ok) {
            ++report.written;
            written.push_back(v);
            catalogue.Holding(v.address).value = v.word;
            continue;
        }
        report.failures.push_back({v.address, w});
        report.portGone = w == Result::PortGone;
        report.linkLost = report.portGone || silentInRow >= CConfigImport::kSilentWritesForLinkLost;
        if (report.linkLost || w == Result::NoLink)
            return;
    }
    int givenUpInRow = 0;
    for (const ConfigFile::Value& v : written) {
        uint16_t back = 0;
        const RegisterRead read = CConfigExport::ReadRegister(unit, pacing, v.address, &back);
        if (read.have && back == v.word) {
            ++report.verified;
        } else {
            report.failures.push_back({v.address, read.have ? Result::ReadBackDiffers : read.code});
            if (read.have)
                catalogue.Holding(v.address).value = back;
        }
        givenUpInRow = !read.have && read.silent ? givenUpInRow + 1 : 0;
        if (read.portGone || givenUpInRow >= pacing.lostAfterRegisters) {
            report.linkLost = true;
            report.portGone = read.portGone;
            return;
        }
    }
}

ChangesReport CConfigChangesImport::run(std::span<const uint8_t> bytes, ConfigFile::Format format)
{
    ChangesReport report;
    m_progress.showPercent(0);
    const ConfigSource file = ConfigSources::FromFile(bytes, format, "file");
    const auto end = [&](int result) {
        report.result = result;
        m_progress.showPercent(100);
        if (result != Result::Ok)
            m_progress.markFailed();
        return report;
    };
    if (file.result == Result::NotAnExportFile)
        return end(Result::NotAnExportFile);
    report.linesNotUnderstood = file.linesNotUnderstood;
    report.fileEndedEarly = file.fileEndedEarly;

    // The import's record rules first: only accepted records are compared.
    std::vector<uint32_t> accepted;
    for (const SourceValue& v : file.values) {
        switch (ConfigFile::CheckRecord(m_catalogue, v.address, v.value)) {
        case ConfigFile::RecordCheck::Accepted: accepted.push_back(v.address); break;
        case ConfigFile::RecordCheck::Unknown: report.unknown.push_back(v.address); break;
        case ConfigFile::RecordCheck::ReadOnly: report.readOnly.push_back(v.address); break;
        case ConfigFile::RecordCheck::OutOfLimits: report.outOfLimits.push_back(v.address); break;
        }
    }

    if (m_unit.demoMode())
        return end(Result::DemoMode);
    const int link = m_unit.deviceType() > 0 ? m_unit.open() : Result::NoLink;
    if (link < 0) {
        report.notReached = link != Result::NoLink && link != Result::AnotherUnit;
        return end(link);
    }

    const ConfigSource unit =
        ConfigSources::FromUnit(m_unit, m_catalogue, accepted, m_pacing, m_progress, 0, kReadPercent);
    // Stopped while reading: nothing compared, so nothing is written.
    if (unit.result == Result::JobCancelled) {
        m_unit.close();
        return end(Result::JobCancelled);
    }
    std::vector<ConfigFile::Value> changes, undo;
    for (const SourceValue& u : unit.values) {
        if (!u.read) {
            report.failures.push_back({u.address, u.code});
            continue;
        }
        ++report.compared;
        const auto address = static_cast<uint16_t>(u.address);
        m_catalogue.Holding(address).value = static_cast<uint16_t>(u.value);
        const SourceValue* wanted = file.find(u.address);
        if (wanted && wanted->value != u.value) {
            ++report.differing;
            changes.push_back({address, static_cast<uint16_t>(wanted->value)});
            undo.push_back({address, static_cast<uint16_t>(u.value)});
        }
    }
    report.linkLost = unit.result == Result::LinkLost;
    report.portGone = unit.portGone;

    bool undoFailed = false;
    if (!report.linkLost && !m_undoPath.empty()) {
        const ConfigFile::Format undoFormat = ConfigFile::FormatOfName(m_undoPath) == ConfigFile::Format::Binary
                                                  ? ConfigFile::Format::Binary
                                                  : ConfigFile::Format::Csv;
        undoFailed = ConfigFile::WriteExportFile(m_undoPath, undoFormat, m_catalogue, undo, &report.undoError) !=
                     Result::Ok;
        if (!undoFailed)
            report.undoPath = m_undoPath;
    }
    if (!report.linkLost && !undoFailed) {
        m_progress.showPercent(kReadPercent);
        WriteAndVerify(m_unit, m_catalogue, m_pacing, changes, report);
        if (report.written > 0 && !report.linkLost) {
            const RegisterEntry& save = m_catalogue.Holding(Reg::SaveToNvram);
            if (save.used == 1 && save.readOnly == 0) {
                report.saveTried = true;
                report.saveResult = m_unit.writeHolding(Reg::SaveToNvram, 1);
            }
        }
    }
    m_unit.close();

    if (undoFailed)
        return end(Result::UndoFileNotWritten);
    if (report.linkLost)
        return end(Result::LinkLost);
    if (!report.failures.empty())
        return end(report.failures.front().code);
    if (report.saveTried && report.saveResult != Result::Ok)
        return end(report.saveResult);
    if (!report.unknown.empty() || !report.readOnly.empty() || !report.outOfLimits.empty() ||
        report.linesNotUnderstood > 0 || report.fileEndedEarly)
        return end(Result::ImportIncomplete);
    return end(Result::Ok);
}

std::string CConfigChangesImport::Summary(const ChangesReport& report)
{
    if (report.result == Result::NotAnExportFile)
        return "This is not an export file: it does not start with \"Orvelant 4000 Export\".\nNothing was "
               "imported.";
    if (report.result == Result::NoLink)
        return "No unit is connected: nothing was imported.";
    if (report.result == Result::DemoMode || report.result == Result::AnotherUnit || report.notReached)
        return "The unit could not be reached: " + ResultText(report.result) + ".\nNothing was imported.";
    std::string text = "Registers compared: " + std::to_string(report.compared) +
                       ", differing: " + std::to_string(report.differing) +
                       ", written: " + std::to_string(report.written) +
                       ", verified: " + std::to_string(report.verified) + ".";
    if (!report.undoPath.empty())
        text += "\nThe values overwritten are kept in " + report.undoPath + ".";
    if (report.result == Result::UndoFileNotWritten)
        text += "\nThe undo file cannot be written" + (report.undoError.empty() ? "" : ": " + report.undoError) +
                ".\nNothing was written to the unit.";
    if (report.linkLost)
        text += report.portGone ? "\nLink lost: the port is gone (the adapter was unplugged or hung up); the rest "
                                  "was not done."
                                : "\nLink lost: the unit stopped answering; the rest was not done.";
    text += ConfigFile::SkippedRecordLines(report.unknown, report.readOnly, report.outOfLimits,
                                           report.linesNotUnderstood, report.fileEndedEarly, "\n");
    for (std::size_t i = 0; i < report.failures.size() && i < ConfigFile::kListedAddresses; ++i)
        text += "\nFailed: " + std::to_string(report.failures[i].address) + " error " +
                std::to_string(report.failures[i].code) + " (" + ResultText(report.failures[i].code) + ")";
    if (report.failures.size() > ConfigFile::kListedAddresses)
        text += "\nand " + std::to_string(report.failures.size() - ConfigFile::kListedAddresses) + " more failures";
    if (report.saveTried)
        text += report.saveResult == Result::Ok ? "\nSave To NVRAM done."
                                                : "\nSave To NVRAM failed: error " +
                                                      std::to_string(report.saveResult) + " (" +
                                                      ResultText(report.saveResult) + ").";
    else if (report.written == 0 && report.result == Result::Ok)
        text += "\nNothing differs: nothing written, nothing to store.";
    return text;
}
