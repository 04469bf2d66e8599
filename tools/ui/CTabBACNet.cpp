#include "tools/ui/CTabBACNet.h"

#include "tools/bustest/BusTestText.h"

#include <QCheckBox>
#include <QLineEdit>

namespace {

const QString kInstance = QStringLiteral("Instance");
const QString kValueOut = QStringLiteral("Value (out)");
const QString kValueIn = QStringLiteral("Value (in)");

} // namespace

CTabBACNet::CTabBACNet(IPageHost& host, CConnection& connection, CTestLog* log, QWidget* parent)
    : CBusTestPage(connection, host, log, parent), m_logic(connection, host, log)
{
    using L = CBACnetTestLogic;
    addHeadings(QStringLiteral("BACnet"), kInstance, kValueOut, kValueIn);

    addRow(2, QStringLiteral("Analogue Value"), Entry::Decimal, static_cast<int>(BusTestText::kMaxDecimalChars),
           &L::writeAnalogueValue, &L::readAnalogueValue);
    addReadRow(3, QStringLiteral("Analogue Input"), &L::readAnalogueInput);

    const QString binary = QStringLiteral("Binary Value");
    addRowLabel(4, binary);
    QLineEdit* binaryInstance = addField(4, kNumberColumn, binary, kInstance, Entry::Integer);
    QCheckBox* active = addCheck(4, binary, QStringLiteral("Active"));
    QLineEdit* binaryResult = addField(4, kResultColumn, binary, kValueIn, Entry::Result);
    addButton(4, kWriteColumn, binary, QStringLiteral("Write"),
              [=, this] { m_logic.writeBinaryValue(Text(binaryInstance), active->isChecked()); });
    addButton(4, kReadColumn, binary, QStringLiteral("Read"),
              [=, this] { Show(binaryResult, m_logic.readBinaryValue(Text(binaryInstance))); });

    addReadRow(5, QStringLiteral("Binary Input"), &L::readBinaryInput);
    addRow(6, QStringLiteral("Integer Value"), Entry::Integer, 0, &L::writeIntegerValue, &L::readIntegerValue);
    addRow(7, QStringLiteral("Character String Value"), Entry::Text, BusTestText::kMaxStringChars,
           &L::writeCharacterString, &L::readCharacterString);
    addRow(8, QStringLiteral("Date Time Value"), Entry::DateTime, BusTestText::kMaxDateTimeChars,
           &L::writeDateTime, &L::readDateTime);
    addRow(9, QStringLiteral("Time Value"), Entry::Time, BusTestText::kMaxTimeChars, &L::writeTime, &L::readTime);
    finish();
}

void CTabBACNet::addRow(int row, const QString& name, Entry entry, int maxLength, Write write, Read read)
{
    addRowLabel(row, name);
    QLineEdit* instance = addField(row, kNumberColumn, name, kInstance, Entry::Integer);
    QLineEdit* value = addField(row, kValueColumn, name, kValueOut, entry, maxLength);
    QLineEdit* result = addField(row, kResultColumn, name, kValueIn, Entry::Result);
    addButton(row, kWriteColumn, name, QStringLiteral("Write"),
              [=, this] { (m_logic.*write)(Text(instance), Text(value)); });
    addButton(row, kReadColumn, name, QStringLiteral("Read"),
              [=, this] { Show(result, (m_logic.*read)(Text(instance))); });
}

void CTabBACNet::addReadRow(int row, const QString& name, Read read)
{
    addRowLabel(row, name);
    QLineEdit* instance = addField(row, kNumberColumn, name, kInstance, Entry::Integer);
    QLineEdit* result = addField(row, kResultColumn, name, kValueIn, Entry::Result);
    addButton(row, kReadColumn, name, QStringLiteral("Read"),
              [=, this] { Show(result, (m_logic.*read)(Text(instance))); });
}
