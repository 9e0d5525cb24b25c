// The ribbon as built against the command table the organiser window dispatches on.
#include <gtest/gtest.h>

#include "controls/Images.h"
#include "controls/RibbonBar.h"
#include "shell/RibbonBuilder.h"
#include "shell/RibbonModel.h"

#include <QSet>
#include <map>

using namespace shell;

namespace {

struct Row {
    int tab;
    int group;
    const char* groupCaption;
    int parent; // 0: directly in the group; else the popup or drop-down it belongs to
    int id;
    const char* caption;
    int type;
    bool separator;
    const char* icon;
};

// Transcribed independently of the model, tab by tab, in the order the controls are added.
const Row kGolden[] = {
    {1, 1, "Obrada", 0, 1001, "Izradi novi", 2, false, "1309988037_label_black_new.ico"},
    {1, 1, "Obrada", 1001, 1002, "Email", 1, false, "mail.ico"},
    {1, 1, "Obrada", 1001, 1003, "Zadatak", 1, false, "KasniDatumi.ico"},
    {1, 1, "Obrada", 1001, 1004, "Proizvod/usluga", 1, false, "brickwall.ico"},
    {1, 1, "Obrada", 1001, 1005, "Financijski dokument", 3, false, "money.ico"},
    {1, 1, "Obrada", 1005, 1100, "Prihod", 1, false, ""},
    {1, 1, "Obrada", 1005, 1101, "Trošak", 1, false, ""},
    {1, 1, "Obrada", 1005, 1102, "Ulazni dokument", 1, true, ""},
    {1, 1, "Obrada", 1005, 1103, "Izlazni dokument", 1, false, ""},
    {1, 1, "Obrada", 1001, 1007, "Password", 1, false, "bcc.ico"},
    {1, 1, "Obrada", 1001, 1015, "Kontakt", 1, false, "dude2.ico"},
    {1, 1, "Obrada", 0, 1014, "Osvježi prikaz", 1, true, "1310068679_gtk-refresh.ico"},

    {2, 4, "E-mail obrada", 0, 2001, "Novi email", 1, false, "1309363638_mail.ico"},
    {2, 4, "E-mail obrada", 0, 2002, "Odgovori", 1, false, "1309363855_Reply.ico"},
    {2, 4, "E-mail obrada", 0, 2003, "Odgovori svima", 1, false, "1309364762_forward.ico"},
    {2, 4, "E-mail obrada", 0, 2004, "Proslijedi", 1, false, "1309363864_email_forward.ico"},
    {2, 4, "E-mail obrada", 0, 2005, "Šalji/primaj", 1, true, "1309365103_Gnome-Network-Receive-48.ico"},
    {2, 4, "E-mail obrada", 0, 2006, "Obriši", 1, true, "1309365145_onebit_33.ico"},
    {2, 4, "Ispis", 0, 2007, "Ispis", 1, false, "printer.ico"},

    {3, 4, "Kategorije", 0, 3001, "Unos", 1, false, "i.ico"},
    {3, 4, "Kategorije", 0, 3002, "Izmjena", 1, false, "c.ico"},
    {3, 4, "Kategorije", 0, 3003, "Brisanje", 1, false, "d.ico"},
    {3, 4, "Zadaci", 0, 3004, "Unos", 1, false, "i.ico"},
    {3, 4, "Zadaci", 0, 3005, "Izmjena", 1, false, "c.ico"},
    {3, 4, "Zadaci", 0, 3006, "Brisanje", 1, false, "d.ico"},
    {3, 4, "Zadaci", 0, 3007, "Ispis", 1, true, "printer.ico"},

    {4, 4, "Zadaci", 0, 4004, "Osvježi", 1, true, "OtvoriSve.ico"},
    {4, 4, "Zadaci", 0, 4005, "Ispis", 1, true, "printer.ico"},

    {5, 4, "Datoteka", 0, 5001, "Novi plan", 1, false, "1311020299_document-new.ico"},
    {5, 4, "Datoteka", 0, 5002, "Otvori", 1, false, "1311020374_Open.ico"},
    {5, 4, "Datoteka", 0, 5010, "Spremi plan", 2, true, "1311020423_Floppy-64.ico"},
    {5, 4, "Datoteka", 5010, 5003, "Spremi", 1, false, "1311020654_column_tree.ico"},
    {5, 4, "Datoteka", 5010, 5011, "Spremi kao...", 1, false, "1311020299_document-new.ico"},
    {5, 4, "Datoteka", 5010, 5014, "Izvoz u MS Project XML", 1, true, "Excel.ico"},
    {5, 4, "Datoteka", 0, 5013, "MS Project XML", 1, true, "Excel.ico"},
    {5, 4, "Plan", 0, 5004, "Dodaj WBS", 1, false, "tree.ico"},
    {5, 4, "Plan", 0, 5009, "Dodaj aktivnost", 1, false, "1311020654_column_tree.ico"},
    {5, 4, "Plan", 0, 5012, "Obriši aktivnost", 1, false, "1309365145_onebit_33.ico"},
    {5, 4, "Pomicanje", 0, 5006, "Lijevo", 1, false, "1311020806_Backward-64.ico"},
    {5, 4, "Pomicanje", 0, 5005, "Desno", 1, false, "1311021047_Forward-64.ico"},
    {5, 4, "Pomicanje", 0, 5007, "Gore", 1, false, "1311021117_Up-64.ico"},
    {5, 4, "Pomicanje", 0, 5008, "Dole", 1, false, "1311020795_Down-64.ico"},

    {6, 4, "Osobne financije", 0, 6001, "Prihodi/troškovi", 1, false, "1310292424_invoice.ico"},
    {6, 4, "Poslovne financije", 0, 6003, "Ulazni dokumenti", 1, false, "1310292553_invoice.ico"},
    {6, 4, "Poslovne financije", 0, 6004, "Izlazni dokumenti", 1, false, "1310292562_invoice.ico"},
    {6, 4, "Poslovne financije", 0, 6005, "Stanje", 1, true, "1310292583_kchart.ico"},
    {6, 4, "Izvještaji", 0, 6999, "Ispis", 1, false, "printer.ico"},
    {6, 4, "Izvještaji", 0, 6998, "Excel", 1, false, "Excel.ico"},

    {7, 4, "Kategorije", 0, 7001, "Unos", 1, false, "i.ico"},
    {7, 4, "Kategorije", 0, 7002, "Izmjena", 1, false, "c.ico"},
    {7, 4, "Kategorije", 0, 7003, "Brisanje", 1, false, "d.ico"},
    {7, 4, "Password", 0, 7004, "Unos", 1, false, "i.ico"},
    {7, 4, "Password", 0, 7005, "Izmjena", 1, false, "c.ico"},
    {7, 4, "Password", 0, 7006, "Brisanje", 1, false, "d.ico"},

    {8, 4, "Grupe kontakata", 0, 8001, "Unos grupe", 1, false, "i.ico"},
    {8, 4, "Grupe kontakata", 0, 8002, "Unos podgrupe", 1, false, "i.ico"},
    {8, 4, "Grupe kontakata", 0, 8003, "Izmjena", 1, false, "c.ico"},
    {8, 4, "Grupe kontakata", 0, 8004, "Brisanje", 1, false, "d.ico"},
    {8, 4, "Kontakti", 0, 8005, "Unos", 1, false, "i.ico"},
    {8, 4, "Kontakti", 0, 8006, "Izmjena", 1, false, "c.ico"},
    {8, 4, "Kontakti", 0, 8007, "Brisanje", 1, false, "d.ico"},
    {8, 80, "Zadaci", 0, 8008, "Unos", 1, false, "i.ico"},
    {8, 80, "Zadaci", 0, 8009, "Izmjena", 1, false, "c.ico"},
    {8, 80, "Zadaci", 0, 8010, "Brisanje", 1, false, "d.ico"},
    {8, 81, "Ulazni dokumenti", 0, 8011, "Unos", 1, false, "i.ico"},
    {8, 81, "Ulazni dokumenti", 0, 8012, "Izmjena", 1, false, "c.ico"},
    {8, 81, "Ulazni dokumenti", 0, 8013, "Brisanje", 1, false, "d.ico"},
    {8, 82, "Izlazni dokumenti", 0, 8014, "Unos", 1, false, "i.ico"},
    {8, 82, "Izlazni dokumenti", 0, 8015, "Izmjena", 1, false, "c.ico"},
    {8, 82, "Izlazni dokumenti", 0, 8016, "Brisanje", 1, false, "d.ico"},
};

// The global group, the last group of every tab.
const Row kGlobal[] = {
    {0, 2, "Globalno", 0, 1009, "Podešavanje", 2, false, "1309989085_advancedsettings.ico"},
    {0, 2, "Globalno", 1009, 1010, "Programa", 1, false, "1309988935_wheel.ico"},
    {0, 2, "Globalno", 1009, 1011, "Email računa", 1, false, "1309386212_contact.ico"},
    {0, 2, "Globalno", 0, 1012, "Arhiviranje", 1, false, "1310033331_Archive.ico"},
    {0, 2, "Globalno", 0, 1013, "Izlaz", 1, false, "1310292881_exit.ico"},
};

const std::pair<int, const char*> kTabs[] = {
    {100000, "Moj organizator"}, {200000, "E-mail"}, {300000, "Zadaci"}, {400000, "Kalendar"},
    {500000, "Planiranje"}, {600000, "Financije"}, {700000, "Sigurnost"}, {800000, "Adresar"}};

struct Built {
    int group;
    QString groupCaption;
    int parent, id;
    QString caption;
    int type;
    bool separator;
    bool hasIcon;
};

void walk(const QList<controls::RibbonControl*>& list, int group, const QString& caption, int parent,
          std::vector<Built>& out)
{
    for (controls::RibbonControl* c : list) {
        out.push_back({group, caption, parent, c->id(), c->text(), int(c->type()), c->beginGroup(),
                       !c->icon().isNull()});
        if (c->existingCommandBar())
            walk(c->existingCommandBar()->controls(), group, caption, c->id(), out);
    }
}

class RibbonTable : public ::testing::Test {
protected:
    void SetUp() override { buildRibbon(bar, QString(), [](const QString& s) { return s; }, 1); }
    std::vector<Built> controlsOf(int tabIndex, bool global)
    {
        std::vector<Built> out;
        for (controls::RibbonGroup* g : bar.groups(tabIndex))
            if ((g->id() == kGlobalGroupId) == global)
                walk(g->controls(), g->id(), g->caption(), 0, out);
        return out;
    }
    static void expectRow(const Built& b, const Row& r)
    {
        SCOPED_TRACE(r.id);
        EXPECT_EQ(b.group, r.group);
        EXPECT_EQ(b.groupCaption, QString::fromUtf8(r.groupCaption));
        EXPECT_EQ(b.parent, r.parent);
        EXPECT_EQ(b.id, r.id);
        EXPECT_EQ(b.caption, QString::fromUtf8(r.caption));
        EXPECT_EQ(b.type, r.type);
        EXPECT_EQ(b.separator, r.separator);
        EXPECT_EQ(b.hasIcon, *r.icon != 0);
    }
    controls::RibbonBar bar;
};

} // namespace

