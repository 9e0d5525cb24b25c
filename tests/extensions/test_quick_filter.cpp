#include "tests/data/DataFixture.h"

#include "extensions/QuickFilter.h"
#include "extensions/QuickFilterStore.h"
#include "runtime/Browse.h"
#include "runtime/FileBrowse.h"
#include "extensions/FilterBuilder.h"
#include "runtime/DateTime.h"
#include "runtime/SqlFilter.h"

#include <QDir>
#include <QFile>

#include <functional>

using ext::XQUICKFILTERCLASS;

namespace {

// Records what the quick filter asks of its browse.
struct FakeBrowse : ext::QuickFilterBrowse {
    QStringList calls;
    QString filter;
    int rows = 5;
    void SETFILTER(const QString& f, const QString& id) override
    {
        filter = f;
        calls << "filter " + id + " " + f;
    }
    void RESETSORT(int force) override { calls << QStringLiteral("reset %1").arg(force); }
    void SETSORT(int order) override { calls << QStringLiteral("sort %1").arg(order); }
    int records() override { return rows; }
};

// The filter's windows, scripted per test; an unset window is cancelled or does nothing.
struct ScriptedSide : ext::QuickFilterSide {
    std::function<int(bool, const ext::XFILTERENTRY&, QString&, QString&)> input;
    std::function<void()> save;
    std::function<int(const QStringList&)> region;
    std::function<void(const QString&)> told;
    int inputWindow(bool wildcard, const ext::XFILTERENTRY& e, QString& low, QString& high) override
    {
        return input ? input(wildcard, e, low, high) : 2;
    }
    void saveWindow() override
    {
        if (save)
            save();
    }
    void loadWindow() override {}
    int regionPopup(const QStringList& items) override { return region ? region(items) : 0; }
    QString showPopup(vrt::PopupMenu&) override { return {}; }
    void showStatus(const QString&) override {}
    void inform(const QString& text, const QString&) override
    {
        if (told)
            told(text);
    }
    QString columnHeader(int) override { return {}; }
    QString translate(const QString& text) override { return text; }
};

struct Fixture {
    FakeBrowse browse;
    ScriptedSide side;
    XQUICKFILTERCLASS qf;
    QString value = QStringLiteral("O'Neil");
    QString typedLow, typedHigh;
    int typedResult = 0;
    QString global;
    explicit Fixture(bool levels = false)
    {
        XQUICKFILTERCLASS::Keys keys;
        keys.enable = 1;
        keys.enableInstring = 2;
        keys.enableInstringString = 3;
        keys.enableWildcard = 4;
        keys.disable = 5;
        keys.disableAll = 6;
        keys.global = 7;
        qf.INIT(1, browse, keys, "Filtrirano", "Nije filtrirano", false, false, false, false, &global);
        qf.ADDFILTERLEVEL = levels;
        qf.setSide(&side);
        side.input = [this](bool, const ext::XFILTERENTRY&, QString& low, QString& high) {
            low = typedLow;
            high = typedHigh;
            return typedResult;
        };
    }
    bool add(int number, const QString& name, const QString& picture, int control = 0, const QString& group = {})
    {
        return qf.ADDFIELD([this] { return value; }, number, name, "Opis " + name, picture, control, group);
    }
};

} // namespace

