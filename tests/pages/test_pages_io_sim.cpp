// The Inputs and Sun Protect pages in the real main window, offscreen,
// against tavemo-unitsim on a pseudo-terminal: what the unit received (the
// simulator's transcript) and what the controls show.
#include "tests/support/PagesOnUnit.h"

#include "pages/CPicturePanel.h"
#include "pages/core/CInputsLogic.h"
#include "pages/core/CSunProtectLogic.h"
#include "pages/core/PageText.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

using testsupport::WhenModal;

namespace {

// The Inputs and Sun Protect pages against one unit.
class IoPages : public pagetest::PagesOnUnit
{
protected:
    CPageWidget* inputs() const { return qobject_cast<CPageWidget*>(window->page(PageId::Inputs)); }
    CPageWidget* sun() const { return qobject_cast<CPageWidget*>(window->page(PageId::SunProtect)); }
};

} // namespace

// ---- Inputs ---------------------------------------------------------------

TEST_F(IoPages, InputsShowsTheFunctionsAndStatesAndWritesAChoiceAtOnce)
{
    std::size_t from = mark();
    open("Inputs");
    CPageWidget* p = inputs();
    const auto r = reads(from);
    ASSERT_GE(r.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(r.end() - 4, r.end()),
              (std::vector<std::string>{"Mr3900", "Mr3901", "Mr126", "Mr127"}));
    EXPECT_EQ(p->widget<QComboBox>(InputsId::Input1Config)->currentText(), "3 = DI window contact NO");
    EXPECT_EQ(p->widget<QComboBox>(InputsId::Input2Config)->currentText(), "7 = DI presence contact NO");
    EXPECT_EQ(text(p, InputsId::D1Status), "1");
    EXPECT_EQ(text(p, InputsId::D2Status), "0");
    EXPECT_FALSE(p->controls().enabled(InputsId::D1Status)); // read-only on the unit
    EXPECT_EQ(window->statusText(), "Done.");
    // Only input 1 takes the temperature sensor.
    EXPECT_EQ(p->widget<QComboBox>(InputsId::Input2Config)->itemText(1), "1 = reserved");

    from = mark();
    choose(p->widget<QComboBox>(InputsId::Input2Config), 17);
    EXPECT_EQ(writes(from), std::vector<std::string>{"Mw3901 17"});
    EXPECT_EQ(p->widget<QComboBox>(InputsId::Input2Config)->currentText(), "17 = DI change-over NO");
    EXPECT_EQ(window->statusText(), "Done.");

    // Undo writes the functions back (not the read-only states).
    from = mark();
    p->widget<QPushButton>(Page::kUndoChanges)->click();
    EXPECT_EQ(writes(from), (std::vector<std::string>{"Mw3900 3", "Mw3901 7"}));
    EXPECT_EQ(p->widget<QComboBox>(InputsId::Input2Config)->currentIndex(), 7);

    // Each control answers to its label; hovering names the register and
    // marks the input's terminal and what is wired to it.
    for (const char* label : {"Input 1 Config", "Input 2 Config", "D1 Input Status", "D2 Input Status"})
        EXPECT_NE(reachable(p, QString::fromLatin1(label)), nullptr) << label;
    hover(p->controls().label(InputsId::Input2Config));
    EXPECT_EQ(window->registerInfo().toStdString(), PageText::RegisterInfo(3901, 7, RegisterKeyName(3901)));
    EXPECT_EQ(p->picturePanel()->picture(), Page::Picture::UnitInputs);
    EXPECT_EQ(p->picturePanel()->frameRects().size(), 2u);
}

TEST_F(IoPages, InputsReadFailingAtInput2LeavesTheStatesAsTheyWere)
{
    open("Inputs");
    CPageWidget* p = inputs();
    // The same unit with register 3901 broken.
    restartUnit({"--device-type", "2050", "--fail-read", "3901"});
    p->controls().setText(InputsId::D1Status, "untouched");
    p->controls().setText(InputsId::D2Status, "untouched");
    p->widget<QPushButton>(Page::kReadTarget)->click();
    const auto got = received();
    EXPECT_EQ(std::count(got.begin(), got.end(), "Mr3901"), 2); // both attempts
    EXPECT_EQ(std::count(got.begin(), got.end(), "Mr126"), 0);
    EXPECT_EQ(p->widget<QComboBox>(InputsId::Input1Config)->currentIndex(), 3);
    EXPECT_EQ(p->widget<QComboBox>(InputsId::Input2Config)->currentIndex(), -1); // "---"
    EXPECT_EQ(text(p, InputsId::D1Status), "untouched");
    EXPECT_EQ(text(p, InputsId::D2Status), "untouched");
    EXPECT_EQ(window->statusText(), "Error: -10");
    connect(Unit()); // the unit as the other tests know it
}

