#include "tools/ui/CTabModbus.h"

#include <QCheckBox>
#include <QLineEdit>

namespace {

const QString kAddress = QStringLiteral("Address");
const QString kValueOut = QStringLiteral("Value (out)");
const QString kValueIn = QStringLiteral("Value (in)");

} // namespace

CTabModbus::CTabModbus(IPageHost& host, CConnection& connection, CTestLog* log, QWidget* parent)
    : CBusTestPage(connection, host, log, parent), m_logic(connection, host, log)
{
    addHeadings(QStringLiteral("Modbus (access only to default Tavemo addresses):"), kAddress, kValueOut, kValueIn);

    const QString holding = QStringLiteral("Holding");
    addRowLabel(2, holding);
    QLineEdit* holdingAddress = addField(2, kNumberColumn, holding, kAddress, Entry::Digits);
    QLineEdit* holdingValue = addField(2, kValueColumn, holding, kValueOut, Entry::Integer);
    QLineEdit* holdingResult = addField(2, kResultColumn, holding, kValueIn, Entry::Result);
    addButton(2, kWriteColumn, holding, QStringLiteral("Write"), [=, this] {
        m_logic.writeHolding(Text(holdingAddress), Text(holdingValue));
    });
    addButton(2, kReadColumn, holding, QStringLiteral("Read"),
              [=, this] { Show(holdingResult, m_logic.readHolding(Text(holdingAddress))); });

    const QString input = QStringLiteral("Input");
    addRowLabel(3, input);
    QLineEdit* inputAddress = addField(3, kNumberColumn, input, kAddress, Entry::Digits);
    QLineEdit* inputResult = addField(3, kResultColumn, input, kValueIn, Entry::Result);
    addButton(3, kReadColumn, input, QStringLiteral("Read"),
              [=, this] { Show(inputResult, m_logic.readInput(Text(inputAddress))); });

    const QString coil = QStringLiteral("Coil");
    addRowLabel(4, coil);
    QLineEdit* coilAddress = addField(4, kNumberColumn, coil, kAddress, Entry::Digits);
    QCheckBox* active = addCheck(4, coil, QStringLiteral("Active"));
    QLineEdit* coilResult = addField(4, kResultColumn, coil, kValueIn, Entry::Result);
    addButton(4, kWriteColumn, coil, QStringLiteral("Write"),
              [=, this] { m_logic.writeCoil(Text(coilAddress), active->isChecked()); });
    addButton(4, kReadColumn, coil, QStringLiteral("Read"),
              [=, this] { Show(coilResult, m_logic.readCoil(Text(coilAddress))); });
    finish();
}
