// The Qt pages on their own: built from their rows with no main window and
// no application library behind them (this program links the pages library
// and the core only), the host a fake and the connection without a unit.
#include "tests/support/PageFakes.h"

#include "link/CConnection.h"
#include "link/CModbus.h"
#include "model/RegisterCatalogue.h"
#include "pages/CTabCommon.h"
#include "pages/CTabSensors.h"
#include "pages/core/PageContext.h"
#include "pages/core/PageText.h"
#include "tests/support/QtApp.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <array>

namespace {

class NoPort : public IConnectionHost
{
public:
    int getPortSettings(PortSettings&) override { return -1; }
    bool askPin(std::string&, bool&) override { return false; }
    void setStatusText(const std::string&) override {}
    void rebuildTabs(int) override {}
    void setOtherTabsEnabled(bool) override {}
    void showDevice(const std::string&) override {}
    void waitMs(int) override {}
    void returnToFirstTab() override {}
};

class PageWidgets : public ::testing::Test
{
protected:
    PageWidgets() : connection(modbus, catalogue, noPort) { catalogue.Build(); }

    PageContext context() { return PageContext{&host, &connection, &catalogue, nullptr}; }

    QApplication& app = testsupport::App();
    RegisterCatalogue catalogue;
    CModbus modbus;
    NoPort noPort;
    CConnection connection;
    FakeHost host;
};

// Every row with a widget has it under its id; fields and lists carry their
// caption on the label in front of them, buttons on themselves.
void ExpectEveryRowBuilt(CPageWidget& page, const Page::Description& description)
{
    for (const Page::Row& row : description.rows) {
        if (row.kind == Page::Kind::None)
            continue;
        QWidget* w = page.controls().widget(row.id);
        ASSERT_NE(w, nullptr) << row.caption;
        const QString caption = QString::fromUtf8(row.caption);
        // Shown with its mnemonic ("&Language").
        if (QLabel* label = page.controls().label(row.id)) {
            EXPECT_EQ(label->text().remove('&'), caption);
            EXPECT_EQ(label->buddy(), w);
        } else if (auto* button = qobject_cast<QPushButton*>(w)) {
            EXPECT_EQ(button->text().remove('&'), caption);
        }
    }
}

TEST_F(PageWidgets, CommonAndSensorsBuildFromTheirRowsAlone)
{
    CTabCommon common(context());
    ExpectEveryRowBuilt(common, CCommonLogic::PageDescription());
    EXPECT_EQ(common.widget<QComboBox>(CommonId::Baudrate)->currentText(), "2 = 38400 Baud"); // the list's initial entry
    EXPECT_TRUE(common.widget<QLineEdit>(CommonId::Firmware)->isReadOnly());

    CTabSensors sensors(context());
    ExpectEveryRowBuilt(sensors, CSensorsLogic::PageDescription());
    EXPECT_EQ(sensors.controls().text(SensorsId::PressureBusUnit), "----");
}

TEST_F(PageWidgets, WithoutAUnitAChoiceIsMarkedAsNotWritten)
{
    CTabCommon common(context());
    auto* language = common.widget<QComboBox>(CommonId::Language);
    const uint16_t before = catalogue.Holding(2009).value;
    language->setCurrentIndex(4);
    emit language->activated(4); // as the user's choice arrives
    EXPECT_EQ(catalogue.Holding(2009).value, before);
    EXPECT_EQ(common.controls().editState(CommonId::Language), EditState::Edited);
    EXPECT_FALSE(modbus.isOpen());
}

// A page of twenty plain number fields, as a new page is written: its rows
// and nothing else.
constexpr std::array<uint16_t, 20> kPlainAddresses = {4263, 4264, 4265, 4266, 4267, 4268, 4269, 4270, 4300, 4301,
                                                      4302, 4303, 4304, 4305, 4306, 4307, 4308, 4309, 4310, 4311};
constexpr std::array<Page::Row, 20> PlainRows()
{
    std::array<Page::Row, 20> rows{};
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i] = Page::Row{.id = static_cast<Page::ControlId>(i + 1), .kind = Page::Kind::Number,
                            .caption = "Field", .row = static_cast<int>(i), .filter = Page::EntryFilter::Digits,
                            .address = kPlainAddresses[i]};
    return rows;
}
constexpr std::array<Page::Row, 20> kPlainRows = PlainRows();
const Page::Description& PlainPage()
{
    static const Page::Description page{.rows = kPlainRows};
    return page;
}

TEST_F(PageWidgets, APageOfPlainFieldsIsItsRowsAlone)
{
    CPageWidget page(context(), CPageEngine::Plain<&PlainPage>);
    ExpectEveryRowBuilt(page, PlainPage());
    EXPECT_EQ(page.picturePanel(), nullptr); // no default picture: no frame
    // Enter in a field reaches the page's logic: no number, its own words.
    auto* last = page.widget<QLineEdit>(20);
    last->setText(QString());
    QTest::keyClick(last, Qt::Key_Return);
    EXPECT_EQ(host.status, PageText::kNoNumber);
}

} // namespace
