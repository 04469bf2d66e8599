// "Choose demo device": one drop-down list of the device types demo mode
// offers (families B, C and D; the names come from the one device-type
// table, DemoDeviceEntries), the first one selected. exec() accepted
// means OK; code() is then the number in front of " = " of the selected
// entry.
//
// Thread rules: user-interface thread only.
#pragma once

#include <QDialog>

class QComboBox;

class CDlgDemoDevice : public QDialog
{
    Q_OBJECT
public:
    explicit CDlgDemoDevice(QWidget* parent = nullptr);

    // The selected entry's code.
    int code() const;
    // The leading decimal number of an entry text (0 when there is none).
    static int CodeOf(const QString& entry);

    QComboBox* list() const { return m_list; }

private:
    QComboBox* m_list;
};
