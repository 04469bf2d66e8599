// The accessibility interface of a line of text that changes at run time
// (the main window's status lines, the dialogs' information lines): a
// status bar named by the widget's accessible name, whose value and
// description are the text it shows now, never a text frozen at start.
//
// Line is the widget class; it has text(). InstallTextLineAccessibility
// registers the interface for that class once per process.
//
// Thread rules: user-interface thread only.
#pragma once

#include <QAccessible>
#include <QAccessibleWidget>

template <class Line>
class CTextLineAccessible : public QAccessibleWidget
{
public:
    explicit CTextLineAccessible(QWidget* widget) : QAccessibleWidget(widget, QAccessible::StatusBar) {}

    QString text(QAccessible::Text t) const override
    {
        switch (t) {
        case QAccessible::Name: return widget()->accessibleName();
        case QAccessible::Value:
        case QAccessible::Description: return static_cast<Line*>(widget())->text();
        default: return QAccessibleWidget::text(t);
        }
    }

    static QAccessibleInterface* Factory(const QString& className, QObject* object)
    {
        if (className == QLatin1String(Line::staticMetaObject.className()) && object && object->isWidgetType())
            return new CTextLineAccessible(static_cast<QWidget*>(object));
        return nullptr;
    }
};

template <class Line>
void InstallTextLineAccessibility()
{
    static bool installed = false;
    if (!installed) {
        QAccessible::installFactory(&CTextLineAccessible<Line>::Factory);
        installed = true;
    }
}
