#include "tools/ui/CDlgExportCategories.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

CDlgExportCategories::CDlgExportCategories(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Choose Export Categories"));
    setObjectName(QStringLiteral("ChooseExportCategories"));
    auto* layout = new QVBoxLayout(this);
    auto* group = new QGroupBox(QStringLiteral("Categories"), this);
    auto* grid = new QGridLayout(group);
    const auto categories = ConfigFile::Categories();
    const int rows = static_cast<int>((categories.size() + 1) / 2);
    for (std::size_t i = 0; i < categories.size(); ++i) {
        auto* box = new QCheckBox(QString::fromLatin1(categories[i].caption), group);
        grid->addWidget(box, static_cast<int>(i) % rows, static_cast<int>(i) / rows);
        m_boxes.push_back(box);
    }
    layout->addWidget(group);

    auto* choose = new QHBoxLayout;
    auto* all = new QPushButton(QStringLiteral("Choose all"), this);
    auto* none = new QPushButton(QStringLiteral("Choose none"), this);
    all->setAutoDefault(false);
    none->setAutoDefault(false);
    choose->addWidget(all);
    choose->addWidget(none);
    choose->addStretch(1);
    layout->addLayout(choose);

    auto* buttons = new QHBoxLayout;
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    ok->setDefault(true);
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);

    connect(all, &QPushButton::clicked, this, [this] { setAll(true); });
    connect(none, &QPushButton::clicked, this, [this] { setAll(false); });
    connect(ok, &QPushButton::clicked, this, &CDlgExportCategories::accept);
    connect(cancel, &QPushButton::clicked, this, &CDlgExportCategories::reject);
}

void CDlgExportCategories::setAll(bool checked)
{
    for (QCheckBox* box : m_boxes)
        box->setChecked(checked);
}

void CDlgExportCategories::accept()
{
    m_ranges.clear();
    const auto categories = ConfigFile::Categories();
    for (std::size_t i = 0; i < m_boxes.size(); ++i)
        if (m_boxes[i]->isChecked())
            m_ranges.push_back({categories[i].first, categories[i].last});
    QDialog::accept();
}

void CDlgExportCategories::reject()
{
    m_ranges.clear();
    QDialog::reject();
}
