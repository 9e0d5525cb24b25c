#include "services/ComEvents.h"

#include <QObject>

#include <algorithm>
#include <atomic>
#include <cstring>

#include "runtime/ComponentRegistry.h"
#include "runtime/Dialogs.h"
#include "runtime/Notify.h"

namespace ourcom {

namespace {
constexpr HRESULT kSOk = controls::S_OK;
constexpr HRESULT kENoInterface = controls::E_NOINTERFACE;
constexpr HRESULT kEPointer = controls::E_POINTER;
constexpr HRESULT kClassNotReg = controls::REGDB_E_CLASSNOTREG;
constexpr HRESULT kNoConnection = controls::CONNECT_E_NOCONNECTION;

// Sink queues: 256-byte blocks, 128 of them, growing by 128.
constexpr std::int32_t kQueueBlock = 256;
constexpr std::int32_t kQueueBlocks = 128;
constexpr std::int32_t kHeaderBytes = 16;

std::mutex g_referenceLock;
std::map<std::int64_t, IUnknownLike*> g_references;
std::int64_t g_nextReference = 1;
} // namespace

// ---- connection points -------------------------------------------------------------------

class ConnectionPoints::Point : public IConnectionPoint {
public:
    explicit Point(const Guid& iid) : m_iid(iid) {}
    HRESULT QueryInterface(const Guid& iid, void** out) override
    {
        if (!out)
            return kEPointer;
        *out = nullptr;
        if (iid != IID_IUnknown)
            return kENoInterface;
        *out = static_cast<IUnknownLike*>(this);
        return kSOk;
    }
    std::int32_t AddRef() override { return 1; }
    std::int32_t Release() override { return 1; }
    HRESULT Advise(IDispatchLike* sink, std::uint32_t* cookie) override
    {
        if (!sink || !cookie)
            return kEPointer;
        std::lock_guard<std::mutex> l(m_lock);
        *cookie = ++m_lastCookie;
        sink->AddRef();
        m_sinks.emplace(*cookie, sink);
        return kSOk;
    }
    HRESULT Unadvise(std::uint32_t cookie) override
    {
        IDispatchLike* sink = nullptr;
        {
            std::lock_guard<std::mutex> l(m_lock);
            auto it = m_sinks.find(cookie);
            if (it == m_sinks.end())
                return kNoConnection;
            sink = it->second;
            m_sinks.erase(it);
        }
        sink->Release();
        return kSOk;
    }
    std::vector<IDispatchLike*> sinks() const
    {
        std::lock_guard<std::mutex> l(m_lock);
        std::vector<IDispatchLike*> out;
        for (const auto& [cookie, sink] : m_sinks) {
            sink->AddRef();
            out.push_back(sink);
        }
        return out;
    }
    void dropAll()
    {
        std::map<std::uint32_t, IDispatchLike*> sinks;
        {
            std::lock_guard<std::mutex> l(m_lock);
            sinks.swap(m_sinks);
        }
        for (auto& [cookie, sink] : sinks)
            sink->Release();
    }
    const Guid& iid() const { return m_iid; }

private:
    Guid m_iid;
    mutable std::mutex m_lock;
    std::map<std::uint32_t, IDispatchLike*> m_sinks;
    std::uint32_t m_lastCookie = 0;
};

ConnectionPoints::ConnectionPoints(std::vector<Guid> eventInterfaces)
{
    for (const Guid& iid : eventInterfaces)
        m_points.push_back(new Point(iid));
}

ConnectionPoints::~ConnectionPoints()
{
    for (Point* p : m_points) {
        p->dropAll();
        delete p;
    }
}

HRESULT ConnectionPoints::QueryInterface(const Guid& iid, void** out)
{
    if (!out)
        return kEPointer;
    *out = nullptr;
    if (iid == IID_IUnknown)
        *out = static_cast<IUnknownLike*>(this);
    else if (iid == IID_IConnectionPointContainer)
        *out = static_cast<IConnectionPointContainer*>(this);
    else
        return kENoInterface;
    return kSOk;
}

HRESULT ConnectionPoints::FindConnectionPoint(const Guid& iid, IConnectionPoint** out)
{
    if (!out)
        return kEPointer;
    *out = nullptr;
    for (Point* p : m_points)
        if (p->iid() == iid) {
            *out = p;
            return kSOk;
        }
    return static_cast<HRESULT>(0x80040200u + 2); // no such connection point
}

int ConnectionPoints::fire(const Guid& iid, std::int32_t dispid, const std::vector<Variant>& args)
{
    for (Point* p : m_points) {
        if (p->iid() != iid)
            continue;
        const std::vector<IDispatchLike*> sinks = p->sinks();
        for (IDispatchLike* sink : sinks) {
            sink->Invoke(dispid, args.data(), static_cast<std::int32_t>(args.size()));
            sink->Release();
        }
        return static_cast<int>(sinks.size());
    }
    return 0;
}

int ConnectionPoints::sinkCount(const Guid& iid) const
{
    for (Point* p : m_points)
        if (p->iid() == iid) {
            const std::vector<IDispatchLike*> sinks = p->sinks();
            for (IDispatchLike* s : sinks)
                s->Release();
            return static_cast<int>(sinks.size());
        }
    return 0;
}

// ---- object references -------------------------------------------------------------------

QString objectReference(IUnknownLike* object)
{
    if (!object)
        return {};
    std::lock_guard<std::mutex> l(g_referenceLock);
    for (const auto& [n, o] : g_references)
        if (o == object)
            return QStringLiteral("`%1").arg(n);
    const std::int64_t n = g_nextReference++;
    g_references.emplace(n, object);
    return QStringLiteral("`%1").arg(n);
}

namespace {
std::int64_t referenceNumber(const QString& reference)
{
    if (!reference.startsWith(QLatin1Char('`')))
        return 0;
    bool ok = false;
    const std::int64_t n = reference.mid(1).toLongLong(&ok);
    return ok ? n : 0;
}
} // namespace

IUnknownLike* resolveReference(const QString& reference)
{
    const std::int64_t n = referenceNumber(reference);
    std::lock_guard<std::mutex> l(g_referenceLock);
    auto it = g_references.find(n);
    return it == g_references.end() ? nullptr : it->second;
}

bool releaseReference(const QString& reference)
{
    const std::int64_t n = referenceNumber(reference);
    std::lock_guard<std::mutex> l(g_referenceLock);
    return g_references.erase(n) > 0;
}

// ---- the common base ---------------------------------------------------------------------

std::uint8_t StdComClType::CHECKHR(HRESULT hr, const QString& context)
{
    LASTHR = hr;
    if (hr >= 0)
        return 0;
    ERRORTEXT(ERRORSTR, hr);
    ERRORSTR = ERRORSTR.left(256);
    if (DEBUG)
        vrt::message(ERRORSTR, context, vrt::Icon::Information, vrt::BUTTON_OK, vrt::BUTTON_OK);
    return 3;
}

std::uint8_t StdComClType::ERRORTEXT(QString& text, HRESULT hr) const
{
    text = resultText(hr);
    return text == QLatin1String("Unknown/Undefined Error") ? 3 : 0;
}

IUnknownLike* StdComClType::CREATEINSTANCE(const QString& progId, const Guid& iid)
{
    QObject* made = vrt::ComponentRegistry::instance().create(progId);
    auto* unknown = dynamic_cast<IUnknownLike*>(made);
    if (!unknown) {
        delete made;
        CHECKHR(made ? kENoInterface : kClassNotReg, QStringLiteral("CoCreateInstance"));
        return nullptr;
    }
    void* out = nullptr;
    if (CHECKHR(unknown->QueryInterface(iid, &out), QStringLiteral("CoCreateInstance")) != 0) {
        unknown->Release();
        return nullptr;
    }
    // The query took its own reference; the creation's goes.
    unknown->Release();
    return static_cast<IUnknownLike*>(out);
}

void StdComClType::SPLITGUID(const Guid& guid, std::int32_t& a, std::int32_t& b, std::int32_t& c, std::int32_t& d)
{
    std::uint8_t bytes[16];
    std::memcpy(bytes, &guid.data1, 4);
    std::memcpy(bytes + 4, &guid.data2, 2);
    std::memcpy(bytes + 6, &guid.data3, 2);
    std::memcpy(bytes + 8, guid.data4, 8);
    std::memcpy(&a, bytes, 4);
    std::memcpy(&b, bytes + 4, 4);
    std::memcpy(&c, bytes + 8, 4);
    std::memcpy(&d, bytes + 12, 4);
}

void StdComClType::START(std::uint8_t debug)
{
    ERRORSTR.clear();
    LASTHR = 0;
    DEBUG = debug;
}

// ---- the block ring ----------------------------------------------------------------------

std::uint8_t BLOCKCLTYPE::INITBLOCKS(std::int32_t blockSize, std::int32_t count, std::int32_t increment)
{
    std::lock_guard<std::mutex> l(m_lock);
    FIRSTBLOCK = LASTBLOCK = -1;
    BLOCKCOUNT = 0;
    m_blocks.clear();
    if (blockSize < 1 || count < 1 || increment < 0 ||
        std::int64_t(blockSize) * count > std::int64_t(256) * 1024 * 1024) {
        MAXBLOCKS = BLOCKSIZE = RESIZEINCREMENT = 0;
        return 3;
    }
    m_blocks.assign(std::size_t(blockSize) * std::size_t(count), 0);
    BLOCKSIZE = blockSize;
    MAXBLOCKS = count;
    RESIZEINCREMENT = increment;
    return 0;
}

std::uint8_t BLOCKCLTYPE::WRITEBLOCK(const void* source, std::int32_t bytes)
{
    std::lock_guard<std::mutex> l(m_lock);
    if (MAXBLOCKS < 1 || bytes < 0 || bytes > BLOCKSIZE || (bytes > 0 && !source))
        return 3;
    std::int32_t index = 0;
    if (BLOCKCOUNT == 0) {
        FIRSTBLOCK = 0;
        index = 0;
    } else {
        index = LASTBLOCK + 1;
        if (index >= MAXBLOCKS && FIRSTBLOCK != 0)
            index = 0;
        const bool full = index == FIRSTBLOCK || index >= MAXBLOCKS;
        if (full) {
            if (RESIZEINCREMENT < 1)
                return 3;
            const std::int32_t oldMax = MAXBLOCKS;
            const std::int32_t newMax = oldMax + RESIZEINCREMENT;
            try {
                m_blocks.resize(std::size_t(newMax) * std::size_t(BLOCKSIZE), 0);
            } catch (const std::bad_alloc&) {
                return 3;
            }
            MAXBLOCKS = newMax;
            if (LASTBLOCK < FIRSTBLOCK) {
                // The ring had wrapped: the older run moves to the end and the oldest follows it.
                const std::size_t from = std::size_t(FIRSTBLOCK) * BLOCKSIZE;
                const std::size_t len = std::size_t(oldMax - FIRSTBLOCK) * BLOCKSIZE;
                std::memmove(m_blocks.data() + from + std::size_t(RESIZEINCREMENT) * BLOCKSIZE,
                             m_blocks.data() + from, len);
                std::memset(m_blocks.data() + from, 0, std::min<std::size_t>(len, std::size_t(RESIZEINCREMENT) * BLOCKSIZE));
                FIRSTBLOCK += RESIZEINCREMENT;
            }
            index = LASTBLOCK + 1;
        }
    }
    std::uint8_t* block = m_blocks.data() + std::size_t(index) * BLOCKSIZE;
    std::memset(block, 0, std::size_t(BLOCKSIZE));
    if (bytes > 0)
        std::memcpy(block, source, std::size_t(bytes));
    LASTBLOCK = index;
    ++BLOCKCOUNT;
    return 0;
}

std::uint8_t BLOCKCLTYPE::READBLOCK(void* target, std::int32_t bytes)
{
    std::lock_guard<std::mutex> l(m_lock);
    if (BLOCKCOUNT < 1 || bytes < 0 || (bytes > 0 && !target))
        return 3;
    const std::uint8_t* block = m_blocks.data() + std::size_t(FIRSTBLOCK) * BLOCKSIZE;
    if (bytes > 0)
        std::memcpy(target, block, std::size_t(std::min(bytes, BLOCKSIZE)));
    --BLOCKCOUNT;
    if (BLOCKCOUNT == 0) {
        FIRSTBLOCK = LASTBLOCK = -1;
    } else {
        ++FIRSTBLOCK;
        if (FIRSTBLOCK >= MAXBLOCKS)
            FIRSTBLOCK = 0;
    }
    return 0;
}

std::int32_t BLOCKCLTYPE::GETBLOCKCOUNT() const
{
    std::lock_guard<std::mutex> l(m_lock);
    return BLOCKCOUNT;
}

std::int32_t BLOCKCLTYPE::GETNEXTBLOCKTYPE() const
{
    std::lock_guard<std::mutex> l(m_lock);
    if (BLOCKCOUNT < 1)
        return 0;
    std::int32_t value = 0;
    std::memcpy(&value, m_blocks.data() + std::size_t(FIRSTBLOCK) * BLOCKSIZE, 4);
    return value;
}

void BLOCKCLTYPE::KILLBLOCKS()
{
    std::lock_guard<std::mutex> l(m_lock);
    m_blocks.clear();
    m_blocks.shrink_to_fit();
    FIRSTBLOCK = LASTBLOCK = -1;
    BLOCKCOUNT = MAXBLOCKS = BLOCKSIZE = RESIZEINCREMENT = 0;
}

// ---- the sink ----------------------------------------------------------------------------

CWDSYNCCLTYPE::~CWDSYNCCLTYPE() { KILL(); }

std::uint8_t CWDSYNCCLTYPE::INIT(std::int32_t event, std::int32_t thread, const QString& messageName)
{
    KILL();
    m_queue = new BLOCKCLTYPE;
    if (m_queue->INITBLOCKS(kQueueBlock, kQueueBlocks, kQueueBlocks) != 0) {
        delete m_queue;
        m_queue = nullptr;
        return 3;
    }
    WNDMSG = messageName.trimmed();
    CWEVENT = event;
    CWTHREAD = thread;
    return event != 0 && thread != 0 && vrt::receiver(thread) ? 0 : 3;
}

void CWDSYNCCLTYPE::KILL()
{
    if (!m_queue)
        return;
    // Events nobody read still own their texts.
    EventBlock block;
    while (m_queue->READBLOCK(&block, sizeof block) == 0)
        for (int i = 0; i < std::min(block.PARAMCOUNT, EventBlock::kMaxArguments); ++i)
            variantClear(block.VAR[i]);
    m_queue->KILLBLOCKS();
    delete m_queue;
    m_queue = nullptr;
    VARIANTFREE();
}

void CWDSYNCCLTYPE::TAKEEVENT(std::int32_t dispid, const Variant* args, std::int32_t count)
{
    if (!m_queue || count < 0 || count > EventBlock::kMaxArguments || (count > 0 && !args))
        return;
    EventBlock block;
    block.THESIZE = kHeaderBytes + 16 * count;
    block.DISPID = dispid;
    block.PARAMCOUNT = count;
    for (int i = 0; i < count; ++i)
        if (variantCopyInd(block.VAR[i], args[i]) != 0)
            block.VAR[i] = Variant();
    static_assert(sizeof(EventBlock) == kQueueBlock, "an event fills one queue block");
    if (m_queue->WRITEBLOCK(&block, block.THESIZE) != 0) {
        for (int i = 0; i < count; ++i)
            variantClear(block.VAR[i]);
        return;
    }
    vrt::notify(CWTHREAD, CWEVENT);
}

std::uint8_t CWDSYNCCLTYPE::READEVENT()
{
    if (!m_queue)
        return 3;
    if (m_queue->GETBLOCKCOUNT() == 0)
        return 5;
    VARIANTFREE();
    EventBlock block;
    if (m_queue->READBLOCK(&block, sizeof block) != 0)
        return 3;
    THEBLOCK = block;
    return 0;
}

std::uint8_t CWDSYNCCLTYPE::VARIANTFREE()
{
    for (Variant& v : THEBLOCK.VAR)
        variantClear(v);
    return 0;
}

HRESULT CWDSYNCCLTYPE::QueryInterface(const Guid& iid, void** out)
{
    if (!out)
        return kEPointer;
    *out = nullptr;
    if (iid != SYNCIID && iid != IID_IDispatch && iid != IID_IUnknown)
        return kENoInterface;
    *out = static_cast<IDispatchLike*>(this);
    AddRef();
    return kSOk;
}

std::int32_t CWDSYNCCLTYPE::AddRef()
{
    std::lock_guard<std::mutex> l(m_refLock);
    return ++REFCOUNT;
}

// The owner ends the sink; the count only tells how many hold it.
std::int32_t CWDSYNCCLTYPE::Release()
{
    std::lock_guard<std::mutex> l(m_refLock);
    if (REFCOUNT > 0)
        --REFCOUNT;
    return REFCOUNT;
}

HRESULT CWDSYNCCLTYPE::GetTypeInfoCount(std::uint32_t* count)
{
    if (count)
        *count = 0;
    return kSOk;
}

HRESULT CWDSYNCCLTYPE::Invoke(std::int32_t dispid, const Variant* args, std::int32_t count)
{
    TAKEEVENT(dispid, args, count);
    return kSOk;
}

// ---- connecting --------------------------------------------------------------------------

CONPTCLTYPE::~CONPTCLTYPE() { UNADVISE(); }

std::uint8_t CONPTCLTYPE::INIT(std::int32_t event, std::int32_t thread, const QString& messageName,
                               CWDSYNCCLTYPE* sink)
{
    UNADVISE();
    START(DEBUG);
    if (sink) {
        CWDSYNCCL = sink;
        CREATEDCWDSYNCCL = 0;
    } else {
        CWDSYNCCL = new CWDSYNCCLTYPE;
        CREATEDCWDSYNCCL = 1;
    }
    return CWDSYNCCL->INIT(event, thread, messageName);
}

std::uint8_t CONPTCLTYPE::CONNECT(IUnknownLike* object, const Guid& eventIid)
{
    if (!CWDSYNCCL)
        return 3;
    if (!object)
        return CHECKHR(kEPointer, QStringLiteral("preappQIForIcpcont"));
    if (LPCONNECTIONPOINT)
        return 3;
    CWDSYNCCL->SETSYNCIID(eventIid);
    void* out = nullptr;
    if (CHECKHR(object->QueryInterface(IID_IConnectionPointContainer, &out), QStringLiteral("preappQIForIcpcont")) != 0)
        return 3;
    LPICONNECTIONPOINTCONTAINER = static_cast<IConnectionPointContainer*>(out);
    if (!LPICONNECTIONPOINTCONTAINER)
        return CHECKHR(kEPointer, QStringLiteral("preappQIForIcpcont"));
    if (CHECKHR(LPICONNECTIONPOINTCONTAINER->FindConnectionPoint(eventIid, &LPCONNECTIONPOINT), QStringLiteral("FindCp")) != 0) {
        LPCONNECTIONPOINT = nullptr;
        return 3;
    }
    if (CHECKHR(LPCONNECTIONPOINT->Advise(CWDSYNCCL, &DWCOOKIE), QStringLiteral("Advise")) != 0) {
        LPCONNECTIONPOINT->Release();
        LPCONNECTIONPOINT = nullptr;
        DWCOOKIE = 0;
        return 3;
    }
    return 0;
}

std::uint8_t CONPTCLTYPE::CONNECT(const QString& reference, const Guid& eventIid)
{
    if (!reference.startsWith(QLatin1Char('`')))
        return 3;
    IUnknownLike* object = resolveReference(reference);
    if (!object)
        return CHECKHR(kEPointer, QStringLiteral("preappQIForIcpcont"));
    return CONNECT(object, eventIid);
}

std::uint8_t CONPTCLTYPE::GETNEXTEVENT(std::int32_t& dispid, std::int32_t& count, Variant* args)
{
    dispid = 0;
    count = 0;
    if (!CWDSYNCCL)
        return 3;
    const std::uint8_t r = CWDSYNCCL->READEVENT();
    if (r != 0)
        return r;
    dispid = CWDSYNCCL->THEBLOCK.DISPID;
    count = CWDSYNCCL->THEBLOCK.PARAMCOUNT;
    if (args && count > 0)
        for (int i = 0; i < count; ++i) {
            args[i] = Variant();
            variantCopy(args[i], CWDSYNCCL->THEBLOCK.VAR[i]);
        }
    return 0;
}

std::uint8_t CONPTCLTYPE::VARIANTFREE() { return CWDSYNCCL ? CWDSYNCCL->VARIANTFREE() : 3; }

void CONPTCLTYPE::UNADVISE()
{
    if (LPCONNECTIONPOINT) {
        CHECKHR(LPCONNECTIONPOINT->Unadvise(DWCOOKIE), QStringLiteral("Unadvise"));
        LPCONNECTIONPOINT->Release();
        LPCONNECTIONPOINT = nullptr;
        DWCOOKIE = 0;
    }
    if (LPICONNECTIONPOINTCONTAINER) {
        LPICONNECTIONPOINTCONTAINER->Release();
        LPICONNECTIONPOINTCONTAINER = nullptr;
    }
    if (CWDSYNCCL) {
        CWDSYNCCL->KILL();
        if (CREATEDCWDSYNCCL)
            delete CWDSYNCCL;
        CWDSYNCCL = nullptr;
        CREATEDCWDSYNCCL = 0;
    }
}

} // namespace ourcom