TEST(QuickFilterText, ConditionsAsTheFilterLanguageWritesThem)
{
    struct Case {
        bool sql, upper;
        QString picture;
        int control;
        int kind; // 1 equal, 2 contains current, 3 typed, 4 range, 5 wildcard
        QString value;
        QString expected;
    };
    const std::vector<Case> cases = {
        {true, true, "@s20", 0, 1, "O'Neil", "N = 'O''Neil'"},
        {true, true, "@s20", 0, 1, "a b  ", "N = 'a b'"},
        {false, true, "@s20", 0, 1, "x", "UPPER(N) = UPPER('x')"},
        {false, false, "@s20", 0, 1, "x", "N = 'x'"},
        {true, true, "@s20", 0, 2, "ab", "INSTRING('ab', N, 1, 1)"},
        {false, true, "@s20", 0, 2, "ab", "INSTRING(UPPER('ab'), UPPER(N), 1, 1)"},
        {true, true, "@d6", 0, 2, "80000", "FORMAT('80000',@d6) = FORMAT(N,@d6)"},
        {true, true, "@t4", 0, 2, "100", "FORMAT('100',@t4) = FORMAT(N,@t4)"},
        {true, true, "@n5", 0, 3, "12", "INSTRING('12', N, 1, 1)"},
        {false, true, "@s20", 0, 3, "ab", "INSTRING(UPPER('ab'), UPPER(N), 1, 1)"},
        {false, true, "@n5", 0, 3, "12", "INSTRING(UPPER('12'), UPPER(FORMAT(N,@n5)), 1, 1)"},
        {false, false, "@n5", 0, 3, "12", "INSTRING('12', FORMAT(N,@n5), 1, 1)"},
        {true, true, "@n5", 0, 4, "1", "INRANGE(N,1,10)"},
        {true, true, "@s20", 0, 5, "a*", "MATCH(N,'a*', 1)"},
        {false, true, "@s20", 0, 5, "a*", "MATCH(UPPER(N), UPPER('a*'), 1)"},
        {false, true, "@n5", 0, 5, "1*", "MATCH(UPPER(FORMAT(N,@n5)),UPPER('1*'), 1)"},
        {false, false, "@n5", 0, 5, "1*", "MATCH(FORMAT(N,@n5),'1*', 1)"},
        {true, true, "@s20", 30, 5, "a*", "MATCH('a*', N, 1)"},
        {false, true, "@s20", 30, 5, "a*", "MATCH(UPPER('a*'), UPPER(N), 1)"},
        {false, true, "@n5", 30, 5, "1*", "MATCH(UPPER('1*'), UPPER(FORMAT(N,@n5)), 1)"},
        {false, false, "@n5", 30, 5, "1*", "MATCH('1*', FORMAT(N,@n5), 1)"},
        {true, true, "@s20", 30, 1, "O'Neil", "N = 'O''Neil'"},
    };
    for (const Case& c : cases) {
        Fixture f;
        f.qf.USESQL = c.sql;
        f.qf.USEUPPER = c.upper;
        f.add(3, "N", c.picture, c.control);
        f.value = c.value;
        f.typedLow = c.kind == 4 ? "1" : c.value;
        f.typedHigh = "10";
        f.typedResult = c.kind == 4 ? 1 : 0;
        const int n = c.control ? c.control + 100 : 3;
        const bool added = c.kind == 1   ? f.qf.addEqual(n)
                           : c.kind == 2 ? f.qf.addInstring(n)
                           : c.kind == 5 ? f.qf.addWildcard(n)
                                         : f.qf.addTyped(n);
        ASSERT_TRUE(added) << c.expected.toStdString();
        EXPECT_EQ(f.browse.filter, c.expected);
        EXPECT_EQ(f.global, c.expected);
    }
}

