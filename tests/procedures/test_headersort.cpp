#include <gtest/gtest.h>

#include "procedures/common/HeaderSort.h"
#include "procedures/common/HeaderSortView.h"
#include "runtime/IniFile.h"
#include "runtime/RegionalTexts.h"
#include "tests/support/TestSupport.h"

#include <QHeaderView>
#include <QSettings>
#include <QStandardItemModel>
#include <QTableView>
#include <QTest>

using namespace VelmoraDll;

namespace {

struct Column {
    QString header, field, picture;
    int width = 50;
};

struct FakeList : SortableList {
    std::vector<Column> cols;
    int columnCount() const override { return static_cast<int>(cols.size()); }
    QString headerText(int c) const override { return cols[c - 1].header; }
    void setHeaderText(int c, const QString& t) override { cols[c - 1].header = t; }
    QString fieldName(int c) const override { return cols[c - 1].field; }
    QString picture(int c) const override { return cols[c - 1].picture; }
    int width(int c) const override { return cols[c - 1].width; }
    QStringList headers() const
    {
        QStringList out;
        for (const Column& c : cols)
            out << c.header;
        return out;
    }
};

struct Sorter : HeaderSortManager {
    QStringList applied;
    void ApplySort(const QString& order) override { applied << order; }
};

FakeList contacts()
{
    FakeList l;
    l.cols = {{"Prezime", "CON:Prezime", "@s40"},
              {"Ime", "CON:Ime", "@s30"},
              {"Rođen", "CON:Datum", "@d6"},
              {"Iznos", "CON:Iznos", "@n12.2"},
              {"Skriveno", "CON:Skriveno", "@s10", 0}};
    return l;
}

const std::vector<SortKeyComponent> kKeyById = {{"CON:ID", true}};

// Croatian letter order for as long as it lives.
class CroatianCollation {
public:
    CroatianCollation()
    {
        vrt::RegionalTexts hr = m_saved;
        hr.collation = QStringLiteral("ABCČĆDĐEFGHIJKLMNOPQRSŠTUVWXYZŽabcčćdđefghijklmnopqrsštuvwxyzž");
        vrt::setRegionalTexts(hr);
    }
    ~CroatianCollation() { vrt::setRegionalTexts(m_saved); }

private:
    const vrt::RegionalTexts m_saved = vrt::regionalTexts();
};

} // namespace

TEST(HeaderSort, ClickSequences)
{
    using C = HeaderSortManager;
    struct Step {
        int column, code;
        QStringList headers; // columns 1-3
        QString order;
    };
    struct Case {
        const char* what;
        std::vector<Step> steps;
    };
    const Case cases[] = {
        {"plain x3 flips the direction",
         {{1, C::ClickPlain, {"Prezime[+]", "Ime", "Rođen"}, "+UPPER(CON:Prezime),+CON:ID"},
          {1, C::ClickPlain, {"Prezime[-]", "Ime", "Rođen"}, "-UPPER(CON:Prezime),+CON:ID"},
          {1, C::ClickPlain, {"Prezime[+]", "Ime", "Rođen"}, "+UPPER(CON:Prezime),+CON:ID"}}},
        {"plain A, Ctrl B, Ctrl B",
         {{1, C::ClickPlain, {"Prezime[+]", "Ime", "Rođen"}, "+UPPER(CON:Prezime),+CON:ID"},
          {2, C::ClickCtrl, {"Prezime[+1]", "Ime[+2]", "Rođen"}, "+UPPER(CON:Prezime),+UPPER(CON:Ime),+CON:ID"},
          {2, C::ClickCtrl, {"Prezime[+1]", "Ime[-2]", "Rođen"}, "+UPPER(CON:Prezime),-UPPER(CON:Ime),+CON:ID"}}},
        {"another column starts ascending; a date is never upper-cased",
         {{1, C::ClickPlain, {"Prezime[+]", "Ime", "Rođen"}, "+UPPER(CON:Prezime),+CON:ID"},
          {3, C::ClickPlain, {"Prezime", "Ime", "Rođen[+]"}, "+CON:Datum,+CON:ID"}}},
    };
    for (const Case& c : cases) {
        FakeList list = contacts();
        Sorter s;
        s.Init(&list, 21, kKeyById);
        for (const Step& st : c.steps) {
            s.applied.clear();
            s.TakeHeaderClick(st.column, st.code);
            EXPECT_EQ(list.headers().mid(0, 3), st.headers) << c.what;
            EXPECT_EQ(s.applied, QStringList{st.order}) << c.what;
        }
    }
}

