// The application: builds the register catalogue, attaches the log file,
// and runs the main window until the user closes it.
//
// Thread rules: user-interface thread only; a QApplication must exist.
#pragma once

#include "diag/LogFileSink.h"
#include "model/RegisterCatalogue.h"

#include <memory>

class CTavemoConfigurationToolDlg;

class CTavemoConfigurationToolApp
{
public:
    CTavemoConfigurationToolApp();
    ~CTavemoConfigurationToolApp();
    CTavemoConfigurationToolApp(const CTavemoConfigurationToolApp&) = delete;
    CTavemoConfigurationToolApp& operator=(const CTavemoConfigurationToolApp&) = delete;

    // Start, run the event loop until the main window closes, Finish.
    // Returns false: the process ends afterwards.
    bool InitInstance();

    // The steps of InitInstance, for tests and measurements: Start builds
    // the catalogue, attaches the log file and shows the main window;
    // Finish closes the serial port and detaches the log file.
    CTavemoConfigurationToolDlg& Start();
    void Finish();

    RegisterCatalogue& catalogue() { return m_catalogue; }
    CTavemoConfigurationToolDlg* mainWindow() { return m_mainWindow.get(); }

private:
    RegisterCatalogue m_catalogue;
    LogFileSink m_logSink;
    LogSink* m_previousSink = nullptr;
    bool m_sinkAttached = false;
    std::unique_ptr<CTavemoConfigurationToolDlg> m_mainWindow;
};
