#include "tools/commission/CCommissionJob.h"

#include "diag/LocalSystem.h"
#include "diag/Result.h"
#include "link/CPortUnit.h"
#include "model/RegisterCatalogue.h"
#include "tools/config/CConfigChangesImport.h"
#include "tools/config/ConfigCompare.h"
#include "tools/config/ConfigFile.h"
#include "tools/config/ConfigSource.h"
#include "tools/config/CModbusConfigUnit.h"
#include "tools/config/IConfigProgress.h"
#include "tools/report/CReportBuilder.h"
#include "tools/report/ReportFile.h"
#include "tools/report/ReportHtml.h"
#include "tools/report/ReportJson.h"

#include <cstdio>
#include <ctime>

namespace Commission {

namespace {

// The unit's reads and writes, failing at once after the stop: a stopped
// run ends each unit after the register it is at.
// It also notes a port that went away, so that a lost link is told by its
// cause.
class StoppableUnit : public IConfigUnit
{
public:
    StoppableUnit(ICommissionUnit& unit, const std::atomic<bool>& stop) : m_unit(unit), m_stop(stop) {}
    int open() override { return m_unit.open(); }
    void close() override { m_unit.close(); }
    int readHolding(uint16_t address, uint16_t* value) override
    {
        return noted(m_stop ? Result::JobCancelled : m_unit.readHolding(address, value));
    }
    int writeHolding(uint16_t address, uint16_t value) override
    {
        return noted(m_stop ? Result::JobCancelled : m_unit.writeHolding(address, value));
    }
    int deviceType() const override { return m_unit.deviceType(); }
    bool demoMode() const override { return false; }
    bool portGone() const { return m_portGone; }

private:
    int noted(int result)
    {
        m_portGone = m_portGone || result == Result::PortGone;
        return result;
    }
    ICommissionUnit& m_unit;
    const std::atomic<bool>& m_stop;
    bool m_portGone = false;
};

// A link that is already open for the whole unit (the report builder opens
// and closes the link it is given).
class OpenLink : public IConfigUnit
{
public:
    explicit OpenLink(IConfigUnit& unit) : m_unit(unit) {}
    int open() override { return Result::Ok; }
    void close() override {}
    int readHolding(uint16_t address, uint16_t* value) override { return m_unit.readHolding(address, value); }
    int writeHolding(uint16_t address, uint16_t value) override
    {
        return m_unit.writeHolding(address, value);
    }
    int deviceType() const override { return m_unit.deviceType(); }
    bool demoMode() const override { return false; }

private:
    IConfigUnit& m_unit;
};

// A step's share of the unit's bar: its own 0..100 % shown from..to. The
// report reads most of a unit's registers, so it has most of the bar.
class StepProgress : public IConfigProgress
{
public:
    StepProgress(const std::function<void(const Progress&)>& progress, std::string step, int from, int to,
                 const std::atomic<bool>& stop, bool stopped = false)
        : m_progress(progress), m_step(std::move(step)), m_from(from), m_to(to), m_stop(stop),
          m_stopped(stopped)
    {
    }
    void showPercent(int percent) override { m_progress({m_step, m_from + (m_to - m_from) * percent / 100}); }
    void markFailed() override {}
    bool cancelled() const override { return m_stopped || m_stop; }

private:
    const std::function<void(const Progress&)>& m_progress;
    std::string m_step;
    int m_from, m_to;
    const std::atomic<bool>& m_stop;
    bool m_stopped; // nothing is to be read at all
};

namespace Share {
constexpr int kReadFrom = 2, kReadTo = 20, kWriteFrom = 20, kWriteTo = 35, kSave = 36, kReportFrom = 40;
}

UnitOutcome Failed(UnitOutcome outcome, std::string reason)
{
    outcome.ok = false;
    outcome.reason = std::move(reason);
    return outcome;
}

std::string CodeText(int code)
{
    return "error " + std::to_string(code) + ": " + ResultText(code);
}

// A step of the unit's own that failed: a port that went away or a unit
// that fell silent is a lost link, whatever step it hit.
std::string UnitFailure(int code, const std::string& problem)
{
    return code == Result::PortGone || code == Result::NoReply ? "link lost: " + problem : problem;
}

std::string NameOf(const RegisterCatalogue& catalogue, uint16_t address)
{
    const RegisterEntry* e = catalogue.Entry(RegisterTableKind::Holding, address);
    return e ? e->name : std::string();
}

std::string ReadFailure(const ConfigSource& unit)
{
    if (unit.result == Result::LinkLost)
        return unit.portGone ? "link lost: the port is gone" : "link lost: the unit stopped answering";
    for (const SourceValue& v : unit.values)
        if (!v.read)
            return "register " + std::to_string(v.address) + " not read: " + CodeText(v.code);
    return CodeText(unit.result);
}

} // namespace

namespace {

// Identifies the unit and compares it with the row; the failure's words, or
// "" when the plan can go ahead.
std::string ComparePlan(ICommissionUnit& unit, const PlanRow& row, const JobSettings& settings,
                        const std::function<void(const Progress&)>& progress, const std::atomic<bool>& stop,
                        UnitIdentity& identity, UnitPlan& plan)
{
    if (const int r = unit.readIdentity(identity); r != Result::Ok)
        return UnitFailure(r, unit.problem());
    if (row.deviceType >= 0 && identity.deviceType != row.deviceType)
        return "device type " + std::to_string(identity.deviceType) + ", the plan wants " +
               std::to_string(row.deviceType) + ": nothing was written";
    RegisterCatalogue& catalogue = unit.catalogue();

    // What the unit is to hold: the template, then the row's overrides.
    ConfigSource target;
    target.label = "plan";
    if (!row.templatePath.empty()) {
        std::vector<uint8_t> bytes;
        const std::string path = LocalSystem::Utf8String(row.templatePath);
        if (!ConfigFile::ReadWholeFile(path, bytes))
            return "the template " + path + " cannot be read";
        // A template named otherwise than .bin is taken as text.
        const bool binary = ConfigFile::FormatOfName(path) == ConfigFile::Format::Binary;
        target = ConfigSources::FromFile(bytes, binary ? ConfigFile::Format::Binary : ConfigFile::Format::Csv, path);
        if (target.result == Result::NotAnExportFile)
            return "the template " + path + " is not an export file";
    }
    std::vector<Override> special;
    for (const Override& o : row.overrides) {
        if (o.special)
            special.push_back(o);
        else
            target.set({.address = o.address, .value = static_cast<uint16_t>(o.value)});
    }

    // Only the registers the plan names are read.
    StoppableUnit link(unit, stop);
    StepProgress reading(progress, "reading", 0, 100, stop);
    std::vector<uint32_t> asked;
    for (uint32_t address : target.addresses())
        if (ConfigSources::Readable(catalogue, address))
            asked.push_back(address);
    plan.current = ConfigSources::FromUnit(link, catalogue, asked, settings.pacing, reading, Share::kReadFrom,
                                           Share::kReadTo);
    if (plan.current.result != Result::Ok)
        return ReadFailure(plan.current);
    plan.comparison = ConfigCompare::Compare(catalogue, plan.current, target);

    // A template record this unit cannot take is named, never written: the
    // unit would not hold its plan.
    std::vector<uint32_t> skipped;
    for (const CompareRow& r : plan.comparison.rows) {
        if (r.mark != CompareMark::None && r.hasRight)
            skipped.push_back(r.address);
        else if (r.writable())
            plan.changes.push_back({static_cast<uint16_t>(r.address), static_cast<uint16_t>(r.right)});
    }
    if (!skipped.empty())
        return "the unit cannot take " + std::to_string(skipped.size()) +
               " registers of the plan (unknown, read-only or outside its limits): " +
               ConfigFile::AddressList(skipped) + "; nothing was written";
    for (const Override& o : special) {
        uint16_t now = 0;
        const int r = stop ? Result::JobCancelled : unit.readSpecial(o.address, &now);
        if (r != Result::Ok)
            return "register " + std::to_string(o.address) + " not read: " + CodeText(r);
        if (now != static_cast<uint16_t>(o.value))
            plan.special.push_back({o.address, now, static_cast<uint16_t>(o.value)});
    }
    return {};
}

} // namespace

Preview PreviewUnit(ICommissionUnit& unit, const PlanRow& row, const JobSettings& settings,
                    const std::function<void(const Progress&)>& progress, const std::atomic<bool>& stop)
{
    Preview preview;
    progress({"identifying", 0});
    if (const int r = unit.open(); r != Result::Ok) {
        preview.reason = UnitFailure(r, unit.problem());
        return preview;
    }
    preview.reason = ComparePlan(unit, row, settings, progress, stop, preview.identity, preview.plan);
    unit.close();
    preview.ok = preview.reason.empty();
    return preview;
}

namespace {

// The attempt's undo record: ROOM.before.csv for the first, then
// ROOM.before.2.csv, ... ; the name is taken by creating the file, so that
// no earlier record is ever overwritten. "" when none can be made.
std::filesystem::path NewBeforeFile(const std::filesystem::path& folder, const std::string& room)
{
    const std::string base = RoomFileName(room) + ".before";
    for (int attempt = 1; attempt < 10000; ++attempt) {
        const std::filesystem::path path =
            folder /
            LocalSystem::Utf8Path(base + (attempt == 1 ? "" : "." + std::to_string(attempt)) + ".csv");
        std::error_code error;
        if (std::filesystem::exists(path, error))
            continue;
        if (std::FILE* file = LocalSystem::CreateNewFile(path)) {
            std::fclose(file);
            return path;
        }
        if (!std::filesystem::exists(path, error))
            return {}; // the folder takes no new file
    }
    return {};
}

} // namespace

UnitOutcome CommissionUnit(ICommissionUnit& unit, const PlanRow& row, const std::string& port,
                           const JobSettings& settings, const std::function<void(const Progress&)>& progress,
                           const std::atomic<bool>& stop)
{
    UnitOutcome outcome;
    progress({"identifying", 0});
    if (const int r = unit.open(); r != Result::Ok)
        return Failed(outcome, UnitFailure(r, unit.problem()));
    struct Closing
    {
        ICommissionUnit& unit;
        ~Closing() { unit.close(); }
    } closing{unit};
    UnitPlan plan;
    if (std::string reason = ComparePlan(unit, row, settings, progress, stop, outcome.identity, plan);
        !reason.empty())
        return Failed(outcome, std::move(reason));
    RegisterCatalogue& catalogue = unit.catalogue();
    StoppableUnit link(unit, stop);
    const std::vector<ConfigFile::Value>& changes = plan.changes;
    const ConfigSource& current = plan.current;

    UnitRecord record{.row = &row, .port = port, .identity = outcome.identity};
    // Why the attempt ended before its report; "" while all goes well.
    std::string ended;
    bool saved = false;
    if (!changes.empty() || !plan.special.empty()) {
        // What is overwritten: the plain records for an import to put back,
        // the bus settings as records it skips (they take the special
        // write).
        std::vector<ConfigFile::Value> before;
        for (const ConfigFile::Value& v : changes)
            before.push_back({v.address, static_cast<uint16_t>(current.find(v.address)->value)});
        for (const SpecialChange& c : plan.special)
            before.push_back({c.address, c.before});
        const std::filesystem::path beforePath = NewBeforeFile(settings.outDir, row.room);
        std::string error = "no new file can be made in the folder";
        if (beforePath.empty() ||
            ConfigFile::WriteExportFile(LocalSystem::Utf8String(beforePath), ConfigFile::Format::Csv,
                                        catalogue, before, &error) != Result::Ok)
            return Failed(outcome, "the undo record " +
                                       (beforePath.empty() ? LocalSystem::Utf8String(settings.outDir)
                                                           : LocalSystem::Utf8String(beforePath)) +
                                       " cannot be written (" + error + "); nothing was written");
        record.beforeFile = LocalSystem::Utf8String(beforePath.filename());

        progress({"writing", Share::kWriteFrom});
        const std::size_t total = changes.size() + plan.special.size();
        const auto wrote = [&] {
            ++outcome.written;
            progress({"writing", Share::kWriteFrom + static_cast<int>((Share::kWriteTo - Share::kWriteFrom) *
                                                                      outcome.written / total)});
        };
        for (std::size_t i = 0; i < changes.size() && ended.empty(); ++i) {
            ChangesReport written;
            CConfigChangesImport::WriteAndVerify(link, catalogue, settings.pacing, {&changes[i], 1}, written);
            const uint16_t was = static_cast<uint16_t>(current.find(changes[i].address)->value);
            const int result = written.failures.empty() ? Result::Ok : written.failures.front().code;
            record.changes.push_back({std::time(nullptr), changes[i].address, NameOf(catalogue, changes[i].address),
                                      was, changes[i].word, result});
            if (result == Result::Ok)
                wrote();
            else if (written.linkLost)
                ended = (link.portGone() ? "link lost: the port is gone at register "
                                         : "link lost: the unit stopped answering at register ") +
                        std::to_string(changes[i].address);
            else
                ended = "register " + std::to_string(changes[i].address) +
                        (result == Result::ReadBackDiffers ? ": the value read back differs"
                                                           : ": " + CodeText(result));
        }
        // The bus settings last: the unit may answer otherwise on its bus
        // once it has them.
        for (std::size_t i = 0; i < plan.special.size() && ended.empty(); ++i) {
            const SpecialChange& c = plan.special[i];
            int result = stop ? Result::JobCancelled : unit.writeSpecial(c.address, c.after);
            uint16_t back = 0;
            if (result == Result::Ok)
                result = unit.readSpecial(c.address, &back) != Result::Ok ? Result::NoReply
                         : back != c.after                                ? Result::ReadBackDiffers
                                                                          : Result::Ok;
            record.changes.push_back(
                {std::time(nullptr), c.address, NameOf(catalogue, c.address), c.before, c.after, result});
            if (result == Result::Ok)
                wrote();
            else
                ended = "register " + std::to_string(c.address) + ": " + CodeText(result);
        }
        if (ended.empty()) {
            progress({"saving", Share::kSave});
            if (const int r = link.writeHolding(Reg::SaveToNvram, 1); r != Result::Ok)
                ended = link.portGone() ? "link lost: the port is gone at Save To NVRAM"
                                        : "Save To NVRAM: " + CodeText(r);
            else
                saved = true;
        }
        if (!ended.empty() && stop)
            ended = kInterrupted;
    }

    // The report: a whole one after a whole attempt; after an attempt that
    // ended early, the changes it made, without asking the unit any more.
    std::string reportEnd; // "" a whole report, else what became of it
    const bool wroteAnything = !record.changes.empty();
    if (settings.writeReport && (ended.empty() || wroteAnything)) {
        record.incomplete = ended;
        progress({"report", Share::kReportFrom});
        StepProgress reporting(progress, "report", Share::kReportFrom, 100, stop, !ended.empty());
        OpenLink open(link);
        const ReportOutcome report = settings.writeReport(unit, open, reporting, record);
        const bool cut = report.built == Result::LinkLost || report.built == Result::JobCancelled;
        if (!report.written)
            reportEnd = "the report cannot be written: " + report.problem;
        else if (cut || !ended.empty())
            reportEnd = "report incomplete";
        if (ended.empty() && cut)
            ended = stop              ? std::string(kInterrupted)
                    : link.portGone() ? std::string("link lost: the port is gone")
                                      : std::string("link lost: the unit stopped answering");
    }
    if (ended.empty() && reportEnd.empty()) {
        outcome.ok = true;
        return outcome;
    }

    // What was done, after why it ended: an installer must know whether the
    // unit holds (and keeps) any of the plan.
    std::string done;
    if (outcome.written > 0)
        done = std::to_string(outcome.written) + " written, " + (saved ? "saved" : "not saved");
    std::string reason = ended.empty() ? reportEnd : ended;
    if (ended == kInterrupted && !done.empty())
        reason += " after " + done;
    else if (!done.empty())
        reason += "; " + done;
    if (!ended.empty() && !reportEnd.empty())
        reason += "; " + reportEnd;
    return Failed(outcome, reason);
}

namespace {

// A unit on a port of its own, for the pipeline.
class PortCommissionUnit : public ICommissionUnit
{
public:
    PortCommissionUnit(const std::string& port, const JobSettings& settings)
        : m_unit(port, settings.pin, settings.lockoutFolder), m_config(m_unit.modbus(), m_unit.state(), {}, {})
    {
    }
    int open() override
    {
        const int opened = m_unit.open();
        return opened == Result::Ok ? m_unit.learn() : opened;
    }
    void close() override { m_unit.close(); }
    // As the export and import read and write (a silent unit: NoReply).
    int readHolding(uint16_t address, uint16_t* value) override { return m_config.readHolding(address, value); }
    int writeHolding(uint16_t address, uint16_t value) override { return m_config.writeHolding(address, value); }
    int deviceType() const override { return m_unit.deviceType(); }
    bool demoMode() const override { return false; }
    int readIdentity(UnitIdentity& identity) override
    {
        CPortUnit::Identity id;
        const int r = m_unit.readIdentity(id);
        identity = {id.deviceType, id.firmware, id.productionDate, id.operationDays};
        return r;
    }
    int readSpecial(uint16_t address, uint16_t* value) override
    {
        const int r = m_unit.modbus().readHoldingSpecial(address, value);
        return m_unit.accepted(r, address) ? Result::Ok : (r < 0 ? r : Result::NoLink);
    }
    int writeSpecial(uint16_t address, uint16_t value) override
    {
        const int r = m_unit.modbus().writeHoldingSpecialChecked(address, value);
        return m_unit.accepted(r, address) ? Result::Ok : (r < 0 ? r : Result::NoLink);
    }
    RegisterCatalogue& catalogue() override { return m_unit.catalogue(); }
    std::string problem() const override { return m_unit.problem(); }

private:
    CPortUnit m_unit;
    CModbusConfigUnit m_config;
};

} // namespace

namespace {

} // namespace

std::function<ReportOutcome(ICommissionUnit&, IConfigUnit&, IConfigProgress&, const UnitRecord&)>
UnitReportWriter(const JobSettings& settings, std::vector<ConfigFile::Range> categories)
{
    return [&settings, categories](ICommissionUnit& unit, IConfigUnit& link, IConfigProgress& progress,
                                   const UnitRecord& record) {
        ReportOutcome outcome;
        CReportBuilder builder(unit.catalogue(), link, progress);
        builder.setPacing(settings.pacing);
        const ReportRequest request{.ranges = categories,
                                    .technician = settings.technician,
                                    .note = "Room " + record.row->room,
                                    .port = record.port,
                                    .toolName = "tavemo-cli"};
        Report report;
        outcome.built = builder.build(request, report);
        // Whatever the unit gave is kept: a register it did not give is
        // named in the report itself.
        if (outcome.built != Result::Ok && outcome.built != Result::ReportUnread &&
            outcome.built != Result::LinkLost && outcome.built != Result::JobCancelled) {
            outcome.problem = ResultText(outcome.built);
            return outcome;
        }
        report.changes = CReportBuilder::Changes(record.changes);
        report.beforeFile = record.beforeFile;
        report.incomplete = !record.incomplete.empty()          ? record.incomplete
                            : outcome.built == Result::LinkLost ? std::string("the link to the unit was lost")
                            : outcome.built == Result::JobCancelled ? std::string("the run was stopped")
                                                                    : std::string();
        const std::string base =
            LocalSystem::Utf8String(settings.outDir / LocalSystem::Utf8Path(RoomFileName(record.row->room)));
        for (const auto& [extension, text] : {std::pair{".json", ReportJson::Render(report)},
                                              std::pair{".html", ReportHtml::Render(report)}}) {
            if (ReportFile::Write(base + extension, text, &outcome.problem) != Result::Ok)
                return outcome;
        }
        outcome.written = true;
        return outcome;
    };
}

UnitJob MakeUnitJob(const JobSettings& settings)
{
    return [&settings](const PlanRow& row, const std::string& port,
                       const std::function<void(const Progress&)>& progress, const std::atomic<bool>& stop) {
        PortCommissionUnit unit(port, settings);
        return CommissionUnit(unit, row, port, settings, progress, stop);
    };
}

} // namespace Commission
