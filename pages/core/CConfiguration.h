// The tool's small settings list: an ordered list of (key, text) entries.
// It carries the text of the temperature unit (key 2010, the unit's
// temperature-unit register) that the Common page sets when the user picks
// a unit and the Sensors page shows beside its temperatures.
//
// Result codes: 0 done, -1 no entry with that key.
//
// Thread rules: user-interface thread only; one instance for the application.
#pragma once

#include <string>
#include <vector>

struct CConfigValue
{
    int key = 0;
    std::string text; // UTF-8
};

class CConfiguration
{
public:
    static constexpr int kTempUnitKey = 2010;

    // Starts with one entry: 2010 = "°C".
    CConfiguration();

    // The application's instance, shared by the pages.
    static CConfiguration& Instance();

    // Sets the text of the last entry with the key; 0, or -1 when there is none.
    int setText(int key, const std::string& text);
    // The text of the last entry with the key; "" when there is none.
    std::string text(int key) const;
    bool has(int key) const;
    const std::vector<CConfigValue>& values() const { return m_values; }

private:
    std::vector<CConfigValue> m_values;
};
