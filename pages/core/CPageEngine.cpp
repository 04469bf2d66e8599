#include "pages/core/CPageEngine.h"

#include "model/RegisterCatalogue.h"
#include "pages/core/PageText.h"

using Page::Access;
using Page::ControlId;
using Page::ControlKind;
using Page::Display;
using Page::RegisterBinding;
using Page::Take;

CPageEngine::CPageEngine(const Page::PageTables& tables, RegisterCatalogue& catalogue, IUnitAccess& unit,
                         IPageHost& host, IPageControls& controls)
    : m_tables(tables), m_catalogue(catalogue), m_unit(unit), m_host(host), m_controls(controls)
{
}

bool CPageEngine::unitKnown() const
{
    return m_unit.deviceType() > 0;
}

bool CPageEngine::readsFromUnit() const
{
    return unitKnown() && !m_unit.demoMode();
}

const RegisterBinding* CPageEngine::bindingFor(uint16_t address) const
{
    for (const RegisterBinding& b : m_tables.readOrder)
        if (b.address == address)
            return &b;
    return nullptr;
}

const RegisterBinding* CPageEngine::bindingOfControl(ControlId control) const
{
    if (control == Page::kNoControl)
        return nullptr;
    for (const RegisterBinding& b : m_tables.readOrder)
        if (b.control == control)
            return &b;
    return nullptr;
}

const Page::ChangeEntry* CPageEngine::changeEntryOf(ControlId control) const
{
    if (control == Page::kNoControl)
        return nullptr;
    for (const Page::ChangeEntry& c : m_tables.changeMap)
        if (c.control == control)
            return &c;
    return nullptr;
}

// ---------------------------------------------------------------------------
// Showing values

void CPageEngine::showMissing(ControlId control)
{
    if (m_controls.kind(control) != ControlKind::Missing)
        m_controls.setText(control, PageText::kMissing);
}

void CPageEngine::showValue(const RegisterBinding& b, uint16_t word)
{
    switch (m_controls.kind(b.control)) {
    case ControlKind::Missing: return;
    case ControlKind::Button: m_controls.setChecked(b.control, (word != 0) != b.inverted); return;
    case ControlKind::ComboBox: m_controls.setIndex(b.control, static_cast<int>(word) - b.listOffset); return;
    case ControlKind::Edit: m_controls.setText(b.control, PageText::FormatValue(b, word)); return;
    case ControlKind::Other: m_controls.setText(b.control, PageText::kMissing); return;
    }
}

int CPageEngine::readAndShow(uint16_t address, ControlId control)
{
    if (const RegisterBinding* b = bindingFor(address)) {
        if (b->control == control)
            return readAndShow(*b);
        RegisterBinding copy = *b;
        copy.control = control;
        if (control == Page::kNoControl && copy.display == Display::Text)
            copy.display = Display::Number; // one register of the text, into the catalogue
        return readAndShow(copy);
    }
    RegisterBinding plain;
    plain.address = address;
    plain.control = control;
    return readAndShow(plain);
}

int CPageEngine::readAndShow(const RegisterBinding& b)
{
    if (b.display == Display::Text)
        return readText(b);
    if (b.address == 0)
        return -1;
    RegisterEntry& entry = m_catalogue.Holding(b.address);
    const bool special = b.access == Access::Special;

    int result = 0;
    if (!readsFromUnit()) {
        // No unit: show what the catalogue holds. The special registers keep
        // the value last read from a unit in lastReadValue.
        if (special)
            entry.value = entry.lastReadValue;
    } else {
        uint16_t word = 0;
        const int r = special ? m_unit.readHoldingSpecial(b.address, &word) : m_unit.readHolding(b.address, &word);
        m_host.pause(m_tables.readPauseMs);
        if (r >= 0) {
            entry.value = word;
            if (special)
                entry.lastReadValue = word;
        } else {
            result = r;
        }
    }

    const ControlKind kind = m_controls.kind(b.control);
    if (kind == ControlKind::Missing)
        return result;
    if (result == 0 && !special && entry.readOnly)
        m_controls.setEnabled(b.control, false);
    // The user is typing or choosing there: leave the control alone. The
    // special registers spare a focused edit field only.
    if (m_controls.hasFocus(b.control) &&
        (kind == ControlKind::Edit || (kind == ControlKind::ComboBox && !special)))
        return result;
    if (result != 0)
        showMissing(b.control);
    else
        showValue(b, entry.value);
    return result;
}

