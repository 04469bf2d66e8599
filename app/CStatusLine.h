// One part of the main window's status bar: a line of text in a sunken
// double frame, left-aligned and vertically centred with a 5-pixel margin.
// The background is green while the demo flag is set, else red while the
// error flag is set, else the button face colour.
//
// For assistive tools (and end-to-end checks) the line is named by its
// accessible name ("Status", "Register Info") and exposes the text it shows
// as its value and description.
//
// Thread rules: user-interface thread only.
#pragma once

#include <QWidget>

class CStatusLine : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kMargin = 5;
    static inline const QColor kDemoColour{0x20, 0xFF, 0x20};
    static inline const QColor kErrorColour{0xFF, 0x20, 0x20};

    CStatusLine(const QString& accessibleName, QWidget* parent = nullptr);

    // Shows the text and repaints at once (callers may block the event loop
    // right after, during a read cycle).
    void setText(const QString& text);
    const QString& text() const { return m_text; }
    void setColourFlags(bool isError, bool isDemo);
    bool isError() const { return m_isError; }
    bool isDemo() const { return m_isDemo; }
    // The background the line is painted on now.
    QColor background() const;
    int paintCount() const { return m_paintCount; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // Registers the accessibility interface of status lines (once per process).
    static void InstallAccessibility();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_text;
    bool m_isError = false;
    bool m_isDemo = false;
    int m_paintCount = 0;
};
