#include "pages/core/CTimeProgramDialogLogic.h"

#include "model/RegisterCatalogue.h"
#include "pages/core/PageText.h"
#include "pages/core/PageValues.h"

#include <algorithm>
#include <iterator>
#include <span>
#include <optional>
#include <utility>

using namespace Page;
using namespace TimeProgramDialogId;
namespace Field = TimeProgramField;

namespace {

constexpr const char* kDayCaptions[CTimeProgramDialogLogic::kDays] = {"Mo", "Tu", "We", "Th", "Fr", "Sa", "Su"};
constexpr int kFieldSpan = CTimeProgramDialogLogic::kDays;
// The picture's text for a part of the program the unit did not give.
constexpr const char* kNotRead = "not read";

// Elements of the unit's time-program screen (TimeProgramScreen): the
// on/off switch in the top bar, the weekday row, the hour and the minute of
// the large time, the register and the value it gets, the scene badge.
constexpr FramePercent kActivateFrame{76, 0, 100, 16};
constexpr FramePercent kDaysFrame{0, 17, 100, 34};
constexpr FramePercent kHourFrame{20, 36, 48, 62};
constexpr FramePercent kMinuteFrame{52, 36, 80, 62};
constexpr FramePercent kAddressFrame{0, 64, 50, 83};
constexpr FramePercent kValueFrame{50, 64, 100, 83};
constexpr FramePercent kSceneFrame{0, 84, 40, 100};

constexpr PictureMark Mark(FramePercent frame)
{
    return PictureMark{Picture::None, {frame}, 1};
}

std::array<Row, CTimeProgramDialogLogic::kRowCount> MakeRows(uint16_t base, std::span<const char* const> registers)
{
    const auto reg = [base](int field) { return static_cast<uint16_t>(base + field); };
    std::array<Row, CTimeProgramDialogLogic::kRowCount> rows{};
    std::size_t i = 0;
    rows[i++] = Row{.id = Activate, .kind = Kind::Check, .caption = "Activate", .row = 0, .span = 3,
                    .address = reg(Field::Activate), .uses = Use::Hover, .mark = Mark(kActivateFrame)};
    rows[i++] = Row{.id = EventDay, .kind = Kind::UnitLabel, .caption = "Event Day", .row = 1,
                    .address = reg(Field::EventDay), .uses = Use::Hover, .mark = Mark(kDaysFrame)};
    for (int d = 0; d < CTimeProgramDialogLogic::kDays; ++d)
        rows[i++] = Row{.id = Monday + d, .kind = Kind::Check, .caption = kDayCaptions[d], .row = 1, .column = 1 + d,
                        .address = reg(Field::EventDay), .uses = Use::Hover, .mark = Mark(kDaysFrame)};
    rows[i++] = Row{.id = EventHour, .kind = Kind::Number, .caption = "Event Hour", .row = 2, .span = kFieldSpan,
                    .filter = EntryFilter::Digits, .address = reg(Field::EventHour), .uses = Use::Hover,
                    .mark = Mark(kHourFrame)};
    rows[i++] = Row{.id = EventMinute, .kind = Kind::Number, .caption = "Event Minute", .row = 3, .span = kFieldSpan,
                    .filter = EntryFilter::Digits, .address = reg(Field::EventMinute), .uses = Use::Hover,
                    .mark = Mark(kMinuteFrame)};
    rows[i++] = Row{.id = RegisterAddress, .kind = Kind::Number, .caption = "Register Address", .row = 4,
                    .span = kFieldSpan, .filter = EntryFilter::Digits, .address = reg(Field::RegisterAddress),
                    .uses = Use::Hover, .mark = Mark(kAddressFrame)};
    rows[i++] = Row{.id = AddressName, .kind = Kind::UnitLabel, .row = 4, .column = 1 + kFieldSpan};
    // Picks the address by the register's name or number.
    rows[i++] = Row{.id = FindRegister, .kind = Kind::List, .caption = "Find Register", .row = 5, .span = kFieldSpan,
                    .items = registers, .initial = -1};
    rows[i++] = Row{.id = RegisterNewValue, .kind = Kind::Number, .caption = "Register New Value", .row = 6,
                    .span = kFieldSpan, .filter = EntryFilter::Integer, .address = reg(Field::RegisterNewValue),
                    .uses = Use::Hover, .mark = Mark(kValueFrame)};
    rows[i++] = Row{.id = ValueShown, .kind = Kind::UnitLabel, .row = 6, .column = 1 + kFieldSpan};
    // Hidden below device type 2000; a hidden control is not hovered.
    rows[i++] = Row{.id = Scene, .kind = Kind::List, .caption = "Assignment To Scene", .row = 7, .span = kFieldSpan,
                    .items = CTimeProgramLogic::SceneItems(), .initial = 0, .address = reg(Field::Scene), .uses = Use::Hover,
                    .mark = Mark(kSceneFrame)};
    return rows;
}

} // namespace

