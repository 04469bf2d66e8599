// A question before something that cannot be taken back or would be lost:
// a message box with a title, a text, an icon and buttons of its own
// captions (with mnemonics). Escape and the close box choose the button
// marked as the way out. The object name lets tests and assistive tools tell
// the questions apart.
//
// Thread rules: user-interface thread only.
#pragma once

#include <QMessageBox>
#include <QString>

#include <vector>

namespace CQuestionBox {

struct Choice
{
    QString caption;
    QMessageBox::ButtonRole role;
};

// Shows the question modally; the index of the chosen button. defaultChoice
// is pressed by Enter, escapeChoice by Escape or the close box.
int Ask(QWidget* parent, QMessageBox::Icon icon, const QString& name, const QString& title, const QString& text,
        const std::vector<Choice>& choices, int defaultChoice, int escapeChoice);

} // namespace CQuestionBox
