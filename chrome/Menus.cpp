#include "chrome/Menus.h"

#include <QAction>
#include <QCursor>
#include <QIcon>
#include <QLayout>
#include <QMainWindow>
#include <QPixmap>
#include <QVariant>
#include <algorithm>

#include "chrome/MenuLookStyle.h"
#include "chrome/MenuManager.h"
#include "chrome/MenuWidgets.h"
#include "runtime/WindowManager.h"

namespace {
constexpr const char* ItemProperty = "cfcMenuItem";
constexpr const char* MenuProperty = "cfcMenu";

QString rtrim(QString s)
{
    while (!s.isEmpty() && s.back() == u' ')
        s.chop(1);
    return s;
}
} // namespace

// ---- entries ------------------------------------------------------------------------------

CFCMENUITEM::~CFCMENUITEM()
{
    if (MENU)
        std::erase(MENU->MIQ, this);
    delete m_action.data();
}

CFCMENUITEM* CFCMENUITEM::fromAction(const QAction* action)
{
    return action ? reinterpret_cast<CFCMENUITEM*>(action->property(ItemProperty).value<quintptr>()) : nullptr;
}

long CFCMENUITEM::ADDMENUITEM(CFCMENUBASE& menu, const QString& text, CFCCOMMANDCNT& counter,
                              std::optional<int> topLevel, std::optional<QString> key)
{
    CNT = &counter;
    if (topLevel)
        FLAGTOPLEVEL = true; // passing it at all is what counts
    if (key)
        STRID = *key;
    return INSERTMENUITEM(menu, text);
}

long CFCMENUITEM::ADDSEPARATOR(CFCMENUBASE& menu, CFCCOMMANDCNT& counter, std::optional<QString> key)
{
    CNT = &counter;
    if (key)
        STRID = *key;
    return INSERTSEPARATOR(menu);
}

long CFCMENUITEM::INSERTMENUITEM(CFCMENUBASE& menu, const QString& text)
{
    return INSERTMENUITEMBYPOS(menu, text, int(menu.MIQ.size()));
}

long CFCMENUITEM::INSERTMENUITEMBYPOS(CFCMENUBASE& menu, const QString& text, int position)
{
    return insert(menu, text, position, false);
}

long CFCMENUITEM::INSERTSEPARATOR(CFCMENUBASE& menu) { return INSERTSEPARATORBYPOS(menu, int(menu.MIQ.size())); }

long CFCMENUITEM::INSERTSEPARATORBYPOS(CFCMENUBASE& menu, int position)
{
    return insert(menu, QStringLiteral("-"), position, true);
}

void CFCMENUITEM::forget()
{
    delete m_action.data();
    m_action = nullptr;
    MENU = nullptr;
}

long CFCMENUITEM::insert(CFCMENUBASE& menu, const QString& text, int position, bool separator)
{
    if (!CNT)
        return -1;
    if (MENU)
        DELETEMENUITEM();
    ID = CNT->GETNEXTID();
    QWidget* widget = menu.HMENU();
    if (!widget)
        return CFC_ERROR_INVALID_MENU_HANDLE; // not kept in the menu's list: it is not in the menu
    TEXT = separator ? QStringLiteral("-") : text;
    FLAGSEPARATOR = separator;
    MENU = &menu;
    menu.MIQ.push_back(this);
    auto* action = new QAction(widget);
    action->setProperty(ItemProperty, QVariant::fromValue(quintptr(this)));
    action->setProperty("cfcId", QVariant::fromValue(qlonglong(ID)));
    action->setSeparator(separator);
    const QList<QAction*> actions = widget->actions();
    widget->insertAction(position >= 0 && position < actions.size() ? actions[position] : nullptr, action);
    m_action = action;
    syncAction();
    return 0;
}

long CFCMENUITEM::DELETEMENUITEM()
{
    if (!MENU || !m_action)
        return 0;
    const auto it = std::find_if(MENU->MIQ.begin(), MENU->MIQ.end(), [this](CFCMENUITEM* i) { return i->ID == ID; });
    if (it != MENU->MIQ.end())
        MENU->MIQ.erase(it);
    forget();
    return 1;
}

