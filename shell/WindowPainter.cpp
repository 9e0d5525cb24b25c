#include "shell/WindowPainter.h"

#include <QFontMetrics>
#include <QPainter>

#include <cmath>

namespace shell {
namespace {
QString upperLabel(const QString& label)
{
    return label.trimmed().toUpper();
}

// How far the text's ink rises above the font's ascent. Some fonts put accents there (the
// caron of "č" in Tahoma); the text's area grows by that much so that what is drawn stays
// inside the area a click is tested against.
int accentOverhang(const QFontMetrics& metrics, const QString& text)
{
    return qMax(0, -metrics.boundingRect(text).top() - metrics.ascent());
}
} // namespace

QPoint anchor(int mode, int l, int t, int r, int b, int w, int h, int xOffset, int yOffset, int xPos, int yPos)
{
    auto centre = [](int edge, int size) { return int(std::lround(edge / 2.0 - size / 2.0)); };
    int x = 0, y = 0;
    switch (mode) {
    case 1:
    case 2: x = xPos; y = yPos; break;
    case 3: x = l; y = t; break;
    case 4: x = l; y = centre(b, h); break;
    case 5: x = l; y = b - h; break;
    case 6: x = centre(r, w); y = t; break;
    case 7: x = centre(r, w); y = centre(b, h); break;
    case 8: x = centre(r, w); y = b - h; break;
    case 9: x = r - w; y = t; break;
    case 10: x = r - w; y = centre(b, h); break;
    case 11: x = r - w; y = b - h; break;
    default: return {0, 0};
    }
    return {x + xOffset, y + yOffset};
}

QColor colourFromRgbValue(long value)
{
    if (value < 0)
        return {};
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

void WindowPainterClass::setTextMargins(int top, int left, int right, int bottom)
{
    m_margins = {left, top, right, bottom};
}

void WindowPainterClass::addText(PainterText item)
{
    item.label = upperLabel(item.label);
    for (PainterText& t : m_texts)
        if (t.label == item.label) {
            t = std::move(item);
            return;
        }
    m_texts.push_back(std::move(item));
}

const PainterText* WindowPainterClass::text(const QString& label) const
{
    const QString key = upperLabel(label);
    for (const PainterText& t : m_texts)
        if (t.label == key)
            return &t;
    return nullptr;
}

void WindowPainterClass::addClickArea(const QString& label, int eventId)
{
    m_areas.push_back({upperLabel(label), eventId, {}, false});
}

QString WindowPainterClass::shown(const PainterText& item)
{
    QString s = item.text;
    s.truncate(1024);
    while (!s.isEmpty() && s.back() == QLatin1Char(' '))
        s.chop(1);
    return s;
}

QFont WindowPainterClass::fontFor(const PainterText& item, qreal dpiY) const
{
    QFont font(item.fontName.trimmed());
    font.setPixelSize(qMax(1, qRound(item.fontSize * dpiY / 72.0)));
    // Regular texts are drawn a little heavier than normal, as they always were.
    font.setWeight(item.bold ? QFont::Bold : QFont::Medium);
    font.setItalic(item.italic);
    font.setUnderline(item.underline);
    return font;
}

QRect WindowPainterClass::textRect(const PainterText& item, const QRect& client, qreal dpiY)
{
    const int lo = item.highlightColour < 0 ? 0 : item.highlightOffset;
    const int so = item.shadowColour < 0 ? 0 : item.shadowOffset;
    const int l = client.left() + lo + m_margins.left;
    const int t = client.top() + lo + m_margins.top;
    const int r = client.left() + client.width() - so - m_margins.right;
    const int b = client.top() + client.height() - so - m_margins.bottom;
    const QFontMetrics metrics(fontFor(item, dpiY));
    const QString text = shown(item);
    const QSize size = metrics.size(0, text) + QSize(0, accentOverhang(metrics, text));
    const QPoint at = anchor(item.align, l, t, r, b, size.width(), size.height(), item.xOffset,
                             item.yOffset, item.xPos, item.yPos);
    const QRect rect(at, size);
    for (Area& a : m_areas)
        if (a.label == item.label)
            a.rect = rect;
    return rect;
}

void WindowPainterClass::drawAll(QPainter& painter, const QRect& client, qreal dpiY)
{
    for (const PainterText& item : m_texts) {
        const QString s = shown(item);
        const QFont font = fontFor(item, dpiY);
        const QRect rect = textRect(item, client, dpiY).adjusted(0, accentOverhang(QFontMetrics(font), s), 0, 0);
        painter.setFont(font);
        if (item.highlightColour >= 0) {
            painter.setPen(colourFromRgbValue(item.highlightColour));
            painter.drawText(rect.translated(-item.highlightOffset, -item.highlightOffset), 0, s);
        }
        if (item.shadowColour >= 0) {
            painter.setPen(colourFromRgbValue(item.shadowColour));
            painter.drawText(rect.translated(item.shadowOffset, item.shadowOffset), 0, s);
        }
        painter.setPen(colourFromRgbValue(item.colour));
        painter.drawText(rect, 0, s);
    }
}

bool WindowPainterClass::inside(const Area& a, const QPoint& p)
{
    return !a.rect.isNull() && p.x() >= a.rect.left() && p.x() <= a.rect.left() + a.rect.width() &&
           p.y() >= a.rect.top() && p.y() <= a.rect.top() + a.rect.height();
}

void WindowPainterClass::press(const QPoint& point)
{
    for (Area& a : m_areas)
        if (inside(a, point))
            a.down = true;
}

std::vector<int> WindowPainterClass::release(const QPoint& point)
{
    std::vector<int> events;
    for (Area& a : m_areas) {
        if (inside(a, point) && a.down)
            events.push_back(a.eventId);
        a.down = false;
    }
    return events;
}

} // namespace shell
