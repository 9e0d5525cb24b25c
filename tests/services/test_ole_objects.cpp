// Hosted components of a window and the object classes over them.
#include <gtest/gtest.h>

#include <QWidget>

#include "runtime/ComponentRegistry.h"
#include "services/OleObject.h"
#include "tests/support/TestSupport.h"

using namespace ourcom;
using testsupport::OnScopeExit;
using testsupport::ScopedEnv;

namespace {

// An automation object answering a few paths; names other objects by their references.
class Node : public QObject, public IAutomationPaths, public IOleDocument {
public:
    explicit Node(QString name, int items = 0) : m_name(std::move(name))
    {
        for (int i = 1; i <= items; ++i)
            m_items.push_back(std::make_unique<Node>(QStringLiteral("%1 %2").arg(m_name).arg(i)));
    }
    HRESULT QueryInterface(const Guid& iid, void** out) override
    {
        if (iid == IAutomationPaths::iid() || iid == IID_IUnknown)
            *out = static_cast<IAutomationPaths*>(this);
        else if (iid == IOleDocument::iid())
            *out = static_cast<IOleDocument*>(this);
        else
            *out = nullptr;
        return *out ? 0 : static_cast<HRESULT>(0x80004002u);
    }
    std::int32_t AddRef() override { return 1; }
    std::int32_t Release() override { return 1; }
    QString read(const QString& path) override
    {
        if (path == QLatin1String("Name"))
            return m_name;
        if (path == QLatin1String("Count"))
            return QString::number(m_items.size());
        if (path.startsWith(QLatin1String("Item("))) {
            const int i = path.mid(5).chopped(1).toInt();
            return i >= 1 && i <= int(m_items.size()) ? objectReference(static_cast<IAutomationPaths*>(m_items[size_t(i - 1)].get()))
                                                      : QString();
        }
        return {};
    }
    bool write(const QString& path, const QString& value) override
    {
        if (path != QLatin1String("Name"))
            return false;
        m_name = value;
        return true;
    }
    bool open(const QString& file) override { opened = file; return true; }
    bool saveAs(const QString&) override { return false; }
    bool doVerb(int) override { return true; }
    bool update() override { return true; }
    bool copy() override { return true; }
    bool paste(bool) override { return false; }
    bool canPaste(bool link) const override { return !link; }
    QByteArray saveToBlob() override { return m_name.toUtf8(); }
    bool readFromBlob(const QByteArray& data) override { m_name = QString::fromUtf8(data); return true; }

    QString opened;

private:
    QString m_name;
    std::vector<std::unique_ptr<Node>> m_items;
};

class Watcher : public OLEOBJECTCLASS {
public:
    std::vector<int> events;
    std::int32_t HANDLEOLEEVENT(std::int16_t& event) override
    {
        events.push_back(event);
        return 1;
    }
};

struct Registered {
    Registered()
    {
        vrt::ComponentRegistry::instance().registerFactory(QStringLiteral("Velmora.TestBook"),
                                                           [](QWidget*) { return new Node(QStringLiteral("Book"), 2); });
    }
    ~Registered() { vrt::ComponentRegistry::instance().unregister(QStringLiteral("Velmora.TestBook")); }
};

} // namespace

