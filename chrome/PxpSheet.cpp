#include "chrome/PxpSheet.h"
#include "chrome/PxpRadio.h"

#include <QCoreApplication>
#include <QEvent>
#include <QResizeEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOption>
#include <QTabBar>
#include <QTabWidget>

using namespace pxp;

namespace pxp {

// The strip the sheet painter draws its tabs on, over the top of the sheet.
class SheetStripWidget : public QWidget {
public:
    SheetStripWidget(PXPSHEETCLASS* painter, QWidget* sheet) : QWidget(sheet), m_painter(painter)
    {
        setMouseTracking(true);
        setFocusPolicy(Qt::StrongFocus);
        setAttribute(Qt::WA_Hover);
    }

protected:
    bool event(QEvent* event) override
    {
        // Tab and Shift+Tab select the sheet's next and previous tab; the key then moves the
        // focus on as usual, so it never stays caught on the strip.
        if (event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            const bool back = key->key() == Qt::Key_Backtab
                              || (key->key() == Qt::Key_Tab && (key->modifiers() & Qt::ShiftModifier));
            if ((key->key() == Qt::Key_Tab || back) && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
                const long next = back ? m_painter->SELECTPREVTAB() : m_painter->SELECTNEXTTAB();
                if (next && next != m_painter->ACTIVETAB())
                    m_painter->SELECTTAB(next);
            }
        }
        return QWidget::event(event);
    }
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        m_painter->paintStrip(p, rect());
    }
    void mouseMoveEvent(QMouseEvent* e) override { m_painter->TAKEMOUSEMOVE(e->position().toPoint()); }
    void mousePressEvent(QMouseEvent* e) override
    {
        if (e->button() == Qt::LeftButton)
            m_painter->TAKELEFTMOUSE(e->position().toPoint());
    }
    void leaveEvent(QEvent*) override { m_painter->leaveStrip(); }

private:
    PXPSHEETCLASS* m_painter;
};

} // namespace pxp

namespace {
QColor qcolor(COLORREF c) { return QColor(redOf(c), greenOf(c), blueOf(c)); }

// The tab's text as the strip shows it: no mnemonic marks.
QString shownText(QString text)
{
    text.replace(QLatin1String("&&"), QString(QChar(1)));
    text.remove(u'&');
    text.replace(QChar(1), u'&');
    return text;
}
} // namespace

PXPSHEETCLASS::PXPSHEETCLASS(QObject* parent) : PXPCONTROLCLASS(parent) {}

PXPSHEETCLASS::~PXPSHEETCLASS() { PXPSHEETCLASS::KILL(); }

QTabWidget* PXPSHEETCLASS::sheet() const { return qobject_cast<QTabWidget*>(control()); }

bool PXPSHEETCLASS::INIT(QWidget* control)
{
    auto* tabs = qobject_cast<QTabWidget*>(control);
    // The sheet's own strip goes only once the theme has everything the painted one needs,
    // so a sheet never ends up without tabs.
    if (!tabs || !openExtraTheme(QStringLiteral("Scrollbar")))
        return false;
    if (!PXPCONTROLCLASS::INIT(control, QStringLiteral("Tab")))
        return false;
    m_barWasHidden = tabs->tabBar()->isHidden();
    m_oldFocusProxy = tabs->focusProxy();
    m_strip = new SheetStripWidget(this, tabs);
    tabs->tabBar()->hide();
    tabs->setFocusProxy(m_strip);
    placeStrip();
    m_strip->setVisible(!m_wizard);
    connect(tabs, &QTabWidget::currentChanged, this, [this] {
        UPDATESTATESHEET();
        REFRESH();
        if (m_strip)
            m_strip->update();
    });
    UPDATESTATESHEET();
    return true;
}

void PXPSHEETCLASS::KILL()
{
    if (QTabWidget* tabs = sheet()) {
        disconnect(tabs, &QTabWidget::currentChanged, this, nullptr);
        tabs->setFocusProxy(m_oldFocusProxy);
        tabs->tabBar()->setHidden(m_barWasHidden);
    }
    delete m_strip;
    m_strip = nullptr;
    PXPCONTROLCLASS::KILL();
}

QWidget* PXPSHEETCLASS::stripWidget() const { return m_strip; }

