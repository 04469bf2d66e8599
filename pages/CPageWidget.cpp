#include "pages/CPageWidget.h"

#include "app/IMainWindow.h"
#include "app/PageContext.h"
#include "link/CModbus.h"
#include "link/ui/CTabInterface.h"
#include "pages/CFormBuilder.h"
#include "pages/CHoverTracker.h"
#include "pages/CPicturePanel.h"
#include "pages/core/CModbusUnitAccess.h"
#include "pages/core/CPageEngine.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

CPageWidget::CPageWidget(const PageContext& context)
    : QWidget(context.parent), m_mainWindow(context.mainWindow), m_catalogue(context.catalogue),
      m_unit(std::make_unique<CModbusUnitAccess>(theModbus, context.comInterface->connection())),
      m_host(context.mainWindow), m_controls(this)
{
}

CPageWidget::~CPageWidget() = default;

void CPageWidget::buildPage(std::span<const ControlDef> specs, QSize pictureSize)
{
    m_specs = specs;
    auto* outer = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    // The grid sits in a widget of its own, so that it keeps its natural
    // size and the page's spare room goes to the right of the picture.
    auto* form = new QWidget(this);
    m_grid = new QGridLayout(form);
    m_grid->setContentsMargins(0, 0, 0, 0);
    m_grid->setHorizontalSpacing(10);
    m_grid->setVerticalSpacing(6);
    top->addWidget(form, 0, Qt::AlignTop);
    auto* buttons = new QHBoxLayout;
    if (!pictureSize.isEmpty()) {
        m_picture = new CPicturePanel(pictureSize, this);
        auto* pictureColumn = new QVBoxLayout;
        pictureColumn->addWidget(m_picture);
        pictureColumn->addStretch(1);
        top->addSpacing(16);
        top->addLayout(pictureColumn);
    }
    top->addStretch(1);
    outer->addLayout(top);
    outer->addStretch(1);
    outer->addLayout(buttons);
    buttons->addStretch(1);
    CFormBuilder::Build(specs, m_grid, buttons, m_controls);
    buttons->addStretch(1);
}

void CPageWidget::attach(CPageEngine& engine)
{
    m_engine = &engine;
    for (const ControlDef& s : m_specs) {
        QWidget* w = m_controls.widget(s.id);
        const Page::ControlId id = s.id;
        if (auto* list = qobject_cast<QComboBox*>(w)) {
            // activated: the user's choice only, never a value shown by a read.
            connect(list, &QComboBox::activated, this, [this, id] { controlChanged(id); });
        } else if (auto* box = qobject_cast<QCheckBox*>(w)) {
            connect(box, &QCheckBox::clicked, this, [this, id] { controlChanged(id); });
        } else if (auto* radio = qobject_cast<QRadioButton*>(w)) {
            connect(radio, &QRadioButton::clicked, this, [this, id] { controlChanged(id); });
        } else if (auto* button = qobject_cast<QPushButton*>(w)) {
            const ButtonAction action = s.action;
            connect(button, &QPushButton::clicked, this, [this, action, id] { onAction(action, id); });
        }
    }
    m_tracker = new CHoverTracker(
        this, [this](bool inside, QPoint p) { onMouse(inside, p); },
        [this](QWidget* control) {
            const Page::ControlId id = m_controls.idOf(control);
            if (id != Page::kNoControl && qobject_cast<QLineEdit*>(control))
                controlChanged(id);
        });
    m_tracker->watchChildren();
    if (m_picture)
        m_picture->setMark(m_engine->currentMark());
}

void CPageWidget::controlChanged(Page::ControlId id)
{
    if (m_engine)
        m_engine->writeOnChange(id);
}

void CPageWidget::onAction(ButtonAction action, Page::ControlId id)
{
    if (!m_engine)
        return;
    switch (action) {
    case ButtonAction::ReadTarget: m_engine->readTargetButton(); break;
    case ButtonAction::UndoChanges: m_engine->undoChangesButton(); break;
    case ButtonAction::SaveToNvram: m_engine->saveToNvram(); break;
    case ButtonAction::Page: buttonClicked(id); break;
    }
}

void CPageWidget::onMouse(bool inside, QPoint p)
{
    if (!m_engine)
        return;
    const bool changed = inside ? m_engine->hoverAt(p.x(), p.y()) : m_engine->hoverNone();
    if (changed && m_picture)
        m_picture->setMark(m_engine->currentMark());
}

void CPageWidget::setPageReady()
{
    if (m_picture)
        m_picture->setReady(true);
}

void CPageWidget::preparePage()
{
    if (m_engine)
        m_engine->enableCommonButtons();
}

void CPageWidget::activatePage()
{
    if (m_engine)
        m_engine->readCycle();
}
