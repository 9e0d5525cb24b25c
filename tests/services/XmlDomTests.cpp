#include <gtest/gtest.h>

#include "runtime/DateTime.h"
#include "runtime/Dialogs.h"
#include "services/XmlDom.h"
#include "tests/support/TestSupport.h"

namespace {

// Records every element the walk hands over and aborts at the n-th.
struct Recorder : XMLDOMCLTYPE {
    int abortAt = 0;
    QStringList seen;
    std::uint8_t TAKENODE(std::int32_t, const QString& name, std::int32_t type, const QString& dataType,
                          const QString& parent) override
    {
        seen << QStringLiteral("%1/%2:%3:%4").arg(parent, name, dataType).arg(type);
        return seen.size() == abortAt ? 3 : 0;
    }
};

const char* const kSample = "<?xml version='1.0'?>\n"
                            "<r xmlns:dt=\"urn:schemas-microsoft-com:datatypes\">"
                            "<a id=\"1\" kind=\"x\"><b dt:dt=\"int\">42</b><c/></a>"
                            "<d dt:dt=\"bin.hex\">00ff10</d><!-- note --></r>";

} // namespace

TEST(XmlDom, BuildSaveAndReload)
{
    testsupport::TempFolder dir;
    XMLDOMCLTYPE x;
    ASSERT_EQ(x.INIT(0), 0);
    ASSERT_EQ(x.CREATENEWDOMDOCUMENT(), 0);
    ASSERT_EQ(x.CREATEROOTNODE(QStringLiteral("r  ")), 0);
    std::int32_t c = 0, when = 0, bin = 0;
    ASSERT_EQ(x.ADDCHILDNODE(x.ROOTELEMENT, QStringLiteral("c"), QString(), c), 0);
    ASSERT_EQ(x.ADDTEXTDATA(c, QStringLiteral("x")), 0);
    ASSERT_EQ(x.ADDCHILDNODE(x.ROOTELEMENT, QStringLiteral("when"), QStringLiteral("dateTime"), when), 0);
    const int day = vrt::dayFromDate(QDate(2025, 3, 9));
    ASSERT_EQ(x.ADDDATETIMEDATA(when, day, 4567801), 0);
    ASSERT_EQ(x.ADDCHILDNODE(x.ROOTELEMENT, QStringLiteral("bin"), QString(), bin), 0);
    ASSERT_EQ(x.ADDBINARYDATA(bin, QByteArray("\x00\x01\xFF<&", 5), 5), 0);
    std::int32_t text = 0;
    ASSERT_EQ(x.ADDCHILDNODE(x.ROOTELEMENT, QStringLiteral("t"), QString(), text), 0);
    ASSERT_EQ(x.ADDTEXTDATA(text, QStringLiteral("Šibenik <&> \"č\"")), 0);
    dir.write("out.xml", "old");
    ASSERT_EQ(x.SAVETODISK(dir.file("out.xml")), 0);

    const QByteArray saved = dir.read("out.xml");
    EXPECT_TRUE(saved.startsWith("<?xml version=\"1.0\"?>")) << saved.toStdString();
    EXPECT_TRUE(saved.contains("<r xmlns:dt=\"urn:schemas-microsoft-com:datatypes\">")) << saved.toStdString();
    EXPECT_TRUE(saved.contains("<c>x</c>")) << saved.toStdString();
    EXPECT_TRUE(saved.contains("<when dt:dt=\"dateTime\">2025-03-09T12:41:18</when>")) << saved.toStdString();
    EXPECT_TRUE(saved.contains("\xC5\xA0ibenik &lt;&amp;&gt;")) << saved.toStdString();

    XMLDOMCLTYPE y;
    y.INIT(0);
    ASSERT_EQ(y.LOADFROMDISK(dir.file("out.xml")), 0);
    std::int32_t list = 0, count = 0, node = 0;
    ASSERT_EQ(y.GETNODELIST(list, count, y.ROOTELEMENT), 0);
    ASSERT_EQ(count, 4);
    std::uint8_t error = 9;
    ASSERT_EQ(y.GETNODE(list, 2, node), 0);
    std::int32_t date = 0, time = 0;
    ASSERT_EQ(y.GETDATETIMEDATA(node, date, time), 0);
    EXPECT_EQ(date, day);
    EXPECT_EQ(time, 4567801);
    y.FREENODE(node);
    ASSERT_EQ(y.GETNODE(list, 3, node), 0);
    EXPECT_EQ(y.GETBINDATA(node, error), QByteArray("\x00\x01\xFF<&", 5));
    EXPECT_EQ(error, 0);
    y.FREENODE(node);
    ASSERT_EQ(y.GETNODE(list, 4, node), 0);
    EXPECT_EQ(y.GETTEXTDATA(node, error), QStringLiteral("Šibenik <&> \"č\""));
    EXPECT_EQ(error, 0);
    y.FREENODE(node);
    EXPECT_EQ(node, 0);
    y.FREENODELIST(list);
    EXPECT_EQ(list, 0);
    EXPECT_EQ(y.GETNODE(list, 1, node), 3);
}

