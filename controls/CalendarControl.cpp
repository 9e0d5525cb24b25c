#include "controls/CalendarControl.h"

#include <QContextMenuEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMouseEvent>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPainterPath>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "controls/OrganiserControls.h"
#include "runtime/ComponentRegistry.h"
#include "runtime/WindowManager.h"

namespace controls {

// The locale's long date without its weekday and year ("d. MMMM" in Croatian, "MMMM d" in
// American English), for the headers of days.
QString dayMonthFormat(const QLocale& locale)
{
    QString f = locale.dateFormat(QLocale::LongFormat);
    static const QRegularExpression weekday(QStringLiteral("d{4}[,.]?\\s*")), year(QStringLiteral("[,\\s]*y+\\.?"));
    f.remove(weekday).remove(year);
    f = f.trimmed();
    while (f.endsWith(QLatin1Char(',')))
        f.chop(1);
    return f.contains(QLatin1Char('d')) && f.contains(QLatin1Char('M')) ? f : QStringLiteral("d MMMM");
}

// The same with a four-digit year, where the locale puts it.
QString dayMonthYearFormat(const QLocale& locale)
{
    QString f = locale.dateFormat(QLocale::LongFormat);
    static const QRegularExpression weekday(QStringLiteral("d{4}[,.]?\\s*"));
    f.remove(weekday);
    if (!f.contains(QLatin1String("yyyy")))
        f.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return f.trimmed();
}

// ---- canvas --------------------------------------------------------------------------------

class CalendarCanvas : public QWidget {
public:
    explicit CalendarCanvas(CalendarControl& control) : QWidget(&control), m_c(control)
    {
        setFocusPolicy(Qt::StrongFocus);
        setMouseTracking(true);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        m_c.paintView(p, rect());
    }
    void resizeEvent(QResizeEvent*) override { m_c.relayout(); }

    void mousePressEvent(QMouseEvent* e) override
    {
        setFocus();
        m_c.m_lastPoint = e->position();
        if (e->button() != Qt::LeftButton)
            return;
        const CalendarHit hit = m_c.HitTest();
        m_press = e->position();
        m_dragging = false;
        m_drag = hit.kind;
        m_pressSlot = hit.time;
        if (hit.kind == CalendarHit::Event || hit.kind == CalendarHit::EventTop || hit.kind == CalendarHit::EventBottom) {
            m_c.m_selectedEvent = hit.eventId;
            if (const CalendarEvent* ev = m_c.m_store.GetEvent(hit.eventId))
                m_original = *ev;
            m_inStrip = !m_c.geometry().isMonth() && e->position().y() < m_c.geometry().dayColumn(m_c.geometry().firstDay()).top();
            m_copy = e->modifiers() & Qt::ControlModifier;
        } else if (hit.kind == CalendarHit::FreeSpace) {
            m_c.m_selectedEvent = 0;
            m_c.m_selBegin = hit.time;
            m_c.m_selEnd = slotEnd(hit.time);
        }
        update();
    }

    void mouseMoveEvent(QMouseEvent* e) override
    {
        m_c.m_lastPoint = e->position();
        if (!(e->buttons() & Qt::LeftButton)) {
            const CalendarHit hit = m_c.HitTest();
            setCursor(hit.kind == CalendarHit::EventTop || hit.kind == CalendarHit::EventBottom ? Qt::SizeVerCursor : Qt::ArrowCursor);
            return;
        }
        if (!m_dragging && (e->position() - m_press).manhattanLength() < 4)
            return;
        m_dragging = true;
        const QDateTime slot = m_c.geometry().slotAt(e->position());
        if (!slot.isValid() || !m_pressSlot.isValid())
            return;
        if (m_drag == CalendarHit::FreeSpace) {
            m_c.m_selEnd = slot >= m_c.m_selBegin ? slotEnd(slot) : slot;
            if (slot < m_c.m_selBegin)
                m_c.m_selBegin = slotEnd(m_pressSlot);
            else
                m_c.m_selBegin = m_pressSlot;
            update();
            return;
        }
        CalendarEvent* ev = m_c.m_store.GetEvent(m_original.id);
        if (!ev || m_drag == CalendarHit::Nothing)
            return;
        CalendarEvent moved = m_original;
        qint64 delta = m_pressSlot.secsTo(slot);
        // An event in the strip over the hours moves by whole days, keeping its times.
        if (m_inStrip)
            delta = qint64(m_pressSlot.date().daysTo(slot.date())) * 24 * 3600;
        if (m_drag == CalendarHit::Event)
            CalendarGeometry::moveTo(moved, m_original.start.addSecs(delta));
        else if (m_drag == CalendarHit::EventTop)
            CalendarGeometry::resizeStart(moved, m_original.start.addSecs(delta));
        else
            CalendarGeometry::resizeEnd(moved, m_original.end.addSecs(delta));
        *ev = moved;
        m_c.relayout();
    }

