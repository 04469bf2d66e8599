// The busy overlay: a small modeless window "Information" with the single
// centred text "Please wait, data transfer is running...", shown over the
// main window while a page reads from or writes to the unit.
//
// Thread rules: user-interface thread only.
#pragma once

#include <QDialog>

class CDlgMessage : public QDialog
{
    Q_OBJECT
public:
    explicit CDlgMessage(QWidget* parent = nullptr);
    // Centres the overlay over the given window, shows it and paints it at
    // once, since the caller blocks the event loop right afterwards.
    void showCentredOver(QWidget* window);
};
