#pragma once
#include <QLocale>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>

#include "procedures/common/TreeLists.h"
#include "procedures/organiser/window/CommandDispatcher.h"
#include "procedures/organiser/window/Heartbeat.h"
#include "procedures/organiser/panes/HostedControls.h"
#include "procedures/organiser/window/ProcedureTables.h"
#include "procedures/organiser/window/TabSwitcher.h"
#include "procedures/organiser/window/UpdateRunner.h"
#include "runtime/WindowManager.h"

class QAbstractItemView;
class QStackedWidget;
class QTabWidget;

namespace organiser {

// Notifications to the frame, which listens as receiver `id` (the frame's "thread" 1).
class NotifyFrameLink : public FrameLink {
public:
    explicit NotifyFrameLink(int id = 1) : m_id(id) {}
    void notify(int code, int number) override;

private:
    int m_id;
};

// "SR"/"START" of the data folder's Standard.ini, read again only when the file changed or a
// second has passed: the heartbeat asks a hundred times a second. A 1 whose receive is gone
// (killed: `receiverAlive` answers false) reads as 2, a receive that ended, so it is cleared.
class StartFlag {
public:
    explicit StartFlag(QString iniPath, std::function<bool()> receiverAlive = {})
        : m_path(std::move(iniPath)), m_receiverAlive(std::move(receiverAlive)) {}
    int read(long long nowHundredths);
    bool write(int value);

private:
    QString m_path;
    std::function<bool()> m_receiverAlive;
    qint64 m_stamp = -1;
    qint64 m_size = -1;
    long long m_readAt = -1000;
    int m_value = 0;
};

class OrganiserWindow;

// What the window's panes do for it: layouts, splitters, trees, the per-event checks, the
// pane buttons and the first display. The panes are made over the window, so they are given
// after it (attachPanes); a window without them does not open.
class WindowParts {
public:
    virtual ~WindowParts() = default;
    virtual void saveMainLayout() = 0;
    // 0: the window lays itself out again (reset) after a resize.
    virtual int resizeControls() = 0;
    virtual void setupSplitters() = 0;
    // A tab switch asks for a row of a tree (filled first when empty); 0 keeps the row.
    virtual void selectTreeRow(int control, int row) = 0;
    // After every selection change, command and heartbeat.
    virtual void afterEvent() = 0;
    // An accepted control without a target of its own (the panes' buttons): a level.
    virtual int paneButton(int control) = 0;
    // Once, at the first display, after the hosted components are made.
    virtual void firstShown() = 0;
};

// The tables the window works on: opened by its opening, closed at its end.
class WindowFiles {
public:
    virtual ~WindowFiles() = default;
    // W_First.OpenFilez and the window's tables; non-zero: fatal, the window does not open.
    virtual int open() = 0;
    // At the end, only when open() succeeded.
    virtual void close() = 0;
};

// What the heartbeat counts by: hundredths of a second, monotonic.
class Clock {
public:
    virtual ~Clock() = default;
    virtual long long hundredths() = 0;
};

// The record buffers and mail counts the window reads: the data layer's, with the panes'
// selections where the composition root gives them.
class RecordBuffers {
public:
    virtual ~RecordBuffers() = default;
    virtual long long emailId() = 0;          // EM:ID
    virtual QString messageId() = 0;          // EM:MESSAGEID
    virtual long long printRecordId() = 0;    // PrintRecordID
    virtual long eventId() = 0;               // CAL:EventID
    virtual long taskCategoryId() = 0;        // CALC:ID
    virtual long financeCategoryId() = 0;     // PRK:ID
    virtual int financeCategoryType() = 0;    // PRK:TIP
    virtual long outgoingDocumentsRow() = 0;  // current row of list 75
    virtual long selectedContactId() = 0;     // the address book's selected contact
    // Marks the shown mail read; false: the write failed (and has stopped the program).
    virtual bool markShownRead() = 0;
    virtual long long emailCount() = 0;
    virtual void emailsChanged() = 0;         // the mail list reloads
};

// Everything the window reaches outside itself. The composition root (OrganiserAssembly)
// gives every service; the Gantt chart, the calendar, the record primer and the answer for
// what has nothing attached have no default, and a window without them is not made. Forms and
// pane routines not given are the window's own tables, with nothing attached yet.
struct OrganiserDeps : Services {
    WindowFiles* files = nullptr;            // none: the window opens no tables
    Clock* clock = nullptr;                  // none: the window's own, from its making
    QLocale locale;                          // money separators
    QString dataFolder;                      // THISPCPATH unless given
    std::function<QString(const QString&)> translate;
    // The mail folders and contact groups the trees are filled from (the data layer's).
    VelmoraDll::TreeTableSource* folders = nullptr;
    VelmoraDll::TreeTableSource* groups = nullptr;
    // Makes the hosted components at the first display; none: the window goes without them.
    ControlFactory* controls = nullptr;
    // What a call to a form or routine with nothing attached does.
    Unattached* unattached = nullptr;
    // The panes, when they are not attached to the window afterwards.
    WindowParts* parts = nullptr;
    // The mail and contacts features' answers to the window (the composition root's).
    MailDesk* mail = nullptr;
    ContactGroupDesk* contactGroups = nullptr;
    // None: there is no current record and no mail to count.
    RecordBuffers* records = nullptr;
};

// The organiser window's manager: its opening, events, notifications and closing.
class MainWindowManager : public vrt::WindowManager {
    Q_OBJECT
public:
    explicit MainWindowManager(OrganiserWindow& window);
    int init() override;
    int kill() override;
    int run(int number, int request) override;
    int takeNotify(int code, int number) override;
    int takeWindowEvent(QEvent* event) override;
    int takeCloseEvent() override;
    int takeTimer() override;
    int takeNewSelection(int control) override;
    int takeAccepted(int control) override;

private:
    OrganiserWindow& m_w;
};

// W_First: the organiser window, hosted in the frame's central area on the GUI thread.
class OrganiserWindow : public QWidget {
    Q_OBJECT
public:
    using Deps = OrganiserDeps;

