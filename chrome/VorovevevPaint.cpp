#include "chrome/VorovevevPaint.h"

#include "chrome/ChromeGlobals.h"
#include "chrome/ControlStates.h"
#include "controls/Images.h"

#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QIcon>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRegularExpression>
#include <QScreen>

#include <algorithm>
#include <mutex>

namespace ptb {

// ---------------------------------------------------------------- colours

namespace {

constexpr long SYS_HIGHLIGHT = 13, SYS_BTNFACE = 15, SYS_BTNSHADOW = 16, SYS_GRAYTEXT = 17, SYS_BTNTEXT = 18,
               SYS_3DHIGHLIGHT = 20;

struct ColorRow {
    long index;
    long sys; // system colour index, or -1
    COLORREF rgb;
    long theme;
};

constexpr COLORREF C(int r, int g, int b) { return pxp::rgb(r, g, b); }

const ColorRow kColors[] = {
    {1, SYS_3DHIGHLIGHT, 0, 0},     {2, SYS_BTNSHADOW, 0, 0},       {3, SYS_3DHIGHLIGHT, 0, 0},
    {4, SYS_BTNTEXT, 0, 0},         {5, SYS_BTNSHADOW, 0, 0},       {6, SYS_3DHIGHLIGHT, 0, 0},
    {7, SYS_BTNFACE, 0, 0},         {8, SYS_BTNFACE, 0, 0},         {9, SYS_3DHIGHLIGHT, 0, 0},
    {10, SYS_GRAYTEXT, 0, 0},       {11, SYS_HIGHLIGHT, 0, 0},      {12, SYS_HIGHLIGHT, 0, 0},
    {13, SYS_GRAYTEXT, 0, 0},       {14, SYS_BTNTEXT, 0, 0},        {15, -1, C(255, 255, 255), 0},
    {16, -1, C(172, 168, 153), 0},  {17, -1, C(236, 233, 216), 0},  {18, -1, C(157, 185, 235), 0},
    {19, -1, C(49, 106, 197), 0},   {20, -1, C(128, 128, 128), 0},  {21, -1, C(0, 0, 0), 0},
    {22, -1, C(172, 168, 153), 0},  {23, -1, C(239, 239, 233), 0},  {24, -1, C(236, 233, 216), 0},
    {25, -1, C(255, 255, 255), 0},  {26, -1, C(128, 128, 128), 0},  {27, -1, C(157, 185, 235), 0},
    {28, -1, C(49, 106, 197), 0},   {29, -1, C(236, 233, 216), 0},  {30, -1, C(0, 0, 0), 0},
    {31, -1, C(255, 255, 255), 15}, {32, -1, C(165, 166, 165), 16}, {33, -1, C(247, 247, 247), 27},
    {34, -1, C(214, 215, 206), 28}, {35, -1, C(132, 134, 132), 4},  {36, -1, C(132, 134, 132), 5},
    {37, -1, C(165, 166, 165), 17}, {38, -1, C(174, 175, 166), 18}, {39, -1, C(8, 36, 107), 26},
    {40, -1, C(214, 215, 222), 9},  {41, -1, C(214, 215, 222), 10}, {42, -1, C(181, 190, 214), 22},
    {43, -1, C(181, 190, 214), 23}, {44, -1, C(0, 0, 0), 2},        {45, -1, C(140, 142, 140), 19},
    {46, -1, C(214, 215, 206), 24}, {47, -1, C(247, 247, 247), 25}, {48, -1, C(255, 255, 255), 20},
    {49, -1, C(99, 101, 99), 3},    {50, -1, C(181, 190, 214), 21}, {51, -1, C(8, 36, 107), 26},
    {52, -1, C(99, 101, 99), 3},    {53, -1, C(0, 0, 0), 2},
};

} // namespace

void SETDEFAULTCOLORS(ColorTable& table, bool followTheme, const std::function<COLORREF(long)>& themeColour)
{
    table.fill(0);
    for (const ColorRow& row : kColors) {
        table[size_t(row.index)] = row.sys >= 0 ? pxp::sysColor(row.sys) : row.rgb;
        if (followTheme && row.theme && themeColour)
            table[size_t(row.index)] = themeColour(row.theme);
    }
}

long themeIndexFor(long index)
{
    for (const ColorRow& row : kColors)
        if (row.index == index)
            return row.theme;
    return 0;
}

COLORREF RGB(int red, int green, int blue) { return pxp::rgb(red, green, blue); }

COLORREF FADECOLOR(COLORREF colour, long amount)
{
    const COLORREF c = FIXCOLOR(colour);
    auto clamp = [&](int v) { return int(std::clamp<long>(v + amount, 0, 255)); };
    return pxp::rgb(clamp(pxp::redOf(ulong(c))), clamp(pxp::greenOf(ulong(c))), clamp(pxp::blueOf(ulong(c))));
}

COLORREF FIXCOLOR(COLORREF colour) { return pxp::FIXCOLOR(colour); }

QColor toQColor(COLORREF colour)
{
    const COLORREF c = FIXCOLOR(colour);
    return QColor(pxp::redOf(ulong(c)), pxp::greenOf(ulong(c)), pxp::blueOf(ulong(c)));
}

QString GETICONNAME(const QString& name)
{
    QString out = name;
    return out.replace(u'.', u'_');
}

// ---------------------------------------------------------------- icons and fonts

LibraryIcon parseLibraryIcon(const QString& name, int width)
{
    static const QRegularExpression re(QStringLiteral("^(.*\\.(exe|dll))\\[(\\d+)\\]$"),
                                       QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = re.match(name.trimmed());
    if (!m.hasMatch())
        return {};
    return {true, m.captured(1), m.captured(3).toInt(), width <= 16};
}

namespace {

// The program's icons by their name with every "." as "_", in lower case.
// The named module's icons (":/<module>/icons") first, then the program's own.
QString findResourceIcon(const QString& wanted, const QString& module)
{
    const QString key = GETICONNAME(wanted).toLower();
    const QString stem = QFileInfo(wanted).completeBaseName().toLower();
    QStringList folders;
    if (!module.trimmed().isEmpty())
        folders << QStringLiteral(":/%1/icons").arg(module.trimmed());
    folders << QStringLiteral(":/velmora/icons");
    for (const QString& folder : folders) {
        QString byStem;
        const QDir dir(folder);
        for (const QString& entry : dir.entryList(QDir::Files)) {
            if (GETICONNAME(entry).toLower() == key)
                return dir.filePath(entry);
            if (byStem.isEmpty() && !stem.isEmpty() && QFileInfo(entry).completeBaseName().toLower() == stem)
                byStem = dir.filePath(entry);
        }
        if (!byStem.isEmpty())
            return byStem;
    }
    return {};
}

QImage imageFrom(const QIcon& icon, int width, int height)
{
    if (icon.isNull())
        return {};
    QImage image = icon.pixmap(QSize(width, height)).toImage();
    if (image.isNull())
        return {};
    if (image.size() != QSize(width, height))
        image = image.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return image.convertToFormat(QImage::Format_ARGB32);
}

} // namespace

QImage LOADICON(const QString& name, int width, int height, const QString& module)
{
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty())
        return {};
    if (const LibraryIcon lib = parseLibraryIcon(trimmed, width); lib.valid) {
        // A library's icons are not on this system; the program may carry them as "<file>_<n>".
        const QString path = findResourceIcon(QFileInfo(lib.file).fileName() + u'_' + QString::number(lib.index), module);
        return path.isEmpty() ? QImage() : imageFrom(QIcon(path), width, height);
    }
    // The program's own images first ("~name", a file, a built-in drawing of that base name),
    // then a drawing whose name matches with "." as "_" in any case.
    const QImage own = imageFrom(controls::imageIcon(QString(), trimmed), width, height);
    if (!own.isNull())
        return own;
    const QString resource = findResourceIcon(trimmed, module);
    if (!resource.isEmpty())
        return imageFrom(QIcon(resource), width, height);
    if (QFile::exists(trimmed))
        return imageFrom(QIcon(trimmed), width, height);
    return {};
}

QImage CREATEDISABLEDICON(const QImage& icon)
{
    if (icon.isNull())
        return {};
    QImage out = icon.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            if (qAlpha(line[x]) == 0) {
                line[x] = 0;
                continue;
            }
            const int g = int(0.30 * qRed(line[x]) + 0.59 * qGreen(line[x]) + 0.11 * qBlue(line[x]));
            const int f = std::clamp(g + 45, 0, 255);
            line[x] = qRgba(f, f, f, qAlpha(line[x]));
        }
    }
    return out;
}

