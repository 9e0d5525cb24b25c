#include "chrome/WindowPainter.h"
#include "chrome/PxpDropSpin.h"
#include "chrome/PxpListBox.h"
#include "chrome/PxpRadio.h"
#include "chrome/PxpRules.h"
#include "chrome/PxpSheet.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QAbstractSpinBox>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QEvent>
#include <QHeaderView>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QPalette>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QTextEdit>
#include <QWidget>

using namespace pxp;

namespace {

// Parts of a compound control (a drop list's entry and list, a spin box's entry, a calendar's
// table) belong to that control.
bool insideCompound(const QWidget* control)
{
    for (const QWidget* w = control->parentWidget(); w; w = w->parentWidget())
        if (qobject_cast<const QComboBox*>(w) || qobject_cast<const QAbstractSpinBox*>(w)
            || qobject_cast<const QCalendarWidget*>(w))
            return true;
    return false;
}

} // namespace

PXPWINDOWCLASS::PXPWINDOWCLASS(QWidget* window) : QObject(window), m_window(window) {}

long PXPWINDOWCLASS::controlType(const QWidget* control)
{
    if (!control || insideCompound(control))
        return 0;
    if (qobject_cast<const QLineEdit*>(control))
        return TYPE_ENTRY;
    if (const auto* combo = qobject_cast<const QComboBox*>(control))
        return combo->isEditable() ? TYPE_DROPCOMBO : TYPE_DROPLIST;
    // A date entry with a calendar drops its calendar down like a drop list.
    if (const auto* date = qobject_cast<const QDateTimeEdit*>(control); date && date->calendarPopup())
        return TYPE_DROPCOMBO;
    if (qobject_cast<const QAbstractSpinBox*>(control))
        return TYPE_SPIN;
    if (qobject_cast<const QAbstractItemView*>(control) && !qobject_cast<const QHeaderView*>(control))
        return TYPE_LIST;
    if (qobject_cast<const QTabWidget*>(control))
        return TYPE_SHEET;
    if (qobject_cast<const QTextEdit*>(control) || qobject_cast<const QPlainTextEdit*>(control))
        return TYPE_TEXT;
    if (qobject_cast<const QRadioButton*>(control))
        return TYPE_RADIO;
    if (qobject_cast<const QCheckBox*>(control))
        return TYPE_CHECK;
    return 0;
}

bool PXPWINDOWCLASS::dropsDown(const QWidget* control)
{
    const auto* date = qobject_cast<const QDateTimeEdit*>(control);
    return qobject_cast<const QComboBox*>(control) || (date && date->calendarPopup());
}

void PXPWINDOWCLASS::INIT(PXPGLOBALCLASS& global, bool)
{
    m_global = &global;
    if (!m_window)
        return;
    for (QWidget* control : m_window->findChildren<QWidget*>())
        ADDCONTROL(control);
    if (m_setWindowColor) {
        fillWindow();
        m_window->installEventFilter(this);
    }
}

bool PXPWINDOWCLASS::ADDCONTROL(QWidget* control, bool autoCleanup, bool isEditInPlace)
{
    if (!m_global || !control || GETCONTROLCLASS(control))
        return false;
    const long type = controlType(control);
    if (!type)
        return false;
    // Entry-like controls without a fill of their own are white on a coloured window, excluded
    // or not.
    if (m_setWindowColor && takesWhiteFill(type) && !control->palette().isBrushSet(QPalette::Active, QPalette::Base)) {
        QPalette palette = control->palette();
        palette.setColor(QPalette::Base, Qt::white);
        control->setPalette(palette);
    }
    const bool drops = dropsDown(control);
    if ((m_excludedTypes.count(effectiveType(type, drops)) && !m_included.count(control)) || m_excluded.count(control))
        return false;
    const long code = painterCode(type, drops);
    PXPCONTROLCLASS* painter = nullptr;
    bool ok = false;
    auto prepare = [&](PXPCONTROLCLASS* p) {
        p->PGLOBAL = m_global;
        p->PWINDOW = this;
        p->AUTOCLEANUP = autoCleanup;
        p->ISEIP = isEditInPlace;
        painter = p;
    };
    switch (code) {
    case TYPE_ENTRY: {
        auto* p = new PXPENTRYCLASS(this);
        prepare(p);
        ok = p->INIT(control);
        break;
    }
    case TYPE_DROPLIST:
    case TYPE_DROPCOMBO: {
        auto* p = new PXPDROPCLASS(this);
        prepare(p);
        ok = p->INIT(control);
        if (ok && m_defaultDropLineHeight > 0)
            p->setDropLineHeight(m_defaultDropLineHeight);
        break;
    }
    case TYPE_SPIN: {
        auto* p = new PXPSPINCLASS(this);
        prepare(p);
        ok = p->INIT(control);
        break;
    }
    case TYPE_LIST: {
        auto* p = new PXPLISTBOXCLASS(this);
        prepare(p);
        p->NDEFAULTLINEHEIGHT = m_defaultLineHeight;
        ok = p->INIT(control);
        break;
    }
    case TYPE_SHEET: {
        auto* p = new PXPSHEETCLASS(this);
        prepare(p);
        ok = p->INIT(control);
        if (ok) {
            record(p, code);
            addSheetRadios(p, control);
            return true;
        }
        break;
    }
    default: return false;
    }
    if (!ok) {
        delete painter;
        return false;
    }
    record(painter, code);
    return true;
}

