// The picture frame of a page or dialog: one of the program's pictures of the
// unit or of its display screens, stretched into the frame, and the green
// frames that mark the element belonging to the hovered control. Frames are
// given in percent of the picture and drawn five pixels wide (five nested
// one-pixel frames).
//
// On pages nothing is painted until the main window has marked every page
// ready at the end of start-up (setReady); dialogs are ready at once.
//
// Thread rules: user-interface thread only.
#pragma once

#include "pages/core/IPageControls.h"
#include "pages/core/PageTypes.h"

#include <QWidget>

#include <memory>
#include <vector>

class QPainter;
class QSvgRenderer;

class CPicturePanel : public QWidget
{
    Q_OBJECT
public:
    // Green of the marks (red 0, green 255, blue 0).
    static constexpr QRgb kMarkColour = 0xFF00FF00;

    explicit CPicturePanel(QSize size, QWidget* parent = nullptr);
    ~CPicturePanel() override;

    void setReady(bool ready);
    bool isReady() const { return m_ready; }
    // The picture and its frames; repaints only when something changed.
    void setMark(const Page::PictureMark& mark);
    Page::Picture picture() const { return m_mark.picture; }
    const Page::PictureMark& mark() const { return m_mark; }
    // Where the picture goes (the whole panel) and where each frame is.
    PageRect pictureRect() const;
    std::vector<PageRect> frameRects() const;

    // The resource file of a picture (":/pictures/...svg"); "" for None.
    static QString ResourceOf(Page::Picture picture);

    QSize sizeHint() const override { return m_size; }
    QSize minimumSizeHint() const override { return m_size; }

protected:
    void paintEvent(QPaintEvent* event) override;
    // The picture under the frames: the picture's drawing, stretched into
    // area. A panel that draws its picture itself overrides it.
    virtual void paintPicture(QPainter& painter, const QRect& area);

private:
    QSize m_size;
    bool m_ready = false;
    Page::PictureMark m_mark;
    // The picture, parsed when setMark changes it rather than on every paint
    // (hovering repaints the panel often).
    std::unique_ptr<QSvgRenderer> m_renderer;
};
