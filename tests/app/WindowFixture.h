// A started main window (start-up timer done) on the real catalogue and
// theModbus, with the helpers the window tests share: the tab captions and
// enabled flags, and the tab sets the tool builds.
#pragma once

#include "app/CTavemoConfigurationToolDlg.h"
#include "app/CXTabCtrl.h"
#include "link/CModbus.h"
#include "link/CPassword.h"
#include "link/ui/CTabInterface.h"
#include "model/RegisterCatalogue.h"
#include "tests/support/QtApp.h"

#include <QFile>
#include <QTest>

#include <filesystem>
#include <gtest/gtest.h>
#include <memory>

namespace apptest {

class WindowFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        testsupport::App();
        std::filesystem::remove(CPassword::DefaultDirectory() / CPassword::kFileName);
        // Every window starts as on a first run: no size and place kept.
        QFile::remove(CTavemoConfigurationToolDlg::WindowSettingsFile());
        catalogue.Build();
        window = std::make_unique<CTavemoConfigurationToolDlg>(catalogue, theModbus);
        window->show();
        ASSERT_TRUE(QTest::qWaitFor([this] { return window->isStarted(); }, 3000));
        page = window->comInterface();
        // As for a user: the tab timer has looked at the first tab.
        ASSERT_TRUE(waitForTick());
    }

    void TearDown() override
    {
        CPassword::SetClock(nullptr);
        theModbus.disconnect();
        window.reset();
    }

    QStringList captions() const { return window->tabs()->captions(); }
    std::vector<bool> enabled() const
    {
        std::vector<bool> flags;
        for (int i = 0; i < window->tabs()->count(); ++i)
            flags.push_back(window->tabs()->IsTabEnabled(i));
        return flags;
    }
    bool onlyFirstTabEnabled() const
    {
        const auto flags = enabled();
        for (std::size_t i = 0; i < flags.size(); ++i)
            if (flags[i] != (i == 0))
                return false;
        return true;
    }
    bool allTabsEnabled() const
    {
        for (bool on : enabled())
            if (!on)
                return false;
        return true;
    }
    // Waits until the tab timer has handled the current selection.
    bool waitForTick()
    {
        return QTest::qWaitFor([this] { return window->lastTab() == window->tabs()->currentIndex(); }, 2000);
    }

    RegisterCatalogue catalogue;
    std::unique_ptr<CTavemoConfigurationToolDlg> window;
    CTabInterface* page = nullptr;
};

// The tab sets the tool builds.
inline QStringList TabSet(const char* protocol, bool controller, bool tiles)
{
    QStringList set = {"COM-Interface", "FW-Update", protocol,      "Common", "Sensors",
                       "Room Climate",  "Inputs",    "Sun Protect", "Light"};
    if (controller)
        set << "Controller";
    if (tiles)
        set << "Tiles";
    set << "Time Program"
        << "ReMa";
    return set;
}

} // namespace apptest
