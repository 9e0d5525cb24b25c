#pragma once
#include <QMainWindow>
#include <QPointer>
#include <array>
#include <memory>

#include "shell/FrameProtocol.h"
#include "shell/WindowPainter.h"

class QFileSystemWatcher;
class QUILVO;
class QLabel;
class QStackedWidget;
class QTimer;

namespace controls { class RibbonBar; class ShortcutCaption; class TrayIcon; }
namespace vrt { class IniClass; }

namespace shell {

class PainterOverlay;

// Where the frame gets its outside components.
class ComponentSource {
public:
    virtual ~ComponentSource() = default;
    virtual QObject* create(const QString& progId, QWidget* parent) = 0;
    // Registers the library that serves a component; false when that failed.
    virtual bool registerServer(const QString& library) = 0;
    // The program's component registry.
    static ComponentSource& registry();
};

// What the program brings to the frame: its first-start work, its tray icon and its
// organiser window.
class FrameHost {
public:
    virtual ~FrameHost() = default;
    // The first-start work on the data folder before anything is shown.
    virtual void prepare() = 0;
    // The icon for the notification area; nullptr for none.
    virtual controls::TrayIcon* makeTray(QObject* parent) = 0;
    // Runs once the frame is shown. Returns the organiser window's widget for the central
    // area, or nullptr when it has none (the waiting text stays).
    virtual QWidget* startOrganiser(int frameReceiverId, QWidget* parent) = 0;
};

// The text shown while the organiser window opens.
PainterText waitingText(const Translate& translate);

struct FrameOptions {
    QString dataFolder; // holds Standard.ini and Images/
    vrt::IniClass* settings = nullptr; // keeps the window position; none: not kept
    Translate translate = [](const QString& s) { return s; };
    ComponentSource* components = &ComponentSource::registry(); // never null
    // The program's own organiser: a nullptr from startOrganiser means it could not open (it
    // has said why), and the frame closes with exit code 1 instead of waiting for ever.
    bool organiserRequired = false;
    int pollMilliseconds = 1000; // mail-transfer flag and date; the file is watched as well

    // The program's own: its data folder, settings, translator and components.
    static FrameOptions standard();
};

// The program's main window: the ribbon and the caption strip on top, the organiser window
// in the middle (a waiting text until it reports in), the date in the status bar, and an icon
// in the notification area while minimised. Closing it, by any path, saves its position and
// ends the program in order.
class FrameWindow : public QMainWindow, private FrameView {
    Q_OBJECT
public:
    FrameWindow(FrameOptions options, FrameHost& host, QWidget* parent = nullptr);
    ~FrameWindow() override;

    int receiverId() const { return m_receiverId; }
    controls::RibbonBar* ribbon() const { return m_ribbon; }
    controls::ShortcutCaption* captionStrip() const { return m_caption; }
    QLabel* dateZone() const { return m_date; }
    QWidget* centralPage() const;
    OrganiserLink& organiserLink() { return m_link; }
    const WindowPainterClass& painter() const { return m_painter; }
    int module() const { return m_notifications.module(); }
    bool inTray() const { return m_inTray; }
    bool transferBusy() const { return m_transfer.busy(); }
    // What the program returns once the frame has closed.
    int exitCode() const { return m_exitCode; }

    // Shows the frame maximised and starts the organiser window from the event loop.
    void open();
    // The desktop session ends: close in order.
    void endSession();
    // Reads the mail-transfer flag and refreshes the date now.
    void poll();

signals:
    // The frame has saved its settings and closed; the program may end.
    void closed();

protected:
    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void setCaption(const QString& caption) override;
    void selectRibbonTab(int tab) override;
    void setAddressGroups(const std::array<bool, 3>& visible) override;
    void closeDown() override;

    void createSkin();
    void createRibbon();
    // The caption strip's text when no transfer runs, in the current language.
    QString idleCaption() const;
    // Gives the ribbon, the caption strip and the waiting text their texts again.
    void retranslate();
    void restorePosition();
    void savePosition();
    void startOrganiser();
    void iconized();
    void restoreFromTray();
    void closeFromTray();
    void watchSettingsFile();
    QString standardIni() const;

    FrameOptions m_options;
    FrameHost& m_host;
    int m_receiverId = 0;
    OrganiserLink m_link;
    CommandForwarder m_forwarder{m_link};
    NotificationHandler m_notifications;
    WidthWatch m_width;
    TransferWatch m_transfer;
    QString m_captionBeforeTransfer;
    WindowPainterClass m_painter;

    controls::RibbonBar* m_ribbon = nullptr;
    controls::ShortcutCaption* m_caption = nullptr;
    QStackedWidget* m_central = nullptr;
    PainterOverlay* m_waiting = nullptr;
    QPointer<QWidget> m_organiser;
    QLabel* m_date = nullptr;
    controls::TrayIcon* m_tray = nullptr;
    bool m_inTray = false;
    bool m_minimised = false;
    bool m_opened = false;
    bool m_closing = false;
    int m_exitCode = 0;
    QTimer* m_poll = nullptr;
    QFileSystemWatcher* m_watcher = nullptr;
};

// Makes `translator` the frame's: it records the frame's own texts, translates the window and,
// on a change of language, translates it again.
void attachTranslator(FrameWindow& frame, QUILVO& translator);

} // namespace shell

// Runs the frame until its window closes; returns the event loop's exit code.
int W_Frame();
