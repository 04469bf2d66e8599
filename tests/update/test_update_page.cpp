// The FW-Update page in the real main window, offscreen, against the
// simulator: a whole download with its states, status texts, bar colours
// and the tabs put back as they were; a file for another unit; no file; a
// cancel in the middle of the transfer.
#include "DnlTestFile.h"
#include "LogCapture.h"
#include "tests/support/MenuAction.h"
#include "tests/support/PagesOnUnit.h"
#include "update/ui/CTabUpdate.h"
#include "pages/form/CProgressBar.h"

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

using namespace dnltest;

namespace {

// The unit's firmware the simulator starts with is older than this.
constexpr const char* kNewVersion = "9.9.9";
constexpr int kDownloadTimeoutMs = 60000;

std::vector<uint8_t> FileFor(const std::string& device, std::size_t imageBytes = 3000)
{
    DnlSpec s;
    s.version = kNewVersion;
    s.devices = {device};
    s.image = Image(imageBytes);
    return Build(s);
}

bool Contains(const std::vector<std::string>& texts, const std::string& part)
{
    for (const std::string& t : texts)
        if (t.find(part) != std::string::npos)
            return true;
    return false;
}

} // namespace

class UpdatePage : public pagetest::PagesOnUnit
{
protected:
    void SetUp() override
    {
        PagesOnUnit::SetUp();
        show("FW-Update");
        page = dynamic_cast<CTabUpdate*>(window->page(PageId::Update));
        ASSERT_NE(page, nullptr);
    }
    // "Update", answered with "Start Update".
    void startUpdate()
    {
        const auto answer = testsupport::WhenModal<QMessageBox>([](QMessageBox* box) {
            EXPECT_EQ(box->windowTitle(), "FW-Update");
            EXPECT_EQ(box->text(), "Attention:\r\nSave Configuration before FW-Update.\r\n");
            for (QAbstractButton* b : box->buttons())
                if (b->text() == "Start Update")
                    b->click();
        });
        page->updateButton()->click();
        ASSERT_TRUE(answer.appeared());
    }
    void waitForEnd() { ASSERT_TRUE(QTest::qWaitFor([this] { return !page->running(); }, kDownloadTimeoutMs)); }
    bool anyTabEnabled() const
    {
        for (int i = 0; i < window->tabs()->count(); ++i)
            if (window->tabs()->IsTabEnabled(i))
                return true;
        return false;
    }

    CTabUpdate* page = nullptr;
};

TEST_F(UpdatePage, AGoodFilePassesEveryStateEndsGreenAndPutsTheTabsBack)
{
    connect({"--device-type", "2050", "--pressure-unit", "2", "--pin", kPin, "--dl-reboot-ms", "100"});
    show("FW-Update");
    // A tab that was disabled before the download stays so afterwards.
    const int tiles = indexOf("Tiles");
    window->SetTabEnabled(tiles, false);
    TempFile file(FileFor("RU-Touch", 20000));
    page->pathField()->setText(QString::fromStdString(file.path()));
    LogCapture log;
    startUpdate();
    ASSERT_TRUE(page->running());
    EXPECT_FALSE(anyTabEnabled());
    EXPECT_FALSE(window->SelectTab(indexOf("Common"))) << "no tab can be selected while it runs";
    EXPECT_EQ(window->tabs()->currentWidget(), page) << "the page stays on screen";
    EXPECT_FALSE(page->updateButton()->isEnabled());
    // The export would need the port the download holds.
    QString refusal;
    const auto told = testsupport::WhenModal<QMessageBox>([&refusal](QMessageBox* box) {
        refusal = box->text();
        box->accept();
    });
    window->saveConfiguration();
    EXPECT_TRUE(refusal.startsWith("A firmware download is running")) << refusal.toStdString();
    waitForEnd();

    for (const char* state : {"Init", "Started", "Transfer", "Finalize", "Reboot"}) {
        bool seen = false;
        for (const std::string& line : log.texts())
            seen = seen || line.rfind(std::string("SwDl: new state ") + state, 0) == 0;
        EXPECT_TRUE(seen) << state;
    }
    EXPECT_TRUE(Contains(page->statusTexts(), "( eTransfer )"));
    EXPECT_EQ(page->statusTexts().back(), "Download complete.");
    EXPECT_EQ(page->statusTexts()[page->statusTexts().size() - 2], "Update status: 100 % ( eReboot )");
    EXPECT_EQ(window->statusText(), "Download complete.");
    EXPECT_EQ(page->bar()->barColour(), QColor(0, 255, 0));
    EXPECT_EQ(page->bar()->percent(), 100);
    for (int i = 0; i < window->tabs()->count(); ++i)
        EXPECT_EQ(window->tabs()->IsTabEnabled(i), i != tiles) << i;
    EXPECT_TRUE(page->updateButton()->isEnabled());
    EXPECT_EQ(window->tabs()->currentWidget(), page);
    window->SetTabEnabled(tiles, true);
}

