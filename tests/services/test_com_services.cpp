// Components' events, byte arrays, special folders and the library loader.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QObject>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest/QSignalSpy>
#include <QtTest/QTest>

#include <cstring>
#include <thread>

#include "runtime/ComponentRegistry.h"
#include "runtime/Notify.h"
#include "services/ComEvents.h"
#include "services/SafeArray.h"
#include "services/KnownFolders.h"
#include "tests/support/TestSupport.h"

using namespace ourcom;
using testsupport::CwdGuard;
using testsupport::OnScopeExit;
using testsupport::ScopedEnv;

namespace {

const Guid kEvents = Guid::parse(QStringLiteral("{5E1F2A3B-0000-4C00-8000-0000000000AA}"));
const Guid kOther = Guid::parse(QStringLiteral("{5E1F2A3B-0000-4C00-8000-0000000000BB}"));

// A component with one event interface, made through the registry.
class Ticker : public QObject, public IUnknownLike {
public:
    ConnectionPoints points{{kEvents}};
    HRESULT QueryInterface(const Guid& iid, void** out) override
    {
        if (iid == IID_IConnectionPointContainer)
            return points.QueryInterface(iid, out);
        if (iid == IID_IUnknown) {
            *out = static_cast<IUnknownLike*>(this);
            return 0;
        }
        *out = nullptr;
        return static_cast<HRESULT>(0x80004002u);
    }
    std::int32_t AddRef() override { return 1; }
    std::int32_t Release() override { return 1; }
    void tick(int n, const QString& text)
    {
        std::vector<Variant> args{variantFromText(text), variantFromInt(n)};
        points.fire(kEvents, 7, args);
        for (Variant& v : args)
            variantClear(v);
    }
};

// Receives the sink's notifications and drains the queue on its own thread.
class Receiver : public QObject {
public:
    CONPTCLTYPE* connection = nullptr;
    std::vector<std::pair<int, QString>> seen;
    int notifications = 0;
    bool event(QEvent* e) override
    {
        if (e->type() != vrt::NotifyEvent::type())
            return QObject::event(e);
        ++notifications;
        std::int32_t dispid = 0, count = 0;
        Variant args[EventBlock::kMaxArguments];
        while (connection->GETNEXTEVENT(dispid, count, args) == 0) {
            seen.emplace_back(variantText(args[1]).toInt(), variantText(args[0]));
            for (int i = 0; i < count; ++i)
                variantClear(args[i]);
            connection->VARIANTFREE();
        }
        return true;
    }
};


} // namespace

TEST(BlockRing, GrowsWithoutLosingOrderAlsoWhenWrapped)
{
    for (int firstReads : {0, 5}) {
        BLOCKCLTYPE ring;
        ASSERT_EQ(ring.INITBLOCKS(16, 128, 128), 0);
        std::int32_t written = 0, read = 0;
        auto write = [&](int n) {
            for (int i = 0; i < n; ++i, ++written)
                ASSERT_EQ(ring.WRITEBLOCK(&written, 4), 0);
        };
        std::int32_t value = 0;
        if (firstReads) {
            write(firstReads);
            for (int i = 0; i < firstReads; ++i, ++read) {
                ASSERT_EQ(ring.READBLOCK(&value, 4), 0);
                EXPECT_EQ(value, read);
            }
            write(133); // wraps, then grows with the ring wrapped
        } else {
            write(130);
        }
        EXPECT_EQ(ring.MAXBLOCKS, 256) << firstReads;
        EXPECT_EQ(ring.GETNEXTBLOCKTYPE(), read);
        while (ring.GETBLOCKCOUNT() > 0) {
            ASSERT_EQ(ring.READBLOCK(&value, 4), 0);
            EXPECT_EQ(value, read++);
        }
        EXPECT_EQ(read, written);
        EXPECT_EQ(ring.READBLOCK(&value, 4), 3);
    }
}

TEST(BlockRing, RefusesWritesLargerThanABlock)
{
    BLOCKCLTYPE ring;
    ASSERT_EQ(ring.INITBLOCKS(16, 2, 0), 0);
    char big[17] = {};
    EXPECT_EQ(ring.WRITEBLOCK(big, 17), 3);
    EXPECT_EQ(ring.WRITEBLOCK(big, 16), 0);
    EXPECT_EQ(ring.WRITEBLOCK(big, 16), 0);
    EXPECT_EQ(ring.WRITEBLOCK(big, 16), 3) << "a full ring that may not grow";
    EXPECT_EQ(ring.GETBLOCKCOUNT(), 2);
}

