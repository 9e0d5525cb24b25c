#include "chrome/TooltipControl.h"

#include <QApplication>
#include <QBoxLayout>
#include <QCursor>
#include <QHelpEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QStyle>
#include <QWidget>

#include "chrome/ChromeGlobals.h"

namespace cfctip {

QColor colourOf(pxp::COLORREF c) { return QColor(pxp::redOf(c), pxp::greenOf(c), pxp::blueOf(c)); }

// The tip itself: an optional icon and bold title over the text, in a plain box or a balloon
// whose tail points at the tool.
class TipWindow : public QWidget {
public:
    static constexpr int Tail = 12;
    static constexpr int Radius = 8;

    TipWindow(QWidget* parent) : QWidget(parent, Qt::ToolTip | Qt::FramelessWindowHint)
    {
        setObjectName(QStringLiteral("CfcTooltip"));
        setAttribute(Qt::WA_ShowWithoutActivating);
        auto* box = new QVBoxLayout(this);
        box->setSpacing(2);
        auto* head = new QHBoxLayout;
        head->setSpacing(4);
        icon = new QLabel(this);
        title = new QLabel(this);
        QFont bold = title->font();
        bold.setBold(true);
        title->setFont(bold);
        head->addWidget(icon);
        head->addWidget(title, 1);
        box->addLayout(head);
        text = new QLabel(this);
        text->setTextFormat(Qt::PlainText);
        box->addWidget(text);
    }

    void setLook(bool balloonLook, const QColor& back, const QColor& fore, const QMargins& margins)
    {
        balloon = balloonLook;
        background = back;
        QPalette p = palette();
        p.setColor(QPalette::WindowText, fore);
        for (QLabel* l : {title, text})
            l->setPalette(p);
        // The balloon's tail sits above its body.
        const QMargins m = balloon ? margins + QMargins(Radius / 2, Radius / 2 + Tail, Radius / 2, Radius / 2) : margins;
        layout()->setContentsMargins(m);
    }

    // Where the tip goes for a point of interest: below it, the tail (when a balloon) pointing
    // up at it, kept on the screen.
    void placeAt(const QPoint& globalPos)
    {
        adjustSize();
        QPoint topLeft = balloon ? globalPos - QPoint(Radius * 2, 0) : globalPos + QPoint(2, 20);
        if (QScreen* screen = QGuiApplication::screenAt(globalPos)) {
            const QRect area = screen->availableGeometry();
            topLeft.setX(std::clamp(topLeft.x(), area.left(), std::max(area.left(), area.right() - width())));
            topLeft.setY(std::clamp(topLeft.y(), area.top(), std::max(area.top(), area.bottom() - height())));
        }
        move(topLeft);
        tailX = std::clamp(globalPos.x() - topLeft.x(), Radius + Tail, std::max(Radius + Tail, width() - Radius - Tail));
        if (balloon)
            setMask(QRegion(shape().toFillPolygon().toPolygon()));
        else
            clearMask();
    }

    QPainterPath shape() const
    {
        QPainterPath path;
        if (!balloon) {
            path.addRect(QRectF(rect()).adjusted(0, 0, -1, -1));
            return path;
        }
        const QRectF body = QRectF(rect()).adjusted(0, Tail, -1, -1);
        path.addRoundedRect(body, Radius, Radius);
        QPainterPath tail;
        tail.moveTo(tailX - Tail / 2.0, body.top() + 1);
        tail.lineTo(tailX, 0);
        tail.lineTo(tailX + Tail / 2.0, body.top() + 1);
        tail.closeSubpath();
        return path.united(tail);
    }

    QLabel* icon = nullptr;
    QLabel* title = nullptr;
    QLabel* text = nullptr;
    bool balloon = false;
    QColor background;
    int tailX = Radius + Tail;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing, balloon);
        p.setBrush(background);
        p.setPen(palette().color(QPalette::WindowText));
        p.drawPath(shape());
    }
};

} // namespace cfctip

using cfctip::TipWindow;

