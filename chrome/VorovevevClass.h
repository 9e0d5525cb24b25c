#pragma once
// VOROVEVEVCLASS: the self-drawn toolbar and menu bar. It takes a host widget's place in its
// window and paints rows of bands itself; the model (VorovevevModel.h) holds the bands and
// items and the rules, this widget paints, feeds it the mouse and keyboard, shows the popups
// and hosts the combo boxes, entry fields and window controls placed on it.
#include "chrome/VorovevevModel.h"
#include "chrome/VorovevevPaint.h"
#include "chrome/TooltipControl.h"
#include "chrome/VorovevevPopupStyle.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <map>
#include <memory>

class QAbstractButton;
class QAction;
class QComboBox;
class QLineEdit;
class QMainWindow;
class QMenu;
class QMenuBar;
class QShortcut;
class QTimer;
class CFCTOOLTIPSCLASS;

class VOROVEVEVCLASS : public QWidget, public ptb::Model, private TooltipTexts {
    Q_OBJECT
public:
    explicit VOROVEVEVCLASS(QWidget* parent = nullptr);
    ~VOROVEVEVCLASS() override;

    // Takes the host's place in its parent (its layout slot or its geometry); the host is hidden
    // and comes back when the toolbar goes. With auto-resize the toolbar takes its rows' height.
    void INITCONTROL(QWidget* host, bool autoResize = true);
    // The toolbar owns the window's toolbar: the strip above the window's own contents.
    void INITCONTROL(QMainWindow* window, bool autoResize = true);
    bool ISTOOLBAR = false;
    void INIT() override;

    // The window's menu bar as a menu band (one entry per top-level menu, a filler and the
    // minimise, restore and close buttons of a maximised MDI child). The bar is hidden, not
    // deleted, and comes back when the toolbar goes. Without a bar: the window's own, if any.
    void ADDMENU(long band, unsigned long flags = 0, QMenuBar* bar = nullptr);
    void ADDCOMBO(long band, long id, const QString& text, const QString& prompt = {}, unsigned long flags = 0,
                  long after = -1);
    void ADDENTRY(long band, long id, const QString& text, const QString& prompt = {}, unsigned long flags = 0,
                  long after = -1);
    void ADDCOMBOITEM(long id, const QString& text, long userData = 0);
    void SETMAXCOMBOITEMS(long id, long count);
    bool GETREADONLY(long id) const;
    void SETREADONLY(long id, bool on);
    QString GETPROMPT(long id) const;
    void SETPROMPT(long id, const QString& prompt);
    long GETPROMPTWIDTH(long id) const;
    void SETPROMPTWIDTH(long id, long width);
    void SETFOCUS(long id);
    // A widget of the window placed on the toolbar; it goes back to its parent with the toolbar.
    void ADDNORVECCONTROL(long band, long id, QWidget* control, const QString& prompt = {}, unsigned long flags = 0,
                          long after = -1);
    // A toolbar button that mirrors a window button (copy flags 128..2048).
    void ADDMIMICBUTTON(long band, long id, QAbstractButton* button, unsigned long flags, long after = -1);

    QString GETTEXT(long id) const override;
    void SETTEXT(long id, const QString& text) override;
    long GETCOMBOITEMID(long id, long position = 0) const;
    QString GETCOMBOITEMTEXT(long id, long position) const;

    void REFRESH(bool recalculate) override;
    void TAKEEVENT(long event, long band, long id, long value, int button) override;
    void OPENMENU(long id) override;
    ptb::DropAnswer DROPDOWNMENU(long id) override;
    void CUSTOMIZEMENU() override;
    void CUSTOMIZEDIALOG() override;
    void cancelMode() override;
    void mdiCommand(int which) override;
    void tooltipChanged(long id) override;
    void hotKeyAdded(long id, QChar key) override;
    void hotKeyRemoved(long id) override;

    // The colour table, filled at the first paint after a colour or theme change.
    long GETCOLOR(long index);
    void SETDEFAULTCOLORS();
    const ptb::ColorTable& colors();
    // The widget's own measuring, in its fonts.
    ptb::FontMeasurer measurer() const;
    QAction* menuAction(long entryId) const;

    // Test hooks in place of the popups' own event loops: given the texts, answer the chosen
    // 1-based position (0: none).
    static void setPopupHook(std::function<long(const QStringList& texts)> hook);
    static const std::function<long(const QStringList&)>& popupHook();
    // While the menu style is 0 or more, every popup the toolbar shows (and its submenus) is
    // drawn in the toolbar's colours for as long as it is open; -1 leaves the popups to the
    // desktop style. A styler set here replaces that look (tests, other looks).
    static void setPopupStyler(std::function<void(QMenu& popup, const VOROVEVEVCLASS& toolbar)> styler);
    // The look the toolbar gives its popups now.
    ptb::PopupLook popupLook() const;
    // The shortcut column of a popup: the widest text after a tab (at most 99 characters) + 10.
    long CALCULATEMENUHOTKEYX(const QMenu& popup) const;

signals:
    // Every TAKEEVENT, for the window that holds the toolbar.
    void itemEvent(long event, long band, long id, long value, int button);

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void leaveEvent(QEvent*) override;
    bool event(QEvent*) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void changeEvent(QEvent*) override;

private:
    // The balloon's text of a tool: its item's tooltip, wrapped.
    QString needText(long tool) override;
    void layoutNow();
    void startHoverTimer();
    void hoverTick();
    void closingGuard();
    void updateMdiState();
    long showPopup(const QStringList& texts, const QPoint& global, const QList<bool>& checked = {},
                   const QStringList& icons = {});
    std::unique_ptr<ptb::PopupStyleScope> stylePopup(QMenu& popup) const;
    void syncBalloonTools();
    void REVERSECWTABORDER();
    void addField(long band, long id, const QString& text, const QString& prompt, unsigned long flags, long after,
                  bool simple);

    ptb::ColorTable m_colors{};
    bool m_colorsSet = false;
    bool m_autoResize = true;
    QPointer<QWidget> m_host;
    QPointer<QMainWindow> m_mainWindow;
    QPointer<QWidget> m_central;
    QPointer<QMenuBar> m_menuBar;
    QList<QPointer<QAction>> m_menuActions;
    QPointer<QMenu> m_openPopup;
    QTimer* m_hoverTimer = nullptr;
    std::map<long, QShortcut*> m_shortcuts;
    std::map<long, QShortcut*> m_menuShortcuts;
    long m_lastHeight = -1;
    bool m_paintingFrame = false;
    // The balloon tips of tooltip mode 2, one tool per item with a tip.
    std::unique_ptr<CFCTOOLTIPSCLASS> m_balloon;
    // Shared with the open popups' looks, which hold it weakly: it goes with the toolbar.
    std::shared_ptr<const ptb::KeyboardMode> m_keyboardMode;
    std::map<long, long> m_balloonItems; // tool id -> item id
};
