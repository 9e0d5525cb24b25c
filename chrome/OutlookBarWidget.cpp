#include "chrome/OutlookBarWidget.h"
#include "chrome/ScrollCodes.h"

#include <QAbstractButton>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

using namespace pob;

namespace {

QColor colour(pxp::COLORREF c) { return QColor(pxp::redOf(c), pxp::greenOf(c), pxp::blueOf(c)); }

} // namespace

OutlookBarWidget::OutlookBarWidget(POOUTLOOKBARCLASS& bar, QWidget* parent)
    : QWidget(parent), m_bar(bar), m_scroll(new QScrollBar(Qt::Vertical, this))
{
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_scroll->hide();
    connect(m_scroll, &QAbstractSlider::actionTriggered, this, [this](int action) { scrollAction(action); });
    m_bar.setHost(this);
}

OutlookBarWidget::~OutlookBarWidget()
{
    if (m_bar.host() == this)
        m_bar.setHost(nullptr);
}

void OutlookBarWidget::postAccepted(long control)
{
    const auto it = m_mimics.find(control);
    QAbstractButton* b = it != m_mimics.end() ? it->second.data() : buttonOf(control);
    if (b) // after the click in hand, as a posted event would be
        QMetaObject::invokeMethod(b, "click", Qt::QueuedConnection);
}

void OutlookBarWidget::refresh()
{
    relayout();
    update();
}

void OutlookBarWidget::attachMimic(long control)
{
    QAbstractButton* b = buttonOf(control);
    if (!b || m_mimics.count(control))
        return;
    m_mimics[control] = b;
    b->installEventFilter(this);
    refresh();
}

bool OutlookBarWidget::eventFilter(QObject* watched, QEvent* e)
{
    if (e->type() == QEvent::EnabledChange || e->type() == QEvent::DynamicPropertyChange)
        if (qobject_cast<QAbstractButton*>(watched))
            QMetaObject::invokeMethod(this, &OutlookBarWidget::refresh, Qt::QueuedConnection);
    return false;
}

void OutlookBarWidget::relayout()
{
    if (m_laying)
        return;
    m_laying = true;
    for (const HEADERQ& h : m_bar.headers())
        for (const TASKQ& t : h.TASKQUEUE)
            if (t.MIMICBUTTON && !m_mimics.count(t.LEFTACTIONFEQ))
                attachMimic(t.LEFTACTIONFEQ);
    for (const auto& [control, button] : m_mimics)
        if (button)
            m_bar.CHECKMIMICS(control, button->isEnabled(), button->property("iconName").toString());
    m_layout = layoutBar(m_bar, size());
    if (m_layout.scroll) {
        m_bar.SCROLLACTIVE = true;
        m_scroll->setGeometry(m_layout.scrollRect);
        m_scroll->setRange(1, std::max(1, m_layout.total - m_layout.visible + 1));
        m_scroll->setPageStep(std::max(1, m_layout.visible));
        m_scroll->setValue(m_bar.SCROLLPOS);
        m_scroll->show();
    } else {
        m_scroll->hide();
    }
    m_laying = false;
}

void OutlookBarWidget::scrollAction(int action)
{
    const int code = chrome::scrollCode(action);
    if (code < 0)
        return;
    m_bar.TAKESCROLLEVENT(code, std::max(1, m_layout.visible), m_layout.total, m_scroll->sliderPosition());
    m_scroll->setSliderPosition(m_bar.SCROLLPOS);
}

void OutlookBarWidget::resizeEvent(QResizeEvent*)
{
    m_bar.SCROLLACTIVE = false;
    relayout();
}

void OutlookBarWidget::mouseMoveEvent(QMouseEvent* e)
{
    const bool hot = m_bar.TAKEMOUSEMOVEEVENT(e->position().toPoint().x(), e->position().toPoint().y());
    setCursor(hot ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

void OutlookBarWidget::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton)
        return;
    m_bar.SCROLLACTIVE = false;
    m_bar.TAKEMOUSEBUTTONEVENT(1, e->position().toPoint().x(), e->position().toPoint().y());
}