    static const QStringList PageCaptions;

    explicit OrganiserWindow(Deps deps = {}, QWidget* parent = nullptr);
    ~OrganiserWindow() override;

    // Opens the window (the opening sequence); false when the opening failed.
    bool open();
    // The application's shutdown: the one close the window accepts.
    void shutDown();

    MainWindowManager& manager() { return *m_manager; }
    CommandDispatcher& dispatcher() { return *m_dispatcher; }
    Heartbeat& heartbeat() { return *m_heartbeat; }
    int receiverId() const { return m_receiverId; }
    int shownPage() const { return m_sel; }
    int financePage() const;
    QString dataFolder() const { return m_deps.dataFolder; }
    FormLauncher* forms() const { return m_deps.forms; }
    MailDesk* mailDesk() const { return m_deps.mail; }
    ContactGroupDesk* contactGroupDesk() const { return m_deps.contactGroups; }
    VelmoraDll::TreeTableSource* contactGroups() const { return m_deps.groups; }
    VelmoraDll::TreeTableSource* mailFolders() const { return m_deps.folders; }
    QString moneyPicture() const { return m_moneyPicture; }
    bool filesOpened() const { return m_filesOpened; }
    // The pane routines in use.
    PaneRoutines& paneRoutines() { return *m_deps.panes; }
    // What a call with nothing attached does.
    Unattached& unattached() { return *m_deps.unattached; }
    // The tables features attach to (null when the window was given other forms or routines).
    RoutineTable* routineTable() { return dynamic_cast<RoutineTable*>(m_deps.panes); }
    FormTable* formTable() { return dynamic_cast<FormTable*>(m_deps.forms); }
    // W_First.TabChanged for the page shown.
    int showCurrentTab() { return tabChanged(m_sel); }
    const HostedControls& hosted() const { return m_hosted; }

    // MN:COMMAND and MN:SEL as the notifications leave them.
    int pendingCommand() const { return m_dispatcher->command(); }

    // The window's lists by control number: their column layouts are restored at the opening
    // and saved at the closing under "W_First" and the list's name (ListKeys).
    struct ListKey {
        int control;
        const char* key;
    };
    static const std::vector<ListKey> ListKeys;
    void setList(int control, QAbstractItemView* view);

    // The panes' side of the window; set before open().
    void setParts(WindowParts& parts) { m_deps.parts = &parts; }
    // A page the panes composed after the opening takes what the opening gave the rest of the
    // window: its lists' layouts, the current language and the theme's look.
    void pageComposed(QWidget* page);
    WindowParts& parts() { return *m_deps.parts; }
    QString translated(const QString& text) const { return tr(text); }

private:
    friend class MainWindowManager;
    void build();
    int opening();
    void firstDisplay();
    void selectPage(int page);
    int tabChanged(int page);
    int mailFolderSelected();
    void saveListLayouts();
    void restoreListLayouts();
    bool startReceive();
    QString tr(const QString& text) const;
    QString dataPath(const QString& relative) const;

    Deps m_deps;
    std::unique_ptr<FormTable> m_ownForms;
    std::unique_ptr<RoutineTable> m_ownPanes;
    std::unique_ptr<ProcessLauncher> m_ownLauncher;
    std::unique_ptr<FrameLink> m_ownFrame;
    std::unique_ptr<Clock> m_ownClock;
    std::unique_ptr<MainWindowManager> m_manager;
    class DispatcherSide; // DispatcherSide.h
    std::unique_ptr<DispatcherSide> m_dispatcherSide;
    std::unique_ptr<CommandDispatcher> m_dispatcher;
    class HeartbeatSide; // WindowSides.h
    class TabSide;
    class RunnerValues;
    std::unique_ptr<HeartbeatSide> m_heartbeatSide;
    std::unique_ptr<Heartbeat> m_heartbeat;
    std::unique_ptr<TabSide> m_tabSide;
    std::unique_ptr<TabSwitcher> m_tabs;
    std::unique_ptr<RunnerValues> m_runnerValues;
    std::unique_ptr<UpdateRunner> m_runner;
    std::unique_ptr<StartFlag> m_startFlag;
    QStackedWidget* m_pages = nullptr;
    QTabWidget* m_finance = nullptr;
    QTabWidget* m_contacts = nullptr;
    int m_receiverId = 0;
    int m_sel = 1;            // MN:SEL
    int m_pendingSel = 0;     // the page a notification asked for
    bool m_filesOpened = false;
    bool m_opened = false;                // the opening has translated and themed the window
    std::vector<int> m_restoredLayouts;   // the lists whose layouts the opening restored
    bool m_displayed = false;
    bool m_skipNextSized = true;
    long m_taskCategoryId = 0;
    QString m_taskFilter;
    QString m_textBuffer;
    long m_selectedContactId = 0;
    int m_mailNameColumnWidth = 0;
    long long m_lastClock = -1;
    QString m_moneyPicture;
    HostedControls m_hosted;
};

} // namespace organiser
