// tavemo-cli report: the commissioning report of the unit on --port, as
// HTML, PDF or JSON by the file's extension, after the same unlock step as
// every other unit command. The exit status is 0 when every register was
// read, 1 when some were not (the file is still written and names them, and
// so does standard error), 2 for a wrong command line.
#include "diag/Result.h"
#include "link/CModbus.h"
#include "link/CUnitState.h"
#include "model/RegisterCatalogue.h"
#include "tools/cli/CliCommands.h"
#include "tools/cli/CliConsole.h"
#include "tools/cli/CliReportPdf.h"
#include "tools/config/CModbusConfigUnit.h"
#include "tools/config/IConfigProgress.h"
#include "tools/report/CReportBuilder.h"
#include "tools/report/ReportFile.h"
#include "tools/report/ReportHtml.h"
#include "tools/report/ReportJson.h"

#include <cstdio>

namespace cli {

namespace {

// "report: 42 %" each time the percentage changes.
class ReportProgress : public IConfigProgress
{
public:
    void showPercent(int percent) override
    {
        if (percent == m_last)
            return;
        m_last = percent;
        std::fprintf(stderr, "report: %3d %%\n", percent);
    }
    void markFailed() override {}
    bool cancelled() const override { return CancelRequested(); }

private:
    int m_last = -1;
};

} // namespace

int RunReport(const GlobalOptions& global, const Args& args)
{
    std::string list = "all", technician, note, path;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--categories" || a == "--technician" || a == "--note") {
            if (i + 1 >= args.size())
                return UsageError("report: " + a + " needs a value");
            std::string& into = a == "--categories" ? list : a == "--technician" ? technician : note;
            into = args[++i];
        } else if (path.empty()) {
            path = a;
        } else {
            return UsageError("report takes one file");
        }
    }
    if (path.empty())
        return UsageError("report needs a file (FILE.html, FILE.pdf or FILE.json)");
    const std::string kind = ReportFile::Kind(path);
    if (kind.empty())
        return UsageError("report: '" + path + "' must end in .html, .pdf or .json");
    if (kind == ".pdf" && !PdfAvailable())
        return UsageError("report: " + ResultText(Result::ReportNoPdf) + "; write .html or .json instead");
    std::vector<ConfigFile::Range> ranges;
    std::string bad;
    if (!SplitCategories(list, ranges, bad))
        return UsageError(UnknownCategoryText("report", bad));

    const CancelOnSignal cancel;
    return WithUnit(global, "report", [&](CModbus& modbus, RegisterCatalogue& catalogue, CUnitState& state) {
        // Temperatures in the unit's own scale, whichever categories are asked for.
        uint16_t tempUnit = 0;
        if (modbus.readHolding(Reg::TempUnit, &tempUnit) == 0 && modbus.replyStatus() >= 0 &&
            modbus.replyAddress() == Reg::TempUnit)
            catalogue.Holding(Reg::TempUnit).value = tempUnit;
        CModbusConfigUnit unit(modbus, state, [] { return 0; }, [&modbus] { modbus.disconnect(); });
        ReportProgress progress;
        CReportBuilder builder(catalogue, unit, progress);
        ReportRequest request;
        request.ranges = ranges;
        request.technician = technician;
        request.note = note;
        request.port = global.port;
        request.toolName = "tavemo-cli";
        Report report;
        const int built = builder.build(request, report);
        if (built == Result::JobCancelled) {
            std::fprintf(stderr, "tavemo-cli: report: %s\n", ResultText(built).c_str());
            return kExitCanceled;
        }
        if (built != Result::Ok && built != Result::ReportUnread && built != Result::LinkLost) {
            std::fprintf(stderr, "tavemo-cli: report: the unit could not be reached: error %d: %s\n", built,
                         ResultText(built).c_str());
            return kExitFailure;
        }
        std::string error;
        int written = Result::Ok;
        if (kind == ".json")
            written = ReportFile::Write(path, ReportJson::Render(report), &error);
        else if (kind == ".html")
            written = ReportFile::Write(path, ReportHtml::Render(report), &error);
        else
            written = WriteReportPdf(report, path, &error);
        if (written != Result::Ok) {
            std::fprintf(stderr, "tavemo-cli: report: %s: %s (%s)\n", path.c_str(), ResultText(written).c_str(),
                         error.c_str());
            return kExitFailure;
        }
        const int unread = report.unreadCount();
        std::printf("%s: %zu registers, %d not read\n", path.c_str(), report.registers.size(), unread);
        if (unread == 0)
            return kExitOk;
        if (built == Result::LinkLost)
            std::fprintf(stderr, "tavemo-cli: report: %s\n", ResultText(Result::LinkLost).c_str());
        std::fprintf(stderr, "tavemo-cli: report: %d %s could not be read (named in the file as not read):\n", unread,
                     unread == 1 ? "register" : "registers");
        for (const ReportRegister& r : report.registers)
            if (!r.read)
                std::fprintf(stderr, "  %u %s\n", r.address, r.name.c_str());
        return kExitFailure;
    });
}

} // namespace cli
