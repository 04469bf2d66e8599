// Longer than 700 lines on purpose: this is the one engine every page runs
// on, and the rules its header lists (open and close per action, stop at the
// first failing register, the identity check before each write, demo mode,
// edits never overwritten) hold across all its operations; split over files
// they would be kept in several places again.

#include "pages/core/CPageEngine.h"

#include "diag/Result.h"
#include "link/UnitSession.h"
#include "model/RegisterCatalogue.h"
#include "pages/core/PageText.h"
#include "tools/report/CChangeJournal.h"

using Page::Access;
using Page::ControlId;
using Page::ControlKind;
using Page::Display;
using Page::Row;
using Page::Take;
namespace Use = Page::Use;

CPageEngine::CPageEngine(const Page::Description& page, RegisterCatalogue& catalogue, IUnitAccess& unit,
                         IPageHost& host, IPageControls& controls)
    : m_page(page), m_catalogue(catalogue), m_unit(unit), m_host(host), m_controls(controls)
{
    // The read order is the rows' own unless the page states one (checked
    // against the rows where the page is compiled).
    if (m_page.readOrder.empty()) {
        for (const Row& row : m_page.rows)
            if (row.has(Use::Read))
                m_reads.push_back(&row);
    } else {
        for (const uint16_t address : m_page.readOrder)
            if (const Row* row = rowFor(address))
                m_reads.push_back(row);
    }
    for (const Row* row : m_reads)
        if (row->readGroup == 0)
            m_readOrder.push_back(row);
    // "Undo Changes" writes back what was read, in the order it was read, a
    // text register by register.
    const auto undoes = [this](const Row& row) {
        if (!row.has(Use::Undo))
            return;
        const int count = row.display == Display::Text ? Page::kTextRegisterCount : 1;
        for (int k = 0; k < count; ++k)
            m_undoOrder.push_back(static_cast<uint16_t>(row.address + k));
    };
    if (!m_page.undoOrder.empty()) {
        m_undoOrder.assign(m_page.undoOrder.begin(), m_page.undoOrder.end());
    } else if (m_page.readOrder.empty()) {
        for (const Row& row : m_page.rows)
            undoes(row);
    } else {
        for (const Row* row : m_reads)
            undoes(*row);
    }
}

bool CPageEngine::unitKnown() const
{
    return m_unit.deviceType() > 0;
}

bool CPageEngine::readsFromUnit() const
{
    return unitKnown() && !m_unit.demoMode();
}

const Row* CPageEngine::rowFor(uint16_t address) const
{
    for (const Row& row : m_page.rows)
        if (row.address == address && row.has(Use::Read))
            return &row;
    return nullptr;
}

const Row* CPageEngine::rowOf(ControlId control) const
{
    if (control == Page::kNoControl)
        return nullptr;
    for (const Row& row : m_page.rows)
        if (row.id == control)
            return &row;
    return nullptr;
}

UnitActionResult CPageEngine::runUnitAction(const ::UnitAction& how, const std::function<int()>& work,
                                            const UnitActionHooks& hooks)
{
    return RunUnitAction(m_unit, how, work, hooks);
}

int CPageEngine::onUnit(const UnitAction& how, const std::function<int()>& work, bool* passedChecks)
{
    if (passedChecks)
        *passedChecks = false;
    bool overlayShown = false;
    UnitActionHooks hooks;
    hooks.identified = [this](int) { checkReady(); };
    hooks.started = [&] {
        if (how.running)
            m_host.setStatusText(PageText::kRunning);
        if (how.overlay) {
            m_host.showBusyOverlay();
            overlayShown = true;
        }
    };
    const UnitActionResult r = runUnitAction(
        {.inDemo = ::UnitAction::InDemo::Skip, .identify = how.identify, .sameDevice = how.sameDevice}, work, hooks);
    if (r.refused()) {
        if (overlayShown)
            m_host.hideBusyOverlay();
        // No unit answered: the ready check has said so.
        return r.result == Result::NoLink ? r.result : refuseUnit(r.result);
    }
    if (passedChecks)
        *passedChecks = r.passedChecks();
    if (how.report && r.passedChecks())
        m_host.showResult(r.result);
    if (overlayShown)
        m_host.hideBusyOverlay();
    return r.result;
}

