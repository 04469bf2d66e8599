// "File" > "Commissioning Report..." in the real main window, offscreen,
// against the simulator: the category chooser, the technician's name kept
// in the user's settings, the save dialog's format, the changes this
// connection wrote, and the offer to open the file.
#include "app/CDlgReportDetails.h"
#include "app/CReportRunner.h"
#include "tests/support/MenuAction.h"
#include "tests/support/PagesOnUnit.h"
#include "tests/support/TempDir.h"
#include "tools/ui/CConfigFileRunner.h"
#include "tools/ui/CDlgExportCategories.h"

#include <QAction>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>

#include <fstream>

using testsupport::MenuAction;
using testsupport::ReadFile;

class ReportWindow : public pagetest::PagesOnUnit
{
protected:
    // Runs the report from the File menu into path (the save dialog's filter
    // given), with "Common" chosen and this technician; the name the details
    // dialog showed when it opened.
    QString report(const QString& path, const QString& filter, const QString& technician)
    {
        CReportRunner* runner = window->reports();
        runner->setPacing({});
        runner->setFileChooser([path, filter](QString* chosen) {
            *chosen = filter;
            return path;
        });
        runner->setOpener([this](const QString& p) { opened = p; });
        QString shownName;
        const auto categories = testsupport::WhenModal<CDlgExportCategories>([](CDlgExportCategories* d) {
            d->box(0)->setChecked(true); // "Common"
            d->accept();
        });
        const auto details = testsupport::WhenModal<CDlgReportDetails>([&](CDlgReportDetails* d) {
            shownName = d->technicianEdit()->text();
            d->technicianEdit()->setText(technician);
            d->noteEdit()->setPlainText(QStringLiteral("Handover"));
            d->accept();
        });
        const auto done = testsupport::WhenModal<QMessageBox>([this](QMessageBox* box) {
            doneText = box->text();
            box->button(QMessageBox::Open)->click();
        });
        QAction* action = MenuAction(window, QStringLiteral("Commissioning &Report..."));
        EXPECT_NE(action, nullptr);
        EXPECT_TRUE(action && action->isEnabled());
        if (action)
            action->trigger();
        return shownName;
    }

    testsupport::TempDir dir;
    QString opened;
    QString doneText;
};

TEST_F(ReportWindow, TheReportListsThisConnectionsChangesAndRemembersTheTechnician)
{
    connect({"--device-type", "2050", "--pin", kPin, "--holding", "2012=30"});
    // A change through the import: the journal has it.
    const std::string csv = (dir.path() / "one.csv").string();
    std::ofstream(csv, std::ios::binary) << "Orvelant 4000 Export\r\nAddr: 2012; Val: 45;\r\n";
    CConfigFileRunner* files = window->configurationFiles();
    files->setEndPauseMs(0);
    files->setFileChooser([csv](bool) { return CConfigFileRunner::FileChoice{csv, ConfigFile::Format::Csv}; });
    {
        const auto answer = testsupport::WhenModal<QMessageBox>([](QMessageBox* box) { box->accept(); });
        files->ImportConfiguration();
    }

    const QString json = QString::fromStdString((dir.path() / "unit").string());
    EXPECT_EQ(report(json, CReportRunner::kJsonFilter, QStringLiteral("Ann Tech")), QString());
    EXPECT_EQ(opened, json + ".json") << doneText.toStdString();
    const std::string text = ReadFile((json + ".json").toStdString());
    EXPECT_NE(text.find("\"technician\": \"Ann Tech\""), std::string::npos);
    EXPECT_NE(text.find("\"note\": \"Handover\""), std::string::npos);
    EXPECT_NE(text.find("\"tool\": \"tavemo-config\""), std::string::npos);
    EXPECT_NE(text.find("{\"address\": 2012, \"name\": \"Screen Saver Timeout [s]\", \"category\": \"Common\", "
                        "\"value\": 45,"),
              std::string::npos);
    EXPECT_NE(text.find("\"address\": 2012, \"name\": \"Screen Saver Timeout [s]\", \"before\": "), std::string::npos)
        << "the import's change is listed";
    EXPECT_NE(text.find("\"after\": 45, \"result\": 0}"), std::string::npos);
    EXPECT_NE(text.find("\"value\": null, \"default\": null, \"shown\": \"set\""), std::string::npos)
        << "the PIN only as set";

    // The name comes back the next time; a PDF from the PDF filter.
    const QString pdf = QString::fromStdString((dir.path() / "unit-2").string());
    EXPECT_EQ(report(pdf, CReportRunner::kPdfFilter, QStringLiteral("Bo Tech")), "Ann Tech");
    EXPECT_EQ(ReadFile((pdf + ".pdf").toStdString()).rfind("%PDF-", 0), 0u);
    EXPECT_EQ(window->reports()->rememberedTechnician(), "Bo Tech");
    EXPECT_TRUE(window->tabs()->isEnabled());
}
