// tavemo-config: the configuration tool for ORVELANT room operating units.
// The port and the PIN are chosen on the COM-Interface page; the only
// options are --help and --version, answered before any window opens (so
// they work without a display, and the manual page is written from them).
#include "app/CTavemoConfigurationToolApp.h"
#include "diag/Version.h"

#include <QApplication>

#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kHelp =
    "usage: tavemo-config [--help | --version]\n"
    "The configuration tool for ORVELANT room operating units and room controllers:\n"
    "configure, test and update a unit through the serial interface adapter.\n"
    "Choose the adapter's port and connect on the COM-Interface page; a unit with a\n"
    "PIN asks for it there.\n"
    "options:\n"
    "  --help      show this text and exit\n"
    "  --version   show the program's name and version and exit\n"
    "If the port cannot be opened, the status line says why: access denied (the\n"
    "device's group, or the package's udev rule), in use by another program, or\n"
    "gone (unplugged).\n";

} // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kHelp, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("tavemo-config %s\n", TavemoVersion());
            return 0;
        }
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tavemo-ConfigurationTool"));
    QApplication::setApplicationVersion(QString::fromLatin1(TavemoVersion()));
    CTavemoConfigurationToolApp tool;
    tool.InitInstance();
    return 0;
}