TEST(ComBase, ChecksResultsAndKeepsTheirText)
{
    StdComClType base;
    EXPECT_EQ(base.CHECKHR(1, QStringLiteral("x")), 0);
    EXPECT_EQ(base.LASTHR, 1);
    EXPECT_EQ(base.CHECKHR(static_cast<HRESULT>(0x80004005u), QStringLiteral("Advise")), 3);
    EXPECT_EQ(base.ERRORSTR, QStringLiteral("Unspecified error"));
    QString text;
    EXPECT_EQ(base.ERRORTEXT(text, 0x12345), 3);
    EXPECT_EQ(text, QStringLiteral("Unknown/Undefined Error"));

    std::int32_t a = 0, b = 0, c = 0, d = 0;
    StdComClType::SPLITGUID(IID_IDispatch, a, b, c, d);
    EXPECT_EQ(a, 0x00020400);
    EXPECT_EQ(IID_IDispatch.toString(), QStringLiteral("{00020400-0000-0000-C000-000000000046}"));
}

TEST(ComSink, QueuesEventsInOrderAndDropsTooManyArguments)
{
    CWDSYNCCLTYPE sink;
    sink.SETSYNCIID(kEvents);
    void* out = nullptr;
    EXPECT_EQ(sink.QueryInterface(kOther, &out), static_cast<HRESULT>(0x80004002u));
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(sink.QueryInterface(IID_IDispatch, &out), 0);
    EXPECT_EQ(out, static_cast<IDispatchLike*>(&sink));
    sink.Release();

    CONPTCLTYPE connection;
    ASSERT_EQ(connection.INIT(1, 0, QStringLiteral("VelmoraEvent"), &sink), 3) << "no receiver: queue only";
    std::int32_t dispid = -1, count = -1;
    EXPECT_EQ(connection.GETNEXTEVENT(dispid, count), 5);
    EXPECT_EQ(dispid, 0);
    EXPECT_EQ(count, 0);

    std::vector<Variant> sixteen(16, variantFromInt(1));
    sink.Invoke(9, sixteen.data(), 16);
    std::vector<Variant> fifteen(15, variantFromInt(2));
    fifteen[14] = variantFromText(QStringLiteral("last of fifteen"));
    for (int id : {1, 2, 3})
        sink.Invoke(id, fifteen.data(), id == 2 ? 15 : 0);
    variantClear(fifteen[14]);

    Variant args[EventBlock::kMaxArguments];
    for (int id : {1, 2, 3}) {
        ASSERT_EQ(connection.GETNEXTEVENT(dispid, count, args), 0);
        EXPECT_EQ(dispid, id);
        if (id == 2) {
            ASSERT_EQ(count, 15);
            EXPECT_EQ(variantText(args[14]), QStringLiteral("last of fifteen"));
            for (Variant& v : args)
                variantClear(v);
        }
        connection.VARIANTFREE();
    }
    EXPECT_EQ(connection.GETNEXTEVENT(dispid, count), 5);
    connection.UNADVISE();
}