CFCTOOLTIPSCLASS::CFCTOOLTIPSCLASS(QObject* parent)
    : QObject(parent), m_back(pxp::sysColor(24)), m_textColour(pxp::sysColor(23))
{
    m_wait.setSingleShot(true);
    m_autopopTimer.setSingleShot(true);
    connect(&m_wait, &QTimer::timeout, this, [this] {
        if (const Tool* tool = m_hasCurrent ? find(m_current) : nullptr)
            show(*tool, m_pendingPos);
    });
    connect(&m_autopopTimer, &QTimer::timeout, this, [this] {
        if (!m_tracking)
            POPTOOLTIP();
    });
}

CFCTOOLTIPSCLASS::~CFCTOOLTIPSCLASS() { KILL(); }

void CFCTOOLTIPSCLASS::INIT(QWidget* parent) { PARENTHWND = parent; }

QWidget* CFCTOOLTIPSCLASS::CREATETOOLTIP(long style)
{
    if (!PARENTHWND)
        return nullptr;
    KILL();
    m_style = style;
    HWNDTT = new TipWindow(PARENTHWND);
    connect(HWNDTT->text, &QLabel::linkActivated, this, [this](const QString& link) {
        emit linkActivated(link);
        if (notifiesItself)
            ONLINKCLICK(OnLinkClick);
        else
            CFCTOOLTIPMANAGERCLASS::instance().ONLINKCLICK(HWNDTT);
    });
    if (!notifiesItself)
        CFCTOOLTIPMANAGERCLASS::instance().ADDTOOLTIP(this);
    applyLook();
    PARENTHWND->installEventFilter(this);
    PARENTHWND->setAttribute(Qt::WA_Hover);
    return HWNDTT;
}

void CFCTOOLTIPSCLASS::KILL()
{
    m_wait.stop();
    m_autopopTimer.stop();
    if (PARENTHWND)
        PARENTHWND->removeEventFilter(this);
    CFCTOOLTIPMANAGERCLASS::instance().REMOVETOOLTIP(this);
    delete HWNDTT.data();
}

long CFCTOOLTIPSCLASS::addTool(std::optional<QString> text, std::optional<QRect> rect, long flags)
{
    if (!HWNDTT || !PARENTHWND)
        return -1;
    Tool tool;
    tool.flags = flags;
    if (rect) {
        tool.id = CNT ? long(CNT->GETNEXTID()) : long(GLO::CFC_Cnt.GETNEXTID());
        tool.rect = *rect;
    } else {
        tool.flags |= TTF_IDISHWND;
        tool.id = handleOf(PARENTHWND);
        tool.wholeWindow = true;
    }
    if (text) {
        QString t = *text;
        while (t.endsWith(QLatin1Char(' ')))
            t.chop(1);
        tool.text = t;
    }
    // A second whole-window tool takes the place of the first: both would have one id.
    if (Tool* same = find(tool.id))
        *same = tool;
    else
        TTQ.push_back(tool);
    return tool.id;
}

long CFCTOOLTIPSCLASS::ADDTOOL(std::optional<QRect> rect, long flags) { return addTool(std::nullopt, rect, flags); }

long CFCTOOLTIPSCLASS::ADDTOOL(const QString& text, std::optional<QRect> rect, long flags)
{
    return addTool(text, rect, flags);
}

long CFCTOOLTIPSCLASS::DELTOOL(long id)
{
    for (auto it = TTQ.begin(); it != TTQ.end(); ++it)
        if (it->id == id) {
            if (m_hasCurrent && m_current == id)
                POPTOOLTIP();
            TTQ.erase(it);
            return 0;
        }
    return -1;
}

long CFCTOOLTIPSCLASS::SETTOOLTEXT(long id, const QString& text)
{
    Tool* tool = find(id);
    if (!tool || !HWNDTT)
        return -1;
    if (tool->text) {
        tool->text = text;
        if (m_hasCurrent && m_current == id)
            UPDATE();
    }
    return 0;
}

QString CFCTOOLTIPSCLASS::GETTOOLTEXT(long id) const
{
    const Tool* tool = find(id);
    return tool && tool->text ? *tool->text : QString();
}

long CFCTOOLTIPSCLASS::GETTOOLTEXTLEN(long id) const
{
    QString t = GETTOOLTEXT(id);
    while (t.endsWith(QLatin1Char(' ')))
        t.chop(1);
    return long(t.size());
}

