// The debug window as an installer uses it: lines with their time, repeats
// folded, lines from the download's thread, and the Clear, Copy and Save...
// buttons, found as assistive tools find them (by caption).
#include "diag/Result.h"
#include "diag/ui/CDlgDebug.h"
#include "tests/support/QtApp.h"
#include "tests/support/TempDir.h"
#include "tests/support/WhenModal.h"
#include "update/RowName.h"

#include <QAccessible>
#include <QClipboard>
#include <QFileDialog>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

#include <gtest/gtest.h>

#include <thread>

namespace {

const QRegularExpression kTimeStamp(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d "));

class DebugWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        testsupport::App();
        window = std::make_unique<CDlgDebug>();
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        for (QListWidget* l : window->findChildren<QListWidget*>())
            if (l->accessibleName() == "Debug lines")
                list = l;
        ASSERT_NE(list, nullptr) << "the list has an accessible name";
    }

    // A button by its caption as assistive tools read it.
    QPushButton* button(const QString& caption) const
    {
        for (QPushButton* b : window->findChildren<QPushButton*>()) {
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(b);
            if (a && a->text(QAccessible::Name) == caption)
                return b;
        }
        return nullptr;
    }

    QStringList shown() const
    {
        QStringList items;
        for (int i = 0; i < list->count(); ++i)
            items << list->item(i)->text();
        return items;
    }

    // The text of a shown line after its time stamp.
    static QString Text(const QString& line)
    {
        EXPECT_TRUE(kTimeStamp.match(line).hasMatch()) << line.toStdString();
        return line.mid(13);
    }

    std::unique_ptr<CDlgDebug> window;
    QListWidget* list = nullptr;
};

TEST_F(DebugWindow, ShowsTheTrafficWithTimesAndFoldsRepeats)
{
    window->print("> Mr2001");
    window->print("< 0 = mbReadHoldingReg(2001): 1042");
    for (int i = 0; i < 3; ++i)
        window->print("%s(len = %5i)", "CComPort::getArray", 0);
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(Text(list->item(0)->text()), "> Mr2001");
    EXPECT_EQ(Text(list->item(2)->text()), "CComPort::getArray(len =     0) (x3)");
    EXPECT_EQ(list->currentRow(), 2) << "the list follows the newest line";

    // Hidden, it goes on collecting; shown again, the list catches up.
    window->hide();
    std::thread([] { DebugPrint("from the download thread"); }).join();
    QCoreApplication::processEvents(); // the queued line lands
    window->print("%s(len = %5i)", "CComPort::getArray", 0);
    window->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return list->count() == 5; }, 2000));
    EXPECT_EQ(Text(list->item(3)->text()), "from the download thread");
    EXPECT_EQ(shown(), window->lines());
}

struct ButtonRow
{
    const char* name;
    const char* caption;
    const char* text; // with its mnemonic
};
TAVEMO_ROW_PRINTS_NAME(ButtonRow)

class DebugWindowButton : public DebugWindow, public ::testing::WithParamInterface<ButtonRow>
{};

TEST_P(DebugWindowButton, IsReachableByItsCaptionAndMnemonic)
{
    QPushButton* b = button(GetParam().caption);
    ASSERT_NE(b, nullptr) << GetParam().caption;
    EXPECT_EQ(b->text(), GetParam().text);
    EXPECT_TRUE(b->isEnabled());
    EXPECT_FALSE(b->autoDefault()) << "Enter stays with OK";
}

INSTANTIATE_TEST_SUITE_P(Rows, DebugWindowButton,
                         ::testing::Values(ButtonRow{"Clear", "Clear", "&Clear"}, ButtonRow{"Copy", "Copy", "C&opy"},
                                           ButtonRow{"Save", "Save...", "&Save..."}),
                         RowName());

TEST_F(DebugWindow, ButtonMnemonicsAreDistinct)
{
    QList<QKeySequence> keys;
    for (QPushButton* b : window->findChildren<QPushButton*>()) {
        const QKeySequence key = QKeySequence::mnemonic(b->text());
        if (key.isEmpty())
            continue;
        EXPECT_FALSE(keys.contains(key)) << b->text().toStdString();
        keys << key;
    }
    EXPECT_GE(keys.size(), 3);
}

TEST_F(DebugWindow, ClearEmptiesTheListAndStartsAfresh)
{
    window->print("CComPort::getArray(len =     0)");
    window->print("CComPort::getArray(len =     0)");
    button("Clear")->click();
    EXPECT_EQ(list->count(), 0);
    EXPECT_TRUE(window->lines().isEmpty());
    window->print("CComPort::getArray(len =     0)");
    ASSERT_EQ(list->count(), 1);
    EXPECT_EQ(Text(list->item(0)->text()), "CComPort::getArray(len =     0)");
}

TEST_F(DebugWindow, CopyPutsEveryLineOnTheClipboard)
{
    QGuiApplication::clipboard()->clear();
    window->print("> Mw400 210");
    window->print("< 0 = mbWriteHoldingReg(400,210)");
    button("Copy")->click();
    const QStringList copied = QGuiApplication::clipboard()->text().split('\n');
    EXPECT_EQ(copied, shown());
    ASSERT_EQ(copied.size(), 2);
    EXPECT_EQ(Text(copied[1]), "< 0 = mbWriteHoldingReg(400,210)");
}

TEST_F(DebugWindow, SaveWritesTheLinesAsUtf8EndedByCrLf)
{
    const testsupport::TempDir temp;
    const QString path = QString::fromStdString((temp.path() / "lines.txt").string());
    window->print("< 0 = mbReadHoldingReg(400): 215 (21.5 \xC2\xB0" "C)");
    window->print("> Mr400");
    window->print("> Mr400");

    const auto answer = testsupport::WhenModal<QFileDialog>([&](QFileDialog* d) {
        d->selectFile(path);
        static_cast<QDialog*>(d)->accept(); // as the dialog's own Save button
    });
    button("Save...")->click();
    EXPECT_TRUE(answer.appeared());

    const QStringList lines = shown();
    ASSERT_EQ(lines.size(), 2);
    const std::string expected = (lines[0] + "\r\n" + lines[1] + "\r\n").toUtf8().toStdString();
    EXPECT_EQ(testsupport::ReadFile(temp.path() / "lines.txt"), expected);
    EXPECT_NE(expected.find("21.5 \xC2\xB0" "C)\r\n"), std::string::npos);
    EXPECT_NE(expected.find("> Mr400 (x2)\r\n"), std::string::npos);

    EXPECT_EQ(window->saveLines(QString::fromStdString((temp.path() / "missing" / "x.txt").string())),
              Result::DebugLinesNotSaved);
}

} // namespace
