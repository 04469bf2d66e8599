// "Configure": how the unit's sensor screen presents one sensor (its label,
// measuring offset, averaging time, colour scale, display unit, and whether
// it is in the unit's sensor menu). The dialog works on the catalogue values
// of the sensor's block, which the Sensors page has just read; "OK" puts the
// edited values back into the catalogue and the page writes them to the
// unit. The rules are CSensorDialogLogic's; this class is its widgets.
//
// Thread rules: user-interface thread only.
#pragma once

#include "pages/form/CControlSet.h"
#include "pages/CDialogHost.h"
#include "pages/form/CInfoLine.h"
#include "pages/core/CSensorDialogLogic.h"

#include <QDialog>

#include <memory>
#include <string>

class CHoverTracker;
class CPicturePanel;
class QLabel;

class CDlgConfigureSensor : public QDialog
{
    Q_OBJECT
public:
    // The dialog's picture: the unit's sensor screen.
    static constexpr QSize kPictureSize{320, 240};

    CDlgConfigureSensor(const SensorInfo& sensor, const std::string& unitText, RegisterCatalogue& catalogue,
                        IPageHost& host, QWidget* parent = nullptr);
    ~CDlgConfigureSensor() override;

    CControlSet& controls() { return m_controls; }
    CSensorDialogLogic& logic() { return *m_logic; }
    CPicturePanel* picturePanel() const { return m_picture; }
    template <class W> W* widget(Page::ControlId id) const { return m_controls.as<W>(id); }

    void accept() override;

private:
    CControlSet m_controls;
    CInfoLine* m_info = nullptr;
    std::unique_ptr<CDialogHost> m_host;
    std::unique_ptr<CSensorDialogLogic> m_logic;
    CPicturePanel* m_picture = nullptr;
    CHoverTracker* m_tracker = nullptr;
};
