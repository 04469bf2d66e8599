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

#include <ctime>

namespace Commission {

namespace {

// The unit's reads and writes, failing at once after the stop: a stopped
// run ends each unit after the register it is at.
class StoppableUnit : public IConfigUnit
{
public:
    StoppableUnit(ICommissionUnit& unit, const std::atomic<bool>& stop) : m_unit(unit), m_stop(stop) {}
    int open() override { return m_unit.open(); }
    void close() override { m_unit.close(); }
    int readHolding(uint16_t address, uint16_t* value) override
    {
        return m_stop ? Result::JobCancelled : m_unit.readHolding(address, value);
    }
    int writeHolding(uint16_t address, uint16_t value) override
    {
        return m_stop ? Result::JobCancelled : m_unit.writeHolding(address, value);
    }
    int deviceType() const override { return m_unit.deviceType(); }
    bool demoMode() const override { return false; }

private:
    ICommissionUnit& m_unit;
    const std::atomic<bool>& m_stop;
};

// The pipeline's share of the bar: reading from..to percent.
class StepProgress : public IConfigProgress
{
public:
    StepProgress(const std::function<void(const Progress&)>& progress, std::string step,
                 const std::atomic<bool>& stop)
        : m_progress(progress), m_step(std::move(step)), m_stop(stop)
    {
    }
    void showPercent(int percent) override { m_progress({m_step, percent}); }
    void markFailed() override {}
    bool cancelled() const override { return m_stop; }

private:
    const std::function<void(const Progress&)>& m_progress;
    std::string m_step;
    const std::atomic<bool>& m_stop;
};

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
        const std::string path = row.templatePath.string();
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
    StepProgress reading(progress, "reading", stop);
    std::vector<uint32_t> asked;
    for (uint32_t address : target.addresses())
        if (ConfigSources::Readable(catalogue, address))
            asked.push_back(address);
    plan.current = ConfigSources::FromUnit(link, catalogue, asked, settings.pacing, reading, 5, 45);
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
    if (!changes.empty() || !plan.special.empty()) {
        // What is overwritten, for a plain import to put back (the bus
        // settings take the special commands, which no import sends).
        std::vector<ConfigFile::Value> before;
        for (const ConfigFile::Value& v : changes)
            before.push_back({v.address, static_cast<uint16_t>(current.find(v.address)->value)});
        const std::filesystem::path beforePath = settings.outDir / (RoomFileName(row.room) + ".before.csv");
        std::string error;
        if (ConfigFile::WriteExportFile(beforePath.string(), ConfigFile::Format::Csv, catalogue, before, &error) !=
            Result::Ok)
            return Failed(outcome, "the file " + beforePath.string() + " cannot be written (" + error +
                                       "); nothing was written");

        progress({"writing", 50});
        for (std::size_t i = 0; i < changes.size(); ++i) {
            ChangesReport written;
            CConfigChangesImport::WriteAndVerify(link, catalogue, settings.pacing, {&changes[i], 1}, written);
            const uint16_t was = static_cast<uint16_t>(current.find(changes[i].address)->value);
            const int result = written.failures.empty() ? Result::Ok : written.failures.front().code;
            record.changes.push_back({std::time(nullptr), changes[i].address, NameOf(catalogue, changes[i].address),
                                      was, changes[i].word, result});
            if (result != Result::Ok) {
                outcome.written = written.written + outcome.written;
                return Failed(outcome, (written.linkLost ? "link lost at register " : "register ") +
                                           std::to_string(changes[i].address) +
                                           (result == Result::ReadBackDiffers ? ": the value read back differs"
                                                                              : ": " + CodeText(result)));
            }
            ++outcome.written;
            progress({"writing", 50 + static_cast<int>(40 * (i + 1) / (changes.size() + plan.special.size()))});
        }
        // The bus settings last: the unit may answer otherwise on its bus
        // once it has them.
        for (const SpecialChange& c : plan.special) {
            int result = stop ? Result::JobCancelled : unit.writeSpecial(c.address, c.after);
            uint16_t back = 0;
            if (result == Result::Ok)
                result = unit.readSpecial(c.address, &back) != Result::Ok ? Result::NoReply
                         : back != c.after                                ? Result::ReadBackDiffers
                                                                          : Result::Ok;
            record.changes.push_back(
                {std::time(nullptr), c.address, NameOf(catalogue, c.address), c.before, c.after, result});
            if (result != Result::Ok)
                return Failed(outcome, "register " + std::to_string(c.address) + ": " + CodeText(result));
            ++outcome.written;
        }
        progress({"saving", 92});
        if (const int r = link.writeHolding(Reg::SaveToNvram, 1); r != Result::Ok)
            return Failed(outcome, "Save To NVRAM: " + CodeText(r));
    }

    if (settings.writeReport) {
        progress({"report", 96});
        std::string problem;
        if (settings.writeReport(unit, record, &problem) != Result::Ok)
            return Failed(outcome, "the report cannot be written: " + problem);
    }
    outcome.ok = true;
    return outcome;
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

// The unit's link as the report builder sees it: already open for the
// whole unit, so its open and close do nothing.
class OpenLink : public IConfigUnit
{
public:
    explicit OpenLink(IConfigUnit& unit) : m_unit(unit) {}
    int open() override { return Result::Ok; }
    void close() override {}
    int readHolding(uint16_t address, uint16_t* value) override { return m_unit.readHolding(address, value); }
    int writeHolding(uint16_t address, uint16_t value) override { return m_unit.writeHolding(address, value); }
    int deviceType() const override { return m_unit.deviceType(); }
    bool demoMode() const override { return false; }

private:
    IConfigUnit& m_unit;
};

class NoProgress : public IConfigProgress
{
public:
    void showPercent(int) override {}
    void markFailed() override {}
};

} // namespace

std::function<int(ICommissionUnit&, const UnitRecord&, std::string*)>
UnitReportWriter(const JobSettings& settings, std::vector<ConfigFile::Range> categories)
{
    return [&settings, categories](ICommissionUnit& unit, const UnitRecord& record, std::string* problem) {
        OpenLink link(unit);
        NoProgress progress;
        CReportBuilder builder(unit.catalogue(), link, progress);
        builder.setPacing(settings.pacing);
        const ReportRequest request{.ranges = categories,
                                    .technician = settings.technician,
                                    .note = "Room " + record.row->room,
                                    .port = record.port,
                                    .toolName = "tavemo-cli"};
        Report report;
        const int built = builder.build(request, report);
        // A register the unit did not give is named in the report itself.
        if (built != Result::Ok && built != Result::ReportUnread) {
            *problem = ResultText(built);
            return built;
        }
        report.changes = CReportBuilder::Changes(record.changes);
        const std::filesystem::path base = settings.outDir / RoomFileName(record.row->room);
        for (const auto& [extension, text] : {std::pair{".json", ReportJson::Render(report)},
                                              std::pair{".html", ReportHtml::Render(report)}}) {
            const std::string path = (base.string() + extension);
            if (const int r = ReportFile::Write(path, text, problem); r != Result::Ok)
                return r;
        }
        return static_cast<int>(Result::Ok);
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