TEST(ComSink, EventsReachTheReceiversThreadInOrderAndStopWhenItIsGone)
{
    vrt::ComponentRegistry::instance().registerFactory(QStringLiteral("Velmora.Ticker"),
                                                       [](QWidget*) { return new Ticker; });
    OnScopeExit unregister([] { vrt::ComponentRegistry::instance().unregister(QStringLiteral("Velmora.Ticker")); });

    CONPTCLTYPE connection;
    auto* made = connection.CREATEINSTANCE(QStringLiteral("Velmora.Ticker"), IID_IUnknown);
    ASSERT_NE(made, nullptr);
    std::unique_ptr<Ticker> ticker(dynamic_cast<Ticker*>(made));
    EXPECT_EQ(connection.CREATEINSTANCE(QStringLiteral("No.Such.Thing"), IID_IUnknown), nullptr);
    EXPECT_EQ(connection.LASTHR, static_cast<HRESULT>(0x80040154u));

    auto receiver = std::make_unique<Receiver>();
    receiver->connection = &connection;
    const int id = vrt::registerReceiver(receiver.get());
    ASSERT_EQ(connection.INIT(4711, id, QStringLiteral("VelmoraEvent")), 0);
    const QString ref = objectReference(ticker.get());
    ASSERT_TRUE(ref.startsWith(QLatin1Char('`')));
    EXPECT_EQ(connection.CONNECT(QStringLiteral("42"), kEvents), 3);
    ASSERT_EQ(connection.CONNECT(ref, kEvents), 0);
    EXPECT_EQ(ticker->points.sinkCount(kEvents), 1);

    // Fired from a worker thread, drained on the receiver's.
    std::thread worker([&] {
        for (int i = 1; i <= 3; ++i)
            ticker->tick(i, QStringLiteral("tick %1").arg(i));
    });
    worker.join();
    QTRY_COMPARE_WITH_TIMEOUT(receiver->seen.size(), std::size_t(3), 10000);
    EXPECT_EQ(receiver->seen[0], std::make_pair(1, QStringLiteral("tick 1")));
    EXPECT_EQ(receiver->seen[2], std::make_pair(3, QStringLiteral("tick 3")));

    // The receiver goes: later events wait in the queue and are freed with the sink.
    vrt::unregisterReceiver(id);
    receiver.reset();
    ticker->tick(4, QStringLiteral("nobody listens"));
    QCoreApplication::processEvents();
    connection.UNADVISE();
    EXPECT_EQ(ticker->points.sinkCount(kEvents), 0);
    EXPECT_TRUE(releaseReference(ref));
    EXPECT_EQ(resolveReference(ref), nullptr);
}

TEST(SafeArrays, ByteArraysRoundTripAndRefuseWhatTheyCannotHold)
{
    SARRAYCLTYPE sa;
    SafeArray* array = nullptr;
    ASSERT_EQ(sa.STRINGTOSAFEARRAY(array, QByteArray("a\0c", 3), 3), 0);
    ASSERT_NE(array, nullptr);
    EXPECT_EQ(array->bounds.at(0).lowerBound, 1);
    EXPECT_EQ(array->bounds.at(0).elements, 3);
    std::uint8_t error = 9;
    EXPECT_EQ(sa.SAFEARRAYTOSTRING(array, VT_ARRAY | VT_UI1, error, false), QByteArray("a\0c", 3));
    EXPECT_EQ(error, 0);

    SafeArray* none = reinterpret_cast<SafeArray*>(1);
    EXPECT_EQ(sa.STRINGTOSAFEARRAY(none, QByteArray(), 0), 3);
    EXPECT_EQ(none, nullptr);

    ASSERT_EQ(sa.STRINGTOSAFEARRAY(array, QByteArray("xyz"), 3), 0);
    EXPECT_TRUE(sa.SAFEARRAYTOSTRING(array, VT_BSTR, error, true).isEmpty());
    EXPECT_EQ(error, 3);
    EXPECT_EQ(sa.ERRORSTR, QStringLiteral("Not a one dimentional byte array."));
    EXPECT_TRUE(safeArrayDestroy(array));

    EXPECT_EQ(sa.INIT(VT_UI1, 0, {3}), 3);
    EXPECT_EQ(sa.ERRORSTR, QStringLiteral("Data size less than one. Can not create a safearray."));

    SARRAYCLTYPE wide;
    ASSERT_EQ(wide.INIT(VT_R8, 8, {2}), 0);
    const double values[2] = {1.5, 2.5};
    ASSERT_EQ(wide.PUTDATA({1}, &values[0], false), 0);
    ASSERT_EQ(wide.PUTDATA({2}, &values[1], false), 0);
    EXPECT_EQ(wide.PUTDATA({3}, &values[1], false), 3);
    RecordQueue small{4, {}};
    EXPECT_EQ(sa.SAFEARRAYTOQ(wide.PSA, VT_ARRAY | VT_R8, small), 3);
    EXPECT_EQ(sa.ERRORSTR, QStringLiteral("A data element in the array 8 is larger than the output queue size of: 4"));
    RecordQueue fits{8, {}};
    ASSERT_EQ(sa.SAFEARRAYTOQ(wide.PSA, VT_ARRAY | VT_R8, fits), 0);
    ASSERT_EQ(fits.records.size(), 2u);
    double back = 0;
    std::memcpy(&back, fits.records[1].constData(), 8);
    EXPECT_EQ(back, 2.5);
}