long CFCTOOLTIPSCLASS::SETTITLE(const QString& title, unsigned long icon)
{
    TOOLTITLE = title.left(TitleLength);
    TITLEICONID = icon;
    if (!HWNDTT)
        return -1;
    applyLook();
    return 0;
}

void CFCTOOLTIPSCLASS::ACTIVATE(bool on)
{
    m_active = on;
    if (!on)
        POPTOOLTIP();
}

long CFCTOOLTIPSCLASS::ACTIVATETRACK(long id, bool on)
{
    const Tool* tool = find(id);
    if (!tool)
        return -1;
    if (on) {
        m_tracking = true;
        m_tracked = id;
        show(*tool, m_trackPos);
    } else if (m_tracking && m_tracked == id) {
        m_tracking = false;
        POPTOOLTIP();
    }
    return 0;
}

void CFCTOOLTIPSCLASS::SETTRACKPOS(short x, short y)
{
    m_trackPos = QPoint(x, y);
    if (m_tracking && HWNDTT && HWNDTT->isVisible())
        HWNDTT->placeAt(m_trackPos);
}

CFCTOOLTIPSCLASS::ToolInfo CFCTOOLTIPSCLASS::infoOf(const Tool& tool)
{
    return ToolInfo{tool.flags, tool.id, tool.rect, tool.text.value_or(QString()), tool.wholeWindow};
}

long CFCTOOLTIPSCLASS::GETTOOLINFOBYID(long id, ToolInfo& info) const
{
    const Tool* tool = find(id);
    if (!tool)
        return -1;
    info = infoOf(*tool);
    return 0;
}

long CFCTOOLTIPSCLASS::GETTOOLINFOBYIDX(long index, ToolInfo& info) const
{
    if (index < 0 || size_t(index) >= TTQ.size())
        return -1;
    info = infoOf(TTQ[size_t(index)]);
    return 0;
}

long CFCTOOLTIPSCLASS::GETCURRENTTOOLINFO(ToolInfo& info) const
{
    const Tool* tool = ISTOOLVISIBLE() ? find(m_current) : nullptr;
    if (!tool)
        return -1;
    info = infoOf(*tool);
    return 0;
}

bool CFCTOOLTIPSCLASS::ISTOOLVISIBLE() const { return HWNDTT && HWNDTT->isVisible() && m_hasCurrent; }

long CFCTOOLTIPSCLASS::GETBUBBLESIZE(long id, long& width, long& height) const
{
    width = 0;
    height = 0;
    const Tool* tool = find(id);
    if (!tool || !HWNDTT)
        return 0;
    const QString text = textOf(*tool);
    if (text.isEmpty())
        return -1;
    HWNDTT->text->setText(text);
    const QSize size = HWNDTT->sizeHint();
    if (m_hasCurrent && HWNDTT->isVisible())
        if (const Tool* current = find(m_current))
            HWNDTT->text->setText(textOf(*current));
    width = size.width();
    height = size.height();
    return long(width | (height << 16));
}

void CFCTOOLTIPSCLASS::SETNEWTOOLRECT(long id, const QRect& rect)
{
    if (Tool* tool = find(id))
        tool->rect = rect;
}

long CFCTOOLTIPSCLASS::SETDELAYTIME(long which, long time)
{
    switch (which) {
    case TTDT_AUTOMATIC: // the others follow the initial time
        m_initial = time;
        m_reshow = time < 0 ? -1 : time / 5;
        m_autopop = time < 0 ? -1 : time * 10;
        break;
    case TTDT_INITIAL: m_initial = time; break;
    case TTDT_RESHOW: m_reshow = time; break;
    case TTDT_AUTOPOP: m_autopop = time; break;
    default: return -1;
    }
    return 0;
}

long CFCTOOLTIPSCLASS::GETDELAYTIME(long which) const
{
    const long initial =
        m_initial >= 0 ? m_initial : long(QApplication::style()->styleHint(QStyle::SH_ToolTip_WakeUpDelay));
    switch (which) {
    case TTDT_INITIAL: return initial;
    case TTDT_RESHOW: return m_reshow >= 0 ? m_reshow : initial / 5;
    case TTDT_AUTOPOP: return m_autopop >= 0 ? m_autopop : initial * 10;
    default: return -1;
    }
}

