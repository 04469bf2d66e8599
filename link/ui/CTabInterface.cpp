#include "link/ui/CTabInterface.h"

#include "diag/Result.h"
#include "link/ui/CDlgDemoDevice.h"
#include "link/ui/CDlgPw.h"
#include "link/ui/UnitPicture.h"
#include "model/RegisterCatalogue.h"
#include "model/TextNumber.h"
#include "pages/core/IMainWindow.h"
#include "pages/form/CFormBuilder.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <iterator>

namespace {

struct Framing
{
    const char* text;
    int parity;
    int stopBits;
};
constexpr Framing kFramings[] = {
    {"Even, 1 Stopbit", 2, 0},
    {"Odd, 1 Stopbit", 1, 0},
    {"None, 1 Stopbit", 0, 0},
    {"None, 2 Stopbit", 0, 2},
};
constexpr int kDefaultFraming = 2;

// The unit block: identity registers shown after identification, labelled
// with their catalogue names.
constexpr uint16_t kUnitRegisters[CTabInterface::kUnitFields] = {
    Reg::Firmware, Reg::ProdDate, Reg::OperationDays, Reg::BusAddress, Reg::Protocol, Reg::TempUnit};
constexpr const char* kMissing = "---";

// The lockout note counts a running block down by the second.
constexpr int kLockoutTickMs = 1000;

using Page::Kind;
using Page::Row;

enum Id : Page::ControlId
{
    PortList = 1,
    RefreshCom,
    BaudList,
    FramingList,
    DeviceField,
    ConnectButton,
    DemoButton,
    LockoutNote,
};

// The adapter block. The captions carry their mnemonics; the names are
// what assistive tools read.
constexpr int16_t kButtonWidth = 120;
constexpr int16_t kPortNameCharacters = 40;
constexpr Row kAdapterRows[] = {
    {.id = PortList, .kind = Kind::List, .caption = "COM-&Interface:", .accessibleName = "COM-Interface:",
     .width = kPortNameCharacters},
    {.id = RefreshCom, .kind = Kind::Button, .caption = "&Refresh COM", .column = 2, .accessibleName = "Refresh COM",
     .width = kButtonWidth},
    {.id = BaudList, .kind = Kind::List, .row = 4, .column = 1, .accessibleName = "Baud rate"},
    {.id = FramingList, .kind = Kind::List, .row = 4, .column = 2, .accessibleName = "Framing"},
    {.id = DeviceField, .kind = Kind::Text, .caption = "Connected De&vice:", .row = 1,
     .accessibleName = "Connected Device:"},
    {.id = ConnectButton, .kind = Kind::Button, .caption = "&Connect", .row = 2, .column = 1, .span = 2,
     .accessibleName = "Connect", .width = kButtonWidth, .inLine = true},
    {.id = DemoButton, .kind = Kind::Button, .caption = "&Demo-Mode", .row = 2, .accessibleName = "Demo-Mode",
     .width = kButtonWidth, .inLine = true},
    {.id = LockoutNote, .kind = Kind::UnitLabel, .row = 3, .column = 1, .span = 2},
};

} // namespace