QFont CREATEFONT(const QString& face, int pixels, long style)
{
    QFont f(face.trimmed());
    f.setPixelSize(std::max(1, pixels));
    if (TESTFLAG(ulong(style), 100))
        f.setWeight(QFont::Thin);
    else if (TESTFLAG(ulong(style), 700))
        f.setWeight(QFont::Bold);
    else
        f.setWeight(QFont::Normal);
    f.setItalic(style & 0x1000);
    f.setUnderline(style & 0x2000);
    f.setStrikeOut(style & 0x4000);
    return f;
}

void loadToolbarFonts()
{
    static std::once_flag once;
    std::call_once(once, [] {
        for (const char* file : {"tahoma.ttf", "marlett.ttf"}) {
            const QString path = QStringLiteral("/usr/share/wine/fonts/") + QLatin1String(file);
            const QString family = file[0] == 't' ? QStringLiteral("Tahoma") : QStringLiteral("Marlett");
            if (!QFontDatabase::hasFamily(family) && QFile::exists(path))
                QFontDatabase::addApplicationFont(path);
        }
    });
}

QFont marlettFont(int pixels)
{
    QFont f(QStringLiteral("Marlett"));
    f.setPixelSize(std::max(1, pixels));
    return f;
}

namespace {
std::function<long()>& paletteHook()
{
    static std::function<long()> hook;
    return hook;
}
} // namespace