TEST(XmlDom, ReadsNamesTypesAttributesAndValues)
{
    XMLDOMCLTYPE x;
    x.INIT(0);
    ASSERT_EQ(x.LOADFROMTEXT(QString::fromLatin1(kSample)), 0);
    std::int32_t list = 0, count = 0, a = 0, b = 0, d = 0, comment = 0;
    ASSERT_EQ(x.GETNODELIST(list, count, x.ROOTELEMENT), 0);
    ASSERT_EQ(count, 3);
    EXPECT_EQ(x.GETNODE(list, 0, a), 5);
    EXPECT_EQ(x.GETNODE(list, 4, a), 5);
    ASSERT_EQ(x.GETNODE(list, 1, a), 0);
    ASSERT_EQ(x.GETNODE(list, 2, d), 0);
    ASSERT_EQ(x.GETNODE(list, 3, comment), 0);

    QString name, type;
    std::int32_t nodeType = 0;
    ASSERT_EQ(x.GETNODENAME(a, name, &type, nodeType), 0);
    EXPECT_EQ(name, QStringLiteral("a"));
    EXPECT_EQ(type, QStringLiteral("No type"));
    EXPECT_EQ(nodeType, 1);
    EXPECT_EQ(x.GETNODENAME(comment, name, &type, nodeType), 5);
    EXPECT_EQ(nodeType, 8);
    EXPECT_EQ(x.GETNODENAME(0, name, nullptr, nodeType), 3);
    EXPECT_EQ(x.ERRSTR, QStringLiteral("GetNodeName called with a null pointer - cannot read xml file."));

    XMLATTRIBUTEQTYPE attrs;
    ASSERT_EQ(x.GETATTRIBUTES(a, attrs), 0);
    ASSERT_EQ(attrs.size(), 2u);
    EXPECT_EQ(attrs[0].name, QStringLiteral("id"));
    EXPECT_EQ(attrs[1].value, QStringLiteral("x"));
    x.FREEATTRIBUTEQ(attrs);
    EXPECT_TRUE(attrs.empty());

    std::int32_t inner = 0, innerCount = 0;
    ASSERT_EQ(x.GETNODELIST(inner, innerCount, a), 0);
    ASSERT_EQ(x.GETNODE(inner, 1, b), 0);
    std::uint8_t error = 9;
    ASSERT_EQ(x.GETNODENAME(b, name, &type, nodeType), 0);
    EXPECT_EQ(type, QStringLiteral("int"));
    EXPECT_EQ(x.GETTEXTDATA(b, error), QStringLiteral("42"));
    EXPECT_EQ(error, 0);
    EXPECT_EQ(x.GETUNTYPEDDATA(b, error), QStringLiteral("42"));
    EXPECT_EQ(error, 0);
    EXPECT_EQ(x.GETBINDATA(b, error), QByteArray());
    EXPECT_EQ(error, 3);
    EXPECT_EQ(x.GETBINDATA(d, error), QByteArray("\x00\xFF\x10", 3));
    EXPECT_EQ(error, 0);
    x.ERRSTR.clear();
    EXPECT_EQ(x.GETUNTYPEDDATA(a, error), QString());
    EXPECT_EQ(error, 3);
    EXPECT_EQ(x.ERRSTR, QStringLiteral("Unable to get child text nodes"));
}

TEST(XmlDom, WalkVisitsElementsInOrderAndStopsOnAbort)
{
    struct Case {
        int abortAt;
        QStringList seen;
        int result;
        const char* error;
    };
    const Case cases[] = {
        {0,
         {QStringLiteral("top/r:No type:1"), QStringLiteral("r/a:No type:1"), QStringLiteral("a/b:int:1"),
          QStringLiteral("a/c:No type:1"), QStringLiteral("r/d:bin.hex:1")},
         0, ""},
        // The nested element aborts the whole walk.
        {3, {QStringLiteral("top/r:No type:1"), QStringLiteral("r/a:No type:1"), QStringLiteral("a/b:int:1")}, 3,
         "User Abort"},
        {2, {QStringLiteral("top/r:No type:1"), QStringLiteral("r/a:No type:1")}, 3, "User Abort"},
    };
    for (const Case& c : cases) {
        Recorder x;
        x.INIT(0);
        ASSERT_EQ(x.LOADFROMTEXT(QString::fromLatin1(kSample)), 0);
        x.abortAt = c.abortAt;
        EXPECT_EQ(x.DONODELIST(0, QStringLiteral("top")), c.result) << c.abortAt;
        EXPECT_EQ(x.seen, c.seen) << c.abortAt;
        EXPECT_EQ(x.ERRSTR, QString::fromLatin1(c.error)) << c.abortAt;
    }
}