long CFCTOOLTIPSCLASS::SETTIPBKCOLOR(pxp::COLORREF colour)
{
    m_back = colour;
    applyLook();
    return 0;
}

long CFCTOOLTIPSCLASS::SETTIPTEXTCOLOR(pxp::COLORREF colour)
{
    m_textColour = colour;
    applyLook();
    return 0;
}

long CFCTOOLTIPSCLASS::SETMAXTIPWIDTH(long width)
{
    const long before = m_maxWidth;
    m_maxWidth = width;
    applyLook();
    return before;
}

void CFCTOOLTIPSCLASS::SETMARGIN(const QMargins& margin)
{
    m_margin = margin;
    applyLook();
}

void CFCTOOLTIPSCLASS::POPTOOLTIP()
{
    m_wait.stop();
    m_autopopTimer.stop();
    hideTip();
}

void CFCTOOLTIPSCLASS::UPDATE()
{
    if (!HWNDTT || !HWNDTT->isVisible() || !m_hasCurrent)
        return;
    if (const Tool* tool = find(m_current)) {
        HWNDTT->text->setText(textOf(*tool));
        HWNDTT->placeAt(HWNDTT->balloon ? m_pendingPos : m_pendingPos - QPoint(2, 20));
    }
}

void CFCTOOLTIPSCLASS::POPUPTOOLTIP()
{
    if (!PARENTHWND)
        return;
    const QPoint global = QCursor::pos();
    if (const Tool* tool = toolAt(PARENTHWND->mapFromGlobal(global)))
        show(*tool, global);
}

void CFCTOOLTIPSCLASS::ONUPDATE(long)
{
    ACTIVATE(false);
    UPDATE();
    ACTIVATE(true);
}

QWidget* CFCTOOLTIPSCLASS::tooltipWindow() const { return HWNDTT; }

void CFCTOOLTIPSCLASS::tooltipNotify(long code)
{
    switch (code) {
    case OnPop: ONPOP(code); break;
    case OnShow: ONSHOW(code); break;
    case OnLinkClick: ONLINKCLICK(code); break;
    case OnUpdate: ONUPDATE(code); break;
    default: break;
    }
}

const CFCTOOLTIPSCLASS::Tool* CFCTOOLTIPSCLASS::find(long id) const
{
    for (const Tool& t : TTQ)
        if (t.id == id)
            return &t;
    return nullptr;
}

CFCTOOLTIPSCLASS::Tool* CFCTOOLTIPSCLASS::find(long id)
{
    return const_cast<Tool*>(std::as_const(*this).find(id));
}

const CFCTOOLTIPSCLASS::Tool* CFCTOOLTIPSCLASS::toolAt(const QPoint& pos) const
{
    // A rectangle wins over the whole window; tracked tools show only when asked.
    const Tool* whole = nullptr;
    for (const Tool& t : TTQ) {
        if (t.flags & TTF_TRACK)
            continue;
        if (t.wholeWindow)
            whole = whole ? whole : &t;
        else if (t.rect.contains(pos))
            return &t;
    }
    return whole;
}

QString CFCTOOLTIPSCLASS::textOf(const Tool& tool) const
{
    if (tool.text)
        return *tool.text;
    return m_texts ? m_texts->needText(tool.id) : QString();
}