CTabInterface::CTabInterface(IMainWindow& mainWindow, RegisterCatalogue& catalogue, CConnection& connection,
                             QWidget* parent)
    : QWidget(parent), m_mainWindow(mainWindow), m_catalogue(catalogue), m_connection(connection),
      m_controls(this, CControlSet::EditCues::Off)
{
    auto* adapter = new QGroupBox(QStringLiteral("Interface adapter"), this);
    auto* grid = new QGridLayout(adapter);
    grid->setContentsMargins(16, 14, 16, 16);
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(12);
    CFormBuilder::Build(kAdapterRows, grid, nullptr, m_controls, CFormBuilder::Mnemonics::Off);
    grid->setColumnStretch(1, 1);
    m_portList = m_controls.as<QComboBox>(PortList);
    m_refreshButton = m_controls.as<QPushButton>(RefreshCom);
    m_baudList = m_controls.as<QComboBox>(BaudList);
    m_framingList = m_controls.as<QComboBox>(FramingList);
    m_deviceField = m_controls.as<QLineEdit>(DeviceField);
    m_connectButton = m_controls.as<QPushButton>(ConnectButton);
    m_demoButton = m_controls.as<QPushButton>(DemoButton);
    m_lockoutNote = m_controls.as<QLabel>(LockoutNote);
    connect(m_refreshButton, &QPushButton::clicked, this, &CTabInterface::refreshPortList);
    connect(m_connectButton, &QPushButton::clicked, this, &CTabInterface::OnConnect);
    connect(m_demoButton, &QPushButton::clicked, this, &CTabInterface::StartDemoMode);
    m_connectButton->setDefault(true);
    m_deviceField->setReadOnly(true);

    // The line always runs at 115200 baud, no parity, one stop bit; the two
    // lists exist so that the settings have one source, but stay hidden.
    for (int rate : kBaudRates)
        m_baudList->addItem(QString::asprintf("%i Baud", rate));
    m_baudList->setCurrentIndex(m_baudList->count() - 1);
    m_baudList->hide();
    for (const Framing& framing : kFramings)
        m_framingList->addItem(QString::fromLatin1(framing.text));
    m_framingList->setCurrentIndex(kDefaultFraming);
    m_framingList->hide();

    // Tries left before the lockout, or how long a running block lasts.
    // No fixed accessible name: assistive tools read what it shows.
    m_lockoutNote->setWordWrap(true);
    m_lockoutNote->hide();
    m_lockoutTimer = new QTimer(this);
    m_lockoutTimer->setInterval(kLockoutTickMs);
    connect(m_lockoutTimer, &QTimer::timeout, this, &CTabInterface::updateLockoutNote);

    auto* unit = new QGroupBox(QStringLiteral("Unit"), this);
    auto* unitGrid = new QGridLayout(unit);
    unitGrid->setContentsMargins(16, 14, 16, 16);
    unitGrid->setHorizontalSpacing(12);
    unitGrid->setVerticalSpacing(8);
    for (int i = 0; i < kUnitFields; ++i) {
        const QString name =
            QString::fromStdString(catalogue.Holding(kUnitRegisters[i]).name) + QLatin1Char(':');
        auto* label = new QLabel(name, unit);
        m_unitValues[i] = new QLabel(QString::fromLatin1(kMissing), unit);
        m_unitValues[i]->setAccessibleName(name);
        m_unitValues[i]->setTextInteractionFlags(Qt::TextSelectableByMouse);
        label->setBuddy(m_unitValues[i]);
        unitGrid->addWidget(label, i % 3, (i / 3) * 2);
        unitGrid->addWidget(m_unitValues[i], i % 3, (i / 3) * 2 + 1);
    }
    unitGrid->setColumnStretch(1, 1);
    unitGrid->setColumnStretch(3, 1);
    unitGrid->setColumnMinimumWidth(2, 0);

    auto* hint =
        new QLabel(QStringLiteral("Choose the COM port of the interface adapter and press \"Connect\"; "
                                  "the unit asks for its PIN. The pages of the unit open once it is "
                                  "identified. \"Demo-Mode\" shows the pages of a device type without "
                                  "a unit."),
                   this);
    hint->setWordWrap(true);
    hint->setForegroundRole(QPalette::PlaceholderText);

    auto* picture = new QLabel(this);
    picture->setPixmap(UnitPicture::Draw(150, devicePixelRatioF()));
    picture->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    auto* left = new QWidget(this);
    left->setMaximumWidth(820);
    auto* column = new QVBoxLayout(left);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(14);
    column->addWidget(adapter);
    column->addWidget(unit);
    column->addWidget(hint);
    column->addStretch(1);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(18, 18, 18, 18);
    layout->setSpacing(36);
    layout->addWidget(left, 1);
    layout->addWidget(picture, 0, Qt::AlignTop);
    layout->addStretch(0);

    // A block outlives the tool: show one that an earlier run started.
    updateLockoutNote();
}

CTabInterface::~CTabInterface() = default;

void CTabInterface::refreshPortList()
{
    m_portList->clear();
    m_ports = EnumeratePorts();
    const std::vector<PortListItem> items = PortListItems(m_ports);
    for (const PortListItem& item : items)
        m_portList->addItem(QString::fromStdString(item.text), item.entry);
    m_portList->setCurrentIndex(static_cast<int>(PreferredPortItem(items, m_ports)));
}

