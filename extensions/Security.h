#pragma once
#include "extensions/CriticalSection.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>

#include <atomic>
#include <functional>
#include <optional>
#include <vector>

#include <QWidget>

namespace HBGT {

// The shared core of a logon with access rights: who is logged on, door checks (the
// application decides through CHECKACCESS), logging off after a period without activity, a
// read-only view mode for windows, the password obfuscation and the reuse of a logon made
// moments before by another program of the same user. Users, levels and the logon window
// belong to the application, which overrides the hooks.
class SECURITYCLASS {
public:
    SECURITYCLASS();
    virtual ~SECURITYCLASS();

    // Locked accessors; `lock` false: the caller already holds SYNC.
    virtual void SET_USERNO(int userNo, bool lock = true);
    virtual int GET_USERNO(bool lock = true);
    virtual void SET_USERNAME(const QString& name, bool lock = true);
    virtual QString GET_USERNAME(bool lock = true);
    QString GET_BACKDOORUSERNAME(bool lock = true) { return SYNC.GET_HID(HID_BACKDOORUSERNAME, lock).trimmed(); }
    void SET_BACKDOORUSERNAME(const QString& v, bool lock = true) { SYNC.SET_HID(HID_BACKDOORUSERNAME, v, lock); }
    QString GET_PREVLOGONINI(bool lock = true) { return SYNC.GET_HID(HID_PREVLOGONINI, lock).trimmed(); }
    void SET_PREVLOGONINI(const QString& v, bool lock = true) { SYNC.SET_HID(HID_PREVLOGONINI, v, lock); }
    QString GET_PASSWORDENCRYPT(bool lock = true) { return SYNC.GET_HID(HID_PASSWORDENCRYPT, lock); }
    void SET_PASSWORDENCRYPT(const QString& v, bool lock = true) { SYNC.SET_HID(HID_PASSWORDENCRYPT, v, lock); }
    QString GET_AUTOFILLPROGRAM(bool lock = true) { return SYNC.GET_HID(HID_AUTOFILLPROGRAM, lock); }
    void SET_AUTOFILLPROGRAM(const QString& v, bool lock = true) { SYNC.SET_HID(HID_AUTOFILLPROGRAM, v, lock); }

    // Hooks of the application. The base grants no door and finds no user.
    virtual bool CHECKACCESS(int door, std::optional<bool> flag = {}, const QString& text = {},
                             std::optional<bool> flag2 = {});
    virtual void FREECACHE();
    virtual void UPDATERUNTIME(const QString& name, const QString& description, bool flag = false,
                               bool flag2 = false) {}
    virtual QString TRANSLATE(const QString& key);
    virtual int FETCHUSER(int userNo) { return 1; }
    virtual void UPDATEPROCEDURE_RUNTIME(bool) {}
    virtual int MASKUSERNAME() { return 0; }

    // The name of the user the program runs as; empty when it cannot be told.
    static QString GETNETUSERNAME();

    // XOR of the password's bytes with the key's, repeated: applying it twice gives the text
    // back. This hides a password from a casual look; it is no encryption. The result is
    // bytes: it may hold zero bytes and blanks, so it is never handled as a C string or
    // clipped.
    QByteArray ENCRYPTPASSWORD(const QByteArray& password, std::optional<int> length = {});

    // The hand-over of a logon to a program started moments later: written by the program
    // that logged on, read once (and deleted) by the next. The file is private to the user.
    bool PREPAREPREVIOUSLOGON();
    int CHECKPREVIOUSLOGON();
    // Where HID_PREVLOGONINI is kept when it names no folder.
    QString previousLogonPath();

    // Inactivity. Timer events are not activity; everything else is.
    void PREPAREACTIVITYFRAME(int& frameTimer);
    // True when the user was inactive too long (`isTimer`: the frame's timer event).
    bool TAKEACTIVITYFRAMEEVENT(bool isTimer);
    void TAKEACTIVITYEVENT() { UPDATEACTIVITY(); }
    void UPDATEACTIVITY();
    void SUSPENDACTIVITYCHECK();
    void RESUMEACTIVITYCHECK();
    bool activityCheckActive();

    // Run-time security: a hot key (invocation 1, RUNTIMEHOTKEY a Qt key with modifiers) or an
    // event (invocation 2, RUNTIMEEVENT a registered event type) opens the application's
    // run-time security window for the window it arrives at.
    void PREPARERUNTIMEWINDOW(QWidget* window, const QString& name, const QString& description,
                              bool notAvailable = false);
    // The button shows only to users whose access passes RUNTIMEDOOR.
    void PREPARERUNTIMEBUTTON(QWidget* button);
    // The trigger arrived: the window's entry, or a message when it has none.
    void TAKERUNTIMEEVENT(const QString& name, const QString& description, bool notAvailable, bool flag = false);
    // Posts RUNTIMEEVENT to the active window (invocation 2).
    void POSTRUNTIMEEVENT();

    // View mode: entries read-only with the button face as background, check boxes, lists
    // and buttons (but `keepButton`) disabled; accepted controls and keys are ignored.
    void PREPAREVIEWWINDOW(QWidget* window, bool viewOnly, QWidget* keepButton = nullptr);

    // The table of known keys in order (without the "HBGT::" prefix).
    static const std::vector<std::pair<const char*, const char*>>& texts();

    ST::CRITICALSECTION SYNC;
    ST::CSTRING<30> HID_AUTOFILLPROGRAM;
    int HID_USERNO = 0;
    ST::STRING<30> HID_USERNAME;
    ST::STRING<30> HID_BACKDOORUSERNAME;
    ST::STRING<100> HID_PREVLOGONINI;
    ST::STRING<50> HID_PASSWORDENCRYPT;
    int INACTIVITYPERIOD = 0; // hundredths of a second; 0: no check
    bool OVERRIDE = false, FULLACCESS = false, AUDITBACKDOOR = false, AUDITLOGON = false,
         AUDITLOGONFAILURES = false, AUTOFILLUSERNAME = false, BACKDOOR = false, CHANGEPASSWORD = false,
         GLOBALACCESSDENIEDBEEP = false, INTERACTIVELOGON = false, SUPPORTPREVIOUSLOGON = false;
    int MAXLOGONTRIES = 0, OVERRIDEDURATION = 0, SECURITYTYPE = 0;
    struct Door {
        int door = 0;
        bool granted = false;
    };
    std::vector<Door> CHECKACCESS_DOORQ;
    int CHECKACCESS_LEVEL = 0;
    int CHECKACCESS_USERNO = 0;
    int RUNTIMEDOOR = 0, RUNTIMEEVENT = 0, RUNTIMEHOTKEY = 0, RUNTIMEINVOCATION = 0;
    // Written by every window; atomic, so no lock is needed around them.
    std::atomic<int> ACTIVITYTIME{0};
    std::atomic<int> ACTIVITYCHECKSUSPENDED{0};

    // The clock (hundredths of a second since midnight) and today's day number: the
    // runtime's; tests give their own.
    virtual int clock();
    virtual int today();
    // The folder a HID_PREVLOGONINI without a folder is kept in; empty: the user's configuration.
    QString prevLogonFolder;
};

// Keeps a window in view mode: clicks of disabled buttons never arrive, and this filter
// swallows Enter and accepted keys of the other controls.
class ViewWindowFilter : public QObject {
    Q_OBJECT
public:
    ViewWindowFilter(QWidget* keepButton, QObject* parent) : QObject(parent), m_keep(keepButton) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> m_keep;
};

} // namespace HBGT
