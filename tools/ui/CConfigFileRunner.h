// "File" > "Save Configuration..." (ExportConfiguration) and "File" >
// "Import Configuration..." (ImportConfiguration) on screen: the category
// chooser, the file dialogs, the progress box and the closing message, over
// the toolkit-free export and import (tools/config/).
//
// Both run as one blocking operation on the user-interface thread with the
// main window's content disabled (enabled again in every outcome). With a
// unit connected the export reads the unit, else the catalogue; the import
// always fills the catalogue and, outside demo mode, writes the unit.
//
// Both can be cancelled from the progress box: the export after the
// register under way (the previous file stays as it was), the import after
// the record under way. The export's end goes to the status line too: where
// the file went, or that it was not written.
//
// The end: the bar at 100 %, green or red. Something to tell (a register
// missing, the link lost, a file that cannot be written or is no export
// file, an import that was not all ok, or "Done - all ok") comes in a
// message box, which also keeps the final state on screen; otherwise the
// progress box stays kEndPauseMs before it closes.
//
// "File" > "Compare With File..." (CompareWithFile) reads the registers a
// file names from the unit and shows the differences; the user writes the
// checked ones from the dialog; its reading can be cancelled too, and then
// nothing is compared.
//
// Thread rules: user-interface thread only.
#pragma once

#include "tools/config/CConfigExport.h"
#include "tools/config/ConfigFile.h"

#include <QString>

#include <functional>
#include <string>

class CConnection;
class IMainWindow;
class QWidget;
class RegisterCatalogue;

class CConfigFileRunner
{
public:
    static constexpr int kEndPauseMs = 2500;

    // What a file dialog gave: the path and the format of the filter chosen
    // (None for "All (*.*)"); an empty path when it was cancelled.
    struct FileChoice
    {
        std::string path;
        ConfigFile::Format filter = ConfigFile::Format::None;
    };
    // Shows the save (true) or open (false) dialog.
    using FileChooser = std::function<FileChoice(bool save)>;

    CConfigFileRunner(QWidget* window, IMainWindow& mainWindow, CConnection& connection,
                      RegisterCatalogue& catalogue);

    void ExportConfiguration();
    void ImportConfiguration();
    // "File" > "Compare With File...": the file's registers read from the
    // unit with the progress box, then the comparison dialog (CDlgCompare);
    // its "Write Checked" writes and verifies through the unit session and
    // then asks whether to "Save To NVRAM". In demo mode the comparison is
    // against the stored values and nothing is written.
    void CompareWithFile();

    // The platform's file dialogs unless replaced (tests).
    void setFileChooser(FileChooser chooser) { m_chooser = std::move(chooser); }
    void setEndPauseMs(int ms) { m_endPauseMs = ms; }
    void setPacing(const ExportPacing& pacing) { m_pacing = pacing; }

    // The message the last run ended with ("" none) and whether its bar was green.
    const QString& lastMessage() const { return m_lastMessage; }
    bool lastEndedGreen() const { return m_lastGreen; }
    bool running() const { return m_running; }

    // The unit behind the connection; the job opens and closes its link in
    // the unit session's steps (the commissioning report reads through it too).
    class CModbusConfigUnit unitOnLink();

private:
    FileChoice chooseWithDialog(bool save);
    void showEnd(class CDlgProgress& progress, const QString& title, const QString& message, bool information);
    void showExportStatus(const ExportReport& report, const std::string& path);
    void writeChecked(const std::vector<ConfigFile::Value>& values, class CDlgCompare& dialog,
                      const struct ConfigComparison& comparison);

    QWidget* m_window;
    IMainWindow& m_mainWindow;
    CConnection& m_connection;
    RegisterCatalogue& m_catalogue;
    FileChooser m_chooser;
    int m_endPauseMs = kEndPauseMs;
    ExportPacing m_pacing;
    QString m_lastMessage;
    bool m_lastGreen = false;
    bool m_running = false;
};