TEST(QuickFilterText, LevelsAndGroupsCombine)
{
    Fixture f(true);
    f.add(1, "X", "@s20");
    f.add(2, "Y", "@s20");
    f.add(0, "P", "@s20", 40, "g");
    f.add(0, "Q", "@s20", 41, "g");
    f.value = "v";
    ASSERT_TRUE(f.qf.addEqual(1));
    EXPECT_EQ(f.qf.STATUSTEXT, "Filtrirano (1)");
    ASSERT_TRUE(f.qf.addEqual(2));
    EXPECT_FALSE(f.qf.addEqual(2)); // a field with a level takes no second one
    ASSERT_TRUE(f.qf.addEqual(140)); // the whole group at once
    EXPECT_EQ(f.browse.filter, "X = 'v' AND Y = 'v' AND (P = 'v' OR Q = 'v')");
    EXPECT_EQ(f.qf.FILTERNUM, 3);
    EXPECT_EQ(f.qf.STATUSTEXT, "Filtrirano (3)");

    f.qf.GLOBALFILTERSTRINGL = "L";
    f.qf.FILTERLOADED = true;
    f.qf.ADDWITHOR = true;
    f.qf.SETFILTER();
    EXPECT_EQ(f.browse.filter, "X = 'v' AND Y = 'v' AND (P = 'v' OR Q = 'v') OR(L)");
    f.qf.ADDWITHOR = false;
    f.qf.SETFILTER();
    EXPECT_EQ(f.browse.filter, "X = 'v' AND Y = 'v' AND (P = 'v' OR Q = 'v') AND(L)");
    f.qf.CANCELLOADED();

    // The group was the last level: it goes as one.
    ASSERT_TRUE(f.qf.cancelLast());
    EXPECT_EQ(f.qf.FILTERNUM, 2);
    EXPECT_EQ(f.qf.LASTFILTER, 2);
    EXPECT_EQ(f.browse.filter, "X = 'v' AND Y = 'v'");
    f.qf.CANCELALL();
    EXPECT_EQ(f.qf.FILTERNUM, 0);
    EXPECT_EQ(f.browse.filter, "");
    EXPECT_EQ(f.qf.STATUSTEXT, "Nije filtrirano");
    EXPECT_FALSE(f.qf.cancelLast()); // nothing left to cancel
}

TEST(QuickFilterText, WideFieldNumbersAndLongValuesStayWhole)
{
    Fixture f;
    ASSERT_TRUE(f.add(0, "A", "@s20", 30));
    ASSERT_TRUE(f.add(0, "B", "@s20", 286)); // would share a one-byte number with control 30
    EXPECT_FALSE(f.add(130, "C", "@s20"));   // the number of control 30's field: refused
    EXPECT_EQ(f.qf.entry(130)->FILTERNAME, "A");
    EXPECT_EQ(f.qf.entry(386)->FILTERNAME, "B");
    f.value = QString(5000, QLatin1Char('x')) + "'";
    ASSERT_TRUE(f.qf.addEqual(386));
    EXPECT_EQ(f.browse.filter, "B = '" + QString(5000, QLatin1Char('x')) + "'''");
}

TEST(QuickFilterText, ARangeTakesNumbersOnlyAndAsksAgain)
{
    Fixture f;
    f.add(3, "N", "@n5");
    std::vector<std::pair<QString, QString>> answers = {{"abc", "10"}, {"1,5", "x"}, {" 2.5 ", "1e1"}};
    QStringList told;
    f.side.told = [&](const QString& text) { told << text; };
    f.side.input = [&](bool, const ext::XFILTERENTRY&, QString& low, QString& high) {
        low = answers.front().first;
        high = answers.front().second;
        answers.erase(answers.begin());
        return 1;
    };
    ASSERT_TRUE(f.qf.addTyped(3));
    EXPECT_EQ(told.size(), 2);
    EXPECT_EQ(f.browse.filter, "INRANGE(N,2.5,10)");

    f.qf.CANCELALL();
    f.side.input = [](bool, const ext::XFILTERENTRY&, QString&, QString&) { return 2; };
    EXPECT_FALSE(f.qf.addTyped(3)); // cancelled: no level
    EXPECT_EQ(f.qf.FILTERNUM, 0);
}

TEST(QuickFilterText, SortGroupsGetTheSameFilterAndEndOnTheirSort)
{
    Fixture f;
    f.add(1, "X", "@s20");
    f.qf.SETCURRENTSORT(2);
    f.qf.SETSORTGROUPS(3);
    f.value = "v";
    f.browse.calls.clear();
    ASSERT_TRUE(f.qf.addEqual(1));
    EXPECT_EQ(f.browse.calls, QStringList({"sort 1", "filter 7xqf X = 'v'", "sort 2", "filter 7xqf X = 'v'", "sort 3",
                                           "filter 7xqf X = 'v'", "sort 2", "reset 1"}));
}

