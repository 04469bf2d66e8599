// "File" > "Commission From Plan...": the connected unit gets a room of a
// commissioning plan. The plan and the output folder are chosen here and
// remembered in the user's settings; the rooms are listed with their state
// from the output folder's status file and claims (the same files
// tavemo-cli commission keeps, so both can work on one plan at once), the
// first pending one chosen. "Preview" reads the unit and lists what would
// change; "Commission" claims the room, runs the whole pipeline with the
// progress box, records the outcome in the status file, offers the unit's
// report and moves on to the next pending room. A done room is
// commissioned again only when the user says so, and a room another run
// has is not taken.
//
// Thread rules: user-interface thread only.
#pragma once

#include "tools/commission/CommissionPlan.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <vector>

class CConnection;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class RegisterCatalogue;

class CDlgCommission : public QDialog
{
    Q_OBJECT

public:
    // Columns of the room list and of the differences.
    enum RoomColumn { kRoom, kDeviceType, kTemplate, kState };
    enum DiffColumn { kRegister, kName, kUnitValue, kPlanValue };

    CDlgCommission(CConnection& connection, RegisterCatalogue& catalogue, QString settingsFile,
                   QWidget* parent = nullptr);

    QLineEdit* planField() const { return m_plan; }
    QLineEdit* folderField() const { return m_folder; }
    QTreeWidget* rooms() const { return m_rooms; }
    QTreeWidget* differences() const { return m_differences; }
    QPushButton* previewButton() const { return m_preview; }
    QPushButton* commissionButton() const { return m_commission; }
    QPushButton* openReportButton() const { return m_openReport; }
    QLabel* messageLine() const { return m_message; }

    // Reads the plan and the status file again (after the fields changed).
    void reload();
    // The desktop's viewer for the report; replaced in tests.
    void setReportOpener(std::function<void(const QString&)> open) { m_openReportFile = std::move(open); }

private:
    const Commission::PlanRow* chosenRow() const;
    void enableActions();
    // Claims the room for this window (asking where a run on another
    // computer has it); false, with the reason shown, when it cannot (a done
    // room only when the user said to redo it).
    bool claim(const Commission::PlanRow& row, bool redoDone);
    void preview();
    void commission();
    void remember();
    QString reportPath(const std::string& room) const;

    CConnection& m_connection;
    RegisterCatalogue& m_catalogue;
    QString m_settingsFile;
    Commission::Plan m_planRows;
    QLineEdit* m_plan = nullptr;
    QLineEdit* m_folder = nullptr;
    QTreeWidget* m_rooms = nullptr;
    QTreeWidget* m_differences = nullptr;
    QPushButton* m_preview = nullptr;
    QPushButton* m_commission = nullptr;
    QPushButton* m_openReport = nullptr;
    QLabel* m_message = nullptr;
    QString m_lastReport;
    QString m_loadedPlan;   // the fields as the lists were last read
    QString m_loadedFolder;
    std::function<void(const QString&)> m_openReportFile;
};