void PXPSHEETCLASS::placeStrip()
{
    if (QTabWidget* tabs = sheet(); tabs && m_strip) {
        m_strip->setGeometry(0, 0, tabs->width(), int(LTABHEIGHT) + 2);
        m_strip->raise();
    }
}

long PXPSHEETCLASS::ACTIVETAB() const
{
    const QTabWidget* tabs = sheet();
    return tabs ? tabs->currentIndex() + 1 : 0;
}

std::vector<SheetTab> PXPSHEETCLASS::tabs() const
{
    std::vector<SheetTab> out;
    if (const QTabWidget* t = sheet())
        for (int i = 0; i < t->count(); ++i) {
            const QString text = shownText(t->tabText(i)).trimmed();
            out.push_back({t->isTabVisible(i), t->isTabEnabled(i), tabWidth(textWidth(text), text.isEmpty())});
        }
    return out;
}

long PXPSHEETCLASS::textWidth(const QString& text) const
{
    const QTabWidget* t = sheet();
    return t ? t->fontMetrics().horizontalAdvance(text) : 0;
}

long PXPSHEETCLASS::SELECTNEXTTAB() const { return selectNextTab(tabs(), ACTIVETAB()); }
long PXPSHEETCLASS::SELECTPREVTAB() const { return selectPrevTab(tabs(), ACTIVETAB()); }

bool PXPSHEETCLASS::SELECTTAB(long n)
{
    QTabWidget* t = sheet();
    if (!t || n < 1 || n > t->count() || !t->isTabVisible(int(n - 1)) || !t->isTabEnabled(int(n - 1)))
        return false;
    t->setCurrentIndex(int(n - 1));
    if (m_strip)
        m_strip->update();
    return true;
}

bool PXPSHEETCLASS::UPDATESTATESHEET()
{
    QTabWidget* t = sheet();
    if (!t)
        return false;
    const long selected = ACTIVETAB();
    const long replacement = replaceDisabledSelection(tabs(), selected);
    if (replacement != selected && replacement >= 1)
        t->setCurrentIndex(int(replacement - 1));
    return UPDATESTATES();
}

SheetStrip PXPSHEETCLASS::strip() const
{
    const QTabWidget* t = sheet();
    return layoutSheetStrip(tabs(), t ? t->width() : 0, SCROLLPOS, ACTIVETAB(), ARROWS, m_hoveredArrow);
}

void PXPSHEETCLASS::SETWIZARD(bool on)
{
    m_wizard = on;
    if (m_strip)
        m_strip->setVisible(!on);
    if (QTabWidget* t = sheet()) {
        // The pane's place changes with the strip: the sheet lays its pages out again.
        QResizeEvent resize(t->size(), t->size());
        QCoreApplication::sendEvent(t, &resize);
        t->update();
    }
}

void PXPSHEETCLASS::SETDRAWBACKGROUND(bool on)
{
    DRAWBACKGROUND = on;
    // Each radio painter goes back to its own control's look.
    for (const QPointer<PXPRADIOCLASS>& radio : std::as_const(m_radios))
        if (radio)
            radio->SETDONOTTHEME();
}

void PXPSHEETCLASS::ADDRADIO(PXPRADIOCLASS* radio)
{
    if (radio)
        m_radios.append(radio);
}

bool PXPSHEETCLASS::stylePrimitive(QStyle::PrimitiveElement element, const QStyleOption* option, QPainter* p,
                                   const QWidget* widget, const QStyle*)
{
    if (element != QStyle::PE_FrameTabWidget || widget != control())
        return false;
    drawPart(HTHEME(), *p, TABP_PANE, 0, option->rect);
    return true;
}

QRect PXPSHEETCLASS::styleSubElementRect(QStyle::SubElement element, const QStyleOption* option,
                                         const QWidget* widget) const
{
    if (widget != control())
        return {};
    const int top = m_wizard ? 0 : int(LTABHEIGHT);
    const QRect pane = option->rect.adjusted(0, top, 0, 0);
    switch (element) {
    case QStyle::SE_TabWidgetTabPane: return pane;
    case QStyle::SE_TabWidgetTabContents: return pane.adjusted(2, 2, -3, -3);
    default: return {};
    }
}

