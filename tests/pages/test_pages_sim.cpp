// The Common and Sensors pages and the sensor dialog in the real main window,
// offscreen, against tavemo-unitsim on a pseudo-terminal: what the unit
// received (the simulator's transcript) and what the controls show.
//
// Longer than 700 lines: one fixture's end-to-end cases (the real window
// against the simulator), each a scenario of its own, and the few helpers
// they share.
#include "tests/support/PagesOnUnit.h"

#include "app/CStatusLine.h"
#include "pages/CDlgConfigureSensor.h"
#include "pages/CDlgDateTime.h"
#include "pages/CPicturePanel.h"
#include "pages/CTabCommon.h"
#include "pages/CTabSensors.h"
#include "pages/core/PageText.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QFocusEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QTimeEdit>
#include <QTimer>

#include <cctype>
#include <cstdlib>
#include <functional>

using testsupport::SimProcess;
using testsupport::WhenModal;

namespace {

// The suite's unit without its PIN.
const std::vector<std::string> kUnit = {"--device-type", "2050", "--pressure-unit", "2"};

// "Mr" or "Xr" and a register number: a plain or special read.
bool IsReadCommand(const std::string& command)
{
    return command.size() > 2 && (command[0] == 'M' || command[0] == 'X') && command[1] == 'r' &&
           std::all_of(command.begin() + 2, command.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The Common and Sensors pages and the main window's safety questions
// against one unit.
class Pages : public pagetest::PagesOnUnit
{
protected:
    CTabCommon* common() const { return qobject_cast<CTabCommon*>(window->page(PageId::Common)); }
    CTabSensors* sensors() const { return qobject_cast<CTabSensors*>(window->page(PageId::Sensors)); }
    // The unit's reply value to the last read of a register.
    static int lastReply(int address)
    {
        const std::string reply = "TX 0 = mbReadHoldingReg(" + std::to_string(address) + "): ";
        const std::string t = sim().transcript();
        int value = -1;
        for (std::size_t at = t.find(reply); at != std::string::npos; at = t.find(reply, at + 1)) {
            const std::size_t digits = at + reply.size();
            if (digits < t.size() && std::isdigit(static_cast<unsigned char>(t[digits])))
                value = std::stoi(t.substr(digits));
        }
        return value;
    }
    // Answers the question box that opens next with the button of that caption.
    static testsupport::ModalAnswer<QMessageBox> answer(const char* button)
    {
        return WhenModal<QMessageBox>([button](QMessageBox* box) {
            for (QAbstractButton* b : box->buttons())
                if (b->text().remove('&') == QLatin1String(button))
                    b->click();
        });
    }
    // The user leaves a field (focus to elsewhere), as Tab or a click would.
    static void leave(QWidget* field)
    {
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(field, &out);
    }
    static bool greenAt(const QImage& image, int x, int y) { return image.pixel(x, y) == CPicturePanel::kMarkColour; }
};

} // namespace

TEST_F(Pages, CommonPageShowsTheUnitReadInOrder)
{
    setOnUnit(2025, 26, true); // an internal error
    for (const auto& [address, value] : {std::pair{2023, 24}, {2022, 3}, {2021, 9}, {2018, 7}, {2019, 5}, {2020, 0}})
        setOnUnit(static_cast<uint16_t>(address), static_cast<uint16_t>(value));
    const std::size_t from = mark();
    open("Common");

    // The identity check before the cycle reads 2000..2004 and 2008 too; the
    // cycle's own reads start at the second read of 2000.
    const auto all = received(from);
    const auto check = std::find(all.begin(), all.end(), "Mr2000");
    ASSERT_NE(check, all.end());
    const auto start = std::find(check + 1, all.end(), "Mr2000");
    ASSERT_NE(start, all.end());
    std::vector<std::string> cycleReads;
    for (auto it = start; it != all.end(); ++it)
        if (IsReadCommand(*it))
            cycleReads.push_back(*it);
    EXPECT_EQ(cycleReads, (std::vector<std::string>{"Mr2000", "Mr2001", "Mr2002", "Mr2003", "Xr2004", "Xr2005",
                                                    "Xr2006", "Mr2025", "Mr2008", "Mr2009", "Mr2010", "Mr2011",
                                                    "Mr2012", "Mr2015", "Mr2016", "Mr2017", "Mr2024", "Xr2045",
                                                    "Mr2023", "Mr2022", "Mr2021", "Mr2018", "Mr2019", "Mr2020"}));

    CTabCommon* p = common();
    EXPECT_EQ(text(p, CommonId::DeviceType), QString::fromUtf8("ORVELANT E2, 24V Regler, 3AO, Temp- und Lüfter-Regler"));
    EXPECT_EQ(text(p, CommonId::Firmware), QString::number(lastReply(2001)));
    EXPECT_EQ(text(p, CommonId::InternalError), "x1A");
    EXPECT_EQ(text(p, CommonId::DateTime), "2024/03/09 07:05:00");
    EXPECT_EQ(text(p, CommonId::Language), "1 = english");
    EXPECT_TRUE(p->controls().enabled(CommonId::Protocol)); // the unit answers the special read
    EXPECT_EQ(p->controls().index(CommonId::Protocol), 0);
    EXPECT_FALSE(p->controls().enabled(CommonId::Firmware)); // a read-only register
    EXPECT_TRUE(p->controls().enabled(CommonId::BusAddress)); // read and written with the special commands
    EXPECT_EQ(window->statusText(), "Done.");
    EXPECT_EQ(text(p, CommonId::Pin), "0042"); // always four digits
    EXPECT_FALSE(theModbus.isOpen());
    // A list is labelled by its label; a field is named after it.
    EXPECT_TRUE(accessibleLabels(p, CommonId::Language).contains("Language"));
    EXPECT_EQ(accessibleName(p, CommonId::Brightness), "Display Brightness [%]");
}

TEST_F(Pages, ChangesAreWrittenAtOnceAndCheckedAgainstTheLimits)
{
    show("Common");
    CTabCommon* p = common();

    // A list entry that the catalogue does not allow on this unit: refused
    // with -2, the catalogue holds the nearest limit, nothing is written.
    const int32_t languages = catalogue.Holding(2009).max;
    catalogue.Holding(2009).max = 3;
    std::size_t from = mark();
    auto* language = p->widget<QComboBox>(CommonId::Language);
    language->setCurrentIndex(5);
    emit language->activated(5);
    catalogue.Holding(2009).max = languages;
    EXPECT_EQ(window->statusText(), "Error: -2");
    EXPECT_EQ(catalogue.Holding(2009).value, 3);
    EXPECT_TRUE(writes(from).empty());
    EXPECT_TRUE(has(received(from), "Mr2000")); // the identity check came first

    // A typed number outside the limits: the range message, nothing written.
    from = mark();
    auto* brightness = p->widget<QLineEdit>(CommonId::Brightness);
    brightness->clear();
    QTest::keyClicks(brightness, "1x50");
    EXPECT_EQ(brightness->text(), "150"); // letters go at once
    QTest::keyClick(brightness, Qt::Key_Return);
    EXPECT_EQ(window->statusText(), "Error: selected value out of range [0;100] !");
    EXPECT_TRUE(writes(from).empty());

    // In range: written at once.
    from = mark();
    brightness->clear();
    QTest::keyClicks(brightness, "80");
    QTest::keyClick(brightness, Qt::Key_Return);
    EXPECT_EQ(writes(from), std::vector<std::string>{"Mw2011 80"});
    EXPECT_EQ(window->statusText(), "Done.");

    // The PIN: typed with separators, four digits stay; the unit takes it,
    // and the next activation's identity check still knows the unit.
    auto* pin = p->widget<QLineEdit>(CommonId::Pin);
    pin->clear();
    QTest::keyClicks(pin, "12.345");
    EXPECT_EQ(pin->text(), "1234");
    from = mark();
    QTest::keyClick(pin, Qt::Key_Return);
    EXPECT_EQ(writes(from), std::vector<std::string>{"Mw2008 1234"});
    EXPECT_EQ(window->statusText(), "Done.");
    EXPECT_TRUE(window->comInterface()->verifySameDevice());
    EXPECT_TRUE(allTabsEnabled());
    // The suite's unit keeps its PIN for the tests after this one.
    pin->clear();
    QTest::keyClicks(pin, QString::fromLatin1(kPin));
    QTest::keyClick(pin, Qt::Key_Return);
    EXPECT_TRUE(window->comInterface()->verifySameDevice());
}

TEST_F(Pages, UndoWritesBackWhatWasReadAndSaveToNvramStoresIt)
{
    show("Common");
    CTabCommon* p = common();
    const uint16_t language = catalogue.Holding(2009).value;
    const uint16_t timeout = catalogue.Holding(2012).value;
    setOnUnit(2009, static_cast<uint16_t>(language == 3 ? 4 : 3)); // changed on the unit since the read
    setOnUnit(2012, static_cast<uint16_t>(timeout == 45 ? 46 : 45));
    std::size_t from = mark();
    p->widget<QPushButton>(Page::kUndoChanges)->click();
    const auto w = writes(from);
    ASSERT_GE(w.size(), 12u);
    EXPECT_EQ(w[0].substr(0, 6), "Xw2004"); // the bus settings by the special command, first
    EXPECT_EQ(w[2].substr(0, 6), "Xw2006");
    EXPECT_TRUE(has(w, "Mw2009 " + std::to_string(language)));
    EXPECT_TRUE(has(w, "Mw2012 " + std::to_string(timeout)));
    EXPECT_EQ(w.back().substr(0, 6), "Mw2024");
    EXPECT_EQ(p->controls().index(CommonId::Language), language); // read again afterwards
    EXPECT_EQ(text(p, CommonId::ScreenSaver), QString::number(timeout));
    EXPECT_EQ(window->statusText(), "Done.");

    from = mark();
    p->widget<QPushButton>(Page::kSaveToNvram)->click();
    EXPECT_EQ(writes(from), std::vector<std::string>{"Mw2013 1"});
    EXPECT_EQ(window->statusText(), "Done.");
}

TEST_F(Pages, DateAndTimeFromTheDialog)
{
    show("Common");
    const std::size_t from = mark();
    auto shown = WhenModal<CDlgDateTime>([](CDlgDateTime* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "Date Time");
        dialog->setDateTime(QDateTime(QDate(2025, 12, 31), QTime(23, 59, 30)));
        dialog->accept();
    });
    common()->widget<QPushButton>(CommonId::ConfigureDateTime)->click();
    ASSERT_TRUE(shown.appeared());
    EXPECT_EQ(writes(from), (std::vector<std::string>{"Mw2023 25", "Mw2022 12", "Mw2021 31", "Mw2018 23",
                                                      "Mw2019 59", "Mw2020 30"}));
    EXPECT_EQ(text(common(), CommonId::DateTime), "2025/12/31 23:59:30");
    EXPECT_EQ(window->statusText(), "Done.");
}

TEST_F(Pages, TheDateDialogStartsAtThePcsMomentShowsTheUnitsClockAndEnterConfirms)
{
    for (const auto& [address, value] : {std::pair{2023, 24}, {2022, 3}, {2021, 9}, {2018, 7}, {2019, 5}, {2020, 0}})
        setOnUnit(static_cast<uint16_t>(address), static_cast<uint16_t>(value));
    open("Common");
    const std::size_t from = mark();
    auto shown = WhenModal<CDlgDateTime>([](CDlgDateTime* dialog) {
        // The PC's moment, not the unit's stale one; the unit's for reference.
        EXPECT_LE(std::abs(dialog->dateTime().secsTo(QDateTime::currentDateTime())), 5);
        EXPECT_TRUE(dialog->unitClockLabel()->text().startsWith("Unit clock: 2024/03/09 07:0"))
            << dialog->unitClockLabel()->text().toStdString();
        dialog->setDateTime(QDateTime(QDate(2024, 3, 9), QTime(7, 5, 0)));
        dialog->pcTimeButton()->click();
        EXPECT_EQ(dialog->dateTime().date(), QDate::currentDate());
        dialog->setDateTime(QDateTime(QDate(2024, 3, 9), QTime(7, 6, 0)));
        QTest::keyClick(dialog->timeEdit(), Qt::Key_Return);
    });
    common()->widget<QPushButton>(CommonId::ConfigureDateTime)->click();
    ASSERT_TRUE(shown.appeared());
    EXPECT_EQ(writes(from), (std::vector<std::string>{"Mw2023 24", "Mw2022 3", "Mw2021 9", "Mw2018 7", "Mw2019 6",
                                                      "Mw2020 0"}));
}

TEST_F(Pages, HoverShowsTheRegisterAndMarksThePicture)
{
    show("Common");
    CTabCommon* p = common();
    hover(p->controls().label(CommonId::TempUnit));
    EXPECT_EQ(window->registerInfo().toStdString(),
              PageText::RegisterInfo(2010, catalogue.Holding(2010).value, RegisterKeyName(2010)));
    CPicturePanel* panel = p->picturePanel();
    ASSERT_EQ(panel->frameRects().size(), 1u);
    const PageRect f = panel->frameRects()[0];
    EXPECT_EQ(f.left, panel->width() * 84 / 100);
    const QImage image = panel->grab().toImage();
    EXPECT_TRUE(greenAt(image, f.left, f.top));
    EXPECT_TRUE(greenAt(image, f.left + 4, (f.top + f.bottom) / 2)); // five pixels wide
    EXPECT_FALSE(greenAt(image, f.left + 5, (f.top + f.bottom) / 2));

    hover(p->controls().label(CommonId::DateTime)); // date and time: two frames
    EXPECT_EQ(panel->frameRects().size(), 2u);
    hover(p->controls().widget(CommonId::ScreenSaver));
    EXPECT_EQ(panel->picture(), Page::Picture::DisplayScreenSaver);
    hover(p->controls().widget(CommonId::Darkmode));
    EXPECT_EQ(panel->picture(), Page::Picture::DisplayDark);
    EXPECT_TRUE(panel->frameRects().empty());

    // A register without a key name shows its address and value.
    hover(p->controls().widget(CommonId::FactoryReset));
    const std::string key = RegisterKeyName(2014);
    EXPECT_EQ(window->registerInfo().toStdString(), PageText::RegisterInfo(2014, catalogue.Holding(2014).value, key));
    if (key.empty()) {
        EXPECT_TRUE(window->registerInfo().startsWith("Modbus Adress =  2014 - Value ="));
    }

    show("Sensors"); // the Sensors page's picture does not follow the mouse
    hover(sensors()->controls().label(SensorsId::PressureBus));
    EXPECT_EQ(window->registerInfo().toStdString(),
              PageText::RegisterInfo(125, catalogue.Holding(125).value, RegisterKeyName(125)));
    EXPECT_EQ(sensors()->picturePanel()->picture(), Page::Picture::UnitFront);
    EXPECT_TRUE(sensors()->picturePanel()->frameRects().empty());
}

TEST_F(Pages, SensorsPageShowsReadingsWithTheirFormatsAndMarkers)
{
    setOnUnit(3316, 0); // the bus VOC sensor in ppb
    const std::size_t from = mark();
    open("Sensors");
    CTabSensors* p = sensors();
    const int temp = lastReply(100);
    ASSERT_GE(temp, 0);
    EXPECT_EQ(text(p, SensorsId::TempInt).toStdString(), PageText::Tenths(static_cast<int16_t>(temp)));
    EXPECT_EQ(text(p, SensorsId::TempExt), "---"); // -420: no external sensor
    EXPECT_EQ(text(p, SensorsId::HumInt).toStdString(), PageText::Tenths(lastReply(101)));
    EXPECT_EQ(text(p, SensorsId::HumBus), "---"); // 0xFFFF: no bus sensor
    EXPECT_EQ(text(p, SensorsId::Co2Int), QString::number(lastReply(102)));
    EXPECT_EQ(text(p, SensorsId::VocBus), "---");
    EXPECT_EQ(text(p, SensorsId::TempIntUnit), QString::fromUtf8("\u00b0C"));
    EXPECT_EQ(text(p, SensorsId::VocBusUnit), "ppb");
    EXPECT_EQ(text(p, SensorsId::PressureBusUnit), "mbar");
    // Assistive tools read the unit labels as they show now, not as they
    // were built ("----" before the pressure unit was read).
    EXPECT_EQ(accessibleName(p, SensorsId::PressureBusUnit), "mbar");
    EXPECT_EQ(accessibleName(p, SensorsId::VocBusUnit), "ppb");
    // A reading is named by its label.
    EXPECT_EQ(accessibleName(p, SensorsId::TempInt), "Temp Sensor 1 Int.");
    EXPECT_TRUE(has(received(from), "Mr3516"));
    EXPECT_EQ(window->statusText(), "Done.");

    setOnUnit(3316, 1);
    p->widget<QPushButton>(Page::kReadTarget)->click();
    EXPECT_EQ(text(p, SensorsId::VocBusUnit), "%");
    EXPECT_EQ(accessibleName(p, SensorsId::VocBusUnit), "%");
    // The internal readings are live; each read shows what came.
    EXPECT_EQ(text(p, SensorsId::TempInt).toStdString(), PageText::Tenths(static_cast<int16_t>(lastReply(100))));

    const bool autoCal = p->controls().checked(SensorsId::AutoCal);
    std::size_t before = mark();
    p->widget<QCheckBox>(SensorsId::AutoCal)->click();
    EXPECT_EQ(writes(before), std::vector<std::string>{autoCal ? "Mw302 0" : "Mw302 1"});
    before = mark();
    p->widget<QPushButton>(SensorsId::ResetAutozero)->click();
    EXPECT_EQ(writes(before), std::vector<std::string>{"Mw300 1"}); // after the identity check
    EXPECT_TRUE(has(received(before), "Mr2008"));
    EXPECT_EQ(window->statusText(), "Done.");
}

TEST_F(Pages, SensorDialogShowsTheSensorsOptionsAndWritesTheBlock)
{
    show("Sensors");

    // "VOC Sensor 1 Int.": averaging time only; a 5-character label.
    std::size_t from = mark();
    auto shown = WhenModal<CDlgConfigureSensor>([](CDlgConfigureSensor* d) {
        EXPECT_EQ(d->windowTitle(), "Configure");
        EXPECT_EQ(QString::fromStdString(d->controls().text(SensorDialogId::Header)), "VOC Sensor 1 Int");
        EXPECT_FALSE(d->controls().widget(SensorDialogId::Offset)->isVisibleTo(d));
        EXPECT_FALSE(d->controls().widget(SensorDialogId::OffsetSpin)->isVisibleTo(d));
        EXPECT_TRUE(d->controls().widget(SensorDialogId::Averaging)->isVisibleTo(d));
        EXPECT_FALSE(d->controls().widget(SensorDialogId::Unit)->isVisibleTo(d));
        EXPECT_EQ(d->picturePanel()->picture(), Page::Picture::ScreenVoc);
        auto* label = d->widget<QLineEdit>(SensorDialogId::Label);
        label->clear();
        QTest::keyClicks(label, "Hallo");
        d->widget<QComboBox>(SensorDialogId::Averaging)->setCurrentIndex(2);
        d->widget<QPushButton>(SensorDialogId::Ok)->click();
    });
    sensors()->widget<QPushButton>(SensorsId::ConfigureFirst + 4)->click();
    ASSERT_TRUE(shown.appeared());
    auto got = received(from);
    EXPECT_TRUE(has(got, "Mr2611")); // the block was read first
    EXPECT_FALSE(has(got, "Mr2612"));
    EXPECT_TRUE(has(got, "Mw2600 72 97 108 108 111 0 0 0 0 0 0 0"));
    auto w = writes(from);
    EXPECT_EQ(w, (std::vector<std::string>{"Mw2600 72 97 108 108 111 0 0 0 0 0 0 0", "Mw2613 2", "Mw2614 0",
                                           "Mw2615 100", "Mw2617 1", "Mw2618 1"}));
    EXPECT_EQ(window->statusText(), "Done.");

    // "Temp Sensor 1 Int.": "21,5" typed into the tenths colour scale start,
    // Enter confirms; hovering reaches the dialog's line and the picture.
    from = mark();
    shown = WhenModal<CDlgConfigureSensor>([this](CDlgConfigureSensor* d) {
        EXPECT_TRUE(d->controls().widget(SensorDialogId::Offset)->isVisibleTo(d));
        EXPECT_EQ(QString::fromStdString(d->controls().text(SensorDialogId::Offset)), QString::fromUtf8("0.0 \u00b0C"));
        hover(d->controls().label(SensorDialogId::Label));
        EXPECT_EQ(d->picturePanel()->frameRects().size(), 1u);
        const QString info = QString::fromStdString(d->controls().text(SensorDialogId::Info));
        EXPECT_FALSE(info.isEmpty());
        EXPECT_EQ(window->registerInfo(), info);
        auto* start = d->widget<QLineEdit>(SensorDialogId::ScaleStart);
        start->setFocus();
        start->clear();
        QTest::keyClicks(start, "21,5");
        QTest::keyClick(start, Qt::Key_Return);
    });
    sensors()->configureSensor(CSensorsLogic::Sensors()[0]);
    ASSERT_TRUE(shown.appeared());
    EXPECT_TRUE(has(writes(from), "Mw2314 215"));
    EXPECT_EQ(catalogue.Holding(2314).value, 215);

    // "Pressure Sensor 2 Bus": the unit list names the unit "mBar"; Cancel
    // writes nothing.
    from = mark();
    shown = WhenModal<CDlgConfigureSensor>([](CDlgConfigureSensor* d) {
        EXPECT_TRUE(d->controls().widget(SensorDialogId::Unit)->isVisibleTo(d));
        EXPECT_EQ(d->widget<QComboBox>(SensorDialogId::Unit)->currentText(), "mBar");
        EXPECT_EQ(QString::fromStdString(d->controls().text(SensorDialogId::ScaleStartUnit)), "mBar");
        d->reject();
    });
    sensors()->configureSensor(CSensorsLogic::Sensors()[10]);
    ASSERT_TRUE(shown.appeared());
    EXPECT_TRUE(writes(from).empty());
}

TEST_F(Pages, ReadCycleStopsAtTheThirdRegister)
{
    show("Common");
    // The same unit restarted with one register broken.
    restartUnit(Unit() + std::vector<std::string>{"--fail-read", "2002"});
    CTabCommon* p = common();
    for (Page::ControlId id : {CommonId::OperationDays, CommonId::BusAddress, CommonId::Pin})
        p->controls().setText(id, "untouched");
    p->widget<QPushButton>(Page::kReadTarget)->click();

    const auto got = received();
    EXPECT_EQ(std::count(got.begin(), got.end(), "Mr2002"), 2); // both attempts
    EXPECT_FALSE(has(got, "Mr2003"));
    EXPECT_EQ(text(p, CommonId::DeviceType).left(11), "ORVELANT E2");
    EXPECT_EQ(text(p, CommonId::Firmware), QString::number(lastReply(2001)));
    EXPECT_EQ(text(p, CommonId::ProdDate), "---");
    EXPECT_EQ(text(p, CommonId::OperationDays), "untouched");
    EXPECT_EQ(text(p, CommonId::BusAddress), "untouched");
    EXPECT_EQ(text(p, CommonId::Pin), "untouched");
    EXPECT_FALSE(p->controls().enabled(CommonId::Protocol));
    // Not read: no made-up moment, and what stayed is marked as not read.
    EXPECT_EQ(text(p, CommonId::DateTime), "---");
    for (Page::ControlId id : {CommonId::OperationDays, CommonId::BusAddress, CommonId::Pin}) {
        EXPECT_EQ(p->controls().editState(id), EditState::Stale) << id;
        EXPECT_EQ(p->controls().widget(id)->accessibleDescription(), "not read: the value may be out of date");
    }
    EXPECT_EQ(p->controls().editState(CommonId::Firmware), EditState::Clean);
    EXPECT_EQ(window->statusText(), "Error: -10");
    connect(Unit()); // restarted, the unit waits for its PIN again
}

TEST_F(Pages, AChangeLeftInAFieldIsMarkedAndSaveToNvramAsksFirst)
{
    show("Common");
    CTabCommon* p = common();
    auto* brightness = p->widget<QLineEdit>(CommonId::Brightness);
    const QString shown = brightness->text();
    const QString typed = shown == "55" ? "56" : "55";

    // Typed and left with Tab: marked, said, nothing sent.
    std::size_t from = mark();
    brightness->selectAll();
    QTest::keyClicks(brightness, typed);
    leave(brightness);
    EXPECT_EQ(p->controls().editState(CommonId::Brightness), EditState::Edited);
    EXPECT_EQ(brightness->accessibleDescription(), "changed, not written: press Enter to write");
    EXPECT_EQ(window->statusText(), "Press Enter to write");
    EXPECT_TRUE(received(from).empty());

    // "Save To NVRAM" asks; "Stay" keeps the edit and saves nothing.
    {
        const auto stay = answer("Stay");
        p->widget<QPushButton>(Page::kSaveToNvram)->click();
        ASSERT_TRUE(stay.appeared());
    }
    EXPECT_TRUE(received(from).empty());
    EXPECT_EQ(brightness->text(), typed);

    // "Discard" puts the field back, then the unit saves.
    {
        const auto discard = answer("Discard");
        p->widget<QPushButton>(Page::kSaveToNvram)->click();
        ASSERT_TRUE(discard.appeared());
    }
    EXPECT_EQ(brightness->text(), shown);
    EXPECT_EQ(p->controls().editState(CommonId::Brightness), EditState::Clean);
    EXPECT_EQ(writes(from), std::vector<std::string>{"Mw2013 1"}) << window->statusText().toStdString();

    // "Write" sends the value first.
    brightness->selectAll();
    QTest::keyClicks(brightness, typed);
    from = mark();
    {
        const auto write = answer("Write");
        p->widget<QPushButton>(Page::kSaveToNvram)->click();
        ASSERT_TRUE(write.appeared());
    }
    EXPECT_EQ(writes(from), (std::vector<std::string>{"Mw2011 " + typed.toStdString(), "Mw2013 1"}));
    EXPECT_EQ(p->controls().editState(CommonId::Brightness), EditState::Clean);

    // Escape takes an edit back and the window stays open.
    brightness->selectAll();
    QTest::keyClicks(brightness, "7");
    QTest::keyClick(brightness, Qt::Key_Escape);
    EXPECT_EQ(brightness->text(), typed);
    EXPECT_EQ(p->controls().editState(CommonId::Brightness), EditState::Clean);
    EXPECT_TRUE(window->isVisible());
}

TEST_F(Pages, ALeftTabWithAChangeAsksAndStayKeepsThePage)
{
    show("Common");
    CTabCommon* p = common();
    auto* screenSaver = p->widget<QLineEdit>(CommonId::ScreenSaver);
    const QString shown = screenSaver->text();
    screenSaver->selectAll();
    QTest::keyClicks(screenSaver, shown == "33" ? "34" : "33");
    const std::size_t from = mark();
    {
        const auto stay = answer("Stay");
        window->tabs()->setCurrentIndex(indexOf("Sensors")); // the user's click on the tab
        ASSERT_TRUE(stay.appeared());
    }
    EXPECT_EQ(window->tabs()->currentWidget(), p);
    {
        const auto discard = answer("Discard");
        window->tabs()->setCurrentIndex(indexOf("Sensors"));
        ASSERT_TRUE(discard.appeared());
    }
    EXPECT_EQ(screenSaver->text(), shown);
    EXPECT_TRUE(writes(from).empty());
    ASSERT_TRUE(QTest::qWaitFor([this] { return window->lastTab() == indexOf("Sensors"); }, 2000));
}

TEST_F(Pages, RefusedAndEmptyNumbersPutTheUnitsValueBack)
{
    show("Common");
    CTabCommon* p = common();
    auto* brightness = p->widget<QLineEdit>(CommonId::Brightness);
    const QString shown = brightness->text();
    std::size_t from = mark();
    brightness->selectAll();
    QTest::keyClicks(brightness, "150");
    QTest::keyClick(brightness, Qt::Key_Return);
    EXPECT_EQ(window->statusText(), "Error: selected value out of range [0;100] !");
    EXPECT_EQ(brightness->text(), shown);
    EXPECT_EQ(p->controls().editState(CommonId::Brightness), EditState::Refused);
    // Marked until the next edit.
    QTest::keyClicks(brightness, "1");
    EXPECT_EQ(p->controls().editState(CommonId::Brightness), EditState::Edited);
    QTest::keyClick(brightness, Qt::Key_Escape);

    // Nothing, or letters an assistive tool set, is no number: nothing is
    // written (read as 0 it would have switched the PIN protection off).
    auto* pin = p->widget<QLineEdit>(CommonId::Pin);
    const QString pinShown = pin->text();
    for (const char* set : {"", "abcd"}) {
        pin->setText(QString::fromLatin1(set)); // not typed: the filter still runs
        EXPECT_EQ(pin->text(), "") << set;
        QTest::keyClick(pin, Qt::Key_Return);
        EXPECT_EQ(window->statusText(), "Error: enter a number - nothing was written.") << set;
        EXPECT_EQ(pin->text(), pinShown) << set;
    }
    auto* brightnessSet = brightness;
    brightnessSet->setText("8x0"); // filtered however the text came
    EXPECT_EQ(brightnessSet->text(), "80");
    QTest::keyClick(brightnessSet, Qt::Key_Escape);
    EXPECT_TRUE(writes(from).empty());

    // PIN 0000 asks first; "Cancel" writes nothing.
    pin->setText("0");
    {
        const auto cancel = answer("Cancel");
        QTest::keyClick(pin, Qt::Key_Return);
        ASSERT_TRUE(cancel.appeared());
    }
    EXPECT_TRUE(writes(from).empty());
    EXPECT_EQ(pin->text(), pinShown);
}

TEST_F(Pages, FactoryResetSendsNothingUntilConfirmed)
{
    show("Common");
    const std::size_t from = mark();
    {
        const auto cancel = WhenModal<QMessageBox>([](QMessageBox* box) {
            EXPECT_EQ(box->icon(), QMessageBox::Warning);
            EXPECT_TRUE(box->text().contains("ORVELANT E2 on ttySIM5")) << box->text().toStdString();
            box->reject(); // Cancel, or Escape
        });
        common()->widget<QPushButton>(CommonId::FactoryReset)->click();
        ASSERT_TRUE(cancel.appeared());
    }
    EXPECT_TRUE(received(from).empty());
}

TEST_F(Pages, QuickTabSwitchesReadOnlyThePageTheUserStopsAt)
{
    show("Common");
    const std::size_t from = mark();
    window->tabs()->setCurrentIndex(indexOf("Sensors"));
    QTest::qWait(40);
    window->tabs()->setCurrentIndex(indexOf("Room Climate"));
    ASSERT_TRUE(QTest::qWaitFor([this] { return window->lastTab() == indexOf("Room Climate"); }, 2000));
    QTest::qWait(150);
    EXPECT_FALSE(has(received(from), "Mr100")); // the Sensors page never read
}

TEST_F(Pages, AnotherUnitIsNamedInTheStatus)
{
    show("Common");
    restartUnit({"--device-type", "1004", "--pin", kPin});
    open("Sensors");
    EXPECT_EQ(window->statusText(), "another unit is attached: connect again");
    EXPECT_FALSE(allTabsEnabled());
}

TEST_F(Pages, AVanishedUnitGivesErrorInWordsAndNoMadeUpDate)
{
    show("Common");
    s_sim.reset(); // unplugged
    common()->widget<QPushButton>(Page::kReadTarget)->click();
    // The adapter's device is gone: its own code and words, not a bare "no link".
    EXPECT_EQ(window->statusText(), "Error: -30");
    EXPECT_TRUE(window->statusDetail().startsWith("the port is gone")) << window->statusDetail().toStdString();
    QAccessibleInterface* detail = QAccessible::queryAccessibleInterface(window->statusDetailLine());
    ASSERT_NE(detail, nullptr);
    EXPECT_EQ(detail->text(QAccessible::Value), window->statusDetail());
    EXPECT_EQ(text(common(), CommonId::DateTime), "---");
    EXPECT_EQ(common()->controls().editState(CommonId::Language), EditState::Stale);
}

TEST_F(Pages, TheTitleNamesTheUnitAndDemoModeSaysSo)
{
    show("Common");
    EXPECT_TRUE(window->windowTitle().startsWith("Tavemo-ConfigurationTool - ORVELANT E2 on ttySIM5, bus address "))
        << window->windowTitle().toStdString();
    EXPECT_FALSE(window->demoBanner()->isVisible());
    ASSERT_FALSE(text(common(), CommonId::Firmware).isEmpty());

    auto chosen = WhenModal<CDlgDemoDevice>([](CDlgDemoDevice* chooser) { chooser->accept(); });
    window->comInterface()->StartDemoMode();
    ASSERT_TRUE(chosen.appeared());
    EXPECT_TRUE(window->windowTitle().startsWith("Tavemo-ConfigurationTool - Demo: "));
    EXPECT_TRUE(window->demoBanner()->isVisible());
    // Nothing of the unit stays on the pages.
    open("Common");
    for (Page::ControlId id : {CommonId::Firmware, CommonId::Pin, CommonId::Brightness, CommonId::DateTime})
        EXPECT_EQ(text(common(), id), "") << id;

    QPushButton* leave = nullptr;
    for (auto* b : window->demoBanner()->findChildren<QPushButton*>())
        if (b->text().remove('&') == "Leave Demo Mode")
            leave = b;
    ASSERT_NE(leave, nullptr);
    leave->click();
    EXPECT_EQ(window->windowTitle(), "Tavemo-ConfigurationTool");
    EXPECT_FALSE(window->demoBanner()->isVisible());
    EXPECT_FALSE(window->comInterface()->demoMode());
    EXPECT_EQ(window->tabs()->currentIndex(), 0);
}

TEST_F(Pages, DemoModeDisablesTheCommonButtonsAndSendsNothing)
{
    // A unit's port is chosen; demo mode must not use it. (The suite ends in
    // demo mode: the next suite's SetUp connects anew.)
    const std::size_t from = mark();
    auto shown = WhenModal<CDlgDemoDevice>([](CDlgDemoDevice* chooser) { chooser->accept(); });
    window->comInterface()->StartDemoMode();
    ASSERT_TRUE(shown.appeared());
    open("Common");
    CTabCommon* p = common();
    for (Page::ControlId id : std::initializer_list<Page::ControlId>{Page::kReadTarget, Page::kUndoChanges, Page::kSaveToNvram,
                               CommonId::FactoryReset})
        EXPECT_FALSE(p->controls().enabled(id)) << id;
    auto* language = p->widget<QComboBox>(CommonId::Language);
    language->setCurrentIndex(3);
    emit language->activated(3);
    open("Sensors");
    EXPECT_FALSE(sensors()->controls().enabled(Page::kReadTarget));
    EXPECT_FALSE(sensors()->controls().enabled(Page::kSaveToNvram));
    sensors()->widget<QPushButton>(SensorsId::ResetAutozero)->click();
    EXPECT_TRUE(received(from).empty());
    EXPECT_EQ(window->statusText(), "Demo mode is active.");
}

// Without any unit: a fresh window that never connected.
class PagesWithoutUnit : public ::testing::Test
{
protected:
    void SetUp() override
    {
        testsupport::App();
        catalogue.Build();
        window = std::make_unique<CTavemoConfigurationToolDlg>(catalogue, theModbus);
        window->show();
        ASSERT_TRUE(QTest::qWaitFor([this] { return window->isStarted(); }, 3000));
    }
    void TearDown() override
    {
        CConfiguration::Instance().setText(CConfiguration::kTempUnitKey, "\u00b0C");
        window.reset();
    }