    void mouseReleaseEvent(QMouseEvent* e) override
    {
        m_c.m_lastPoint = e->position();
        if (e->button() != Qt::LeftButton)
            return;
        const int drag = m_drag;
        m_drag = CalendarHit::Nothing;
        if (drag == CalendarHit::FreeSpace) {
            m_c.raise(QStringLiteral("SelectionChanged"));
            return;
        }
        CalendarEvent* ev = m_c.m_store.GetEvent(m_original.id);
        if (!m_dragging || !ev || drag == CalendarHit::Nothing)
            return;
        m_dragging = false;
        if (ev->start == m_original.start && ev->end == m_original.end)
            return;
        if (m_copy) {
            CalendarEvent copy = *ev;
            *ev = m_original;
            copy.id = m_c.m_store.newUserId();
            m_c.m_store.AddEvent(copy);
            m_c.relayout();
            m_c.raise(QStringLiteral("EventAddedEx"), copy.id);
        } else {
            m_c.raise(QStringLiteral("EventChangedEx"), ev->id);
        }
        m_c.relayout();
    }

    void mouseDoubleClickEvent(QMouseEvent* e) override
    {
        m_c.m_lastPoint = e->position();
        m_drag = CalendarHit::Nothing;
        m_c.raise(QStringLiteral("DblClick"));
    }

    void contextMenuEvent(QContextMenuEvent* e) override
    {
        m_c.m_lastPoint = e->pos();
        const CalendarHit hit = m_c.HitTest();
        if (hit.kind == CalendarHit::FreeSpace && !(m_c.selectionValid() && hit.time >= m_c.selectionBegin() && hit.time < m_c.selectionEnd())) {
            m_c.m_selBegin = hit.time;
            m_c.m_selEnd = slotEnd(hit.time);
            m_c.raise(QStringLiteral("SelectionChanged"));
        }
        m_c.m_selectedEvent = hit.kind == CalendarHit::FreeSpace ? 0 : hit.eventId;
        update();
        m_c.raise(QStringLiteral("ContextMenu"));
    }

    void wheelEvent(QWheelEvent* e) override
    {
        if (m_c.geometry().isMonth()) {
            m_c.step(e->angleDelta().y() > 0 ? -1 : 1);
            return;
        }
        m_c.geometry().setFirstHour(m_c.geometry().firstHour() + (e->angleDelta().y() > 0 ? -1 : 1));
        m_c.relayout();
    }

    void keyPressEvent(QKeyEvent* e) override
    {
        // Delete asks the host to delete the selected event (the component removes nothing).
        if (e->key() == Qt::Key_Delete && m_c.m_selectedEvent != 0) {
            m_c.raise(QStringLiteral("DeleteRequested"), m_c.m_selectedEvent);
            return;
        }
        // Typing on a selected time starts a new event with that subject.
        const QString text = e->text();
        if (m_c.selectionValid() && m_c.m_selectedEvent == 0 && !text.isEmpty() && text.at(0).isPrint()
            && !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            if (m_c.m_inPlaceCreate)
                m_c.openSubjectEditor(text);
            else
                m_c.raise(QStringLiteral("NewEventTyped"));
            return;
        }
        QWidget::keyPressEvent(e);
    }

private:
    QDateTime slotEnd(const QDateTime& slot) const
    {
        return m_c.geometry().isMonth() ? slot.addDays(1) : slot.addSecs(CalendarGeometry::kSlotMinutes * 60);
    }

