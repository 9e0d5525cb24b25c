#include "tests/data/DataFixture.h"

#include "extensions/QbeFilter.h"
#include "extensions/QbeGlobal.h"
#include "extensions/QbeSearch.h"
#include "runtime/Browse.h"
#include "runtime/DateTime.h"
#include "runtime/FileBrowse.h"
#include "runtime/SqlFilter.h"

#include <functional>
#include <QDate>

#include <thread>

using namespace DTRV;

namespace {

int day(int y, int m, int d)
{
    return vrt::dayFromDate(QDate(y, m, d));
}

struct FilterCase {
    QbeField field;
    std::vector<QbeCriterion> criteria;
    const char* text;
};

QbeField str(const char* name, bool match = false)
{
    return {QStringLiteral("CON"), QString::fromLatin1(name), FIELD_STRING, {}, match};
}

QbeField num(const char* name, int type = FIELD_NUMBER, bool match = false)
{
    return {QStringLiteral("X"), QString::fromLatin1(name), type, {}, match};
}

TEST(QbeFilter, CriteriaGiveTheFilterTexts)
{
    const QString d = QString::number(day(2024, 3, 15));
    const std::string monthText = ("MONTH(X:D)=MONTH(" + d + ")").toStdString();
    const std::vector<FilterCase> cases = {
        {str("Name"), {{1, "Smith", ""}}, "UPPER(CON:Name)=UPPER('Smith')"},
        {str("City"), {{11, "zag", ""}}, "INSTRING(UPPER('zag'),UPPER(CON:City),1)"},
        {str("City"), {{12, "zag", ""}}, "~INSTRING(UPPER('zag'),UPPER(CON:City),1)"},
        {str("Name"), {{2, "O'Hara", ""}}, "UPPER(CON:Name)<>UPPER('O''Hara')"},
        {str("Name"), {{9, "Ba", ""}}, "(UPPER(CON:Name)>=UPPER('Ba') AND UPPER(CON:Name)<=UPPER('Ba~'))"},
        {str("Name"), {{10, "ić", ""}}, "RIGHT(UPPER(CON:Name),2)=UPPER('ić')"},
        {str("Name"), {{7, "a", "m"}}, "(UPPER(CON:Name)>=UPPER('a') AND UPPER(CON:Name)<=UPPER('m'))"},
        {str("Name"), {{8, "a", "m"}}, "~(UPPER(CON:Name)>=UPPER('a') AND UPPER(CON:Name)<=UPPER('m'))"},
        {str("Name", true), {{1, "Smith", ""}}, "MATCH(CON:Name,'Smith',16)"},
        {str("Name", true), {{2, "Smith", ""}}, "~MATCH(CON:Name,'Smith',16)"},
        {str("Name", true), {{9, "Sm", ""}}, "MATCH(CON:Name,'Sm*',17)"},
        {str("Name", true), {{11, "it", ""}}, "MATCH(CON:Name,'*it*',17)"},
        {num("N"), {{1, "5", ""}, {3, "100", ""}}, "(X:N=5 OR X:N>100)"},
        {num("N", FIELD_PICTURE), {{9, "1200", "100"}}, "INT(X:N/100)=12"},
        {num("N", FIELD_PICTURE, true), {{9, "1200", "100"}}, "MATCH(X:N,'12*',1)"},
        {num("N"), {{10, "25", ""}}, "RIGHT(X:N,2)=25"},
        {num("N"), {{7, "5", "9"}}, "(X:N>=5 AND X:N<=9)"},
        {num("N"), {{11, "5", ""}}, ""},
        {num("N"), {{1, "5 OR X:N>0", ""}}, "X:N='5 OR X:N>0'"},
        {num("D", FIELD_DATE), {{13, d, ""}}, monthText.c_str()},
        {num("D", FIELD_DATE), {{15, d, ""}}, "YEAR(X:D)=2024"},
        {num("D", FIELD_DATE), {{16, d, ""}}, "(MONTH(X:D)=3 AND DAY(X:D)=15)"},
        {num("D", FIELD_DATE), {{17, d, ""}}, "(YEAR(X:D)=2024 AND MONTH(X:D)=3)"},
        {{QStringLiteral("X"), QStringLiteral("C"), FIELD_CHECK, {}, false}, {{1, "1", ""}}, "X:C=1"},
        {{QStringLiteral("X"), QStringLiteral("C"), FIELD_CHECK, QStringLiteral("D|N"), false}, {{2, "D", ""}}, "X:C<>'D'"},
        {str("Name"), {{0, "x", ""}}, ""},
    };
    for (const FilterCase& c : cases)
        EXPECT_EQ(fieldFilter(c.field, c.criteria), QString::fromUtf8(c.text)) << c.text;
    EXPECT_EQ(beginsWithDivisor("1200"), "100");
    EXPECT_EQ(beginsWithDivisor("0"), "1");
}

// A view that does what the test scripts.
struct ScriptedView : DTRV::QbeView {
    std::function<void(const QString&)> filtered;
    std::function<void()> resets;
    void setFilter(const QString& filter) override
    {
        if (filtered)
            filtered(filter);
    }
    void reset() override
    {
        if (resets)
            resets();
    }
    void close() override {}
};

TEST(QbeSearch, FieldsJoinWithAndInFileAndNameOrder)
{
    GLOBALCLASS global;
    SEARCHCLASS s;
    s.INIT(global, "Contacts");
    QString applied;
    ScriptedView view;
    view.filtered = [&](const QString& f) { applied = f; };
    s.ADDVIEW(view);
    s.ADDFIELD("Contacts", "CON", "Name", "Name", FIELD_STRING);
    s.ADDFIELD("Contacts", "CON", "City", "City", FIELD_STRING);
    ASSERT_EQ(s.SETFIELD("Contacts", "Name"), 0);
    s.ADDCRITERION(1, "Smith");
    ASSERT_EQ(s.SETFIELD("Contacts", "City"), 0);
    s.ADDCRITERION(11, "zag");
    EXPECT_EQ(s.SETFIELD("Contacts", "Street"), 5);
    s.APPLYFILTER();
    EXPECT_EQ(applied, "INSTRING(UPPER('zag'),UPPER(CON:City),1) AND UPPER(CON:Name)=UPPER('Smith')");
    EXPECT_EQ(s.FILTER, applied);

    // Number fields: empty values become 0; a numeric begins-with gets its divisor.
    s.ADDFIELD("X", "X", "N", "N", FIELD_PICTURE);
    s.ADDCRITERION(9, "1200");
    EXPECT_EQ(s.currentField()->CRITERION.back().limit, "100");
    s.ADDCRITERION(7);
    EXPECT_EQ(s.currentField()->CRITERION.back().value, "0");
    EXPECT_EQ(s.currentField()->CRITERION.back().limit, "0");

    s.EMPTYALLCRITERIA();
    s.SETFIELD("Contacts", "Name");
    s.ADDCRITERION(0);
    EXPECT_EQ(s.CHECKCRITERIONENTERED(), 0);
    s.CLEANALLCRITERIA();
    EXPECT_EQ(s.currentField()->CRITERIACOUNT(), 0);

    // Walking the fields.
    s.RESETFIELD();
    int n = 0;
    while (s.NEXTFIELD() == 0)
        ++n;
    EXPECT_EQ(n, 3);
    EXPECT_EQ(s.NEXTFIELD(), 5);
}

TEST(QbeSearch, LoadAndSaveOfTheBaseReportNothingDone)
{
    SEARCHCLASS s;
    EXPECT_NE(s.LOAD(), 0);
    EXPECT_NE(s.SAVE(), 0);
    EXPECT_FALSE(s.canLoadSave());
}

TEST(QbeGlobal, TextsAndMissingKeys)
{
    GLOBALCLASS g;
    EXPECT_EQ(GLOBALCLASS::texts().size(), 75u);
    EXPECT_EQ(g.TRANSLATE("DTRV::LogoutError:Message"), "Error initiating transaction frame!  Transaction cancelled.");
    EXPECT_EQ(g.TRANSLATE("DTRV::Button:Previous"), "< &Back");
    EXPECT_EQ(g.TRANSLATE("DTRV::ComparisonText:ThisYearMonth"), "I&n this year + month");

    testsupport::presenter().clear();
    EXPECT_EQ(g.TRANSLATE("Other"), "Other");
    EXPECT_TRUE(testsupport::presenter().calls("message").empty());
    EXPECT_EQ(g.TRANSLATE("DTRV::X"), "DTRV::X");
    const auto shown = testsupport::presenter().calls("message");
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "Missing translation for Dentravo message:|DTRV::X");
    EXPECT_EQ(shown[0].caption, "Error!");
    testsupport::presenter().clear();
}

