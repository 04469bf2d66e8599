// What the Modbus and BACnet test pages share on screen: a heading, column
// headings, one row per register or object kind with its number field,
// value field, "Write" and "Read" buttons and read-only result field, and
// an "Open Test Log" button under them. The pages are thin: their actions
// are CModbusTestLogic and CBACnetTestLogic.
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
#include "tools/bustest/CBusTestLogic.h"

#include <QWidget>

#include <functional>
#include <string>
#include <vector>

class CConnection;
class CTestLog;
class IPageHost;
class QCheckBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;

class CBusTestPage : public QWidget, public ITabPage
{
    Q_OBJECT
public:
    // The entry filter of a field, run on every change of its text.
    enum class Entry
    {
        Digits,   // register numbers
        Integer,  // digits, a minus only in front
        Decimal,  // and one decimal point ("," becomes ".")
        Time,     // digits and ":"
        DateTime, // digits, ":", "." and space
        Text,     // anything
        Result,   // read-only: what the unit answered
    };
    // The grid's columns.
    enum Column
    {
        kLabelColumn,
        kNumberColumn,
        kValueColumn,
        kWriteColumn,
        kReadColumn,
        kResultColumn,
    };

    CBusTestPage(CConnection& connection, IPageHost& host, CTestLog* log, QWidget* parent);

    // ITabPage
    void preparePage() override;
    void clearPage() override;

    // The controls by their accessible names; null when there is none.
    QLineEdit* field(const QString& name) const;
    QPushButton* button(const QString& name) const;
    QCheckBox* check(const QString& name) const;
    QPushButton* openLogButton() const { return m_openLog; }

protected:
    // The heading and the column headings (number, value out, value in).
    void addHeadings(const QString& heading, const QString& number, const QString& valueOut, const QString& valueIn);
    // A row's label; its number field becomes its buddy.
    void addRowLabel(int row, const QString& caption);
    QLineEdit* addField(int row, Column column, const QString& rowName, const QString& columnName, Entry entry,
                        int maxLength = 0);
    QCheckBox* addCheck(int row, const QString& rowName, const QString& caption);
    // A button that talks to the unit; off in demo mode.
    QPushButton* addButton(int row, Column column, const QString& rowName, const QString& caption,
                           std::function<void()> action);
    // Ends the grid: the "Open Test Log" button under the rows.
    void finish();
    // A read's text into its result field; a write or an action that did
    // not run leaves the field as it was.
    static void Show(QLineEdit* result, const CBusTestLogic::Outcome& outcome);
    static std::string Text(const QLineEdit* field);

private:
    QString mnemonic(const QString& caption);

    CConnection& m_connection;
    IPageHost& m_host;
    CTestLog* m_log;
    QGridLayout* m_grid;
    QPushButton* m_openLog = nullptr;
    std::vector<QPushButton*> m_unitButtons;
    std::vector<QLineEdit*> m_results;
    std::vector<QLabel*> m_rowLabels; // waiting for their number fields as buddies
    QString m_usedMnemonics;
};
