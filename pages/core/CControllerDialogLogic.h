// The controller configuration dialogs' logic, free of any toolkit. Each
// dialog mode is a table of fields (register, format, unit, when it is
// enabled or shown); the dialog's rows are built from the mode's table, the
// label of a row is its register's catalogue name. The logic fills the
// fields from the values the Controller page hands over, checks the typed
// numbers against the registers' catalogue limits on "OK" and hands the
// values back. Values of registers the mode does not show pass through
// unchanged.
//
// The output values view also talks to the unit: refreshOutputValues reads
// the outputs and formats them again; a refresh that is due while one runs
// is skipped. The periodic refresh reads the unit the page identified and
// does not identify it again (each identification costs some twenty
// commands); "Refresh" identifies first. A refresh that gets no answer
// ends the periodic refresh: the view says so (note kRefreshStopped) until
// a "Refresh" reads the unit again, because each refresh of a silent unit
// would hold the window for the read's time-outs.
//
// A refused value leaves the catalogue as it was: the field keeps what the
// user typed, the information line names the limits (the raw words, then
// the field's own scale and unit). An empty field is no number and is
// refused. Rows hidden or disabled for the unit never block "OK"; their
// values go back unchanged.
//
// A register the page could not read (DialogRequest::unread) shows the
// catalogue's value greyed and is named in a note; unless the user changes
// its field it stays in the request's unread set, so the page neither
// stores nor writes it. Hidden registers of the launch are named too.
//
// Result codes: those of IUnitAccess (refreshOutputValues).
//
// Thread rules: user-interface thread only.
#pragma once

#include "pages/core/CHoverInfo.h"
#include "pages/core/ControllerDialogTypes.h"
#include "pages/core/IPageControls.h"
#include "pages/core/IPageHost.h"
#include "pages/core/PageTypes.h"

#include <map>
#include <memory>
#include <set>
#include <span>
#include <string>
#include <vector>

class IUnitAccess;
class RegisterCatalogue;

namespace ControllerDialogId {
enum : Page::ControlId
{
    Header = 1,
    Info,
    Ok,
    Cancel,
    Unread, // the note naming the registers the unit did not give
    Stopped, // output values view: the note that the refresh has stopped
    FirstField = 100, // field n of the mode's table
    FirstUnit = 200,  // its unit label
};
} // namespace ControllerDialogId

enum class FieldFormat : uint8_t
{
    List,       // a list; index = value - listOffset
    Tenths,     // "%0.1f" of value / 10
    Hundredths, // "%0.2f" of value / 100
    Integer,    // "%i"
    SetPoint,   // the second controller's present set-point: (402 + 8049) in tenths
    Quantity,   // the fan controller's set-point, "---" when no air quantity is mapped
};

enum class FieldUnit : uint8_t
{
    None,
    Temperature,
    Percent,
    Minutes,
    Seconds,
    Days,
    Volt,
    Quantity
};

// What an enabling or showing rule looks at.
struct FieldRuleInput
{
    int deviceType;
    const std::map<uint16_t, uint16_t>& values;
    uint16_t fanMapping;
    int valveEntry; // the valve list's selection (6-way valve mode)
    uint16_t value(uint16_t address) const
    {
        const auto it = values.find(address);
        return it == values.end() ? 0 : it->second;
    }
};
using FieldRule = bool (*)(const FieldRuleInput&);

struct DialogField
{
    uint16_t address;
    FieldFormat format;
    FieldUnit unit = FieldUnit::None;
    std::span<const char* const> items = {};
    int listOffset = 0;
    FieldRule enabled = nullptr; // null: always
    FieldRule shown = nullptr;   // null: always
};

struct DialogMode
{
    std::span<const DialogField> fields;
    // The number fields "OK" checks (and takes), in order.
    std::span<const uint16_t> checks;
    Page::Picture upper = Page::Picture::None;
    Page::Picture lower = Page::Picture::None;
    // List selections start at the value limited to the register's range.
    bool limitLists = false;
};

class CControllerDialogLogic
{
public:
    static constexpr int kOutputRefreshMs = 5000;
    static constexpr const char* kRefreshStopped =
        "The unit did not answer: the values are no longer refreshed. \"Refresh\" reads them again.";
    static constexpr const char* kRangeError = "Error: selected value out of range [%i - %i]";