long GETDESKTOPPALETTESIZE()
{
    if (paletteHook())
        return paletteHook()();
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return -10;
    const int depth = screen->depth();
    return depth >= 31 ? (1L << 30) : (1L << depth);
}

void setDesktopPaletteSizeHook(std::function<long()> hook) { paletteHook() = std::move(hook); }

FontMeasurer::FontMeasurer(const QString& face, long points, int dpiY)
    : m_dpiY(dpiY)
{
    loadToolbarFonts();
    m_font = CREATEFONT(face, int(points * dpiY / 72), 0);
    m_bold = CREATEFONT(face, int(points * dpiY / 72), 700);
}

int FontMeasurer::textWidth(const QString& text, bool bold) const
{
    return QFontMetrics(bold ? m_bold : m_font).horizontalAdvance(text);
}

int FontMeasurer::textWidthIn(const QFont& font, const QString& text) const
{
    return QFontMetrics(font).horizontalAdvance(text);
}

int FontMeasurer::textHeight() const { return QFontMetrics(m_font).height(); }

// ---------------------------------------------------------------- primitives

void PaintContext::drawLine(long x1, long y1, long x2, long y2, COLORREF colour)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(toQColor(colour), 0));
    if (x1 == x2 && y1 == y2)
        p.drawPoint(int(x1), int(y1));
    else
        p.drawLine(int(x1), int(y1), int(x2), int(y2));
    p.restore();
}

void PaintContext::drawBox(long left, long top, long right, long bottom, COLORREF colour)
{
    drawLine(left, top, right, top, colour);
    drawLine(left, bottom, right, bottom, colour);
    drawLine(left, top, left, bottom, colour);
    drawLine(right, top, right, bottom, colour);
}

void PaintContext::drawBevelBox(long left, long top, long right, long bottom, COLORREF dark, COLORREF light)
{
    if (dark == -1)
        dark = color(2);
    if (light == -1)
        light = color(1);
    drawLine(left, top, right, top, light);
    drawLine(left, top, left, bottom, light);
    drawLine(left, bottom, right, bottom, dark);
    drawLine(right, top, right, bottom, dark);
}

void PaintContext::fillRect(long left, long top, long right, long bottom, COLORREF colour)
{
    if (right <= left || bottom <= top)
        return;
    p.fillRect(QRect(int(left), int(top), int(right - left), int(bottom - top)), toQColor(colour));
}

void PaintContext::drawGradient(long left, long top, long right, long bottom, COLORREF start, COLORREF end,
                                int direction)
{
    if (right <= left || bottom <= top)
        return;
    if (tb.NOGRADIENT) {
        fillRect(left, top, right, bottom, end);
        return;
    }
    const QRectF r(left, top, right - left, bottom - top);
    QLinearGradient g(r.topLeft(), direction == 0 ? QPointF(r.right(), r.top()) : QPointF(r.left(), r.bottom()));
    g.setColorAt(0, toQColor(start));
    g.setColorAt(1, toQColor(end));
    p.fillRect(r, g);
}

void PaintContext::drawText(const QString& text, const Rect& r, bool centred, COLORREF colour, const QFont& f)
{
    if (text.isEmpty() || r.isEmpty())
        return;
    p.save();
    p.setFont(f);
    p.setPen(toQColor(colour));
    p.drawText(QRect(int(r.left), int(r.top), int(r.width()), int(r.height())),
               int(Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextShowMnemonic |
                   (centred ? Qt::AlignHCenter : Qt::AlignLeft)),
               text);
    p.restore();
}

void PaintContext::drawControlText(const Band& band, const Item& item, const Rect& r, const QFont& f,
                                   COLORREF colour, bool centred)
{
    if (item.SZCAPTION.isEmpty() || !band.BSHOWTEXT)
        return;
    if (style() == 0 && !item.BENABLED && item.NTYPE != KIND_TEXT)
        drawText(item.SZCAPTION, {r.left + 1, r.top + 1, r.right + 1, r.bottom + 1}, centred, color(6), f);
    if (band.NTYPE == BAND_HEADER)
        colour = color(31);
    drawText(item.SZCAPTION, r, centred, colour, f);
}

