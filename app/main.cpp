// tavemo-config: the configuration tool for ORVELANT room operating units.
// It takes no options of its own; the port and the PIN are chosen on the
// COM-Interface page.
#include "app/CTavemoConfigurationToolApp.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tavemo-ConfigurationTool"));
    QApplication::setApplicationVersion(QStringLiteral(TAVEMO_VERSION));
    CTavemoConfigurationToolApp tool;
    tool.InitInstance();
    return 0;
}
