#include "chrome/ThemeLibrary.h"

#include <QColor>
#include <QPainter>
#include <QPolygonF>

#include <algorithm>

#include <map>
#include <mutex>
#include <utility>

namespace pxp {

COLORREF editFrameColor(long state)
{
    switch (state) {
    case ETS_HOT: return rgb(77, 120, 175);
    case ETS_SELECTED:
    case ETS_FOCUSED: return rgb(49, 106, 197);
    case ETS_DISABLED: return rgb(201, 199, 186);
    case ETS_READONLY: return rgb(165, 172, 178);
    default: return rgb(127, 157, 185);
    }
}

COLORREF editFillColor(long state)
{
    switch (state) {
    case ETS_DISABLED: return rgb(235, 235, 228);
    case ETS_READONLY: return rgb(236, 233, 216);
    default: return rgb(255, 255, 255);
    }
}

bool themeArt(const QString& themeClass, long part, long state, ThemeArt& art)
{
    const QString cls = themeClass.toUpper();
    art = ThemeArt();
    // Buttons of drop lists, spin boxes and scroll arrows share one look by state.
    auto button = [&art](long s) {
        switch (s) {
        case 2: art = {rgb(210, 226, 255), rgb(152, 180, 238), rgb(77, 97, 133), -1}; break;
        case 3: art = {rgb(158, 181, 235), rgb(122, 150, 223), rgb(77, 97, 133), -1}; break;
        case 4: art = {rgb(236, 233, 216), rgb(201, 199, 186), rgb(201, 199, 186), -1}; break;
        default: art = {rgb(193, 211, 251), rgb(180, 200, 246), rgb(77, 97, 133), -1}; break;
        }
        return true;
    };
    if (cls == QLatin1String("EDIT")) {
        if (part != EP_EDITTEXT)
            return false;
        art = {editFillColor(state), editFrameColor(state), -1, -1};
        return true;
    }
    if (cls == QLatin1String("COMBOBOX"))
        return part == CP_DROPDOWNBUTTON && button(state);
    if (cls == QLatin1String("SPIN"))
        return (part == SPNP_UP || part == SPNP_DOWN) && button(state);
    if (cls == QLatin1String("SCROLLBAR")) {
        if (part != SBP_ARROWBTN || state < 9 || state > 16)
            return false;
        return button((state - 9) % 4 + 1);
    }
    if (cls == QLatin1String("HEADER")) {
        if (part != HP_HEADERITEM)
            return false;
        if (state == 2)
            art = {rgb(250, 248, 243), rgb(214, 210, 194), rgb(199, 197, 178), rgb(248, 169, 0)};
        else if (state == 3)
            art = {rgb(222, 223, 216), rgb(165, 165, 151), rgb(199, 197, 178), -1};
        else
            art = {rgb(235, 234, 219), rgb(214, 210, 194), rgb(199, 197, 178), -1};
        return true;
    }
    if (cls == QLatin1String("LISTVIEW")) {
        if (part != LVP_LISTITEM)
            return false;
        art = {-1, rgb(127, 157, 185), -1, -1};
        return true;
    }
    if (cls == QLatin1String("TAB")) {
        if (part == TABP_PANE)
            art = {rgb(252, 252, 254), rgb(145, 155, 156), -1, -1};
        else if (part == TABP_SELECTED || part == TABP_SELECTEDFIRST)
            art = {rgb(252, 252, 254), rgb(145, 155, 156), -1, rgb(255, 200, 60)};
        else if (part == TABP_TAB && state == 2)
            art = {rgb(255, 255, 255), rgb(145, 155, 156), -1, rgb(230, 139, 44)};
        else if (part == TABP_TAB && state == 4)
            art = {rgb(236, 233, 216), rgb(201, 199, 186), -1, -1};
        else if (part == TABP_TAB)
            art = {rgb(242, 241, 235), rgb(145, 155, 156), -1, -1};
        else
            return false;
        return true;
    }
    if (cls == QLatin1String("TOOLBAR")) {
        // Toolbar buttons: hot 2, pressed 3, checked 5, hot and checked 6; a resting button has
        // no art of its own (the band shows through).
        if (part != 1)
            return false;
        switch (state) {
        case 2: art = {rgb(253, 253, 251), rgb(206, 205, 195), -1, -1}; break;
        case 3: art = {rgb(226, 225, 215), rgb(158, 157, 143), -1, -1}; break;
        case 5: art = {rgb(238, 237, 229), rgb(158, 157, 143), -1, -1}; break;
        case 6: art = {rgb(245, 244, 236), rgb(158, 157, 143), -1, -1}; break;
        default: return false;
        }
        return true;
    }
    if (cls == QLatin1String("REBAR")) {
        // The band background, the colour of the window's face.
        if (part != 0)
            return false;
        art = {rgb(236, 233, 216), -1, -1, -1};
        return true;
    }
    if (cls == QLatin1String("BUTTON")) {
        if ((part != BP_RADIOBUTTON && part != BP_CHECKBOX) || state < 1 || state > 8)
            return false;
        const long s = (state - 1) % 4 + 1;
        const bool checked = state > 4;
        switch (s) {
        case 2: art = {rgb(255, 240, 207), rgb(28, 81, 128), -1, rgb(248, 179, 48)}; break;
        case 3: art = {rgb(176, 176, 167), rgb(28, 81, 128), -1, -1}; break;
        case 4: art = {rgb(255, 255, 255), rgb(202, 200, 187), -1, -1}; break;
        default: art = {rgb(255, 255, 255), rgb(28, 81, 128), -1, -1}; break;
        }
        if (checked)
            art.glyph = s == 4 ? rgb(202, 200, 187) : rgb(33, 161, 33);
        return true;
    }
    return false;
}

namespace {

QColor qcolor(COLORREF c) { return QColor(redOf(c), greenOf(c), blueOf(c)); }

// A small filled triangle pointing `direction` (0 up, 1 down, 2 left, 3 right) in the middle
// of `r`.
void drawArrow(QPainter& p, const QRect& r, int direction, COLORREF colour)
{
    const int size = std::max(2, std::min(r.width(), r.height()) / 4);
    const QPointF c = QRectF(r).center();
    QPolygonF tri;
    switch (direction) {
    case 0: tri << QPointF(c.x() - size, c.y() + size / 2.0) << QPointF(c.x() + size, c.y() + size / 2.0) << QPointF(c.x(), c.y() - size / 2.0); break;
    case 1: tri << QPointF(c.x() - size, c.y() - size / 2.0) << QPointF(c.x() + size, c.y() - size / 2.0) << QPointF(c.x(), c.y() + size / 2.0); break;
    case 2: tri << QPointF(c.x() + size / 2.0, c.y() - size) << QPointF(c.x() + size / 2.0, c.y() + size) << QPointF(c.x() - size / 2.0, c.y()); break;
    default: tri << QPointF(c.x() - size / 2.0, c.y() - size) << QPointF(c.x() - size / 2.0, c.y() + size) << QPointF(c.x() + size / 2.0, c.y()); break;
    }
    p.setPen(Qt::NoPen);
    p.setBrush(qcolor(colour));
    p.setRenderHint(QPainter::Antialiasing, true);
    p.drawPolygon(tri);
    p.setRenderHint(QPainter::Antialiasing, false);
}

// The art of one part over `rect`: fill, one-pixel border, then the part's glyph or accent.
void drawArt(QPainter& p, const QString& cls, long part, long state, const QRect& rect, const ThemeArt& art)
{
    p.setRenderHint(QPainter::Antialiasing, false);
    const bool header = cls == QLatin1String("HEADER");
    const bool box = cls == QLatin1String("BUTTON");
    QRect r = rect;
    if (box) {
        // The box keeps its 13-pixel size, centred in the space it is given.
        const int side = std::min({13, rect.width(), rect.height()});
        r = QRect(0, 0, side, side);
        r.moveCenter(rect.center());
    }
    if (art.fill != -1)
        p.fillRect(r, qcolor(art.fill));
    p.setBrush(Qt::NoBrush);
    if (header) {
        // A header item: a line below and a separator on the right, the accent of the item
        // under the mouse along its bottom.
        p.setPen(QPen(qcolor(art.border), 0));
        p.drawLine(r.left(), r.bottom(), r.right(), r.bottom());
        p.setPen(QPen(qcolor(art.glyph), 0));
        p.drawLine(r.right(), r.top() + 3, r.right(), r.bottom() - 3);
        if (art.accent != -1)
            p.fillRect(QRect(r.left(), r.bottom() - 2, r.width(), 3), qcolor(art.accent));
        return;
    }
    if (art.border != -1) {
        p.setPen(QPen(qcolor(art.border), 0));
        if (box && part == BP_RADIOBUTTON) {
            p.setRenderHint(QPainter::Antialiasing, true);
            p.setBrush(qcolor(art.fill));
            p.drawEllipse(QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5));
            p.setBrush(Qt::NoBrush);
            p.setRenderHint(QPainter::Antialiasing, false);
        } else if (cls == QLatin1String("TAB") && part != TABP_PANE) {
            // Tabs are open at the bottom, on the pane.
            p.drawLine(r.left(), r.bottom(), r.left(), r.top());
            p.drawLine(r.left(), r.top(), r.right(), r.top());
            p.drawLine(r.right(), r.top(), r.right(), r.bottom());
        } else {
            p.drawRect(r.adjusted(0, 0, -1, -1));
        }
    }
    if (art.accent != -1 && cls == QLatin1String("TAB"))
        p.fillRect(QRect(r.left() + 1, r.top(), r.width() - 2, 2), qcolor(art.accent));
    if (art.glyph == -1)
        return;
    if (cls == QLatin1String("COMBOBOX"))
        drawArrow(p, r, 1, art.glyph);
    else if (cls == QLatin1String("SPIN"))
        drawArrow(p, r, part == SPNP_UP ? 0 : 1, art.glyph);
    else if (cls == QLatin1String("SCROLLBAR"))
        drawArrow(p, r, state <= 12 ? 2 : 3, art.glyph);
    else if (box && part == BP_RADIOBUTTON) {
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setPen(Qt::NoPen);
        p.setBrush(qcolor(art.glyph));
        p.drawEllipse(QRectF(r).center(), r.width() / 4.5, r.height() / 4.5);
    } else if (box) {
        p.setPen(QPen(qcolor(art.glyph), 2));
        p.drawPolyline(QPolygon({QPoint(r.left() + 3, r.center().y()), QPoint(r.left() + 5, r.bottom() - 3),
                                 QPoint(r.right() - 3, r.top() + 3)}));
    }
}

std::mutex& nameMutex()
{
    static std::mutex m;
    return m;
}
ThemeNameProvider& nameProvider()
{
    static ThemeNameProvider provider;
    return provider;
}

// Velmora's own theme art: the theme classes the chrome asks for, drawn with QPainter.
class ThemeRenderer final : public ThemeLibrary {
public:
    HTHEME openThemeData(QObject*, const QString& classList) override
    {
        static const QStringList known = {
            QStringLiteral("BUTTON"), QStringLiteral("EDIT"), QStringLiteral("COMBOBOX"),
            QStringLiteral("SPIN"), QStringLiteral("HEADER"), QStringLiteral("LISTVIEW"),
            QStringLiteral("TAB"), QStringLiteral("SCROLLBAR"), QStringLiteral("EXPLORERBAR"),
            QStringLiteral("REBAR"), QStringLiteral("TOOLBAR"), QStringLiteral("WINDOW")};
        for (const QString& part : classList.split(u';')) {
            const QString name = part.trimmed().toUpper();
            if (!known.contains(name))
                continue;
            std::lock_guard<std::mutex> lock(m_mutex);
            const HTHEME handle = ++m_lastHandle;
            m_open.emplace(handle, name);
            return handle;
        }
        return 0;
    }

