#include "pages/CInfoLine.h"

#include <QAccessible>
#include <QAccessibleWidget>

namespace {

class CInfoLineAccessible : public QAccessibleWidget
{
public:
    explicit CInfoLineAccessible(QWidget* widget) : QAccessibleWidget(widget, QAccessible::StatusBar) {}

    QString text(QAccessible::Text t) const override
    {
        auto* line = static_cast<CInfoLine*>(widget());
        switch (t) {
        case QAccessible::Name: return QString::fromLatin1(CInfoLine::kAccessibleName);
        case QAccessible::Value:
        case QAccessible::Description: return line->text();
        default: return QAccessibleWidget::text(t);
        }
    }
};

QAccessibleInterface* InfoLineFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String("CInfoLine") && object && object->isWidgetType())
        return new CInfoLineAccessible(static_cast<QWidget*>(object));
    return nullptr;
}

} // namespace

void CInfoLine::InstallAccessibility()
{
    static bool installed = false;
    if (!installed) {
        QAccessible::installFactory(InfoLineFactory);
        installed = true;
    }
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
