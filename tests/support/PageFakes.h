// Stand-ins for the page core's three interfaces: a unit that records every
// command it gets, a set of controls held in a table, and a main window that
// records its status texts. Pauses are recorded, not slept.
#pragma once

#include "model/RegisterCatalogue.h"
#include "pages/core/IPageControls.h"
#include "pages/core/IPageHost.h"
#include "pages/core/IUnitAccess.h"

#include <map>
#include <set>
#include <string>
#include <vector>

class FakeUnit : public IUnitAccess
{
public:
    explicit FakeUnit(RegisterCatalogue& catalogue) : m_catalogue(catalogue) {}

    int type = 2050;
    bool demo = false;
    bool specialWorks = true;
    bool same = true;
    int connectResult = 0;
    int typeAfterIdentify = 2050; // what identifyDevice finds
    std::map<uint16_t, uint16_t> registers;
    std::map<uint16_t, int> failRead;  // address -> read result
    std::map<uint16_t, int> failWrite; // address -> write result
    std::vector<std::string> log;      // "Mr2001", "Mw2004 5", "Xw2005 2", "M*5350 ...", "connect", "disconnect"
    bool connected = false;

    std::vector<std::string> writes() const
    {
        std::vector<std::string> w;
        for (const std::string& s : log)
            if (s.size() > 1 && s[1] == 'w')
                w.push_back(s);
        return w;
    }

    int deviceType() const override { return type; }
    bool demoMode() const override { return demo; }
    std::string portName() override { return "ttyFAKE0"; }
    bool specialReadWorks() const override { return specialWorks; }
    int connectUnit(bool requireDevice) override
    {
        if (demo)
            return -100;
        if (requireDevice && type <= 0)
            return -1;
        log.push_back("connect");
        connected = connectResult == 0;
        return connectResult;
    }
    void disconnect() override
    {
        log.push_back("disconnect");
        connected = false;
    }
    int identifyDevice() override
    {
        log.push_back("identify");
        type = typeAfterIdentify;
        return type;
    }
    bool isSameDevice() override { return same; }
    void switchProtocol(int protocol) override { log.push_back("protocol " + std::to_string(protocol)); }

    int readHolding(uint16_t a, uint16_t* v) override { return read("Mr", a, v); }
    int readHoldingSpecial(uint16_t a, uint16_t* v) override { return read("Xr", a, v); }
    int writeHolding(uint16_t a, uint16_t v) override { return write("Mw", a, v); }
    int writeHoldingSpecial(uint16_t a, uint16_t v) override { return write("Xw", a, v); }
    int writeMultiHoldings(uint16_t first, const uint16_t* values) override
    {
        if (!connected)
            return -1;
        std::string line = "Mw" + std::to_string(first);
        for (int i = 0; i < 12; ++i) {
            line += " " + std::to_string(values[i]);
            registers[static_cast<uint16_t>(first + i)] = values[i];
        }
        log.push_back(line);
        return 0;
    }
    int writeHoldingChecked(uint16_t a, int32_t v) override
    {
        if (a == 0)
            return -1;
        if (!m_catalogue.InRange(a, v)) {
            m_catalogue.Clamp(a, v, nullptr);
            return -2;
        }
        return writeHolding(a, static_cast<uint16_t>(v));
    }
    int writeHoldingSpecialChecked(uint16_t a, int32_t v) override
    {
        if (a == 0)
            return -1;
        if (!m_catalogue.InRange(a, v)) {
            m_catalogue.Clamp(a, v, nullptr);
            return -2;
        }
        const int r = writeHoldingSpecial(a, static_cast<uint16_t>(v));
        if (r == 0)
            m_catalogue.Holding(a).value = static_cast<uint16_t>(v);
        return r;
    }
    int writeMultiHoldingsChecked(uint16_t first, const uint16_t* values) override
    {
        for (int i = 0; i < 12; ++i)
            if (!m_catalogue.InRange(first + i, values[i]))
                return -2;
        return writeMultiHoldings(first, values);
    }

private:
    int read(const char* cmd, uint16_t a, uint16_t* v)
    {
        log.push_back(cmd + std::to_string(a));
        if (!connected)
            return -1;
        if (auto it = failRead.find(a); it != failRead.end())
            return it->second;
        *v = registers[a];
        return 0;
    }
    int write(const char* cmd, uint16_t a, uint16_t v)
    {
        log.push_back(cmd + std::to_string(a) + " " + std::to_string(v));
        if (!connected)
            return -1;
        if (auto it = failWrite.find(a); it != failWrite.end())
            return it->second;
        registers[a] = v;
        return 0;
    }
    RegisterCatalogue& m_catalogue;
};

