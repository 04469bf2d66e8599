// The "ReMa" page: edits the unit's custom register addressing tables
// (which register answers at which customized bus address), reads them from
// the unit and writes them back, and saves and loads them as files. The
// rules live in CReMaEditor; this class binds the controls to it and runs
// the unit and file actions with the status line, the busy box and the
// progress box.
//
// The page reads nothing from the unit when it is shown: it refills its
// lists from the tool's own copy of the tables (also after the unit changed
// its protocol, which renames the tables for BACnet).
//
// Thread rules: user-interface thread only; the unit actions block it while
// they wait for the unit (up to 2000 ms a reply).
#pragma once

#include "link/UnitSession.h"
#include "pages/core/ITabPage.h"
#include "pages/form/CControlSet.h"
#include "tools/rema/CReMaEditor.h"
#include "tools/ui/CDlgProgress.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class CConnection;
class IPageHost;
class QComboBox;
class QPushButton;
class QSpinBox;
class QTreeWidget;

class CTabFavorites : public QWidget, public ITabPage
{
    Q_OBJECT
public:
    // The file dialog: save or open, its title and the proposed name; the
    // chosen path, or empty when the user cancelled. Tests replace it.
    using FileChooser = std::function<QString(bool save, const QString& title, const QString& proposed)>;

    CTabFavorites(IPageHost& host, CConnection& connection, RegisterCatalogue& catalogue, QWidget* parent = nullptr);
    ~CTabFavorites() override;

    // ITabPage
    void preparePage() override;  // the unit buttons follow demo mode
    void activatePage() override; // refills the page; reads nothing
    void protocolChanged() override;

    // Fills the sort order, the table selector (Modbus or BACnet texts),
    // the categories and the list.
    void fill();

    // The actions of the buttons.
    void readFromTarget();
    void writeToTarget();
    void defaultList();
    void loadList();
    void saveList();
    void deleteEntry();
    void defaultOnEntry();

    void setFileChooser(FileChooser chooser) { m_chooseFile = std::move(chooser); }

    // For tests and assistive tools.
    CReMaEditor& editor() { return m_editor; }
    QComboBox* sortBox() const { return m_sort; }
    QComboBox* selectorBox() const { return m_selector; }
    QSpinBox* addressField() const { return m_address; }
    QComboBox* categoryBox() const { return m_category; }
    QComboBox* registerBox() const { return m_register; }
    QTreeWidget* list() const { return m_list; }
    QPushButton* button(const QString& caption) const;
    // The list's lines as "c\tcategory\td - name".
    QStringList lineTexts() const;
    // The progress box of the last file action, while it is open.
    CDlgProgress* progress() const { return m_progress; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void selectorChosen(int index);
    void addressChanged(int value);
    void categoryChosen(int index);
    void registerChosen(int index);
    void lineChosen();
    // Shows what the edited address maps to: category and register.
    void showMapping();
    void fillRegisters(int category);
    void rebuildList();
    void fillCategories();
    // An edit action, then the mapping and the list shown anew.
    void edited();
    QString chooseFile(bool save, const QString& title, const QString& proposed);
    // Reading or writing the shown list: the unit session's steps (nothing
    // in demo mode or without a ready unit), "Running..." and the busy
    // overlay around the transfer; reachedLink (may be null) says whether
    // the checks before the link passed.
    UnitActionResult runOnUnit(bool sameDevice, const std::function<int(ReMa::ILink&)>& transfer,
                               bool* reachedLink);
    // A file export (save) or import: the file chosen, then transfer runs
    // under the progress box; the status line names the outcome.
    using FileTransfer = std::function<ReMa::ImportResult(const std::string& path, const ReMa::Progress& progress)>;
    void transferFile(bool save, const FileTransfer& transfer);

    IPageHost& m_host;
    CConnection& m_connection;
    CReMaEditor m_editor;
    std::vector<CReMaEditor::RegisterItem> m_registerItems;
    FileChooser m_chooseFile;
    QPointer<CDlgProgress> m_progress;
    bool m_updating = false; // controls set by the page, not by the user

    // The form (its rows are in the source); the controls the page fills.
    CControlSet m_controls;
    QComboBox* m_sort;
    QComboBox* m_selector;
    QSpinBox* m_address;
    QComboBox* m_category;
    QComboBox* m_register;
    QTreeWidget* m_list;
};
