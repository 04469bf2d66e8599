// The PIN prompt "Enter pin code": a masked field under "Please input
// code:", the box "Remember password" and OK / Cancel. The caller passes
// the remember state and the remembered text in and takes them back out.
//
// Thread rules: user-interface thread only.
#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;

class CDlgPw : public QDialog
{
    Q_OBJECT
public:
    // The field shows text only when remember is on.
    CDlgPw(bool remember, const QString& text, QWidget* parent = nullptr);

    QString text() const;
    bool remember() const { return m_remember; }

    QLineEdit* field() const { return m_field; }
    QCheckBox* rememberBox() const { return m_rememberBox; }

private:
    QLineEdit* m_field;
    QCheckBox* m_rememberBox;
    bool m_remember;
};