    // unit: needed by the output values view only (may be null otherwise).
    CControllerDialogLogic(DialogRequest& request, RegisterCatalogue& catalogue, IPageHost& host,
                           IPageControls& controls, IUnitAccess* unit);
    CControllerDialogLogic(const CControllerDialogLogic&) = delete;
    CControllerDialogLogic& operator=(const CControllerDialogLogic&) = delete;
    ~CControllerDialogLogic();

    // The table of a request's mode.
    static const DialogMode& ModeOf(const DialogRequest& request);
    const DialogMode& mode() const { return m_mode; }
    std::span<const Page::Row> rows() const { return m_rows; }
    CHoverInfo& hover() { return *m_hover; }
    const DialogRequest& request() const { return m_request; }

    // "Configure" or "Configure <subtitle>" ("Global Controller
    // Configuration" for the global settings); the header line.
    std::string caption() const;
    std::string headerLine() const;
    bool outputValues() const { return m_request.dialog == ControllerDialog::OutputValues; }

    // Fills the fields, hides and enables rows, empties the information line.
    void open();
    // The pictures for the present state (upper, lower).
    Page::Picture upperPicture() const;
    Page::Picture lowerPicture() const;
    // The valve list changed: the voltages follow.
    void valveChosen();
    // The user edited a field: an unread one that now differs from what it
    // showed loses its grey cue and leaves the note.
    void userChanged(Page::ControlId id);
    // The note above the buttons ("Not read from the unit: ..."), empty
    // when every register was read.
    std::string unreadNote() const;
    // The range message for a field: the raw limits, then the limits in the
    // field's scale and unit ("  (0.1 - 27.0 \u00b0C)") where they differ.
    std::string rangeMessage(const DialogField& field) const;
    // "OK": true when every check passed (values taken into the request);
    // false leaves the dialog open, *focus the field to give the focus to.
    bool accept(Page::ControlId* focus = nullptr);

    // Output values view: one refresh (skipped while one runs). fromButton:
    // "Refresh", with the identification first and the busy overlay. 0, or
    // the failure of the connect or the first failing read; after a
    // failure refreshStopped() is true (the periodic refresh ends) until a
    // refresh succeeds.
    int refreshOutputValues(bool fromButton);
    bool refreshStopped() const { return m_refreshStopped; }
    // "Refresh": the shown values checked, then a refresh.
    int refreshButton(Page::ControlId* focus = nullptr);
    bool refreshing() const { return m_refreshing; }
    // Whether a label of the output values view is lit for the device type.
    bool outputLabelEnabled(uint16_t address) const;
    // The set-point label's information text.
    std::string setPointInfo() const;

    // Field texts.
    static std::string FormatValue(FieldFormat format, uint16_t word, bool isSigned);
    std::string unitText(FieldUnit unit) const;
    Page::ControlId fieldId(uint16_t address) const; // 0: not in the mode

private:
    class HoverHost;
    void applyEnabling();
    void showUnread();
    // The field of an unread register still shows what it showed at open.
    bool unchangedUnread(uint16_t address) const;
    bool rowActive(const DialogField& field, const FieldRuleInput& in) const;
    bool check(const std::vector<uint16_t>& order, Page::ControlId* focus);
    int32_t parsed(const DialogField& field) const;
    void showOutputs();
    FieldRuleInput ruleInput() const;
    uint16_t value(uint16_t address) const;

    DialogRequest& m_request;
    RegisterCatalogue& m_catalogue;
    IPageHost& m_host;
    IPageControls& m_controls;
    IUnitAccess* m_unit;
    const DialogMode& m_mode;
    std::vector<std::string> m_captions;
    std::vector<Page::Row> m_rows;
    std::unique_ptr<HoverHost> m_hoverHost;
    std::unique_ptr<CHoverInfo> m_hover;
    bool m_refreshing = false;
    bool m_refreshStopped = false;
    std::map<Page::ControlId, std::string> m_shownText; // unread fields at open
    std::map<Page::ControlId, int> m_shownIndex;
    std::set<uint16_t> m_unread; // still unread: neither read nor changed
};