TEST(QbeGlobal, NamedFiltersPerFileInAnyCase)
{
    GLOBALCLASS g;
    g.SETFILTER("Contacts", "CON:ID=1");
    EXPECT_EQ(g.GETFILTER("CONTACTS"), "CON:ID=1");
    g.SETFILTER("contacts");
    EXPECT_EQ(g.GETFILTER("Contacts"), "");

    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&g, t] {
            const QString file = QStringLiteral("F%1").arg(t);
            for (int i = 0; i < 200; ++i) {
                g.SETFILTER(file, QString::number(i));
                EXPECT_EQ(g.GETFILTER(file), QString::number(i));
            }
        });
    for (auto& t : threads)
        t.join();
}

// Through the real layers: the filter text narrows a list over an SQLite table.
class QbeOnATable : public DataTest {
protected:
    void SetUp() override
    {
        DataTest::SetUp();
        if (IsSkipped())
            return;
        ASSERT_EQ(Relate(Tbl::CON_Contacts).Open(), 0);
        ASSERT_EQ(Relate(Tbl::Dnevnik).Open(), 0);
        add("Horvat", "Zagreb", "1");
        add("Kovač", "Split", "2");
        add("O'Brien", "Zagreb", "3");
        add("Babić", "Osijek", "4");
        table = std::make_unique<vrt::FileBrowseSource>(
            Access(Tbl::CON_Contacts), Relate(Tbl::CON_Contacts),
            std::vector<vrt::FileBrowseSource::Column>{{"Prezime", [] { return QString::fromStdString(CON().PREZIME); }}});
        table->addOrder({-1, "+CON:ID", 0});
        search.INIT(global, "Contacts");
        browse = std::make_unique<vrt::Browse>(*table);
        browse->addOrder({"ID", -1});
        view.filtered = [this](const QString& f) { browse->setFilter(f); };
        view.resets = [this] { browse->resetFromView(); };
        search.ADDVIEW(view);
        search.ADDFIELD("CON_Contacts", "CON", "PREZIME", "Prezime", FIELD_STRING);
        search.ADDFIELD("CON_Contacts", "CON", "GRAD", "Grad", FIELD_STRING);
        search.ADDFIELD("CON_Contacts", "CON", "GRUPAID", "Grupa", FIELD_NUMBER);
    }
    void add(const char* surname, const char* city, const char* phone)
    {
        Access(Tbl::CON_Contacts).clearBuffer();
        CON().PREZIME = surname;
        CON().GRAD = city;
        CON().PHONE1 = phone;
        CON().GRUPAID = std::atoi(phone);
        ASSERT_EQ(Access(Tbl::CON_Contacts).Insert(), 0);
    }
    QStringList shown()
    {
        QStringList out;
        for (const auto& r : browse->model().rows())
            out << r.cells[0];
        return out;
    }
    QStringList find(const char* field, int type, const QString& value, const QString& limit = {})
    {
        search.EMPTYALLCRITERIA();
        search.SETFIELD("CON_Contacts", field);
        search.ADDCRITERION(type, value, limit);
        search.OPENVIEW();
        return shown();
    }
    GLOBALCLASS global;
    ScriptedView view;
    SEARCHCLASS search;
    std::unique_ptr<vrt::FileBrowseSource> table;
    std::unique_ptr<vrt::Browse> browse;
};

