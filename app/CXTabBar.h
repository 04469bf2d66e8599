// The tab bar of the main window's tab control, drawn by hand so that the
// caption colours follow the tool's rules: the selected tab's caption in the
// selected colour, the tab under the mouse in the hover colour, a disabled
// tab's caption grey, every other caption in the normal colour. Each tab
// shows its 16-pixel image after a one-blank indent and its caption
// centred on one line.
//
// Assistive tools read each tab as a page tab that is disabled while its
// caption is grey and selected while it is the current tab (the interface
// is installed with the first bar).
//
// Thread rules: user-interface thread only.
#pragma once

#include <QColor>
#include <QTabBar>

class CXTabBar : public QTabBar
{
    Q_OBJECT
public:
    explicit CXTabBar(QWidget* parent = nullptr);

    // Colours; each is used only while its flag is on, otherwise the
    // palette's button text (normal) or disabled text colour applies.
    void SetSelectedColour(bool use, QColor colour);
    void SetDisabledColour(bool use, QColor colour);
    void SetNormalColour(bool use, QColor colour);
    void SetHoverColour(bool highlight, QColor colour);

    // The width of a tab with this caption and an image, for the font.
    static int TabWidth(const QFont& font, const QString& caption);

    // A tab was enabled or disabled: repaint it and tell assistive tools.
    void notifyTabStateChanged(int index);

    int hoverTab() const { return m_hoverTab; }
    // The colour the caption of a tab is drawn in now.
    QColor captionColour(int index) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    QSize tabSizeHint(int index) const override;

private:
    void setHoverTab(int index);

    int m_hoverTab = -1;
    QColor m_selectedColour, m_disabledColour, m_normalColour, m_hoverColour;
    bool m_useSelectedColour = false;
    bool m_useDisabledColour = false;
    bool m_useNormalColour = false;
    bool m_hoverHighlight = false;
};
