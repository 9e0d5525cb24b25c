#pragma once
#include <QObject>
#include <QPointer>
#include <vector>

class QMenu;

// What a tooltip offers the application's tooltip manager: the widget that shows its tips and
// a way to receive the manager's notifications.
class CfcTooltipClient {
public:
    // Notification codes a tooltip receives (posted, so they arrive after the current event).
    enum Code : long { OnShow = -521, OnPop = -522, OnLinkClick = -523, OnUpdate = 1294966774 };

    virtual ~CfcTooltipClient() = default;
    virtual QObject* tooltipWindow() const = 0; // null while the tooltip has no window
    virtual void tooltipNotify(long code) = 0;
};

// One per application, on the GUI thread (no widget lives anywhere else). It forwards the
// tooltips' show, pop and link-click notices to the registered tooltips, and while a popup menu
// is open it switches Qt's menu animation and fade off for this process, putting the earlier
// settings back when the last popup closes. No desktop-wide setting is touched.
class CFCTOOLTIPMANAGERCLASS : public QObject {
    Q_OBJECT
public:
    // The application's manager, watching every widget from the first call on.
    static CFCTOOLTIPMANAGERCLASS& instance();

    explicit CFCTOOLTIPMANAGERCLASS(QObject* parent = nullptr);
    ~CFCTOOLTIPMANAGERCLASS() override;

    void ADDTOOLTIP(CfcTooltipClient* tooltip);
    void REMOVETOOLTIP(CfcTooltipClient* tooltip);
    int tooltipCount() const { return int(TTQ.size()); }

    // A tooltip window showed, hid or had a link clicked: every registered tooltip of that
    // window hears of it; on a pop every other tooltip with a window is told to update.
    void ONSHOW(QObject* tooltipWindow);
    void ONPOP(QObject* tooltipWindow);
    void ONLINKCLICK(QObject* tooltipWindow);

    // Popup menus open now.
    int openPopups() const { return m_openPopups; }
    bool MENUANIMATION = false; // the settings saved when the first popup opened
    bool MENUFADE = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void post(CfcTooltipClient* tooltip, long code);
    void menuOpening(QMenu* menu);
    void popupsChanged();

    std::vector<CfcTooltipClient*> TTQ;
    std::vector<QPointer<QObject>> m_popups;
    int m_openPopups = 0;
};