    CalendarControl& m_c;
    QPointF m_press;
    bool m_dragging = false;
    bool m_copy = false;
    bool m_inStrip = false;
    int m_drag = CalendarHit::Nothing;
    QDateTime m_pressSlot;
    CalendarEvent m_original;
};

// ---- control -------------------------------------------------------------------------------

CalendarControl::CalendarControl(QWidget* parent) : QWidget(parent)
{
    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(0);
    auto* bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("CalendarCaptionBar"));
    bar->setAutoFillBackground(true);
    QPalette pal = bar->palette();
    pal.setColor(QPalette::Window, QColor(0xDD, 0xE7, 0xF3));
    bar->setPalette(pal);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(6, 3, 6, 3);
    auto tool = [bar](const QString& text) {
        auto* b = new QToolButton(bar);
        b->setText(text);
        b->setAutoRaise(true);
        return b;
    };
    m_prev = tool(QStringLiteral("◀"));
    m_next = tool(QStringLiteral("▶"));
    m_today = tool(QStringLiteral("Danas"));
    m_caption = new QLabel(bar);
    QFont f = m_caption->font();
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() * 1.2);
    m_caption->setFont(f);
    row->addWidget(m_prev);
    row->addWidget(m_next);
    row->addWidget(m_today);
    row->addSpacing(8);
    row->addWidget(m_caption, 1);
    for (auto [type, text] : std::initializer_list<std::pair<int, const char*>>{
             {DayView, "Dan"}, {WorkWeekView, "Radni tjedan"}, {FullWeekView, "Tjedan"}, {MonthView, "Mjesec"}}) {
        QToolButton* b = tool(QString::fromUtf8(text));
        b->setCheckable(true);
        b->setObjectName(QStringLiteral("View%1").arg(type));
        connect(b, &QToolButton::clicked, this, [this, type = type] { setViewType(type); });
        row->addWidget(b);
        m_viewButtons.push_back({type, b});
    }
    connect(m_prev, &QToolButton::clicked, this, [this] { step(-1); });
    connect(m_next, &QToolButton::clicked, this, [this] { step(1); });
    connect(m_today, &QToolButton::clicked, this, [this] { goToDate(QDate::currentDate()); });
    box->addWidget(bar);
    m_canvas = new CalendarCanvas(*this);
    box->addWidget(m_canvas, 1);
    m_geometry.setView(FullWeekView, QDate::currentDate());
    updateCaption();
}

QWidget* CalendarControl::canvas() const { return m_canvas; }

void CalendarControl::Populate()
{
    if (m_selectedEvent != 0 && !m_store.GetEvent(m_selectedEvent))
        m_selectedEvent = 0;
    relayout();
    emit populated();
}

void CalendarControl::setViewType(int type)
{
    if (type == m_geometry.viewType()) {
        updateCaption();
        return;
    }
    m_geometry.setView(type, m_geometry.anchor());
    relayout();
    updateCaption();
    raise(QStringLiteral("ViewChanged"));
}

void CalendarControl::goToDate(const QDate& day)
{
    if (!day.isValid())
        return;
    m_geometry.setView(m_geometry.viewType(), day);
    relayout();
    updateCaption();
    emit shownPeriodChanged();
}

void CalendarControl::step(int direction) { goToDate(m_geometry.stepped(direction)); }

void CalendarControl::setSelection(const QDateTime& begin, const QDateTime& end)
{
    m_selBegin = asWallTime(begin);
    m_selEnd = asWallTime(end);
    m_canvas->update();
}

CalendarHit CalendarControl::HitTest() const { return m_geometry.hitTest(m_lastPoint, m_placed); }

int CalendarControl::raise(const QString& name, long eventId)
{
    return eventProcedure ? eventProcedure(name, eventId) : 0;
}

void CalendarControl::relayout()
{
    m_geometry.setSize(m_canvas->size());
    m_more.clear();
    m_placed = m_geometry.place(m_store, &m_more);
    m_canvas->update();
}

QString CalendarControl::periodText() const
{
    const QLocale locale = this->locale(); // the program's language, not the system's
    const QDate first = m_geometry.firstDay(), last = m_geometry.lastDay();
    switch (m_geometry.viewType()) {
    case DayView: return locale.toString(first, QLocale::LongFormat);
    case MonthView: return locale.toString(m_geometry.anchor(), QStringLiteral("MMMM yyyy"));
    default:
        return locale.toString(first, dayMonthYearFormat(locale)) + QStringLiteral(" – ")
               + locale.toString(last, dayMonthYearFormat(locale));
    }
}

void CalendarControl::updateCaption()
{
    m_caption->setText(periodText());
    for (auto& [type, b] : m_viewButtons)
        b->setChecked(type == m_geometry.viewType() || (type == FullWeekView && m_geometry.viewType() == WeekView));
}

