#include "chrome/TaskPanelView.h"
#include "chrome/ScrollCodes.h"

#include <QAbstractButton>
#include <QApplication>
#include <QHelpEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QToolTip>

using namespace ptp;

namespace {

QColor colour(COLORREF c)
{
    const unsigned long v = resolveColour((unsigned long)c);
    return QColor(pxp::redOf(v), pxp::greenOf(v), pxp::blueOf(v));
}

const QColor White(255, 255, 255);

} // namespace

TaskPanelView::TaskPanelView(POTASKPANELCLASS& panel, QWidget* parent) : QAbstractScrollArea(parent), m_panel(panel)
{
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    // Every step of the bar goes through the panel's own scrolling rules.
    connect(verticalScrollBar(), &QAbstractSlider::actionTriggered, this, [this](int action) { scrollAction(action); });
    connect(verticalScrollBar(), &QAbstractSlider::valueChanged, this, [this](int v) {
        if (v != m_panel.SCROLLPOS) {
            m_panel.SCROLLPOS = v;
            viewport()->update();
        }
    });
    m_panel.INIT(this);
}

TaskPanelView::~TaskPanelView()
{
    if (!m_panelGone)
        m_panel.KILL();
}

QFont TaskPanelView::headerFont() const
{
    QFont f(m_panel.FONTNAME);
    f.setPixelSize(15);
    f.setWeight(QFont::Bold);
    return f;
}

QFont TaskPanelView::taskFont(bool bold, bool hovered) const
{
    QFont f(m_panel.FONTNAME);
    f.setPixelSize(15);
    // The light weight asked for falls back to the face's regular one, as it does with Tahoma.
    f.setWeight(bold ? QFont::Bold : QFont::Normal);
    f.setUnderline(hovered);
    return f;
}

QIcon TaskPanelView::icon(const QString& name) const
{
    if (name.trimmed().isEmpty() || !m_icons)
        return {};
    return m_icons->iconOf(name.trimmed());
}

QAbstractButton* TaskPanelView::buttonOf(long control) const
{
    return m_buttons ? m_buttons->buttonOf(control) : nullptr;
}

// ---- the model's calls ------------------------------------------------------------------------

void TaskPanelView::refresh()
{
    relayout();
    viewport()->update();
}

void TaskPanelView::attachMimic(long control)
{
    QAbstractButton* b = buttonOf(control);
    if (!b || m_mimics.count(control))
        return;
    m_mimics[control] = b;
    b->installEventFilter(this);
}

void TaskPanelView::detachMimic(long control)
{
    const auto it = m_mimics.find(control);
    if (it == m_mimics.end())
        return;
    if (it->second)
        it->second->removeEventFilter(this);
    m_mimics.erase(it);
}

void TaskPanelView::postAccepted(long control)
{
    const auto it = m_mimics.find(control);
    QAbstractButton* b = it != m_mimics.end() ? it->second.data() : buttonOf(control);
    // After the click in hand is done, as a posted event would be.
    if (b)
        QMetaObject::invokeMethod(b, "click", Qt::QueuedConnection);
}

bool TaskPanelView::eventFilter(QObject* watched, QEvent* e)
{
    switch (e->type()) {
    case QEvent::EnabledChange:
    case QEvent::Show:
    case QEvent::Hide:
    case QEvent::DynamicPropertyChange:
    case QEvent::FontChange:
        if (qobject_cast<QAbstractButton*>(watched))
            QMetaObject::invokeMethod(this, &TaskPanelView::refresh, Qt::QueuedConnection);
        break;
    default:
        break;
    }
    return false;
}

void TaskPanelView::readMimics()
{
    for (const auto& [control, button] : m_mimics)
        if (button)
            m_panel.CHECKMIMICS(control, button->text(), button->property("iconName").toString(), !button->isHidden());
}

// ---- layout and scrolling ------------------------------------------------------------------------

