#pragma once
#include <QPointer>
#include <QString>

#include <cstdint>
#include <map>
#include <mutex>
#include <vector>

#include "protocols/ComBase.h"
#include "services/ComTypes.h"

class QObject;

// Components and their events: result checks with their texts, connecting an event sink to a
// component's connection point, and a sink that queues every event and tells a receiver (a
// window, by its runtime receiver number) to drain the queue on its own thread.
namespace ourcom {

using controls::HRESULT;

// The identity every component interface has: the shared reference count, and asking for
// another of the object's interfaces.
class IUnknownLike : public controls::ComUnknown {
public:
    virtual HRESULT QueryInterface(const Guid& iid, void** out) = 0;
};

// An event sink: the component calls Invoke once per event with its arguments, the last
// declared argument first.
class IDispatchLike : public IUnknownLike {
public:
    virtual HRESULT GetTypeInfoCount(std::uint32_t* count) = 0;
    virtual HRESULT Invoke(std::int32_t dispid, const Variant* args, std::int32_t count) = 0;
};

class IConnectionPoint : public IUnknownLike {
public:
    virtual HRESULT Advise(IDispatchLike* sink, std::uint32_t* cookie) = 0;
    virtual HRESULT Unadvise(std::uint32_t cookie) = 0;
};

class IConnectionPointContainer : public IUnknownLike {
public:
    virtual HRESULT FindConnectionPoint(const Guid& iid, IConnectionPoint** out) = 0;
};

// The connection points a component offers, one per event interface. A component owns one,
// answers IID_IConnectionPointContainer with it and calls fire() for each event. Sinks are
// called on the firing thread; fire() never holds the lock while a sink runs.
class ConnectionPoints : public IConnectionPointContainer {
public:
    explicit ConnectionPoints(std::vector<Guid> eventInterfaces);
    ~ConnectionPoints() override;
    ConnectionPoints(const ConnectionPoints&) = delete;
    ConnectionPoints& operator=(const ConnectionPoints&) = delete;

    HRESULT QueryInterface(const Guid& iid, void** out) override;
    std::int32_t AddRef() override { return 1; }
    std::int32_t Release() override { return 1; }
    HRESULT FindConnectionPoint(const Guid& iid, IConnectionPoint** out) override;

    // Calls every sink advised on `iid`; the number of sinks called.
    int fire(const Guid& iid, std::int32_t dispid, const std::vector<Variant>& args);
    int sinkCount(const Guid& iid) const;

private:
    class Point;
    std::vector<Point*> m_points;
};

// Object references as the runtime passes them in text: a grave accent and a number.
QString objectReference(IUnknownLike* object);
// The object a reference names, nullptr when none (or the text is not a reference).
IUnknownLike* resolveReference(const QString& reference);
// Forgets the reference; false when it named nothing.
bool releaseReference(const QString& reference);

// The common base: checks result codes, keeping the last one and its text.
class StdComClType {
public:
    virtual ~StdComClType() = default;

    // 0 when hr is not negative; otherwise 3 with ERRORSTR set to its text (shown with the
    // context as caption when DEBUG is set). LASTHR always takes hr.
    virtual std::uint8_t CHECKHR(HRESULT hr, const QString& context);
    // 0 with the code's text in `text`, "Unknown/Undefined Error" when it has none (then 3).
    std::uint8_t ERRORTEXT(QString& text, HRESULT hr) const;
    // The component registered under the program identifier, asked for `iid`; nullptr on
    // failure (checked with context "CoCreateInstance"). The caller releases the result.
    IUnknownLike* CREATEINSTANCE(const QString& progId, const Guid& iid);
    // The Guid's bytes 0-3, 4-7, 8-11 and 12-15 as four numbers.
    static void SPLITGUID(const Guid& guid, std::int32_t& a, std::int32_t& b, std::int32_t& c, std::int32_t& d);
    void START(std::uint8_t debug);
    void END() {}

    QString ERRORSTR;
    HRESULT LASTHR = 0;
    std::uint8_t DEBUG = 0;
};

// A first-in, first-out ring of equal blocks that grows when full. Every operation holds the
// ring's lock, so one thread may write while another reads.
class BLOCKCLTYPE {
public:
    std::uint8_t INITBLOCKS(std::int32_t blockSize, std::int32_t count, std::int32_t increment);
    // 3 when the bytes do not fit a block or the ring cannot grow.
    std::uint8_t WRITEBLOCK(const void* source, std::int32_t bytes);
    std::uint8_t READBLOCK(void* target, std::int32_t bytes);
    std::int32_t GETBLOCKCOUNT() const;
    // The first four bytes of the oldest block, 0 when empty.
    std::int32_t GETNEXTBLOCKTYPE() const;
    void KILLBLOCKS();