void CalendarControl::translate(const std::function<QString(const QString&)>& tr)
{
    if (!tr)
        return;
    m_today->setText(tr(QStringLiteral("Danas")));
    for (auto& [type, b] : m_viewButtons) {
        static const std::map<int, const char*> texts = {
            {DayView, "Dan"}, {WorkWeekView, "Radni tjedan"}, {FullWeekView, "Tjedan"}, {MonthView, "Mjesec"}};
        b->setText(tr(QString::fromUtf8(texts.at(type))));
    }
    updateCaption();
}

void CalendarControl::openSubjectEditor(const QString& text)
{
    if (m_editor)
        return;
    const QDateTime begin = selectionBegin();
    QRectF area;
    if (m_geometry.isMonth()) {
        const QRectF cell = m_geometry.monthCell(begin.date());
        area = QRectF(cell.left() + 2, cell.top() + CalendarGeometry::kMonthLine, cell.width() - 4, CalendarGeometry::kMonthLine + 4);
    } else {
        const QRectF column = m_geometry.dayColumn(begin.date());
        area = QRectF(column.left() + 1, m_geometry.yOf(begin.time()), column.width() - 2, CalendarGeometry::kSlotHeight + 2);
    }
    m_editor = new QLineEdit(m_canvas);
    m_editor->setObjectName(QStringLiteral("CalendarSubjectEditor"));
    m_editor->setGeometry(area.toRect());
    m_editor->setText(text);
    m_editor->show();
    m_editor->setFocus();
    connect(m_editor, &QLineEdit::returnPressed, this, &CalendarControl::commitSubject);
    m_editor->installEventFilter(this);
    // Escape, or leaving the entry empty, adds nothing.
    connect(m_editor, &QLineEdit::editingFinished, this, [this] {
        if (m_editor && !m_editor->hasFocus())
            m_editor->deleteLater();
    });
}

bool CalendarControl::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_editor && event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        m_editor->deleteLater();
        m_editor = nullptr;
        m_canvas->setFocus();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void CalendarControl::commitSubject()
{
    if (!m_editor)
        return;
    const QString subject = m_editor->text().trimmed();
    QLineEdit* editor = m_editor;
    m_editor = nullptr;
    editor->deleteLater();
    m_canvas->setFocus();
    if (subject.isEmpty() || !selectionValid())
        return;
    CalendarEvent e = m_store.CreateEventEx(m_store.newUserId());
    e.subject = subject;
    e.start = selectionBegin();
    e.end = selectionEnd();
    e.allDay = m_geometry.isMonth();
    m_store.AddEvent(e);
    relayout();
    raise(QStringLiteral("EventAddedEx"), e.id);
    relayout();
}

// ---- painting ------------------------------------------------------------------------------

namespace {
QColor fillOf(const CalendarStore& store, const CalendarEvent& e)
{
    const CalendarLabel* l = store.label(e.label);
    return l && l->colour.isValid() ? l->colour.lighter(115) : QColor(0xE3, 0xEC, 0xF8);
}

// White on dark fills, by perceived brightness (a pure blue is dark, a pure green is not).
QColor textOn(const QColor& fill)
{
    return 0.299 * fill.red() + 0.587 * fill.green() + 0.114 * fill.blue() < 140 ? Qt::white : Qt::black;
}
} // namespace

