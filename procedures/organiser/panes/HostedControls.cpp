#include "procedures/organiser/panes/HostedControls.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLayout>
#include <QVBoxLayout>
#include <QWidget>

#include "controls/CalendarControl.h"
#include "controls/OrganiserControls.h"
#include "procedures/organiser/window/ControlNumbers.h"
#include "runtime/ComponentRegistry.h"
#include "runtime/Dialogs.h"

namespace organiser {

QObject* RegistryControlFactory::create(const QString& progId, QWidget* parent)
{
    return vrt::ComponentRegistry::instance().create(progId, parent);
}

bool RegistryControlFactory::registerServer(const QString& file)
{
    // "x_Rm.dll" is the plugin "x_Rm" beside the program, when one is installed.
    return vrt::ComponentRegistry::instance().registerServer(QFileInfo(file).completeBaseName());
}

QString calendarResourceFile(int language, const QString& dataFolder)
{
    static const char* const files[] = {"ResourceHr.dll", "ResourceEn.dll", "ResourceRu.dll"};
    if (language < 1 || language > 3)
        return {};
    return dataFolder + QStringLiteral("/Images/") + QLatin1String(files[language - 1]);
}

namespace {

class Creator {
public:
    Creator(const HostedDeps& d, HostingWindow& window) : m_d(d), m_window(window) {}

    // Creates in the container; on failure registers `file` (when given) and tries once more.
    QObject* make(const char* progId, int container, const char* file = nullptr)
    {
        QWidget* box = m_window.container(container);
        QObject* o = m_d.factory->create(QLatin1String(progId), box);
        if (!o && file) {
            m_d.factory->registerServer(QLatin1String(file));
            o = m_d.factory->create(QLatin1String(progId), box);
        }
        if (auto* w = qobject_cast<QWidget*>(o); w && box) {
            if (!box->layout()) {
                auto* layout = new QVBoxLayout(box);
                layout->setContentsMargins(0, 0, 0, 0);
            }
            box->layout()->addWidget(w);
        }
        return o;
    }

private:
    const HostedDeps& m_d;
    HostingWindow& m_window;
};

const QString kAdministrator = QStringLiteral("Please login into Windows as Administrator and run the program again !");

} // namespace

int createActiveXControls(const HostedDeps& d, HostingWindow& window, HostedControls& out)
{
    Creator c(d, window);
    using namespace controls;
    out.chart = c.make(kChartProgId, 13, "x_Rm.dll");
    if (!out.chart)
        vrt::stop(kAdministrator);

    out.headerPanel = c.make(kTaskPanelProgId, ctl::HeaderPanel, "x_TPanel.dll");
    if (!out.headerPanel)
        vrt::stop(kAdministrator);
    auto* panel = qobject_cast<MessageHeaderPanel*>(out.headerPanel);
    if (panel) {
        panel->setProperty("BorderStyle", 0);
        panel->setProperty("Animation", 1);
        panel->setMargins(0, 0, 0, 0, 0);
        panel->setProperty("HotTrackStyle", 4);
        panel->setProperty("VisualTheme", 13);
    }

    out.preview = c.make(kWebBrowserProgId, ctl::Preview, "x_Controls.dll");
    if (!out.preview)
        vrt::message(QStringLiteral("x_Controls - Please login as Admin !"), {}, vrt::Icon::Question);
    out.attachments = c.make(kWebBrowserProgId, ctl::Attachments);

    if (panel) {
        panel->addGroup(0, QString());
        panel->setCaptionVisible(false);
        // Empty until a mail is shown: subject, sender, sent, recipients.
        panel->addItem(1, QString(), MessageHeaderPanel::TextItem);
        panel->addItem(2, QString(), MessageHeaderPanel::TextItem);
        panel->addItem(3, QString(), MessageHeaderPanel::TextItem);
        panel->addItem(4, QString(), MessageHeaderPanel::TextItem);
        panel->addItem(5, QStringLiteral("Attach"), MessageHeaderPanel::ControlItem);
        QFont subject(QStringLiteral("Segoe UI"), 12);
        subject.setBold(true);
        panel->setItemFont(1, subject);
        panel->setItemFont(2, QFont(QStringLiteral("Segoe UI"), 10));
        panel->setHandle(5, qobject_cast<QWidget*>(out.attachments));
    }

    // The settings object lives in a container made for it; it has no place on screen. It
    // belongs to the calendar's container (the program, without one), which frees it.
    out.calendarSettings = c.make(kCalendarSettingsProgId, 0, "x_Calendar.dll");
    if (out.calendarSettings && !out.calendarSettings->parent()) {
        QObject* owner = window.container(43);
        out.calendarSettings->setParent(owner ? owner : QCoreApplication::instance());
    }
    if (auto* settings = qobject_cast<CalendarGlobalSettings*>(out.calendarSettings)) {
        if (const QString file = calendarResourceFile(d.language, d.dataFolder); !file.isEmpty())
            settings->ResourceFile(file);
        settings->UseResourceFileLocale = true;
        settings->Title = QStringLiteral("Velmora");
    }

    out.calendar = c.make(kCalendarProgId, 43);
    // New events come through the task form, which asks for everything a task holds.
    if (auto* calendar = qobject_cast<CalendarControl*>(out.calendar))
        calendar->EnableInPlaceCreateEvent(false);
    out.datePicker = c.make(kDatePickerProgId, 44);
    if (auto* picker = qobject_cast<DatePicker*>(out.datePicker)) {
        picker->AttachToCalendar(out.calendar);
        picker->setShowNoneButton(false);
        picker->setTextTodayButton(window.translate(QStringLiteral("Danas")));
        picker->BorderStyle = 2;
    }
    // The calendar and its picker name days and months in the program's language.
    if (auto* settings = qobject_cast<CalendarGlobalSettings*>(out.calendarSettings))
        for (QObject* o : {out.calendar, out.datePicker})
            if (auto* w = qobject_cast<QWidget*>(o))
                w->setLocale(settings->locale());
    // The calendar's own set-up (view, caption bar, data provider) belongs to its component.
    if (const int rc = window.populateCalendar())
        return rc;

    out.gantt = c.make(kGanttProgId, 46, "x_Gantt.dll");
    return window.setupGantt();
}

} // namespace organiser
