#include "procedures/plan/GanttRoutines.h"

#include <QEvent>
#include <QPointer>
#include <QWidget>

#include "controls/GanttModel.h"
#include "controls/GanttProjectXml.h"
#include "controls/GanttView.h"
#include "procedures/common/Utf8Writer.h"
#include "procedures/organiser/panes/OrganiserPanes.h"
#include "procedures/organiser/window/OrganiserWindow.h"
#include "procedures/organiser/window/ProcedureTables.h"
#include "procedures/plan/GanttLinkDelay.h"
#include "runtime/Dialogs.h"
#include "runtime/IniFile.h"
#include "runtime/Paths.h"

namespace panes {

using controls::GanttModel;
using controls::GanttView;

QString GanttRoutines::projectXmlPath(const QString& dataFolder) { return vrt::joinPath(dataFolder, QStringLiteral("MyXml.xml")); }

int GanttRoutines::readNonworkingMask(const QString& dataFolder)
{
    const vrt::IniFile ini(vrt::joinPath(dataFolder, QStringLiteral("Standard.ini")));
    int sum = 0;
    for (int i = 1; i <= 7; ++i)
        sum += int(ini.getInt(QStringLiteral("Gantt"), QStringLiteral("NonWorking%1").arg(i), i == 7 ? 1 : 0));
    return sum & 0xFF;
}

int GanttRoutines::SetupGantt()
{
    GanttView* v = view();
    if (!v)
        return 0;
    v->eventProcedure = [this](const QString& name, QVariantList& params) { return S_GanttEvents(name, params); };
    v->BeginUpdate();
    v->setDefaultItemHeight(20);
    v->setPaneWidth(0, 333);
    v->setMonthNames(tr(QStringLiteral("Siječanj Veljača Ožujak Travanj Svibanj Lipanj Srpanj Kolovoz Rujan Listopad Studeni Prosinac"))
                         .split(QLatin1Char(' '), Qt::SkipEmptyParts));
    // The zoom strip's units as the overview names them: day, week, month.
    const QStringList units = tr(QStringLiteral("Godina|1Godina|1Godina|Mjesec|Trećina|Tjedan|Dan|Sat|Min|Sek")).split(QLatin1Char('|'));
    if (units.size() >= 7)
        v->setZoomCaptions({units[6], units[5], units[3]});
    NonworkingDays = readNonworkingMask(m_dataFolder);
    v->model().setNonworkingDays(NonworkingDays);
    QStringList captions;
    for (const char* c : {"Aktivnosti", "Početak", "Završetak", "Trajanje", "Rbr", "Oznaka", "Level"})
        captions << tr(QString::fromUtf8(c));
    v->setColumnCaptions(captions);
    v->setColumnWidths({250, 90, 90, 60, 30, 50, 50});
    v->setAutoEdit(true);
    v->EndUpdate();
    return 0;
}

int GanttRoutines::RenumberGanttWbs()
{
    if (GanttView* v = view()) {
        v->model().RenumberWbs();
        v->refresh();
    }
    return 0;
}

int GanttRoutines::outline(const std::function<void(GanttModel&)>& work)
{
    GanttView* v = view();
    if (!v)
        return 0;
    v->EditClose();
    const int pos = v->scrollPos();
    v->BeginUpdate();
    work(v->model());
    v->EndUpdate();
    v->setScrollPos(pos);
    v->EnsureVisibleItem(v->model().FocusItem());
    return RenumberGanttWbs();
}

int GanttRoutines::IndentGanttActivity() { return outline([](GanttModel& m) { m.IndentSelection(); }); }
int GanttRoutines::OutdentGanttActivity() { return outline([](GanttModel& m) { m.OutdentSelection(); }); }
int GanttRoutines::MoveGanttActivityUp() { return outline([](GanttModel& m) { m.MoveFocusUp(); }); }
int GanttRoutines::MoveGanttActivityDown() { return outline([](GanttModel& m) { m.MoveFocusDown(); }); }
int GanttRoutines::RebuildSummaryBars() { return outline([](GanttModel& m) { m.RebuildSummaryBars(); }); }

int GanttRoutines::ExportProjectXml()
{
    GanttView* v = view();
    if (!v)
        return 0;
    GanttModel& m = v->model();
    m.RenumberWbs();
    const QDate today = m_side.today();
    // The writer says itself when the file cannot be written.
    ExportResult = VelmoraDll::S_WriteUTF8File(controls::buildProjectXmlLines(m, today, m.NonworkingDays()),
                                               projectXmlPath(m_dataFolder));
    return 0;
}

void GanttRoutines::reschedule(long item)
{
    GanttView* v = view();
    if (!v)
        return;
    GanttModel& m = v->model();
    m.beginChange(true);
    const int rc = m.SchedulePDM(item);
    m.endChange();
    if (rc < 0) {
        vrt::message(tr(QStringLiteral("Ciklički linkovi! Pritisnite Ctrl Z!")), QString(), vrt::Icon::Exclamation);
        m.Undo(); // the change that met the cycle goes, the plan is as it was
    }
}

void GanttRoutines::takeLink(const QString& key)
{
    GanttView* v = view();
    if (!v || !v->model().link(key))
        return;
    const GanttModel& m = v->model();
    LinkKey = key;
    LinkStartPos = m.Link(key, controls::LinkStartPos).toInt();
    LinkEndPos = m.Link(key, controls::LinkEndPos).toInt();
    LinkMenuRequest = long(m.Link(key, controls::LinkStartItem).toLongLong());
    MN_ODGODA = m.Link(key, controls::LinkDelay).toInt();
    LinkRescheduleItem = LinkMenuRequest;
    m_side.showLinkMenu(LinkMenuRequest, LinkStartPos, LinkEndPos);
}

void GanttRoutines::setLinkType(int startPos, int endPos)
{
    GanttView* v = view();
    if (!v || !v->model().link(LinkKey))
        return;
    v->model().setLinkType(LinkKey, startPos, endPos);
    LinkStartPos = startPos;
    LinkEndPos = endPos;
    reschedule(LinkRescheduleItem);
}

int GanttRoutines::EditLinkDelay()
{
    GanttView* v = view();
    if (!v || !v->model().link(LinkKey))
        return 0;
    MN_ODGODA = m_side.askDelay(MN_ODGODA);
    v->model().setLink(LinkKey, controls::LinkDelay, MN_ODGODA);
    reschedule(LinkRescheduleItem);
    return 0;
}

void GanttRoutines::askDeleteLink(const QString& key)
{
    GanttView* v = view();
    if (!v || !v->model().link(key))
        return;
    if (vrt::message(tr(QStringLiteral("Želite li obrisati link?")), tr(QStringLiteral("Info")), vrt::Icon::Question,
                     vrt::BUTTON_YES | vrt::BUTTON_NO) != vrt::BUTTON_YES)
        return;
    v->model().RemoveLink(key);
    reschedule(0);
}

int GanttRoutines::S_GanttEvents(const QString& name, QVariantList& params)
{
    const auto param = [&params](int n) { return n >= 1 && n <= params.size() ? params[n - 1] : QVariant(); };
    const bool busy = m_side.busy();
    GanttView* v = view();
    if (name == QLatin1String("EditOpen")) {
        GanttEditing = 1;
    } else if (name == QLatin1String("EditClose")) {
        GanttEditing = 0;
    } else if (name == QLatin1String("AllowLink")) {
        if (v && (v->model().isSummary(long(param(1).toLongLong())) || v->model().isSummary(long(param(3).toLongLong()))))
            params[5] = 1;
    } else if (name == QLatin1String("AddLink")) {
        if (!busy && v) {
            const QString key = param(1).toString();
            reschedule(long(v->model().Link(key, controls::LinkStartItem).toLongLong()));
            takeLink(key);
        }
    } else if (name == QLatin1String("BarResize")) {
        if (!busy)
            reschedule(long(param(1).toLongLong()));
    } else if (name == QLatin1String("KeyDown")) {
        const int code = param(1).toInt();
        if (code == 45)
            m_side.keyAction(QStringLiteral("Insert"));
        else if (code == 46 && GanttEditing == 0)
            m_side.keyAction(QStringLiteral("Delete"));
    } else if (name == QLatin1String("DblClick")) {
        if (const QString key = param(1).toString(); !key.isEmpty())
            takeLink(key);
    } else if (name == QLatin1String("RClick")) {
        if (const QString key = param(1).toString(); !key.isEmpty()) {
            LinkKey = key;
            GanttClickKind = 1;
            askDeleteLink(key);
            GanttClickKind = 0;
        }
    }
    return 1;
}

// ---- the dispatcher's chart -----------------------------------------------------------------

void GanttControl::beginUpdate()
{
    if (GanttView* v = view())
        v->BeginUpdate();
}

void GanttControl::endUpdate()
{
    if (GanttView* v = view())
        v->EndUpdate();
}

void GanttControl::removeAllItems()
{
    if (GanttView* v = view())
        v->model().RemoveAllItems();
}

bool GanttControl::loadXml(const QString& path)
{
    GanttView* v = view();
    return v && v->model().load(path);
}

bool GanttControl::saveXml(const QString& path)
{
    GanttView* v = view();
    return v && v->model().save(path);
}

int GanttControl::itemCount()
{
    GanttView* v = view();
    return v ? v->model().ItemCount() : 0;
}

long GanttControl::itemByIndex(int index)
{
    GanttView* v = view();
    return v ? v->model().ItemByIndex(index) : 0;
}

long GanttControl::insertItem()
{
    GanttView* v = view();
    if (!v)
        return 0;
    // The new row and the values the command then gives it are one step to take back.
    GanttModel& m = v->model();
    m.beginChange();
    QMetaObject::invokeMethod(v, [v] { v->model().endChange(); }, Qt::QueuedConnection);
    return m.InsertItem();
}

void GanttControl::setCellValue(long item, int column, const QVariant& value)
{
    if (GanttView* v = view())
        v->model().setCellValue(item, column, value);
}

bool GanttControl::isNonworkingDate(const QDate& date)
{
    GanttView* v = view();
    return v && v->model().IsNonworkingDate(date);
}

void GanttControl::selectItem(long item)
{
    if (GanttView* v = view()) {
        v->model().UnselectAll();
        v->model().SelectItem(item);
        v->refresh();
    }
}

void GanttControl::ensureVisibleItem(long item)
{
    if (GanttView* v = view())
        v->EnsureVisibleItem(item);
}

void GanttControl::addBar(long item, const QString& kind, const QDate& start, const QDate& end)
{
    if (GanttView* v = view())
        v->model().AddBar(item, kind, start, end);
}

void GanttControl::setAutoEdit(bool on)
{
    if (GanttView* v = view())
        v->setAutoEdit(on);
}

void GanttControl::edit()
{
    if (GanttView* v = view())
        v->Edit();
}

long GanttControl::focusItem()
{
    GanttView* v = view();
    return v ? v->model().FocusItem() : 0;
}

long GanttControl::itemChild(long item)
{
    GanttView* v = view();
    return v ? v->model().ItemChild(item) : 0;
}

void GanttControl::removeLinksOf(long item)
{
    if (GanttView* v = view())
        v->model().RemoveLinksOf(item);
}

void GanttControl::removeItem(long item)
{
    if (GanttView* v = view())
        v->model().RemoveItem(item);
}

int GanttControl::paneWidth(int pane)
{
    GanttView* v = view();
    return v ? v->PaneWidth(pane) : 0;
}

void GanttControl::setPaneWidth(int pane, int width)
{
    if (GanttView* v = view())
        v->setPaneWidth(pane, width);
}

bool GanttControl::isModified()
{
    GanttView* v = view();
    return v && v->model().isModified();
}

void GanttControl::markSaved()
{
    if (GanttView* v = view())
        v->model().setModified(false);
}

// ---- wiring ---------------------------------------------------------------------------------

namespace {
class UnsavedPlanGuard : public QObject {
public:
    UnsavedPlanGuard(std::function<bool()> handled, QObject* parent) : QObject(parent), m_handled(std::move(handled)) {}
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Close && !m_handled()) {
            event->ignore();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<bool()> m_handled;
};
// The organiser window behind the routines: the link menu and the chart's keys go through its
// panes' event pump.
class WindowGanttSide : public GanttSide {
public:
    WindowGanttSide(organiser::OrganiserWindow& window, organiser::OrganiserPanes& panes) : m_window(window), m_panes(panes) {}