const std::array<CTimeProgramDialogLogic::NumberCheck, 4>& CTimeProgramDialogLogic::Checks()
{
    static const std::array<NumberCheck, 4> checks = {{
        {EventHour, Field::EventHour, 0, 23, "Value of Event Hour is out of range (0 - 23)"},
        {EventMinute, Field::EventMinute, 0, 59, "Value of Event Minute is out of range (0 - 59)"},
        {RegisterAddress, Field::RegisterAddress, 1, 32767, "Value of Register Address is out of range (1 - 32767)"},
        {RegisterNewValue, Field::RegisterNewValue, -32767, 32767,
         "Value of Register New Value is out of range (-32767 - 32767)"},
    }};
    return checks;
}

CTimeProgramDialogLogic::CTimeProgramDialogLogic(int program, bool scenes, RegisterCatalogue& catalogue,
                                                 IPageHost& host, IPageControls& controls)
    : m_program(program), m_scenes(scenes), m_catalogue(catalogue), m_base(CTimeProgramLogic::Base(program)),
      m_controls(controls), m_choices(catalogue), m_rows(MakeRows(m_base, m_choices.items)), m_hover(m_rows, Picture::ScreenTimeProgram, catalogue, host, controls)
{
}

CTimeProgramDialogLogic::Choices::Choices(const RegisterCatalogue& catalogue)
{
    for (uint32_t address = 1; address < RegisterCatalogue::kHoldingCount; ++address) {
        if (!catalogue.IsUsed(RegisterTableKind::Holding, address))
            continue;
        const RegisterEntry& entry = catalogue.Holding(static_cast<uint16_t>(address));
        // A text is written as a whole, never one character by a program.
        if (entry.readOnly || entry.textPart == 2 || entry.textPart == 3)
            continue;
        addresses.push_back(static_cast<uint16_t>(address));
        texts.push_back(PageValues::RegisterTitle(catalogue, static_cast<uint16_t>(address)));
    }
    for (const std::string& text : texts)
        items.push_back(text.c_str());
}

int CTimeProgramDialogLogic::FieldOf(ControlId control)
{
    switch (control) {
    case Activate: return Field::Activate;
    case EventHour: return Field::EventHour;
    case EventMinute: return Field::EventMinute;
    case RegisterAddress: return Field::RegisterAddress;
    case RegisterNewValue: return Field::RegisterNewValue;
    case Scene: return Field::Scene;
    default: return control >= Monday && control <= Sunday ? Field::EventDay : -1;
    }
}

unsigned CTimeProgramDialogLogic::fieldsShown() const
{
    return m_scenes ? Field::kAll : Field::kAll & ~Field::Bit(Field::Scene);
}

uint16_t CTimeProgramDialogLogic::ComposeEventDay(const std::array<bool, kDays>& days)
{
    uint16_t word = 0;
    for (int d = 0; d < kDays; ++d)
        if (days[static_cast<std::size_t>(d)])
            word = static_cast<uint16_t>(word | (1u << d));
    return word;
}

std::string CTimeProgramDialogLogic::UnreadNote(unsigned unknownFields)
{
    std::string names;
    for (int f = 0; f < Field::Count; ++f)
        if (unknownFields & Field::Bit(f))
            names += (names.empty() ? "" : ", ") + std::string(Field::Name(f));
    if (names.empty())
        return {};
    return "Not read from the unit: " + names + ". The unit keeps its values for these unless you change them.";
}

