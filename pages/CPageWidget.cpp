#include "pages/CPageWidget.h"

#include "pages/form/CFormBuilder.h"
#include "pages/CHoverTracker.h"
#include "pages/CPicturePanel.h"
#include "pages/CQuestionBox.h"
#include "pages/core/PageContext.h"
#include "pages/core/CHoverInfo.h"
#include "pages/core/CModbusUnitAccess.h"
#include "pages/core/CPageEngine.h"

#include "pages/core/PageText.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

CPageWidget::CPageWidget(const PageContext& context, QWidget* parent)
    : QWidget(parent), m_host(context.host), m_catalogue(context.catalogue),
      m_unit(std::make_unique<CModbusUnitAccess>(*context.connection)), m_controls(this)
{
}

CPageWidget::CPageWidget(const PageContext& context, CPageEngine::Factory logic, QWidget* parent)
    : CPageWidget(context, parent)
{
    m_ownEngine = logic(*m_catalogue, *m_unit, *m_host, m_controls);
    const Page::Description& page = m_ownEngine->description();
    QSize picture;
    if (page.defaultPicture != Page::Picture::None)
        picture = page.frame == Page::PictureFrame::Reduced ? kPictureSize * 4 / 5 : kPictureSize;
    attach(*m_ownEngine, picture);
}

CPageWidget::~CPageWidget() = default;

void CPageWidget::build(std::span<const Page::Row> rows, QSize pictureSize)
{
    auto* outer = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    m_outer = outer;
    m_top = top;
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
    CFormBuilder::Build(rows, m_grid, buttons, m_controls);
    buttons->addStretch(1);
}

void CPageWidget::addBesideForm(QWidget* widget)
{
    // Before the row's closing stretch; the row then takes the height that
    // the stretch under it had.
    m_top->insertSpacing(m_top->count() - 1, 16);
    m_top->insertWidget(m_top->count() - 1, widget, 1);
    m_top->setStretch(m_top->count() - 1, 0);
    m_outer->setStretchFactor(m_top, 1);
    if (QLayoutItem* below = m_outer->itemAt(m_outer->indexOf(m_top) + 1); below && below->spacerItem())
        m_outer->setStretch(m_outer->indexOf(m_top) + 1, 0);
}

void CPageWidget::attach(CPageEngine& engine, QSize pictureSize)
{
    m_engine = &engine;
    const Page::Description& page = engine.description();
    build(page.rows, pictureSize);
    engine.disableAlwaysDisabled();
    for (const Page::Row& row : page.rows) {
        QWidget* w = m_controls.widget(row.id);
        const Page::ControlId id = row.id;
        if (auto* list = qobject_cast<QComboBox*>(w)) {
            // activated: the user's choice only, never a value shown by a read.
            connect(list, &QComboBox::activated, this, [this, id] { controlChanged(id); });
        } else if (auto* box = qobject_cast<QCheckBox*>(w)) {
            connect(box, &QCheckBox::clicked, this, [this, id] { controlChanged(id); });
        } else if (auto* radio = qobject_cast<QRadioButton*>(w)) {
            connect(radio, &QRadioButton::clicked, this, [this, id] { controlChanged(id); });
        } else if (auto* button = qobject_cast<QPushButton*>(w)) {
            const Page::ButtonAction action = row.action;
            connect(button, &QPushButton::clicked, this, [this, action, id] { onAction(action, id); });
        }
    }
    m_hover = std::make_unique<CHoverInfo>(page.rows, page.defaultPicture, *m_catalogue, *m_host, m_controls);
    m_tracker = new CHoverTracker(this, *m_hover, m_picture);
    m_tracker->watchChildren();
    for (const auto& [id, w] : m_controls.widgets())
        if (qobject_cast<QLineEdit*>(w))
            w->installEventFilter(this);
}