TEST_F(RibbonTable, TabsCarryTheirIdsCaptionsAndImages)
{
    ASSERT_EQ(bar.tabCount(), 8);
    for (int k = 0; k < 8; ++k) {
        EXPECT_EQ(bar.tabId(k), kTabs[k].first);
        EXPECT_EQ(bar.tabCaption(k), QString::fromUtf8(kTabs[k].second));
        EXPECT_FALSE(bar.icon(kTabs[k].first).isNull());
    }
}

TEST_F(RibbonTable, EveryCommandSitsInItsTabAndGroupWithItsText)
{
    for (int k = 1; k <= 8; ++k) {
        SCOPED_TRACE(k);
        std::vector<const Row*> expected;
        for (const Row& r : kGolden)
            if (r.tab == k)
                expected.push_back(&r);
        const std::vector<Built> built = controlsOf(k - 1, false);
        ASSERT_EQ(built.size(), expected.size());
        for (std::size_t i = 0; i < built.size(); ++i)
            expectRow(built[i], *expected[i]);
    }
}

TEST_F(RibbonTable, GlobalGroupEndsEveryTab)
{
    for (int k = 0; k < 8; ++k) {
        SCOPED_TRACE(k);
        ASSERT_EQ(bar.groups(k).back()->id(), kGlobalGroupId);
        const std::vector<Built> built = controlsOf(k, true);
        ASSERT_EQ(built.size(), std::size(kGlobal));
        for (std::size_t i = 0; i < built.size(); ++i)
            expectRow(built[i], kGlobal[i]);
    }
}

