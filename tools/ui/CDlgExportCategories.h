// "Choose Export Categories": one check box per category of registers (all
// unchecked when it opens), "Choose all", "Choose none", "OK" and
// "Cancel". OK collects the address ranges of the checked boxes in the
// order of the boxes; Cancel empties the list.
//
// Thread rules: user-interface thread only.
#pragma once

#include "tools/config/ConfigFile.h"

#include <QDialog>

#include <vector>

class QCheckBox;

class CDlgExportCategories : public QDialog
{
    Q_OBJECT
public:
    explicit CDlgExportCategories(QWidget* parent = nullptr);

    // The ranges chosen with OK; empty after Cancel.
    const std::vector<ConfigFile::Range>& ranges() const { return m_ranges; }
    QCheckBox* box(int index) const { return m_boxes[static_cast<std::size_t>(index)]; }
    void setAll(bool checked);

    void accept() override;
    void reject() override;

private:
    std::vector<QCheckBox*> m_boxes;
    std::vector<ConfigFile::Range> m_ranges;
};