TEST(XmlDom, DateTimeChecks)
{
    struct Case {
        const char* text;
        int result;
    };
    const Case cases[] = {
        {"2025-03-09T12:41:18", 0},
        {"2025-03-09T12:41:1", 3},
        {"abcdefghij klmnopqr", 3},
        {"2025-13-09T12:41:18", 3},
        {"2025-02-30T12:41:18", 3},
        {"2025-03-09T24:41:18", 3},
        {"1700-03-09T12:41:18", 3},
    };
    for (const Case& c : cases) {
        XMLDOMCLTYPE x;
        x.INIT(0);
        ASSERT_EQ(x.LOADFROMTEXT(QStringLiteral("<r>%1</r>").arg(QString::fromLatin1(c.text))), 0);
        std::int32_t date = -1, time = -1;
        EXPECT_EQ(x.GETDATETIMEDATA(x.ROOTELEMENT, date, time), c.result) << c.text;
        if (c.result != 0) {
            EXPECT_EQ(x.ERRSTR, QStringLiteral("Invalid date time format")) << c.text;
            EXPECT_EQ(date, 0);
            EXPECT_EQ(time, 0);
        }
    }
    XMLDOMCLTYPE x;
    x.INIT(0);
    ASSERT_EQ(x.LOADFROMTEXT(QStringLiteral("<r/>")), 0);
    std::int32_t date = 0, time = 0;
    EXPECT_EQ(x.GETDATETIMEDATA(x.ROOTELEMENT, date, time), 5);
    EXPECT_EQ(x.ADDDATETIMEDATA(x.ROOTELEMENT, 0, 100), 3);
    EXPECT_EQ(x.ERRSTR, QStringLiteral("Both a date and time is required for adding to the xml document."));
}

TEST(XmlDom, LoadFailuresAndRefusedDocuments)
{
    testsupport::TempFolder dir;
    dir.write("secret.txt", "top secret");
    struct Case {
        const char* what;
        QString text;
    };
    const Case cases[] = {
        {"not well formed", QStringLiteral("<r><a></r>")},
        {"internal entity", QStringLiteral("<!DOCTYPE r [<!ENTITY a \"aaaaaaaaaa\">]><r>&a;</r>")},
        {"external entity", QStringLiteral("<!DOCTYPE r [<!ENTITY x SYSTEM \"file://%1\">]><r>&x;</r>").arg(dir.file("secret.txt"))},
        {"external DTD", QStringLiteral("<!DOCTYPE r SYSTEM \"http://example.invalid/r.dtd\"><r/>")},
    };
    for (const Case& c : cases) {
        XMLDOMCLTYPE x;
        x.INIT(0);
        EXPECT_EQ(x.LOADFROMTEXT(c.text), 3) << c.what;
        EXPECT_TRUE(x.ERRSTR.startsWith(QStringLiteral("Loading the xml document failed : "))) << c.what;
        EXPECT_FALSE(x.XMLTEXT().contains(QStringLiteral("secret"))) << c.what;
        EXPECT_EQ(x.ROOTELEMENT, 0) << c.what;
    }
    // A plain document type is harmless.
    XMLDOMCLTYPE ok;
    ok.INIT(0);
    EXPECT_EQ(ok.LOADFROMTEXT(QStringLiteral("<!DOCTYPE r><r>&amp;</r>")), 0);

    XMLDOMCLTYPE missing;
    missing.INIT(0);
    EXPECT_EQ(missing.LOADFROMDISK(dir.file("missing.xml")), 3);
    EXPECT_TRUE(missing.ERRSTR.startsWith(QStringLiteral("Loading the xml document failed : ")));
    EXPECT_GT(missing.ERRSTR.size(), QStringLiteral("Loading the xml document failed : ").size());
    EXPECT_FALSE(QFileInfo::exists(dir.file("missing.xml")));
    EXPECT_EQ(missing.ACTIVATEDOMEVENTS(), 3);
    EXPECT_EQ(missing.ERRSTR, QStringLiteral("Unable to connect to XMLDom - Events not available."));
}

TEST(XmlDom, DebugModeShowsErrorsAndTheDocument)
{
    vrt::resetHooks();
    testsupport::presenter().clear();
    XMLDOMCLTYPE x;
    x.INIT(1);
    x.LOADFROMTEXT(QStringLiteral("<r/>"));
    x.VIEWXML();
    std::int32_t none = 0;
    x.ADDCHILDNODE(12345, QStringLiteral("c"), QString(), none);
    const auto calls = testsupport::presenter().calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].caption, QStringLiteral("xml"));
    EXPECT_TRUE(calls[0].text.contains(QStringLiteral("<r />"))) << calls[0].text.toStdString();
    EXPECT_EQ(calls[1].text, QStringLiteral("Error adding to the xml document. The document is incomplete."));
}