bool CPageWidget::eventFilter(QObject* watched, QEvent* event)
{
    auto* field = qobject_cast<QLineEdit*>(watched);
    const Page::ControlId id = field ? m_controls.idOf(field) : Page::kNoControl;
    if (id == Page::kNoControl || field->isReadOnly())
        return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            controlChanged(id);
            return true;
        }
        if (key == Qt::Key_Escape) {
            // Escape takes the edit back; it never reaches the window.
            m_controls.restoreField(id);
            return true;
        }
    } else if (event->type() == QEvent::ShortcutOverride) {
        // Escape belongs to the field while it has focus.
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            event->accept();
            return true;
        }
    } else if (event->type() == QEvent::FocusOut) {
        if (m_controls.editState(id) == EditState::Edited && m_host)
            m_host->setStatusText(PageText::kPressEnter);
    }
    return QWidget::eventFilter(watched, event);
}

bool CPageWidget::hasUnwrittenEdits() const
{
    return !m_controls.editedFields().empty();
}

void CPageWidget::writeEdits()
{
    for (const Page::ControlId id : m_controls.editedFields())
        writeEdit(id);
}

void CPageWidget::discardEdits()
{
    for (const Page::ControlId id : m_controls.editedFields())
        discardEdit(id);
}

bool CPageWidget::confirmLeave()
{
    return confirmUnwritten(QStringLiteral("Write them now, discard the changes, or stay on the page?"),
                            QStringLiteral("&Stay"));
}

bool CPageWidget::confirmRead()
{
    return confirmUnwritten(QStringLiteral("\"Read Target\" shows the unit's values instead. Write the changes "
                                           "first, discard them, or cancel the read?"),
                            QStringLiteral("&Cancel"));
}

bool CPageWidget::confirmUnwritten(const QString& question, const QString& keepCaption)
{
    const std::vector<Page::ControlId> edited = m_controls.editedFields();
    if (edited.empty())
        return true;
    QStringList names;
    for (const Page::ControlId id : edited)
        if (const QLabel* label = m_controls.label(id))
            names << label->text().remove(QLatin1Char('&'));
        else if (const auto* box = m_controls.as<QAbstractButton>(id))
            names << box->text().remove(QLatin1Char('&')); // a check box carries its caption
    enum { Write, Discard, Stay };
    const int choice = CQuestionBox::Ask(
        this, QMessageBox::Question, QStringLiteral("UnwrittenChanges"), QStringLiteral("Unwritten Changes"),
        QStringLiteral("These fields were changed but not written to the unit:\n%1\n\n%2")
            .arg(names.join(QStringLiteral(", ")), question),
        {{QStringLiteral("&Write"), QMessageBox::AcceptRole},
         {QStringLiteral("&Discard"), QMessageBox::DestructiveRole},
         {keepCaption, QMessageBox::RejectRole}},
        Write, Stay);
    if (choice == Write) {
        writeEdits();
        // A write that failed leaves its field marked: the user stays with it.
        return !hasUnwrittenEdits();
    }
    if (choice == Discard) {
        discardEdits();
        return true;
    }
    return false;
}

void CPageWidget::clearPage()
{
    m_controls.resetAll();
}

void CPageWidget::controlChanged(Page::ControlId id)
{
    if (m_engine)
        m_engine->controlChanged(id);
}

void CPageWidget::buttonClicked(Page::ControlId id)
{
    if (m_engine)
        m_engine->buttonClicked(id);
}

void CPageWidget::onAction(Page::ButtonAction action, Page::ControlId id)
{
    if (!m_engine)
        return;
    actionStarting();
    switch (action) {
    case Page::ButtonAction::ReadTarget:
        // The read shows the unit's values over the user's unwritten ones.
        if (confirmRead())
            m_engine->readTargetButton();
        break;
    case Page::ButtonAction::UndoChanges: m_engine->undoChangesButton(); break;
    case Page::ButtonAction::SaveToNvram:
        // The unit stores what it holds: a change still in a field would be lost.
        if (confirmLeave())
            m_engine->saveToNvram();
        break;
    case Page::ButtonAction::Page: buttonClicked(id); break;
    }
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