TEST(QuickFilterKeys, KeysPopupAndRegions)
{
    Fixture f;
    f.add(5, "F", "@s20");
    f.qf.ADDFIELD([] { return QStringLiteral("r"); }, 0, "R", "Region", "@s20", 20, {}, 99);
    int doubles = 0;
    struct Spy : XQUICKFILTERCLASS {
        int* doubles = nullptr;
        void TAKEDOUBLE(int how) override { *doubles += how == 0 ? 1 : 100; }
    };
    f.value = "v";
    EXPECT_FALSE(f.qf.TAKEKEY(1, 9)); // no field on column 9
    EXPECT_EQ(f.qf.FILTERNUM, 0);
    EXPECT_TRUE(f.qf.TAKEKEY(1, 5));
    EXPECT_EQ(f.browse.filter, "F = 'v'");

    f.qf.SAVELOADFILTERS = true;
    f.qf.GENERATEPOPUP();
    f.qf.enablePopup();
    auto& menu = f.qf.popup();
    const auto enabled = [&](const char* name) { return menu.item(menu.idOf(name))->enabled; };
    EXPECT_FALSE(enabled("M5")); // the field has a condition
    EXPECT_TRUE(enabled("M120"));
    EXPECT_TRUE(enabled("S120"));
    EXPECT_TRUE(enabled("L"));
    EXPECT_FALSE(enabled("Y"));
    EXPECT_TRUE(enabled("S"));
    EXPECT_TRUE(enabled("Z"));
    EXPECT_TRUE(enabled("X"));
    for (const auto& item : menu.items())
        EXPECT_LE(item.name.size(), 10);

    int saves = 0;
    f.side.save = [&] { ++saves; };
    f.qf.EXECUTEGLOBALKEY("S");
    EXPECT_EQ(saves, 1);
    f.qf.EXECUTEGLOBALKEY("E120"); // the region form for a field with its own control
    EXPECT_EQ(f.browse.filter, "F = 'v' AND R = 'r'");
    f.qf.EXECUTEGLOBALKEY("Z");
    EXPECT_EQ(f.browse.filter, "F = 'v'");

    Spy spy;
    spy.doubles = &doubles;
    FakeBrowse b2;
    spy.INIT(2, b2, f.qf.KEYS, "on", "off", false, false, false, false);
    spy.ADDFIELD([] { return QStringLiteral("r"); }, 0, "R", "Region", "@s20", 20, {}, 99);
    spy.EXECUTEGLOBALKEY("S120");
    EXPECT_EQ(doubles, 1);
    EXPECT_TRUE(b2.filter.isEmpty());

    // With VORNISET the region's keys are not acted on; a click offers four items.
    spy.SETVORNISET(true);
    EXPECT_FALSE(spy.TAKEREGIONKEY(1, 20));
    EXPECT_TRUE(b2.filter.isEmpty());
    QStringList offered;
    ScriptedSide spySide;
    spy.setSide(&spySide);
    spySide.region = [&](const QStringList& items) {
        offered = items;
        return 1;
    };
    EXPECT_TRUE(spy.TAKEREGIONCLICK(20));
    EXPECT_EQ(offered, QStringList({"Equate", "Instring", "User", "WildCard"}));
    EXPECT_EQ(b2.filter, "R = 'r'");
}

TEST(QuickFilterKeys, NoRecordsLeftCancelsTheLastLevel)
{
    Fixture f;
    f.add(1, "X", "@s20");
    QStringList told;
    f.side.told = [&](const QString& text) { told << text; };
    ASSERT_TRUE(f.qf.addEqual(1));
    f.browse.rows = 0;
    f.qf.ISBACKONLEVEL();
    EXPECT_EQ(told, QStringList({"No more records!"}));
    EXPECT_EQ(f.qf.FILTERNUM, 0);
    EXPECT_EQ(f.qf.TRN("Upiši tekst:"), "Search:");
}

// ---- saved filters ------------------------------------------------------------------------

