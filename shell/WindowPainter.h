#pragma once
#include <QColor>
#include <QFont>
#include <QPoint>
#include <QRect>
#include <QString>
#include <vector>

class QPainter;

// Texts drawn over a window's empty client area, optionally clickable. The frame uses it for
// its "please wait" text while the organiser window opens.
namespace shell {

// Where an item of size w x h goes in the area L, T, R, B (modes 1..11; others give 0, 0).
// Centring takes half of R and B, not the middle of L..R: texts sit where users know them.
// Halves round half away from zero.
QPoint anchor(int mode, int left, int top, int right, int bottom, int width, int height,
              int xOffset, int yOffset, int xPos, int yPos);

// A colour as the settings give it: 0x00BBGGRR, -1 for none.
QColor colourFromRgbValue(long value);

struct PainterText {
    QString label; // stored upper case; adding the same label again replaces the item
    QString text;
    QString fontName;
    int fontSize = 10; // points
    long colour = 0;
    long highlightColour = -1; // drawn up and left by highlightOffset
    long shadowColour = -1;    // drawn down and right by shadowOffset
    int align = 7;
    bool bold = false, italic = false, underline = false;
    int xOffset = 0, yOffset = 0;
    int highlightOffset = 0, shadowOffset = 0;
    int xPos = 0, yPos = 0;
};

class WindowPainterClass {
public:
    struct Margins {
        int left = 0, top = 0, right = 0, bottom = 0;
    };

    // Top first, as callers have always passed them.
    void setTextMargins(int top, int left, int right, int bottom);
    void addText(PainterText item);
    const PainterText* text(const QString& label) const;
    std::size_t textCount() const { return m_texts.size(); }

    // A click on the drawn text of `label` posts `eventId`.
    void addClickArea(const QString& label, int eventId);
    bool hasClickAreas() const { return !m_areas.empty(); }

    QFont fontFor(const PainterText& item, qreal dpiY) const;
    // The rectangle the text takes in a client area (the main drawing, without highlight
    // and shadow); also becomes the text's clickable area.
    QRect textRect(const PainterText& item, const QRect& client, qreal dpiY);
    void drawAll(QPainter& painter, const QRect& client, qreal dpiY);

    // Mouse buttons: an event is due when a button goes down and up inside the same area.
    void press(const QPoint& point);
    std::vector<int> release(const QPoint& point);

private:
    struct Area {
        QString label;
        int eventId = 0;
        QRect rect; // inclusive of its far edges
        bool down = false;
    };
    static QString shown(const PainterText& item);
    static bool inside(const Area& area, const QPoint& p);
    std::vector<PainterText> m_texts;
    std::vector<Area> m_areas;
    Margins m_margins;
};

} // namespace shell