int CPageEngine::refuseUnit(int code)
{
    if (code == Result::AnotherUnit) {
        // The page belongs to the unit connected to: back to "Connect".
        m_host.selectFirstTab();
        m_host.setStatus(PageText::kAnotherUnit, code);
    } else if (code == Result::NoUnitIdentified) {
        m_host.setStatus(ResultText(code), code);
    } else {
        m_host.showResult(code);
    }
    return code;
}

bool CPageEngine::editsUnwritten() const
{
    for (const Row& row : m_page.rows)
        if (m_controls.kind(row.id) != ControlKind::Missing && m_controls.editState(row.id) == EditState::Edited)
            return true;
    return false;
}

// ---------------------------------------------------------------------------
// Showing values

void CPageEngine::showMissing(ControlId control)
{
    if (m_controls.kind(control) != ControlKind::Missing)
        m_controls.setText(control, PageText::kMissing);
}

void CPageEngine::showValue(const Row& row, uint16_t word)
{
    switch (m_controls.kind(row.id)) {
    case ControlKind::Missing: return;
    case ControlKind::Button: m_controls.setChecked(row.id, (word != 0) != row.inverted); return;
    case ControlKind::ComboBox: m_controls.setIndex(row.id, static_cast<int>(word) - row.listOffset); return;
    case ControlKind::Edit: m_controls.setText(row.id, PageText::FormatValue(row, word)); return;
    case ControlKind::Other: m_controls.setText(row.id, PageText::kMissing); return;
    }
}

int CPageEngine::readAndShow(uint16_t address, ControlId control)
{
    Row shown;
    if (const Row* row = rowFor(address)) {
        if (row->id == control)
            return readAndShow(*row);
        shown = *row;
        if (control == Page::kNoControl && shown.display == Display::Text)
            shown.display = Display::Number; // one register of the text, into the catalogue
    }
    shown.address = address;
    shown.id = control;
    return readAndShow(shown);
}

int CPageEngine::readAndShow(const Row& row)
{
    if (row.display == Display::Text)
        return readText(row);
    if (row.address == 0)
        return Result::NoSuchRegister;
    RegisterEntry& entry = m_catalogue.Holding(row.address);
    const bool special = row.access == Access::Special;

    int result = 0;
    if (!readsFromUnit()) {
        // No unit: show what the catalogue holds. The special registers keep
        // the value last read from a unit in lastReadValue.
        if (special)
            entry.value = entry.lastReadValue;
    } else {
        uint16_t word = 0;
        const int r =
            special ? m_unit.readHoldingSpecial(row.address, &word) : m_unit.readHolding(row.address, &word);
        m_host.pause(m_page.readPauseMs);
        if (r >= 0) {
            entry.value = word;
            if (special)
                entry.lastReadValue = word;
            m_readFromUnit.insert(row.address);
        } else {
            result = r;
        }
    }

    const ControlKind kind = m_controls.kind(row.id);
    if (kind == ControlKind::Missing)
        return result;
    if (result == 0 && !special && entry.readOnly)
        m_controls.setEnabled(row.id, false);
    // The user is typing or choosing there: leave the control alone. The
    // special registers spare a focused edit field only.
    if (m_controls.hasFocus(row.id) && (kind == ControlKind::Edit || (kind == ControlKind::ComboBox && !special)))
        return result;
    if (result != 0)
        showMissing(row.id);
    else
        showValue(row, entry.value);
    return result;
}

int CPageEngine::readText(const Row& row)
{
    if (row.address == 0)
        return Result::NoSuchRegister;
    int result = 0;
    for (int k = 0; k < PageText::kTextRegisters; ++k) {
        Row one;
        one.address = static_cast<uint16_t>(row.address + k);
        result = readAndShow(one);
        if (result != 0)
            break;
    }
    // The text shows what the catalogue holds, also after a failed read.
    if (m_controls.kind(row.id) != ControlKind::Missing && !m_controls.hasFocus(row.id)) {
        uint16_t words[PageText::kTextRegisters];
        for (int k = 0; k < PageText::kTextRegisters; ++k)
            words[k] = m_catalogue.Holding(static_cast<uint16_t>(row.address + k)).value;
        m_controls.setText(row.id, PageText::RegistersToText(words));
    }
    return result;
}