void CTimeProgramDialogLogic::show(const TimeProgramData& data)
{
    IPageControls& c = m_controls;
    const auto word = [&data](int field) { return data.words[static_cast<std::size_t>(field)]; };
    c.setText(Heading, "Time Program " + std::to_string(m_program));
    c.setChecked(Activate, word(Field::Activate) != 0);
    for (int d = 0; d < kDays; ++d)
        c.setChecked(Monday + d, ((word(Field::EventDay) >> d) & 1U) != 0);
    c.setText(EventHour, std::to_string(word(Field::EventHour)));
    c.setText(EventMinute, std::to_string(word(Field::EventMinute)));
    c.setText(RegisterAddress, std::to_string(word(Field::RegisterAddress)));
    c.setText(RegisterNewValue, std::to_string(static_cast<int16_t>(word(Field::RegisterNewValue))));
    c.setIndex(Scene, std::min<int>(word(Field::Scene), CTimeProgramLogic::kScenes));
    c.setVisible(Scene, m_scenes);
    c.setIndex(FindRegister, -1);
    c.setText(Info, "");

    m_known = data.known & fieldsShown();
    for (const Row& row : m_rows) {
        const int field = row.id == EventDay ? static_cast<int>(Field::EventDay) : FieldOf(row.id);
        if (field >= 0 && !(m_known & Field::Bit(field)))
            c.setEditState(row.id, EditState::Stale);
    }
    showUnread();
    showRegister();
}

void CTimeProgramDialogLogic::showRegister()
{
    const IPageControls& c = m_controls;
    const auto number = [&c](ControlId id) -> std::optional<int32_t> {
        const std::string typed = c.text(id);
        return PageText::IsNumber(typed) ? std::optional<int32_t>(PageText::ParseNumber(typed, 1)) : std::nullopt;
    };
    std::string name;
    std::string value;
    if (m_known & Field::Bit(Field::RegisterAddress)) {
        const std::optional<int32_t> address = number(RegisterAddress);
        const bool inTable = address && *address > 0 && *address < RegisterCatalogue::kHoldingCount;
        name = PageValues::RegisterTitle(m_catalogue, inTable ? static_cast<uint16_t>(*address) : 0);
        const std::optional<int32_t> typed = number(RegisterNewValue);
        const NumberCheck& range = Checks()[3];
        const bool valueKnown = (m_known & Field::Bit(Field::RegisterNewValue)) != 0;
        if (inTable && valueKnown && typed && *typed >= range.min && *typed <= range.max)
            value = PageValues::ShownValue(m_catalogue, static_cast<uint16_t>(*address),
                                           static_cast<uint16_t>(static_cast<int16_t>(*typed)));
    }
    m_controls.setText(AddressName, name);
    m_controls.setText(ValueShown, value);
}

void CTimeProgramDialogLogic::showUnread()
{
    const std::string note = UnreadNote(fieldsShown() & ~m_known);
    m_controls.setText(Unread, note);
    m_controls.setVisible(Unread, !note.empty());
}

void CTimeProgramDialogLogic::userChanged(ControlId control)
{
    if (control == FindRegister) {
        const int chosen = m_controls.index(FindRegister);
        if (chosen < 0 || static_cast<std::size_t>(chosen) >= m_choices.addresses.size())
            return;
        m_controls.setText(RegisterAddress, std::to_string(m_choices.addresses[static_cast<std::size_t>(chosen)]));
        userChanged(RegisterAddress);
        showRegister();
        return;
    }
    const int field = FieldOf(control);
    if (field < 0 || (m_known & Field::Bit(field)))
        return;
    m_known |= Field::Bit(field);
    // The grey "not read" cue goes; a field being typed in keeps its own.
    for (const Row& row : m_rows)
        if ((row.id == control || (field == Field::EventDay && (row.id == EventDay || FieldOf(row.id) == field))) &&
            m_controls.editState(row.id) == EditState::Stale)
            m_controls.setEditState(row.id, EditState::Clean);
    showUnread();
}

bool CTimeProgramDialogLogic::check(const NumberCheck& c)
{
    const std::string typed = m_controls.text(c.control);
    const int32_t value = PageText::ParseNumber(typed, 1);
    if (value < c.min || value > c.max) {
        m_controls.setText(Info, c.message);
        return false;
    }
    if (const std::string text = std::to_string(value); text != typed)
        m_controls.setText(c.control, text);
    // The value is good now: its message has done its work.
    if (m_controls.text(Info) == c.message)
        m_controls.setText(Info, "");
    return true;
}

bool CTimeProgramDialogLogic::checkHour()
{
    return check(Checks()[0]);
}

bool CTimeProgramDialogLogic::confirm()
{
    m_failed = kNoControl;
    for (const NumberCheck& c : Checks())
        if (!check(c)) {
            m_failed = c.control;
            return false;
        }
    return true;
}