long CFCMENUITEM::SETMENUITEMTEXT(const QString& text)
{
    if (!m_action)
        return CFC_ERROR_MENU_ITEM_NOT_FOUND;
    TEXT = text;
    syncAction();
    return 0;
}

long CFCMENUITEM::setIconImage(const QImage& icon, const QString& name)
{
    // Both forms go together, so a disabled entry never shows an earlier picture.
    ICONNAME = name;
    HICON = icon.isNull() ? QImage() : icon.convertToFormat(QImage::Format_ARGB32);
    HICONDISABLED = CFCGDICLASS::CREATEDISABLEDICON(HICON);
    syncAction();
    if (HICON.isNull())
        return -1;
    CALLBACKBITMAP = true;
    return 0;
}

long CFCMENUITEM::setCheckedIconImage(const QImage& icon, const QString& name)
{
    CHECKEDICONNAME = name;
    HCHECKEDICON = icon.isNull() ? QImage() : icon.convertToFormat(QImage::Format_ARGB32);
    HCHECKEDICONDISABLED = CFCGDICLASS::CREATEDISABLEDICON(HCHECKEDICON);
    syncAction();
    return HCHECKEDICON.isNull() ? -1 : 0;
}

long CFCMENUITEM::SETICON(const QString& iconFile, const QString& module, int width, int height)
{
    ICONWIDTH = width > 0 ? width : 16;
    ICONHEIGHT = height > 0 ? height : 16;
    const CFCGDICLASS gdi;
    return setIconImage((MENU ? MENU->GDI : gdi).LOADICONFROMDLL(iconFile, module, ICONWIDTH, ICONHEIGHT), iconFile);
}

long CFCMENUITEM::SETCHECKEDICON(const QString& iconFile, const QString& module, int width, int height)
{
    const CFCGDICLASS gdi;
    return setCheckedIconImage(
        (MENU ? MENU->GDI : gdi).LOADICONFROMDLL(iconFile, module, width > 0 ? width : 16, height > 0 ? height : 16),
        iconFile);
}

long CFCMENUITEM::ISMENUITEMDISABLED() const
{
    if (!m_action)
        return -CFC_ERROR_MENU_ITEM_NOT_FOUND;
    return (STATE & MFS_DISABLED_GRAYED) == MFS_DISABLED_GRAYED ? 1 : 0;
}

long CFCMENUITEM::SETMENUITEMENABLED()
{
    if (!m_action)
        return CFC_ERROR_MENU_ITEM_NOT_FOUND;
    if ((STATE & MFS_DISABLED_GRAYED) == MFS_DISABLED_GRAYED) {
        STATE -= MFS_DISABLED_GRAYED;
        syncAction();
    }
    return 0;
}

long CFCMENUITEM::SETMENUITEMDISABLED()
{
    if (!m_action)
        return CFC_ERROR_MENU_ITEM_NOT_FOUND;
    STATE |= MFS_DISABLED_GRAYED;
    syncAction();
    return 0;
}

long CFCMENUITEM::ISMENUITEMCHECKED() const
{
    if (!m_action)
        return -CFC_ERROR_MENU_ITEM_NOT_FOUND;
    return (STATE & MFS_CHECKED) ? 1 : 0;
}

long CFCMENUITEM::SETMENUITEMUNCHECKED()
{
    if (!m_action)
        return CFC_ERROR_MENU_ITEM_NOT_FOUND;
    if (STATE & MFS_CHECKED) {
        STATE -= MFS_CHECKED;
        syncAction();
    }
    return 0;
}

long CFCMENUITEM::SETMENUITEMCHECKED()
{
    if (!m_action)
        return CFC_ERROR_MENU_ITEM_NOT_FOUND;
    STATE |= MFS_CHECKED;
    syncAction();
    return 0;
}

long CFCMENUITEM::ATTACHSUBMENU(CFCMENUBASE& submenu)
{
    auto* popup = qobject_cast<QMenu*>(submenu.HMENU());
    if (!m_action || !popup)
        return CFC_ERROR_INVALID_MENU_HANDLE;
    m_action->setMenu(popup);
    SUBMENU = &submenu;
    return 0;
}

long CFCMENUITEM::DETACHSUBMENU()
{
    if (!m_action)
        return CFC_ERROR_MENU_ITEM_NOT_FOUND;
    m_action->setMenu(static_cast<QMenu*>(nullptr));
    SUBMENU = nullptr;
    return 0;
}

