#include <gtest/gtest.h>

#include "runtime/Dialogs.h"
#include "services/AnsiCodePage.h"
#include "services/StringConversion.h"
#include "tests/support/TestSupport.h"

#include <cstring>

namespace {

const QByteArray kSibenikCp1250("\x8A" "ibenik");
const QByteArray kSibenikUtf8("\xC5\xA0" "ibenik");


// A wide string in task memory, as callers hand them in.
char16_t* wide(const QString& text)
{
    auto* w = static_cast<char16_t*>(ourcom::taskMemAlloc(2 * (std::size_t(text.size()) + 1)));
    std::memcpy(w, text.utf16(), 2 * std::size_t(text.size()));
    w[text.size()] = 0;
    return w;
}

char* utf8Copy(const QByteArray& bytes)
{
    auto* p = static_cast<char*>(ourcom::taskMemAlloc(std::size_t(bytes.size()) + 1));
    std::memcpy(p, bytes.constData(), std::size_t(bytes.size()) + 1);
    return p;
}

// Every case starts from Windows-1250, whatever the language of an earlier test set; the
// code page found is put back afterwards.
class StringConversion : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(ansicp::setCodePage(QStringLiteral("windows-1250"))); }
    void TearDown() override { ansicp::setCodePage(m_saved); }

private:
    QString m_saved = ansicp::codePage();
};

} // namespace

TEST_F(StringConversion, ToUtf8Cases)
{
    struct Case {
        const char* what;
        QByteArray text;
        int forced;
        int result;
        const char* utf8; // null: out stays null
        const char* error;
    };
    const Case cases[] = {
        {"Croatian letter", kSibenikCp1250, 0, 0, "\xC5\xA0ibenik", ""},
        {"blank", QByteArray("     "), 0, 0, "", ""},
        {"trailing blanks clipped", QByteArray("ab  "), 0, 0, "ab", ""},
        {"forced keeps blanks", QByteArray("ab  "), 3, 0, "ab ", ""},
        {"forced longer than text", QByteArray("abcde"), 10, 3, nullptr, "String to short for the forced length."},
        {"all of Croatian", QByteArray("\x9A\x9E\xE8\xE6\xF0\x8A\x8E\xC8\xC6\xD0"), 0, 0,
         "\xC5\xA1\xC5\xBE\xC4\x8D\xC4\x87\xC4\x91\xC5\xA0\xC5\xBD\xC4\x8C\xC4\x86\xC4\x90", ""},
    };
    for (const Case& c : cases) {
        STR2CLTYPE conv;
        conv.INIT(0);
        conv.SETERRORCODE(77);
        char* out = reinterpret_cast<char*>(1);
        EXPECT_EQ(conv.TOUTF8(c.text, out, c.forced), c.result) << c.what;
        if (c.utf8) {
            ASSERT_NE(out, nullptr) << c.what;
            EXPECT_EQ(QByteArray(out), QByteArray(c.utf8)) << c.what;
            EXPECT_EQ(STR2CLTYPE::UTF8LEN(out), std::int64_t(std::strlen(c.utf8))) << c.what;
        } else {
            EXPECT_EQ(out, nullptr) << c.what;
        }
        EXPECT_EQ(conv.GETERRORSTR(), QString::fromLatin1(c.error)) << c.what;
        EXPECT_EQ(conv.GETERRORCODE(), 77) << c.what; // failures leave the code alone
        conv.WIDESTRFREE(out);
        EXPECT_EQ(out, nullptr);
    }
}

TEST_F(StringConversion, UnicodeToUtf8KeepsWhatNoCodePageHolds)
{
    STR2CLTYPE conv;
    char* out = nullptr;
    ASSERT_EQ(conv.TOUTF8(QStringLiteral("Ш č €"), out, 0), 0);
    EXPECT_EQ(QByteArray(out), QByteArray("\xD0\xA8 \xC4\x8D \xE2\x82\xAC"));
    conv.WIDESTRFREE(out);

    // A lone surrogate has no UTF-8 form: a failure, not a substitute.
    EXPECT_EQ(conv.TOUTF8(QString(QChar(0xD800)), out, 0), 3);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(conv.GETERRORSTR(), QStringLiteral("Wide to UTF8 conversion failed."));
}

