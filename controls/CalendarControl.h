#pragma once
#include <QLineEdit>
#include <QLocale>
#include <QPointer>
#include <QWidget>
#include <functional>

#include "controls/CalendarModel.h"

class QLabel;
class QPagedPaintDevice;
class QPainter;
class QToolButton;

// The calendar component: a caption bar (the shown period, scroll buttons, view buttons) over
// a painted view of its event store. The user selects time, moves and resizes events with the
// mouse (Ctrl copies), types a subject on a selection to add an event, double-clicks and
// right-clicks; each of these reaches the host as a named event ("EventChangedEx",
// "EventAddedEx", "NewEventTyped", "SelectionChanged", "DblClick", "ContextMenu", "ViewChanged"). Events are
// removed only by the host: the Delete key asks it to ("DeleteRequested").
namespace controls {

class CalendarCanvas;

class CalendarControl : public QWidget {
    Q_OBJECT
public:
    explicit CalendarControl(QWidget* parent = nullptr);

    CalendarStore& DataProvider() { return m_store; }
    // Shows the store's current content.
    void Populate();

    int ViewType() const { return m_geometry.viewType(); }
    void setViewType(int type);
    QDate shownDate() const { return m_geometry.anchor(); }
    void goToDate(const QDate& day);
    void step(int direction);

    // The selected time; invalid when nothing is selected.
    bool selectionValid() const { return m_selBegin.isValid() && m_selEnd.isValid(); }
    QDateTime selectionBegin() const { return std::min(m_selBegin, m_selEnd); }
    QDateTime selectionEnd() const { return std::max(m_selBegin, m_selEnd); }
    void setSelection(const QDateTime& begin, const QDateTime& end);
    long selectedEvent() const { return m_selectedEvent; }

    // What lies under the mouse at its last press, double-click or right-click.
    CalendarHit HitTest() const;
    CalendarGeometry& geometry() { return m_geometry; }
    const std::vector<CalendarGeometry::Placed>& placed() const { return m_placed; }
    QWidget* canvas() const;

    // The host's event procedure: the event's name and the event it concerns (0 for none).
    // Its answer 1 to "EventAddedEx" means the host dropped the event.
    std::function<int(const QString& name, long eventId)> eventProcedure;

    // Captions of the caption bar, through the host's translator.
    void translate(const std::function<QString(const QString&)>& tr);
    // The caption bar's text for the shown period, four-digit years in the user's locale.
    QString periodText() const;

    // The current view drawn on `painter` within `area` (screen, printer, benchmark).
    void paintView(QPainter& painter, const QRectF& area);
    // Every page of a print of the current view; false when painting failed.
    bool printTo(QPagedPaintDevice& device, const QString& title);
    // The print preview of the current view; true when the user printed.
    bool printPreview(const QString& title);

    // Whether typing on a selected time adds an event in place (on by default). Off, a typed
    // character asks the host for a new event instead ("NewEventTyped").
    void EnableInPlaceCreateEvent(bool on) { m_inPlaceCreate = on; }
    bool inPlaceCreateEvent() const { return m_inPlaceCreate; }

    // The inline subject entry of a new event, while it is open.
    QLineEdit* subjectEditor() const { return m_editor; }

signals:
    void populated();
    void shownPeriodChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class CalendarCanvas;
    int raise(const QString& name, long eventId = 0);
    void relayout();
    void updateCaption();
    void openSubjectEditor(const QString& text);
    void commitSubject();

    CalendarStore m_store;
    CalendarGeometry m_geometry;
    std::vector<CalendarGeometry::Placed> m_placed;
    std::map<QDate, int> m_more;
    CalendarCanvas* m_canvas;
    QLabel* m_caption;
    QToolButton* m_prev;
    QToolButton* m_next;
    QToolButton* m_today;
    std::vector<std::pair<int, QToolButton*>> m_viewButtons;
    QDateTime m_selBegin, m_selEnd;
    long m_selectedEvent = 0;
    QPointF m_lastPoint;
    QPointer<QLineEdit> m_editor;
    bool m_inPlaceCreate = true;
};

void registerCalendarControl();

// Date patterns of the locale for the calendar's headers: day and month; day, month and year.
QString dayMonthFormat(const QLocale& locale);
QString dayMonthYearFormat(const QLocale& locale);

} // namespace controls