void PaintContext::drawControlIcon(const Band& band, const Item& item, long x, long y)
{
    if (item.SZICON.trimmed().isEmpty() || !band.BSHOWICONS)
        return;
    Item& it = const_cast<Item&>(item);
    if (it.HICON.isNull() || it.HDISABLEDICON.isNull()) {
        // A failed load is remembered until the icon name changes.
        if (it.iconFailed)
            return;
        if (it.HICON.isNull())
            it.HICON = LOADICON(it.SZICON, int(band.NICONWIDTH), int(band.NICONHEIGHT), tb.APPNAME);
        if (it.HICON.isNull()) {
            it.iconFailed = true;
            return;
        }
        it.HDISABLEDICON = it.SZDISABLEDICON.isEmpty()
                               ? CREATEDISABLEDICON(it.HICON)
                               : LOADICON(it.SZDISABLEDICON, int(band.NICONWIDTH), int(band.NICONHEIGHT), tb.APPNAME);
        if (it.HDISABLEDICON.isNull())
            it.HDISABLEDICON = CREATEDISABLEDICON(it.HICON);
    }
    p.drawImage(QPoint(int(x), int(y)), it.BENABLED ? it.HICON : it.HDISABLEDICON);
}

// ---------------------------------------------------------------- background, bands, grips

namespace {

// Style 3 draws through the theme library; where it has no art for a part, the classic
// (style 0) look is drawn instead, so nothing is ever left invisible.
bool drawThemed(PaintContext& ctx, const char* cls, long part, long state, const Rect& r)
{
    if (!ctx.themesActive)
        return false;
    const pxp::HTHEME theme = PXPGlobal.OPENTHEME(nullptr, QLatin1String(cls));
    if (!theme)
        return false;
    const long result = PXPGlobal.DRAWTHEMECONTROL(theme, ctx.p, part, state,
                                                   QRect(int(r.left), int(r.top), int(r.width()), int(r.height())));
    PXPGlobal.CLOSETHEME(theme);
    return result == pxp::THEME_OK;
}

int effectiveStyle(const PaintContext& ctx) { return ctx.style(); }

} // namespace

void DRAWBACKGROUND(PaintContext& ctx, const Rect& a)
{
    const bool bottom = ctx.tb.BDRAWBOTTOMBORDER;
    int style = effectiveStyle(ctx);
    if (style == 3 && !drawThemed(ctx, "REBAR", 0, 0, {a.left, a.top, a.right, bottom ? a.bottom - 1 : a.bottom}))
        style = 0;
    switch (style) {
    case 2:
        ctx.drawGradient(a.left, a.top, a.right, a.bottom, ctx.color(46), ctx.color(47), 0);
        break;
    case 1:
        ctx.drawGradient(a.left, a.top, a.right, a.bottom, ctx.color(23), ctx.color(24), 0);
        ctx.drawLine(a.left, a.bottom - 1, a.right - 1, a.bottom - 1, ctx.color(16));
        break;
    case 0:
        ctx.fillRect(a.left, a.top, a.right, a.bottom, ctx.color(7));
        ctx.drawLine(a.left, a.bottom - 1, a.right - 1, a.bottom - 1, ctx.color(2));
        break;
    default:
        break;
    }
    if (bottom) {
        const long colour = style == 2 ? 39 : style == 1 ? 26 : style == 3 ? 20 : 5;
        ctx.drawLine(a.left, a.bottom - 1, a.right - 1, a.bottom - 1, ctx.color(colour));
    }
}

void DRAWGRIP(PaintContext& ctx, long x, long t, long b, long)
{
    switch (effectiveStyle(ctx)) {
    case 2:
    case 3:
        for (long y = t + 5; y <= b - 6; y += 4) {
            ctx.fillRect(x + 4, y + 1, x + 6, y + 3, ctx.color(31));
            ctx.fillRect(x + 3, y, x + 5, y + 2, ctx.color(32));
        }
        break;
    case 1:
        for (long y = t + 4; y <= b - 4; y += 2)
            ctx.drawLine(x + 3, y, x + 5, y, ctx.color(2));
        break;
    default:
        ctx.drawBevelBox(x + 3, t + 2, x + 5, b - 2);
        break;
    }
}

