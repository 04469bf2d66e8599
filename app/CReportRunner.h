// "File" > "Commissioning Report..." on screen: the category chooser, the
// technician's name (remembered in the user's settings) and a note, the save
// dialog ("HTML (*.html)", "PDF (*.pdf)", "JSON (*.json)"), the progress box
// while the unit is read, and at the end the offer to open the file with
// the desktop's viewer. The report lists the changes written over this
// connection (CChangeJournal).
//
// Runs as one blocking operation on the user-interface thread with the main
// window's content disabled, as the export does.
//
// Thread rules: user-interface thread only.
#pragma once

#include "tools/config/CConfigExport.h"

#include <QString>

#include <functional>

class CConfigFileRunner;
class CConnection;
class IMainWindow;
class QWidget;
class RegisterCatalogue;

class CReportRunner
{
public:
    // The save dialog's answer: a path ("" cancelled) and the filter chosen.
    using FileChooser = std::function<QString(QString* filter)>;
    // Opens a finished report (the desktop's viewer unless replaced).
    using Opener = std::function<void(const QString& path)>;

    static const QString kHtmlFilter;
    static const QString kPdfFilter;
    static const QString kJsonFilter;

    CReportRunner(QWidget* window, IMainWindow& mainWindow, CConfigFileRunner& files, CConnection& connection,
                  RegisterCatalogue& catalogue, QString settingsFile);

    void Run();

    void setFileChooser(FileChooser chooser) { m_chooser = std::move(chooser); }
    void setOpener(Opener opener) { m_opener = std::move(opener); }
    void setPacing(const ExportPacing& pacing) { m_pacing = pacing; }

    // The technician's name the settings remember.
    QString rememberedTechnician() const;
    // The message the last run ended with.
    const QString& lastMessage() const { return m_lastMessage; }
    bool running() const { return m_running; }

    // The path with the filter's extension unless it ends in one of the three.
    static QString WithExtension(const QString& path, const QString& filter);

private:
    QWidget* m_window;
    IMainWindow& m_mainWindow;
    CConfigFileRunner& m_files;
    CConnection& m_connection;
    RegisterCatalogue& m_catalogue;
    QString m_settingsFile;
    FileChooser m_chooser;
    Opener m_opener;
    ExportPacing m_pacing;
    QString m_lastMessage;
    bool m_running = false;
};
