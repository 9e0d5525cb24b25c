#pragma once
// The toolbar's facade for other threads and the window buttons bound to toolbar items.
// Readers go through the toolbar's locked readers; every change is queued to the toolbar's
// thread (the GUI thread) in the order it was asked for. A window's buttons are bound per
// window ("context"): clicking the toolbar item presses the button of the active window (or an
// always-bound one), and the button's enabled state follows onto the item.
#include "chrome/VorovevevModel.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class QAbstractButton;
class QWidget;
class VOROVEVEVCLASS;
class VOROVEVEVMIMICCLASS;
class VOROVEVEVMIMICPARENT;

class VOROVEVEVGLOBALCLASS : public ptb::Model::PGLOBALHOOK {
public:
    VOROVEVEVGLOBALCLASS() = default;
    ~VOROVEVEVGLOBALCLASS() override;
    VOROVEVEVGLOBALCLASS(const VOROVEVEVGLOBALCLASS&) = delete;
    VOROVEVEVGLOBALCLASS& operator=(const VOROVEVEVGLOBALCLASS&) = delete;

    // Binds a toolbar (null unbinds).
    void INIT(VOROVEVEVCLASS* toolbar);
    bool bound() const;

    QString GETTEXT(long id);
    void SETTEXT(long id, const QString& text);
    bool GETCHECKED(long id);
    bool GETVISIBLE(long id);
    bool GETENABLED(long id);
    bool GETBANDVISIBLE(long band);
    void SETCHECKED(long id, bool on);
    void SETVISIBLE(long id, bool on);
    void SETENABLED(long id, bool on);
    void SETBANDVISIBLE(long band, bool on);
    void SETBANDCONTROLSENABLED(long band, bool on);

    void ADDMIMICCLASS(long id, VOROVEVEVMIMICCLASS* mimic);
    void DELETEMIMICCLASS(VOROVEVEVMIMICCLASS* mimic);
    // Presses the button bound to the item: one of the active window in mode 0 first, else one
    // bound in mode 1; nothing when none.
    void TRYEXECUTEMIMIC(long id) override;
    void toolbarGone(ptb::Model* toolbar) override;
    size_t bindingCount() const;

    // The active window (the "active thread" of a window); tests replace it.
    static QWidget* activeContext();
    static void setActiveContextHook(std::function<QWidget*()> hook);

private:
    struct Binding {
        long CONTROLID = 0;
        QPointer<QWidget> context;
        long MODE = 0;
        VOROVEVEVMIMICCLASS* PCLASS = nullptr;
    };
    template <class F> void post(F&& change);

    mutable std::recursive_mutex m_crit;
    QPointer<VOROVEVEVCLASS> m_toolbar;
    std::vector<Binding> m_mimics;
};

// The process-wide facade, unbound until the program binds its toolbar.
extern VOROVEVEVGLOBALCLASS AppToolbar;

// One window button bound to a toolbar item.
class VOROVEVEVMIMICCLASS : public QObject {
public:
    VOROVEVEVMIMICCLASS() = default;
    ~VOROVEVEVMIMICCLASS() override;

    // Mode 0: only while the button's window is active; 1: always.
    void INIT(long id, QAbstractButton* button, long mode, VOROVEVEVGLOBALCLASS* global,
              VOROVEVEVMIMICPARENT* parent);
    void TAKEENABLED(bool enabled);
    void TAKEFOCUS(bool focused);
    void EXECUTEMIMIC();
    // Disables the item and lets go of the button; a second KILL only disables it again.
    void KILL();

    long NCONTROLID = 0;
    long NMODE = 0;
    QPointer<QWidget> context;
    QPointer<QAbstractButton> button;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    VOROVEVEVGLOBALCLASS* m_global = nullptr;
    bool m_registered = false;
};

// The bindings of one window.
class VOROVEVEVMIMICPARENT {
public:
    VOROVEVEVMIMICPARENT() = default;
    ~VOROVEVEVMIMICPARENT();
    VOROVEVEVMIMICPARENT(const VOROVEVEVMIMICPARENT&) = delete;
    VOROVEVEVMIMICPARENT& operator=(const VOROVEVEVMIMICPARENT&) = delete;

    void INIT(VOROVEVEVGLOBALCLASS* global) { m_global = global; }
    void ADDMIMIC(long id, QAbstractButton* button, long mode);
    void TAKEFOCUS(bool focused);
    // Kills and frees every binding; the list is empty afterwards, so a later TAKEFOCUS or
    // KILL finds nothing.
    void KILL();
    size_t count() const;

private:
    mutable std::recursive_mutex m_crit;
    VOROVEVEVGLOBALCLASS* m_global = nullptr;
    std::vector<std::unique_ptr<VOROVEVEVMIMICCLASS>> m_mimics;
};
