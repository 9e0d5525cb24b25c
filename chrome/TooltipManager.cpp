#include "chrome/TooltipManager.h"

#include <QApplication>
#include <QEvent>
#include <QMenu>
#include <algorithm>

CFCTOOLTIPMANAGERCLASS& CFCTOOLTIPMANAGERCLASS::instance()
{
    static QPointer<CFCTOOLTIPMANAGERCLASS> manager;
    if (!manager)
        manager = new CFCTOOLTIPMANAGERCLASS;
    // Asked for before the application existed, it starts watching at the next call after.
    if (qApp && !manager->parent()) {
        manager->setParent(qApp); // goes with the application
        qApp->installEventFilter(manager);
    }
    return *manager;
}

CFCTOOLTIPMANAGERCLASS::CFCTOOLTIPMANAGERCLASS(QObject* parent) : QObject(parent) {}

CFCTOOLTIPMANAGERCLASS::~CFCTOOLTIPMANAGERCLASS()
{
    if (m_openPopups > 0) {
        QApplication::setEffectEnabled(Qt::UI_AnimateMenu, MENUANIMATION);
        QApplication::setEffectEnabled(Qt::UI_FadeMenu, MENUFADE);
    }
}

void CFCTOOLTIPMANAGERCLASS::ADDTOOLTIP(CfcTooltipClient* tooltip)
{
    if (tooltip && std::find(TTQ.begin(), TTQ.end(), tooltip) == TTQ.end())
        TTQ.push_back(tooltip);
}

void CFCTOOLTIPMANAGERCLASS::REMOVETOOLTIP(CfcTooltipClient* tooltip) { std::erase(TTQ, tooltip); }

void CFCTOOLTIPMANAGERCLASS::post(CfcTooltipClient* tooltip, long code)
{
    QObject* window = tooltip->tooltipWindow();
    if (!window)
        return;
    QPointer<CFCTOOLTIPMANAGERCLASS> self(this);
    QMetaObject::invokeMethod(
        window,
        [self, tooltip, code] {
            // The tooltip may have gone between the notice and its delivery.
            if (self && std::find(self->TTQ.begin(), self->TTQ.end(), tooltip) != self->TTQ.end())
                tooltip->tooltipNotify(code);
        },
        Qt::QueuedConnection);
}

void CFCTOOLTIPMANAGERCLASS::ONSHOW(QObject* tooltipWindow)
{
    for (CfcTooltipClient* t : std::vector(TTQ))
        if (tooltipWindow && t->tooltipWindow() == tooltipWindow)
            post(t, CfcTooltipClient::OnShow);
}

void CFCTOOLTIPMANAGERCLASS::ONLINKCLICK(QObject* tooltipWindow)
{
    for (CfcTooltipClient* t : std::vector(TTQ))
        if (tooltipWindow && t->tooltipWindow() == tooltipWindow)
            post(t, CfcTooltipClient::OnLinkClick);
}

void CFCTOOLTIPMANAGERCLASS::ONPOP(QObject* tooltipWindow)
{
    for (CfcTooltipClient* t : std::vector(TTQ))
        if (t->tooltipWindow())
            post(t, t->tooltipWindow() == tooltipWindow ? CfcTooltipClient::OnPop : CfcTooltipClient::OnUpdate);
}

bool CFCTOOLTIPMANAGERCLASS::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::Polish && type != QEvent::Show && type != QEvent::Hide && type != QEvent::Destroy)
        return false;
    auto* menu = qobject_cast<QMenu*>(watched);
    if (!menu)
        return false;
    if (type == QEvent::Polish) {
        // A menu decides on its animation after aboutToShow and before it is shown, so the
        // effects go off there; the show below catches a menu polished before this manager.
        connect(menu, &QMenu::aboutToShow, this, [this, menu] { menuOpening(menu); });
    } else if (type == QEvent::Show) {
        menuOpening(menu);
    } else {
        std::erase_if(m_popups, [watched](const QPointer<QObject>& p) { return p.isNull() || p == watched; });
        popupsChanged();
    }
    return false;
}

void CFCTOOLTIPMANAGERCLASS::menuOpening(QMenu* menu)
{
    std::erase_if(m_popups, [](const QPointer<QObject>& p) { return p.isNull(); });
    if (std::find(m_popups.begin(), m_popups.end(), menu) == m_popups.end())
        m_popups.emplace_back(menu);
    popupsChanged();
}

void CFCTOOLTIPMANAGERCLASS::popupsChanged()
{
    const int open = int(m_popups.size());
    if (m_openPopups == 0 && open > 0) {
        MENUANIMATION = QApplication::isEffectEnabled(Qt::UI_AnimateMenu);
        MENUFADE = QApplication::isEffectEnabled(Qt::UI_FadeMenu);
        QApplication::setEffectEnabled(Qt::UI_AnimateMenu, false);
        QApplication::setEffectEnabled(Qt::UI_FadeMenu, false);
    } else if (m_openPopups > 0 && open == 0) {
        QApplication::setEffectEnabled(Qt::UI_AnimateMenu, MENUANIMATION);
        QApplication::setEffectEnabled(Qt::UI_FadeMenu, MENUFADE);
    }
    m_openPopups = open;
}