void CPageEngine::showBitFields(uint16_t address)
{
    const uint16_t word = m_catalogue.Holding(address).value;
    for (const Row& row : m_page.rows)
        if (row.bit >= 0 && row.address == address && m_controls.kind(row.id) == ControlKind::Button)
            m_controls.setChecked(row.id, (word >> row.bit) & 1U);
}

int CPageEngine::writeFromStore(uint16_t address, ControlId control)
{
    if (address == 0)
        return Result::NoSuchRegister;
    return writeValue(address, m_catalogue.Holding(address).value, control);
}

int CPageEngine::writeValue(uint16_t address, uint16_t value, ControlId control)
{
    if (address == 0)
        return Result::NoSuchRegister;
    const Row* row = rowFor(address);
    const bool special = row && row->access == Access::Special;
    RegisterEntry& entry = m_catalogue.Holding(address);
    if (entry.readOnly && !special)
        return 0;
    int32_t clamped = 0;
    m_catalogue.Clamp(address, value, &clamped);
    const auto word = static_cast<uint16_t>(clamped);
    if (!readsFromUnit()) {
        entry.value = word;
        if (special)
            entry.lastReadValue = entry.value;
        return readAndShow(address, control);
    }
    const int r = special ? m_unit.writeHoldingSpecial(address, word) : m_unit.writeHolding(address, word);
    if (r != 0 && r != kWriteAcceptedStatus)
        return r;
    // Taken: the catalogue holds it even when the read back fails.
    entry.value = word;
    return readAndShow(address, control);
}

// ---------------------------------------------------------------------------
// Cycles

int CPageEngine::readCycle()
{
    if (m_unit.demoMode())
        return 0;
    int result = 0;
    {
        CycleScope scope(*this);
        const int type = m_unit.deviceType();
        const bool report = type > 0 || (m_page.statusForTypeZero && type == 0);
        bool connected = false;
        std::size_t read = 0; // rows of the read order read (or failed)
        const bool fromUnit = readsFromUnit();
        result = onUnit({.running = report, .report = report}, [&] {
            connected = true;
            // Only this cycle's reads count as the unit's values.
            m_readFromUnit.clear();
            int r = 0;
            for (const Row* row : m_readOrder) {
                ++read;
                r = readAndShow(*row);
                showBitFields(row->address);
                if (r != 0)
                    break;
            }
            disableAfterRead();
            return afterReads(r, true);
        });
        // Without a link the page still shows what the catalogue holds.
        if (!connected) {
            disableAfterRead();
            result = afterReads(result, false);
        }
        // What the unit should have given and did not may be out of date.
        if (fromUnit)
            for (std::size_t i = read; i < m_readOrder.size(); ++i)
                if (m_controls.kind(m_readOrder[i]->id) != ControlKind::Missing)
                    m_controls.setEditState(m_readOrder[i]->id, EditState::Stale);
    }
    afterCycle(result);
    runPendingChanges();
    return result;
}