void DRAWBAND(PaintContext& ctx, const Band& band, const Rect& a)
{
    const long L = a.left, T = a.top, R = a.right, B = a.bottom;
    const bool tab = band.NTYPE == BAND_TAB, header = band.NTYPE == BAND_HEADER;
    const int style = effectiveStyle(ctx) == 3 ? 0 : effectiveStyle(ctx);
    switch (style) {
    case 2:
        if (tab) {
            ctx.drawGradient(L - 2, T + 1, R, B + 1, ctx.color(47), RGB(255, 255, 255), 1);
            ctx.drawLine(L - 2, B, R, B, ctx.color(38));
        } else if (header) {
            ctx.drawGradient(L, T + 2, R - 2, B - 1, ctx.color(35), ctx.color(36), 1);
            if (ctx.tb.USETHEMECOLORS && ctx.themesActive)
                ctx.drawBox(L, T + 2, R - 3, B - 2, ctx.color(38));
        } else if (band.NTYPE != BAND_MENU && !band.BFLAT) {
            const long w = band.BCUSTOMIZE ? 8 : 0;
            ctx.p.save();
            QRegion clip(int(L), int(T), int(R - L + 1), int(B - T + 1));
            clip -= QRegion(int(L), int(T), 2, 3);
            clip -= QRegion(int(L), int(B - 1), 2, 2);
            clip -= QRegion(int(R - 1), int(T), 2, 3);
            if (w)
                ctx.drawGradient(R - 8, T + 1, R, B, ctx.color(35), ctx.color(36), 1);
            clip -= QRegion(int(R - w - 1), int(T), 2, 3);
            ctx.p.setClipRegion(clip);
            ctx.drawGradient(L, T + 1, R - w, B, ctx.color(33), ctx.color(34), 1);
            ctx.p.restore();
            ctx.drawLine(L + 2, B, R - 2, B, ctx.color(38));
        }
        break;
    case 1:
        if (tab) {
            ctx.fillRect(L, T + 2, R, B, RGB(255, 251, 233));
            ctx.drawLine(L - 2, B, R, B, ctx.color(20));
        } else if (header) {
            ctx.fillRect(L + 2, T + 2, R - 2, B - 1, ctx.color(16));
            ctx.drawBox(L + 2, T + 2, R - 3, B - 2, ctx.color(20));
        }
        break;
    default:
        if (tab)
            ctx.drawLine(L - 2, B, R, B, ctx.color(2));
        else if (header)
            ctx.fillRect(L + 2, T + 2, R - 2, B - 1, ctx.color(2));
        else if (!band.BFLAT && band.NTYPE != BAND_MENU)
            ctx.drawBevelBox(L, T, R - 1, B - 1);
        break;
    }
    if (band.BGRIP && !tab && !header)
        DRAWGRIP(ctx, L, T, B, R);
}

void TAKEPAINTEVENT(PaintContext& ctx, const Rect& area)
{
    std::lock_guard<std::recursive_mutex> lock(ctx.tb.CRIT());
    DRAWBACKGROUND(ctx, area);
    for (Band& band : ctx.tb.BANDQ) {
        if (!band.shown())
            continue;
        DRAWBAND(ctx, band, band.RAREA);
        for (Item& item : band.CONTROLQ) {
            if (!item.BVISIBLE)
                continue;
            if (band.NTYPE == BAND_MENU && item.ID <= -1 && item.ID >= -3 && !ctx.tb.BMDIVISIBLE)
                continue;
            ctx.tb.SETCONTROLSTATE(band, item);
            if (item.PCONTROL)
                item.PCONTROL->DRAW(ctx, band, item, item.RAREA);
        }
    }
}

QImage renderToImage(Model& tb, const ColorTable& colors, int width, int height)
{
    const FontMeasurer measure(tb.FONTNAME, tb.FONTSIZE);
    CALCULATE(tb, {0, 0, width, height}, measure);
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(Qt::magenta);
    QPainter painter(&image);
    PaintContext ctx{painter, tb, colors, measure.font(), marlettFont(measure.font().pixelSize()), 96,
                     tb.themesActive()};
    TAKEPAINTEVENT(ctx, {0, 0, width, height});
    return image;
}

// ---------------------------------------------------------------- item painters

namespace {

COLORREF captionColour(const PaintContext& ctx, bool enabled)
{
    switch (ctx.style()) {
    case 2:
        return ctx.color(enabled ? 44 : 45);
    case 0:
        return ctx.color(enabled ? 4 : 5);
    default:
        return ctx.color(enabled ? 21 : 22);
    }
}

void gradientFace(PaintContext& ctx, const Rect& a, long from, long to, long frame)
{
    ctx.drawGradient(a.left, a.top, a.right, a.bottom, ctx.color(from), ctx.color(to), 1);
    ctx.drawBox(a.left, a.top, a.right - 1, a.bottom - 1, ctx.color(frame));
}

void sunken(PaintContext& ctx, const Rect& a) { ctx.drawBevelBox(a.left, a.top, a.right - 1, a.bottom - 1, ctx.color(1), ctx.color(2)); }
void raised(PaintContext& ctx, const Rect& a) { ctx.drawBevelBox(a.left, a.top, a.right - 1, a.bottom - 1); }

// The face of a plain button in its state.
void drawButtonFace(PaintContext& ctx, const Item& item, int s, const Rect& a)
{
    int style = ctx.style();
    if (style == 3) {
        const long state = (s == 1 || s == 5 || s == 6) ? 3 : s == 2 ? 2 : s == 3 ? 5 : s == 4 ? 6 : 0;
        if (s == 0 || drawThemed(ctx, "TOOLBAR", 1, state, {a.left, a.top - 1, a.right + 1, a.bottom + 1}))
            return;
        style = 0;
    }
    (void)item;
    switch (style) {
    case 1:
        if (s == 1 || s == 5)
            ctx.fillRect(a.left, a.top, a.right, a.bottom, ctx.color(18));
        else if (s == 2 || s == 4)
            ctx.fillRect(a.left, a.top, a.right, a.bottom, FADECOLOR(ctx.color(18), 5));
        else if (s == 3)
            ctx.fillRect(a.left, a.top, a.right, a.bottom, FADECOLOR(ctx.color(18), 15));
        if (s >= 1 && s <= 5)
            ctx.drawBox(a.left, a.top, a.right - 1, a.bottom - 1, ctx.color(19));
        if (s == 6) {
            ctx.fillRect(a.left, a.top, a.right, a.bottom, ctx.color(17));
            ctx.drawBox(a.left, a.top, a.right - 1, a.bottom - 1, ctx.color(26));
        }
        break;
    case 2:
        if (s == 1)
            gradientFace(ctx, a, 41, 40, 39);
        else if (s == 2 || s == 4)
            gradientFace(ctx, a, 42, 43, 39);
        else if (s == 3 || s == 5)
            gradientFace(ctx, a, 40, 41, 39);
        else if (s == 6)
            gradientFace(ctx, a, 33, 34, 49);
        break;
    default:
        if (s == 1 || s == 4 || s == 6)
            sunken(ctx, a);
        else if (s == 2 || s == 5)
            raised(ctx, a);
        else if (s == 3) {
            ctx.fillRect(a.left, a.top, a.right, a.bottom, ctx.color(3));
            sunken(ctx, a);
        }
        break;
    }
}

} // namespace