void TaskPanelView::relayout()
{
    if (m_panelGone)
        return;
    if (m_laying)
        return;
    m_laying = true;
    readMimics();
    const auto measure = [this](const QString& title, bool bold, int width, bool wrap) {
        const QFontMetrics fm(taskFont(bold, false));
        if (!wrap || width <= 0)
            return fm.height();
        return fm.boundingRect(QRect(0, 0, width, 0), Qt::TextWordWrap, title).height();
    };
    m_layout = layoutPanel(m_panel, viewport()->width(), measure);
    const int page = viewport()->height();
    QScrollBar* bar = verticalScrollBar();
    if (m_layout.height > page) {
        // The content painted is the content scrolled: the bar never goes past its bottom.
        m_panel.SCROLLPOS = std::clamp(m_panel.SCROLLPOS, 0, m_layout.height - page);
        bar->setRange(0, m_layout.height - page);
        bar->setPageStep(page);
        bar->setSingleStep(QApplication::wheelScrollLines());
        bar->setValue(m_panel.SCROLLPOS);
    } else {
        m_panel.SCROLLPOS = 0;
        bar->setRange(0, 0);
    }
    m_laying = false;
}

void TaskPanelView::scrollAction(int action)
{
    if (m_panelGone)
        return;
    const int code = chrome::scrollCode(action);
    if (code < 0)
        return;
    QScrollBar* bar = verticalScrollBar();
    m_panel.TAKESCROLLEVENT(code, bar->singleStep(), viewport()->height(), m_layout.height, bar->sliderPosition());
    bar->setSliderPosition(std::min(m_panel.SCROLLPOS, bar->maximum()));
}

void TaskPanelView::resizeEvent(QResizeEvent* e)
{
    QAbstractScrollArea::resizeEvent(e);
    relayout();
}

// ---- mouse --------------------------------------------------------------------------------------