// ---- Sun Protect ------------------------------------------------------------

TEST_F(IoPages, SunProtectShowsBothChannelsInTheUnitsOrder)
{
    using namespace SunProtectId;
    std::size_t from = mark();
    open("Sun Protect");
    CPageWidget* p = sun();
    std::vector<std::string> expected = {"Mr700", "Mr720", "Mr721", "Mr722", "Mr730", "Mr731",
                                         "Mr732", "Mr4200", "Mr4201"};
    for (int first : {4250, 4300}) {
        for (int k = 0; k < 12; ++k)
            expected.push_back("Mr" + std::to_string(first + k));
        for (int k = 13; k <= 20; ++k)
            expected.push_back("Mr" + std::to_string(first + k));
    }
    const auto r = reads(from);
    ASSERT_GE(r.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(r.end() - static_cast<std::ptrdiff_t>(expected.size()), r.end()), expected);
    EXPECT_EQ(window->statusText(), "Done.");

    // Tenths with the unknown marker, signed angles where the minimum is
    // negative, the labels as text.
    const struct
    {
        Page::ControlId id;
        const char* shown;
    } fields[] = {{Position1, "50.5"},  {Position2, "---"},        {PositionStep1, "5.0"}, {PositionStep2, "10.0"},
                  {Angle1, "-45"},      {AngleMin1, "-90"},        {AngleMax1, "90"},      {AngleStep1, "15"},
                  {PositionMax1, "100"}, {Label1, "Blind South"}, {Label2, "Shutter West"}, {Circuits, "2"}};
    for (const auto& f : fields)
        EXPECT_EQ(text(p, f.id), QString::fromUtf8(f.shown)) << f.id;
    EXPECT_EQ(p->widget<QComboBox>(Type1)->currentText(), "2 = Position + Angle");
    EXPECT_EQ(p->widget<QComboBox>(Type2)->currentText(), "0 = Position");
    EXPECT_EQ(p->widget<QComboBox>(OpMode2)->currentText(), "1 = Hold press");
    EXPECT_TRUE(p->controls().checked(SunProtectDisplay));
    // The state of the channels only shows.
    for (Page::ControlId id : {KeyStatus1, Position1, Angle1, KeyStatus2, Position2, Angle2})
        EXPECT_FALSE(p->controls().enabled(id)) << id;
    EXPECT_TRUE(p->controls().enabled(PositionStep1));

    // Both automatic modes live in 700; a box writes the whole register.
    setOnUnit(700, 3);
    p->widget<QPushButton>(Page::kReadTarget)->click();
    EXPECT_TRUE(p->controls().checked(AutoMode1));
    EXPECT_TRUE(p->controls().checked(AutoMode2));
    from = mark();
    p->widget<QCheckBox>(AutoMode2)->click();
    EXPECT_EQ(writes(from), std::vector<std::string>{"Mw700 1"});
    EXPECT_EQ(window->statusText(), "Done.");

    // Every input answers to its caption; the channel's number tells the
    // two channels apart.
    for (const char* label :
         {"Sun Protect Circuits", "Sun Protect Display", "Type 1", "Auto Mode 1", "Label 1", "OpMode 1",
          "Key Status 1", "Key clear 1", "Position 1", "Position Step Size 1", "Position Min 1", "Postion Max 1",
          "Angle 1", "Angle Step Size 1", "Angle Min 1", "Angle Max 1", "Type 2", "Auto Mode 2", "Label 2",
          "OpMode 2", "Key Status 2", "Key clear 2", "Position 2", "Position Step Size 2", "Position Min 2",
          "Postion Max 2", "Angle 2", "Angle Step Size 2", "Angle Min 2", "Angle Max 2"})
        EXPECT_NE(reachable(p, QString::fromLatin1(label)), nullptr) << label;
}