    GanttView* view() override { return qobject_cast<GanttView*>(m_window.hosted().gantt); }
    QString translate(const QString& text) override { return m_window.translated(text); }
    QDate today() override { return QDate::currentDate(); }
    bool busy() override { return m_window.dispatcher().ganttUpdating(); }
    void showLinkMenu(long startItem, int startPos, int endPos) override
    {
        m_panes.buttons().PendingLinkStartType = startPos;
        m_panes.buttons().PendingLinkEndType = endPos;
        m_panes.pump().PendingLinkEdit = startItem;
        m_panes.pumpEvents();
    }
    void keyAction(const QString& action) override
    {
        m_panes.pump().PendingGanttKey = action;
        m_panes.pumpEvents();
    }
    int askDelay(int delay) override
    {
        return F_LinkOdgoda(delay, &m_window, [this](const QString& t) { return m_window.translated(t); });
    }

private:
    organiser::OrganiserWindow& m_window;
    organiser::OrganiserPanes& m_panes;
};
} // namespace

GanttControl* makeGanttControl() { return new GanttControl(); }

void attachGantt(organiser::FeatureHost& host)
{
    organiser::OrganiserWindow& window = host.window;
    organiser::OrganiserPanes& panes = host.panes;
    GanttControl& control = dynamic_cast<GanttControl&>(host.gantt);
    control.setParent(&window);

    auto* routines = control.setRoutines(std::make_unique<WindowGanttSide>(window, panes), window.dataFolder());

    host.routines.attach(organiser::Routine::SetupGantt, [routines] { return routines->SetupGantt(); });
    host.routines.attach(organiser::Routine::RenumberGanttWbs, [routines] { return routines->RenumberGanttWbs(); });
    host.routines.attach(organiser::Routine::IndentGanttActivity, [routines] { return routines->IndentGanttActivity(); });
    host.routines.attach(organiser::Routine::OutdentGanttActivity, [routines] { return routines->OutdentGanttActivity(); });
    host.routines.attach(organiser::Routine::MoveGanttActivityUp, [routines] { return routines->MoveGanttActivityUp(); });
    host.routines.attach(organiser::Routine::MoveGanttActivityDown, [routines] { return routines->MoveGanttActivityDown(); });
    host.routines.attach(organiser::Routine::ExportProjectXml, [routines] { return routines->ExportProjectXml(); });
    // Closing the program asks first, as a new or opened plan does.
    QWidget* top = window.window();
    top->installEventFilter(new UnsavedPlanGuard([&window] { return window.dispatcher().unsavedPlanHandled(); }, &control));

    // The link menu's items act on the pending link.
    vrt::PopupMenu& links = panes.menus().menu(organiser::Popup::GanttLinks);
    static const std::pair<const char*, std::pair<int, int>> types[] = {
        {"FS", {2, 0}}, {"FF", {2, 2}}, {"SS", {0, 0}}, {"SF", {0, 2}}};
    for (const auto& [name, pos] : types)
        if (vrt::PopupMenu::Item* item = links.item(links.idOf(QLatin1String(name))))
            item->action = [routines, pos = pos] { routines->setLinkType(pos.first, pos.second); };
    host.routines.attach(organiser::Routine::EditLinkDelay, [routines] { return routines->EditLinkDelay(); });
}

} // namespace panes