struct FakeControl
{
    Page::ControlKind kind = Page::ControlKind::Edit;
    std::string text;
    int index = -1;
    bool checked = false;
    bool enabled = true;
    bool visible = true;
    bool focus = false;
    EditState state = EditState::Clean;
    std::string shownText; // what the page showed last (a user's edit sets text only)
    std::vector<std::string> items;
    PageRect label{0, 0, 0, 0};
    PageRect control{0, 0, 0, 0};
};

class FakeControls : public IPageControls
{
public:
    std::map<Page::ControlId, FakeControl> c;

    FakeControl& add(Page::ControlId id, Page::ControlKind kind, std::string text = {})
    {
        FakeControl& f = c[id];
        f.kind = kind;
        f.text = text;
        f.shownText = std::move(text);
        // One row of 20 pixels per control: label at x 0..99, control at 100..199.
        f.label = PageRect{0, id * 20, 100, id * 20 + 20};
        f.control = PageRect{100, id * 20, 200, id * 20 + 20};
        return f;
    }
    FakeControl& operator[](Page::ControlId id) { return c.at(id); }

    Page::ControlKind kind(Page::ControlId id) const override
    {
        auto it = c.find(id);
        return it == c.end() ? Page::ControlKind::Missing : it->second.kind;
    }
    bool hasFocus(Page::ControlId id) const override { return get(id).focus; }
    std::string text(Page::ControlId id) const override { return get(id).text; }
    void setText(Page::ControlId id, const std::string& t) override
    {
        FakeControl& f = shown(id);
        f.text = t;
        f.shownText = t;
    }
    int index(Page::ControlId id) const override { return get(id).index; }
    void setIndex(Page::ControlId id, int i) override { shown(id).index = i; }
    bool checked(Page::ControlId id) const override { return get(id).checked; }
    void setChecked(Page::ControlId id, bool on) override { shown(id).checked = on; }
    void setEnabled(Page::ControlId id, bool on) override { at(id).enabled = on; }
    bool enabled(Page::ControlId id) const override { return get(id).enabled; }
    void setVisible(Page::ControlId id, bool on) override { at(id).visible = on; }
    void setItems(Page::ControlId id, const std::vector<std::string>& items) override { at(id).items = items; }
    void setEditState(Page::ControlId id, EditState state) override { at(id).state = state; }
    EditState editState(Page::ControlId id) const override { return get(id).state; }
    void restoreField(Page::ControlId id) override
    {
        FakeControl& f = shown(id);
        f.text = f.shownText;
    }
    bool hoverRects(Page::ControlId id, PageRect* label, PageRect* control) const override
    {
        auto it = c.find(id);
        if (it == c.end() || !it->second.visible)
            return false;
        *label = it->second.label;
        *control = it->second.control;
        return true;
    }

private:
    FakeControl& at(Page::ControlId id) { return c[id]; }
    // A value shown: the control is clean again.
    FakeControl& shown(Page::ControlId id)
    {
        FakeControl& f = c[id];
        f.state = EditState::Clean;
        return f;
    }
    const FakeControl& get(Page::ControlId id) const
    {
        static const FakeControl none;
        auto it = c.find(id);
        return it == c.end() ? none : it->second;
    }
};

class FakeHost : public IPageHost
{
public:
    std::string status = "Ready.";
    std::vector<std::string> statusHistory;
    std::string info;
    int infoUpdates = 0;
    int busyShown = 0;
    int busyHidden = 0;
    int firstTab = 0;
    int protocolTab = 0;
    std::vector<int> pauses;

    void setStatusText(const std::string& t) override
    {
        status = t;
        statusHistory.push_back(t);
    }
    void setRegisterInfo(const std::string& t) override
    {
        info = t;
        ++infoUpdates;
    }
    void showBusyOverlay() override { ++busyShown; }
    void hideBusyOverlay() override { ++busyHidden; }
    void selectFirstTab() override { ++firstTab; }
    void protocolChanged() override { ++protocolTab; }
    void pause(int ms) override { pauses.push_back(ms); }
};
