#include "procedures/organiser/panes/TaskPanelFill.h"

#include <QScopeGuard>
#include <QTime>

#include "data/TableManagers.h"
#include "procedures/common/VelmoraDll.h"
#include "procedures/organiser/lists/ListDefs.h"
#include "runtime/DateTime.h"
#include "runtime/IniFile.h"
#include "runtime/Odbc.h"
#include "runtime/Paths.h"
#include "runtime/Text.h"

namespace panes {

namespace {

constexpr int kLineChars = 7999;

const char* const kOpenTasksSql =
    "SELECT StartDateTime,Subject,Location,Body,EventID,Status FROM CAL_CalendarEvents "
    "WHERE Status < 2 ORDER BY StartDateTime DESC";

QString text(vrt::odbc::Statement& s, int column)
{
    return QString::fromStdString(s.text(column).value_or(std::string()));
}

} // namespace

// A task's event opens in the mail desk's task form; without the desk nothing opens.
class TaskPanelFill::Editor : public organiser::TaskEditor {
public:
    Editor(TaskPanelFill& fill, organiser::FormLauncher& forms, organiser::MailDesk* mail)
        : m_fill(fill), m_forms(forms), m_mail(mail)
    {
    }
    std::optional<int> editEvent(long eventId) override
    {
        return m_mail ? m_mail->editTask(m_forms, eventId) : std::nullopt;
    }
    void refill() override { m_fill.run(); }

private:
    TaskPanelFill& m_fill;
    organiser::FormLauncher& m_forms;
    organiser::MailDesk* m_mail;
};

TaskPanelFill::TaskPanelFill(organiser::TaskPanelModel& panel, QString dataFolder, TaskPanelSide& side,
                             TagSetClass* noteTags)
    : m_panel(panel), m_dataFolder(std::move(dataFolder)), m_side(side), m_noteTags(noteTags)
{
}

TaskPanelFill::~TaskPanelFill()
{
    if (m_editor && m_panel.editor() == m_editor.get())
        m_panel.setEditor(nullptr);
}

void TaskPanelFill::connectPanel(organiser::FormLauncher& forms, organiser::MailDesk* mail)
{
    m_editor = std::make_unique<Editor>(*this, forms, mail);
    m_panel.setEditor(m_editor.get());
}

int TaskPanelFill::run()
{
    if (m_running) // a refill from inside (a step's message, the tab) waits for this one
        return 0;
    m_running = true;
    const auto done = qScopeGuard([this] { m_running = false; });
    organiser::TaskPanelModel& panel = m_panel;

    // The heading replaces the previous one with its lines.
    panel.CLEAR();
    const long heading = panel.ADDHEADER(m_side.translate(kTaskPanelHeading), 0, true,
                                         QStringLiteral("hand_paper.ico"));
    panel.SETALWAYSEXPANDED(heading, true);

    // The look is the model's own (colour groups, font, margins, app name).
    m_side.showPanel();

    moveSampleTasks(m_side.today());
    readOpenTasks(heading);
    m_side.refreshPanel();

    tagNotes();
    m_side.drawFinanceChart();
    // The first fill is the one at start-up. The chart cannot tell it: the last tab, shown
    // before this fill, may have shown it already.
    if (!m_startupDone) {
        m_startupDone = true;
        backupOnStart();
    }
    if (m_side.chartHidden()) // a refill finds the chart shown
        m_side.showChart();

    m_side.tabChanged();
    if (m_side.windowHidden())
        m_side.showWindow();
    return 0;
}

void TaskPanelFill::moveSampleTasks(const QDate& today)
{
    // The demonstration database's three tasks stay around today: yesterday, today, tomorrow.
    static const struct {
        int32_t id;
        const char* location;
        int days;
    } samples[] = {{1, "Test3", -1}, {2, "Test2", 0}, {3, "Test1", 1}};
    vrt::FileManager& f = Access(Tbl::CAL_CalendarEvents);
    for (const auto& sample : samples) {
        f.clearBuffer();
        CAL().EVENTID = sample.id;
        if (f.TryFetch(CAL.PK_CalendarEvents) != 0)
            continue;
        if (vrt::clipTrailing(QString::fromStdString(CAL().LOCATION)) != QLatin1String(sample.location))
            continue;
        const int day = vrt::dayFromDate(today.addDays(sample.days));
        CAL().STARTDATETIME_DATE = day;
        CAL().ENDDATETIME_DATE = day;
        f.Update(); // a failure is reported there
    }
}

void TaskPanelFill::readOpenTasks(long heading)
{
    vrt::Session& session = corvalde::ThreadSession();
    vrt::odbc::Connection* c = session.connection();
    if (!c)
        return;
    session.suspendReaders(); // read what is stored now, not an open cursor's snapshot
    vrt::odbc::Statement s(*c);
    if (!s.prepare(kOpenTasksSql) || !s.execute())
        return;
    // Each line carries its event's number as its user data.
    while (s.fetch())
        m_panel.ADDTASK(heading, lineText(text(s, 1), text(s, 2), text(s, 3), text(s, 4)), 0, false,
                           statusIcon(m_dataFolder, int(s.integer(6).value_or(-1))), false,
                           (unsigned long)s.integer(5).value_or(0));
}

void TaskPanelFill::tagNotes()
{
    TagSetClass& tags = m_noteTags ? *m_noteTags : VelmoraDll::tagSet();
    const int rows = m_side.noteRows();
    for (int r = 0; r < rows; ++r)
        if (m_side.noteCell(QStringLiteral("NOTE:STATUS"), r).toInt() != 0)
            tags.Add(m_side.noteCell(QStringLiteral("NOTE:ID"), r));
    m_side.resetNotes();
}

void TaskPanelFill::backupOnStart()
{
    const vrt::IniFile ini(vrt::joinPath(m_dataFolder, QStringLiteral("Standard.ini")));
    const QString section = QStringLiteral("Backup");
    if (ini.getInt(section, QStringLiteral("OnStart"), 0) != 1)
        return;
    const QString destination = vrt::clipTrailing(ini.get(section, QStringLiteral("Destination")));
    if (!destination.isEmpty())
        m_side.backup(destination);
}

QString TaskPanelFill::lineText(const QString& startDateTime, const QString& subject, const QString& location,
                                const QString& body)
{
    const QTime start = vrt::qtimeFromTime(vrt::dateTimeFromText(startDateTime).second);
    const QString when = organiser::shortDate(startDateTime) + u' ' +
                         (start.isValid() ? start.toString(QStringLiteral("hh:mm")) : QString());
    const QString comma = QStringLiteral(", ");
    return vrt::clip(when + comma + subject + comma + location + comma + body, kLineChars);
}

QString TaskPanelFill::statusIcon(const QString& dataFolder, int status)
{
    if (status != 0 && status != 1)
        return {};
    const QString images = vrt::joinPath(dataFolder, QStringLiteral("Images"));
    return vrt::joinPath(images, status == 0 ? QStringLiteral("smiley2.ico") : QStringLiteral("smiley3.ico"));
}

} // namespace panes
