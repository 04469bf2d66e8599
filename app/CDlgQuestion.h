// A modal question box: caption, message, two buttons (defaults "OK" and
// "Cancel") and an icon at the left: kind 64 information, 48 warning,
// anything else error. It beeps when it opens. exec() returns
// QDialog::Accepted for the first button.
//
// Thread rules: user-interface thread only.
#pragma once

#include <QDialog>

class CDlgQuestion : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kIconInformation = 64;
    static constexpr int kIconWarning = 48;
    static constexpr int kIconError = 16;

    CDlgQuestion(const QString& caption, const QString& message, const QString& okText = QStringLiteral("OK"),
                 const QString& cancelText = QStringLiteral("Cancel"), int iconKind = kIconInformation,
                 QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;
};