TEST(HeaderSort, ShiftReturnsToTheListsOwnOrder)
{
    FakeList list = contacts();
    Sorter s;
    s.Init(&list, 21, kKeyById);
    s.TakeHeaderClick(1, HeaderSortManager::ClickPlain);
    s.TakeHeaderClick(2, HeaderSortManager::ClickCtrl);
    s.applied.clear();
    s.TakeHeaderClick(2, HeaderSortManager::ClickShift);
    EXPECT_EQ(s.applied, (QStringList{QString(), QStringLiteral("+CON:ID")}));
    EXPECT_EQ(list.headers().mid(0, 3), (QStringList{"Prezime", "Ime", "Rođen"}));
    EXPECT_TRUE(s.sortQueue().empty());

    // Hidden and refused columns sort nothing.
    s.applied.clear();
    s.TakeHeaderClick(5, HeaderSortManager::ClickPlain);
    s.TakeHeaderClick(0, HeaderSortManager::ClickPlain);
    s.TakeHeaderClick(9, HeaderSortManager::ClickPlain);
    EXPECT_TRUE(s.applied.isEmpty());
}

TEST(HeaderSort, OrderTextRules)
{
    struct Case {
        const char* what;
        bool nocase, pictureForCase;
        QString picture;
        std::vector<SortKeyComponent> key;
        QString order;
    };
    const Case cases[] = {
        {"text column upper-cased", true, false, "@s40", {{"CON:ID", true}}, "+UPPER(CON:Prezime),+CON:ID"},
        {"no case rule: plain", false, false, "@s40", {}, "+CON:Prezime"},
        {"picture rule, lower-case s", false, true, "@s20", {}, "+UPPER(CON:Prezime)"},
        {"picture rule, upper-case S", false, true, "@S20", {}, "+UPPER(CON:Prezime)"},
        {"picture rule, numeric", false, true, "@n9", {}, "+CON:Prezime"},
        {"empty picture counts as text", true, false, "", {}, "+UPPER(CON:Prezime)"},
        {"key component covered with UPPER", true, false, "@s40", {{"con:prezime", false}, {"CON:ID", false}},
         "+UPPER(CON:Prezime),-CON:ID"},
        {"key component covered plain", false, false, "@s40", {{"CON:Prezime", true}}, "+CON:Prezime"},
    };
    for (const Case& c : cases) {
        FakeList list = contacts();
        list.cols[0].picture = c.picture;
        Sorter s;
        s.Init(&list, 1, c.key);
        s.NOCASE = c.nocase;
        s.USEPICTUREFORCASE = c.pictureForCase;
        s.TakeHeaderClick(1, HeaderSortManager::ClickPlain);
        EXPECT_EQ(s.applied, QStringList{c.order}) << c.what;
    }

    // The organiser's example: Prezime descending, then Ime ascending.
    FakeList list = contacts();
    Sorter s;
    s.Init(&list, 21, kKeyById);
    s.SetSortFromText(QStringLiteral("-CON:PREZIME,CON:IME"));
    EXPECT_EQ(s.applied.last(), QStringLiteral("-UPPER(CON:Prezime),+UPPER(CON:Ime),+CON:ID"));

    // A view over an SQL table compares without case by itself.
    FakeList sqlList = contacts();
    Sorter sql;
    sql.Init(&sqlList, 1, {}, QStringList{"CON:Prezime"}, true);
    EXPECT_FALSE(sql.NOCASE);
}