void PXPSHEETCLASS::paintStrip(QPainter& p, const QRect& rect)
{
    QTabWidget* t = sheet();
    if (!t || m_wizard)
        return;
    if (m_strip && m_strip->width() != t->width())
        placeStrip();
    p.fillRect(rect, t->palette().color(QPalette::Window));
    const SheetStrip s = strip();
    SCROLLPOS = s.scrollPosition;
    const QColor textColour = t->palette().color(QPalette::WindowText);
    for (size_t i = 0; i < s.tabRects.size(); ++i) {
        const QRect r = s.tabRects[i];
        if (r.isNull())
            continue;
        const long n = long(i) + 1;
        const bool enabled = t->isTabEnabled(int(i));
        const long state = !enabled ? 4 : n == HOVEREDTAB ? 2 : 0;
        const bool selected = n == ACTIVETAB() && !s.selectedRect.isNull();
        const QRect shape = selected ? s.selectedRect : r;
        drawPart(HTHEME(), p, selected ? s.selectedPart : TABP_TAB, selected ? 3 : state, shape);
        p.setPen(enabled ? textColour : qcolor(rgb(128, 128, 128)));
        const QRect text = shape.adjusted(-2, 0, 0, 2);
        p.drawText(text, Qt::AlignCenter | Qt::TextSingleLine,
                   p.fontMetrics().elidedText(shownText(t->tabText(int(i))), Qt::ElideRight, text.width()));
    }
    if (ARROWS != ARROWS_NONE && s.scrolling) {
        drawPart(extraTheme(0), p, SBP_ARROWBTN, s.leftArrowState, s.leftArrow);
        drawPart(extraTheme(0), p, SBP_ARROWBTN, s.rightArrowState, s.rightArrow);
    }
}

void PXPSHEETCLASS::TAKEMOUSEMOVE(const QPoint& pos)
{
    const SheetStrip s = strip();
    long arrow = 0, hovered = 0;
    if (ARROWS != ARROWS_NONE && s.scrolling && s.leftArrow.contains(pos))
        arrow = 1;
    else if (ARROWS != ARROWS_NONE && s.scrolling && s.rightArrow.contains(pos))
        arrow = 2;
    else
        for (size_t i = 0; i < s.tabRects.size(); ++i)
            if (!s.tabRects[i].isNull() && s.tabRects[i].contains(pos)) {
                hovered = long(i) + 1;
                break;
            }
    if (arrow != m_hoveredArrow || hovered != HOVEREDTAB) {
        m_hoveredArrow = arrow;
        HOVEREDTAB = hovered;
        if (m_strip)
            m_strip->update();
    }
}

void PXPSHEETCLASS::TAKELEFTMOUSE(const QPoint& pos)
{
    const SheetStrip s = strip();
    const std::vector<SheetTab> all = tabs();
    const bool arrows = ARROWS != ARROWS_NONE && s.scrolling;
    if (arrows && s.leftArrow.contains(pos)) {
        if (SCROLLPOS > 1)
            --SCROLLPOS;
        if (const long prev = selectPrevTab(all, ACTIVETAB()); prev && prev < ACTIVETAB())
            SELECTTAB(prev);
    } else if (arrows && s.rightArrow.contains(pos)) {
        if (s.numVisible - s.numMaxVisible - 1 >= SCROLLPOS)
            ++SCROLLPOS;
        if (const long next = selectNextTab(all, ACTIVETAB()); next > ACTIVETAB())
            SELECTTAB(next);
    } else {
        for (size_t i = 0; i < s.tabRects.size(); ++i)
            if (!s.tabRects[i].isNull() && s.tabRects[i].contains(pos) && long(i) + 1 != ACTIVETAB()) {
                SELECTTAB(long(i) + 1);
                break;
            }
    }
    TAKEMOUSEMOVE(pos);
    if (m_strip)
        m_strip->update();
}

void PXPSHEETCLASS::leaveStrip()
{
    m_hoveredArrow = 0;
    HOVEREDTAB = 0;
    if (m_strip)
        m_strip->update();
}

bool PXPSHEETCLASS::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == control() && event->type() == QEvent::Resize)
        placeStrip();
    return PXPCONTROLCLASS::eventFilter(watched, event);
}