    long closeThemeData(HTHEME theme) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_open.erase(theme) ? THEME_OK : THEME_FAILED;
    }

    long drawThemeBackground(HTHEME theme, QPainter& painter, long part, long state,
                             const QRect& rect, const QRect* clip) override
    {
        const QString cls = className(theme);
        ThemeArt art;
        if (rect.isEmpty() || !themeArt(cls, part, state, art))
            return THEME_FAILED;
        painter.save();
        if (clip)
            painter.setClipRect(*clip, Qt::IntersectClip);
        drawArt(painter, cls, part, state, rect, art);
        painter.restore();
        return THEME_OK;
    }

    bool getThemeColor(HTHEME theme, long part, long state, long property, COLORREF& colour) override
    {
        ThemeArt art;
        if (!themeArt(className(theme), part, state, art))
            return false;
        COLORREF c = -1;
        switch (property) {
        case TMT_BORDERCOLOR: c = art.border; break;
        case TMT_FILLCOLOR: c = art.fill; break;
        case TMT_GLYPHCOLOR: c = art.glyph; break;
        case TMT_ACCENTCOLOR: c = art.accent; break;
        default: break;
        }
        if (c == -1)
            return false;
        colour = c;
        return true;
    }

    bool getCurrentThemeName(QString& fileName, QString& colourName) override
    {
        fileName.clear();
        colourName.clear();
        ThemeNameProvider provider;
        {
            std::lock_guard<std::mutex> lock(nameMutex());
            provider = nameProvider();
        }
        if (provider)
            provider(fileName, colourName);
        return true;
    }

private:
    QString className(HTHEME theme)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        const auto it = m_open.find(theme);
        return it == m_open.end() ? QString() : it->second;
    }

    std::mutex m_mutex;
    HTHEME m_lastHandle = 0;
    std::map<HTHEME, QString> m_open;
};