void ButtonClass::DRAW(PaintContext& ctx, const Band& band, const Item& item, const Rect& A) const
{
    const long p = ctx.tb.BTNPADDING;
    const long w = band.NICONWIDTH, h = band.NICONHEIGHT;
    Rect iconArea, textArea = A;
    bool centred = true;
    if (!item.SZICON.trimmed().isEmpty() && band.BSHOWICONS) {
        long x, y;
        if (band.BICONSABOVE) {
            x = A.width() / 2 + A.left - w / 2;
            y = A.top + p;
            textArea = {A.left + p, A.top + p + h, A.right - p, A.bottom};
        } else {
            x = A.left + p;
            y = A.height() / 2 + A.top - h / 2;
            textArea = {A.left + w + 2 * p, A.top, A.right, A.bottom};
            centred = false;
        }
        iconArea = {x, y, x + w, y + h};
    }
    QFont font = ctx.font;
    if (band.NTYPE == BAND_MENU && item.ID < 0) {
        textArea = {A.left + 3, A.top + 1, A.right + 20, A.bottom};
        centred = false;
        font = ctx.mdiFont;
    }
    drawFace(ctx, band, item, A, iconArea, textArea, font, captionColour(ctx, item.BENABLED), centred);
}

void ButtonClass::drawFace(PaintContext& ctx, const Band& band, const Item& item, const Rect& A, const Rect& iconArea,
                           const Rect& textArea, const QFont& font, COLORREF colour, bool centred) const
{
    const int s = item.NSTATE;
    if (band.NTYPE == BAND_TAB) {
        DRAWTAB(ctx, band, item, A);
        if (!iconArea.isEmpty())
            ctx.drawControlIcon(band, item, iconArea.left + 3, iconArea.top + 3);
        const Rect t{textArea.left, textArea.top + 3, textArea.right, textArea.bottom + 3};
        QFont f = font;
        if (s >= 3 && s <= 5)
            f = CREATEFONT(ctx.tb.FONTNAME, font.pixelSize(), 700);
        ctx.drawControlText(band, item, t, f, ctx.style() == 1 ? ctx.color(22) : colour, centred);
        return;
    }
    drawButtonFace(ctx, item, s, A);
    if (!iconArea.isEmpty())
        ctx.drawControlIcon(band, item, iconArea.left, iconArea.top);
    ctx.drawControlText(band, item, textArea, font, colour, centred);
}