void CFCMENUITEM::SETDRAWINGCLASS(CFCMENUITEMDRAWCLASS& painter)
{
    DRAWINGCLASS = &painter;
    REMOVEOWNERDRAW();
    SETOWNERDRAW();
    UPDATEMENUITEM();
}

QSize CFCMENUITEM::ONMEASUREITEM(const QFont& menuFont)
{
    return DRAWINGCLASS ? DRAWINGCLASS->ONMEASUREITEM(*this, menuFont) : QSize();
}

void CFCMENUITEM::ONDRAWITEM(QPainter& painter, const QRect& rect, unsigned state)
{
    if (DRAWINGCLASS)
        DRAWINGCLASS->ONDRAWITEM(*this, painter, rect, state);
}

void CFCMENUITEM::SETOWNERDRAW()
{
    if (DRAWINGCLASS)
        DRAWINGCLASS->SETOWNERDRAW(*this);
}

void CFCMENUITEM::REMOVEOWNERDRAW()
{
    if (DRAWINGCLASS)
        DRAWINGCLASS->REMOVEOWNERDRAW(*this);
}

void CFCMENUITEM::DRAWTOPLEVELITEM()
{
    if (DRAWINGCLASS)
        DRAWINGCLASS->DRAWTOPLEVELITEM(*this);
}

void CFCMENUITEM::DRAWMENUBAR1PX()
{
    if (DRAWINGCLASS)
        DRAWINGCLASS->DRAWMENUBAR1PX(*this);
}

void CFCMENUITEM::UPDATEMENUITEM()
{
    if (DRAWINGCLASS)
        DRAWINGCLASS->UPDATEMENUITEM(*this);
}

void CFCMENUITEM::syncAction()
{
    if (!m_action)
        return;
    if (!FLAGSEPARATOR)
        m_action->setText(TEXT);
    m_action->setEnabled((STATE & MFS_DISABLED_GRAYED) == 0);
    // The checked icons are the flat looks' own; the system style shows a tick instead.
    QIcon icon;
    if (!HICON.isNull()) {
        icon.addPixmap(QPixmap::fromImage(HICON), QIcon::Normal);
        icon.addPixmap(QPixmap::fromImage(HICONDISABLED), QIcon::Disabled);
    }
    m_action->setIcon(icon);
    if (MENU && MENU->HMENU())
        MENU->HMENU()->update();
}

// ---- menus --------------------------------------------------------------------------------

CFCMENUBASE::CFCMENUBASE() = default;

CFCMENUBASE::~CFCMENUBASE()
{
    for (CFCMENUITEM* item : std::vector(MIQ))
        item->forget();
    MIQ.clear();
    KILL();
}

CFCMENUBASE* CFCMENUBASE::fromWidget(const QWidget* widget)
{
    return widget ? reinterpret_cast<CFCMENUBASE*>(widget->property(MenuProperty).value<quintptr>()) : nullptr;
}

void CFCMENUBASE::adopt(QWidget* widget)
{
    KILL();
    m_widget = widget;
    widget->setProperty(MenuProperty, QVariant::fromValue(quintptr(this)));
    m_style = std::make_unique<MenuLookStyle>(m_painter);
    widget->setStyle(m_style.get());
    if (auto* popup = qobject_cast<QMenu*>(widget)) {
        QObject::connect(popup, &QMenu::aboutToShow, popup, [popup] { CFCMENUMANAGER::popupOpening(popup); });
        QObject::connect(popup, &QMenu::aboutToHide, popup, [popup] { CFCMENUMANAGER::popupClosed(popup); });
    }
}

long CFCMENUBASE::KILL()
{
    if (!m_widget)
        return 0;
    QWidget* widget = m_widget;
    m_widget = nullptr;
    widget->setProperty(MenuProperty, QVariant());
    if (widget->parent()) {
        widget->setStyle(nullptr); // the window keeps its bar; the look goes with this menu
        widget->deleteLater();
    } else {
        delete widget;
    }
    m_style.reset();
    return 1;
}

long CFCMENUBASE::SETBACKGROUND(pxp::COLORREF colour)
{
    BKRCOLOR = colour;
    if (!COMCTRL || !COMCTRL->_CFC_SETMENUINFO_)
        return -1;
    if (m_widget)
        m_widget->update();
    return 0;
}