int CPageEngine::readText(const RegisterBinding& b)
{
    if (b.address == 0)
        return -1;
    int result = 0;
    for (int k = 0; k < PageText::kTextRegisters; ++k) {
        RegisterBinding one;
        one.address = static_cast<uint16_t>(b.address + k);
        result = readAndShow(one);
        if (result != 0)
            break;
    }
    // The text shows what the catalogue holds, also after a failed read.
    if (m_controls.kind(b.control) != ControlKind::Missing && !m_controls.hasFocus(b.control)) {
        uint16_t words[PageText::kTextRegisters];
        for (int k = 0; k < PageText::kTextRegisters; ++k)
            words[k] = m_catalogue.Holding(static_cast<uint16_t>(b.address + k)).value;
        m_controls.setText(b.control, PageText::RegistersToText(words));
    }
    return result;
}

void CPageEngine::showBitFields(uint16_t address)
{
    const uint16_t word = m_catalogue.Holding(address).value;
    for (const Page::BitFieldBinding& f : m_tables.bitFields) {
        if (f.address != address)
            continue;
        for (std::size_t n = 0; n < f.boxes.size(); ++n)
            if (f.boxes[n] != Page::kNoControl && m_controls.kind(f.boxes[n]) == ControlKind::Button)
                m_controls.setChecked(f.boxes[n], (word >> n) & 1U);
    }
}

int CPageEngine::writeFromStore(uint16_t address, ControlId control)
{
    if (address == 0)
        return -1;
    const RegisterBinding* b = bindingFor(address);
    const bool special = b && b->access == Access::Special;
    RegisterEntry& entry = m_catalogue.Holding(address);
    if (entry.readOnly && !special)
        return 0;
    int32_t clamped = 0;
    m_catalogue.Clamp(address, entry.value, &clamped);
    if (!readsFromUnit()) {
        entry.value = static_cast<uint16_t>(clamped);
        if (special)
            entry.lastReadValue = entry.value;
        return readAndShow(address, control);
    }
    const auto word = static_cast<uint16_t>(clamped);
    const int r = special ? m_unit.writeHoldingSpecial(address, word) : m_unit.writeHolding(address, word);
    if (r != 0 && r != kWriteAcceptedStatus)
        return r;
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
        const bool report = type > 0 || (m_tables.statusForTypeZero && type == 0);
        if (report)
            m_host.setStatusText(PageText::kRunning);
        result = m_unit.connectUnit();
        const bool connected = result == 0;
        if (connected) {
            for (const RegisterBinding& b : m_tables.readOrder) {
                const int r = readAndShow(b);
                showBitFields(b.address);
                if (r != 0) {
                    result = r;
                    break;
                }
            }
        }
        result = afterReads(result, connected);
        if (unitKnown())
            m_unit.disconnect();
        if (report)
            m_host.setStatusText(PageText::StatusFor(result));
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
    {
        CycleScope scope(*this);
        m_unit.identifyDevice();
        if (checkReady() < 0)
            return -1;
        m_host.setStatusText(PageText::kRunning);
        const int connect = m_unit.connectUnit();
        if (!m_unit.isSameDevice()) {
            if (unitKnown())
                m_unit.disconnect();
            m_host.selectFirstTab();
            return connect == 0 ? -1 : connect;
        }
        if (connect == 0) {
            for (const uint16_t address : m_tables.undoOrder) {
                const RegisterBinding* b = bindingFor(address);
                // A text's registers go back one by one; the read cycle
                // shows the text again afterwards.
                const ControlId control = b && b->display != Display::Text ? b->control : Page::kNoControl;
                writeResult = writeFromStore(address, control);
                if (writeResult != 0)
                    break;
            }
        }
        if (unitKnown())
            m_unit.disconnect();
    }
    const int readResult = readCycle();
    // The read cycle reports its own outcome; a write that failed before it
    // must not end up reported as "Done.".
    if (writeResult != 0) {
        m_host.setStatusText(PageText::StatusFor(writeResult));
        return writeResult;
    }
    return readResult;
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
    m_host.setStatusText(type >= 0 ? PageText::kReady : PageText::kNoDevice);
    return type;
}