int CPageEngine::undoCycle()
{
    if (m_unit.demoMode())
        return 0;
    int writeResult = 0;
    std::vector<uint16_t> notRead;
    {
        CycleScope scope(*this);
        bool passed = false;
        const int r = onUnit({.identify = true, .running = true, .sameDevice = true}, [&] {
            notRead.clear();
            for (const uint16_t address : m_undoOrder) {
                const Row* row = rowFor(address);
                // A value the unit did not give in the last cycle is a
                // default or another unit's: the unit keeps its own.
                if (!m_readFromUnit.count(address)) {
                    const RegisterEntry& entry = m_catalogue.Holding(address);
                    if (!entry.readOnly || (row && row->access == Access::Special))
                        notRead.push_back(address);
                    continue;
                }
                // A text's registers go back one by one; the read cycle
                // shows the text again afterwards.
                const ControlId control = row && row->display != Display::Text ? row->id : Page::kNoControl;
                if (const int w = writeFromStore(address, control); w != 0)
                    return w;
            }
            return 0;
        }, &passed);
        // No unit, or another one: nothing was written and nothing is read.
        if (!passed)
            return r;
        writeResult = r;
    }
    const int readResult = readCycle();
    // The read cycle reports its own outcome; a write that failed before it
    // must not end up reported as "Done.".
    if (writeResult != 0) {
        m_host.showResult(writeResult);
        return writeResult;
    }
    if (readResult == 0 && !notRead.empty())
        m_host.setStatus(notReadText(notRead), Result::ReadFailed);
    return readResult;
}

std::string CPageEngine::notReadText(const std::vector<uint16_t>& addresses) const
{
    std::string names;
    for (const uint16_t address : addresses) {
        const Row* row = rowFor(address);
        std::string name;
        if (row && row->display == Display::Text && row->address != address)
            continue;
        if (row && row->caption && *row->caption)
            name = row->caption;
        else if (const RegisterEntry& entry = m_catalogue.Holding(address); !entry.name.empty())
            name = entry.name;
        else
            name = std::to_string(address);
        if (!names.empty())
            names += ", ";
        names += name;
    }
    return "Not read from the unit: " + names + ". Not written; read the page again first.";
}

int CPageEngine::readTargetButton()
{
    m_host.showBusyOverlay();
    const int r = readCycle();
    m_host.hideBusyOverlay();
    return r;
}

int CPageEngine::undoChangesButton()
{
    m_host.showBusyOverlay();
    const int r = undoCycle();
    m_host.hideBusyOverlay();
    return r;
}

int CPageEngine::checkReady()
{
    const int type = m_unit.deviceType();
    if (type >= 0)
        m_host.setStatusText(PageText::kReady);
    else
        m_host.setStatus(PageText::kNoDevice, Result::NoDeviceConnected);
    return type;
}

void CPageEngine::enableCommonButtons()
{
    // The button bar holds the actions on the unit.
    const bool on = !m_unit.demoMode();
    for (const Row& row : m_page.rows)
        if (row.kind == Page::Kind::Button && row.row < 0 && m_controls.kind(row.id) != ControlKind::Missing)
            m_controls.setEnabled(row.id, on);
}

void CPageEngine::disableAlwaysDisabled()
{
    for (const Row& row : m_page.rows)
        if (row.statusOnly)
            m_controls.setEnabled(row.id, false);
}

void CPageEngine::disableAfterRead()
{
    disableAlwaysDisabled();
    for (const Row& row : m_page.rows)
        if (row.showOnly)
            m_controls.setEnabled(row.id, false);
}

int CPageEngine::readGroup(uint8_t group, bool go, int result, const std::function<void(const Row&)>& afterEach)
{
    const bool fromUnit = readsFromUnit();
    for (const Row* row : m_reads) {
        if (row->readGroup != group)
            continue;
        if (go) {
            result = readAndShow(*row);
            go = result == 0;
            if (go && afterEach)
                afterEach(*row);
        } else if (fromUnit && m_controls.kind(row->id) != ControlKind::Missing) {
            // Not reached after a failure: may be out of date.
            m_controls.setEditState(row->id, EditState::Stale);
        }
    }
    return result;
}

int CPageEngine::writeThenRead(Page::ControlId written, Page::ControlId readBack)
{
    const int result = writeOnChange(written);
    // A change held back behind a running cycle is written when the cycle
    // ends; the control shows it from the next read.
    if (m_unit.demoMode() || cycleRunning())
        return result;
    // What the unit has now: it may have changed again meanwhile.
    const Page::Row* row = rowOf(readBack);
    if (row)
        onUnit({}, [&] { return readAndShow(*row); });
    return result;
}

int CPageEngine::saveToNvram()
{
    // The unit would store without the edit, and "Done." would say it has it.
    if (!m_unit.demoMode() && editsUnwritten())
        return refuseUnit(Result::EditsUnwritten);
    return onUnit({.identify = true, .report = true},
                  [this] { return m_unit.writeHolding(kSaveToNvramRegister, 1); });
}

