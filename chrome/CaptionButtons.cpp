#include "chrome/CaptionButtons.h"


#include <QEvent>
#include <QMdiSubWindow>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionTitleBar>
#include <QThread>
#include <cstdio>

#include "runtime/Dialogs.h"

Merivox_WCB_Class::Merivox_WCB_Class() = default;

Merivox_WCB_Class::~Merivox_WCB_Class() { KILL(); }

void Merivox_WCB_Class::TRACE(const QString& text)
{
    QString t = text;
    while (t.endsWith(QLatin1Char(' ')))
        t.chop(1);
    const QString line = QStringLiteral("%1] %2").arg(quintptr(QThread::currentThreadId())).arg(t);
    if (isSignalConnected(QMetaMethod::fromSignal(&Merivox_WCB_Class::trace)))
        emit trace(line);
    else
        std::fprintf(stderr, "%s\n", qPrintable(line));
}

int Merivox_WCB_Class::INIT(QWidget* window)
{
    auto* sub = qobject_cast<QMdiSubWindow*>(window);
    if (!sub) {
        const QString title = window ? window->windowTitle() : QString();
        vrt::message(QStringLiteral("Window Caption Buttons can only be used on MDI windows!\n\nWindow Title:  ") + title,
                     QStringLiteral("Notification..."));
        return 0;
    }
    m_window = sub;
    sub->setProperty("Merivox_WCB_Class", QVariant::fromValue(static_cast<QObject*>(this)));
    INITDONE = true;
    sub->installEventFilter(this);
    return 1;
}

void Merivox_WCB_Class::ADDITEM(QWidget* window, WINDOWCAPTIONBUTTONS* handler)
{
    if (INIT(window))
        WCB = handler;
}

void Merivox_WCB_Class::ADDBUTTONS()
{
    if (WCB)
        WCB->ADDBUTTONS();
}

void Merivox_WCB_Class::BUTTONCLICKEDON(long button)
{
    if (WCB)
        WCB->BUTTONCLICKEDON(button);
}

QString Merivox_WCB_Class::imageName(const QString& image)
{
    QString n = image.left(80);
    if (const int tilde = n.indexOf(QLatin1Char('~')); tilde >= 0)
        n.remove(tilde, 1);
    if (const int dot = n.indexOf(QLatin1Char('.')); dot >= 0)
        n[dot] = QLatin1Char('_');
    return n;
}

int Merivox_WCB_Class::ADDBUTTON(const QString& image, long rightBorder)
{
    if (!INITDONE)
        return 0;
    const QString upper = image.toUpper();
    TSBRWCB b;
    if (upper.contains(QLatin1String("ICO"))) {
        b.IMAGETYPE = 1;
    } else if (upper.contains(QLatin1String("BMP"))) {
        b.IMAGETYPE = 0;
    } else {
        TRACE(QStringLiteral("SBRWCB : AddButton : LoadImage : * FAILED * : ") + upper +
              QStringLiteral(" Unknown Image type - check extention"));
        return 0;
    }
    const QString name = imageName(upper);
    b.HIMAGE = m_icons ? m_icons->iconOf(name) : QIcon();
    if (b.HIMAGE.isNull()) {
        TRACE(QStringLiteral("SBRWCB : AddButton : LoadImage : * FAILED * : ") + upper);
        return 0;
    }
    // Eight places: a ninth button is refused rather than written past them.
    if (BUTTONCNT >= int(BUTTONS.size())) {
        TRACE(QStringLiteral("SBRWCB : InsertButton : * FAILED * : (SBRWCB &= NULL)"));
        return 0;
    }
    b.RIGHTBORDER = int(rightBorder);
    BUTTONS[size_t(BUTTONCNT++)] = b;
    if (m_window)
        m_window->update();
    return 1;
}

int Merivox_WCB_Class::KILL()
{
    if (!INITDONE)
        return 0;
    TRACE(QStringLiteral("SBRWCB : Kill  ") + (m_window ? m_window->windowTitle() : QString()));
    if (m_window) {
        m_window->setProperty("Merivox_WCB_Class", QVariant());
        m_window->removeEventFilter(this);
        m_window->update();
    }
    INITDONE = false;
    for (TSBRWCB& b : BUTTONS)
        b = TSBRWCB();
    BUTTONCNT = 0;
    MOUSEDOWN = false;
    return 0;
}

QRect Merivox_WCB_Class::buttonRect(int n, int systemLeft, int top, int size) const
{
    int right = systemLeft;
    int left = right;
    for (int i = 1; i <= n && i <= BUTTONCNT; ++i) {
        left = right - size - BUTTONS[size_t(i - 1)].RIGHTBORDER + 2;
        if (i < n)
            right = left;
    }
    return QRect(left, top, size - 2, size - 2);
}