struct Module {
    std::mutex mutex;
    ThemeLibraryLoader loader = loadThemeRenderer;
    std::unique_ptr<ThemeLibrary> library;
};
Module& module()
{
    static Module m;
    return m;
}

} // namespace

ThemeLibrary* loadThemeLibrary()
{
    Module& m = module();
    std::lock_guard<std::mutex> lock(m.mutex);
    if (!m.library && m.loader)
        m.library = m.loader();
    return m.library.get();
}

ThemeLibrary* boundThemeLibrary()
{
    Module& m = module();
    std::lock_guard<std::mutex> lock(m.mutex);
    return m.library.get();
}

std::unique_ptr<ThemeLibrary> loadThemeRenderer()
{
    const QString setting = qEnvironmentVariable("VELMORA_THEME").trimmed().toLower();
    if (setting == QLatin1String("off") || setting == QLatin1String("0"))
        return nullptr;
    return std::make_unique<ThemeRenderer>();
}

ScopedThemeLoader::ScopedThemeLoader(ThemeLibraryLoader loader)
{
    Module& m = module();
    std::lock_guard<std::mutex> lock(m.mutex);
    m_loader = std::exchange(m.loader, std::move(loader));
    m_library = std::move(m.library);
}

ScopedThemeLoader::~ScopedThemeLoader()
{
    Module& m = module();
    std::lock_guard<std::mutex> lock(m.mutex);
    m.loader = std::move(m_loader);
    m.library = std::move(m_library);
}

ScopedThemeName::ScopedThemeName(QString fileName, QString colourName)
{
    std::lock_guard<std::mutex> lock(nameMutex());
    m_previous = std::exchange(nameProvider(), [fileName, colourName](QString& file, QString& colour) {
        file = fileName;
        colour = colourName;
    });
}

ScopedThemeName::~ScopedThemeName()
{
    std::lock_guard<std::mutex> lock(nameMutex());
    nameProvider() = std::move(m_previous);
}

} // namespace pxp
