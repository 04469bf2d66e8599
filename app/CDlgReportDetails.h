// The commissioning report's details: the technician's name (filled with the
// name given last time) and an optional note. The dialog collects them; the
// caller keeps the name and writes the report.
//
// Thread rules: user-interface thread only.
#pragma once

#include <QDialog>

class QLineEdit;
class QPlainTextEdit;

class CDlgReportDetails : public QDialog
{
    Q_OBJECT
public:
    CDlgReportDetails(const QString& technician, QWidget* parent = nullptr);

    QString technician() const;
    QString note() const;
    QLineEdit* technicianEdit() const { return m_technician; }
    QPlainTextEdit* noteEdit() const { return m_note; }

private:
    QLineEdit* m_technician;
    QPlainTextEdit* m_note;
};
