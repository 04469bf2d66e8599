// The editing side of the ReMa page without the widgets: which map is
// shown (the table selector), the customized address being edited, the
// category and register that address shows, the list lines in either sort
// order, and every editing action. The page binds its controls to this and
// does what it says; tests drive it directly.
//
// The maps are the catalogue's own (they live as long as the application):
// an edit changes the catalogue's map at once.
//
// Thread rules: user-interface thread only.
#pragma once

#include "tools/rema/ReMaFile.h"
#include "tools/rema/ReMaTables.h"
#include "tools/rema/ReMaTransfer.h"

#include <cstdint>
#include <string>
#include <vector>

class CReMaEditor
{
public:
    enum class SortOrder { ByCustomizedAddress = 0, ByDefaultAddress = 1 };

    static constexpr int kStartAddress = 100;

    // One line of the list: "c\tcategory\td - name"; c is the line's value.
    struct Line
    {
        std::string text;
        uint16_t address = 0;
    };
    // One item of the register combo box: "d - name" (or "d"), and d.
    struct RegisterItem
    {
        std::string text;
        uint16_t address = 0;
    };

    explicit CReMaEditor(RegisterCatalogue& catalogue);

    // Device type (for the † categories) and protocol (0 Modbus, 1 BACnet)
    // of the unit the page shows.
    void setUnit(int deviceType, int protocol);
    int protocol() const { return m_protocol; }
    int deviceType() const { return m_deviceType; }

    // Chooses the map; the categories follow and the address becomes 1.
    void setSelector(int selector);
    int selector() const { return m_selector; }
    RegisterTableKind kind() const { return ReMa::SelectorOf(m_selector).kind; }
    int size() const { return ReMa::SelectorOf(m_selector).size; }
    int maxAddress() const { return ReMa::MaxAddress(m_selector); }
    const std::vector<ReMa::Category>& categories() const { return m_categories; }

    // The address edited, clamped into 1 .. maxAddress.
    void setAddress(long address);
    int address() const { return m_address; }

    // What the edited address shows: the category index of its register
    // (0 "Empty" when none) and that register (kUnmapped when none).
    int shownCategory() const;
    uint16_t shownRegister() const;
    // The register combo box's items for a category: "0" (no register)
    // for "Empty", else every address of its range the view does not hide.
    std::vector<RegisterItem> registerItems(int category);
    // The item of items whose address is the shown register, else 0.
    int shownRegisterItem(const std::vector<RegisterItem>& items) const;

    // Editing actions on the edited address.
    void chooseRegister(uint16_t address); // kUnmapped unmaps
    void chooseEmptyCategory();
    void deleteEntry();
    void defaultOnEntry();
    // The whole shown map back to the default mapping.
    void defaultList();

    std::vector<Line> lines(SortOrder order);
    // Index of the edited address's line in lines, -1 when it has none.
    static int lineOf(const std::vector<Line>& lines, int address);

    uint32_t* map() { return m_catalogue.Map(kind()); }
    const uint32_t* map() const { return m_catalogue.Map(kind()); }
    // Replaces the shown map with a whole new one (after a read or an
    // import that succeeded); a map of another size is ignored.
    bool replaceMap(const std::vector<uint32_t>& map);

    // The shown map from and to the unit and files. A read or an import
    // goes into a separate map first and replaces the shown one only when
    // it succeeded as a whole: a half table is never shown (and so never
    // written back). Result codes: ReMaTransfer.h, ReMaFile.h.
    int readFromUnit(ReMa::ILink& link);
    int writeToUnit(ReMa::ILink& link) const;
    ReMa::ImportResult importFile(const std::string& path, const ReMa::Progress& progress = {});
    int exportFile(const std::string& path, const ReMa::Progress& progress = {});

    RegisterCatalogue& catalogue() { return m_catalogue; }

private:
    RegisterCatalogue& m_catalogue;
    int m_selector = 0;
    int m_address = kStartAddress;
    int m_deviceType = kNoDevice;
    int m_protocol = ReMa::kProtocolModbus;
    std::vector<ReMa::Category> m_categories;
};