void OutlookBarWidget::leaveEvent(QEvent*)
{
    setCursor(Qt::ArrowCursor);
    m_bar.TAKELEAVEEVENT();
}

// ---- painting -----------------------------------------------------------------------------------

void OutlookBarWidget::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const int W = width(), H = height();
    if (m_bar.OUTERBORDER && m_bar.INNERBORDER)
        p.fillRect(rect(), colour(m_bar.CBORDERS.BACKGROUND));
    QRect inner = m_layout.inner;
    if (m_bar.INNERBORDER)
        inner.adjust(-1, -1, 1, 1);
    if (m_bar.STYLE == 1 && m_bar.USEGRADIENT) {
        QLinearGradient g(inner.topLeft(), inner.bottomLeft());
        g.setColorAt(0, colour(m_bar.CPANEL.GRADIENTTO));
        g.setColorAt(1, colour(m_bar.CPANEL.GRADIENTFROM));
        p.fillRect(inner, g);
    } else {
        p.fillRect(inner, colour(m_bar.CPANEL.BACKGROUND));
    }
    if (m_bar.OUTERBORDER) {
        p.setPen(colour(m_bar.CBORDERS.GRADIENTFROM));
        p.drawLine(0, 0, W - 1, 0);
        p.drawLine(0, 0, 0, H - 1);
        p.setPen(colour(m_bar.CBORDERS.GRADIENTTO));
        p.drawLine(0, H - 1, W - 1, H - 1);
        p.drawLine(W - 1, 0, W - 1, H - 1);
    }
    if (m_bar.INNERBORDER) {
        const QRect i = inner;
        p.setPen(colour(m_bar.CBORDERS.GRADIENTTO));
        p.drawLine(i.left(), i.top(), i.right(), i.top());
        p.drawLine(i.left(), i.top(), i.left(), i.bottom());
        p.setPen(colour(m_bar.CBORDERS.GRADIENTFROM));
        p.drawLine(i.left(), i.bottom(), i.right(), i.bottom());
        p.drawLine(i.right(), i.top(), i.right(), i.bottom());
    }
    p.setClipRect(m_layout.inner);
    for (const BarLayout::Row& row : m_layout.rows)
        if (const HEADERQ* h = m_bar.header(row.header))
            if (const TASKQ* t = m_bar.task(row.header, row.task))
                drawTask(p, *h, *t, row);
    for (const BarLayout::Band& band : m_layout.bands)
        if (const HEADERQ* h = m_bar.header(band.header))
            drawHeader(p, *h, band);
}