TEST_F(StringConversion, FromUtf8Cases)
{
    struct Case {
        const char* what;
        const char* source; // null: a null reference
        int length;
        QByteArray text;
        int error;
        const char* message;
    };
    const Case cases[] = {
        {"zero-terminated", "\xC5\xA0ibenik", -1, kSibenikCp1250, 0, ""},
        {"given length", "\xC5\xA0ibenik", 4, QByteArray("\x8A" "ib"), 0, ""},
        {"one character is kept", "A", -1, QByteArray("A"), 0, ""},
        {"empty", "", -1, QByteArray(" "), 0, ""},
        {"null source", nullptr, -1, QByteArray(" "), 0, ""},
        {"zero length", "abc", 0, QByteArray(" "), 0, ""},
        {"negative length", "abc", -5, QByteArray(" "), 0, ""},
        {"invalid UTF-8", "a\xC5", -1, QByteArray(" "), 3,
         "Error preparing to convert a UTF8 string to a wide string."},
        {"no form in the code page is reported", "a\xD0\xA8", -1, QByteArray("a?"), 3, "Wide to UTF8 conversion failed."},
    };
    for (const Case& c : cases) {
        STR2CLTYPE conv;
        char* source = c.source ? utf8Copy(c.source) : nullptr;
        std::uint8_t error = 99;
        EXPECT_EQ(conv.FROMUTF8(source, c.length, 1, error), c.text) << c.what;
        EXPECT_EQ(error, c.error) << c.what;
        EXPECT_EQ(source, nullptr) << c.what;
        EXPECT_EQ(conv.GETERRORSTR(), QString::fromLatin1(c.message)) << c.what;
    }
}

TEST_F(StringConversion, RoundTripFollowsTheCodePage)
{
    struct Case {
        const char* codePage;
        QByteArray ansi;
        QString text;
    };
    const Case cases[] = {
        {"windows-1250", QByteArray("\xE8\xE6\x9E"), QStringLiteral("čćž")},
        {"windows-1252", QByteArray("\xE9\x80"), QStringLiteral("é€")},
        {"windows-1251", QByteArray("\xC4\xE0"), QStringLiteral("Да")},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(ansicp::setCodePage(QString::fromLatin1(c.codePage))) << c.codePage;
        STR2CLTYPE conv;
        char* utf8 = nullptr;
        ASSERT_EQ(conv.TOUTF8(c.ansi, utf8, 0), 0) << c.codePage;
        EXPECT_EQ(QString::fromUtf8(utf8), c.text) << c.codePage;
        std::uint8_t error = 9;
        EXPECT_EQ(conv.FROMUTF8(utf8, -1, 1, error), c.ansi) << c.codePage;
        EXPECT_EQ(error, 0) << c.codePage;
    }
    EXPECT_FALSE(ansicp::setCodePage(QStringLiteral("no-such-code-page")));
    EXPECT_EQ(ansicp::codePage(), QStringLiteral("windows-1251"));
}

