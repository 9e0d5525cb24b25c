#include <gtest/gtest.h>

#include "procedures/common/ComClient.h"
#include "tests/procedures/test_libservices.h"
#include "tests/support/TestSupport.h"

using namespace VelmoraDll;
using namespace controls;

namespace {

// A component that counts its references and records its end.
struct Counted : ComUnknown {
    int32_t refs = 1;
    bool* gone;
    explicit Counted(bool* g) : gone(g) {}
    int32_t AddRef() override { return ++refs; }
    int32_t Release() override
    {
        const int32_t n = --refs;
        if (n == 0)
            *gone = true;
        return n;
    }
};

struct Client : ComClientBase {
    HRESULT Init() override { return InitInstance(QStringLiteral("Nobody.Registered.1")); }
    HRESULT AttachInterface(ComUnknown* u) override { return AttachUnknown(u); }
    QString IsRegistered() override { return {}; }
};

} // namespace

TEST(ComClient, HexText)
{
    struct Case {
        uint32_t value;
        bool suffix;
        const char* text;
    };
    const Case cases[] = {{0x80004005u, false, "80004005"}, {0, false, ""}, {0, true, ""},
                          {0xAu, false, "A"},             {0xAu, true, "0AH"}, {0x1Fu, true, "1FH"},
                          {0xFFFFFFFFu, false, "FFFFFFFF"}};
    for (const Case& c : cases)
        EXPECT_EQ(ComClientBase::HexText(c.value, c.suffix), QString::fromLatin1(c.text)) << c.value;
}

TEST(ComClient, HolderAndClientStates)
{
    bool goneA = false, goneB = false;
    auto* a = new Counted(&goneA);
    Counted b(&goneB);
    {
        Client c;
        EXPECT_EQ(c.Attach(nullptr, false), 1);
        EXPECT_EQ(c.GetInterface(), nullptr);
        EXPECT_EQ(c.Attach(a, false), S_OK);
        EXPECT_EQ(c.Attach(&b, false), 1) << "holding already";
        EXPECT_EQ(c.GetInterface(), a);
        EXPECT_EQ(c.CreateInstance(QStringLiteral("Velmora.ZipKit.1")), 1);
        EXPECT_EQ(c.GetInterface(), a);

        EXPECT_EQ(c.Detach(), E_NOINTERFACE) << "attached but not through the client";
        EXPECT_EQ(c.HR, E_NOINTERFACE);
        EXPECT_EQ(c.Release(), 0);
        EXPECT_TRUE(goneA);
        EXPECT_EQ(c.GetInterface(), nullptr);

        // Detach lets the component go rather than leaking it.
        EXPECT_EQ(c.AttachUnknown(&b), S_OK);
        b.AddRef();
        EXPECT_EQ(c.Detach(), S_OK);
        EXPECT_EQ(b.refs, 1);
        EXPECT_EQ(c.HR, S_OK);
        EXPECT_EQ(c.AttachUnknown(nullptr), E_NOINTERFACE);
    }
    delete a;
    EXPECT_FALSE(goneB);
}

TEST(ComClient, ReportErrorTextAndSilence)
{
    Client c;
    libservices_test::freshMessages();
    c.DEBUG = 0;
    c.ReportError(QStringLiteral("X.Y"), E_FAIL, 1);
    EXPECT_TRUE(testsupport::presenter().calls().empty());
    c.ReportError(QStringLiteral("X.Y"), E_FAIL, 0);
    c.DEBUG = 1;
    setErrorInfo(QStringLiteral("Disk full"));
    c.HR = E_FAIL;
    c.ReportError(QStringLiteral("X.Z"), E_FAIL, 1);
    EXPECT_EQ(c.HR, E_FAIL) << "reading the description keeps the failure";
    const auto calls = testsupport::presenter().calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].text, QStringLiteral("X.Y failed (80004005)"));
    EXPECT_EQ(calls[0].caption, QStringLiteral("COM Error"));
    EXPECT_EQ(calls[1].text, QStringLiteral("X.Z failed (Disk full)"));

    // Creation of a component nobody serves.
    libservices_test::freshMessages();
    EXPECT_EQ(c.Init(), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(c.ISINITIALIZED, 0);
    ASSERT_EQ(testsupport::presenter().calls().size(), 1u);
    EXPECT_EQ(testsupport::presenter().calls()[0].text, QStringLiteral(".Init: CoCreateInstance failed (80040154)"));
}

TEST(ComClient, SinkIdentityOutlivesACountOfZero)
{
    struct Sink : ComUnknownBase {} s;
    EXPECT_EQ(s.CREF, 1);
    EXPECT_EQ(s.GetInterface(), static_cast<ComUnknown*>(&s));
    EXPECT_EQ(s.AddRef(), 2);
    EXPECT_EQ(s.Release(), 1);
    EXPECT_EQ(s.Release(), 0);
    EXPECT_EQ(s.GetInterface(), static_cast<ComUnknown*>(&s)) << "still usable by its owner";
    EXPECT_EQ(s.AddRef(), 1);

    ComInitializer init;
    EXPECT_EQ(init.HR, S_OK);
    EXPECT_EQ(init.FINITIALISED, 1);
}