TEST_F(UpdatePage, FailuresSayWhyWithARedBar)
{
    struct Case
    {
        const char* name;
        std::vector<uint8_t> bytes;
        bool chooseFile;
        const char* status;
    } cases[] = {
        {"another device", FileFor("RU-Other"), true, "Download failed: the unit 'RU-Touch'"},
        {"a damaged file", [] {
             DnlSpec s;
             s.image = Image(500);
             s.badOverallCrc = true;
             return Build(s);
         }(), true, "Download failed: file corrupt"},
        {"no file chosen", {}, false, "Download failed: file not found"},
        {"no port chosen", FileFor("RU-Touch"), true, "Download failed: no COM port selected"},
    };
    QComboBox* ports = window->comInterface()->portList();
    const int port = ports->currentIndex();
    for (const Case& c : cases) {
        TempFile file(c.bytes);
        ports->setCurrentIndex(std::string(c.name) == "no port chosen" ? -1 : port);
        page->pathField()->setText(c.chooseFile ? QString::fromStdString(file.path()) : QString());
        const std::size_t before = mark();
        startUpdate();
        waitForEnd();
        EXPECT_EQ(window->statusText().toStdString().rfind(c.status, 0), 0u) << c.name << ": "
                                                                            << window->statusText().toStdString();
        EXPECT_EQ(page->bar()->barColour(), QColor(255, 0, 0)) << c.name;
        EXPECT_TRUE(allTabsEnabled()) << c.name;
        if (!c.chooseFile) {
            EXPECT_EQ(sim().transcript().size(), before) << "no port was opened, nothing was sent";
        }
    }
    ports->setCurrentIndex(port);
}

TEST_F(UpdatePage, CancelInTheTransferEndsCanceledAndClosesThePort)
{
    // At the real line's speed 300 kB take long enough to cancel in the middle.
    connect({"--device-type", "2050", "--pressure-unit", "2", "--pin", kPin, "--dl-baud", "115200"});
    show("FW-Update");
    TempFile file(FileFor("RU-Touch", 300000));
    page->pathField()->setText(QString::fromStdString(file.path()));
    startUpdate();
    ASSERT_TRUE(QTest::qWaitFor([this] { return Contains(page->statusTexts(), "( eTransfer )"); }, 20000));
    ASSERT_TRUE(QTest::qWaitFor([this] { return !page->rateLabel()->text().isEmpty(); }, 2000));
    EXPECT_NE(page->rateLabel()->text().indexOf(" kB/s, "), -1) << page->rateLabel()->text().toStdString();
    EXPECT_NE(page->rateLabel()->text().indexOf(" left"), -1);
    // The File menu's unit actions need the port the download holds.
    for (const char* action : {"&Save Configuration...", "Commissioning &Report...", "Commission From &Plan..."}) {
        const auto refused = testsupport::WhenModal<QMessageBox>([](QMessageBox* box) {
            EXPECT_TRUE(box->text().startsWith("A firmware download is running; ")) << box->text().toStdString();
            box->accept();
        });
        if (QAction* a = testsupport::MenuAction(window, action); a && a->isEnabled())
            a->trigger();
        EXPECT_TRUE(refused.appeared()) << action;
    }
    QPushButton* cancel = nullptr;
    for (QPushButton* b : page->findChildren<QPushButton*>())
        if (b->text() == "Cancel")
            cancel = b;
    ASSERT_NE(cancel, nullptr);
    cancel->click();
    waitForEnd();
    EXPECT_EQ(window->statusText(), "Download canceled.");
    EXPECT_EQ(page->bar()->barColour(), QColor(255, 0, 0));
    EXPECT_LT(page->bar()->percent(), 100);
    // The port is free again at once: the download's port is closed.
    CModbus other;
    EXPECT_EQ(other.connect(sim().name()), 0);
    other.disconnect();
    EXPECT_TRUE(allTabsEnabled());
    // A unit left mid-download is started afresh for the next test.
    connect(Unit());
}

// In demo mode there is no unit: the update is refused with the reason and
// no port is opened.
TEST_F(UpdatePage, DemoModeRefusesTheUpdateAndOpensNoPort)
{
    TempFile file(FileFor("RU-Touch"));
    window->comInterface()->connection().enterDemoMode(2050);
    page->pathField()->setText(QString::fromStdString(file.path()));
    const std::size_t before = sim().commands().size();
    const auto refused = testsupport::WhenModal<QMessageBox>([](QMessageBox* box) {
        EXPECT_NE(box->text().indexOf("demo mode"), -1) << box->text().toStdString();
        box->accept();
    });
    page->updateButton()->click();
    EXPECT_TRUE(refused.appeared());
    EXPECT_FALSE(page->running());
    EXPECT_EQ(sim().commands().size(), before) << "nothing reached the unit";
    CComPort port;
    EXPECT_EQ(port.open(sim().device(), 115200, 0, 0), 0) << "the port was never taken";
    window->comInterface()->connection().cancelDemoMode();
}
