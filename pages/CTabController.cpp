#include "pages/CTabController.h"

#include "pages/CDlgConfigure1.h"
#include "pages/CDlgConfigure2.h"
#include "pages/CDlgConfigureGlobal.h"
#include "pages/CQuestionBox.h"

#include <QAbstractButton>
#include <QEvent>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>

using namespace ControllerId;

CTabController::CTabController(const PageContext& context) : CPageWidget(context)
{
    m_logic = std::make_unique<CControllerLogic>(catalogue(), unit(), host(), controls());
    attach(*m_logic, QSize());
    // The status text changes with the unit: assistive tools read it as shown.
    if (auto* status = controls().as<QLabel>(StatusText))
        status->setMinimumWidth(240);

    // The fan group's caption goes on and off with its list.
    if (QWidget* list = controls().widget(FanMapping))
        if (QLabel* caption = controls().label(FanMapping)) {
            caption->setEnabled(list->isEnabled());
            list->installEventFilter(this);
        }

    m_changeOverTimer = new QTimer(this);
    m_changeOverTimer->setSingleShot(true);
    connect(m_changeOverTimer, &QTimer::timeout, this, &CTabController::changeOverTimerFired);
    m_logic->setTimerStarter([this](int ms) { m_changeOverTimer->start(ms); });
    m_logic->setDialogRunner([this](DialogRequest& request) { return runDialog(request); });
    m_logic->setInformer([this](const std::string& caption, const std::string& text) {
        QMessageBox box(QMessageBox::Information, QString::fromStdString(caption),
                        QString::fromStdString(text), QMessageBox::Ok, this);
        box.setObjectName(QStringLiteral("FanControllerInfo"));
        box.exec();
    });
}

CTabController::~CTabController() = default;

bool CTabController::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::EnabledChange && watched == controls().widget(FanMapping))
        if (QLabel* caption = controls().label(FanMapping))
            caption->setEnabled(controls().widget(FanMapping)->isEnabled());
    return CPageWidget::eventFilter(watched, event);
}

void CTabController::changeOverTimerFired()
{
    m_changeOverTimer->stop();
    // A page off screen or under the window's modal work is no place for
    // a read of its own.
    if (!isVisible() || !isEnabled()) {
        m_logic->changeOverCancelled();
        return;
    }
    m_logic->changeOverTimerFired();
}

void CTabController::cancelChangeOver()
{
    m_changeOverTimer->stop();
    m_logic->changeOverCancelled();
}

void CTabController::hideEvent(QHideEvent* event)
{
    cancelChangeOver();
    CPageWidget::hideEvent(event);
}

void CTabController::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange && !isEnabled())
        cancelChangeOver();
    CPageWidget::changeEvent(event);
}

void CTabController::clearPage()
{
    cancelChangeOver();
    CPageWidget::clearPage();
}

void CTabController::actionStarting()
{
    cancelChangeOver();
}

void CTabController::controlChanged(Page::ControlId id)
{
    // A new change asks for its own re-read, if any.
    cancelChangeOver();
    m_logic->changed(id);
}

void CTabController::buttonClicked(Page::ControlId id)
{
    if (id == Page::kUndoChanges) {
        m_logic->undoChanges();
        return;
    }
    m_logic->launchControllerDialog(id);
}

bool CTabController::runDialog(DialogRequest& request)
{
    switch (request.dialog) {
    case ControllerDialog::Global: {
        CDlgConfigureGlobal dialog(request, catalogue(), host(), nullptr, this);
        return dialog.exec() == QDialog::Accepted;
    }
    case ControllerDialog::Heating:
    case ControllerDialog::Cooling:
    case ControllerDialog::Valve: {
        CDlgConfigure1 dialog(request, catalogue(), host(), nullptr, this);
        return dialog.exec() == QDialog::Accepted;
    }
    default: {
        CDlgConfigure2 dialog(request, catalogue(), host(), &unit(), this);
        return dialog.exec() == QDialog::Accepted;
    }
    }
}