void CFCMENUBASE::SETDRAWINGCLASS(CFCMENUITEMDRAWCLASS& painter, bool thisMenuOnly)
{
    SETDRAWINGCLASS(painter, thisMenuOnly, *this);
}

void CFCMENUBASE::SETDRAWINGCLASS(CFCMENUITEMDRAWCLASS& painter, bool thisMenuOnly, CFCMENUBASE& walk)
{
    walk.m_painter = &painter;
    if (walk.m_style)
        walk.m_style->setPainter(&painter);
    for (CFCMENUITEM* item : std::vector(walk.MIQ)) {
        item->SETDRAWINGCLASS(painter);
        if (!thisMenuOnly && item->SUBMENU && item->SUBMENU != &walk)
            SETDRAWINGCLASS(painter, false, *item->SUBMENU);
    }
    if (walk.m_widget) {
        // Sizes depend on the look: the widget measures afresh.
        walk.m_widget->setStyle(nullptr);
        walk.m_widget->setStyle(walk.m_style.get());
    }
}

bool CFCMENUBASE::ISSUBMENUSEXISTS() const
{
    const size_t n = std::min(MIQ.size(), size_t(std::max<long>(0, GETMENUITEMCOUNT())));
    return std::any_of(MIQ.begin(), MIQ.begin() + long(n), [](const CFCMENUITEM* i) { return i->SUBMENU; });
}

long CFCMENUBASE::GETMENUITEMCOUNT() const { return m_widget ? long(m_widget->actions().size()) : -1; }

long CFCMENUBASE::GETMENUITEMPOS(const CFCMENUITEM& item) const
{
    if (!m_widget)
        return -1;
    const QList<QAction*> actions = m_widget->actions();
    for (qsizetype i = 0; i < actions.size(); ++i)
        if (actions[i]->property("cfcId").toLongLong() == item.ID)
            return long(i);
    return -1;
}

CFCMENUITEM* CFCMENUBASE::GETMENUITEMBYID(long id) const
{
    const auto it = std::find_if(MIQ.begin(), MIQ.end(), [id](const CFCMENUITEM* i) { return i->ID == id; });
    return it == MIQ.end() ? nullptr : *it;
}

CFCMENUITEM* CFCMENUBASE::GETMENUITEMBYSTRID(const QString& key) const
{
    const QString wanted = rtrim(key);
    const auto it = std::find_if(MIQ.begin(), MIQ.end(), [&](const CFCMENUITEM* i) { return rtrim(i->STRID) == wanted; });
    return it == MIQ.end() ? nullptr : *it;
}

long CFCPOPUPMENU::CREATEMENU()
{
    adopt(new CfcMenuWidget);
    return 0;
}

QMenu* CFCPOPUPMENU::menu() const { return qobject_cast<QMenu*>(HMENU()); }

long CFCPOPUPMENU::RUN(QWidget* window, std::optional<int> x, std::optional<int> y)
{
    QMenu* popup = menu();
    if (!popup)
        return 0;
    HWND = window;
    QPoint pos = QCursor::pos();
    if (x)
        pos.setX(*x);
    if (y)
        pos.setY(*y);
    vrt::ModalScope scope; // the menu runs a loop of its own; guarded timers wait for it
    QAction* chosen = popup->exec(pos);
    const CFCMENUITEM* item = CFCMENUITEM::fromAction(chosen);
    return item ? item->ID : 0;
}

long CFCMENU::CREATEMENU()
{
    adopt(new CfcMenuBarWidget);
    return 0;
}

QMenuBar* CFCMENU::bar() const { return qobject_cast<QMenuBar*>(HMENU()); }

void CFCMENU::SETMENUTOWND(QWidget* window)
{
    HWND = window;
    QMenuBar* menuBar = bar();
    if (!window || !menuBar)
        return;
    if (auto* main = qobject_cast<QMainWindow*>(window))
        main->setMenuBar(menuBar);
    else if (window->layout())
        window->layout()->setMenuBar(menuBar);
    else
        menuBar->setParent(window);
    menuBar->show();
}

void CFCMENU::UPDATE()
{
    if (HMENU())
        HMENU()->update();
}