    RegisterCatalogue catalogue;
    std::unique_ptr<CTavemoConfigurationToolDlg> window;
};

TEST_F(PagesWithoutUnit, NoChangeIsTakenAsWrittenAndNoActionRuns)
{
    // No unit was identified: the temperature unit is not taken as written,
    // the field says so, and the value store keeps what it held.
    catalogue.Holding(400).value = 235;
    auto* common = qobject_cast<CTabCommon*>(window->page(PageId::Common));
    auto* unitList = common->widget<QComboBox>(CommonId::TempUnit);
    unitList->setCurrentIndex(0);
    emit unitList->activated(0);
    EXPECT_EQ(catalogue.Holding(400).value, 235);
    EXPECT_EQ(common->controls().editState(CommonId::TempUnit), EditState::Edited);
    EXPECT_EQ(window->statusText(), "not written: no unit identified - connect again");
    // Without a unit the Sensors page labels follow the choice.
    auto* sensors = qobject_cast<CTabSensors*>(window->page(PageId::Sensors));
    // Shown as its tab shows it: the scroll area it sits in.
    window->tabs()->scrollArea(sensors)->show();
    EXPECT_EQ(QString::fromStdString(sensors->controls().text(SensorsId::TempBusUnit)), QString::fromUtf8("\u00b0F"));

    // "Reset (Autozero)" has no unit to go to. (The page's tab is disabled
    // without a unit; the action itself must still say so.)
    sensors->logic().resetAutozero();
    EXPECT_EQ(window->statusText(), "Error: " + QString::number(Result::PinNotAccepted));
    // "Read target" changes nothing and leaves the status line alone.
    sensors->logic().readCycle();
    EXPECT_EQ(window->statusText(), "Error: " + QString::number(Result::PinNotAccepted));
}
