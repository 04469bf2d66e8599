#include "diag/ui/CDlgDebug.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QListWidget>
#include <QScreen>
#include <QThread>
#include <QVBoxLayout>

#include <cstdarg>
#include <cstdio>

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
    // Serial bytes need not be valid text; invalid sequences show as
    // replacement characters.
    QString text =
        QString::fromLocal8Bit(line.data(), qsizetype(std::min(line.size(), std::size_t(kMaxLineLength))));
    if (QThread::currentThread() == thread()) {
        appendLine(text);
        return;
    }
    QMetaObject::invokeMethod(
        this, [this, text] { appendLine(text); }, Qt::QueuedConnection);
}

void CDlgDebug::appendLine(const QString& line)
{
    while (m_list->count() >= kMaxLines)
        delete m_list->takeItem(0);
    m_list->addItem(line);
    m_list->setCurrentRow(m_list->count() - 1);
    m_list->scrollToBottom();
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
    for (int i = 0; i < m_list->count(); ++i)
        all << m_list->item(i)->text();
    return all;
}
