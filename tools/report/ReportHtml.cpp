#include "tools/report/ReportHtml.h"

#include "diag/Result.h"
#include "tools/report/ReportClock.h"

namespace ReportHtml {

namespace {

constexpr const char* kStyle = R"(
body { font-family: "DejaVu Sans", Arial, Helvetica, sans-serif; font-size: 10pt; color: #111; margin: 2em; }
h1 { font-size: 18pt; margin: 0 0 0.2em 0; }
h2 { font-size: 13pt; margin: 1.4em 0 0.4em 0; border-bottom: 1px solid #888; }
table { border-collapse: collapse; width: 100%; }
th, td { text-align: left; padding: 2px 6px; vertical-align: top; }
th { background: #e8e8e8; border-bottom: 1px solid #888; }
td { border-bottom: 1px solid #ddd; }
td.num { text-align: right; font-variant-numeric: tabular-nums; }
table.identity td:first-child { width: 12em; color: #444; }
tr.changed td { background: #fff6d5; }
tr.unread td { background: #fbe3e3; }
.mark { font-weight: bold; }
.warning { color: #a00000; font-weight: bold; }
.signatures { margin-top: 3em; display: flex; gap: 4em; }
.signatures div { flex: 1; border-top: 1px solid #111; padding-top: 0.3em; }
.footer { margin-top: 2em; color: #666; font-size: 8pt; }
@media print {
  @page { size: A4; margin: 15mm; }
  body { margin: 0; font-size: 9pt; }
  thead { display: table-header-group; }
  tr { page-break-inside: avoid; break-inside: avoid; }
  h2 { page-break-after: avoid; break-after: avoid; }
  .signatures { page-break-inside: avoid; break-inside: avoid; }
  tr.changed td, tr.unread td, th { -webkit-print-color-adjust: exact; print-color-adjust: exact; }
}
)";

std::string Limits(const ReportRegister& r)
{
    return std::to_string(r.min) + " .. " + std::to_string(r.max);
}

std::string Hex(uint16_t v)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string s = "0x0000";
    for (int i = 0; i < 4; ++i)
        s[static_cast<std::size_t>(5 - i)] = digits[(v >> (4 * i)) & 0xF];
    return s;
}

} // namespace

std::string Escape(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string ResultWords(int result)
{
    return result == 0 ? std::string("written") : "error " + std::to_string(result) + ": " + ResultText(result);
}

std::vector<std::pair<std::string, std::string>> IdentityRows(const Report& r)
{
    const ReportUnit& u = r.unit;
    std::string device = std::to_string(u.deviceType);
    if (!u.deviceName.empty())
        device = u.deviceName + " (" + device + ")";
    std::string protocol = u.protocol == 1 ? "BACnet" : u.protocol == 0 ? "Modbus" : "unknown";
    std::vector<std::pair<std::string, std::string>> rows = {
        {"Device type", device},
        {"Firmware", std::to_string(u.firmware)},
        {"Production date", std::to_string(u.productionDate)},
        {"Operation days", std::to_string(u.operationDays)},
        {"Bus address", std::to_string(u.busAddress)},
        {"Protocol", protocol},
        {"Port", u.port.empty() ? std::string("-") : u.port},
        {"Values from", u.fromUnit ? std::string("the unit") : std::string("the tool's catalogue (no unit)")},
        {"Date", ReportClock::Readable(r.created)},
        {"Technician", r.technician.empty() ? std::string("-") : r.technician},
        {"Note", r.note.empty() ? std::string("-") : r.note},
        {"Tool", r.toolName + " " + r.toolVersion}};
    if (!r.beforeFile.empty())
        rows.push_back({"Undo record", r.beforeFile});
    return rows;
}

std::string Body(const Report& r, bool forPdf)
{
    std::string h;
    h.reserve(1024 + r.registers.size() * 300);
    h += "<h1>" + std::string(kTitle) + "</h1>\n";
    h += "<table class=\"identity\" cellspacing=\"0\" cellpadding=\"2\">\n";
    for (const auto& [label, value] : IdentityRows(r))
        h += "<tr><td>" + Escape(label) + "</td><td>" + Escape(value) + "</td></tr>\n";
    h += "</table>\n";

    const int unread = r.unreadCount();
    if (!r.incomplete.empty()) {
        h += "<p class=\"warning\">This report is incomplete: " + Escape(r.incomplete) + "; " +
             std::to_string(unread) + (unread == 1 ? " register was" : " registers were") +
             " not read.</p>\n";
    } else if (unread > 0) {
        h += "<p class=\"warning\">" + std::to_string(unread) +
             (unread == 1 ? " register could not be read from the unit: " : " registers could not be read from the unit: ");
        bool first = true;
        for (const ReportRegister& g : r.registers)
            if (!g.read) {
                h += (first ? "" : ", ") + std::to_string(g.address) + " " + Escape(g.name);
                first = false;
            }
        h += ".</p>\n";
    }
    h += "<p>" + std::to_string(r.registers.size()) +
         " registers. Rows marked * differ from the factory default.</p>\n";

    const char* head = "<thead><tr><th>Address</th><th>Name</th><th>Value</th><th>Raw</th><th>Default</th>"
                       "<th>Limits</th><th></th></tr></thead>\n";
    std::string category;
    bool open = false;
    for (const ReportRegister& g : r.registers) {
        if (!open || g.category != category) {
            if (open)
                h += "</tbody></table>\n";
            category = g.category;
            h += "<h2>" + Escape(category.empty() ? std::string("Other") : category) + "</h2>\n";
            h += std::string(forPdf ? "<table class=\"registers\" width=\"100%\" cellspacing=\"0\" cellpadding=\"2\">"
                                    : "<table class=\"registers\">") +
                 head + "<tbody>\n";
            open = true;
        }
        const char* cls = !g.read ? " class=\"unread\"" : g.changed() ? " class=\"changed\"" : "";
        h += "<tr";
        h += cls;
        h += "><td class=\"num\">" + std::to_string(g.address) + "</td><td>" + Escape(g.name) + "</td><td>" +
             Escape(g.shown) + "</td><td class=\"num\">" +
             (g.read && !g.secret ? std::to_string(g.value) + " (" + Hex(g.value) + ")" : std::string("-")) +
             "</td><td>" + Escape(g.shownDefault) + "</td><td class=\"num\">" + (g.secret ? "-" : Limits(g)) +
             "</td><td class=\"mark\">" + (g.changed() ? "*" : !g.read ? "not read" : "") + "</td></tr>\n";
    }
    if (open)
        h += "</tbody></table>\n";

    if (!r.changes.empty()) {
        h += "<h2>Changes written over this connection</h2>\n";
        h += std::string(forPdf ? "<table class=\"registers\" width=\"100%\" cellspacing=\"0\" cellpadding=\"2\">"
                                : "<table class=\"registers\">") +
             "<thead><tr><th>Time</th><th>Address</th><th>Name</th><th>Before</th><th>After</th><th>Result</th></tr>"
             "</thead><tbody>\n";
        for (const ReportChange& c : r.changes) {
            const bool pin = c.address == 2008;
            h += "<tr><td>" + Escape(ReportClock::Readable(c.time)) + "</td><td class=\"num\">" +
                 std::to_string(c.address) + "</td><td>" + Escape(c.name) + "</td><td class=\"num\">" +
                 (pin ? std::string("-") : std::to_string(c.before)) + "</td><td class=\"num\">" +
                 (pin ? std::string("-") : std::to_string(c.after)) + "</td><td>" + Escape(ResultWords(c.result)) +
                 "</td></tr>\n";
        }
        h += "</tbody></table>\n";
    }

    if (forPdf) {
        h += "<br/><br/><br/><table width=\"100%\" cellspacing=\"0\" cellpadding=\"4\"><tr>"
             "<td width=\"45%\" style=\"border-top: 1px solid #111;\">Technician: " +
             Escape(r.technician) +
             "</td><td width=\"10%\"></td><td width=\"45%\" style=\"border-top: 1px solid #111;\">Client</td></tr>"
             "</table>\n";
    } else {
        h += "<div class=\"signatures\"><div>Technician: " + Escape(r.technician) +
             "</div><div>Client</div></div>\n";
        h += "<p class=\"footer\">" + Escape(r.toolName + " " + r.toolVersion) + "</p>\n";
    }
    return h;
}

std::string Render(const Report& r)
{
    std::string page = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>";
    page += std::string(kTitle) + " - " + Escape(r.unit.deviceName.empty() ? std::to_string(r.unit.deviceType)
                                                                           : r.unit.deviceName);
    page += "</title>\n<style>" + std::string(kStyle) + "</style>\n</head>\n<body>\n";
    page += Body(r, false);
    page += "</body>\n</html>\n";
    return page;
}

} // namespace ReportHtml
