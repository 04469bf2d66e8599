#include "pages/core/CTimeProgramLogic.h"

#include "model/RegisterCatalogue.h"
#include "pages/core/PageText.h"
#include "pages/core/PageValues.h"
#include "tools/report/CChangeJournal.h"

#include <algorithm>
#include <iterator>

using namespace Page;
using namespace TimeProgramId;
namespace Field = TimeProgramField;

namespace {

constexpr int kRowsPerColumn = 8;
constexpr int kRowCount = 1 + CTimeProgramLogic::kPrograms + 2;

constexpr const char* kSceneItems[] = {"No assignment", "Scene 1", "Scene 2", "Scene 3", "Scene 4",
                                       "Scene 5",       "Scene 6", "Scene 7", "Scene 8"};
constexpr const char* kDayNames[] = {"Mo", "Tu", "We", "Th", "Fr", "Sa", "Su"};
// A run of this many days or more is written "Mo-Fr".
constexpr int kShortestRange = 3;

// The unit gives no answer any more: the programs after it are not asked
// for one by one.
bool LinkLost(int result)
{
    return result == Result::NoReply || result == Result::NoLink || result == Result::PortGone;
}

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
    rows[kRowCount - 2] = ReadTargetButton();
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
    forgetReads();
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

std::span<const char* const> CTimeProgramLogic::SceneItems()
{
    return kSceneItems;
}

std::string CTimeProgramLogic::DayList(uint16_t eventDay)
{
    std::string list;
    const int days = static_cast<int>(std::size(kDayNames));
    const auto on = [eventDay](int d) { return ((eventDay >> d) & 1U) != 0; };
    for (int d = 0; d < days;) {
        if (!on(d)) {
            ++d;
            continue;
        }
        int end = d;
        while (end + 1 < days && on(end + 1))
            ++end;
        if (!list.empty())
            list += " ";
        if (end - d + 1 >= kShortestRange) {
            list += std::string(kDayNames[d]) + "-" + kDayNames[end];
        } else {
            for (int k = d; k <= end; ++k)
                list += std::string(k > d ? " " : "") + kDayNames[k];
        }
        d = end + 1;
    }
    return list.empty() ? "none" : list;
}

std::string CTimeProgramLogic::TimeText(uint16_t hour, uint16_t minute)
{
    const auto two = [](uint16_t v) { return (v < 10 ? "0" : "") + std::to_string(v); };
    return two(hour) + ":" + two(minute);
}

void CTimeProgramLogic::rebuildLabels()
{
    for (int n = 1; n <= kPrograms; ++n)
        controls().setText(FirstProgram + n - 1, ButtonLabel(n, catalogue().Holding(Base(n)).value != 0));
    if (m_rebuilt)
        m_rebuilt();
}

TimeProgramOverviewRow CTimeProgramLogic::overviewRow(int program)
{
    TimeProgramOverviewRow row;
    if (program < 1 || program > kPrograms)
        return row;
    const std::size_t i = static_cast<std::size_t>(program - 1);
    const uint16_t base = Base(program);
    const unsigned unread = m_unread[i];
    const auto word = [this, base](int field) {
        return catalogue().Holding(static_cast<uint16_t>(base + field)).value;
    };
    const auto known = [unread](int field) { return (unread & Field::Bit(field)) == 0; };
    const std::string missing = PageText::kMissing;

    row.program = program;
    row.stale = m_stale[i];
    row.active = !known(Field::Activate) ? missing : word(Field::Activate) != 0 ? "on" : "off";
    if (!m_seen[i] && readsFromUnit()) {
        // Only the activate flag came from this unit (the connection reads
        // the flags); the rest are start values, not the unit's program.
        row.days = row.time = row.registerName = row.value = TimeProgramOverviewRow::kNotRead;
        if (scenesUsed())
            row.scene = TimeProgramOverviewRow::kNotRead;
        return row;
    }
    row.days = known(Field::EventDay) ? DayList(word(Field::EventDay)) : missing;
    row.time = known(Field::EventHour) && known(Field::EventMinute)
                   ? TimeText(word(Field::EventHour), word(Field::EventMinute))
                   : missing;
    const uint16_t address = word(Field::RegisterAddress);
    row.registerName = known(Field::RegisterAddress) ? PageValues::RegisterTitle(catalogue(), address) : missing;
    if (!known(Field::RegisterAddress) || !known(Field::RegisterNewValue)) {
        row.value = missing;
    } else {
        const uint16_t value = word(Field::RegisterNewValue);
        row.value = PageValues::ShownValue(catalogue(), address, value);
        if (row.value.empty())
            row.value = std::to_string(static_cast<int16_t>(value)); // the dialog's signed number
    }
    if (scenesUsed()) {
        const uint16_t scene = word(Field::Scene);
        row.scene = !known(Field::Scene) ? missing
                    : scene < std::size(kSceneItems) ? kSceneItems[scene]
                                                     : std::to_string(scene);
    }
    return row;
}

int CTimeProgramLogic::afterReads(int result, bool connected)
{
    if (!connected || result != 0)
        return result;
    const int fields = fieldCount();
    int first = 0;
    bool lost = false;
    for (int n = 1; n <= kPrograms; ++n) {
        const std::size_t i = static_cast<std::size_t>(n - 1);
        if (lost) {
            // Not asked: what the catalogue holds may be out of date.
            m_stale[i] = true;
            continue;
        }
        m_stale[i] = false;
        m_seen[i] = true;
        m_unread[i] = 0;
        // As the dialog reads a program: in order, up to the first failure;
        // the scene only after all the others.
        for (int f = 0; f < fields; ++f) {
            if (const int r = readRegister(static_cast<uint16_t>(Base(n) + f)); r != 0) {
                for (int g = f; g < fields; ++g)
                    m_unread[i] |= Field::Bit(g);
                if (first == 0)
                    first = r;
                lost = LinkLost(r);
                break;
            }
        }
    }
    return first;
}

void CTimeProgramLogic::forgetReads()
{
    m_unread.fill(0);
    m_stale.fill(true);
    m_seen.fill(false);
}

void CTimeProgramLogic::afterCycle(int result)
{
    (void)result;
    rebuildLabels();
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
        const std::size_t i = static_cast<std::size_t>(program - 1);
        m_unread[i] = (Field::kAll & ~data.known) & ((1u << fields) - 1);
        m_stale[i] = false;
        m_seen[i] = true;
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
        const auto address = static_cast<uint16_t>(base + f);
        if (const int r = CChangeJournal::Around(catalogue(), address, word,
                                                 [&] { return unit().writeHolding(address, word); });
            r != 0)
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
    m_unread[static_cast<std::size_t>(program - 1)] &= ~data.known;
    // What the catalogue holds now is the program as the user saved it.
    m_stale[static_cast<std::size_t>(program - 1)] = false;
    m_seen[static_cast<std::size_t>(program - 1)] = true;
    rebuildLabels();
    return result;
}
