#include "tests/support/TestSupport.h"

#include "extensions/FilterBuilder.h"
#include "extensions/PictureText.h"
#include "runtime/DateTime.h"
#include "runtime/IniFile.h"

#include <functional>
#include <gtest/gtest.h>

#include <memory>

using ext::CFILTERLIST;
using ext::FilterCondition;

namespace {

std::unique_ptr<CFILTERLIST> builder(bool sql, bool sqliteDates = true)
{
    auto made = std::make_unique<CFILTERLIST>();
    CFILTERLIST& f = *made;
    f.USESQL = sql;
    f.SQLITEDATES = sqliteDates;
    f.INIT();
    f.ADDCOL("Name", "NAME", 18, "@s30", false);
    f.ADDCOL("Code", "CODE", 18, "@s10", true);
    f.ADDCOL("Amount", "AMOUNT", 3, "@n10.2", false);
    f.ADDCOL("Day", "DAY", 4, "@d6.", false);
    f.ADDCOL("At", "AT", 5, "@t04", false);
    return made;
}

} // namespace

TEST(FilterBuilder, ConnectorsOpenAndCloseGroups)
{
    struct Case {
        std::vector<QString> connections;
        bool ok;
        QString text;
    };
    const std::vector<Case> cases = {
        {{"AND (...", "OR", "...) DONE"}, true, "( A = 1 AND ( A = 2 OR A = 3 ))"},
        {{"DONE"}, true, "( A = 1)"},
        {{"OR (...", "...) AND", "DONE"}, true, "( A = 1 OR ( A = 2 ) AND A = 3)"},
        {{"AND", "OR"}, false, ")"}, // the last one does not end the query
    };
    for (const Case& c : cases) {
        auto fp = builder(false);
        CFILTERLIST& f = *fp;
        f.SETCASESENSITIVE(true);
        f.ADDCOL("A", "A", 3, "@n3", true);
        int v = 1;
        for (const QString& connection : c.connections)
            f.FILTERQ.push_back({"A", "Equal", QString::number(v++), connection});
        EXPECT_EQ(f.GENERATEFILTER(), c.ok);
        EXPECT_EQ(f.SQLFILTERSTR, c.text);
        EXPECT_EQ(f.GETFILTER(), c.ok ? c.text : QString());
    }
}

TEST(FilterBuilder, ConditionTexts)
{
    struct Case {
        bool sql;
        QString column, op, value;
        QString text; // empty: refused
    };
    const std::vector<Case> cases = {
        {true, "Amount", "Between", "1,5", "AMOUNT BETWEEN 1 AND 5"},
        {true, "Amount", "Between", "1 AND 5", "AMOUNT BETWEEN 1 AND 5"},
        {true, "Amount", "Between", "1 and 5", "AMOUNT BETWEEN 1 AND 5"},
        {true, "Amount", "Between", "15", ""},
        {true, "Name", "IN", "a,b c", "NAME IN ('A','B','C')"},
        {true, "Code", "IN", "a,b c", "CODE IN ('a','b','c')"},
        {true, "Name", "Between", "'x', y", "NAME BETWEEN 'x' AND 'y'"},
        {true, "Name", "Between", "'x' OR 1=1 OR 'y',z", "NAME BETWEEN 'x'' OR 1=1 OR ''y' AND 'z'"},
        {false, "Name", "Equal", "ab", "upper(NAME)  = 'AB'"},
        {false, "Name", "Equal", "O'Neil", "upper(NAME)  = 'O''NEIL'"},
        {true, "Name", "Begins With", "O'Ne", "NAME LIKE 'O''NE%'"},
        {true, "Name", "Contains", "50%_a\\b", "NAME LIKE '%50\\%\\_A\\\\B%' ESCAPE '\\'"},
        {false, "Name", "Contains", "ab", "MATCH(upper(NAME) , '*AB*')"},
        {true, "Amount", "Equal", "5 OR 1=1", ""},
        {true, "Amount", "Greater Than", "12.5", "AMOUNT > 12.5"},
        {true, "Amount", "IN", "1,2,x", ""},
        {true, "Day", "Equal", "15.03.2024", "strftime('%Y/%m/%d', DAY) = '2024/03/15'"},
        {true, "Day", "Between", "1.3.2024,31.3.2024", ""}, // not in the column's picture
        {true, "Day", "Between", "01.03.2024,31.03.2024",
         "strftime('%Y/%m/%d', DAY) BETWEEN '2024/03/01' AND '2024/03/31'"},
        {true, "Day", "IN", "01.03.2024,2024-03-02", "strftime('%Y/%m/%d', DAY) IN ('2024/03/01','2024/03/02')"},
        {true, "At", "Less Than", "08:30:00", "strftime('%H:%M:%S', AT) < '08:30:00'"},
        {true, "Day", "Equal", "yesterday", ""},
        {false, "Day", "Not less or Equal", "15.03.2024", "DAY > deformat('15.03.2024', @d6.)"},
        {false, "Day", "Not Less or Equal", "15.03.2024", "DAY > deformat('15.03.2024', @d6.)"},
        {false, "At", "Equal", "08:30:00", "format(AT, @t04) = '08:30:00'"},
        {false, "Name", "Between", "a,b", "upper(NAME)  >= 'a' AND upper(NAME)  <= 'b'"},
        {false, "Day", "Equal", "x') OR (1=1", ""},
        {true, "Name", "Is Null", "", "NAME IS NULL"},
        {true, "Nobody", "Equal", "1", ""},
        {true, "Name", "Sounds Like", "1", ""},
    };
    for (const Case& c : cases) {
        auto fp = builder(c.sql);
        CFILTERLIST& f = *fp;
        f.FILTERQ.push_back({c.column, c.op, c.value, "DONE"});
        const QString text = f.PARSEANDREPLACE(0);
        EXPECT_EQ(text, c.text) << c.column.toStdString() << " " << c.op.toStdString() << " " << c.value.toStdString();
        EXPECT_EQ(text.isEmpty(), !f.lastError().isEmpty()) << c.value.toStdString();
        EXPECT_EQ(f.GENERATEFILTER(), !c.text.isEmpty());
        if (c.text.isEmpty()) {
            EXPECT_TRUE(f.SQLFILTERSTR.isEmpty()); // never a broken or changed expression
        }
    }
}