void CPageEngine::enableCommonButtons()
{
    const bool on = !m_unit.demoMode();
    for (const ControlId id : m_tables.commonButtons)
        if (m_controls.kind(id) != ControlKind::Missing)
            m_controls.setEnabled(id, on);
}

int CPageEngine::saveToNvram()
{
    if (m_unit.demoMode())
        return 0;
    m_unit.identifyDevice();
    if (checkReady() < 0)
        return -1;
    int result = m_unit.connectUnit();
    if (result == 0)
        result = m_unit.writeHolding(kSaveToNvramRegister, 1);
    if (unitKnown())
        m_unit.disconnect();
    m_host.setStatusText(PageText::StatusFor(result));
    return result;
}

// ---------------------------------------------------------------------------
// Changes

void CPageEngine::storeClamped(uint16_t address, int32_t value)
{
    m_catalogue.Clamp(address, value, nullptr);
}

int CPageEngine::composeBitField(uint16_t address, int32_t* value) const
{
    for (const Page::BitFieldBinding& f : m_tables.bitFields) {
        if (f.address != address)
            continue;
        int32_t word = 0;
        for (std::size_t n = 0; n < f.boxes.size(); ++n)
            if (f.boxes[n] != Page::kNoControl && m_controls.checked(f.boxes[n]))
                word |= 1 << n;
        *value = word;
        return 0;
    }
    return -1;
}

int CPageEngine::writeEditValue(uint16_t address, int32_t value, Access access)
{
    if (m_unit.demoMode())
        return 0;
    const RegisterEntry& entry = m_catalogue.Holding(address);
    if (!PageText::NumberInLimits(value, entry.min, entry.max)) {
        m_host.setStatusText(PageText::RangeMessage(entry.min, entry.max));
        return -100;
    }
    const int r = access == Access::Special ? m_unit.writeHoldingSpecialChecked(address, value)
                                            : m_unit.writeHoldingChecked(address, value);
    m_host.setStatusText(PageText::StatusFor(r));
    return r;
}

int CPageEngine::applyChange(const Page::ChangeEntry& c, bool toUnit)
{
    const ControlId control = c.control;
    const RegisterBinding* binding = bindingOfControl(control);
    int32_t value = 0;
    switch (c.take) {
    case Take::ListIndex: {
        const int index = m_controls.index(control);
        if (index < 0)
            return 0;
        value = index + (binding ? binding->listOffset : 0);
        break;
    }
    case Take::CheckState:
        value = (m_controls.checked(control) != (binding && binding->inverted)) ? 1 : 0;
        break;
    case Take::BitField:
        if (composeBitField(c.address, &value) != 0)
            return 0;
        break;
    case Take::Number:
    case Take::NumberTenths: {
        const int scale = c.take == Take::NumberTenths ? 10 : 1;
        value = PageText::ParseNumber(m_controls.text(control), scale);
        if (!toUnit) {
            const RegisterEntry& entry = m_catalogue.Holding(c.address);
            if (!PageText::NumberInLimits(value, entry.min, entry.max)) {
                m_host.setStatusText(PageText::RangeMessage(entry.min, entry.max));
                return -100;
            }
            m_catalogue.Holding(c.address).value = static_cast<uint16_t>(value);
            return 0;
        }
        const int r = writeEditValue(c.address, value, c.access);
        if (r == 0 && c.alsoStore)
            m_catalogue.Holding(c.address).value = static_cast<uint16_t>(value);
        return r;
    }
    case Take::Text: {
        uint16_t words[PageText::kTextRegisters];
        PageText::TextToRegisters(PageText::CutText(m_controls.text(control)), words);
        if (!toUnit) {
            for (int k = 0; k < PageText::kTextRegisters; ++k)
                m_catalogue.Holding(static_cast<uint16_t>(c.address + k)).value = words[k];
            return 0;
        }
        return m_unit.writeMultiHoldingsChecked(c.address, words);
    }
    }
    if (!toUnit) {
        storeClamped(c.address, value);
        return 0;
    }
    const int r = c.access == Access::Special ? m_unit.writeHoldingSpecialChecked(c.address, value)
                                              : m_unit.writeHoldingChecked(c.address, value);
    if (r == 0 && c.alsoStore)
        m_catalogue.Holding(c.address).value = static_cast<uint16_t>(value);
    return r;
}