TEST_F(StringConversion, WideAndBstrOperations)
{
    STR2CLTYPE conv;
    char16_t* w = nullptr;
    ASSERT_EQ(conv.TOWIDESTR(kSibenikCp1250 + "  ", w, 0), 0);
    EXPECT_EQ(QString::fromUtf16(w), QStringLiteral("Šibenik"));
    conv.WIDESTRFREE(w);

    // A failure leaves no buffer behind.
    w = reinterpret_cast<char16_t*>(1);
    EXPECT_EQ(conv.TOWIDESTR(QByteArray("ab"), w, 5), 3);
    EXPECT_EQ(w, nullptr);

    ASSERT_EQ(conv.TOWIDESTR(QByteArray("   "), w, 0), 0);
    EXPECT_EQ(w[0], 0);
    conv.WIDESTRFREE(w);

    ourcom::BSTR b = nullptr;
    ASSERT_EQ(conv.TOBSTR(QByteArray("ab"), b, 0), 0);
    EXPECT_EQ(ourcom::sysStringLen(b), 2u);
    EXPECT_EQ(ourcom::sysStringByteLen(b), 4u);
    EXPECT_EQ(QString::fromUtf16(b), QStringLiteral("ab"));
    conv.BSTRFREE(b);
    EXPECT_EQ(b, nullptr);

    ourcom::BSTR both = nullptr;
    ASSERT_EQ(conv.TOWIDESTR(QByteArray("x y "), w, both), 0);
    EXPECT_EQ(QString::fromUtf16(w), QStringLiteral("x y "));
    EXPECT_EQ(ourcom::sysStringLen(both), 4u);
    conv.WIDESTRFREE(w);
    conv.BSTRFREE(both);

    char16_t* a = wide(QStringLiteral("Ša"));
    char16_t* c = wide(QStringLiteral("rg"));
    ASSERT_EQ(conv.CONCATWIDESTRTONEWSTR(a, c, w), 0);
    EXPECT_EQ(QString::fromUtf16(w), QStringLiteral("Šarg"));
    conv.WIDESTRFREE(w);
    EXPECT_EQ(conv.CONCATWIDESTRTONEWSTR(a, nullptr, w), 3);
    EXPECT_EQ(w, nullptr);
    EXPECT_EQ(conv.GETERRORSTR(), QStringLiteral("Null string passed to concatwidestrtoNewStr."));

    void* copy = nullptr;
    ASSERT_EQ(conv.COPYTOWIDESTR(a, 4, copy, 1), 0);
    EXPECT_EQ(QString::fromUtf16(static_cast<char16_t*>(copy)), QStringLiteral("Ša"));
    conv.WIDESTRFREE(copy);
    EXPECT_EQ(conv.COPYTOWIDESTR(a, 0, copy, 0), 0);
    EXPECT_EQ(copy, nullptr);
    EXPECT_EQ(conv.COPYTOWIDESTR(nullptr, 4, copy, 1), 3);
    conv.WIDESTRFREE(a);
    conv.WIDESTRFREE(c);
}

TEST_F(StringConversion, WideToSingleByteAlloc)
{
    struct Case {
        const char* what;
        QString source; // null QString: a null reference
        bool null;
        QByteArray cstr;
        int cstrError;
        QByteArray alloc;
        int allocError;
    };
    const Case cases[] = {
        {"null", {}, true, " ", 0, " ", 3},
        {"empty", QStringLiteral(""), false, " ", 0, " ", 3},
        {"Croatian", QStringLiteral("Šibenik"), false, kSibenikCp1250, 0, kSibenikCp1250, 0},
        {"one character", QStringLiteral("A"), false, "A", 0, "A", 0},
        {"lossy is reported", QStringLiteral("aШ"), false, "a?", 3, "a?", 3},
    };
    for (const Case& c : cases) {
        STR2CLTYPE conv;
        std::uint8_t error = 99;
        char16_t* w = c.null ? nullptr : wide(c.source);
        EXPECT_EQ(conv.FROMWIDESTRTOCSTRALLOC(w, 0, error), c.cstr) << c.what;
        EXPECT_EQ(error, c.cstrError) << c.what;
        EXPECT_EQ(conv.FROMWIDESTRALLOC(w, 1, error), c.alloc) << c.what;
        EXPECT_EQ(error, c.allocError) << c.what;
        EXPECT_EQ(w, nullptr) << c.what;

        char16_t* w2 = c.null ? nullptr : wide(c.source);
        EXPECT_EQ(STRCLTYPE::WIDESTRTOCWALLOC(w2, error), c.cstr) << c.what;
        EXPECT_EQ(error, c.cstrError) << c.what;
        STR2CLTYPE::WIDESTRFREE(w2);
    }
    char16_t* w = wide(QStringLiteral("abcdef"));
    std::uint8_t error = 0;
    EXPECT_EQ(STR2CLTYPE().FROMWIDESTRALLOC(w, 0, error, 6), QByteArray("abc"));
    EXPECT_EQ(STRCLTYPE::WIDESTRTOCWALLOC(w, error, 8), QByteArray("abcdef  "));
    EXPECT_EQ(STRCLTYPE::WIDESTRTOCWALLOC(w, error, 2), QByteArray("ab"));
    STR2CLTYPE::WIDESTRFREE(w);
}