void ButtonClass::DRAWTAB(PaintContext& ctx, const Band& band, const Item& item, const Rect& area) const
{
    const long L = area.left, T = area.top + 2, R = area.right, B = area.bottom;
    const int s = item.NSTATE;
    const bool active = s >= 3 && s <= 5;
    const bool first = !band.CONTROLQ.empty() && band.CONTROLQ.front().ID == item.ID;
    const bool slanted = active || first;
    const bool last = !band.CONTROLQ.empty() && band.CONTROLQ.back().ID == item.ID;
    int style = ctx.style() == 3 ? 0 : ctx.style();
    const COLORREF white = RGB(255, 255, 255);
    if (style == 2) {
        const bool theme = ctx.tb.USETHEMECOLORS && ctx.themesActive;
        COLORREF from = ctx.color(33), to = ctx.color(34);
        if (active) {
            from = theme ? white : ctx.color(42);
            to = theme ? ctx.color(42) : ctx.color(43);
        } else if (ctx.tb.NLASTHOVEREDID == item.ID) {
            from = theme ? white : ctx.color(40);
            to = theme ? ctx.color(40) : ctx.color(41);
        }
        ctx.p.save();
        if (slanted) {
            QPainterPath path;
            path.moveTo(double(L - 9), double(B + 2));
            path.lineTo(double(L), double(T + 2) - 0.5);
            path.lineTo(double(R + 1), double(T + 2) - 0.5);
            path.lineTo(double(R + 1), double(B + 2));
            path.closeSubpath();
            ctx.p.setClipPath(path);
        }
        ctx.drawGradient(slanted ? L - 9 : L, T + 2, R + 1, B + 2, from, to, 1);
        ctx.p.restore();
        const COLORREF line = ctx.color(38);
        ctx.drawLine(L, T + 2, L + 6, T, line);
        ctx.drawLine(L + 6, T, R - 2, T, line);
        ctx.drawLine(R - 2, T, R, T + 2, line);
        ctx.drawLine(R, T + 2, R, B + 1, line);
        if (slanted) {
            ctx.drawLine(L - 9, B + 1, L, T + 2, line);
            if (active)
                ctx.drawLine(L - 8, B + 1, R - 1, B + 1, to);
        }
        ctx.drawLine(L + 6, T + 1, R - 2, T + 1, white);
        ctx.drawLine(R - 1, T + 2, R - 1, B, white);
    } else if (style == 1) {
        if (active) {
            ctx.fillRect(L, T, R, B + 3, ctx.color(17));
            ctx.drawLine(L, T, L, B + 2, ctx.color(15));
            ctx.drawLine(L, T, R - 1, T, ctx.color(15));
            ctx.drawLine(R - 1, T, R - 1, B + 2, ctx.color(16));
        } else if (!last) {
            ctx.drawLine(R - 1, T + 3, R - 1, B - 1, ctx.color(16));
        }
    } else {
        const long l = active ? L - 2 : L, r = active ? R + 1 : R, t = active ? T - 1 : T + 1, b = active ? B + 2 : B + 1;
        if (slanted)
            ctx.drawLine(l, t, l, b, ctx.color(1));
        ctx.drawLine(l, t, r - 1, t, ctx.color(1));
        ctx.drawLine(r - 1, t, r - 1, b, ctx.color(2));
        ctx.drawLine(r, t + 1, r, b, RGB(0, 0, 0));
        if (active)
            ctx.drawLine(l + 1, b, r - 2, b, ctx.color(7));
        else if (!last)
            ctx.drawLine(r + 1, t + 1, r + 1, b, ctx.color(1));
    }
}

void ProcessButtonClass::drawFace(PaintContext& ctx, const Band& band, const Item& item, const Rect& A,
                                  const Rect& iconArea, const Rect& textArea, const QFont& font, COLORREF colour,
                                  bool centred) const
{
    const long L = A.left, T = A.top, R = A.right, B = A.bottom;
    const long e = A.height() / 2;
    const int s = item.NSTATE;
    QPolygon shape;
    shape << QPoint(int(L), int(T)) << QPoint(int(R - e - 1), int(T)) << QPoint(int(R - 1), int(T + e))
          << QPoint(int(R - e - 1), int(B)) << QPoint(int(L), int(B));
    ctx.p.save();
    ctx.p.setClipRegion(QRegion(shape));
    int style = ctx.style() == 3 ? 0 : ctx.style();
    if (style == 2) {
        long from = 33, to = 34;
        if (s == 1 || s == 3) {
            from = 40;
            to = 41;
        } else if (s == 2 || s == 4) {
            from = 42;
            to = 43;
        } else if (s == 5) {
            from = 41;
            to = 40;
        }
        ctx.drawGradient(L + 1, T + 1, R, B, ctx.color(from), ctx.color(to), 0);
    } else if (style == 1) {
        COLORREF fill = ctx.color(17);
        if (s == 2)
            fill = RGB(255, 251, 233);
        else if (s == 3 || s == 5)
            fill = ctx.color(18);
        else if (s == 4)
            fill = FADECOLOR(ctx.color(18), 5);
        ctx.fillRect(L + 1, T + 1, R, B, fill);
    }
    ctx.p.restore();
    COLORREF top = ctx.color(1), bottom = ctx.color(2);
    if (style == 2)
        top = bottom = ctx.color(39);
    else if (style == 1) {
        top = (s >= 3 && s <= 5) ? ctx.color(19) : ctx.color(16);
        bottom = (s >= 3 && s <= 5) ? ctx.color(19) : ctx.color(20);
    } else if (s == 1 || s == 3 || s == 5)
        std::swap(top, bottom);
    ctx.drawLine(L + (style == 2 ? 2 : 0), T, R - e - 1, T, top);
    ctx.drawLine(L, T + (style == 2 ? 2 : 0), L, B - 1 - (style == 2 ? 2 : 0), top);
    ctx.drawLine(R - e - 1, T, R - 1, T + e, top);
    ctx.drawLine(L + (style == 2 ? 2 : 0), B - 1, R - e - 1, B - 1, bottom);
    ctx.drawLine(R - e - 1, B - 1, R - 1, T + e, bottom);
    if (style == 2) {
        ctx.drawLine(L, T + 2, L + 2, T, top);
        ctx.drawLine(L, B - 3, L + 2, B - 1, bottom);
    }
    if (!iconArea.isEmpty())
        ctx.drawControlIcon(band, item, iconArea.left, iconArea.top);
    ctx.drawControlText(band, item, {textArea.left, textArea.top, textArea.right - e / 2, textArea.bottom}, font,
                        colour, centred);
}

