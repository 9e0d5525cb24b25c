#include "extensions/FormCalls.h"

#include "runtime/Browse.h"
#include "runtime/FileManager.h"

#include <QCoreApplication>

#include <algorithm>

namespace SSTF::TBF {

QEvent::Type FormDoneEvent::type()
{
    static const int t = QEvent::registerEventType();
    return QEvent::Type(t);
}

namespace {

// The primary key's values as text: where the record stands.
QString positionOf(vrt::FileManager& fm)
{
    const int key = fm.FILE->primaryKey();
    if (key < 0)
        return {};
    QStringList parts;
    for (const vrt::KeyComponent& c : fm.FILE->keys[size_t(key)].components) {
        const vrt::FieldDesc& f = fm.FILE->fields[size_t(c.field)];
        if (f.kind == vrt::FieldKind::Long || f.kind == vrt::FieldKind::Date || f.kind == vrt::FieldKind::Time)
            parts << QString::number(*static_cast<int32_t*>(f.at(fm.BUFFER)));
        else if (f.kind == vrt::FieldKind::Byte)
            parts << QString::number(*static_cast<uint8_t*>(f.at(fm.BUFFER)));
        else if (f.isText())
            parts << QString::fromStdString(*static_cast<std::string*>(f.at(fm.BUFFER)));
    }
    return parts.join(QLatin1Char(','));
}

} // namespace

GLOBALCLASS::~GLOBALCLASS()
{
    ST::CRITICALPROCEDURE held(&SYNC);
    m_buffers.clear();
    m_saved.clear();
    m_calls.clear();
    m_browses.clear();
}

int64_t GLOBALCLASS::SAVEBUFFER(vrt::FileManager& fm)
{
    const vrt::RecordOps& ops = fm.FILE->ops;
    std::shared_ptr<void> copy(ops.make(), ops.destroy);
    ops.copy(copy.get(), fm.BUFFER);
    ST::CRITICALPROCEDURE held(&SYNC);
    const int64_t id = ++m_lastBuffer;
    m_buffers[id] = {fm.FILE, std::move(copy)};
    return id;
}

void GLOBALCLASS::RESTOREBUFFER(vrt::FileManager& fm, int64_t& id, bool restore)
{
    if (id == 0)
        return;
    std::shared_ptr<void> copy;
    {
        ST::CRITICALPROCEDURE held(&SYNC);
        const auto it = m_buffers.find(id);
        if (it != m_buffers.end()) {
            // An image only goes back into a buffer of its own table.
            if (it->second.table == fm.FILE)
                copy = it->second.copy;
            m_buffers.erase(it);
        }
    }
    if (restore && copy)
        fm.FILE->ops.copy(fm.BUFFER, copy.get());
    id = 0;
}

int64_t GLOBALCLASS::SAVEFILE(vrt::FileManager& fm)
{
    if (fm.UseFile() != vrt::NoError)
        return 0;
    const int64_t b = SAVEBUFFER(fm);
    const QString pos = positionOf(fm);
    ST::CRITICALPROCEDURE held(&SYNC);
    const int64_t id = ++m_lastSaved;
    m_saved[id] = {b, id, pos};
    return id;
}

void GLOBALCLASS::RESTOREFILE(vrt::FileManager& fm, int64_t& id, bool reget)
{
    if (id == 0)
        return;
    Saved s;
    {
        ST::CRITICALPROCEDURE held(&SYNC);
        const auto it = m_saved.find(id);
        if (it == m_saved.end()) {
            id = 0;
            return;
        }
        s = it->second;
        m_saved.erase(it);
    }
    id = 0;
    // Even when the file cannot be used the entry and its image go: nothing is left behind.
    if (fm.UseFile() != vrt::NoError) {
        RESTOREBUFFER(fm, s.buffer, false);
        return;
    }
    RESTOREBUFFER(fm, s.buffer, true);
    if (reget && fm.FILE->primaryKey() >= 0)
        fm.TryFetch(fm.FILE->primaryKey()); // the record as it is stored now
}

void GLOBALCLASS::BROWSEINIT(int64_t context, const QString& procedure, QObject* control)
{
    ST::CRITICALPROCEDURE held(&SYNC);
    m_browses.push_back({context, procedure, control});
}

void GLOBALCLASS::discard(vrt::FileManager* fm, Call& call)
{
    if (call.saveId == 0)
        return;
    if (call.request == REQUEST_INSERT && call.status == STATUS_STARTED) {
        auto it = m_buffers.find(call.saveId);
        if (it != m_buffers.end())
            m_buffers.erase(it);
    } else if (const auto s = m_saved.find(call.saveId); s != m_saved.end()) {
        m_buffers.erase(s->second.buffer);
        m_saved.erase(s);
    }
    call.saveId = 0;
}

void GLOBALCLASS::BROWSEKILL(int64_t context, const QString& procedure, QObject* control, vrt::FileManager* fm)
{
    ST::CRITICALPROCEDURE held(&SYNC);
    for (auto it = m_calls.begin(); it != m_calls.end();) {
        if (it->browseContext == context && it->procedure == procedure && it->control == control) {
            discard(fm, *it);
            it = m_calls.erase(it);
        } else {
            ++it;
        }
    }
    std::erase_if(m_browses, [&](const Browse& b) {
        return b.context == context && b.procedure == procedure && b.control == control;
    });
}

void GLOBALCLASS::BROWSESTARTCALL(const Call& call)
{
    ST::CRITICALPROCEDURE held(&SYNC);
    m_calls.push_back(call);
}

bool GLOBALCLASS::FORMINIT(int64_t formContext, int& request, int64_t& browseContext)
{
    ST::CRITICALPROCEDURE held(&SYNC);
    for (const Call& c : m_calls)
        if (c.formContext == formContext) {
            request = c.request;
            browseContext = c.browseContext;
            return true;
        }
    return false;
}

bool GLOBALCLASS::FORMCATCHCALL(int64_t formContext, int& request, int64_t& saveId)
{
    ST::CRITICALPROCEDURE held(&SYNC);
    for (Call& c : m_calls)
        if (c.formContext == formContext && c.status == STATUS_STARTED) {
            request = c.request;
            saveId = c.saveId;
            c.saveId = 0;
            c.status = STATUS_CAUGHT;
            return true;
        }
    return false;
}

int GLOBALCLASS::FORMRETURNCALL(int64_t formContext, int response, vrt::FileManager& fm)
{
    const auto findCall = [&] {
        return std::find_if(m_calls.begin(), m_calls.end(), [&](const Call& c) {
            return c.formContext == formContext && c.status != STATUS_RETURNED;
        });
    };
    if (response != 1) {
        ST::CRITICALPROCEDURE held(&SYNC);
        if (auto it = findCall(); it != m_calls.end()) {
            discard(&fm, *it);
            m_calls.erase(it);
        }
        return 0;
    }
    int64_t saved = SAVEFILE(fm);
    std::vector<QPointer<QObject>> notify;
    {
        ST::CRITICALPROCEDURE held(&SYNC);
        const auto it = findCall();
        if (it == m_calls.end()) {
            // The call went meanwhile: the record has nobody to go to.
            if (const auto s = m_saved.find(saved); s != m_saved.end()) {
                m_buffers.erase(s->second.buffer);
                m_saved.erase(s);
            }
            return 0;
        }
        it->saveId = saved;
        it->status = STATUS_RETURNED;
        notify.push_back(it->control);
        const QString controlName = it->control ? it->control->objectName() : QString();
        for (const Browse& b : m_browses)
            if (b.context != it->browseContext && b.procedure == it->procedure && b.control &&
                b.control->objectName() == controlName)
                notify.push_back(b.control);
    }
    int told = 0;
    for (const QPointer<QObject>& target : notify)
        if (target) {
            QCoreApplication::postEvent(target, new FormDoneEvent);
            ++told;
        }
    return told;
}

bool GLOBALCLASS::BROWSEDONECALL(int64_t context, const QString& procedure, QObject* control, Call& call)
{
    ST::CRITICALPROCEDURE held(&SYNC);
    const auto it = std::find_if(m_calls.begin(), m_calls.end(), [&](const Call& c) {
        return c.browseContext == context && c.procedure == procedure && c.control == control &&
               c.status == STATUS_RETURNED;
    });
    if (it == m_calls.end())
        return false;
    call = *it;
    m_calls.erase(it);
    return true;
}

size_t GLOBALCLASS::calls()
{
    ST::CRITICALPROCEDURE held(&SYNC);
    return m_calls.size();
}

size_t GLOBALCLASS::buffers()
{
    ST::CRITICALPROCEDURE held(&SYNC);
    return m_buffers.size();
}

size_t GLOBALCLASS::saved()
{
    ST::CRITICALPROCEDURE held(&SYNC);
    return m_saved.size();
}

// ---------------------------------------------------------------------------------------------

void BROWSECLASS::INIT(GLOBALCLASS& global, int64_t context, const QString& procedure, vrt::Browse& browse,
                       vrt::FileManager& fm, QObject* control)
{
    m_global = &global;
    m_context = context;
    m_procedure = procedure;
    m_browse = &browse;
    m_fm = &fm;
    m_control = control;
    global.BROWSEINIT(context, procedure, control);
    if (control)
        control->installEventFilter(this);
}

void BROWSECLASS::STARTCALL(int64_t formContext, int request)
{
    if (!m_global || formContext == 0)
        return;
    GLOBALCLASS::Call call;
    call.browseContext = m_context;
    call.procedure = m_procedure;
    call.control = m_control;
    call.browsePosition = m_browse->selectedId().toString();
    call.formContext = formContext;
    call.request = request;
    call.file = QString::fromStdString(m_fm->FILE->label);
    if (request == REQUEST_INSERT) {
        call.saveId = m_global->SAVEBUFFER(*m_fm);
        m_fm->CancelAutoInc();
    } else {
        call.saveId = m_global->SAVEFILE(*m_fm);
    }
    m_global->BROWSESTARTCALL(call);
}

bool BROWSECLASS::TAKEEVENT(QEvent* event)
{
    if (!m_global || event->type() != FormDoneEvent::type())
        return false;
    GLOBALCLASS::Call call;
    bool handled = false;
    if (m_global->BROWSEDONECALL(m_context, m_procedure, m_control, call) && call.saveId) {
        // The browse still stands where the call started: the change is shown in place.
        handled = m_browse->selectedId().toString() == call.browsePosition;
        int64_t id = call.saveId;
        m_global->RESTOREFILE(*m_fm, id, true);
    }
    if (handled && call.request != REQUEST_INSERT)
        m_browse->resetFromView();
    m_browse->refresh();
    emit resetWindow();
    return handled;
}

bool BROWSECLASS::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_control && event->type() == FormDoneEvent::type()) {
        TAKEEVENT(event);
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void BROWSECLASS::KILL()
{
    if (!m_global)
        return;
    m_global->BROWSEKILL(m_context, m_procedure, m_control, m_fm);
    if (m_control)
        m_control->removeEventFilter(this);
    m_global = nullptr;
}

// ---------------------------------------------------------------------------------------------

void FORMCLASS::INIT(GLOBALCLASS& global, vrt::FileManager& fm, int64_t context, int& request)
{
    m_global = &global;
    m_fm = &fm;
    m_context = context;
    BROWSETHREAD = 0;
    int r = 0;
    int64_t browse = 0;
    if (global.FORMINIT(context, r, browse)) {
        request = r;
        BROWSETHREAD = browse;
    }
}

int FORMCLASS::CATCHCALL()
{
    if (!m_global || BROWSETHREAD == 0)
        return 0;
    int request = 0;
    int64_t saveId = 0;
    if (!m_global->FORMCATCHCALL(m_context, request, saveId) || saveId == 0)
        return 0;
    if (request == REQUEST_INSERT) {
        m_global->RESTOREBUFFER(*m_fm, saveId, true);
        return m_fm->PrimeRecord(true);
    }
    m_global->RESTOREFILE(*m_fm, saveId, true);
    return 0;
}

void FORMCLASS::RETURNCALL(int response)
{
    if (!m_global || BROWSETHREAD == 0)
        return;
    m_global->FORMRETURNCALL(m_context, response, *m_fm);
}

} // namespace SSTF::TBF
