#include "tests/services/QuilvoFixture.h"
#include "services/AnsiCodePage.h"

#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <thread>

using namespace quilvotest;

namespace {

struct LookupCase {
    int language;
    int otherColumn; // RPTDIFLANG
    const char* text;
    const char* expected;
};

class QuilvoLookup : public TranslatorTest {};

TEST_F(QuilvoLookup, TranslatesFromTheColumnOfTheLanguage)
{
    const LookupCase cases[] = {
        {2, 0, "Zatvori", "Close"},
        {2, 0, "  Zatvori", "Close"},        // looked up left-aligned
        {2, 0, "zATVORI   ", "Close"},       // keys ignore case
        {16, 0, "Zatvori", "Sulje"},
        {3, 0, "Zatvori", "Закрыть"},
        {2, 3, "Zatvori", "Закрыть"},        // another column wins over the language
        {2, 0, "Nepoznato  ", "Nepoznato"},  // a miss: the text, clipped
        {2, 0, "Spremi", "Spremi"},          // an empty column: the text, not a blank
        {2, 0, "   ", "   "},                // blank texts are returned as they are
        {2, 0, "", ""},
        {1, 0, "Zatvori  ", "Zatvori  "},    // language 1: untouched, not even clipped
    };
    for (const auto& c : cases) {
        auto t = started(c.language);
        t->setRPTDIFLANG(c.otherColumn);
        EXPECT_EQ(t->QVSTR(QString::fromUtf8(c.text)), QString::fromUtf8(c.expected))
            << "language " << c.language << " text '" << c.text << "'";
        EXPECT_EQ(t->TRANSLATESTRING(QString::fromUtf8(c.text)), QString::fromUtf8(c.expected));
    }
}

TEST_F(QuilvoLookup, LanguageOneNeverOpensTheTablesOnAThread)
{
    auto one = started(1);
    auto two = started(2);
    int opensOne = -1, opensTwo = -1;
    std::thread([&] {
        for (int i = 0; i < 3; ++i) {
            one->QVSTR(QStringLiteral("Zatvori"));
            two->QVSTR(QStringLiteral("Zatvori"));
        }
        opensOne = one->threadOpenCount();
        opensTwo = two->threadOpenCount();
    }).join();
    EXPECT_EQ(opensOne, 0);
    EXPECT_EQ(opensTwo, 1); // opened lazily, once
}

TEST_F(QuilvoLookup, SubstitutesInEveryLanguage)
{
    for (int language : {1, 2}) {
        auto t = started(language);
        EXPECT_EQ(t->QVSUB(QStringLiteral("  kontakt ")), QStringLiteral("Osoba"));
        EXPECT_EQ(t->QVSUB(QStringLiteral("Nepoznato  ")), QStringLiteral("Nepoznato"));
        EXPECT_EQ(t->QVSUB(QStringLiteral("  ")), QStringLiteral("  "));
    }
}

TEST_F(QuilvoLookup, QueueModeFindsMixedCaseAndKeepsMissesUntranslated)
{
    for (bool noFileUpdate : {false, true}) {
        auto t = started(2);
        // Switched on after QVINIT, as callers do: the queue loads on first use.
        t->setUSEQUEUE(true);
        t->setNOFILEUPDATE(noFileUpdate);
        for (int round = 0; round < 2; ++round) {
            EXPECT_EQ(t->QVSTR(QStringLiteral("zatvori")), QStringLiteral("Close"));
            EXPECT_EQ(t->QVSTR(QStringLiteral("ZATVORI")), QStringLiteral("Close"));
            EXPECT_EQ(t->QVSTR(QStringLiteral("Nema retka ")), QStringLiteral("Nema retka")) << "round " << round;
            EXPECT_EQ(t->QVSTR(QStringLiteral("Spremi")), QStringLiteral("Spremi")) << "round " << round;
        }
        t->ADDTRANSLATION(QStringLiteral("Novo"), QStringLiteral("New"));
        EXPECT_EQ(t->QVSTR(QStringLiteral("novo")), noFileUpdate ? QStringLiteral("novo") : QStringLiteral("New"));
    }
}

TEST_F(QuilvoLookup, MissingTablesAreCreatedEmptyWithoutAMessage)
{
    auto t = started(2, QStringLiteral("Novo.qvl"));
    EXPECT_TRUE(QFileInfo::exists(folder.file(QStringLiteral("Novo.qvl"))));
    EXPECT_EQ(t->QVSTR(QStringLiteral("Zatvori")), QStringLiteral("Zatvori"));
    EXPECT_FALSE(t->STOPTRANSLATE());
    EXPECT_TRUE(messages().empty());
    quilvo::TableFile reopened(quilvo::TableKind::Translation);
    EXPECT_EQ(reopened.open(folder.file(QStringLiteral("Novo.qvl"))), quilvo::ErrNone);
}

TEST_F(QuilvoLookup, UnusableTableSwitchesTranslationOffWithOneMessage)
{
    struct Case {
        const char* name;
        std::function<void(const QString& path)> make;
        int error;
    };
    const Case cases[] = {
        {"not a database", [](const QString& p) {
             QFile f(p);
             ASSERT_TRUE(f.open(QIODevice::WriteOnly));
             f.write(QByteArray(4096, 'x'));
         }, quilvo::ErrFileSystem},
        {"another program's database", [](const QString& p) {
             sqlite3* db = nullptr;
             sqlite3_open(QFile::encodeName(p).constData(), &db);
             sqlite3_exec(db, "CREATE TABLE customers(id INTEGER)", nullptr, nullptr, nullptr);
             sqlite3_close(db);
         }, quilvo::ErrBadFormat},
        {"a substitution table", [this](const QString& p) {
             QFile::copy(folder.file(QStringLiteral("Velmora.qvs")), p);
         }, quilvo::ErrBadFormat},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::presenter().clear();
        const QString name = QStringLiteral("Bad%1.qvl").arg(&c - cases);
        c.make(folder.file(name));
        auto t = started(2, name);
        EXPECT_TRUE(t->STOPTRANSLATE());
        EXPECT_EQ(t->QVSTR(QStringLiteral("Zatvori")), QStringLiteral("Zatvori"));
        std::thread([&] { EXPECT_EQ(t->QVSTR(QStringLiteral("Zatvori")), QStringLiteral("Zatvori")); }).join();
        t->setRPTDIFLANG(2);
        EXPECT_EQ(t->QVSTR(QStringLiteral("Zatvori")), QStringLiteral("Zatvori"));
        const auto shown = messages();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_TRUE(shown[0].text.startsWith(
            QStringLiteral("No Translation Will Be Done |File error (%1) with|%2 : %2 : Velmora.qvs|Translation will be disabled!")
                .arg(c.error)
                .arg(name)))
            << shown[0].text.toStdString();
        EXPECT_EQ(shown[0].caption, QStringLiteral("Info"));
    }
}

TEST_F(QuilvoLookup, EightThreadsGetStableResults)
{
    for (bool queue : {false, true}) {
        auto t = started(2);
        t->setUSEQUEUE(queue);
        t->setNOFILEUPDATE(false);
        std::atomic<int> wrong{0};
        std::vector<std::thread> threads;
        for (int n = 0; n < 8; ++n) {
            threads.emplace_back([&, n] {
                for (int i = 0; i < 2500; ++i) {
                    const bool hit = (i + n) % 2 == 0;
                    const QString got = hit ? t->QVSTR(QStringLiteral("Zatvori")) : t->QVSTR(QStringLiteral("Miss %1").arg(i % 50));
                    if (got != (hit ? QStringLiteral("Close") : QStringLiteral("Miss %1").arg(i % 50)))
                        ++wrong;
                    if (t->QVSUB(QStringLiteral("Kontakt")) != QStringLiteral("Osoba"))
                        ++wrong;
                }
                if (!queue && t->threadOpenCount() != 1)
                    ++wrong;
            });
        }
        for (auto& th : threads)
            th.join();
        EXPECT_EQ(wrong.load(), 0) << (queue ? "queue mode" : "file mode");
    }
}

TEST_F(QuilvoLookup, SetUpTakesLanguageCodePageAndSwitches)
{
    struct Case {
        int language, expected;
        const char* codePage;
    };
    const Case cases[] = {{0, 1, "windows-1250"},  {1, 1, "windows-1250"}, {2, 2, "windows-1252"},
                          {3, 3, "windows-1251"},  {8, 8, "GBK"},          {12, 12, "windows-874"},
                          {13, 13, "windows-1250"}, {29, 1, "windows-1250"}};
    for (const auto& c : cases) {
        const size_t shownBefore = messages().size();
        auto t = started(c.language);
        EXPECT_EQ(t->TRANSLANG(), c.expected) << c.language;
        EXPECT_EQ(t->codePage(), QLatin1String(c.codePage)) << c.language;
        EXPECT_EQ(ansicp::codePage(), QLatin1String(c.codePage)) << c.language;
        EXPECT_EQ(t->ENTRY2TEXT(), c.expected == 1 || c.expected == 2) << c.language; // qvs row / LANG2 row
        // A language with no character set of its own says so and keeps the one it had.
        const auto shown = messages();
        if (c.expected >= 13) {
            ASSERT_EQ(shown.size(), shownBefore + 1) << c.language;
            EXPECT_EQ(shown.back().text, QStringLiteral("B:Slova not defined - Dudevev2 !"));
        } else {
            EXPECT_EQ(shown.size(), shownBefore) << c.language;
        }
    }
}

TEST_F(QuilvoLookup, RegionalSymbolsBecomePictureSymbols)
{
    struct Case {
        QString decimal, grouping, expectDecimal, expectGrouping;
    };
    const Case cases[] = {
        {QStringLiteral(","), QString(QChar(0x00A0)), QStringLiteral("`"), QStringLiteral("_")},
        {QStringLiteral(","), QString(QChar(0x202F)), QStringLiteral("`"), QStringLiteral("_")},
        {QStringLiteral("."), QStringLiteral(","), QStringLiteral("."), QString()},
        {QStringLiteral(","), QStringLiteral("."), QStringLiteral("`"), QStringLiteral(".")},
    };
    for (const auto& c : cases) {
        QUILVO::setRegionalSource([c] { return QuilvoRegional{c.decimal, c.grouping}; });
        auto t = started(1);
        EXPECT_EQ(t->DECIMALSYMBOL(), c.expectDecimal);
        EXPECT_EQ(t->GROUPINGSYMBOL(), c.expectGrouping);
    }
}

TEST_F(QuilvoLookup, LanguageChangeReopensOnlyForAnotherTable)
{
    QString error;
    ASSERT_TRUE(quilvo::TableFile::create(folder.file(QStringLiteral("Drugi.qvl")),
                                          {row(QStringLiteral("Zatvori"), {{2, QStringLiteral("Shut")}})}, &error));
    auto t = started(1);
    t->QVDLC(QStringLiteral("VELMORA.QVL"), 2);
    EXPECT_EQ(t->QVSTR(QStringLiteral("Zatvori")), QStringLiteral("Close"));
    EXPECT_TRUE(t->ENTRY2TEXT());
    const int opens = t->threadOpenCount();
    t->QVDLC(QStringLiteral("velmora.qvl"), 3);
    EXPECT_EQ(t->QVSTR(QStringLiteral("Zatvori")), QStringLiteral("Закрыть"));
    EXPECT_EQ(t->codePage(), QStringLiteral("windows-1250")); // the start's character set stays
    EXPECT_EQ(t->threadOpenCount(), opens);
    EXPECT_FALSE(t->ENTRY2TEXT());
    t->QVDLC(QStringLiteral("Drugi.qvl"), 2);
    EXPECT_EQ(t->QVSTR(QStringLiteral("Zatvori")), QStringLiteral("Shut"));
    EXPECT_EQ(t->threadOpenCount(), opens + 1);
    t->QVKILL();
    EXPECT_EQ(t->QVSTR(QStringLiteral("Zatvori")), QStringLiteral("Shut")); // reopens lazily
}

TEST_F(QuilvoLookup, ErrorBlocksAreReadEntryByEntry)
{
    QByteArray block;
    auto u16 = [&](int v) { block.append(char(v & 0xFF)).append(char(v >> 8)); };
    auto counted = [&](const QByteArray& s) { block.append(char(s.size())).append(s); };
    u16(2);
    u16(0x0102), block.append(char(2)), counted("Open Error"), counted("Cannot open %File");
    u16(47), block.append(char(3)), counted("Mismatch"), counted("");
    QUILVO t;
    ASSERT_TRUE(t.ADDERRORS(block));
    ASSERT_EQ(t.ERRORSQ2().size(), 2u);
    EXPECT_EQ(t.ERRORSQ2()[0].id, 0x0102);
    EXPECT_EQ(t.ERRORSQ2()[0].title, QStringLiteral("Open Error"));
    EXPECT_EQ(t.ERRORSQ2()[0].text, QStringLiteral("Cannot open %File"));
    EXPECT_EQ(int(t.ERRORSQ2()[1].category), 3);
    for (int cut : {1, 5, int(block.size()) - 1}) {
        QUILVO u;
        EXPECT_FALSE(u.ADDERRORS(block.left(cut))) << cut;
        EXPECT_TRUE(u.ERRORSQ().empty());
    }
    EXPECT_FALSE(t.ADDERRORS(block + "x")); // trailing bytes: not a block
}

} // namespace
