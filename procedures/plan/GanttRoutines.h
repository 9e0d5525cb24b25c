#pragma once
#include <QDate>
#include <QObject>
#include <QString>
#include <QVariantList>
#include <functional>
#include <memory>

#include "procedures/organiser/window/OrganiserServices.h"

namespace controls {
class GanttView;
class GanttModel;
}
namespace organiser {
class OrganiserWindow;
struct FeatureHost;
class OrganiserPanes;
}

// The planning page's routines over the Gantt chart: its set-up, the outline commands, the
// renumbering, the MS Project export, the link delay and the chart's event procedure. They
// reach the chart through a lookup, since it is made only when the window is first shown;
// before that they do nothing and answer 0.
namespace panes {

// What the routines need of the window that holds the chart.
class GanttSide {
public:
    virtual ~GanttSide() = default;
    virtual controls::GanttView* view() = 0; // none before the window is first shown
    virtual QString translate(const QString& text) = 0;
    virtual QDate today() = 0;
    virtual bool busy() = 0; // GanttBusy: a project command is at work
    // The window's link menu for the pending link, ticked at its type (start, end positions).
    virtual void showLinkMenu(long startItem, int startPos, int endPos) = 0;
    virtual void keyAction(const QString& action) = 0; // "Insert" / "Delete" for the window
    // F_LinkOdgoda: the delay entered, whichever button closed the window.
    virtual int askDelay(int delay) = 0;
};

class GanttRoutines {
public:
    // `side` outlives the routines; `dataFolder` holds Standard.ini and MyXml.xml.
    GanttRoutines(GanttSide& side, QString dataFolder) : m_side(side), m_dataFolder(std::move(dataFolder)) {}

    int SetupGantt();
    int RenumberGanttWbs();
    int IndentGanttActivity();
    int OutdentGanttActivity();
    int MoveGanttActivityUp();
    int MoveGanttActivityDown();
    int RebuildSummaryBars();
    int ExportProjectXml();
    int EditLinkDelay();
    // The link menu's type items: the pending link gets the positions, then the plan is
    // rescheduled from its start item.
    void setLinkType(int startPos, int endPos);
    // A right-click on a link asks whether to delete it.
    void askDeleteLink(const QString& key);
    // S_GanttEvents: reads the event's parameters and may write one back; always 1.
    int S_GanttEvents(const QString& name, QVariantList& params);

    // The pane's module values.
    QString LinkKey;
    int LinkStartPos = 0, LinkEndPos = 0;
    long LinkMenuRequest = 0;
    long LinkRescheduleItem = 0;
    int MN_ODGODA = 0;
    int GanttClickKind = 0;
    int GanttEditing = 0;
    int NonworkingDays = 1;
    bool ExportResult = false;

    static QString projectXmlPath(const QString& dataFolder);
    // The non-working weekdays from the settings: NonWorking1..7 of [Gantt] added as bytes.
    static int readNonworkingMask(const QString& dataFolder);

private:
    controls::GanttView* view() const { return m_side.view(); }
    QString tr(const QString& text) const { return m_side.translate(text); }
    int outline(const std::function<void(controls::GanttModel&)>& work);
    // Reschedules from `item` as part of the change just made; a cycle takes that change back.
    void reschedule(long item);
    void takeLink(const QString& key);

    GanttSide& m_side;
    QString m_dataFolder;
};

// The chart for the organiser's dispatcher, by the operations it calls.
class GanttControl : public QObject, public organiser::GanttApi {
    Q_OBJECT
public:
    // Does nothing and answers 0 until the routines are set.
    explicit GanttControl(QObject* parent = nullptr) : QObject(parent) {}

    void beginUpdate() override;
    void endUpdate() override;
    void removeAllItems() override;
    bool loadXml(const QString& path) override;
    bool saveXml(const QString& path) override;
    void setAllowCellValueToItemBar(bool) override {} // cells and bars are always bound
    int itemCount() override;
    long itemByIndex(int index) override;
    void cellValueToItemBar(long, int, int) override {}
    long insertItem() override;
    void setCellValue(long item, int column, const QVariant& value) override;
    bool isNonworkingDate(const QDate& date) override;
    void selectItem(long item) override;
    void ensureVisibleItem(long item) override;
    void addBar(long item, const QString& kind, const QDate& start, const QDate& end) override;
    void setItemBar(long, int, const QVariant&) override {}
    void setAutoEdit(bool on) override;
    void edit() override;
    long focusItem() override;
    long itemChild(long item) override;
    void removeLinksOf(long item) override;
    void removeItem(long item) override;
    int paneWidth(int pane) override;
    void setPaneWidth(int pane, int width) override;
    bool isModified() override;
    void markSaved() override;

    // The pane routines over `side`, which the control keeps and reaches the chart through.
    GanttRoutines* setRoutines(std::unique_ptr<GanttSide> side, const QString& dataFolder)
    {
        m_side = std::move(side);
        m_routines = std::make_unique<GanttRoutines>(*m_side, dataFolder);
        return m_routines.get();
    }
    GanttRoutines* routines() const { return m_routines.get(); }

private:
    controls::GanttView* view() const { return m_side ? m_side->view() : nullptr; }
    std::unique_ptr<GanttSide> m_side;
    std::unique_ptr<GanttRoutines> m_routines;
};

// Gives the organiser window its Gantt chart: the control behind the dispatcher's Gantt
// calls (made before the window), then the pane routines, the link menu and the chart's
// events once the window and its panes exist.
GanttControl* makeGanttControl();
void attachGantt(organiser::FeatureHost& host);

} // namespace panes
