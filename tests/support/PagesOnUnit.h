// The fixture of the page tests against the simulator: one tavemo-unitsim
// on a pseudo-terminal and one connected main window for a whole suite
// (connecting costs a couple of seconds: the unit's 48 time-program flags
// are read). A test that leaves the tool elsewhere (demo mode, another
// unit, tabs disabled) is healed by the next test's SetUp, which connects
// the suite's unit anew.
//
// The helpers look at what the unit received (the simulator's transcript:
// "RX Mr2001", "RX Mw2011 80") and drive the real widgets as the user would.
#pragma once

#include "app/CTavemoConfigurationToolDlg.h"
#include "app/CXTabCtrl.h"
#include "link/CModbus.h"
#include "link/CPassword.h"
#include "link/ui/CDlgDemoDevice.h"
#include "link/ui/CDlgPw.h"
#include "link/ui/CTabInterface.h"
#include "model/RegisterCatalogue.h"
#include "pages/CPageWidget.h"
#include "tests/support/QtApp.h"
#include "tests/support/SimProcess.h"
#include "tests/support/WhenModal.h"

#include <QAccessible>
#include <QComboBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <span>
#include <sstream>
#include <string>
#include <vector>

namespace pagetest {

class PagesOnUnit : public ::testing::Test
{
protected:
    static constexpr const char* kPin = "42";
    // The simulator's port name; each test process has its own ports folder.
    static constexpr const char* kPort = "ttySIM5";

    // The suite's unit: a 2050 with its pressure in mbar and PIN 42.
    static const std::vector<std::string>& Unit()
    {
        static const std::vector<std::string> unit = {"--device-type", "2050", "--pressure-unit", "2", "--pin",
                                                      kPin};
        return unit;
    }

    static void SetUpTestSuite()
    {
        testsupport::App();
        std::filesystem::remove(CPassword::DefaultDirectory() / CPassword::kFileName);
        s_catalogue = std::make_unique<RegisterCatalogue>();
        s_catalogue->Build();
        s_window = std::make_unique<CTavemoConfigurationToolDlg>(*s_catalogue, theModbus);
        s_window->show();
        (void)QTest::qWaitFor([] { return s_window->isStarted(); }, 3000);
    }
    static void TearDownTestSuite()
    {
        theModbus.disconnect();
        s_window.reset();
        s_sim.reset();
        s_catalogue.reset();
    }

    void SetUp() override
    {
        ASSERT_TRUE(s_window && s_window->isStarted());
        if (!s_sim || window->comInterface()->demoMode() || !allTabsEnabled())
            connect(Unit());
    }

    // (Re)starts the simulator with these options and connects to it with the PIN.
    void connect(const std::vector<std::string>& options)
    {
        restartUnit(options);
        CTabInterface* com = window->comInterface();
        com->refreshPortList();
        com->portList()->setCurrentIndex(
            com->portList()->findText(QString::fromStdString(sim().name()), Qt::MatchStartsWith));
        const auto answer = testsupport::WhenModal<CDlgPw>([](CDlgPw* prompt) {
            prompt->field()->setText(QString::fromLatin1(kPin));
            prompt->accept();
        });
        com->OnConnect();
        ASSERT_EQ(window->statusText(), "Ready.");
        ASSERT_TRUE(allTabsEnabled());
    }
    // Another unit (or the same one restarted) behind the same port name.
    static void restartUnit(const std::vector<std::string>& options)
    {
        s_sim.reset();
        s_sim = std::make_unique<testsupport::SimProcess>(options, kPort);
        ASSERT_TRUE(s_sim->ready());
    }
    bool allTabsEnabled() const
    {
        for (int i = 0; i < window->tabs()->count(); ++i)
            if (!window->tabs()->IsTabEnabled(i))
                return false;
        return true;
    }
    void startDemoMode()
    {
        auto chosen = testsupport::WhenModal<CDlgDemoDevice>([](CDlgDemoDevice* chooser) { chooser->accept(); });
        window->comInterface()->StartDemoMode();
        ASSERT_TRUE(chosen.appeared());
    }

