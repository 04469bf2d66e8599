#include "app/CTabPlaceholder.h"

#include <QLabel>
#include <QVBoxLayout>

CTabPlaceholder::CTabPlaceholder(const QString& caption, QWidget* parent) : QWidget(parent)
{
    setObjectName(caption);
    setAccessibleName(caption);
    auto* layout = new QVBoxLayout(this);
    auto* note =
        new QLabel(QStringLiteral("The \"%1\" page is not available in this version.").arg(caption), this);
    note->setAlignment(Qt::AlignCenter);
    note->setForegroundRole(QPalette::PlaceholderText);
    layout->addWidget(note);
}
