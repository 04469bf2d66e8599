// The one QApplication of a test program, created on first use (after the
// test environment is in place) and kept to the end of the process.
#pragma once

#include <QApplication>

namespace testsupport {

inline QApplication& App()
{
    static int argc = 1;
    static char name[] = "tavemo-test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

} // namespace testsupport
