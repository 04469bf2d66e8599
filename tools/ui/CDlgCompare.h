// "File" > "Compare With File...": the registers of a configuration file
// beside the unit's values, by category (register, name, unit value, file
// value in the form the pages show them, and why a register would not be
// written). Differences only unless "Show equal registers too" is checked.
// Each register that differs and would be written has a check box (all
// checked when the dialog opens); "Write Checked" hands the checked values
// to the caller, which writes and verifies them and reports back through
// showWriteResult. Without a unit to write to (demo mode) the boxes and the
// button are off.
//
// The unit's PIN shows as "set" or "none" on both sides, as in the
// commissioning report, until the user checks "Show PIN".
//
// Keyboard: the list takes the focus first; the arrows move between rows,
// Space checks and unchecks, Tab reaches the box and the buttons. Every
// cell is text a screen reader reads from the list.
//
// Thread rules: user-interface thread only.
#pragma once

#include "tools/config/CConfigChangesImport.h"
#include "tools/config/ConfigCompare.h"

#include <QDialog>

#include <functional>
#include <vector>

class QCheckBox;
class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

class CDlgCompare : public QDialog
{
    Q_OBJECT
public:
    enum Column
    {
        kRegister,
        kName,
        kUnitValue,
        kFileValue,
        kNote,
    };
    using WriteHandler = std::function<void(const std::vector<ConfigFile::Value>&)>;

    // canWrite: a unit is there to write to; note: a line above the list
    // (what was compared with what).
    CDlgCompare(const ConfigComparison& comparison, bool canWrite, const QString& note, QWidget* parent = nullptr);

    void setWriteHandler(WriteHandler handler) { m_writeHandler = std::move(handler); }
    // The checked registers with the file's values, ascending.
    std::vector<ConfigFile::Value> checkedValues() const;
    // After a write: verified rows say "written", failed ones their code;
    // both lose their box. The line under the list says the counts.
    void showWriteResult(const ChangesReport& report);
    void setResultText(const QString& text);

    QTreeWidget* list() const { return m_list; }
    QCheckBox* showEqualBox() const { return m_showEqual; }
    // "Show PIN": the PIN's values in clear.
    QCheckBox* showPinBox() const { return m_showPin; }
    QPushButton* writeButton() const { return m_write; }
    QLabel* resultLine() const { return m_result; }
    // The row of an address; nullptr when the comparison has none.
    QTreeWidgetItem* rowOf(uint32_t address) const;

private:
    // The unit's and the file's value of a row, the PIN masked unless asked.
    void showValues(QTreeWidgetItem* item, const CompareRow& row);
    void updateVisibleRows();
    void updateWriteButton();

    ConfigComparison m_comparison;
    bool m_canWrite;
    QTreeWidget* m_list = nullptr;
    QCheckBox* m_showEqual = nullptr;
    QCheckBox* m_showPin = nullptr;
    QPushButton* m_write = nullptr;
    QLabel* m_result = nullptr;
    WriteHandler m_writeHandler;
};
