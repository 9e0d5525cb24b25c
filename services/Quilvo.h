#pragma once
// The translator's window part: the runtime hooks and their translated dialogs, and the walk
// over a window's controls. The lookups themselves are in QuilvoCore.
#include <QEvent>
#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "runtime/Dialogs.h"
#include "services/QuilvoCore.h"

// A widget whose texts its window translates itself (a component that draws them, or one
// built from a table of source texts) carries this property set to true. The window walk
// leaves it and its children alone; after a language change the window gets
// QUILVO::languageChangedEvent() and gives them their texts again.
inline constexpr char kOwnTexts[] = "qvOwnTexts";

// The run-time translator. Its window part runs on the GUI thread; the lookups it inherits may
// run on any thread.
namespace quilvo { class StopActions; }

class QUILVO : public QuilvoCore {
public:
    QUILVO();
    ~QUILVO() override;

    // Window translation (the widget walk lives in QuilvoWindow.cpp). 0 = the active window.
    virtual void TRANSLATEWINDOW(QWidget* window = nullptr);
    virtual void TRANSLATECONTROL(QWidget* control);
    virtual void QVWIN(QWidget* window = nullptr);
    virtual void QVCTL(QWidget* control);
    // With ENTRY2TEXT set, an entry with a string picture becomes a multi-line text control in
    // the same place, bound to the same variable. Returns the control now in that place.
    virtual QWidget* MAKETEXT(QWidget* control, QString* useVariable);
    virtual void REPOSITION(QWidget* control);
    virtual void REVFORMAT(QWidget* control);
    // Records the application frame's texts once, so a language change can start from them.
    virtual void QVFRQ(QWidget* frame = nullptr);
    virtual void QVDFC();
    // Sent (not posted) to each window re-translated by a language change, after the walk.
    static QEvent::Type languageChangedEvent();
    virtual QString S_SR(const QString& text, const QString& search, const QString& replacement) const;
    // A window or control text: through QVSUB first when USEBSUB is set, then QVSTR.
    QString translateText(const QString& text);

    // Installs `proc` in runtime slot `hook` (1 colour .. 7 stop), keeping what was there.
    void INITHOOK(int hook, vrt::HookProc proc);
    void SETHOOK(int hook);
    void UNSETHOOK(int hook);

    // The translated replacements of the runtime operations. Each calls the handler that was
    // in the slot before INITHOOK (the runtime's own when there was none) with translated
    // texts; the slot itself is never emptied, so other threads stay translated meanwhile.
    bool COLORDIALOG(const QString& title, QColor& colour);
    bool FILEDIALOG(vrt::FileDialogArgs& args);
    bool FONTDIALOG(const QString& title, QFont& font);
    bool PRINTERDIALOG(const QString& title);
    void HALT(int code, const QString& text);
    int MESSAGE(const vrt::MessageArgs& args);
    void STOP(const QString& text);

    // The application frame whose texts QVFRQ records and a language change restores.
    QWidget* FRAMEWINDOW() const { return m_frameWindow; }
    void setFRAMEWINDOW(QWidget* frame) { m_frameWindow = frame; }
    bool FRAMEFLAG() const { return m_frameFlag; }

    // A recorded frame text: control (nullptr = the frame itself), property, value.
    struct FrameText {
        QPointer<QObject> control;
        unsigned prop = 0;
        QString value;
    };
    const std::vector<FrameText>& FRAMEQ() const { return m_frameQ; }

    // What the stop window starts and ends; the program's own by default. `actions` outlives
    // this object.
    void setStopActions(quilvo::StopActions& actions) { m_stopActions = &actions; }

    // Alive while the object is; hook forwarders hold a weak reference to it.
    std::weak_ptr<QUILVO*> selfReference() const { return m_self; }

protected:
    void resetWindowState(bool starting) override;
    void languageChanged() override;

private:
    void trackWindow(QWidget* window);
    void translateColumns(QWidget* list);
    void retranslateWindows();
    template <class Fn> Fn defaultHandler(int hook) const;

    std::shared_ptr<QUILVO*> m_self;
    bool m_frameFlag = false;
    QPointer<QWidget> m_frameWindow;
    std::vector<FrameText> m_frameQ;
    std::array<unsigned, 30> ENTRYPROP{};
    quilvo::StopActions* m_stopActions;

    mutable std::mutex m_hookMutex;
    std::array<vrt::HookProc, 7> m_def{};
    std::array<vrt::HookProc, 7> m_qv{};

    std::vector<QPointer<QWidget>> m_windows; // translated windows that follow a language change
};

// The seven hook forwarders, bound to one translator object (numbers 1..7 in order).
vrt::HookProc HOOKCOLORDIALOG(QUILVO& t);
vrt::HookProc HOOKFILEDIALOG(QUILVO& t);
vrt::HookProc HOOKFONTDIALOG(QUILVO& t);
vrt::HookProc HOOKPRINTERDIALOG(QUILVO& t);
vrt::HookProc HOOKHALT(QUILVO& t);
vrt::HookProc HOOKMESSAGE(QUILVO& t);
vrt::HookProc HOOKSTOP(QUILVO& t);

// INITHOOK 1..7 with the forwarders above.
void installTranslatorHooks(QUILVO& t);