// ---------------------------------------------------------------------------
// Changes

int CPageEngine::composeBitField(uint16_t address, int32_t* value) const
{
    bool any = false;
    int32_t word = 0;
    for (const Row& row : m_page.rows) {
        if (row.bit < 0 || row.address != address)
            continue;
        any = true;
        if (m_controls.checked(row.id))
            word |= 1 << row.bit;
    }
    *value = word;
    return any ? 0 : -1;
}

int CPageEngine::writeEditValue(uint16_t address, int32_t value, Access access)
{
    if (m_unit.demoMode())
        return 0;
    const RegisterEntry& entry = m_catalogue.Holding(address);
    if (!PageText::NumberInLimits(value, entry.min, entry.max)) {
        showRangeMessage(address);
        return kTypedOutOfRange;
    }
    const int r = CChangeJournal::Around(m_catalogue, address, value, [&] {
        return access == Access::Special ? m_unit.writeHoldingSpecialChecked(address, value)
                                         : m_unit.writeHoldingChecked(address, value);
    });
    m_host.showResult(r);
    return r;
}

void CPageEngine::showRangeMessage(uint16_t address)
{
    // The message names the register's raw limits; a field in tenths or
    // with a unit gets them in its own scale beside it, in the detail line.
    const RegisterEntry& entry = m_catalogue.Holding(address);
    const std::string message = PageText::RangeMessage(entry.min, entry.max);
    const Row* row = rowFor(address);
    if (!row) {
        m_host.setStatus(message, Result::TypedOutOfLimits);
        return;
    }
    const bool tenths = row->effectiveTake() == Take::NumberTenths;
    std::string unit;
    if (row->measure == Page::Measure::Temperature)
        unit = m_catalogue.Holding(Reg::TempUnit).value != 0 ? "\u00b0C" : "\u00b0F";
    else if (row->measure == Page::Measure::Percent)
        unit = "%";
    if (!tenths && unit.empty()) {
        m_host.setStatus(message, Result::TypedOutOfLimits);
        return;
    }
    const auto shown = [tenths](int32_t v) { return tenths ? PageText::Tenths(v) : std::to_string(v); };
    m_host.setStatusWithDetail(message, Result::TypedOutOfLimits,
                               "(" + shown(entry.min) + " - " + shown(entry.max) + (unit.empty() ? "" : " " + unit) + ")");
}