void PXPWINDOWCLASS::record(PXPCONTROLCLASS* painter, long code) { m_painters.append({painter, code}); }

void PXPWINDOWCLASS::addSheetRadios(PXPSHEETCLASS* sheet, QWidget* control)
{
    auto* tabs = qobject_cast<QTabWidget*>(control);
    for (int i = 0; tabs && i < tabs->count(); ++i) {
        QWidget* page = tabs->widget(i);
        if (!page)
            continue;
        for (QWidget* c : page->findChildren<QWidget*>()) {
            const long type = controlType(c);
            if ((type != TYPE_RADIO && type != TYPE_CHECK) || GETCONTROLCLASS(c))
                continue;
            // Radio painters stay with the window painter, which disposes of them.
            auto* radio = new PXPRADIOCLASS(this);
            radio->PGLOBAL = m_global;
            radio->SETSHEET(sheet);
            if (!radio->INIT(c)) {
                delete radio;
                continue;
            }
            sheet->ADDRADIO(radio);
            record(radio, type);
        }
    }
}

void PXPWINDOWCLASS::REMOVECONTROL(const QWidget* control)
{
    for (qsizetype i = 0; i < m_painters.size(); ++i) {
        if (m_painters[i].painter && control && m_painters[i].painter->control() == control) {
            delete m_painters.takeAt(i).painter.data();
            return;
        }
    }
}

PXPCONTROLCLASS* PXPWINDOWCLASS::GETCONTROLCLASS(const QWidget* control) const
{
    for (const Record& r : m_painters)
        if (r.painter && control && r.painter->control() == control)
            return r.painter;
    return nullptr;
}

long PXPWINDOWCLASS::GETCONTROLCODE(const QWidget* control) const
{
    for (const Record& r : m_painters)
        if (r.painter && control && r.painter->control() == control)
            return r.code;
    return 0;
}

COLORREF PXPWINDOWCLASS::windowColor() const
{
    return m_global ? m_global->GETCOLOR(m_colorStyle == 1 ? 11 : 12) : -1;
}

void PXPWINDOWCLASS::SETLISTBOXHOVERING(const QWidget* list, bool on)
{
    for (const Record& r : m_painters)
        if (auto* p = qobject_cast<PXPLISTBOXCLASS*>(r.painter.data()); p && (!list || p->control() == list))
            p->SETHOVERING(on);
}

void PXPWINDOWCLASS::SETLISTBOXLINEHEIGHT(const QWidget* list, long height)
{
    if (auto* p = qobject_cast<PXPLISTBOXCLASS*>(GETCONTROLCLASS(list))) {
        p->NDEFAULTLINEHEIGHT = height;
        p->SETLINEHEIGHT(height);
    }
}

bool PXPWINDOWCLASS::SETXPLOREHEADERFEQ(const QWidget* list, QHeaderView* header)
{
    auto* p = qobject_cast<PXPLISTBOXCLASS*>(GETCONTROLCLASS(list));
    return p && p->SETXPLOREHEADER(header);
}

QList<PXPSHEETCLASS*> PXPWINDOWCLASS::sheets(const QWidget* sheet) const
{
    QList<PXPSHEETCLASS*> out;
    for (const Record& r : m_painters)
        if (auto* p = qobject_cast<PXPSHEETCLASS*>(r.painter.data()); p && (!sheet || p->control() == sheet))
            out.append(p);
    return out;
}