    std::int32_t FIRSTBLOCK = -1;
    std::int32_t LASTBLOCK = -1;
    std::int32_t BLOCKCOUNT = 0;
    std::int32_t RESIZEINCREMENT = 0;
    std::int32_t MAXBLOCKS = 0;
    std::int32_t BLOCKSIZE = 0;

private:
    mutable std::mutex m_lock;
    std::vector<std::uint8_t> m_blocks;
};

// The event last read from a sink's queue: the header and up to kMaxArguments arguments.
struct EventBlock {
    static constexpr int kMaxArguments = 15;
    std::int32_t THESIZE = 0;
    std::int32_t DISPID = 0;
    std::int32_t PARAMCOUNT = 0;
    std::int32_t UNUSED = 0;
    Variant VAR[kMaxArguments];
};

// An event sink that copies each event into its queue and tells the receiver `thread` (a
// runtime receiver number) with the notification `event`. The receiver drains the queue on
// its own thread in arrival order; when it is gone the notification is dropped and the
// events wait in the queue until the sink ends.
class CWDSYNCCLTYPE : public IDispatchLike {
public:
    CWDSYNCCLTYPE() = default;
    ~CWDSYNCCLTYPE() override;
    CWDSYNCCLTYPE(const CWDSYNCCLTYPE&) = delete;
    CWDSYNCCLTYPE& operator=(const CWDSYNCCLTYPE&) = delete;

    // 0 when the event and the receiver are set (the queue is made either way); else 3.
    std::uint8_t INIT(std::int32_t event, std::int32_t thread, const QString& messageName);
    void KILL();
    virtual void TAKEEVENT(std::int32_t dispid, const Variant* args, std::int32_t count);
    // Reads the oldest event into THEBLOCK: 0, 5 when none waits, 3 without a queue.
    std::uint8_t READEVENT();
    // Clears THEBLOCK's arguments: 0.
    std::uint8_t VARIANTFREE();
    void SETSYNCIID(const Guid& iid) { SYNCIID = iid; }
    bool ISSYNCIID(const Guid& iid) const { return SYNCIID == iid; }

    HRESULT QueryInterface(const Guid& iid, void** out) override;
    std::int32_t AddRef() override;
    std::int32_t Release() override;
    HRESULT GetTypeInfoCount(std::uint32_t* count) override;
    HRESULT Invoke(std::int32_t dispid, const Variant* args, std::int32_t count) override;

    EventBlock THEBLOCK;
    QString WNDMSG;
    std::int32_t CWEVENT = 0;
    std::int32_t CWTHREAD = 0;
    Guid SYNCIID;
    std::int32_t REFCOUNT = 0;

private:
    BLOCKCLTYPE* m_queue = nullptr;
    std::mutex m_refLock;
};

// Connects a sink to a component's connection point.
class CONPTCLTYPE : public StdComClType {
public:
    ~CONPTCLTYPE() override;

    // Uses `sink`, or makes one (then owned and freed by UNADVISE); starts it.
    std::uint8_t INIT(std::int32_t event, std::int32_t thread, const QString& messageName,
                      CWDSYNCCLTYPE* sink = nullptr);
    std::uint8_t CONNECT(IUnknownLike* object, const Guid& eventIid);
    // The object named by a control's reference text (a grave accent and a number).
    std::uint8_t CONNECT(const QString& reference, const Guid& eventIid);
    // 0 with the oldest event's dispatch id, argument count and (when `args` is given) copies
    // of its arguments, which the caller clears; 5 when none waits; 3 without a sink.
    std::uint8_t GETNEXTEVENT(std::int32_t& dispid, std::int32_t& count, Variant* args = nullptr);
    std::uint8_t VARIANTFREE();
    void UNADVISE();

    IConnectionPoint* LPCONNECTIONPOINT = nullptr;
    IConnectionPointContainer* LPICONNECTIONPOINTCONTAINER = nullptr;
    std::uint32_t DWCOOKIE = 0;
    CWDSYNCCLTYPE* CWDSYNCCL = nullptr;
    std::uint8_t CREATEDCWDSYNCCL = 0;
};

} // namespace ourcom