TEST(OleObjects, AControlsObjectAnswersPathsAndItsCollectionHandsOutItems)
{
    testsupport::installScriptedPresenter();
    testsupport::presenter().clear();
    Registered registered;
    QWidget window;
    auto* control = new OleControl(&window, 7); // the window's own control outlives the objects
    Watcher book;
    ASSERT_TRUE(book.INIT(&window, 7, QStringLiteral("Velmora.TestBook")));
    EXPECT_EQ(book.OLETYPECREATED, 1);
    EXPECT_TRUE(book.GETOBJECT().startsWith(QLatin1Char('`')));
    EXPECT_TRUE(book.OPEN(QStringLiteral("/tmp/a.xlsx")));
    EXPECT_EQ(book.CANPASTE(), 1);
    EXPECT_EQ(book.CANPASTELINK(), 0);
    QByteArray blob;
    ASSERT_TRUE(book.SAVETOBLOB(blob));
    EXPECT_EQ(blob, QByteArray("Book"));

    // Events of the control reach the object registered for it.
    ASSERT_EQ(OleControl::find(&window, 7), control);
    EXPECT_EQ(control->raiseEvent(3), 1);
    EXPECT_EQ(book.events, std::vector<int>{3});

    OLEOBJECTCOLLECTIONCLASS items;
    ASSERT_TRUE(items.INIT(&window, 7, QString(), book.GETOBJECT(), false));
    EXPECT_EQ(items.COUNT(), 2);
    std::unique_ptr<OLEOBJECTCLASS> second = items.ITEM(2);
    ASSERT_NE(second, nullptr);
    const QString reference = second->GETOBJECT();
    EXPECT_TRUE(reference.startsWith(QLatin1Char('`')));
    EXPECT_FALSE(reference.endsWith(QLatin1Char('.')));
    EXPECT_EQ(control->read(reference + QStringLiteral(".Name")), QStringLiteral("Book 2"));

    EXPECT_EQ(items.ITEM(3), nullptr);
    ASSERT_EQ(testsupport::presenter().calls(QStringLiteral("message")).size(), 1u);
    EXPECT_EQ(testsupport::presenter().calls(QStringLiteral("message"))[0].text, QStringLiteral("Cannot read OleObjectClass for Item 3"));
    EXPECT_EQ(testsupport::presenter().calls(QStringLiteral("message"))[0].caption, QStringLiteral("Error Creatig Ole Object"));

    // Killing an item releases only its reference; killing twice does it once.
    second->KILL();
    EXPECT_EQ(resolveReference(reference), nullptr);
    second->KILL();
    EXPECT_TRUE(control->hasObject());
    items.KILL();
    book.KILL();
    EXPECT_FALSE(control->hasObject());
    EXPECT_EQ(control->raiseEvent(4), 0);
}

TEST(OleObjects, EmptyNamesAndMissingComponentsFailWithTheirMessages)
{
    testsupport::installScriptedPresenter();
    testsupport::presenter().clear();
    QWidget window;
    OLEOBJECTCLASS object;
    EXPECT_FALSE(object.INIT(&window, 3, QString(), QStringLiteral("  "), true)) << "fails, the program goes on";
    EXPECT_FALSE(object.CHECKCREATEERROR(QStringLiteral("Excel "), QStringLiteral("12")));
    EXPECT_TRUE(object.CHECKCREATEERROR(QStringLiteral("Excel"), QStringLiteral("`12")));
    EXPECT_EQ(testsupport::presenter().texts(),
              QStringList({QStringLiteral("Cannot Get OLE Object"), QStringLiteral("Cannot Get Excel Object")}));

    OLEOBJECTCLASS missing;
    EXPECT_FALSE(missing.INIT(&window, 4, QStringLiteral("No.Such.Component")));
    EXPECT_FALSE(missing.OPEN(QStringLiteral("x")));
}

TEST(OleObjects, AComponentLibraryIsRegisteredAndTheCreationTriedAgain)
{
    testsupport::installScriptedPresenter();
    testsupport::presenter().clear();
    ScopedEnv path("VELMORA_PLUGIN_PATH", QFile::encodeName(QStringLiteral(VELMORA_OLE_FIXTURE_DIR)));
    OnScopeExit unregister([] { vrt::ComponentRegistry::instance().unregister(QStringLiteral("Velmora.LateSheet")); });
    QWidget window;
    OLEOBJECTCLASS sheet;
    sheet.OLECONTROLFILENAME = QStringLiteral("olefixture");
    ASSERT_TRUE(sheet.INIT(&window, 9, QStringLiteral("Velmora.LateSheet")));
    EXPECT_TRUE(testsupport::presenter().texts().isEmpty());
    EXPECT_EQ(OleControl::find(&window, 9)->read(QStringLiteral("Name")), QStringLiteral("Late"));

    OLEOBJECTCLASS absent;
    absent.OLECONTROLFILENAME = QStringLiteral("velmora_no_such_plugin");
    EXPECT_FALSE(absent.INIT(&window, 10, QStringLiteral("Velmora.Nothing")));
    const QStringList texts = testsupport::presenter().texts();
    ASSERT_EQ(texts.size(), 2);
    EXPECT_TRUE(texts[0].startsWith(QStringLiteral("Can not Register OLE Control velmora_no_such_plugin Error: ")));
    EXPECT_EQ(texts[1], QStringLiteral("Can not Find OLE Control velmora_no_such_plugin!"));
}
