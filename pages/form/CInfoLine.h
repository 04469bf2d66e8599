// A dialog's register information line: one sunken line of text under the
// form that shows what the mouse is over and the dialog's messages ("Error:
// selected value out of range [...]", "Value of Event Hour is out of range
// (0 - 23)").
//
// For assistive tools the line is named "Register Info" and exposes the
// text it shows as its value and description, as the main window's status
// lines do; each change of the text is announced with a description and a
// value change (Qt 6.4 has no announcement event of its own). QLabel's
// setText is not virtual: the text goes in through this class's setText
// (CDialogHost and CControlSet use it).
//
// Thread rules: user-interface thread only.
#pragma once

#include <QLabel>

class CInfoLine : public QLabel
{
    Q_OBJECT
public:
    static constexpr const char* kAccessibleName = "Register Info";

    explicit CInfoLine(QWidget* parent = nullptr);

    // Shows the text; a changed text is announced.
    void setText(const QString& text);

    // Registers the accessibility interface of information lines (once per
    // process).
    static void InstallAccessibility();
};