TEST_F(RibbonTable, EachCommandIdOccursOncePerTabAndOnlyOnOneTabOutsideTheGlobalGroup)
{
    QSet<int> seen;
    for (int k = 0; k < 8; ++k)
        for (const Built& b : controlsOf(k, false)) {
            EXPECT_FALSE(seen.contains(b.id)) << b.id;
            seen.insert(b.id);
            EXPECT_LT(b.id, kFirstReservedId);
        }
    EXPECT_EQ(seen.size(), int(std::size(kGolden)));
}

TEST_F(RibbonTable, OnlyTheAddressBookTaskAndDocumentGroupsStartHidden)
{
    for (int k = 0; k < 8; ++k)
        for (controls::RibbonGroup* g : bar.groups(k))
            EXPECT_EQ(g->isHidden(), k == 7 && g->id() >= 80 && g->id() <= 82) << k << " " << g->id();
}

TEST(RibbonIcons, RegisteredTabsFirstThenCommandIdsUpwardEachOnceWithTheirFiles)
{
    std::map<int, QString> expected;
    for (const Row& r : kGolden)
        if (*r.icon)
            expected[r.id] = QString::fromUtf8(r.icon);
    for (const Row& r : kGlobal)
        expected[r.id] = QString::fromUtf8(r.icon);
    const std::pair<int, const char*> unbound[] = {
        {1006, "gant.ico"}, {1008, "1309365103_Gnome-Network-Receive-48.ico"},
        {2008, "1309386212_contact.ico"}, {4001, "i.ico"}, {4002, "c.ico"}, {4003, "d.ico"},
        {6002, "printer.ico"}};
    for (const auto& [id, file] : unbound)
        expected[id] = QString::fromUtf8(file);
    const char* tabIcons[] = {"dudes.ico", "mail.ico", "hand_paper.ico", "KasniDatumi.ico",
                              "cart1.ico", "money.ico", "Folder3.ico", "dude.ico"};

    const std::vector<RibbonIconDef> icons = ribbonIcons();
    ASSERT_EQ(icons.size(), expected.size() + 8);
    for (int k = 0; k < 8; ++k) {
        EXPECT_EQ(icons[k].id, (k + 1) * 100000);
        EXPECT_EQ(icons[k].file, QString::fromLatin1(tabIcons[k]));
    }
    auto it = expected.begin();
    for (std::size_t i = 8; i < icons.size(); ++i, ++it) {
        EXPECT_EQ(icons[i].id, it->first);
        EXPECT_EQ(icons[i].file, it->second);
    }
}