void DropButtonClass::drawFace(PaintContext& ctx, const Band& band, const Item& item, const Rect& A,
                               const Rect& iconArea, const Rect& textArea, const QFont& font, COLORREF colour,
                               bool centred) const
{
    int s = item.NSTATE;
    Rect face = A, arrow;
    bool arrowPressed = false, arrowHot = false;
    if (BSPLIT) {
        face.right -= 11;
        arrow = {face.right, A.top, A.right, A.bottom};
        if (BHASOPENMENU || (s == 1 && BDROPPED)) {
            s = 2;
            arrowPressed = true;
        } else if (s == 2 || s == 1) {
            arrowHot = true;
        }
    } else if (BHASOPENMENU) {
        s = 1;
    }
    int style = ctx.style() == 3 ? 0 : ctx.style();
    if (style == 0)
        face.right -= 1;
    drawButtonFace(ctx, item, style == ctx.style() ? s : s, face);
    if (BSPLIT) {
        if (arrowPressed) {
            if (style == 2)
                gradientFace(ctx, arrow, 41, 40, 39);
            else if (style == 1) {
                ctx.fillRect(arrow.left - 1, arrow.top, arrow.right, arrow.bottom, ctx.color(18));
                ctx.drawBox(arrow.left - 1, arrow.top, arrow.right - 1, arrow.bottom - 1, ctx.color(19));
            } else
                sunken(ctx, arrow);
        } else if (arrowHot) {
            if (style == 2)
                ctx.drawBox(arrow.left, arrow.top, arrow.right - 1, arrow.bottom - 1, ctx.color(39));
            else if (style == 1)
                ctx.drawBox(arrow.left - 1, arrow.top, arrow.right - 1, arrow.bottom - 1, ctx.color(19));
            else
                raised(ctx, arrow);
        }
    }
    if (!iconArea.isEmpty())
        ctx.drawControlIcon(band, item, iconArea.left, iconArea.top);
    ctx.drawControlText(band, item, {textArea.left, textArea.top, textArea.right - 11, textArea.bottom}, font, colour,
                        centred);
    ctx.drawText(QStringLiteral("6"), {A.right - 11, A.top, A.right, A.bottom}, false, colour, ctx.mdiFont);
}

void TextClass::DRAW(PaintContext& ctx, const Band& band, const Item& item, const Rect& area) const
{
    const long p = ctx.tb.BTNPADDING;
    Rect a{area.left + p, area.top, area.right - p, area.bottom};
    if (!item.SZICON.trimmed().isEmpty() && band.BSHOWICONS) {
        // The icon is always drawn in its normal image.
        Item copy;
        copy.SZICON = item.SZICON;
        copy.BENABLED = true;
        Item& it = const_cast<Item&>(item);
        if (it.HICON.isNull() && !it.iconFailed) {
            it.HICON = LOADICON(it.SZICON, int(band.NICONWIDTH), int(band.NICONHEIGHT), ctx.tb.APPNAME);
            it.iconFailed = it.HICON.isNull();
        }
        if (!it.HICON.isNull())
            ctx.p.drawImage(QPoint(int(a.left + p - 2), int(a.top + (a.height() - band.NICONHEIGHT) / 2)), it.HICON);
        a.left += band.NICONWIDTH + 2 * p;
    }
    ctx.drawText(item.SZCAPTION, a, false, CFONTCOLOR, font(ctx.dpiY));
}

void SeparatorClass::DRAW(PaintContext& ctx, const Band&, const Item&, const Rect& a) const
{
    const long x = a.left + a.width() / 2;
    switch (ctx.style() == 3 ? 0 : ctx.style()) {
    case 2:
        ctx.drawLine(x, a.top + 2, x, a.bottom - 3, ctx.color(37));
        ctx.drawLine(x + 1, a.top + 3, x + 1, a.bottom - 2, ctx.color(31));
        break;
    case 1:
        ctx.drawLine(x, a.top, x, a.bottom, ctx.color(16));
        break;
    default:
        ctx.drawLine(x, a.top, x, a.bottom - 1, ctx.color(2));
        ctx.drawLine(x + 1, a.top, x + 1, a.bottom - 1, ctx.color(1));
        break;
    }
}

} // namespace ptb