int CPageEngine::writeOnChange(ControlId control)
{
    if (m_unit.demoMode() || control == Page::kNoControl)
        return 0;
    const Page::ChangeEntry* entry = changeEntryOf(control);
    if (!entry)
        return 0;
    // A change never interleaves with a running cycle. With one thread the
    // only way to meet one is a re-entered event loop: the change then waits
    // until the cycle has ended.
    if (m_cycleDepth > 0) {
        m_pendingChanges.push_back(control);
        return 0;
    }
    m_host.pause(kChangePauseMs);

    int result = m_unit.connectUnit();
    const bool known = unitKnown();
    if (!m_unit.isSameDevice()) {
        if (known)
            m_unit.disconnect();
        m_host.selectFirstTab();
        return result == 0 ? -1 : result;
    }
    if (result == 0) {
        // The identity check may have found a unit of device type 0: such a
        // unit gets nothing written, the value only goes into the catalogue.
        result = applyChange(*entry, m_unit.deviceType() > 0);
    } else if (m_unit.deviceType() <= 0) {
        // No unit to take it: the value store keeps the change.
        applyChange(*entry, false);
    }
    if (known)
        m_unit.disconnect();
    if (known && result != -100)
        m_host.setStatusText(PageText::StatusFor(result));
    return result;
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

// ---------------------------------------------------------------------------
// Register information and picture marks

std::string CPageEngine::hoverText(uint32_t code) const
{
    if (code == 0)
        return {};
    const uint32_t address = code % 10000;
    const uint16_t value = m_catalogue.Holding(static_cast<uint16_t>(address)).value;
    std::string name;
    if (code >= 10000) {
        for (const Page::BitName& n : m_tables.bitNames)
            if (n.code == code)
                name = n.name;
    } else {
        name = RegisterKeyName(address);
    }
    return PageText::RegisterInfo(address, value, name);
}

bool CPageEngine::hoverAt(int x, int y)
{
    uint32_t code = 0;
    ControlId hovered = Page::kNoControl;
    for (const Page::HoverRegion& region : m_tables.hoverRegions) {
        PageRect label;
        PageRect control;
        if (m_controls.kind(region.control) == ControlKind::Missing ||
            !m_controls.hoverRects(region.control, &label, &control))
            continue;
        // A later region that also holds the point wins.
        if (label.contains(x, y) || control.contains(x, y)) {
            code = region.code;
            hovered = region.control;
        }
    }
    return setHovered(code, hovered);
}

bool CPageEngine::hoverNone()
{
    return setHovered(0, Page::kNoControl);
}

bool CPageEngine::setHovered(uint32_t code, ControlId control)
{
    m_hoveredCode = code;
    const std::string text = hoverText(code);
    if (text != m_lastInfo) {
        m_lastInfo = text;
        m_host.setRegisterInfo(text);
    }
    const bool changed = control != m_hoveredControl;
    m_hoveredControl = control;
    return changed;
}

Page::PictureMark CPageEngine::currentMark() const
{
    Page::PictureMark mark;
    mark.picture = m_tables.defaultPicture;
    if (m_hoveredControl == Page::kNoControl)
        return mark;
    for (const Page::PictureMark& m : m_tables.marks) {
        if (m.control != m_hoveredControl)
            continue;
        mark = m;
        if (mark.picture == Page::Picture::None)
            mark.picture = m_tables.defaultPicture;
        break;
    }
    return mark;
}