TEST(QuickFilterSaved, SaveLoadDefaultsAndDelete)
{
    testsupport::TempFolder folder;
    const QString old = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(folder.path()));
    struct Back {
        QString path;
        ~Back() { QDir::setCurrent(path); }
    } back{old};

    Fixture other;
    other.qf.SETFILTERFILENAME(true, "Drugi", "Filteri", false);
    other.qf.GLOBALFILTERSTRING = "A = '1'";
    ASSERT_TRUE(other.qf.saveCurrent("drugi", true)); // the folder is made on first use
    ASSERT_TRUE(QFile::exists(folder.file("Datoteke/Filteri/!Filters")));

    Fixture f;
    f.qf.SETFILTERFILENAME(true, "Kontakti", "Filteri", false);
    f.qf.FILLQUEUE();
    ASSERT_EQ(f.qf.FL.size(), 1u);
    EXPECT_EQ(f.qf.FL[0].FILTERNAME, "none");
    EXPECT_TRUE(f.qf.FF.empty());

    f.add(1, "CON:Prezime", "@s20");
    f.value = "Horvat";
    ASSERT_TRUE(f.qf.addEqual(1));
    ASSERT_TRUE(f.qf.saveCurrent("Horvati", true));
    f.qf.GLOBALFILTERSTRING = "CON:Grad = 'Zagreb'";
    ASSERT_TRUE(f.qf.saveCurrent("Zagreb", false));
    ASSERT_EQ(f.qf.FF.size(), 2u);
    EXPECT_EQ(f.qf.FF[0].FILTERNAME, "Horvati");
    EXPECT_EQ(f.qf.FF[0].FILTERSTYLE, 2);
    EXPECT_EQ(f.qf.FF[1].FILTERSTYLE, 1);
    EXPECT_EQ(f.qf.FF[0].FILTERID.size(), 20);
    other.qf.FILLQUEUE(); // the other procedure keeps its own default
    ASSERT_EQ(other.qf.FF.size(), 1u);
    EXPECT_EQ(other.qf.FF[0].FILTERSTYLE, 2);

    const QString horvati = f.qf.FF[0].FILTERID, zagreb = f.qf.FF[1].FILTERID;
    ASSERT_TRUE(f.qf.toggleDefault(horvati)); // off
    EXPECT_EQ(f.qf.FF[0].FILTERSTYLE, 1);
    ASSERT_TRUE(f.qf.toggleDefault(horvati)); // on again
    ASSERT_TRUE(f.qf.toggleDefault(zagreb));  // moves
    EXPECT_EQ(f.qf.FF[0].FILTERSTYLE, 1);
    EXPECT_EQ(f.qf.FF[1].FILTERSTYLE, 2);

    // Loading with all levels cancelled first: only the saved filter is in force.
    ASSERT_TRUE(f.qf.loadSaved(zagreb, true, false));
    EXPECT_EQ(f.browse.filter, "CON:Grad = 'Zagreb'");
    EXPECT_TRUE(f.qf.FILTERLOADED);
    EXPECT_EQ(f.qf.FILTERNUM, 0);
    EXPECT_EQ(f.qf.STATUSTEXT, "Filtrirano");
    EXPECT_EQ(f.qf.LOADEDFILTERNAME(), "Zagreb");

    Fixture reopened;
    reopened.qf.SETFILTERFILENAME(true, "Kontakti", "Filteri", false);
    reopened.qf.LOADDEFFILTER();
    EXPECT_EQ(reopened.browse.filter, "CON:Grad = 'Zagreb'");

    ASSERT_TRUE(f.qf.deleteSaved(zagreb)); // its default option goes with it
    EXPECT_EQ(f.qf.FF.size(), 1u);
    EXPECT_FALSE(f.qf.store()->defaultId("Kontakti", 1).has_value());
}

TEST(QuickFilterSaved, AFileOfAnotherLayoutIsKeptAsABackup)
{
    testsupport::TempFolder folder;
    QDir().mkpath(folder.file("f"));
    folder.write("f/!Filters", "not a database at all, but somebody's data");
    ext::QuickFilterStore store(folder.file("f"));
    ASSERT_TRUE(store.open()) << store.lastError().toStdString();
    ext::QuickFilterStore::Saved s{{}, "P", "n", "X = 1", 0};
    ASSERT_TRUE(store.add(s));
    const QStringList backups = QDir(folder.file("f")).entryList({"!Filters.backup-*"});
    ASSERT_EQ(backups.size(), 1);
    EXPECT_EQ(folder.read("f/" + backups[0]), "not a database at all, but somebody's data");

    ext::QuickFilterStore blocked(folder.file("f/!Filters/sub")); // a file where the folder should be
    EXPECT_FALSE(blocked.open());
    EXPECT_FALSE(blocked.lastError().isEmpty());
}

