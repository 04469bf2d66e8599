// The PIN prompt "Enter pin code": a masked field under "Please input
// code:", the box "Remember password" and OK / Cancel. The caller passes
// the remember state and the remembered text in and takes them back out,
// and may add a note on the tries left before the lockout.
//
// Thread rules: user-interface thread only.
#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;

class CDlgPw : public QDialog
{
    Q_OBJECT
public:
    // The field shows text only when remember is on.
    CDlgPw(bool remember, const QString& text, QWidget* parent = nullptr);

    // A line under the field about the lockout ("" hides it).
    void setNote(const QString& note);
    QString note() const;

    QString text() const;
    bool remember() const { return m_remember; }

    QLineEdit* field() const { return m_field; }
    QCheckBox* rememberBox() const { return m_rememberBox; }

private:
    QLineEdit* m_field;
    QCheckBox* m_rememberBox;
    QLabel* m_note;
    bool m_remember;
};