TimeProgramData CTimeProgramDialogLogic::result() const
{
    const IPageControls& c = m_controls;
    TimeProgramData data;
    data.known = m_known;
    const auto set = [&data](int field, uint16_t word) { data.words[static_cast<std::size_t>(field)] = word; };
    const auto number = [&c](ControlId id) { return PageText::ParseNumber(c.text(id), 1); };
    set(Field::Activate, c.checked(Activate) ? 1 : 0);
    std::array<bool, kDays> days{};
    for (int d = 0; d < kDays; ++d)
        days[static_cast<std::size_t>(d)] = c.checked(Monday + d);
    set(Field::EventDay, ComposeEventDay(days));
    set(Field::EventHour, static_cast<uint16_t>(number(EventHour)));
    set(Field::EventMinute, static_cast<uint16_t>(number(EventMinute)));
    set(Field::RegisterAddress, static_cast<uint16_t>(number(RegisterAddress)));
    set(Field::RegisterNewValue, static_cast<uint16_t>(static_cast<int16_t>(number(RegisterNewValue))));
    set(Field::Scene, m_scenes ? static_cast<uint16_t>(std::clamp(c.index(Scene), 0, CTimeProgramLogic::kScenes)) : 0);
    return data;
}

TimeProgramScreen CTimeProgramDialogLogic::screen() const
{
    const IPageControls& c = m_controls;
    // A field's number when it holds one within the range, else nothing; a
    // field not read from the unit shows nothing either (its start value is
    // not the unit's).
    const auto valid = [this, &c](ControlId id, int32_t min, int32_t max) -> std::optional<int32_t> {
        if (!(m_known & Field::Bit(FieldOf(id))))
            return std::nullopt;
        const std::string typed = c.text(id);
        if (!PageText::IsNumber(typed))
            return std::nullopt;
        const int32_t value = PageText::ParseNumber(typed, 1);
        return value >= min && value <= max ? std::optional<int32_t>(value) : std::nullopt;
    };
    const auto twoDigits = [](std::optional<int32_t> v) {
        if (!v)
            return std::string("--");
        return (*v < 10 ? "0" : "") + std::to_string(*v);
    };
    const auto range = [](ControlId id) {
        for (const NumberCheck& check : Checks())
            if (check.control == id)
                return std::pair(check.min, check.max);
        return std::pair(int32_t{0}, int32_t{0});
    };

    TimeProgramScreen s;
    s.title = "Time program " + std::to_string(m_program);
    s.active = c.checked(Activate);
    for (int d = 0; d < kDays; ++d)
        s.days[static_cast<std::size_t>(d)] = c.checked(Monday + d);
    const auto [hourMin, hourMax] = range(EventHour);
    const auto [minuteMin, minuteMax] = range(EventMinute);
    s.time = twoDigits(valid(EventHour, hourMin, hourMax)) + ":" + twoDigits(valid(EventMinute, minuteMin, minuteMax));

    const auto [addressMin, addressMax] = range(RegisterAddress);
    const std::optional<int32_t> address = valid(RegisterAddress, addressMin, addressMax);
    const auto [valueMin, valueMax] = range(RegisterNewValue);
    const std::optional<int32_t> value = valid(RegisterNewValue, valueMin, valueMax);
    s.address = address ? std::to_string(*address) : "--";
    if (!(m_known & Field::Bit(Field::RegisterAddress)))
        s.registerName = kNotRead;
    else if (address && m_catalogue.IsUsed(RegisterTableKind::Holding, static_cast<uint32_t>(*address)))
        s.registerName = m_catalogue.Holding(static_cast<uint16_t>(*address)).name;
    else
        s.registerName = PageValues::kNoSuchRegister;
    if (value) {
        if (address)
            s.value = PageValues::ShownValue(m_catalogue, static_cast<uint16_t>(*address),
                                             static_cast<uint16_t>(static_cast<int16_t>(*value)));
        if (s.value.empty())
            s.value = std::to_string(*value);
    } else {
        s.value = "--";
    }
    s.scenes = m_scenes;
    const int scene = c.index(Scene);
    if (!(m_known & Field::Bit(Field::Scene)))
        s.scene = kNotRead;
    else if (const auto items = CTimeProgramLogic::SceneItems(); scene >= 0 && scene < static_cast<int>(items.size()))
        s.scene = items[static_cast<std::size_t>(scene)];
    return s;
}