void OutlookBarWidget::drawHeader(QPainter& p, const HEADERQ& h, const BarLayout::Band& band)
{
    const QRect b = band.rect;
    const int L = b.left(), T = b.top(), R = b.right() + 1, B = b.bottom() + 1;
    QRect title = b.adjusted(5, 0, -5, 0);
    QFont font(m_bar.FONTNAME);
    font.setPixelSize(m_bar.FONTSIZE);
    font.setBold(true);
    if (m_bar.STYLE == 1) {
        const COLORS& g = h.ISHOVERED ? m_bar.CHEADERSHOVERED : m_bar.CHEADERS;
        QLinearGradient grad(b.topLeft(), b.bottomLeft());
        grad.setColorAt(0, colour(g.GRADIENTFROM));
        grad.setColorAt(1, colour(g.GRADIENTTO));
        p.fillRect(b, grad);
        p.setPen(colour(g.BORDER));
        p.drawLine(L, T, R - 1, T);
        p.drawLine(L, T, L, B - 1);
        p.drawLine(R - 1, T, R - 1, B - 1);
        p.drawLine(L, B - 1, R - 1, B - 1);
        if (!h.ICONNAME.isEmpty()) {
            if (m_icons)
                m_icons->iconOf(POOUTLOOKBARCLASS::GETICONNAME(h.ICONNAME)).paint(&p, QRect(L + 3, T + (B - T) / 2 - 8, 16, 16));
            title.setLeft(title.left() + 20);
        }
    } else {
        p.fillRect(b, colour(m_bar.CHEADERS.BACKGROUND));
        p.setPen(colour(m_bar.CHEADERBORDERS.GRADIENTFROM));
        p.drawLine(L, T, R - 1, T);
        p.drawLine(L, T, L, B - 1);
        p.setPen(colour(m_bar.CHEADERBORDERS.GRADIENTTO));
        p.drawLine(L + 1, B - 2, R - 2, B - 2);
        p.drawLine(R - 2, T + 1, R - 2, B - 2);
        p.setPen(colour(m_bar.CHEADERBORDERS.BACKGROUND));
        p.drawLine(L, B - 1, R - 1, B - 1);
        p.drawLine(R - 1, T, R - 1, B - 1);
        if (h.ISHOVERED) {
            const int g = h.ISEXPANDED || band.last ? B - 1 : B - 2;
            p.setPen(colour(m_bar.CHEADERBORDERS.TEXT));
            p.drawLine(L + 1, g, R - 2, g);
            p.drawLine(R - 1, T + 1, R - 1, B - 1);
        }
    }
    p.setFont(font);
    p.setPen(colour(m_bar.CHEADERS.TEXT));
    const QString text = QFontMetrics(font).elidedText(h.TITLE, Qt::ElideRight, std::max(0, title.width()));
    if (m_bar.STYLE == 1 || m_bar.ALIGNWITHWIDESTHDR) {
        if (m_bar.STYLE != 1) {
            // Every title starts where the widest one, centred, would.
            int widest = 0;
            for (const HEADERQ& other : m_bar.headers())
                widest = std::max(widest, QFontMetrics(font).horizontalAdvance(other.TITLE));
            title.setLeft(std::max(m_layout.inner.left(), m_layout.inner.width() / 2 - widest / 2));
        }
        p.drawText(title, Qt::AlignLeft | Qt::AlignVCenter, text);
    } else {
        p.drawText(title, Qt::AlignHCenter | Qt::AlignVCenter, text);
    }
}

void OutlookBarWidget::drawTask(QPainter& p, const HEADERQ& h, const TASKQ& t, const BarLayout::Row& row)
{
    if (t.ISHOVERED) {
        const QRect box = row.highlight;
        p.fillRect(box.adjusted(1, 1, -1, -1), colour(m_bar.CTASKS.BACKGROUND));
        p.setPen(colour(m_bar.CTASKS.GRADIENTFROM));
        p.drawRect(box.adjusted(0, 0, -1, -1));
    }
    if (!t.ICONNAME.isEmpty() && m_icons) {
        const bool own = !t.ISENABLED && !t.DISABLEDICONNAME.isEmpty();
        const QIcon icon = m_icons->iconOf(POOUTLOOKBARCLASS::GETICONNAME(own ? t.DISABLEDICONNAME : t.ICONNAME));
        // A disabled task without its own icon shows the normal one greyed.
        const QIcon::Mode mode = !t.ISENABLED && !own ? QIcon::Disabled : QIcon::Normal;
        p.drawPixmap(row.icon.topLeft(), icon.pixmap(row.icon.size(), mode));
    }
    QFont font(m_bar.FONTNAME);
    font.setPixelSize(13);
    font.setBold(t.ISBOLD);
    p.setFont(font);
    p.setPen(colour(t.ISHOVERED ? m_bar.CTASKS.HOVEREDTEXT : !t.ISENABLED ? m_bar.CTASKS.DISABLEDTEXT : m_bar.CTASKS.TEXT));
    const Qt::Alignment align = h.ALIGNMENT == 1 ? Qt::AlignLeft : Qt::AlignHCenter;
    p.drawText(row.caption, int(align | Qt::AlignVCenter),
               QFontMetrics(font).elidedText(t.TITLE, Qt::ElideRight, std::max(0, row.caption.width())));
}
