// A form's progress bar (Page::Kind::Progress; the FW-Update page's),
// painted by itself rather than by the style: the
// background colour, a one-pixel sunken frame (dark grey 128,128,128 on the
// upper and left edges, light grey 210,210,210 on the lower and right
// ones), and inside it the filled part in the bar colour, as wide as the
// inside times p / 100 with p the position's share of the range in whole
// per cent (rounded, clamped to 0..100). Drawn through an off-screen
// picture so it never flickers.
//
// Thread rules: user-interface thread only.
#pragma once

#include <QColor>
#include <QWidget>

class CProgressBar : public QWidget
{
    Q_OBJECT
public:
    static inline const QColor kFrameDark{128, 128, 128};
    static inline const QColor kFrameLight{210, 210, 210};

    explicit CProgressBar(QWidget* parent = nullptr);

    void setRange(int lower, int upper);
    void setPosition(int position);
    void setBarColour(const QColor& colour);
    void setBackground(const QColor& colour);

    int position() const { return m_position; }
    // The filled share in whole per cent, as painted.
    int percent() const;
    QColor barColour() const { return m_colour; }
    QColor background() const { return m_background; }

    QSize sizeHint() const override { return {400, 22}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_lower = 0;
    int m_upper = 100;
    int m_position = 0;
    QColor m_colour;
    QColor m_background;
};
