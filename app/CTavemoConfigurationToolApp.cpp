#include "app/CTavemoConfigurationToolApp.h"

#include "app/CTavemoConfigurationToolDlg.h"
#include "diag/Logger.h"
#include "link/CModbus.h"

#include <QApplication>

CTavemoConfigurationToolApp::CTavemoConfigurationToolApp() = default;

CTavemoConfigurationToolApp::~CTavemoConfigurationToolApp()
{
    Finish();
}

CTavemoConfigurationToolDlg& CTavemoConfigurationToolApp::Start()
{
    m_catalogue.Build();
    theModbus.setCatalogue(&m_catalogue);

    // The download parts log through the shared logger; keep their lines
    // in a file per run for support.
    if (!m_sinkAttached && m_logSink.Open(LogFileSink::DefaultFolder(), "tavemo-config") == 0) {
        m_previousSink = Logger::Instance().SetSink(&m_logSink);
        m_sinkAttached = true;
    }

    m_mainWindow = std::make_unique<CTavemoConfigurationToolDlg>(m_catalogue, theModbus);
    m_mainWindow->show();
    return *m_mainWindow;
}

void CTavemoConfigurationToolApp::Finish()
{
    theModbus.disconnect();
    m_mainWindow.reset();
    if (theModbus.catalogue() == &m_catalogue)
        theModbus.setCatalogue(nullptr);
    if (m_sinkAttached) {
        Logger::Instance().SetSink(m_previousSink);
        m_sinkAttached = false;
    }
}

bool CTavemoConfigurationToolApp::InitInstance()
{
    CTavemoConfigurationToolDlg& window = Start();
    QObject::connect(&window, &CTavemoConfigurationToolDlg::closed, qApp, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    QApplication::exec();
    Finish();
    return false;
}
