#pragma once
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <map>
#include <vector>

#include "runtime/ErrorClass.h"
#include "runtime/RequestCodes.h"

class QDialog;
class QTimer;

namespace vrt {

class NotifyEvent;

// ---- modal loops ------------------------------------------------------------------------

// How many modal loops are open on the GUI thread right now.
int modalDepth();

// Counts one modal loop for as long as it lives.
class ModalScope {
public:
    ModalScope();
    ~ModalScope();
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;
};

// Runs `fn` (queued on `context`) once no more than `depth` modal loops are open: what a
// window receives while a modal window runs above it waits until that one has closed.
void whenModalDepthAtMost(int depth, QObject* context, std::function<void()> fn);

// Runs a modal dialog and answers its result. The default is QDialog::exec(); tests install
// one that drives the dialog and returns, so nothing ever blocks.
using DialogRunner = std::function<int(QDialog& dialog)>;
DialogRunner setDialogRunner(DialogRunner runner); // returns the previous one (empty = exec)
int runModal(QDialog& dialog);

// A periodic handler (a window's timer, its event pump) runs only at the modal depth its
// window lives at and never inside itself: a form opened from the handler, or any other
// modal loop above the window, would otherwise deliver the next ticks into the middle of
// the handler's own work.
class ReentryGuard {
public:
    ReentryGuard();
    void rebase(int deeper = 0); // the window lives at the current depth (+ deeper)
    bool mayRun() const;
    int home() const { return m_home; }
    // Runs `body` when allowed; false when it was skipped.
    bool run(const std::function<void()>& body);

private:
    int m_home;
    bool m_busy = false;
};

// ---- window manager ---------------------------------------------------------------------

// The life of a window: init builds it and opens what it needs, the event family answers
// what happens to it, kill releases everything, and run drives the three. Control numbers
// name widgets and logical targets (hidden buttons, entries) alike, so a posted "accepted"
// reaches either.
class WindowManager : public QObject {
    Q_OBJECT
public:
    explicit WindowManager(QObject* parent = nullptr);
    ~WindowManager() override;

    // The window the manager looks after; its events come to the take-event family.
    void setWindow(QWidget* window);
    QWidget* window() const { return m_window; }

    // LEVEL_BENIGN when the window may be shown; anything else ends the run at once.
    virtual int init();
    virtual int kill();

    // Modal run of a dialog window (init, runModal, kill); answers response().
    int run();
    // The update procedure of a list: `number` picks the form, `request` says what it does.
    // Unknown numbers answer cancelled: a caller must never take nothing for a completion.
    virtual int run(int number, int request);

    // Non-modal run: init, show. Kill follows close() or the window's destruction.
    bool open();
    void close();
    bool isOpen() const { return m_open; }

    int response() const { return m_response; }
    void setResponse(int response) { m_response = response; }
    int request() const { return m_request; }
    void setRequest(int request) { m_request = request; }

    // Something the manager resets after a change (a browse, a display).
    using ResetFn = std::function<void(bool force)>;
    void addResettable(ResetFn fn);
    virtual void reset(bool force = false);

    // Controls by number.
    void setControl(int number, QWidget* widget);
    void setTarget(int number, std::function<void()> action);
    QWidget* control(int number) const;
    bool hasControl(int number) const;
    // Queued: the control's target or takeAccepted runs after the current event.
    void postAccepted(int number);
    // Now: runs the control's target, else takeAccepted.
    int accept(int number);

    // The window's timer in hundredths of a second (0 stops it); its ticks are guarded.
    void setTimer(int hundredths);
    int timerHundredths() const { return m_timerHundredths; }
    // One tick as the timer delivers it; false when the guard skipped it.
    bool tick();
    const ReentryGuard& timerGuard() const { return m_timerGuard; }

    // The event family. Each returns LEVEL_BENIGN to go on; a manager that consumed an
    // event returns LEVEL_NOTIFY and nothing else sees it.
    virtual int takeEvent(QEvent* event);
    virtual int takeAccepted(int control);
    virtual int takeNewSelection(int control);
    virtual int takeWindowEvent(QEvent* event);
    virtual int takeCloseEvent(); // LEVEL_CANCEL refuses the close
    virtual int takeNotify(int code, int number);
    virtual int takeTimer();

    // The error manager forms and lists report through, under this window's procedure name.
    void setErrors(ErrorClass* errors, const QString& procedure);
    ErrorClass* errors() const { return m_errors; }
    QString procedure() const { return m_procedure; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;

private:
    void startTimer();
    int finishRun();
    // True when the event was put off until the modal windows above this one have closed.
    bool deferWhileModal(std::function<void()> fn);
    void receiveNotify(const NotifyEvent& n);

    QPointer<QWidget> m_window;
    std::map<int, QPointer<QWidget>> m_controls;
    std::map<int, std::function<void()>> m_targets;
    std::vector<ResetFn> m_resettables;
    QTimer* m_timer = nullptr;
    int m_timerHundredths = 0;
    ReentryGuard m_timerGuard;
    bool m_open = false;
    bool m_killed = true;
    bool m_closingByProgram = false;
    int m_response = RESPONSE_NONE;
    int m_request = REQUEST_NONE;
    ErrorClass* m_errors = nullptr;
    QString m_procedure;
};

} // namespace vrt
