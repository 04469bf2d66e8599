#include "pages/form/CInfoLine.h"

#include "pages/form/TextLineAccessible.h"

void CInfoLine::InstallAccessibility()
{
    InstallTextLineAccessibility<CInfoLine>();
}

CInfoLine::CInfoLine(QWidget* parent) : QLabel(parent)
{
    InstallAccessibility();
    setObjectName(QString::fromLatin1(kAccessibleName));
    setAccessibleName(QString::fromLatin1(kAccessibleName));
}

void CInfoLine::setText(const QString& text)
{
    if (text == QLabel::text())
        return;
    QLabel::setText(text);
    if (QAccessible::isActive()) {
        QAccessibleEvent description(this, QAccessible::DescriptionChanged);
        QAccessible::updateAccessibility(&description);
        QAccessibleValueChangeEvent value(this, text);
        QAccessible::updateAccessibility(&value);
    }
}
