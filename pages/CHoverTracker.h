// Follows the mouse over a page or dialog and its children: the hover
// information (register information line) learns where the mouse is in the
// root widget's coordinates, or that it left, and the picture panel (when
// there is one) shows the hovered control's mark.
//
// Thread rules: user-interface thread only.
#pragma once

#include <QObject>
#include <QPoint>


class CHoverInfo;
class CPicturePanel;
class QWidget;

class CHoverTracker : public QObject
{
    Q_OBJECT
public:
    // picture may be null; the mark it shows follows the hovered control.
    CHoverTracker(QWidget* root, CHoverInfo& hover, CPicturePanel* picture);
    // Watches the root's children too; call after the form is built.
    void watchChildren();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void moved(bool inside, QPoint position);

    QWidget* m_root;
    CHoverInfo& m_hover;
    CPicturePanel* m_picture;
};