void TaskPanelView::mouseMoveEvent(QMouseEvent* e)
{
    if (m_panelGone)
        return;
    const QPoint p = e->position().toPoint();
    const bool hot = m_panel.TAKEMOUSEMOVEEVENT(p.x(), p.y());
    if (!m_panel.NOGRADIENT)
        viewport()->setCursor(hot ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

void TaskPanelView::mouseReleaseEvent(QMouseEvent* e)
{
    if (m_panelGone)
        return;
    if (e->button() != Qt::LeftButton)
        return;
    const QPoint p = e->position().toPoint();
    const bool hit = m_panel.TAKEMOUSEBUTTONEVENT(1, p.x(), p.y());
    if (!m_panel.NOGRADIENT)
        viewport()->setCursor(hit ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

void TaskPanelView::leaveEvent(QEvent* e)
{
    QAbstractScrollArea::leaveEvent(e);
    if (!m_panelGone)
        m_panel.TAKELEAVEEVENT();
}

bool TaskPanelView::viewportEvent(QEvent* e)
{
    if (e->type() == QEvent::ToolTip && !m_panelGone) {
        auto* help = static_cast<QHelpEvent*>(e);
        const int x = help->pos().x(), y = help->pos().y() + m_panel.SCROLLPOS;
        if (m_panel.TOOLTIPMODE != 0)
            for (const HEADERQ& h : m_panel.headers())
                if (h.ISVISIBLE && h.ISEXPANDED)
                    for (const TASKQ& t : h.TASKQUEUE)
                        if (t.ISVISIBLE && !t.TOOLTIP.isEmpty() && t.MOUSERECT.contains(x, y)) {
                            QString text = t.TOOLTIP.toHtmlEscaped();
                            text.replace(QLatin1Char('\n'), QStringLiteral("<br>"));
                            // Wider tips wrap at the panel's maximum width.
                            const bool wide = fontMetrics().horizontalAdvance(t.TOOLTIP) > m_panel.TOOLTIPMAXWIDTH;
                            const QString html = wide ? QStringLiteral("<table width=\"%1\"><tr><td>%2</td></tr></table>")
                                                            .arg(m_panel.TOOLTIPMAXWIDTH)
                                                            .arg(text)
                                                      : text;
                            QToolTip::showText(help->globalPos(), html, viewport(),
                                               t.MOUSERECT.rect().translated(0, -m_panel.SCROLLPOS));
                            return true;
                        }
        QToolTip::hideText();
        e->ignore();
        return true;
    }
    return QAbstractScrollArea::viewportEvent(e);
}

// ---- painting -----------------------------------------------------------------------------------

void TaskPanelView::paintEvent(QPaintEvent*)
{
    if (m_panelGone)
        return;
    QPainter p(viewport());
    const int W = viewport()->width(), H = viewport()->height();
    const int B = std::max(m_layout.height, H);
    p.translate(0, -m_panel.SCROLLPOS);
    const COLORGROUP& panel = m_panel.COLORSCHEMA.PANEL;
    if (m_panel.NOGRADIENT) {
        p.fillRect(QRect(0, 0, W, B), colour(panel.BACKGROUND));
    } else {
        QLinearGradient g(0, 0, 0, B);
        g.setColorAt(0, colour(panel.GRADIENTFROM));
        g.setColorAt(1, colour(panel.GRADIENTTO));
        p.fillRect(QRect(0, 0, W, B), g);
    }
    const COLORGROUP& tasks = m_panel.COLORSCHEMA.TASKS;
    for (const TaskPanelLayout::Block& b : m_layout.blocks) {
        p.fillRect(QRect(QPoint(b.left, b.top), QPoint(b.right - 2, b.bottom - 1)), colour(tasks.BACKGROUND));
        p.setPen(White);
        p.drawLine(b.left, b.top, b.left, b.bottom - 1);
        p.drawLine(b.left, b.bottom - 1, b.right - 1, b.bottom - 1);
        p.drawLine(b.right - 2, b.top, b.right - 2, b.bottom - 1);
    }
    for (const TaskPanelLayout::Row& row : m_layout.rows) {
        const HEADERQ* h = m_panel.header(row.header);
        if (!h)
            continue;
        if (row.task == 0) {
            drawHeader(p, *h, row.rect);
        } else if (const TASKQ* t = m_panel.task(row.header, row.task)) {
            drawTask(p, *h, *t, row);
        }
    }
}

void TaskPanelView::drawHeader(QPainter& p, const HEADERQ& h, const QRect& band)
{
    const int L = band.left(), T = band.top(), R = band.left() + band.width();
    if (h.ISBOXED) {
        p.setPen(White);
        p.drawLine(L, T - 5, R - 1, T - 5);
        return;
    }
    const COLORGROUP& g = h.STYLE == 1 ? m_panel.COLORSCHEMA.HEADERS2 : m_panel.COLORSCHEMA.HEADERS;
    const QRectF bar(L, T, R - L - 1, 25);
    // The title bar's upper corners are rounded; the lower ones meet the task block.
    QPainterPath path;
    path.moveTo(bar.bottomLeft());
    path.lineTo(bar.left(), bar.top() + 2);
    path.quadTo(bar.topLeft(), QPointF(bar.left() + 2, bar.top()));
    path.lineTo(bar.right() - 2, bar.top());
    path.quadTo(bar.topRight(), QPointF(bar.right(), bar.top() + 2));
    path.lineTo(bar.bottomRight());
    path.closeSubpath();
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    if (m_panel.NOGRADIENT) {
        p.fillPath(path, colour(g.BACKGROUND));
    } else {
        QLinearGradient grad(bar.topLeft(), bar.topRight());
        grad.setColorAt(0, colour(g.GRADIENTFROM));
        grad.setColorAt(1, colour(g.GRADIENTTO));
        p.fillPath(path, grad);
    }
    p.restore();
    if (!h.ISALWAYSEXPANDED)
        drawArrow(p, QRect(R - 24, T + 4, 24, 24), h);
    int left = L + 6;
    const QIcon headerIcon = icon(h.ICONNAME);
    if (!h.ICONNAME.trimmed().isEmpty()) {
        if (!headerIcon.isNull())
            headerIcon.paint(&p, QRect(L, T - 8, 32, 32));
        left = L + 37;
    }
    const QRect title(left, T, R - 25 - left, 27);
    p.setFont(headerFont());
    p.setPen(colour(h.ISHOVERED ? g.HOVERED : g.TEXT));
    p.drawText(title, Qt::AlignLeft | Qt::AlignVCenter,
               QFontMetrics(headerFont()).elidedText(h.TITLE, Qt::ElideRight, std::max(0, title.width())));
}

void TaskPanelView::drawArrow(QPainter& p, const QRect& r, const HEADERQ& h)
{
    const QIcon art = icon(POTASKPANELCLASS::arrowIconName(h.ISEXPANDED, h.ISHOVERED, h.STYLE));
    if (!art.isNull()) {
        art.paint(&p, r);
        return;
    }
    // Velmora's own arrows: a round button with a double chevron, up to fold, down to unfold.
    const COLORGROUP& g = h.STYLE == 1 ? m_panel.COLORSCHEMA.HEADERS2 : m_panel.COLORSCHEMA.HEADERS;
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF circle = QRectF(r).adjusted(4, 2, -4, -6);
    p.setPen(QPen(colour(h.ISHOVERED ? g.HOVERED : g.TEXT), 1));
    p.setBrush(h.STYLE == 1 ? QColor(255, 255, 255, 200) : QColor(255, 255, 255, 60));
    p.drawEllipse(circle);
    const QPointF c = circle.center();
    const qreal tip = h.ISEXPANDED ? -1.75 : 1.75; // up to fold, down to unfold
    p.setPen(QPen(colour(h.ISHOVERED ? g.HOVERED : g.TEXT), 1.6));
    for (const qreal off : {-2.0, 2.0}) {
        const QPointF mid(c.x(), c.y() + off + tip);
        p.drawLine(QPointF(c.x() - 3.5, c.y() + off - tip), mid);
        p.drawLine(mid, QPointF(c.x() + 3.5, c.y() + off - tip));
    }
    p.restore();
}

void TaskPanelView::drawTask(QPainter& p, const HEADERQ& h, const TASKQ& t, const TaskPanelLayout::Row& row)
{
    const int L = row.rect.left(), y = row.rect.top(), R = row.rect.left() + row.rect.width(), rh = row.rect.height();
    const COLORGROUP& tasks = m_panel.COLORSCHEMA.TASKS;
    p.fillRect(QRect(QPoint(L, y), QPoint(R - 2, y + rh)), colour(tasks.BACKGROUND));
    p.setPen(White);
    p.drawLine(L, y, L, y + rh);
    p.drawLine(R - 2, y, R - 2, y + rh);
    int tl = L, tr = R - 1;
    const int column = std::max(h.ICONSIZES + 1, 20);
    if (!t.ICONNAME.trimmed().isEmpty()) {
        const QIcon taskIcon = icon(t.ICONNAME);
        if (!taskIcon.isNull())
            taskIcon.paint(&p, QRect(L + 5, y + 1, h.ICONSIZES, h.ICONSIZES));
        tl += column;
    } else if (t.JUSTIFICATION == 0) {
        tl += column;
    }
    tl += 6;
    tr -= 10;
    const Qt::Alignment align = t.JUSTIFICATION == 2 ? Qt::AlignRight : t.JUSTIFICATION == 3 ? Qt::AlignHCenter : Qt::AlignLeft;
    const QFont font = taskFont(t.ISBOLD, t.ISHOVERED);
    p.setFont(font);
    p.setPen(colour(t.ISDISABLED ? tasks.DISABLED : tasks.TEXT));
    if (row.wrapped) {
        p.drawText(QRect(tl, y + 2, tr - tl, rh - 2), int(align | Qt::AlignVCenter | Qt::TextWordWrap), t.TITLE);
    } else {
        p.drawText(QRect(tl, y, tr - tl, rh), int(align | Qt::AlignVCenter),
                   QFontMetrics(font).elidedText(t.TITLE, Qt::ElideRight, std::max(0, tr - tl)));
    }
}
