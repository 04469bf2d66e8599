// What the Modbus and BACnet test pages share: the form built from the
// page's rows (a heading, column headings, one row per register or object
// kind with its number field, value field, "Write" and "Read" buttons and
// read-only result field, and "Open Test Log" under them), the buttons'
// actions, demo mode and another unit. The pages are their rows; their
// actions are CModbusTestLogic and CBACnetTestLogic.
//
// Names for assistive tools: a row's fields are named by the row and the
// column ("Holding Address", "Holding Value (out)", "Holding Value (in)"),
// its buttons and check box by the row and their caption ("Holding Read",
// "Coil Active"), since every row has a "Read". field(), button() and
// check() find them by those names.
//
// Demo mode: the buttons that talk to the unit are off (there is none).
// Another unit: the result fields are emptied.
//
// Thread rules: user-interface thread only.
#pragma once

#include "pages/core/ITabPage.h"
#include "pages/core/PageTypes.h"
#include "pages/form/CControlSet.h"
#include "tools/bustest/CBusTestLogic.h"

#include <QWidget>

#include <algorithm>
#include <array>
#include <functional>
#include <span>
#include <string>

class CConnection;
class CTestLog;
class IPageHost;
class QCheckBox;
class QLineEdit;
class QPushButton;

class CBusTestPage : public QWidget, public ITabPage
{
    Q_OBJECT
public:
    // The grid's columns: a row's label and number field, its value field
    // (or check box), its buttons and its result.
    enum Column
    {
        kLabelColumn,
        kNumberColumn,
        kValueColumn,
        kWriteColumn,
        kReadColumn,
        kResultColumn,
        kColumns,
    };
    // The page's own ids stay below this; "Open Test Log" is the page's.
    static constexpr Page::ControlId kOpenTestLog = 999;

    // Widths that hold what the fields take: a register number, a value, a
    // date and time, and (growing with the window) a 48-character text read
    // back; together they fit the window at its smallest.
    static constexpr int16_t kNumberWidth = 70;
    static constexpr int16_t kValueWidth = 110;
    static constexpr int16_t kTextWidth = 170;
    static constexpr int16_t kResultWidth = 300;

    // The controls of a row: its number field and the rest at ids from the
    // row's base id on.
    enum Part : Page::ControlId
    {
        kNumber,
        kValue, // the value field or the check box
        kResult,
        kWrite,
        kRead,
        kParts,
    };

    // A control's name for assistive tools: the row's name and the column's
    // or the control's caption ("Holding" "Address": "Holding Address").
    template <Page::Literal row, Page::Literal part> struct Name
    {
        static constexpr std::size_t kSize = sizeof(row.text) + sizeof(part.text);
        static constexpr std::array<char, kSize> kText = [] {
            std::array<char, kSize> t{};
            std::copy_n(row.text, sizeof(row.text) - 1, t.begin());
            t[sizeof(row.text) - 1] = ' ';
            std::copy_n(part.text, sizeof(part.text), t.begin() + sizeof(row.text));
            return t;
        }();
    };
    template <Page::Literal row, Page::Literal part> static constexpr const char* Named()
    {
        return Name<row, part>::kText.data();
    }

    // A row's controls in the order the keyboard passes them: its number
    // field (its label is the row's name), its value field (filter, width
    // and most characters as given; Page::EntryFilter::None and width 0:
    // none, only read) or its "Active" box (checkBox), its result field,
    // its "Write" button (when it has a value) and its "Read" button.
    struct Shape
    {
        Page::EntryFilter number = Page::EntryFilter::Integer;
        bool written = true;
        bool checkBox = false;
        Page::EntryFilter value = Page::EntryFilter::None;
        int16_t width = kValueWidth;
        int16_t maxLength = 0;
    };
    template <Page::Literal row, Page::Literal numberColumn>
    static constexpr std::array<Page::Row, kParts> Controls(Page::ControlId base, int at, Shape shape)
    {
        using Page::Kind;
        const Page::ControlId none = Page::kNoControl;
        return {{
            {.id = base + kNumber, .kind = Kind::Number, .caption = row.text, .row = at, .column = kLabelColumn,
             .filter = shape.number, .accessibleName = Named<row, numberColumn>(), .width = kNumberWidth},
            shape.checkBox
                ? Page::Row{.id = base + kValue, .kind = Kind::Check, .caption = "Active", .row = at,
                            .column = kValueColumn, .accessibleName = Named<row, "Active">()}
                : Page::Row{.id = shape.written ? base + kValue : none, .kind = shape.written ? Kind::Number : Kind::None,
                            .row = at, .column = kValueColumn, .filter = shape.value,
                            .accessibleName = Named<row, "Value (out)">(), .width = shape.width,
                            .maxLength = shape.maxLength},
            {.id = base + kResult, .kind = Kind::ReadOnly, .row = at, .column = kResultColumn,
             .accessibleName = Named<row, "Value (in)">(), .width = kResultWidth},
            {.id = shape.written ? base + kWrite : none, .kind = shape.written ? Kind::Button : Kind::None,
             .caption = "Write", .row = at, .column = kWriteColumn, .accessibleName = Named<row, "Write">(),
             .needsUnit = shape.written},
            {.id = base + kRead, .kind = Kind::Button, .caption = "Read", .row = at, .column = kReadColumn,
             .accessibleName = Named<row, "Read">(), .needsUnit = true},
        }};
    }
    // The heading and the column headings over the rows.
    static constexpr std::array<Page::Row, 4> Headings(Page::ControlId base, const char* heading, const char* number)
    {
        using Page::Kind;
        return {{
            {.id = base, .kind = Kind::Heading, .caption = heading, .span = kColumns},
            {.id = base + 1, .kind = Kind::UnitLabel, .caption = number, .row = 1, .column = kNumberColumn},
            {.id = base + 2, .kind = Kind::UnitLabel, .caption = "Value (out)", .row = 1, .column = kValueColumn},
            {.id = base + 3, .kind = Kind::UnitLabel, .caption = "Value (in)", .row = 1, .column = kResultColumn},
        }};
    }
    // "Open Test Log" in its row, under the rows with a gap above it.
    static constexpr std::array<Page::Row, 1> OpenTestLogRow(int row)
    {
        return {Page::Row{.id = kOpenTestLog, .kind = Page::Kind::Button, .caption = "Open Test Log", .row = row,
                .span = 2, .align = Page::Align::Left,
                .toolTip = "The record of every test of this run, in the log folder"}};
    }

    // rows: the page's form; they must outlive the page.
    CBusTestPage(std::span<const Page::Row> rows, CConnection& connection, IPageHost& host, CTestLog* log,
                 QWidget* parent);

    // ITabPage
    void preparePage() override;
    void clearPage() override;

    // The controls by their accessible names; null when there is none.
    QLineEdit* field(const QString& name) const;
    QPushButton* button(const QString& name) const;
    QCheckBox* check(const QString& name) const;
    QPushButton* openLogButton() const { return m_controls.as<QPushButton>(kOpenTestLog); }

protected:
    // What a button does.
    void onClick(Page::ControlId button, std::function<void()> action);
    // A read's text into its result field; a write or an action that did
    // not run leaves the field as it was.
    void showResult(Page::ControlId result, const CBusTestLogic::Outcome& outcome);
    std::string text(Page::ControlId field) const { return m_controls.text(field); }
    bool checked(Page::ControlId box) const { return m_controls.checked(box); }

private:
    std::span<const Page::Row> m_rows;
    CConnection& m_connection;
    CControlSet m_controls;
};