TEST_F(IoPages, SunProtectWritesTypedValuesAndClearsAKey)
{
    using namespace SunProtectId;
    setOnUnit(730, 4); // channel 2's key was last held up
    open("Sun Protect");
    CPageWidget* p = sun();
    EXPECT_EQ(p->widget<QComboBox>(KeyStatus2)->currentText(), "4 = long up");

    expectWriteThenRead(p, KeyClear2, "Mw730 0", "Mr730");
    EXPECT_EQ(p->widget<QComboBox>(KeyStatus2)->currentIndex(), 0);
    EXPECT_EQ(window->statusText(), "Done.");

    // Tenths with a comma, a signed integer, a label; refused outside the
    // limits with the range message and nothing written.
    const TypedCase cases[] = {
        {PositionStep1, "20,5", "Mw4265 205", "Done."},
        {AngleMin2, "-30", "Mw4319 65506", "Done."}, // the word of -30
        {PositionMin1, "101", "", "Error: selected value out of range [0;100] !"},
        {AngleMax1, "-91", "", "Error: selected value out of range [-90;90] !"},
        {PositionStep2, "0", "", "Error: selected value out of range [1;1000] !"},
        {Circuits, "1", "Mw4200 1", "Done."}, // a setting on this unit
    };
    expectTyped(p, cases);

    const std::size_t from = mark();
    type(p, Label1, "Blind East");
    EXPECT_EQ(writes(from), std::vector<std::string>{"Mw4250 66 108 105 110 100 32 69 97 115 116 0 0"});
}

TEST_F(IoPages, SunProtectUndoWritesBackBothLabelsAndNoUnknownPosition)
{
    using namespace SunProtectId;
    show("Sun Protect");
    CPageWidget* p = sun();
    setOnUnit(4301, 'x');  // "Sxutter West" set at the unit since the read
    setOnUnit(4264, 0);
    const std::size_t from = mark();
    p->widget<QPushButton>(Page::kUndoChanges)->click();
    const auto w = writes(from);
    EXPECT_TRUE(has(w, "Mw4301 104"));
    EXPECT_TRUE(has(w, "Mw4264 2"));
    EXPECT_TRUE(has(w, "Mw721 505"));
    // 731 reads 0xFFFF: the shutter's position is unknown; written back
    // clamped it would drive the shutter to its end.
    EXPECT_FALSE(std::any_of(w.begin(), w.end(), [](const std::string& l) { return l.rfind("Mw731", 0) == 0; }));
    EXPECT_EQ(text(p, Label2), "Shutter West");
    EXPECT_EQ(text(p, Position2), "---");
    EXPECT_EQ(window->statusText(), "Done.");
}

TEST_F(IoPages, SunProtectHoverNamesTheBitsAndMarksThePicture)
{
    using namespace SunProtectId;
    show("Sun Protect");
    CPageWidget* p = sun();
    const uint16_t autoMode = catalogue.Holding(700).value;
    hover(p->controls().widget(AutoMode2));
    EXPECT_EQ(window->registerInfo().toStdString(), PageText::RegisterInfo(700, autoMode, "SP1_AutoMode_700_bit1"));
    CPicturePanel* panel = p->picturePanel();
    ASSERT_EQ(panel->frameRects().size(), 1u);
    EXPECT_EQ(panel->frameRects()[0].left, panel->width() * 49 / 100);
    EXPECT_EQ(panel->frameRects()[0].bottom, panel->height() * 44 / 100);

    hover(p->controls().label(KeyStatus2)); // channel 2's rocker key
    ASSERT_EQ(panel->frameRects().size(), 1u);
    EXPECT_EQ(panel->frameRects()[0].left, panel->width() * 61 / 100);
    EXPECT_EQ(panel->frameRects()[0].top, panel->height() * 60 / 100);
    hover(p->controls().label(OpMode1));
    EXPECT_EQ(panel->frameRects()[0].left, panel->width() * 50 / 100);
    hover(p->controls().label(Label2));
    EXPECT_EQ(panel->frameRects()[0].left, panel->width() * 32 / 100);
    EXPECT_EQ(window->registerInfo().toStdString(),
              PageText::RegisterInfo(4300, catalogue.Holding(4300).value, RegisterKeyName(4300)));
    EXPECT_EQ(panel->picture(), Page::Picture::UnitSunProtect);
}

TEST_F(IoPages, InputsInDemoModeKeepTheirInitialChoicesAndWriteNothing)
{
    const std::size_t from = mark();
    startDemoMode();
    open("Inputs");
    CPageWidget* p = inputs();
    EXPECT_EQ(p->widget<QComboBox>(InputsId::Input1Config)->currentIndex(), 1);
    EXPECT_EQ(p->widget<QComboBox>(InputsId::Input2Config)->currentIndex(), 2);
    EXPECT_FALSE(p->controls().enabled(Page::kReadTarget));
    choose(p->widget<QComboBox>(InputsId::Input1Config), 4);
    EXPECT_TRUE(received(from).empty());
    EXPECT_EQ(window->statusText(), "Demo mode is active.");
}
