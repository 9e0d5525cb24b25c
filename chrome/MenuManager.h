#pragma once
#include <QPointer>
#include <QWidget>
#include <QString>
#include <vector>

#include "chrome/WndProc.h"

class CFCMENUBASE;
class CFCMENUITEM;
class QAction;
class QWidget;

// Connects a window's menus to their entries: a chosen entry gets its ONCLICK, a popup about to
// open or just closed gets its hooks, and the bar entry whose menu is open is drawn opened.
// The window registers its menus (ADDMENU) and watches itself with the manager (SETCALLBACK);
// activation and repaints of the window then repaint the line under its menu bar.
class CFCMENUMANAGER : public CFCWNDPROC {
    Q_OBJECT
public:
    struct MdiChild {
        QString title;
        QPointer<QWidget> window;
    };

    explicit CFCMENUMANAGER(QObject* parent = nullptr);
    ~CFCMENUMANAGER() override;

    std::vector<CFCMENUBASE*> MQ; // not owned; registered menus outlive their registration
    std::vector<MdiChild> MDICHILDQ;

    void ADDMENU(CFCMENUBASE& menu);
    void DELETEMENU(CFCMENUBASE& menu);
    CFCMENUITEM* GETMENUITEMBYID(long id) const;
    CFCMENUITEM* GETMENUITEMBYSTRID(const QString& key) const;
    CFCMENUITEM* GETANYTOPLEVELITEMBYHWND(const QWidget* window) const;

    void ONCOMMAND(long id);
    void ONINITMENUPOPUP(const QWidget* popup);
    void ONUNINITMENUPOPUP(const QWidget* popup);
    void ONNCACTIVATE(const QWidget* window);
    void ONERASEBKGND(const QWidget* window);
    void ONNCMOUSEMOVE(int x, int y) {}
    // The enabled, titled sub-windows of the frame's MDI areas; non-zero when the frame was
    // searched.
    long FILLMDICHILDWINDOWS(QWidget* frame);

    // Every live manager hears of every chrome popup opening and closing, as a window hears of
    // the popups it owns; a manager acts only on the menus it knows.
    static void popupOpening(const QWidget* popup);
    static void popupClosed(const QWidget* popup);

protected:
    bool CALLBACKPROC(QObject* window, QEvent* event) override;

private:
    void connectMenu(CFCMENUBASE& menu);
    void popupChanged(const QWidget* popup, bool opened);
    void onTriggered(QWidget* source, QAction* action);
};