TEST_F(QbeOnATable, TheListShowsOnlyMatchingRows)
{
    struct Case {
        const char* field;
        int type;
        QString value, limit;
        QStringList rows;
    };
    const std::vector<Case> cases = {
        {"GRAD", MATCHTYPE_EQUALS, "zagreb", {}, {"Horvat", "O'Brien"}},
        {"GRAD", MATCHTYPE_CONTAINS, "PLI", {}, {"Kovač"}},
        {"GRAD", MATCHTYPE_NOTCONTAINS, "zag", {}, {"Kovač", "Babić"}},
        {"PREZIME", MATCHTYPE_BEGINSWITH, "ho", {}, {"Horvat"}},
        {"PREZIME", MATCHTYPE_ENDSWITH, "vat", {}, {"Horvat"}},
        {"PREZIME", MATCHTYPE_EQUALS, "o'brien", {}, {"O'Brien"}},
        {"PREZIME", MATCHTYPE_INSIDERANGE, "b", "I", {"Horvat", "Babić"}},
        {"GRUPAID", MATCHTYPE_MORETHAN, "2", {}, {"O'Brien", "Babić"}},
        {"GRUPAID", MATCHTYPE_OUTSIDERANGE, "2", "3", {"Horvat", "Babić"}},
        // What the user types stays a value: none of these lists a row.
        {"PREZIME", MATCHTYPE_EQUALS, "x') OR 1=1 OR UPPER('", {}, {}},
        {"GRUPAID", MATCHTYPE_EQUALS, "1 OR CON:ID>0", {}, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(find(c.field, c.type, c.value, c.limit), c.rows) << c.field << " " << c.value.toStdString();
        vrt::SqlPart sql;
        std::string error;
        ASSERT_TRUE(vrt::translateFilter(*Access(Tbl::CON_Contacts).FILE, search.FILTER.toStdString(), sql, error))
            << search.FILTER.toStdString() << ": " << error;
        // Every value the user typed reaches SQL as a parameter, never as text.
        EXPECT_EQ(sql.sql.find(c.value.toStdString()), std::string::npos) << sql.sql;
        EXPECT_FALSE(sql.params.empty());
    }
    search.SETFIELD("CON_Contacts", "GRAD");
    search.ADDCRITERION(MATCHTYPE_EQUALS, "Split");
    EXPECT_EQ(shown(), QStringList{});
}

TEST_F(QbeOnATable, PatternAndDateFunctionsRunInSql)
{
    search.SETFIELD("CON_Contacts", "PREZIME");
    search.currentField()->USEMATCH = true;
    EXPECT_EQ(find("PREZIME", MATCHTYPE_BEGINSWITH, "ko"), QStringList{"Kovač"});
    EXPECT_EQ(find("PREZIME", MATCHTYPE_CONTAINS, "100%"), QStringList{});
    EXPECT_EQ(find("PREZIME", MATCHTYPE_EQUALS, "HORVAT"), QStringList{"Horvat"});

    // The date functions over the journal's date column.
    for (auto [d, title] : {std::pair{day(2024, 3, 15), "a"}, {day(2023, 3, 2), "b"}, {day(2024, 7, 15), "c"}}) {
        Access(Tbl::Dnevnik).clearBuffer();
        DNE().DATUM = d;
        DNE().NASLOV = title;
        ASSERT_EQ(Access(Tbl::Dnevnik).Insert(), 0);
    }
    vrt::FileBrowseSource journal(Access(Tbl::Dnevnik), Relate(Tbl::Dnevnik),
                                  {{"Naslov", [] { return QString::fromStdString(DNE().NASLOV); }}});
    journal.addOrder({-1, "+DNE:ID", 0});
    vrt::Browse list(journal);
    list.addOrder({"ID", -1});
    const QbeField datum{"DNE", "DATUM", FIELD_DATE, {}, false};
    auto rows = [&](int type) {
        list.setFilter(fieldFilter(datum, {{type, QString::number(day(2024, 3, 15)), ""}}));
        QStringList out;
        for (const auto& r : list.model().rows())
            out << r.cells[0];
        return out;
    };
    EXPECT_EQ(rows(MATCHTYPE_EQMTH), QStringList({"a", "b"}));
    EXPECT_EQ(rows(MATCHTYPE_EQDAY), QStringList({"a", "c"}));
    EXPECT_EQ(rows(MATCHTYPE_EQYEAR), QStringList({"a", "c"}));
    EXPECT_EQ(rows(MATCHTYPE_EQMTHDAY), QStringList({"a"}));
    EXPECT_EQ(rows(MATCHTYPE_EQYRMTH), QStringList({"a"}));
    EXPECT_EQ(rows(MATCHTYPE_EQUALS), QStringList({"a"}));
}

} // namespace