TEST(HeaderSort, StateTextIsReadBack)
{
    struct Case {
        const char* what;
        QString text;
        bool multiple;
        std::optional<QStringList> view;
        QString state;
    };
    const Case cases[] = {
        {"single column only", "CON:IME,-CON:PREZIME", false, std::nullopt, "CON:IME"},
        {"both columns", "CON:IME,-CON:PREZIME", true, std::nullopt, "CON:IME,-CON:PREZIME"},
        {"blank and sign and case", " +con:ime", true, std::nullopt, "CON:IME"},
        {"hidden, unknown and refused skipped", "CON:SKRIVENO,CON:NEMA,CON:DATUM,-CON:IME", true,
         QStringList{"CON:Ime", "CON:Prezime"}, "-CON:IME"},
        {"empty tokens skipped", ",,-con:datum,", true, std::nullopt, "-CON:DATUM"},
        {"blank", "   ", true, std::nullopt, ""},
    };
    for (const Case& c : cases) {
        FakeList list = contacts();
        Sorter s;
        s.Init(&list, 1, {}, c.view);
        s.MULTIPLECOLUMNS = c.multiple;
        s.SetSortFromText(c.text);
        EXPECT_EQ(s.SortStateText(), c.state) << c.what;
    }
    // No limit on the length of a stored text.
    FakeList wide;
    for (int i = 1; i <= 120; ++i)
        wide.cols.push_back({QStringLiteral("H%1").arg(i), QStringLiteral("T:FIELDNUMBER%1").arg(i), "@s5"});
    QStringList tokens;
    for (int i = 1; i <= 120; ++i)
        tokens << QStringLiteral("-T:FIELDNUMBER%1").arg(i);
    Sorter s;
    s.Init(&wide, 1);
    s.SetSortFromText(tokens.join(','));
    EXPECT_EQ(s.sortQueue().size(), 120u);
    EXPECT_EQ(s.SortStateText(), tokens.join(','));
}

