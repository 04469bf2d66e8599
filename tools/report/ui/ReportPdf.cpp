#include "tools/report/ui/ReportPdf.h"

#include "diag/Result.h"
#include "tools/report/ReportFile.h"
#include "tools/report/ReportHtml.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTextDocument>

#include <memory>

namespace ReportPdf {

namespace {

// Qt's rich text knows a subset of CSS: no flex, no print media; the table
// header rows repeat by the document's own table format (<thead>).
constexpr const char* kStyle = R"(
body { font-family: "DejaVu Sans"; font-size: 8pt; color: #111111; }
h1 { font-size: 16pt; }
h2 { font-size: 11pt; margin-top: 12px; }
th { background-color: #e4e4e4; font-weight: bold; text-align: left; }
td.num { text-align: right; }
tr.changed { background-color: #fff3c8; }
tr.unread { background-color: #f8dcdc; }
.warning { color: #a00000; font-weight: bold; }
)";

// The margins around the text and the band at the foot for the page count.
constexpr qreal kMarginMm = 15.0;
constexpr int kResolution = 300;

// A Qt GUI application for the time of a call, when the program has none.
class GuiForCall
{
public:
    GuiForCall()
    {
        if (QCoreApplication::instance())
            return;
        // No display needed: the document only lays text out.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        m_app = std::make_unique<QGuiApplication>(m_argc, m_argv);
    }

private:
    int m_argc = 1;
    char m_name[16] = "tavemo";
    char* m_argv[2] = {m_name, nullptr};
    std::unique_ptr<QGuiApplication> m_app;
};

} // namespace

std::string Render(const Report& report)
{
    const GuiForCall gui;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(kResolution);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm),
                                         QPageLayout::Millimeter));
        writer.setTitle(QString::fromUtf8(ReportHtml::kTitle));
        writer.setCreator(QString::fromStdString(report.toolName + " " + report.toolVersion));

        QTextDocument doc;
        doc.documentLayout()->setPaintDevice(&writer);
        doc.setDefaultStyleSheet(QString::fromLatin1(kStyle));
        doc.setDocumentMargin(0);
        doc.setHtml(QString::fromStdString(ReportHtml::Body(report, true)));

        const QRect page = writer.pageLayout().paintRectPixels(kResolution);
        const QFont footFont(QStringLiteral("DejaVu Sans"), 8);
        const int footHeight = QFontMetrics(footFont, &writer).height() * 2;
        const QSizeF body(page.width(), page.height() - footHeight);
        doc.setPageSize(body);
        const int pages = doc.pageCount();

        QPainter painter(&writer);
        for (int p = 0; p < pages; ++p) {
            if (p > 0)
                writer.newPage();
            painter.save();
            painter.translate(0, -body.height() * p);
            const QRectF clip(0, body.height() * p, body.width(), body.height());
            QAbstractTextDocumentLayout::PaintContext context;
            context.clip = clip;
            painter.setClipRect(clip);
            doc.documentLayout()->draw(&painter, context);
            painter.restore();
            painter.setFont(footFont);
            const QRectF foot(0, body.height(), body.width(), footHeight);
            painter.drawText(foot, Qt::AlignLeft | Qt::AlignBottom,
                             QString::fromUtf8(ReportHtml::kTitle) + QStringLiteral(" - ") +
                                 QString::fromStdString(report.unit.deviceName));
            painter.drawText(foot, Qt::AlignRight | Qt::AlignBottom,
                             QStringLiteral("Page %1 of %2").arg(p + 1).arg(pages));
        }
        painter.end();
    }
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

int Write(const Report& report, const std::string& path, std::string* error)
{
    return ReportFile::Write(path, Render(report), error);
}

} // namespace ReportPdf