void CalendarControl::paintView(QPainter& p, const QRectF& area)
{
    p.save();
    p.translate(area.topLeft());
    const QSizeF size = area.size();
    if (m_geometry.size() != size) {
        m_geometry.setSize(size);
        m_more.clear();
        m_placed = m_geometry.place(m_store, &m_more);
    }
    const QLocale locale = this->locale();
    const QDate today = QDate::currentDate();
    const QColor grid(0xC5, 0xD2, 0xE3), header(0xEE, 0xF2, 0xF8), select(0xBF, 0xD8, 0xF5);
    p.fillRect(QRectF(QPointF(0, 0), size), Qt::white);
    QFont small = p.font();
    small.setPixelSize(11);
    QFont bold = small;
    bold.setBold(true);
    p.setFont(small);
    const double H = CalendarGeometry::kDayHeader;

    if (m_geometry.isMonth()) {
        const double width = size.width() / 7;
        for (int d = 0; d < 7; ++d) {
            const QRectF h(width * d, 0, width, H);
            p.fillRect(h, header);
            p.setPen(Qt::black);
            p.drawText(h, Qt::AlignCenter, locale.dayName(d + 1, QLocale::LongFormat));
        }
        for (QDate day = m_geometry.firstDay(); day <= m_geometry.lastDay(); day = day.addDays(1)) {
            const QRectF cell = m_geometry.monthCell(day);
            const bool inMonth = day.month() == m_geometry.anchor().month();
            p.fillRect(cell, inMonth ? Qt::white : QColor(0xF4, 0xF4, 0xF4));
            if (selectionValid() && wallTime(day) >= selectionBegin() && wallTime(day) < selectionEnd())
                p.fillRect(cell, select);
            p.setPen(grid);
            p.drawRect(cell);
            const QRectF line(cell.left() + 3, cell.top(), cell.width() - 6, CalendarGeometry::kMonthLine);
            if (day == today)
                p.fillRect(line, QColor(0xFF, 0xE0, 0x9A));
            p.setPen(inMonth ? Qt::black : Qt::gray);
            p.setFont(day == today ? bold : small);
            p.drawText(line, Qt::AlignRight | Qt::AlignVCenter,
                       day.day() == 1 ? locale.toString(day, dayMonthFormat(locale).replace(QLatin1String("MMMM"), QLatin1String("MMM"))) : QString::number(day.day()));
            p.setFont(small);
            if (const auto it = m_more.find(day); it != m_more.end()) {
                p.setPen(Qt::darkBlue);
                p.drawText(line, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("+%1").arg(it->second));
            }
        }
    } else {
        const QDate first = m_geometry.firstDay();
        const int days = m_geometry.dayCount();
        const QRectF firstColumn = m_geometry.dayColumn(first);
        const double top = firstColumn.top();
        for (int d = 0; d < days; ++d) {
            const QDate day = first.addDays(d);
            const QRectF column = m_geometry.dayColumn(day);
            const QRectF h(column.left(), 0, column.width(), H);
            p.fillRect(h, day == today ? QColor(0xFF, 0xE0, 0x9A) : header);
            p.fillRect(QRectF(column.left(), H, column.width(), top - H), QColor(0xF7, 0xF9, 0xFC));
            p.setPen(Qt::black);
            p.setFont(day == today ? bold : small);
            const auto more = m_more.find(day);
            // Room on the right for the count of what the strip leaves out.
            p.drawText(more == m_more.end() ? h : h.adjusted(0, 0, -28, 0), Qt::AlignCenter, locale.toString(day, QStringLiteral("ddd ") + dayMonthFormat(locale)));
            p.setFont(small);
            if (more != m_more.end()) {
                p.setPen(Qt::darkBlue);
                p.drawText(h.adjusted(0, 0, -4, 0), Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("+%1").arg(more->second));
            }
            // Working hours a shade lighter than the rest of the day.
            const double y8 = m_geometry.yOf(QTime(8, 0)), y17 = m_geometry.yOf(QTime(17, 0));
            p.fillRect(QRectF(column.left(), top, column.width(), size.height() - top), QColor(0xF3, 0xF6, 0xFA));
            if (day.dayOfWeek() < 6)
                p.fillRect(QRectF(column.left(), std::max(top, y8), column.width(), std::max(0.0, y17 - std::max(top, y8))), Qt::white);
            if (selectionValid()) {
                const QDateTime from = std::max(selectionBegin(), wallTime(day));
                const QDateTime to = std::min(selectionEnd(), wallTime(day.addDays(1)));
                if (from < to) {
                    const double y1 = m_geometry.yOf(from.time());
                    const double y2 = to.date() > day ? m_geometry.yOf(QTime(23, 59, 59)) : m_geometry.yOf(to.time());
                    p.fillRect(QRectF(column.left(), std::max(top, y1), column.width(), y2 - std::max(top, y1)), select);
                }
            }
        }
        for (int slot = m_geometry.firstHour() * 2; slot <= 48; ++slot) {
            const double y = top + (slot - m_geometry.firstHour() * 2) * CalendarGeometry::kSlotHeight;
            if (y > size.height())
                break;
            p.setPen(slot % 2 ? QPen(grid, 1, Qt::DotLine) : QPen(grid));
            p.drawLine(QPointF(slot % 2 ? CalendarGeometry::kTimeColumn : 0, y), QPointF(size.width(), y));
            if (slot % 2 == 0 && slot < 48) {
                p.setPen(Qt::darkGray);
                p.drawText(QRectF(0, y, CalendarGeometry::kTimeColumn - 6, CalendarGeometry::kSlotHeight), Qt::AlignRight | Qt::AlignVCenter,
                           QTime(slot / 2, 0).toString(QStringLiteral("HH:mm")));
            }
        }
        p.setPen(grid);
        for (int d = 0; d <= days; ++d) {
            const double x = CalendarGeometry::kTimeColumn + firstColumn.width() * d;
            p.drawLine(QPointF(x, 0), QPointF(x, size.height()));
        }
        p.drawLine(QPointF(0, top), QPointF(size.width(), top));
        // The hours above the first shown one are clipped away.
        p.setClipRect(QRectF(0, 0, size.width(), size.height()));
    }

    for (const CalendarGeometry::Placed& piece : m_placed) {
        const CalendarEvent* e = m_store.GetEvent(piece.id);
        if (!e)
            continue;
        QRectF r = piece.rect;
        const bool band = m_geometry.isMonth() || r.height() <= CalendarGeometry::kMonthLine;
        if (!band) {
            const double top = m_geometry.dayColumn(piece.day).top();
            if (r.bottom() <= top)
                continue;
            r.setTop(std::max(r.top(), top));
        }
        const QColor fill = fillOf(m_store, *e);
        QPainterPath path;
        path.addRoundedRect(r, 3, 3);
        p.fillPath(path, fill);
        p.setPen(QPen(piece.id == m_selectedEvent ? Qt::black : fill.darker(150), piece.id == m_selectedEvent ? 2 : 1));
        p.drawPath(path);
        p.setPen(textOn(fill));
        const QRectF text = r.adjusted(4, 1, -3, -1);
        if (band) {
            QString line = e->subject;
            if (m_geometry.isMonth() && !e->allDay && e->start.date() == piece.day)
                line = e->start.time().toString(QStringLiteral("HH:mm")) + QLatin1Char(' ') + line;
            p.setFont(small);
            p.drawText(text, Qt::AlignLeft | Qt::AlignVCenter, p.fontMetrics().elidedText(line, Qt::ElideRight, int(text.width())));
        } else {
            p.setFont(bold);
            QString body = e->subject;
            p.drawText(text, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, body);
            if (!e->location.isEmpty() && r.height() > 2 * CalendarGeometry::kSlotHeight) {
                p.setFont(small);
                p.drawText(text.adjusted(0, CalendarGeometry::kSlotHeight * 0.8, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                           QStringLiteral("(%1)").arg(e->location));
            }
        }
    }
    p.restore();
}

bool CalendarControl::printTo(QPagedPaintDevice& device, const QString& title)
{
    device.setPageOrientation(QPageLayout::Landscape);
    QPainter p;
    if (!p.begin(&device))
        return false;
    const QRectF page = p.viewport();
    // The view is drawn at the screen's size and scaled to the page, so it looks as it does
    // on screen; the title line carries the shown period.
    const QSizeF screen = m_canvas->size().width() > 200 ? QSizeF(m_canvas->size()) : QSizeF(1100, 700);
    const double titleHeight = page.height() * 0.06;
    QFont f = p.font();
    f.setPixelSize(int(titleHeight * 0.6));
    f.setBold(true);
    p.setFont(f);
    p.drawText(QRectF(0, 0, page.width(), titleHeight), Qt::AlignLeft | Qt::AlignVCenter,
               (title.isEmpty() ? QString() : title + QStringLiteral(" – ")) + periodText());
    const double scale = std::min(page.width() / screen.width(), (page.height() - titleHeight) / screen.height());
    p.translate(0, titleHeight);
    p.scale(scale, scale);
    const int firstHour = m_geometry.firstHour();
    // A time grid prints from the morning, whatever hour the screen is scrolled to.
    if (!m_geometry.isMonth())
        m_geometry.setFirstHour(7);
    m_geometry.setSize({}); // forces a layout at the printed size
    paintView(p, QRectF(QPointF(0, 0), screen));
    m_geometry.setFirstHour(firstHour);
    const bool ok = p.end();
    relayout();
    return ok;
}

bool CalendarControl::printPreview(const QString& title)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(title);
    QPrintPreviewDialog dialog(&printer, this);
    dialog.setWindowTitle(title);
    bool printed = false;
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this, [&](QPrinter* target) { printed = printTo(*target, title) || printed; });
    const int result = vrt::runModal(dialog);
    return printed && result == QDialog::Accepted;
}

void registerCalendarControl()
{
    vrt::ComponentRegistry::instance().registerFactory(QString::fromLatin1(kCalendarProgId),
                                                       [](QWidget* p) { return new CalendarControl(p); });
}

} // namespace controls
