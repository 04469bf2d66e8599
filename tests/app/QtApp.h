// The one QApplication of a test process, created after the test
// environment is in place.
#pragma once

#include "tests/app/AppTestEnv.h"

#include <QApplication>

namespace apptest {

inline QApplication& App()
{
    Root();
    static int argc = 1;
    static char name[] = "test_app";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

} // namespace apptest