void CFCTOOLTIPSCLASS::show(const Tool& tool, const QPoint& globalPos)
{
    if (!HWNDTT || !m_active)
        return;
    const QString text = textOf(tool);
    if (text.isEmpty())
        return;
    const bool links = tool.flags & TTF_PARSELINKS;
    HWNDTT->text->setTextFormat(links ? Qt::RichText : Qt::PlainText);
    HWNDTT->text->setOpenExternalLinks(false);
    HWNDTT->text->setTextInteractionFlags(links ? Qt::LinksAccessibleByMouse : Qt::NoTextInteraction);
    HWNDTT->text->setText(text);
    m_current = tool.id;
    m_hasCurrent = true;
    m_pendingPos = globalPos;
    QPoint at = globalPos;
    if ((tool.flags & TTF_CENTERTIP) && PARENTHWND && !tool.wholeWindow)
        at = PARENTHWND->mapToGlobal(QPoint(tool.rect.center().x(), tool.rect.bottom()));
    HWNDTT->placeAt(at);
    const bool wasVisible = HWNDTT->isVisible();
    HWNDTT->show();
    HWNDTT->raise();
    if (!m_tracking)
        m_autopopTimer.start(int(GETAUTOPOPTIME()));
    if (!wasVisible) {
        emit shown(tool.id);
        if (notifiesItself)
            ONSHOW(OnShow);
        else
            CFCTOOLTIPMANAGERCLASS::instance().ONSHOW(HWNDTT);
    }
}

void CFCTOOLTIPSCLASS::hideTip()
{
    const bool wasVisible = HWNDTT && HWNDTT->isVisible();
    if (HWNDTT)
        HWNDTT->hide();
    m_hasCurrent = false;
    if (wasVisible) {
        emit popped();
        if (notifiesItself)
            ONPOP(OnPop);
        else
            CFCTOOLTIPMANAGERCLASS::instance().ONPOP(HWNDTT);
    }
}

void CFCTOOLTIPSCLASS::applyLook()
{
    if (!HWNDTT)
        return;
    HWNDTT->setLook(m_style & TTS_BALLOON, cfctip::colourOf(m_back), cfctip::colourOf(m_textColour), m_margin);
    HWNDTT->title->setText(TOOLTITLE);
    HWNDTT->title->setVisible(!TOOLTITLE.isEmpty());
    QStyle::StandardPixmap pixmap = QStyle::SP_MessageBoxInformation;
    if (TITLEICONID == TTI_WARNING)
        pixmap = QStyle::SP_MessageBoxWarning;
    else if (TITLEICONID == TTI_ERROR)
        pixmap = QStyle::SP_MessageBoxCritical;
    const bool icon = !TOOLTITLE.isEmpty() && TITLEICONID >= TTI_INFO && TITLEICONID <= TTI_ERROR;
    HWNDTT->icon->setPixmap(icon ? HWNDTT->style()->standardIcon(pixmap).pixmap(16, 16) : QPixmap());
    HWNDTT->icon->setVisible(icon);
    HWNDTT->text->setWordWrap(m_maxWidth > 0);
    HWNDTT->text->setMaximumWidth(m_maxWidth > 0 ? int(m_maxWidth) : QWIDGETSIZE_MAX);
}

bool CFCTOOLTIPSCLASS::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != PARENTHWND || !HWNDTT)
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::ToolTip: {
        auto* help = static_cast<QHelpEvent*>(event);
        const Tool* tool = m_active ? toolAt(help->pos()) : nullptr;
        if (!tool || textOf(*tool).isEmpty())
            break;
        m_wait.stop();
        show(*tool, help->globalPos());
        return true; // the parent's own tooltip would cover this one
    }
    case QEvent::HoverMove:
    case QEvent::MouseMove: {
        if (!m_active || m_tracking)
            break;
        QPoint pos;
        if (event->type() == QEvent::HoverMove)
            pos = static_cast<QHoverEvent*>(event)->position().toPoint();
        else
            pos = static_cast<QMouseEvent*>(event)->position().toPoint();
        const Tool* tool = toolAt(pos);
        const bool visible = HWNDTT->isVisible();
        if (!tool) {
            POPTOOLTIP();
            break;
        }
        if (m_hasCurrent && m_current == tool->id && (visible || m_wait.isActive()))
            break;
        if (visible)
            hideTip();
        m_current = tool->id;
        m_hasCurrent = true;
        m_pendingPos = PARENTHWND->mapToGlobal(pos);
        m_wait.start(int(visible ? GETRESHOWTIME() : GETINITIALTIME()));
        break;
    }
    case QEvent::HoverLeave:
    case QEvent::Leave:
    case QEvent::MouseButtonPress:
    case QEvent::Hide:
        if (!m_tracking)
            POPTOOLTIP();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