TEST(RibbonIcons, EveryIconFileHasADrawing)
{
    for (const RibbonIconDef& icon : ribbonIcons())
        EXPECT_FALSE(controls::imageIcon(QString(), icon.file).pixmap(32, 32).isNull()) << icon.file.toStdString();
}

TEST(RibbonBuild, CaptionsPassThroughTheTranslatorAndTheStoredTabIsShown)
{
    controls::RibbonBar bar;
    buildRibbon(bar, QString(), [](const QString& s) { return QStringLiteral("<%1>").arg(s); }, 6);
    EXPECT_EQ(bar.tabCaption(0), QStringLiteral("<Moj organizator>"));
    EXPECT_EQ(bar.groups(1).front()->caption(), QStringLiteral("<E-mail obrada>"));
    EXPECT_EQ(bar.findControl(0, 1101)->text(), QStringLiteral("<Trošak>"));
    EXPECT_EQ(bar.selectedTab(), 5);
}

TEST(RibbonStartTab, StoredLastTabOutsideOneToEightShowsTheFirst)
{
    const std::pair<long long, int> cases[] = {{1, 1}, {5, 5}, {8, 8}, {0, 1}, {9, 1}, {-3, 1}, {255, 1}};
    for (const auto& [stored, shown] : cases)
        EXPECT_EQ(startTab(stored), shown) << stored;
}
