#pragma once
#include "extensions/CriticalSection.h"

#include <QEvent>
#include <QObject>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace vrt {
class Browse;
class FileManager;
} // namespace vrt

// A browse and the update form it starts, each in a window context of its own (a context is
// what has its own record buffers; contexts may live on other threads). The browse saves the
// record it wants edited, the form picks it up, and when the form completes it hands its
// final record back and wakes the browse, and every other open instance of the same browse,
// with a form-done event, on which they show the change. Ids are 64-bit: they never wrap.
namespace SSTF::TBF {

enum Request : int { REQUEST_INSERT = 1, REQUEST_CHANGE = 2, REQUEST_DELETE = 3 };
enum Status : int { STATUS_STARTED = 1, STATUS_CAUGHT = 2, STATUS_RETURNED = 3 };

// The form-done event posted to a browse's list.
class FormDoneEvent : public QEvent {
public:
    FormDoneEvent() : QEvent(type()) {}
    static QEvent::Type type();
};

class GLOBALCLASS {
public:
    struct Browse {
        int64_t context = 0;
        QString procedure;
        QPointer<QObject> control;
    };
    struct Call {
        int64_t browseContext = 0;
        QString procedure;
        QPointer<QObject> control;
        QString browsePosition;
        int64_t formContext = 0;
        int request = 0;
        QString file;
        int64_t saveId = 0;
        int status = STATUS_STARTED;
    };
    struct Saved {
        int64_t buffer = 0;
        int64_t id = 0;
        QString position;
    };

    virtual ~GLOBALCLASS();

    // A record image: the record buffer copied; the data layer keeps large texts and null
    // flags inside the record, so one part makes an image.
    virtual int64_t SAVEBUFFER(vrt::FileManager& fm);
    virtual void RESTOREBUFFER(vrt::FileManager& fm, int64_t& id, bool restore);
    // The record with its position (its primary key); 0 when the file cannot be used.
    int64_t SAVEFILE(vrt::FileManager& fm);
    // Restores a saved record (`reget`: read again at its position); the entry goes either way.
    void RESTOREFILE(vrt::FileManager& fm, int64_t& id, bool reget);

    void BROWSEINIT(int64_t context, const QString& procedure, QObject* control);
    void BROWSEKILL(int64_t context, const QString& procedure, QObject* control, vrt::FileManager* fm);
    void BROWSESTARTCALL(const Call& call);
    // The form's call: its request and saved id (taken from the call), or false.
    bool FORMCATCHCALL(int64_t formContext, int& request, int64_t& saveId);
    // A completed form's record goes back and the browses hear of it; any other response
    // drops the call. Answers how many browses were told.
    int FORMRETURNCALL(int64_t formContext, int response, vrt::FileManager& fm);
    // The browse's returned call, taken off the list.
    bool BROWSEDONECALL(int64_t context, const QString& procedure, QObject* control, Call& call);
    // The form of `formContext`: its call's request and browse context.
    bool FORMINIT(int64_t formContext, int& request, int64_t& browseContext);

    size_t calls();
    size_t buffers();
    size_t saved();

    ST::CRITICALSECTION SYNC;

private:
    void discard(vrt::FileManager* fm, Call& call);
    std::vector<Browse> m_browses;
    std::vector<Call> m_calls;
    struct Buffer {
        const void* table = nullptr;
        std::shared_ptr<void> copy;
    };
    std::map<int64_t, Buffer> m_buffers;
    std::map<int64_t, Saved> m_saved;
    int64_t m_lastBuffer = 0;
    int64_t m_lastSaved = 0;
};

// The browse's companion: registers the list, starts calls, and refreshes the list on the
// form-done event.
class BROWSECLASS : public QObject {
    Q_OBJECT
public:
    ~BROWSECLASS() override { KILL(); }
    void INIT(GLOBALCLASS& global, int64_t context, const QString& procedure, vrt::Browse& browse,
              vrt::FileManager& fm, QObject* control);
    // Right after the browse started the form of `formContext`.
    void STARTCALL(int64_t formContext, int request);
    // On the form-done event: true when this browse's own call was handled here.
    bool TAKEEVENT(QEvent* event);
    void KILL();

signals:
    // The list was read again on a form-done event (a window reset); the window follows.
    void resetWindow();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    GLOBALCLASS* m_global = nullptr;
    int64_t m_context = 0;
    QString m_procedure;
    vrt::Browse* m_browse = nullptr;
    vrt::FileManager* m_fm = nullptr;
    QPointer<QObject> m_control;
};

// The form's companion.
class FORMCLASS {
public:
    void INIT(GLOBALCLASS& global, vrt::FileManager& fm, int64_t context, int& request);
    // When the form's record is primed: the browse's record comes into the form's buffer.
    int CATCHCALL();
    // When the form closes; `response` 1: completed.
    void RETURNCALL(int response);
    int64_t BROWSETHREAD = 0;

private:
    GLOBALCLASS* m_global = nullptr;
    vrt::FileManager* m_fm = nullptr;
    int64_t m_context = 0;
};

} // namespace SSTF::TBF
