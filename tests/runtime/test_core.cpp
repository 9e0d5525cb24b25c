#include "runtime/ComponentRegistry.h"
#include "runtime/Notify.h"
#include "runtime/Paths.h"
#include "runtime/Text.h"
#include "runtime/Threads.h"
#include "tests/support/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <atomic>
#include <gtest/gtest.h>

TEST(Paths, JoinAcceptsBackslashesAndKeepsCase)
{
    struct Case { const char* folder; const char* name; const char* expected; };
    const Case cases[] = {
        {"/home/Ana/Velmora", "\\Files\\Database.db", "/home/Ana/Velmora/Files/Database.db"},
        {"/home/Ana/Velmora/", "Standard.ini", "/home/Ana/Velmora/Standard.ini"},
        {"/data", ".\\Standard.ini", "/data/Standard.ini"},
        {"/", "Email/x.htm", "/Email/x.htm"},
        {"", "a\\b", "a/b"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(vrt::joinPath(c.folder, c.name), QString(c.expected)) << c.folder << " + " << c.name;
    const QString deep = "/tmp/" + QString(300, 'D');
    EXPECT_EQ(vrt::joinPath(deep, "Files").size(), deep.size() + 6); // no length cap
}

TEST(Paths, HostileNamesStayInsideTheirFolder)
{
    struct Case { const char* name; const char* expected; };
    const Case cases[] = {
        {"../../etc/passwd", ".._.._etc_passwd"},
        {"..", "_"},
        {"a\\b:c*?", "a_b_c__"},
        {"<id@host>", "_id@host_"},
        {"", "_"},
        {"Račun 1.pdf", "Račun 1.pdf"},
    };
    for (const auto& c : cases) {
        const QString safe = vrt::safeFileName(c.name);
        EXPECT_EQ(safe, QString::fromUtf8(c.expected)) << c.name;
        EXPECT_TRUE(vrt::isInsideFolder("/data/Email", vrt::joinPath("/data/Email", safe)));
    }
    EXPECT_FALSE(vrt::isInsideFolder("/data/Email", "/data/Email/../Files/Database.db"));
    EXPECT_FALSE(vrt::isInsideFolder("/data/Email", "/data/Emailx/a"));
}

TEST(Text, ClipsOnCharacterBoundaries)
{
    EXPECT_EQ(vrt::clip(QStringLiteral("Čakovec"), 3), QStringLiteral("Čak"));
    EXPECT_EQ(vrt::clip(QStringLiteral("a😀b"), 2), QStringLiteral("a😀"));
    EXPECT_EQ(vrt::clip(QStringLiteral("ab"), 5), QStringLiteral("ab"));
    EXPECT_EQ(vrt::clipUtf8("Čakovec", 2), "Ča");
    EXPECT_EQ(vrt::clipTrailing("ab  "), "ab");
}

namespace {
struct Counted {
    static inline std::atomic<int> alive{0};
    int value = 0;
    Counted() { ++alive; }
    ~Counted() { --alive; }
};
} // namespace

TEST(Threads, EachThreadHasItsOwnContextGoneWhenItEnds)
{
    vrt::perThread<Counted>().value = 1;
    const int before = Counted::alive;
    std::atomic<int> startHooks{0}, endHooks{0};
    const int s = vrt::addThreadStartHook([&] { ++startHooks; vrt::perThread<Counted>(); });
    const int e = vrt::addThreadEndHook([&] { ++endHooks; });
    std::atomic<int> seenInThread{-1};
    std::atomic<int> aliveInThread{0};
    std::thread t = vrt::startThread([&] {
        seenInThread = vrt::perThread<Counted>().value; // a fresh one, not the main thread's
        vrt::perThread<Counted>().value = 2;
        aliveInThread = Counted::alive.load();
    });
    t.join();
    vrt::removeThreadHook(s);
    vrt::removeThreadHook(e);
    EXPECT_EQ(seenInThread, 0);
    EXPECT_EQ(aliveInThread, before + 1);
    EXPECT_EQ(Counted::alive, before); // released at thread end
    EXPECT_EQ(vrt::perThread<Counted>().value, 1);
    EXPECT_EQ(startHooks, 1);
    EXPECT_EQ(endHooks, 1);
}

namespace {
class Recorder : public QObject {
public:
    QList<QPair<int, int>> seen;
    bool event(QEvent* e) override
    {
        if (e->type() == vrt::NotifyEvent::type()) {
            auto* n = static_cast<vrt::NotifyEvent*>(e);
            seen << qMakePair(n->code(), n->number());
            return true;
        }
        return QObject::event(e);
    }
};
} // namespace

TEST(Notify, DeliveredAsynchronouslyAndInOrder)
{
    Recorder r;
    const int id = vrt::registerReceiver(&r);
    EXPECT_TRUE(vrt::notify(id, 1, 1001));
    std::thread other([id] { vrt::notify(id, 2, 3); });
    other.join();
    EXPECT_TRUE(vrt::notify(id, 3, 800));
    EXPECT_TRUE(r.seen.isEmpty()); // nothing is delivered inside the call
    QCoreApplication::processEvents();
    EXPECT_EQ(r.seen, (QList<QPair<int, int>>{{1, 1001}, {2, 3}, {3, 800}}));
    vrt::unregisterReceiver(id);
    EXPECT_FALSE(vrt::notify(id, 1, 1));
}

TEST(ComponentRegistry, CreatesByIdentifierAndRegistersPluginsOnDemand)
{
    auto& reg = vrt::ComponentRegistry::instance();
    reg.registerFactory("Velmora.Test.1", [](QWidget*) { return new QObject; });
    std::unique_ptr<QObject> o(reg.create("velmora.test.1")); // identifiers are case-insensitive
    EXPECT_TRUE(o);
    EXPECT_EQ(reg.create("Nothing.Here.1"), nullptr);

    qputenv("VELMORA_PLUGIN_PATH", testsupport::binDir().toLocal8Bit());
    reg.unregister("Tessmark.CKeysHook.1");
    ASSERT_EQ(reg.create("Tessmark.CKeysHook.1"), nullptr);
    std::unique_ptr<QObject> hook(reg.createOrRegister("Tessmark.CKeysHook.1", "tessmark"));
    ASSERT_TRUE(hook) << reg.errorString().toStdString();
    EXPECT_EQ(hook->objectName(), "CKeysHook");

    EXPECT_EQ(reg.createOrRegister("No.Such.1", "nosuchplugin"), nullptr);
    EXPECT_TRUE(reg.errorString().contains("libnosuchplugin.so"));
}