void PXPWINDOWCLASS::SETSHEETDRAWBACKGROUND(const QWidget* sheet, bool on)
{
    for (PXPSHEETCLASS* p : sheets(sheet))
        p->SETDRAWBACKGROUND(on);
}

void PXPWINDOWCLASS::SETSHEETWIZARD(const QWidget* sheet, bool on)
{
    if (sheet)
        for (PXPSHEETCLASS* p : sheets(sheet))
            p->SETWIZARD(on);
}

bool PXPWINDOWCLASS::ISSHEETWIZARD(const QWidget* sheet) const
{
    const QList<PXPSHEETCLASS*> found = sheet ? sheets(sheet) : QList<PXPSHEETCLASS*>();
    return !found.isEmpty() && found.first()->GETISWIZARD();
}

void PXPWINDOWCLASS::SHEETSELECTIONCHANGED(const QWidget* sheet)
{
    if (sheet)
        for (PXPSHEETCLASS* p : sheets(sheet)) {
            p->REFRESH();
            if (QWidget* strip = p->stripWidget())
                strip->update();
        }
}

void PXPWINDOWCLASS::REFRESHWINDOW(const QWidget* control)
{
    if (control)
        if (QWidget* w = control->window())
            w->update();
}

bool PXPWINDOWCLASS::SETAPPFRAMECOLOR()
{
    if (!m_global || !m_window)
        return false;
    m_setAppFrameColor = true;
    const COLORREF c = m_global->GETCOLOR(m_colorStyle == 1 ? 14 : 13);
    const QColor colour(redOf(c), greenOf(c), blueOf(c));
    QWidget* frame = m_window->window();
    QWidget* client = frame;
    if (auto* main = qobject_cast<QMainWindow*>(frame); main && main->centralWidget())
        client = main->centralWidget();
    if (auto* mdi = qobject_cast<QMdiArea*>(client)) {
        mdi->setBackground(colour);
        return true;
    }
    QPalette palette = client->palette();
    palette.setColor(QPalette::Window, colour);
    client->setPalette(palette);
    client->setAutoFillBackground(true);
    return true;
}

void PXPWINDOWCLASS::fillWindow()
{
    const COLORREF c = windowColor();
    const QColor colour(redOf(c), greenOf(c), blueOf(c));
    QPalette palette = m_window->palette();
    palette.setColor(QPalette::Window, colour);
    m_window->setPalette(palette);
    m_window->setAutoFillBackground(true);
    // Under the program's skin (a style sheet) the window's own rule outweighs the skin's.
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance()); app && !app->styleSheet().isEmpty()) {
        m_window->setProperty("pxpWindowFill", true);
        m_window->setStyleSheet(QStringLiteral("*[pxpWindowFill=\"true\"] { background: %1; }").arg(colour.name()));
    }
}

bool PXPWINDOWCLASS::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_window && event->type() == QEvent::ThemeChange) {
        fillWindow();
        if (m_setAppFrameColor)
            SETAPPFRAMECOLOR();
    }
    return QObject::eventFilter(watched, event);
}

namespace pxp {

namespace {
PXPWINDOWCLASS* themeWindow(QWidget* window, bool library, bool excludeSheets, bool noSubclass)
{
    if (!window || !PXPGlobal.ISTHEMEACTIVE())
        return nullptr;
    // A window run again keeps the painter it has.
    if (auto* painter = window->findChild<PXPWINDOWCLASS*>(QString(), Qt::FindDirectChildrenOnly))
        return painter;
    auto* painter = new PXPWINDOWCLASS(window);
    if (excludeSheets)
        painter->ADDEXCLUDETYPE(TYPE_SHEET);
    if (library) {
        painter->SETCOLORSTYLE(1);
        painter->SETWINDOWCOLOR(true);
    }
    painter->SETLISTBOXDEFAULTLINEHEIGHT(11);
    painter->INIT(PXPGlobal, noSubclass);
    if (library)
        painter->SETSHEETDRAWBACKGROUND(nullptr, false);
    return painter;
}
} // namespace

PXPWINDOWCLASS* themeLibraryWindow(QWidget* window) { return themeWindow(window, true, true, false); }
PXPWINDOWCLASS* themeFrameWindow(QWidget* window) { return themeWindow(window, false, true, true); }
PXPWINDOWCLASS* themeMailWindow(QWidget* window) { return themeWindow(window, false, false, false); }

} // namespace pxp