int CPageEngine::applyChange(const Row& row, bool toUnit)
{
    const ControlId control = row.id;
    int32_t value = 0;
    switch (row.effectiveTake()) {
    case Take::Auto:
    case Take::None: return 0;
    case Take::ListIndex: {
        const int index = m_controls.index(control);
        if (index < 0)
            return 0;
        value = index + row.listOffset;
        break;
    }
    case Take::CheckState: value = m_controls.checked(control) != row.inverted ? 1 : 0; break;
    case Take::RadioValue: value = row.radioValue; break;
    case Take::BitField:
        if (composeBitField(row.address, &value) != 0)
            return 0;
        break;
    case Take::Number:
    case Take::NumberTenths: {
        const int scale = row.effectiveTake() == Take::NumberTenths ? 10 : 1;
        const std::string text = m_controls.text(control);
        // Nothing, or no number: read as 0 it could write 0 (a PIN of 0
        // takes the unit's protection away).
        if (!PageText::IsNumber(text)) {
            m_host.setStatus(PageText::kNoNumber, Result::NoNumberTyped);
            restoreRefused(row);
            return kNoNumberTyped;
        }
        value = PageText::ParseNumber(text, scale);
        if (!toUnit) {
            const RegisterEntry& entry = m_catalogue.Holding(row.address);
            if (!PageText::NumberInLimits(value, entry.min, entry.max)) {
                showRangeMessage(row.address);
                restoreRefused(row);
                return kTypedOutOfRange;
            }
            m_catalogue.Holding(row.address).value = static_cast<uint16_t>(value);
            m_controls.setEditState(control, EditState::Clean);
            return 0;
        }
        const int r = writeEditValue(row.address, value, row.access);
        if (r == kTypedOutOfRange)
            restoreRefused(row);
        if (r == 0) {
            if (row.alsoStore)
                m_catalogue.Holding(row.address).value = static_cast<uint16_t>(value);
            m_controls.setEditState(control, EditState::Clean);
        }
        return r;
    }
    case Take::Text: {
        uint16_t words[PageText::kTextRegisters];
        PageText::TextToRegisters(PageText::CutText(m_controls.text(control)), words);
        if (!toUnit) {
            for (int k = 0; k < PageText::kTextRegisters; ++k)
                m_catalogue.Holding(static_cast<uint16_t>(row.address + k)).value = words[k];
            m_controls.setEditState(control, EditState::Clean);
            return 0;
        }
        const int r = m_unit.writeMultiHoldingsChecked(row.address, words);
        if (r == 0)
            m_controls.setEditState(control, EditState::Clean);
        return r;
    }
    }
    if (!toUnit) {
        m_catalogue.Clamp(row.address, value, nullptr);
        return 0;
    }
    const int r = CChangeJournal::Around(m_catalogue, row.address, value, [&] {
        return row.access == Access::Special ? m_unit.writeHoldingSpecialChecked(row.address, value)
                                             : m_unit.writeHoldingChecked(row.address, value);
    });
    if (r == 0 && row.alsoStore)
        m_catalogue.Holding(row.address).value = static_cast<uint16_t>(value);
    return r;
}

int CPageEngine::writeOnChange(ControlId control)
{
    if (m_unit.demoMode() || control == Page::kNoControl)
        return 0;
    const Row* row = rowOf(control);
    if (!row || !row->has(Use::Change))
        return 0;
    // A change never interleaves with a running cycle. With one thread the
    // only way to meet one is a re-entered event loop: the change then waits
    // until the cycle has ended.
    if (m_cycleDepth > 0) {
        m_pendingChanges.push_back(control);
        return 0;
    }
    // A failed identification left no unit to take the change: it is not
    // kept as if written (a unit of type 0 stores it in the catalogue).
    if (m_unit.deviceType() < 0) {
        const Take take = row->effectiveTake();
        // No number at all is refused as such, with or without a unit.
        if ((take == Take::Number || take == Take::NumberTenths) && !PageText::IsNumber(m_controls.text(control))) {
            m_host.setStatus(PageText::kNoNumber, Result::NoNumberTyped);
            restoreRefused(*row);
            return kNoNumberTyped;
        }
        m_controls.setEditState(control, EditState::Edited);
        return refuseUnit(Result::NoUnitIdentified);
    }
    m_host.pause(kChangePauseMs);

    const bool known = unitKnown();
    bool passed = false;
    bool applied = false;
    // The identity check may find a unit of device type 0: such a unit gets
    // nothing written, the value only goes into the catalogue.
    const int result = onUnit({.sameDevice = true},
                              [&] {
                                  applied = true;
                                  return applyChange(*row, m_unit.deviceType() > 0);
                              },
                              &passed);
    if (!passed)
        return result;
    // No unit to take it: the value store keeps the change.
    if (!applied && m_unit.deviceType() <= 0)
        applyChange(*row, false);
    // A refused typed value has its own message standing.
    if (known && result != kTypedOutOfRange && result != kNoNumberTyped)
        m_host.showResult(result);
    return result;
}

void CPageEngine::restoreRefused(const Row& row)
{
    // What the field showed before the edit is what the unit holds: the
    // value read, or the one written since (the catalogue keeps the value
    // read, for "Undo Changes").
    m_controls.restoreField(row.id);
    m_controls.setEditState(row.id, EditState::Refused);
}

void CPageEngine::runPendingChanges()
{
    if (m_cycleDepth > 0 || m_pendingChanges.empty())
        return;
    std::vector<ControlId> pending;
    pending.swap(m_pendingChanges);
    for (const ControlId id : pending)
        writeOnChange(id);
}
