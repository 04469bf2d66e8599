// Precompiled for the programs that drive the whole main window against the
// simulator (the page tests and the screenshot programs): the widget test
// headers and the window's own, which every one of them parses. Only a speed-up:
// each file still includes what it uses.
#include "qt_test.h"

#include "app/CTavemoConfigurationToolDlg.h"
#include "app/CXTabCtrl.h"
#include "link/CModbus.h"
#include "link/ui/CDlgPw.h"
#include "link/ui/CTabInterface.h"
#include "model/RegisterCatalogue.h"
#include "pages/CPageWidget.h"

#include <QAccessible>
// Not Qt Test: its header takes each test's own build folder (a macro the
// compiler would find defined differently and refuse the shared header for).
