#pragma once
#include <QString>
#include <QStringList>

class QObject;
class QWidget;

// The components the organiser window hosts in its panes, made by program identifier when
// the window is first shown: a failed creation registers the component's file and tries once
// more, and only then tells the user.
namespace organiser {

class ControlFactory {
public:
    virtual ~ControlFactory() = default;
    // nullptr when the component cannot be made.
    virtual QObject* create(const QString& progId, QWidget* parent) = 0;
    // Registers a component file ("x_Rm.dll"): the plugin of that name, when there is one.
    virtual bool registerServer(const QString& file) = 0;
};

// The program's factory: the component registry.
class RegistryControlFactory : public ControlFactory {
public:
    QObject* create(const QString& progId, QWidget* parent) override;
    bool registerServer(const QString& file) override;
};

struct HostedControls {
    QObject* chart = nullptr;
    QObject* headerPanel = nullptr;
    QObject* preview = nullptr;
    QObject* attachments = nullptr;
    QObject* calendarSettings = nullptr;
    QObject* calendar = nullptr;
    QObject* datePicker = nullptr;
    QObject* gantt = nullptr;
};

// The window that hosts the components.
class HostingWindow {
public:
    virtual ~HostingWindow() = default;
    // The container control of that number (13, 25, 23, 26, 43, 44, 46); may be null.
    virtual QWidget* container(int control) = 0;
    virtual QString translate(const QString& text) = 0;
    virtual int populateCalendar() = 0; // non-zero ends the creation with that result
    virtual int setupGantt() = 0;
};

struct HostedDeps {
    ControlFactory* factory = nullptr;
    int language = 1; // G:QVLang
    QString dataFolder;
};

// The calendar's language resource for a language number; empty for none.
QString calendarResourceFile(int language, const QString& dataFolder);

// W_First.CreateActiveXControls: 0, or the failure of PopulateCalendar or SetupGantt.
int createActiveXControls(const HostedDeps& deps, HostingWindow& window, HostedControls& out);

// The event procedures of the chart and the header panel: they take every event.
inline int S_ChartEvents() { return 1; }
inline int S_TaskPanelEvents() { return 1; }

} // namespace organiser