TEST_F(StringConversion, CallerBufferSizes)
{
    char16_t* five = wide(QStringLiteral("Šiben"));
    CString c5(5);
    c5.text = "old";
    EXPECT_EQ(STRCLTYPE::WIDETOCSTR(five, c5), 5);
    EXPECT_TRUE(c5.text.isEmpty());
    CString c6(6);
    EXPECT_EQ(STRCLTYPE::WIDETOCSTR(five, c6), 0);
    EXPECT_EQ(c6.text, QByteArray("\x8A" "iben"));

    FixedString s4(4), s7(7);
    EXPECT_EQ(STRCLTYPE::WIDETOCWSTR(five, s4), 5);
    EXPECT_EQ(STRCLTYPE::WIDETOCWSTR(five, s7), 0);
    EXPECT_EQ(s7.bytes, QByteArray("\x8A" "iben  "));

    EXPECT_EQ(STRCLTYPE::BSTRTOCSTR(nullptr, c6), 3);
    EXPECT_TRUE(c6.text.isEmpty());
    EXPECT_EQ(STRCLTYPE::BSTRTOCWSTR(nullptr, s7), 3);
    EXPECT_EQ(s7.bytes, QByteArray(7, ' '));
    STR2CLTYPE::WIDESTRFREE(five);

    struct Case {
        const char* what;
        bool bstr;
        QByteArray text;
        int size;
        int result;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"BSTR too small", true, "ab", 8, 5, QByteArray(8, ' ')},
        {"BSTR fits", true, "ab", 10, 0, QByteArray("\x04\x00\x00\x00\x61\x00\x62\x00\x00\x00", 10)},
        {"BSTR of a Croatian letter", true, "\x8A", 9, 0, QByteArray("\x02\x00\x00\x00\x60\x01\x00\x00 ", 9)},
        {"wide too small", false, "ab", 5, 5, QByteArray(5, ' ')},
        {"wide fits", false, "ab", 7, 0, QByteArray("\x61\x00\x62\x00\x00\x00 ", 7)},
        {"wide of nothing", false, "", 3, 0, QByteArray("\x00\x00 ", 3)},
    };
    for (const Case& c : cases) {
        FixedString out(c.size);
        EXPECT_EQ(c.bstr ? STRCLTYPE::CTOBSTR(c.text, out) : STRCLTYPE::CTOWIDESTR(c.text, out), c.result) << c.what;
        EXPECT_EQ(out.bytes, c.bytes) << c.what;
        // The STRING forms clip their text first.
        FixedString clipped(c.size);
        EXPECT_EQ(c.bstr ? STRCLTYPE::CWTOBSTR(c.text + "    ", clipped) : STRCLTYPE::CWTOWIDESTR(c.text + "    ", clipped),
                  c.result)
            << c.what;
        EXPECT_EQ(clipped.bytes, c.bytes) << c.what;
    }

    EXPECT_EQ(STRCLTYPE::CTOWIDESTRALLOC("ab"), QByteArray("\x61\x00\x62\x00\x00\x00", 6));
    EXPECT_EQ(STRCLTYPE::CWTOWIDESTRALLOC("ab  "), QByteArray("\x61\x00\x62\x00\x00\x00", 6));

    ourcom::BSTR b = nullptr;
    ASSERT_EQ(STRCLTYPE::CWTOBSTRALLOC(kSibenikCp1250 + "  ", b), 0);
    EXPECT_EQ(QString::fromUtf16(b), QStringLiteral("Šibenik"));
    EXPECT_EQ(STRCLTYPE::BSTRTOCWALLOC(b, 1), kSibenikCp1250);
    EXPECT_EQ(b, nullptr);
}

TEST_F(StringConversion, DebugModeShowsTheError)
{
    vrt::resetHooks();
    testsupport::presenter().clear();
    STR2CLTYPE conv;
    conv.INIT(7);
    EXPECT_EQ(conv.GETDEBUGMODE(), 1);
    char* out = nullptr;
    conv.TOUTF8(QByteArray("ab"), out, 9);
    conv.TAKEERROR(QString(200, QLatin1Char('x')), 42);
    EXPECT_EQ(conv.GETERRORSTR().size(), 128);
    EXPECT_EQ(conv.GETERRORCODE(), 42);
    const auto calls = testsupport::presenter().calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].text, QStringLiteral("String to short for the forced length."));
    conv.KILL();
    EXPECT_EQ(conv.GETDEBUGMODE(), 0);
    EXPECT_TRUE(conv.GETERRORSTR().isEmpty());
    EXPECT_EQ(conv.GETERRORCODE(), 0);
}