    // --- Tabs --------------------------------------------------------------
    // Selects a page's tab (coming from another one) and waits until the
    // main window has activated it: the page reads the unit.
    void open(const char* caption)
    {
        const int index = indexOf(caption);
        // The main window activates a page when the selection differs from
        // the one it last activated; come from another tab if that one is
        // this page.
        if (window->tabs()->currentIndex() == index || window->lastTab() == index)
            select(0);
        select(index);
    }
    // Makes the page the current one; it reads the unit only when it was not.
    void show(const char* caption)
    {
        if (window->tabs()->currentIndex() != indexOf(caption) || window->lastTab() != indexOf(caption))
            open(caption);
    }
    int indexOf(const char* caption) const
    {
        const int index = window->tabs()->captions().indexOf(QString::fromLatin1(caption));
        EXPECT_GE(index, 0) << caption;
        return index;
    }
    void select(int index)
    {
        ASSERT_TRUE(window->SelectTab(index));
        ASSERT_TRUE(QTest::qWaitFor([this, index] { return window->lastTab() == index; }, 2000));
    }

    // --- Controls, as the user and assistive tools meet them ----------------
    static QString text(CPageWidget* p, Page::ControlId id) { return QString::fromStdString(p->controls().text(id)); }
    // Types into a field and confirms it with Enter.
    static void type(CPageWidget* p, Page::ControlId id, const char* typed)
    {
        auto* field = p->widget<QLineEdit>(id);
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, QString::fromUtf8(typed));
        QTest::keyClick(field, Qt::Key_Return);
    }
    // The user's choice in a list.
    static void choose(QComboBox* list, int index)
    {
        list->setCurrentIndex(index);
        emit list->activated(index);
    }
    static void hover(QWidget* target)
    {
        const QPointF centre(target->width() / 2.0, target->height() / 2.0);
        QMouseEvent move(QEvent::MouseMove, centre, target->mapToGlobal(centre), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(target, &move);
    }
    // What assistive tools read for a control: its accessible name, and the
    // names of the labels that label it (a combo box's name is its current
    // item; its label reaches it through the buddy relation).
    static QString accessibleNameOf(QWidget* w)
    {
        QAccessibleInterface* ai = QAccessible::queryAccessibleInterface(w);
        return ai ? ai->text(QAccessible::Name) : QString();
    }
    // What assistive tools read of a line whose text changes: its name, and
    // the text it shows as value and description ("name|value|description").
    static QString accessibleLine(QWidget* w)
    {
        QAccessibleInterface* ai = QAccessible::queryAccessibleInterface(w);
        return ai ? ai->text(QAccessible::Name) + "|" + ai->text(QAccessible::Value) + "|" +
                        ai->text(QAccessible::Description)
                  : QString();
    }
    static QStringList labelsOf(QWidget* w)
    {
        QStringList labels;
        if (QAccessibleInterface* ai = QAccessible::queryAccessibleInterface(w))
            for (const auto& relation : ai->relations(QAccessible::Label))
                labels << relation.first->text(QAccessible::Name);
        return labels;
    }
    static QString accessibleName(CPageWidget* p, Page::ControlId id)
    {
        return accessibleNameOf(p->controls().widget(id));
    }
    static QStringList accessibleLabels(CPageWidget* p, Page::ControlId id)
    {
        return labelsOf(p->controls().widget(id));
    }
    // What an assistive tool finds for a label text: the controls whose
    // accessible name it is, or that a label of that text labels.
    static std::vector<QWidget*> answering(const std::map<Page::ControlId, QWidget*>& widgets,
                                           const QString& labelText)
    {
        std::vector<QWidget*> found;
        for (const auto& [id, w] : widgets) {
            QAccessibleInterface* ai = QAccessible::queryAccessibleInterface(w);
            if (!ai)
                continue;
            bool named = ai->text(QAccessible::Name).remove('&') == labelText;
            for (const auto& relation : ai->relations(QAccessible::Label))
                named = named || relation.first->text(QAccessible::Name).remove('&') == labelText;
            if (named)
                found.push_back(w);
        }
        return found;
    }
    // The one control of a page or dialog that answers to a label text
    // (nullptr: none; two fail the test).
    template <class Form> static QWidget* reachable(Form* form, const QString& labelText)
    {
        const std::vector<QWidget*> found = answering(form->controls().widgets(), labelText);
        EXPECT_LE(found.size(), 1u) << "two controls answer to " << labelText.toStdString();
        return found.empty() ? nullptr : found.back();
    }

    // --- What the unit received ----------------------------------------------
    static testsupport::SimProcess& sim() { return *s_sim; }
    // The commands from the transcript's offset on, in order.
    static std::vector<std::string> received(std::size_t from = 0)
    {
        std::vector<std::string> lines;
        std::istringstream in(sim().transcript().substr(from));
        for (std::string line; std::getline(in, line);)
            if (line.rfind("RX ", 0) == 0 && line.size() > 3)
                lines.push_back(line.substr(3));
        return lines;
    }
    static std::vector<std::string> writes(std::size_t from)
    {
        std::vector<std::string> w;
        for (const std::string& line : received(from))
            if (line.size() > 2 && line[1] == 'w')
                w.push_back(line);
        return w;
    }
    // The plain reads from the transcript's offset on, in order.
    static std::vector<std::string> reads(std::size_t from)
    {
        std::vector<std::string> r;
        for (const std::string& line : received(from))
            if (line.rfind("Mr", 0) == 0)
                r.push_back(line);
        return r;
    }
    // The last n lines (all when there are fewer).
    static std::vector<std::string> tail(const std::vector<std::string>& lines, std::size_t n)
    {
        return lines.size() < n
                   ? lines
                   : std::vector<std::string>(lines.end() - static_cast<std::ptrdiff_t>(n), lines.end());
    }
    static bool has(const std::vector<std::string>& lines, const std::string& line)
    {
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
    static std::size_t mark() { return sim().transcript().size(); }

    // --- What a user action sends ---------------------------------------------
    // A text typed into a field with Enter: the one write it makes ("" =
    // nothing) and the status line after it.
    struct TypedCase
    {
        Page::ControlId id;
        const char* typed;
        const char* written; // "" = nothing
        const char* status;
    };
    void expectTyped(CPageWidget* p, std::span<const TypedCase> cases)
    {
        for (const TypedCase& c : cases) {
            const std::size_t from = mark();
            type(p, c.id, c.typed);
            const auto w = writes(from);
            if (*c.written)
                EXPECT_EQ(w, std::vector<std::string>{c.written}) << c.typed;
            else
                EXPECT_TRUE(w.empty()) << c.typed;
            EXPECT_EQ(window->statusText(), c.status) << c.typed;
        }
    }
    // A button that writes one command and then reads readBack again.
    static void expectWriteThenRead(CPageWidget* p, Page::ControlId button, const std::string& written,
                                    const std::string& readBack)
    {
        const std::size_t from = mark();
        p->widget<QPushButton>(button)->click();
        EXPECT_EQ(writes(from), std::vector<std::string>{written});
        const auto got = received(from);
        const auto write = std::find(got.begin(), got.end(), written);
        EXPECT_NE(std::find(write, got.end(), readBack), got.end()) << "read back after the write";
    }
    // Changes a register on the unit behind the tool's back; the special
    // write reaches registers the bus may only read.
    static void setOnUnit(uint16_t address, uint16_t value, bool special = false)
    {
        CModbus other;
        ASSERT_EQ(other.connect(sim().name()), 0);
        ASSERT_EQ(special ? other.writeHoldingSpecial(address, value) : other.writeHolding(address, value), 0)
            << address;
        other.disconnect();
    }

    static inline std::unique_ptr<RegisterCatalogue> s_catalogue;
    static inline std::unique_ptr<CTavemoConfigurationToolDlg> s_window;
    static inline std::unique_ptr<testsupport::SimProcess> s_sim;
    RegisterCatalogue& catalogue = *s_catalogue;
    CTavemoConfigurationToolDlg* window = s_window.get();
};

} // namespace pagetest
