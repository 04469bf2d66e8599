#include "diag/ui/CDlgDebug.h"

#include "diag/Result.h"

#include <QClipboard>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QSaveFile>
#include <QScreen>
#include <QThread>
#include <QVBoxLayout>

#include <chrono>
#include <cstdarg>
#include <cstdio>

namespace {

// Saved files end their lines as the log files do, for the support desk's
// editors on any system.
constexpr const char* kFileLineEnd = "\r\n";

// Serial bytes need not be valid text; invalid sequences show as
// replacement characters.
QString Shown(const std::string& text) { return QString::fromLocal8Bit(text.data(), qsizetype(text.size())); }

} // namespace

CDlgDebug::CDlgDebug(QWidget* parent) : QDialog(parent, Qt::Window)
{
    setWindowTitle(QStringLiteral("Debug Window"));
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    m_list = new QListWidget(this);
    m_list->setAccessibleName(QStringLiteral("Debug lines"));
    m_list->setUniformItemSizes(true);
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    m_list->setFont(fixed);
    layout->addWidget(m_list, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    QPushButton* clear = buttons->addButton(QStringLiteral("&Clear"), QDialogButtonBox::ActionRole);
    QPushButton* copy = buttons->addButton(QStringLiteral("C&opy"), QDialogButtonBox::ActionRole);
    QPushButton* save = buttons->addButton(QStringLiteral("&Save..."), QDialogButtonBox::ActionRole);
    // None of them is the default: Enter in the window means OK.
    for (QPushButton* b : {clear, copy, save})
        b->setAutoDefault(false);
    connect(clear, &QPushButton::clicked, this, &CDlgDebug::clearLines);
    connect(copy, &QPushButton::clicked, this, &CDlgDebug::copyLines);
    connect(save, &QPushButton::clicked, this, &CDlgDebug::onSave);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::hide);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::hide);
    layout->addWidget(buttons);
    resize(560, 420);
    m_previous = DebugOutput::Attach(this);
}

CDlgDebug::~CDlgDebug()
{
    DebugOutput::Attach(m_previous);
}

int CDlgDebug::print(const char* format, ...)
{
    char buffer[kMaxLineLength + 1];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    debugLine(buffer);
    return 0;
}

void CDlgDebug::debugLine(const std::string& line)
{
    // The time of writing, not of showing: a queued line keeps its own.
    const int ms = CDebugLines::LocalMsOfDay(std::chrono::system_clock::now());
    if (QThread::currentThread() == thread()) {
        addLine(line, ms);
        return;
    }
    QMetaObject::invokeMethod(
        this, [this, line, ms] { addLine(line, ms); }, Qt::QueuedConnection);
}

void CDlgDebug::addLine(const std::string& text, int msOfDay)
{
    const CDebugLines::Change change = m_lines.Add(text, msOfDay);
    if (!isVisible()) {
        m_listStale = true;
        return;
    }
    for (std::size_t i = 0; i < change.dropped && m_list->count() > 0; ++i)
        delete m_list->takeItem(0);
    const QString shown = Shown(m_lines.Shown(m_lines.Size() - 1));
    if (change.folded && m_list->count() > 0)
        m_list->item(m_list->count() - 1)->setText(shown);
    else
        m_list->addItem(shown);
    m_list->setCurrentRow(m_list->count() - 1);
    m_list->scrollToBottom();
}

void CDlgDebug::fillList()
{
    m_list->clear();
    for (std::size_t i = 0; i < m_lines.Size(); ++i)
        m_list->addItem(Shown(m_lines.Shown(i)));
    m_list->setCurrentRow(m_list->count() - 1);
    m_list->scrollToBottom();
    m_listStale = false;
}

void CDlgDebug::showEvent(QShowEvent* event)
{
    if (m_listStale)
        fillList();
    QDialog::showEvent(event);
}

void CDlgDebug::clearLines()
{
    m_lines.Clear();
    m_list->clear();
    m_listStale = false;
}

void CDlgDebug::copyLines() const
{
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->setText(lines().join(QLatin1Char('\n')));
}

int CDlgDebug::saveLines(const QString& path) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return Result::DebugLinesNotSaved;
    const QByteArray text = Shown(m_lines.AllText(kFileLineEnd)).toUtf8();
    if (file.write(text) != text.size() || !file.commit())
        return Result::DebugLinesNotSaved;
    return Result::Ok;
}

void CDlgDebug::onSave()
{
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Save Debug Lines"),
                                                      QStringLiteral("debug-lines.txt"),
                                                      QStringLiteral("Text files (*.txt);;All files (*)"));
    if (path.isEmpty())
        return;
    if (const int rc = saveLines(path); rc != Result::Ok)
        QMessageBox::warning(this, windowTitle(), QString::fromStdString(ResultText(rc)));
}

void CDlgDebug::placeTopRight()
{
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect desktop = screen->availableGeometry();
    move(desktop.right() + 1 - frameGeometry().width(), desktop.top());
}

QStringList CDlgDebug::lines() const
{
    QStringList all;
    for (std::size_t i = 0; i < m_lines.Size(); ++i)
        all << Shown(m_lines.Shown(i));
    return all;
}
