#include "pages/CQuestionBox.h"

#include <QPushButton>

namespace CQuestionBox {

int Ask(QWidget* parent, QMessageBox::Icon icon, const QString& name, const QString& title, const QString& text,
        const std::vector<Choice>& choices, int defaultChoice, int escapeChoice)
{
    QMessageBox box(icon, title, text, QMessageBox::NoButton, parent);
    box.setObjectName(name);
    std::vector<QPushButton*> buttons;
    for (const Choice& choice : choices)
        buttons.push_back(box.addButton(choice.caption, choice.role));
    box.setDefaultButton(buttons.at(static_cast<std::size_t>(defaultChoice)));
    box.setEscapeButton(buttons.at(static_cast<std::size_t>(escapeChoice)));
    box.exec();
    for (std::size_t i = 0; i < buttons.size(); ++i)
        if (box.clickedButton() == buttons[i])
            return static_cast<int>(i);
    return escapeChoice;
}

} // namespace CQuestionBox