TEST(FilterBuilder, ServerDatesUseTheConvertTables)
{
    auto fp = builder(true, false);
        CFILTERLIST& f = *fp;
    f.FILTERQ.push_back({"Day", "Equal", "15.03.2024", "DONE"});
    EXPECT_EQ(f.PARSEANDREPLACE(0), "CONVERT(char(15), DAY, 111) = '2024/03/15'");
    EXPECT_EQ(CFILTERLIST::sqlOperatorsEx(false).size(), 28u);
    EXPECT_EQ(CFILTERLIST::filterOperatorsEx().size(), 30u);
    EXPECT_EQ(CFILTERLIST::sqlOperators().size(), 22u);
    EXPECT_EQ(f.DEFAULTOPEONDROP, "");
    auto gp = builder(false);
        CFILTERLIST& g = *gp;
    EXPECT_EQ(g.DEFAULTOPEONDROP, "Equal");
    EXPECT_EQ(g.CONNECTOPEQ, QStringList({"AND", "AND (...", "...) AND", "OR", "OR (...", "...) OR", "DONE", "...) DONE"}));
}

TEST(FilterBuilder, EditingKeepsTheQueryTerminated)
{
    auto fp = builder(false);
        CFILTERLIST& f = *fp;
    f.FILTERQ = {{"Name", "Equal", "a", "OR (..."}, {"Name", "Equal", "b", "...) DONE"}};
    f.deleteCondition(1);
    ASSERT_EQ(f.FILTERQ.size(), 1u);
    EXPECT_EQ(f.FILTERQ[0].CONNECTION, "...) DONE");

    f.FILTERQ = {{"Name", "Equal", "a", "DONE"}};
    EXPECT_TRUE(f.ONDROP("Name[+];Smith"));
    ASSERT_EQ(f.FILTERQ.size(), 2u);
    EXPECT_EQ(f.FILTERQ[0].CONNECTION, "AND");
    EXPECT_EQ(f.FILTERQ[1], (FilterCondition{"Name", "Equal", "Smith", "DONE"}));
    EXPECT_FALSE(f.ONDROP("Nobody;1")); // unknown column: the list stays terminated
    EXPECT_EQ(f.FILTERQ.back().CONNECTION, "DONE");
    EXPECT_TRUE(f.ONDROP("Day[-];80000"));
    EXPECT_EQ(f.FILTERQ.back().VALUE, ext::picture::writeDate(vrt::dateFromDay(80000), "@d6."));

    const int added = f.insertCondition();
    EXPECT_EQ(f.FILTERQ[size_t(added) - 1].CONNECTION, "AND");
    f.cancelInsert();
    EXPECT_EQ(f.FILTERQ.back().CONNECTION, "DONE");

    f.FILTERQ = {{"Name", "Equal", "a", "AND"}, {"Name", "Equal", "b", "AND"}, {"Name", "Equal", "c", "DONE"}};
    f.FILTERQ[0].CONNECTION = "DONE";
    EXPECT_FALSE(f.changed(0)); // what came after the new end goes
    EXPECT_EQ(f.FILTERQ.size(), 1u);
    f.FILTERQ[0].CONNECTION = "OR";
    EXPECT_TRUE(f.changed(0)); // the last one no longer ends the query: insert follows
}

// The query windows, scripted; a delete is always confirmed.
struct ScriptedWindows : ext::FilterListWindows {
    std::function<bool(QString&, const std::function<QString(const QString&)>&)> name;
    std::function<QString(QStringList&, const std::function<bool(const QString&)>&)> list;
    std::function<void(const QString&, const QString&)> told;
    bool nameWindow(QString& n, const std::function<QString(const QString&)>& refuse) override
    {
        return name && name(n, refuse);
    }
    QString listWindow(QStringList& names, const std::function<bool(const QString&)>& remove) override
    {
        return list ? list(names, remove) : QString();
    }
    void inform(const QString& text, const QString& caption) override
    {
        if (told)
            told(text, caption);
    }
    bool confirm(const QString&, const QString&) override { return true; }
};