TEST(HeaderSort, StateIsKeptInAnIniFileOrTheUserSettings)
{
    testsupport::TempFolder dir;
    testsupport::CwdGuard cwd(dir.path());
    const QString ini = dir.file("sort.ini");
    struct Case {
        QString location;
        bool inIni;
    };
    // The positive text of a root handle is only a file name.
    const Case cases[] = {{ini, true}, {QStringLiteral("2147483649"), true}, {QStringLiteral("-2147483647"), false}};
    for (const Case& c : cases) {
        const QString& location = c.location;
        {
            FakeList list = contacts();
            Sorter s;
            s.Init(&list, 21, {}, std::nullopt, false, QStringLiteral("Software\\Velmora\\W_First"), location);
            s.TakeHeaderClick(2, HeaderSortManager::ClickPlain);
            s.TakeHeaderClick(2, HeaderSortManager::ClickPlain);
            s.Kill();
            EXPECT_EQ(list.headers()[1], QStringLiteral("Ime")) << "Kill takes the marks off";
        }
        const QString stored = vrt::IniFile(location).get(QStringLiteral("Software\\Velmora\\W_First"),
                                                          QStringLiteral("SortHeader_21"));
        EXPECT_EQ(stored, c.inIni ? QStringLiteral("-CON:IME") : QString()) << location.toStdString();
        FakeList list = contacts();
        Sorter s;
        s.Init(&list, 21, {}, std::nullopt, false, QStringLiteral("Software\\Velmora\\W_First"), location);
        EXPECT_EQ(s.SortStateText(), QStringLiteral("-CON:IME")) << location.toStdString();
        EXPECT_EQ(list.headers()[1], QStringLiteral("Ime[-]"));
    }
    QSettings user(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Velmora"), QStringLiteral("Registry"));
    EXPECT_EQ(user.value(QStringLiteral("HKEY_CURRENT_USER/Software/Velmora/W_First/SortHeader_21")).toString(),
              QStringLiteral("-CON:IME"));
}

TEST(HeaderSort, OrderTextSortsRowsInMemory)
{
    const auto terms = parseOrderText(" -UPPER(CON:Prezime),+CON:ID,, CON:Ime");
    ASSERT_EQ(terms.size(), 3u);
    EXPECT_EQ(terms[0].field, QString("CON:Prezime"));
    EXPECT_TRUE(terms[0].descending && terms[0].caseless);
    EXPECT_FALSE(terms[1].descending || terms[1].caseless);
    EXPECT_EQ(terms[2].field, QString("CON:Ime"));

    struct Row {
        QString name;
        int id;
    };
    std::vector<Row> rows = {{"čaša", 3}, {"Cesta", 1}, {"ćup", 2}, {"cesta", 4}, {"dom", 5}};
    {
        const CroatianCollation croatian;
        sortRowsByOrder<Row>(rows, "+UPPER(N),-ID", [](const Row& r, const QString& f) {
            return f == "N" ? QVariant(r.name) : QVariant(r.id);
        });
    }
    QStringList order;
    for (const Row& r : rows)
        order << r.name;
    EXPECT_EQ(order, (QStringList{"cesta", "Cesta", "čaša", "ćup", "dom"}));
}

TEST(HeaderSort, HeaderClicksWithModifiersOnAView)
{
    QStandardItemModel model;
    model.setHorizontalHeaderLabels({"Prezime", "Ime", "Iznos"});
    for (const auto& [p, i, n] : {std::tuple{"Zorić", "Ana", "10.5"}, {"ćorić", "Ivo", "9"}, {"Babić", "Eva", "100"}})
        model.appendRow({new QStandardItem(p), new QStandardItem(i), new QStandardItem(n)});
    QTableView view;
    view.setModel(&model);
    view.resize(400, 200);
    view.show();
    auto* binding = new HeaderSortBinding(view.horizontalHeader(), {"CON:Prezime", "CON:Ime", "CON:Iznos"},
                                          {"@s20", "@s20", "@n10"});
    Sorter s;
    s.Init(binding, 1);
    binding->attach(&s);
    QHeaderView* h = view.horizontalHeader();
    const auto click = [&](int section, Qt::KeyboardModifiers mods) {
        const QPoint at(h->sectionViewportPosition(section) + h->sectionSize(section) / 2, h->height() / 2);
        QTest::mouseClick(h->viewport(), Qt::LeftButton, mods, at);
    };
    const auto column = [&](int c) {
        QStringList out;
        for (int r = 0; r < model.rowCount(); ++r)
            out << model.index(r, c).data().toString();
        return out;
    };
    click(2, Qt::NoModifier);
    EXPECT_EQ(column(2), (QStringList{"9", "10.5", "100"})) << "numbers as numbers";
    click(2, Qt::NoModifier);
    EXPECT_EQ(column(2), (QStringList{"100", "10.5", "9"}));
    {
        const CroatianCollation croatian;
        click(0, Qt::NoModifier);
    }
    EXPECT_EQ(column(1), (QStringList{"Eva", "Ivo", "Ana"})) << "text without case, Croatian order";
    click(2, Qt::ControlModifier);
    EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Prezime[+1]"));
    EXPECT_EQ(model.headerData(2, Qt::Horizontal).toString(), QStringLiteral("Iznos[+2]"));
    EXPECT_EQ(s.applied.last(), QStringLiteral("+UPPER(CON:Prezime),+CON:Iznos"));
    click(1, Qt::ShiftModifier);
    EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Prezime"));
    EXPECT_EQ(s.applied.last(), QString());
}