// ---- through the data layer ---------------------------------------------------------------

class QuickFilterData : public DataTest {};

TEST_F(QuickFilterData, FilterTextsBecomeSqlWithBoundValues)
{
    struct Case {
        std::string text, sql;
        std::vector<std::string> params;
    };
    const std::vector<Case> cases = {
        {"INSTRING('ab', PAS:NAZIV, 1, 1)", "instr(\"NAZIV\", ?) <> 0", {"ab"}},
        {"INSTRING(UPPER('ab'),UPPER(PAS:NAZIV),1) = 1", "instr(UPPER(\"NAZIV\"), UPPER(?)) = ?", {"ab", "1"}},
        {"MATCH(PAS:NAZIV,'a[1]*', 1)", "(\"NAZIV\" GLOB ?)", {"a[[]1]*"}},
        {"MATCH(PAS:NAZIV,'a*', 17)", "(\"NAZIV\" LIKE ? ESCAPE '\\')", {"a%"}},
        {"INRANGE(PAS:ID,1,2.5)", "(\"ID\" BETWEEN ? AND ?)", {"1", "2.5"}},
        {"PAS:NAZIV = 'O''Neil' AND(PAS:ID = 1)", "\"NAZIV\" = ? AND (\"ID\" = ?)", {"O'Neil", "1"}},
    };
    for (const Case& c : cases) {
        vrt::SqlPart part;
        std::string error;
        ASSERT_TRUE(vrt::translateFilter(corvalde::declaration(Tbl::Passwords), c.text, part, error)) << c.text << ": " << error;
        EXPECT_EQ(part.sql, c.sql) << c.text;
        std::vector<std::string> params;
        for (const auto& p : part.params)
            params.push_back(p.isInt ? std::to_string(p.number) : p.text);
        EXPECT_EQ(params, c.params) << c.text;
    }
    for (const char* refused : {"INSTRING('a', PAS:NAZIV, 2, 1)", "MATCH(PAS:NAZIV, 'a', 2)", "INRANGE(PAS:ID, 1)"}) {
        vrt::SqlPart part;
        std::string error;
        EXPECT_FALSE(vrt::translateFilter(corvalde::declaration(Tbl::Passwords), refused, part, error)) << refused;
    }
}

