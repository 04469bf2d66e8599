#include "pages/core/CTimeProgramLogic.h"

#include "model/RegisterCatalogue.h"
#include "pages/core/PageText.h"

#include <algorithm>

using namespace Page;
using namespace TimeProgramId;
namespace Field = TimeProgramField;

namespace {

constexpr int kRowsPerColumn = 8;
constexpr int kRowCount = 1 + CTimeProgramLogic::kPrograms + 1;

// All program buttons share one caption until their labels are set: a
// caption shared by several buttons gets no keyboard mnemonic, and the
// labels ("*  Time Progam 5  *") must stay as they are.
constexpr const char* kProgramCaption = "Time Progam";

std::array<Row, kRowCount> MakeRows()
{
    std::array<Row, kRowCount> rows{};
    rows[0] = Row{.id = Title, .kind = Kind::Heading, .caption = "Time Program Scenes:", .row = 0, .column = 0,
                  .span = CTimeProgramLogic::kPrograms / kRowsPerColumn};
    for (int i = 0; i < CTimeProgramLogic::kPrograms; ++i)
        rows[static_cast<std::size_t>(1 + i)] = Row{.id = FirstProgram + i, .kind = Kind::Button,
                                                    .caption = kProgramCaption, .row = 1 + i % kRowsPerColumn,
                                                    .column = i / kRowsPerColumn};
    rows[kRowCount - 1] = SaveToNvramButton();
    return rows;
}

} // namespace

namespace TimeProgramField {

const char* Name(int field)
{
    static constexpr const char* kNames[Count] = {"Activate",         "Event Day",          "Event Hour",
                                                  "Event Minute",     "Register Address",   "Register New Value",
                                                  "Assignment To Scene"};
    return field >= 0 && field < Count ? kNames[field] : "";
}

} // namespace TimeProgramField

CTimeProgramLogic::CTimeProgramLogic(RegisterCatalogue& catalogue, IUnitAccess& unit, IPageHost& host,
                                     IPageControls& controls)
    : CPageEngine(PageDescription(), catalogue, unit, host, controls)
{
}

const Description& CTimeProgramLogic::PageDescription()
{
    static const std::array<Row, kRowCount> rows = MakeRows();
    static const Description page{.rows = rows};
    return page;
}

int CTimeProgramLogic::ProgramOf(ControlId button)
{
    return button >= FirstProgram && button <= LastProgram ? button - FirstProgram + 1 : 0;
}

std::string CTimeProgramLogic::ButtonLabel(int program, bool active)
{
    const char* mark = active ? "*" : " ";
    return std::string(mark) + "  Time Progam " + std::to_string(program) + "  " + mark;
}

void CTimeProgramLogic::rebuildLabels()
{
    for (int n = 1; n <= kPrograms; ++n)
        controls().setText(FirstProgram + n - 1, ButtonLabel(n, catalogue().Holding(Base(n)).value != 0));
}

bool CTimeProgramLogic::scenesUsed()
{
    return unit().deviceType() >= kScenesFromDeviceType;
}

TimeProgramData CTimeProgramLogic::openProgram(int program)
{
    TimeProgramData data;
    if (program < 1 || program > kPrograms)
        return data;
    // Identification talks to the unit; in demo mode there is none.
    if (!unit().demoMode()) {
        unit().identifyDevice();
        checkReady(); // it names a missing unit; the dialog opens all the same
    }
    const uint16_t base = Base(program);
    const bool scenes = scenesUsed();
    const int fields = scenes ? Field::Count : Field::Scene;

    if (readsFromUnit()) {
        onUnit({.running = true}, [&] {
            // Stops at the first failure: the unit answers in order, and a
            // register it refused makes the rest doubtful.
            for (int f = 0; f < fields; ++f) {
                uint16_t word = 0;
                if (unit().readHolding(static_cast<uint16_t>(base + f), &word) < 0)
                    break;
                data.words[static_cast<std::size_t>(f)] = word;
                data.known |= Field::Bit(f);
                catalogue().Holding(static_cast<uint16_t>(base + f)).value = word;
            }
            return 0;
        });
        // What could not be read the dialog names itself.
        host().setStatusText(PageText::kDone);
    } else {
        // No unit to ask (none known, or demo mode): what the catalogue holds.
        for (int f = 0; f < fields; ++f)
            data.words[static_cast<std::size_t>(f)] = catalogue().Holding(static_cast<uint16_t>(base + f)).value;
        data.known = scenes ? Field::kAll : Field::kAll & ~Field::Bit(Field::Scene);
    }
    uint16_t& scene = data.words[Field::Scene];
    scene = std::min<uint16_t>(scene, kScenes);
    return data;
}

int CTimeProgramLogic::writeProgram(int program, const TimeProgramData& data)
{
    const uint16_t base = Base(program);
    const int fields = scenesUsed() ? Field::Count : Field::Scene;
    for (int f = 0; f < fields; ++f) {
        // A field that was never read is not the unit's value: it stays as
        // the unit has it unless the user set it.
        if (!data.knows(f))
            continue;
        const uint16_t word = data.words[static_cast<std::size_t>(f)];
        if (const int r = unit().writeHolding(static_cast<uint16_t>(base + f), word); r != 0)
            return r;
    }
    return 0;
}

int CTimeProgramLogic::shareSceneTime(int program, const TimeProgramData& data)
{
    const uint16_t scene = data.words[Field::Scene];
    if (!scenesUsed() || !data.knows(Field::Scene) || scene == 0)
        return 0;
    // The time handed on must be this program's real one.
    for (const int f : {Field::EventDay, Field::EventHour, Field::EventMinute})
        if (!data.knows(f))
            return 0;
    for (int other = 1; other <= kPrograms; ++other) {
        if (other == program)
            continue;
        const uint16_t base = Base(other);
        uint16_t itsScene = 0;
        if (const int r = unit().readHolding(static_cast<uint16_t>(base + Field::Scene), &itsScene); r < 0)
            return r;
        if (itsScene != scene)
            continue;
        for (const int f : {Field::EventDay, Field::EventHour, Field::EventMinute}) {
            const uint16_t word = data.words[static_cast<std::size_t>(f)];
            if (const int r = unit().writeHolding(static_cast<uint16_t>(base + f), word); r != 0)
                return r;
        }
    }
    return 0;
}

int CTimeProgramLogic::saveProgram(int program, const TimeProgramData& data)
{
    if (program < 1 || program > kPrograms)
        return Result::NoSuchRegister;
    const bool report = unitKnown();
    const int result = onUnit({.running = report, .sameDevice = true, .report = report}, [&] {
        const int r = writeProgram(program, data);
        return r != 0 ? r : shareSceneTime(program, data);
    });
    // The catalogue takes the edited program whether the unit did or not
    // (only the scene's other programs are left as they were read).
    const uint16_t base = Base(program);
    const int fields = scenesUsed() ? Field::Count : Field::Scene;
    for (int f = 0; f < fields; ++f)
        if (data.knows(f))
            catalogue().Holding(static_cast<uint16_t>(base + f)).value = data.words[static_cast<std::size_t>(f)];
    rebuildLabels();
    return result;
}