QRect Merivox_WCB_Class::buttonRect(int n) const
{
    if (!m_window)
        return {};
    QStyleOptionTitleBar opt;
    opt.initFrom(m_window);
    opt.rect = QRect(0, 0, m_window->width(), m_window->style()->pixelMetric(QStyle::PM_TitleBarHeight, &opt, m_window));
    opt.titleBarFlags = m_window->windowFlags();
    opt.subControls = QStyle::SC_All;
    int systemLeft = opt.rect.right();
    for (QStyle::SubControl sc : {QStyle::SC_TitleBarCloseButton, QStyle::SC_TitleBarMaxButton, QStyle::SC_TitleBarMinButton,
                                  QStyle::SC_TitleBarNormalButton, QStyle::SC_TitleBarContextHelpButton})
        if (const QRect r = m_window->style()->subControlRect(QStyle::CC_TitleBar, &opt, sc, m_window); r.isValid())
            systemLeft = std::min(systemLeft, r.left());
    const int size = std::max(16, m_window->style()->pixelMetric(QStyle::PM_TitleBarButtonSize, &opt, m_window));
    const int top = std::max(0, (opt.rect.height() - size) / 2 + 1);
    return buttonRect(n, systemLeft, top, size);
}

int Merivox_WCB_Class::hit(const QPoint& p) const
{
    for (int n = 1; n <= BUTTONCNT; ++n)
        if (buttonRect(n).adjusted(0, -2, 0, 2).contains(p))
            return n;
    return 0;
}

void Merivox_WCB_Class::paintButtons()
{
    QPainter p(m_window);
    for (int n = 1; n <= BUTTONCNT; ++n) {
        const TSBRWCB& b = BUTTONS[size_t(n - 1)];
        const QRect r = buttonRect(n);
        QStyleOptionButton opt;
        opt.initFrom(m_window);
        opt.rect = r;
        opt.state = QStyle::State_Enabled | (b.PRESSED ? QStyle::State_Sunken : QStyle::State_Raised);
        m_window->style()->drawPrimitive(QStyle::PE_PanelButtonCommand, &opt, &p, m_window);
        QRect inner = r.adjusted(2, 2, -3, -3);
        if (b.PRESSED)
            inner.translate(1, 1);
        const QSize image(b.WIDTH, b.HEIGHT);
        const QRect at = image.width() < inner.width()
                             ? QRect(inner.left() + (inner.width() - image.width()) / 2,
                                     inner.top() + (inner.height() - image.height()) / 2, image.width(), image.height())
                             : inner;
        b.HIMAGE.paint(&p, at);
    }
}

bool Merivox_WCB_Class::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_window || !INITDONE)
        return false;
    switch (event->type()) {
    case QEvent::Show:
        if (BUTTONCNT == 0)
            ADDBUTTONS();
        return false;
    case QEvent::Close:
        KILL();
        return false;
    case QEvent::Paint:
        // The title bar first, the buttons over it.
        static_cast<QObject*>(m_window.data())->event(event);
        paintButtons();
        return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        auto* e = static_cast<QMouseEvent*>(event);
        const int n = e->button() == Qt::LeftButton ? hit(e->position().toPoint()) : 0;
        if (!n)
            return false;
        ACTIVEBUTTON = n;
        BUTTONS[size_t(n - 1)].PRESSED = true;
        MOUSEDOWN = true;
        m_window->update();
        return true;
    }
    case QEvent::MouseMove: {
        if (!MOUSEDOWN)
            return false;
        auto* e = static_cast<QMouseEvent*>(event);
        const bool on = buttonRect(ACTIVEBUTTON).adjusted(0, -2, 0, 2).contains(e->position().toPoint());
        if (on != BUTTONS[size_t(ACTIVEBUTTON - 1)].PRESSED) {
            BUTTONS[size_t(ACTIVEBUTTON - 1)].PRESSED = on;
            m_window->update();
        }
        return true;
    }
    case QEvent::MouseButtonRelease: {
        if (!MOUSEDOWN)
            return false;
        auto* e = static_cast<QMouseEvent*>(event);
        const int n = ACTIVEBUTTON;
        if (buttonRect(n).adjusted(0, -2, 0, 2).contains(e->position().toPoint()))
            // Reported after the release is done, as a posted notification would be.
            QMetaObject::invokeMethod(this, [this, n] { BUTTONCLICKEDON(n); }, Qt::QueuedConnection);
        BUTTONS[size_t(n - 1)].PRESSED = false;
        MOUSEDOWN = false;
        m_window->update();
        return true;
    }
    default:
        return false;
    }
}