int CTabInterface::getPortSettings(PortSettings& settings)
{
    if (m_ports.empty())
        return Result::NoLink;
    const int item = m_portList->currentIndex();
    const int entry = item < 0 ? -1 : m_portList->itemData(item).toInt();
    if (entry < 0 || entry >= static_cast<int>(m_ports.size()))
        return Result::NoPortSelected;
    settings.portName = m_ports[static_cast<std::size_t>(entry)].name;
    // The number at the start of a baud item ("115200 Baud").
    settings.baudRate =
        TextNumber::Leading(m_baudList->currentText().toStdString(), TextNumber::kPlainDigits);
    int framing = m_framingList->currentIndex();
    if (framing < 0 || framing >= static_cast<int>(std::size(kFramings)))
        framing = kDefaultFraming;
    const Framing& chosen = kFramings[framing];
    settings.parity = chosen.parity;
    settings.stopBits = chosen.stopBits;
    return 0;
}

void CTabInterface::OnConnect()
{
    m_connection.connectSequence();
    if (m_busyCursor) {
        QApplication::restoreOverrideCursor();
        m_busyCursor = false;
    }
    // The sequence showed the unit block before the PIN check; now that
    // the check is done, show the unit only if the user got in.
    showUnitInfo();
    updateLockoutNote();
}

void CTabInterface::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    updateLockoutNote();
}

void CTabInterface::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    m_lockoutTimer->stop();
}

void CTabInterface::updateLockoutNote()
{
    const QString note = QString::fromStdString(m_connection.lockoutNote());
    if (note != m_lockoutNote->text()) {
        m_lockoutNote->setText(note);
        m_lockoutNote->setVisible(!note.isEmpty());
        if (QAccessible::isActive()) {
            QAccessibleEvent changed(m_lockoutNote, QAccessible::NameChanged);
            QAccessible::updateAccessibility(&changed);
        }
    }
    // Tick only while a block runs and the page shows it; the block's end
    // turns the note into the tries left.
    if (isVisible() && m_connection.lockoutRemainingSeconds() > 0) {
        if (!m_lockoutTimer->isActive())
            m_lockoutTimer->start();
    } else {
        m_lockoutTimer->stop();
    }
}

void CTabInterface::StartDemoMode()
{
    m_connection.beginDemoChoice();
    CDlgDemoDevice chooser(window());
    if (chooser.exec() == QDialog::Accepted)
        m_connection.enterDemoMode(chooser.code());
    else
        m_connection.cancelDemoMode();
    m_deviceField->setText(demoMode() ? QString::fromUtf8(DeviceTypeText(deviceType())) : QString());
    showUnitInfo();
}

void CTabInterface::leaveDemoMode()
{
    m_connection.beginDemoChoice();
    m_connection.cancelDemoMode();
    m_deviceField->clear();
    showUnitInfo();
}

bool CTabInterface::askPin(std::string& text, bool& remember)
{
    CDlgPw prompt(remember, QString::fromStdString(text), window());
    prompt.setNote(QString::fromStdString(m_connection.lockoutNote()));
    const bool ok = prompt.exec() == QDialog::Accepted;
    remember = prompt.remember();
    if (ok)
        text = prompt.text().toStdString();
    // The rest of the sequence blocks while the unit is read.
    if (!m_busyCursor) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        m_busyCursor = true;
    }
    return ok;
}

void CTabInterface::showDevice(const std::string& name)
{
    m_deviceField->setText(QString::fromStdString(name));
    showUnitInfo();
}

void CTabInterface::showUnitInfo()
{
    // A unit's values show only while the user is connected to it: not
    // after a wrong or cancelled PIN, nor in demo mode.
    const bool known = deviceType() >= 0 && !demoMode() && m_connection.pinAccepted();
    for (int i = 0; i < kUnitFields; ++i) {
        QString text = QString::fromLatin1(kMissing);
        const uint16_t value = m_catalogue.Holding(kUnitRegisters[i]).value;
        if (known) {
            switch (kUnitRegisters[i]) {
            case Reg::Protocol:
                text = ProtocolOf(value) == kProtocolBacnet ? QStringLiteral("BACnet") : QStringLiteral("Modbus");
                break;
            case Reg::TempUnit:
                if (m_connection.temperatureUnit >= 0)
                    text =
                        m_connection.temperatureUnit ? QStringLiteral("\u00b0C") : QStringLiteral("\u00b0F");
                break;
            default:
                text = QString::number(value);
                break;
            }
        }
        m_unitValues[i]->setText(text);
    }
}

void CTabInterface::waitMs(int ms)
{
    if (m_rebootWait) {
        m_rebootWait(ms);
        return;
    }
    // Keep the window painted, but take no input while the unit restarts.
    m_mainWindow.enableMainWindow(false);
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    m_mainWindow.enableMainWindow(true);
}