TEST_F(QuickFilterData, LevelsNarrowAListOverTheDatabase)
{
    ASSERT_EQ(Relate(Tbl::Passwords).Open(), 0);
    for (const char* name : {"O'Neil", "banka", "O'Neil kuća", "x' OR '1'='1", "Oneil"}) {
        Access(Tbl::Passwords).clearBuffer();
        PAS().NAZIV = name;
        PAS().KATEGORIJAID = 1;
        ASSERT_EQ(Access(Tbl::Passwords).Insert(), 0);
    }
    vrt::FileBrowseSource table(Access(Tbl::Passwords), Relate(Tbl::Passwords),
                                {{"ID", [] { return QString::number(PAS().ID); }},
                                 {"Naziv", [] { return QString::fromStdString(PAS().NAZIV); }}});
    table.addOrder({PAS.IDKey, {}, 0});
    vrt::Browse browse(table);
    browse.addOrder({"ID", -1});
    browse.setFilter("PAS:KATEGORIJAID = 1");
    ext::BrowseQuickFilterAdapter adapter(browse);
    XQUICKFILTERCLASS qf;
    XQUICKFILTERCLASS::Keys keys;
    keys.disableAll = 6;
    qf.INIT(1, adapter, keys, "on", "off", false, false, false, false);
    QString value;
    qf.ADDFIELD([&] { return value; }, 1, "PAS:NAZIV", "Naziv", "@s255");
    qf.ADDFIELD([&] { return value; }, 0, "PAS:ID", "ID", "@n5");
    const auto names = [&] {
        browse.flush();
        QStringList out;
        for (const auto& r : browse.model().rows())
            out << r.cells[1];
        return out;
    };
    value = "O'Neil";
    ASSERT_TRUE(qf.addInstring(1));
    EXPECT_EQ(names(), QStringList({"O'Neil", "O'Neil kuća"}));
    qf.CANCELALL();
    value = "x' OR '1'='1";
    ASSERT_TRUE(qf.addEqual(1));
    EXPECT_EQ(names(), QStringList({"x' OR '1'='1"}));
    qf.CANCELALL();
    ScriptedSide side;
    qf.setSide(&side);
    side.input = [](bool, const ext::XFILTERENTRY&, QString& low, QString&) {
        low = "O*";
        return 0;
    };
    ASSERT_TRUE(qf.addWildcard(1));
    EXPECT_EQ(names(), QStringList({"O'Neil", "O'Neil kuća", "Oneil"}));
    EXPECT_EQ(browse.filter(), "(PAS:KATEGORIJAID = 1) AND (MATCH(PAS:NAZIV,'O*', 1))");
    qf.CANCELALL();
    EXPECT_EQ(names().size(), 5);
}

// The filter builder's SQL, as SQLite runs it through the ODBC driver.
TEST_F(QuickFilterData, FilterBuilderSqlSelectsTheRightNotes)
{
    ASSERT_EQ(Relate(Tbl::Notes).Open(), 0);
    struct Note {
        const char* title;
        QDate day;
        QTime at;
    };
    for (const Note& n : {Note{"O'Neil sastanak", QDate(2024, 3, 1), QTime(9, 0)}, Note{"ponuda", QDate(2024, 3, 15), QTime(14, 30)},
                          Note{"račun", QDate(2024, 4, 2), QTime(8, 15)}}) {
        Access(Tbl::Notes).clearBuffer();
        NOTE().NASLOV = n.title;
        NOTE().DATUM = vrt::dayFromDate(n.day);
        NOTE().VRIJEME = vrt::timeFromQTime(n.at);
        ASSERT_EQ(Access(Tbl::Notes).Insert(), 0);
    }
    struct Case {
        std::vector<ext::FilterCondition> conditions;
        std::vector<std::string> titles;
    };
    const std::vector<Case> cases = {
        {{{"Day", "Between", "01.03.2024,31.03.2024", "DONE"}}, {"O'Neil sastanak", "ponuda"}},
        {{{"Day", "Greater Than", "01.03.2024", "AND"}, {"At", "Less Than", "10:00:00", "DONE"}}, {"račun"}},
        {{{"Title", "Begins With", "O'Ne", "OR"}, {"Title", "Equal", "račun", "DONE"}}, {"O'Neil sastanak", "račun"}},
        {{{"Title", "Contains", "%", "DONE"}}, {}},
        {{{"Title", "Contains", "'N", "DONE"}}, {"O'Neil sastanak"}},
        {{{"Day", "IN", "15.03.2024,02.04.2024", "DONE"}}, {"ponuda", "račun"}},
    };
    for (const Case& c : cases) {
        ext::CFILTERLIST f;
        f.USESQL = true;
        f.INIT();
        f.ADDCOL("Title", "\"NASLOV\"", 18, "@s255", true);
        f.ADDCOL("Day", "\"DATUM\"", 4, "@d6.", false);
        f.ADDCOL("At", "\"VRIJEME\"", 5, "@t04", false);
        f.FILTERQ = c.conditions;
        const QString where = f.GETFILTER();
        ASSERT_FALSE(where.isEmpty()) << f.lastError().toStdString();
        std::vector<std::string> titles = query("SELECT NASLOV FROM Notes WHERE " + where.toStdString() + " ORDER BY ID");
        EXPECT_EQ(titles, c.titles) << where.toStdString();
    }
}