TEST(SafeArrays, TheProcessLockOutlivesItsInstances)
{
    int inside = 0, most = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 1000; ++i) {
                CRITSCLTYPE lock; // every instance comes and goes; the lock stays
                lock.ENTERCRITICALSECTION();
                most = std::max(most, ++inside);
                --inside;
                lock.LEAVECRITICALSECTION();
            }
        });
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(most, 1);
}

TEST(KnownFolders, MapToTheUsersPlacesAndCreateInsideThem)
{
    QTemporaryDir home;
    ScopedEnv h("HOME", QFile::encodeName(home.path()));
    ScopedEnv c("XDG_CONFIG_HOME", std::nullopt);
    ScopedEnv d("XDG_DATA_HOME", std::nullopt);
    SPECIALFOLDER folders;
    EXPECT_EQ(folders.GETDIR(CSIDL_APPDATA, QStringLiteral("Data")), home.path() + QStringLiteral("/.config/Data"));
    EXPECT_EQ(folders.GETDIR(CSIDL_LOCAL_APPDATA, QStringLiteral("\\Velmora")), home.path() + QStringLiteral("/.local/share/Velmora"));
    EXPECT_EQ(folders.GETDIR(CSIDL_PROFILE), home.path());
    EXPECT_TRUE(folders.GETDIR(0x24).isEmpty()) << "the Windows folder has no place here";
    EXPECT_EQ(folders.GETERROR(), kFolderInvalidArg);

    EXPECT_EQ(folders.CREATEDIRIN(CSIDL_PERSONAL, QStringLiteral("\\Velmora\\Izvozi")), 0);
    const QFileInfo made(home.path() + QStringLiteral("/Documents/Velmora/Izvozi"));
    EXPECT_TRUE(made.isDir());
    EXPECT_EQ(made.permissions() & (QFile::ReadGroup | QFile::ReadOther), QFile::Permissions());
    EXPECT_EQ(folders.CREATEDIRIN(CSIDL_PERSONAL, QStringLiteral("Velmora/Izvozi")), ERROR_ALREADY_EXISTS);
    EXPECT_EQ(folders.CREATEDIRIN(CSIDL_PERSONAL, QStringLiteral("../escape")), kFolderInvalidArg);

    CwdGuard cwd(home.path());
    EXPECT_EQ(folders.CREATEDIR(QStringLiteral("relative\\one")), 0);
    EXPECT_TRUE(QFileInfo(home.path() + QStringLiteral("/relative/one")).isDir());
    EXPECT_NE(folders.CREATEDIR(QString(300, QLatin1Char('x'))), 0);
}

TEST(LibraryLoader, ResolvesTheANameAndLeavesNothingDanglingOnFailure)
{
    using P = DLLLOADCLASS::Procedure;
    const QString library = QStringLiteral(VELMORA_DLLLOAD_FIXTURE);
    {
        DLLLOADCLASS loader;
        P foo = nullptr, bar = nullptr;
        loader.SETDLL(library);
        loader.ADDPROCEDUREADDRESS(foo, QStringLiteral("foo"));
        loader.ADDPROCEDUREADDRESS(bar, QStringLiteral("bar"));
        ASSERT_TRUE(loader.LOADDLL()) << loader.errorString().toStdString();
        ASSERT_NE(foo, nullptr);
        EXPECT_EQ(reinterpret_cast<int (*)()>(foo)(), 41);
        EXPECT_EQ(reinterpret_cast<int (*)()>(bar)(), 7);
        loader.SETDLL(QStringLiteral("other"));
        EXPECT_EQ(loader.GETDLL(), library) << "a loaded library keeps its name";
    }
    DLLLOADCLASS loader;
    P bar = nullptr, missing = nullptr;
    loader.SETDLL(library);
    loader.ADDPROCEDUREADDRESS(bar, QStringLiteral("bar"));
    loader.ADDPROCEDUREADDRESS(missing, QStringLiteral("zzz_missing"));
    EXPECT_FALSE(loader.LOADDLL());
    EXPECT_EQ(bar, nullptr) << "no pointer into an unloaded library";
    EXPECT_FALSE(loader.DLLLOADED());
    EXPECT_TRUE(loader.errorString().contains(QStringLiteral("zzz_missing")));

    DLLLOADCLASS absent;
    absent.SETDLL(QStringLiteral("velmora_no_such_library.dll"));
    EXPECT_FALSE(absent.LOADDLL());
    EXPECT_TRUE(absent.errorString().contains(QStringLiteral("velmora_no_such_library.dll")));
}