TEST(FilterBuilder, QueriesInAnIniFile)
{
    testsupport::TempFolder folder;
    auto fp = builder(false);
        CFILTERLIST& f = *fp;
    f.APPNAME = "Velmora";
    f.PROCNAME = "Contacts";
    ASSERT_TRUE(f.INITINI(folder.file("queries.ini")));
    ScriptedWindows windows;
    f.setWindows(&windows);
    QStringList told;
    windows.told = [&](const QString& text, const QString& caption) { told << caption + ": " + text; };
    QStringList names = {"Zagreb"};
    QStringList refusals;
    windows.name = [&](QString& name, const std::function<QString(const QString&)>& refuse) {
        while (!names.isEmpty()) {
            name = names.takeFirst();
            const QString why = refuse(name);
            if (why.isEmpty())
                return true;
            refusals << why;
        }
        return false;
    };

    f.FILTERQ = {{"Name", "Equal", "a|b\\c", "OR"}};
    f.SAVE();
    EXPECT_EQ(told, QStringList({"Error!: Query is not terminated by 'DONE' or '...) DONE'"}));
    f.FILTERQ.back().CONNECTION = "DONE";
    f.SAVE();
    EXPECT_EQ(f.CURRENTQUERY, "Zagreb");
    vrt::IniFile& ini = *f.ini();
    EXPECT_EQ(ini.get("Velmora_Contacts_QUERIES", "ENTRIES"), "1");
    EXPECT_EQ(ini.get("Velmora_Contacts_QUERIES", "ENTRY_1"), "Zagreb");

    // Saving it again replaces its rows; the list section stays.
    f.FILTERQ = {{"Name", "Equal", "x", "AND"}, {"Amount", "Greater Than", "5", "DONE"}};
    f.SAVE();
    EXPECT_EQ(ini.get("Velmora_Contacts_QUERIES", "ENTRIES"), "1");
    EXPECT_EQ(ini.get("Velmora_Contacts_Zagreb", "ENTRIES"), "2");

    names = {"Zagreb", "a]b", "Split"};
    f.SAVEAS();
    EXPECT_EQ(refusals, QStringList({"This Query name already exists!", "A query name cannot contain [ ] = ; or line breaks."}));
    EXPECT_EQ(f.CURRENTQUERY, "Split");
    EXPECT_EQ(ini.get("Velmora_Contacts_QUERIES", "ENTRIES"), "2");

    const std::vector<FilterCondition> split = f.FILTERQ;
    f.RESET();
    windows.list = [&](QStringList& offered, const std::function<bool(const QString&)>& remove) {
        EXPECT_EQ(offered, QStringList({"Zagreb", "Split"}));
        EXPECT_TRUE(remove("Zagreb"));
        return QStringLiteral("Split");
    };
    f.LOAD();
    EXPECT_EQ(f.FILTERQ, split);
    EXPECT_EQ(f.CURRENTQUERY, "Split");
    EXPECT_EQ(f.queryNames(), QStringList({"Split"}));

    // Values with the row's own separators come back whole.
    f.FILTERQ = {{"Name", "Equal", "a|b\\c", "DONE"}};
    f.SAVE();
    f.RESET();
    windows.list = [](QStringList&, const std::function<bool(const QString&)>&) { return QStringLiteral("Split"); };
    f.LOAD();
    ASSERT_EQ(f.FILTERQ.size(), 1u);
    EXPECT_EQ(f.FILTERQ[0].VALUE, "a|b\\c");

    // Only deleted slots: no window at all.
    EXPECT_TRUE(f.deleteQuery("Split"));
    bool opened = false;
    windows.list = [&](QStringList&, const std::function<bool(const QString&)>&) {
        opened = true;
        return QString();
    };
    f.LOAD();
    EXPECT_FALSE(opened);
}

TEST(FilterBuilder, PicturesWriteAndReadDatesAndTimes)
{
    using namespace ext::picture;
    const QDate d(2024, 3, 5);
    const std::vector<std::pair<QString, QString>> dates = {
        {"@d6.", "05.03.2024"}, {"@d10", "2024/03/05"}, {"@d10-", "2024-03-05"}, {"@d2", "03/05/2024"},
        {"@d12", "20240305"},   {"@d5", "05/03/24"}};
    for (const auto& [pic, text] : dates) {
        EXPECT_EQ(writeDate(d, pic), text) << pic.toStdString();
        EXPECT_EQ(readDate(text, pic), d) << pic.toStdString();
    }
    EXPECT_EQ(writeTime(QTime(8, 5, 9), "@t04"), "08:05:09");
    EXPECT_EQ(writeTime(QTime(8, 5, 9), "@t4"), "8:05:09");
    EXPECT_EQ(writeTime(QTime(8, 5), "@t1"), "8:05");
    EXPECT_FALSE(readDate("31.02.2024", "@d6.").has_value());
    EXPECT_FALSE(isDate("@s20"));
}
