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

    // "Open Test Log" in its row, under the rows with a gap above it.
    static constexpr Page::Row OpenTestLogRow(int row)
    {
        return {.id = kOpenTestLog, .kind = Page::Kind::Button, .caption = "Open Test Log", .row = row,
                .span = 2, .align = Page::Align::Left,
                .toolTip = "The record of every test of this run, in the log folder"};
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
