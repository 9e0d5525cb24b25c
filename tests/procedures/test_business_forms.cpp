// Products, categories, items and documents through the organiser window's own forms.
#include "tests/procedures/BusinessFixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QDateEdit>
#include <QFile>
#include <QHeaderView>
#include <QGroupBox>
#include <QLabel>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

#include <set>
#include <thread>

#include "procedures/documents/BusinessForms.h"
#include "procedures/organiser/lists/ListDefs.h"
#include "procedures/organiser/lists/ListSet.h"
#include "procedures/organiser/panes/OrganiserPanes.h"
#include "runtime/DateTime.h"
#include "runtime/IniFile.h"
#include "runtime/Odbc.h"
#include "tests/support/ShippedTranslations.h"

using namespace bt;

TEST_F(BusinessTest, AProductUsedByAnItemCannotBeDeleted)
{
    const long cat = addCategory(Tbl::IDKategorija, "Račun");
    const long product = addProduct("Vijak");
    const long doc = addDocument(cat);
    const long item = addItem(doc, product, "1", "0.25", "1.25");
    Script s;
    auto deleteProduct = [&] {
        load(Tbl::ProizvodUsluga, product);
        GLOBALREQUEST = vrt::DELETE_RECORD;
        s.on("F_Proizvodi", [](QDialog& d) { return click(d, "?OK"); });
        forms().F_Proizvodi();
        return int(GLOBALRESPONSE);
    };
    EXPECT_EQ(deleteProduct(), vrt::REQUEST_CANCELLED);
    EXPECT_EQ(count(Access(Tbl::ProizvodUsluga).SqlName()), 1);
    const auto said = testsupport::presenter().calls("message");
    ASSERT_FALSE(said.empty());
    EXPECT_EQ(said.back().text, QStringLiteral("Proizvod/usluga se koristi u stavkama dokumenta!"));

    load(Tbl::IDStavke, item);
    ASSERT_EQ(Relate(Tbl::IDStavke).Delete(false), 0);
    EXPECT_EQ(deleteProduct(), vrt::REQUEST_COMPLETED);
    EXPECT_EQ(count(Access(Tbl::ProizvodUsluga).SqlName()), 0);
}

TEST_F(BusinessTest, ADuplicateProductNameKeepsTheFormOpen)
{
    addProduct("Vijak");
    Script s;
    bool stayedOpen = false;
    s.on("F_Proizvodi", [&](QDialog& d) {
        type(d, "PRU:NAZIV", QStringLiteral("Vijak"));
        click(d, "?OK");
        stayedOpen = d.result() == QDialog::Rejected;
        type(d, "PRU:NAZIV", QStringLiteral("Matica"));
        type(d, "PRU:JM", QStringLiteral("kom"));
        return click(d, "?OK");
    });
    window->dispatcher().dispatch(1004); // the ribbon's new product
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(query("SELECT NAZIV || '/' || JM FROM " + tableName(Tbl::ProizvodUsluga) + " ORDER BY ID"),
              (std::vector<std::string>{"Vijak/kom", "Matica/kom"}));

    // Closed with "Zatvori", a picker answers cancelled and leaves the buffer's product.
    business::Forms f;
    PRU().ID = 1;
    QStringList firstRows;
    s.on("T_Proizvodi", [&](QDialog& d) {
        // A click on a heading orders the list by that column, a second one the other way.
        auto* view = d.findChild<vrt::BrowseView*>(QStringLiteral("?LIST"));
        firstRows << view->browse().model().rows().front().cells.front();
        for (int i = 0; i < 2; ++i) {
            emit view->horizontalHeader()->sectionClicked(0);
            firstRows << view->browse().model().rows().front().cells.front();
        }
        return click(d, "?CLOSE");
    });
    EXPECT_EQ(f.T_Proizvodi(vrt::SELECT_RECORD), vrt::REQUEST_CANCELLED);
    EXPECT_EQ(firstRows, (QStringList{"Vijak", "Matica", "Vijak"}));
    EXPECT_EQ(PRU().ID, 1);
}

TEST_F(BusinessTest, DeletingACategoryTakesItsDocumentsAndItemsInOneGo)
{
    const long a = addCategory(Tbl::IDKategorija, "A");
    const long b = addCategory(Tbl::IDKategorija, "B");
    const long product = addProduct("Usluga");
    for (int i = 0; i < 3; ++i) {
        const long doc = addDocument(a);
        addItem(doc, product, "1", "0", "1");
        addItem(doc, product, "2", "0", "2");
    }
    const long kept = addDocument(b);
    addItem(kept, product, "5", "0", "5");

    // The picker warns as the organiser window does; "No" deletes nothing.
    Script s;
    business::Forms f;
    testsupport::presenter().queueButton(vrt::BUTTON_NO);
    s.on("T_ID_Kategorija", [&](QDialog& d) {
        auto* view = d.findChild<vrt::BrowseView*>(QStringLiteral("?LIST"));
        view->browse().selectId(QVariant::fromValue<qlonglong>(a));
        click(d, "?DELETE");
        return click(d, "?CLOSE");
    });
    f.T_ID_Kategorija(0);
    EXPECT_EQ(testsupport::presenter().calls("message").back().text,
              QStringLiteral("Brisanjem kategorije obrisati će se dokumenti i stavke.Želite li nastaviti?"));
    EXPECT_EQ(count(Access(Tbl::IDStavke).SqlName()), 7);

    load(Tbl::IDKategorija, a);
    GLOBALREQUEST = vrt::DELETE_RECORD;
    s.on("F_ID_Kategorija", [](QDialog& d) { return click(d, "?OK"); });
    forms().F_ID_Kategorija();
    EXPECT_EQ(GLOBALRESPONSE, vrt::REQUEST_COMPLETED);
    EXPECT_EQ(query("SELECT ID FROM " + tableName(Tbl::IDKategorija)), std::vector<std::string>{std::to_string(b)});
    EXPECT_EQ(query("SELECT ID FROM " + tableName(Tbl::IDokumenti)), std::vector<std::string>{std::to_string(kept)});
    EXPECT_EQ(query("SELECT DOKUMENTID FROM " + tableName(Tbl::IDStavke)), std::vector<std::string>{std::to_string(kept)});
}

TEST_F(BusinessTest, ANewCategoryTakesTheNextOrderNumberAfterGaps)
{
    Script s;
    auto insert = [&](Tbl t, const char* form, const QString& name) {
        s.on(form, [name, form](QDialog& d) {
            type(d, QString::fromLatin1(form).startsWith("F_ID") ? "IDK:NAZIV" : "UDK:NAZIV", name);
            return click(d, "?OK");
        });
        GLOBALREQUEST = vrt::INSERT_RECORD;
        if (t == Tbl::IDKategorija)
            forms().F_ID_Kategorija();
        else
            forms().F_UD_Kategorija();
        return *static_cast<IDKategorija_Rec*>(corvalde::threadBuffer(t));
    };
    insert(Tbl::IDKategorija, "F_ID_Kategorija", "R1");
    const long second = insert(Tbl::IDKategorija, "F_ID_Kategorija", "R2").ID;
    insert(Tbl::IDKategorija, "F_ID_Kategorija", "R3");
    load(Tbl::IDKategorija, second);
    ASSERT_EQ(Relate(Tbl::IDKategorija).Delete(false), 0);
    EXPECT_EQ(insert(Tbl::IDKategorija, "F_ID_Kategorija", "R4").REDOSLIJED, 4);
    EXPECT_EQ(insert(Tbl::UDKategorija, "F_UD_Kategorija", "U1").REDOSLIJED, 1);

    // "Prekid" on a new category leaves no row behind.
    GLOBALREQUEST = vrt::INSERT_RECORD;
    s.on("F_UD_Kategorija", [](QDialog& d) { return click(d, "?CANCEL"); });
    forms().F_UD_Kategorija();
    EXPECT_EQ(count(Access(Tbl::UDKategorija).SqlName()), 1);
}

namespace {
// Fills a new item as a user does: the product from its picker, then the entries in order.
Script::Step itemSteps(long product, std::vector<std::pair<const char*, QString>> entries, const char* finish = "?OK")
{
    return [product, entries, finish](QDialog& d) {
        (void)product;
        for (const auto& [name, text] : entries)
            type(d, name, text);
        return click(d, finish);
    };
}
} // namespace

TEST_F(BusinessTest, ItemsKeepTheDocumentAmountAndTheProposedRate)
{
    const long cat = addCategory(Tbl::IDKategorija, "Račun");
    const long product = addProduct("Vijak");
    const long doc = addDocument(cat);
    Script s;
    auto newItem = [&](std::vector<std::pair<const char*, QString>> entries) {
        load(Tbl::IDokumenti, doc);
        IDS() = IDStavke_Rec{};
        IDS().DOKUMENTID = int32_t(doc);
        ASSERT_EQ(Access(Tbl::IDStavke).PrimeRecord(true), 0);
        s.on("T_Proizvodi", [product](QDialog& d) { return pick(d, product); });
        s.on("F_ID_Stavke", itemSteps(product, std::move(entries)));
        GLOBALREQUEST = vrt::INSERT_RECORD;
        forms().F_ID_Stavke();
        EXPECT_EQ(GLOBALRESPONSE, vrt::REQUEST_COMPLETED);
    };
    // The example line, a discount percentage and a typed gross amount.
    newItem({{"?IDS:KOLICINA_DECIMAL", "3"}, {"?IDS:CIJENA_DECIMAL", "3,33"}, {"?IDS:RABAT_POST_DECIMAL", "15"},
             {"?IDS:POREZ_STOPA_DECIMAL", "25"}});
    newItem({{"?IDS:KOLICINA_DECIMAL", "3"}, {"?IDS:IZNOS_SPDVOM_DECIMAL", "99,99"}});
    newItem({{"?IDS:KOLICINA_DECIMAL", "2"}, {"?IDS:CIJENA_DECIMAL", "10"}, {"?IDS:POREZ_STOPA_DECIMAL", "13"}});
    const std::string items = tableName(Tbl::IDStavke);
    EXPECT_EQ(query("SELECT RBR || ':' || PROIZVODUSLUGAID || ':' || POREZ_STOPA_DECIMAL || ':' || IZNOS_DECIMAL || ':' || "
                    "POREZ_IZNOS_DECIMAL || ':' || IZNOS_SPDVOM_DECIMAL FROM " + items + " ORDER BY RBR"),
              (std::vector<std::string>{"1:" + std::to_string(product) + ":25:8.4915:2.12:10.6115",
                                        "2:" + std::to_string(product) + ":25:79.992:20.00:99.992",
                                        "3:" + std::to_string(product) + ":13:20:2.60:22.6"}));
    // The document's amount is the exact sum of the items' gross amounts.
    EXPECT_EQ(one("SELECT IZNOS_DECIMAL FROM " + tableName(Tbl::IDokumenti)), "133.2035");
    // The rate of the last item saved is the next one's proposal.
    EXPECT_EQ(business::proposedTaxRate(), QStringLiteral("13"));

    // Deleting the second item with OK leaves the sum of the other two.
    load(Tbl::IDokumenti, doc);
    load(Tbl::IDStavke, std::stol(query("SELECT ID FROM " + items + " WHERE RBR = 2")[0]));
    s.on("F_ID_Stavke", [](QDialog& d) { return click(d, "?OK"); });
    GLOBALREQUEST = vrt::DELETE_RECORD;
    forms().F_ID_Stavke();
    EXPECT_EQ(one("SELECT IZNOS_DECIMAL FROM " + tableName(Tbl::IDokumenti)), "33.2115");
    // Items are never renumbered; the delete's OK wrote its rate (25) for the next one.
    newItem({{"?IDS:KOLICINA_DECIMAL", "1"}, {"?IDS:CIJENA_DECIMAL", "1"}});
    EXPECT_EQ(query("SELECT RBR FROM " + items + " ORDER BY RBR"), (std::vector<std::string>{"1", "3", "4"}));

    // "Prekid" changes nothing but still writes the amount from the stored items; it saves no rate.
    ASSERT_TRUE(business::execute("UPDATE " + tableName(Tbl::IDokumenti) + " SET IZNOS_DECIMAL = '7'", {}));
    load(Tbl::IDStavke, std::stol(query("SELECT ID FROM " + items + " WHERE RBR = 1")[0]));
    s.on("F_ID_Stavke", itemSteps(product, {{"?IDS:POREZ_STOPA_DECIMAL", "5"}}, "?CANCEL"));
    GLOBALREQUEST = vrt::CHANGE_RECORD;
    forms().F_ID_Stavke();
    EXPECT_EQ(GLOBALRESPONSE, vrt::REQUEST_CANCELLED);
    EXPECT_EQ(one("SELECT IZNOS_DECIMAL FROM " + tableName(Tbl::IDokumenti)), "34.4615");
    EXPECT_EQ(business::proposedTaxRate(), QStringLiteral("25"));
    EXPECT_EQ(one("SELECT POREZ_STOPA_DECIMAL FROM " + items + " WHERE RBR = 1"), "25");

    // With no items left the amount is 0.
    ASSERT_TRUE(business::execute("DELETE FROM " + items, {}));
    ASSERT_TRUE(business::writeDocumentTotal(doc));
    EXPECT_EQ(one("SELECT IZNOS_DECIMAL FROM " + tableName(Tbl::IDokumenti)), "0");
}

TEST_F(BusinessTest, AnItemNeedsItsDocumentAndCategory)
{
    ID() = IDokumenti_Rec{};
    IDS() = IDStavke_Rec{};
    ASSERT_EQ(Access(Tbl::IDStavke).PrimeRecord(true), 0);
    GLOBALREQUEST = vrt::INSERT_RECORD;
    forms().F_ID_Stavke();
    EXPECT_EQ(GLOBALRESPONSE, vrt::REQUEST_CANCELLED);
    EXPECT_EQ(testsupport::presenter().calls("message").back().text, QStringLiteral("Prethodno unesite dokument !"));
    EXPECT_EQ(count(Access(Tbl::IDStavke).SqlName()), 0);

    const long doc = addDocument(0);
    IDS() = IDStavke_Rec{};
    IDS().DOKUMENTID = int32_t(doc);
    ASSERT_EQ(Access(Tbl::IDStavke).PrimeRecord(true), 0);
    GLOBALREQUEST = vrt::INSERT_RECORD;
    forms().F_ID_Stavke();
    EXPECT_EQ(testsupport::presenter().calls("message").back().text, QStringLiteral("Prethodno odaberite kategoriju !"));
    EXPECT_EQ(count(Access(Tbl::IDStavke).SqlName()), 0);
}

TEST_F(BusinessTest, AnAmountThatDoesNotFitIsRefusedNotCut)
{
    const long cat = addCategory(Tbl::IDKategorija, "R");
    const long doc = addDocument(cat);
    load(Tbl::IDokumenti, doc);
    IDS() = IDStavke_Rec{};
    IDS().DOKUMENTID = int32_t(doc);
    ASSERT_EQ(Access(Tbl::IDStavke).PrimeRecord(true), 0);
    Script s;
    QString net;
    s.on("F_ID_Stavke", [&](QDialog& d) {
        type(d, "?IDS:KOLICINA_DECIMAL", "10");
        type(d, "?IDS:CIJENA_DECIMAL", "9999999999999999999");
        net = shown(d, "?IDS:IZNOS_DECIMAL");
        return click(d, "?OK");
    });
    GLOBALREQUEST = vrt::INSERT_RECORD;
    forms().F_ID_Stavke();
    EXPECT_EQ(net, QString()); // nothing computed from the refused price
    bool said = false;
    for (const auto& c : testsupport::presenter().calls("message"))
        said = said || c.text.startsWith(QStringLiteral("Iznos ne stane u polje:"));
    EXPECT_TRUE(said);
    EXPECT_EQ(one("SELECT CIJENA_DECIMAL || '|' || IZNOS_DECIMAL FROM " + tableName(Tbl::IDStavke)), "|0");
}

TEST_F(BusinessTest, ANewOutgoingDocumentIsNumberedCopiesTermsAndKeepsItsTotals)
{
    const long cat = addCategory(Tbl::IDKategorija, "R");
    const long other = addCategory(Tbl::IDKategorija, "P");
    const long customer = addContact("Kupac d.o.o.");
    const long product = addProduct("Vijak");
    // Three documents of R (the middle one deleted later) and a later one of P with the terms to copy.
    addDocument(cat);
    const long gone = addDocument(cat);
    addDocument(cat);
    addDocument(other);
    ID().ROKPLACANJA = 15;
    ID().NACINPLACANJA = "2";
    ID().NACINOTPREME = "Pošta";
    ID().NAPOMENA = "Hvala";
    ASSERT_EQ(Access(Tbl::IDokumenti).Update(), 0);
    load(Tbl::IDokumenti, gone);
    ASSERT_EQ(Relate(Tbl::IDokumenti).Delete(false), 0);

    Script s;
    s.on("T_ID_Kategorija", [&](QDialog& d) { return pick(d, cat); });
    s.on("T_Kontakti", [&](QDialog& d) { return pick(d, customer); });
    s.on("T_Proizvodi", [&](QDialog& d) { return pick(d, product); });
    s.on("F_ID_Stavke", itemSteps(product, {{"?IDS:KOLICINA_DECIMAL", "1"}, {"?IDS:CIJENA_DECIMAL", "0,1"}}));
    s.on("T_Proizvodi", [&](QDialog& d) { return pick(d, product); });
    s.on("F_ID_Stavke", itemSteps(product, {{"?IDS:KOLICINA_DECIMAL", "1"}, {"?IDS:CIJENA_DECIMAL", "0,2"}}));
    QString mark, title, term, shipping, total, method;
    bool finance = false;
    s.on("F_ID_Dokumenti", [&](QDialog& d) {
        title = d.findChild<QLabel*>(QStringLiteral("?NASLOV"))->text();
        mark = shown(d, "?ID:BROJDOKUMENTA");
        shipping = shown(d, "?ID:NACINOTPREME");
        method = d.findChild<QComboBox*>(QStringLiteral("?L:NP"))->currentText();
        finance = d.findChild<QCheckBox*>(QStringLiteral("?ID:UKLJUCIFIN"))->isChecked();
        auto* np = d.findChild<QComboBox*>(QStringLiteral("?L:NP"));
        np->setCurrentIndex(np->findData(QStringLiteral("4")));
        click(d, "?INSERT");
        click(d, "?INSERT");
        total = d.findChild<QLabel*>(QStringLiteral("?ID:IZNOS_DECIMAL"))->text();
        return click(d, "?OK");
    });
    window->dispatcher().InsertOutgoingDocument();
    EXPECT_EQ(GLOBALRESPONSE, vrt::REQUEST_COMPLETED);
    EXPECT_EQ(s.opened.mid(0, 3), (QStringList{"F_ID_Dokumenti", "T_ID_Kategorija", "T_Kontakti"}));
    EXPECT_EQ(title, QStringLiteral("Unos novog zapisa"));
    EXPECT_EQ(mark, QStringLiteral("R-4")); // the highest number in use + 1, never a repeat
    EXPECT_EQ(shipping, QStringLiteral("Pošta"));
    EXPECT_EQ(method, QStringLiteral("Gotovina"));
    EXPECT_TRUE(finance);
    EXPECT_EQ(total, QStringLiteral("0,30"));
    const long id = ID().ID;
    EXPECT_EQ(one("SELECT KATEGORIJAID || '|' || RBR || '|' || BROJDOKUMENTA || '|' || KUPACID || '|' || ROKPLACANJA || '|' || "
                  "NACINPLACANJA || '|' || NAPOMENA || '|' || IZNOS_DECIMAL || '|' || DATUM FROM " +
                  tableName(Tbl::IDokumenti) + " WHERE ID = " + std::to_string(id)),
              std::to_string(cat) + "|4|R-4|" + std::to_string(customer) + "|15|4|Hvala|0.3|" +
                  QDate::currentDate().toString(Qt::ISODate).toStdString());

    // Reopened, the payment method shows what was stored.
    Script again;
    again.on("F_ID_Dokumenti", [&](QDialog& d) {
        method = d.findChild<QComboBox*>(QStringLiteral("?L:NP"))->currentText();
        total = d.findChild<QLabel*>(QStringLiteral("?LN:UKUPNO"))->text();
        return click(d, "?CANCEL");
    });
    GLOBALREQUEST = vrt::CHANGE_RECORD;
    forms().F_ID_Dokumenti(std::nullopt);
    EXPECT_EQ(method, QStringLiteral("Kreditna kartica"));
    EXPECT_EQ(total, QStringLiteral("0,30"));
}

TEST_F(BusinessTest, CancellingANewDocumentTakesItsItemsToo)
{
    const long cat = addCategory(Tbl::IDKategorija, "R");
    const long customer = addContact("Kupac");
    const long product = addProduct("Vijak");
    Script s;
    s.on("T_ID_Kategorija", [&](QDialog& d) { return pick(d, cat); });
    s.on("T_Kontakti", [&](QDialog& d) { return pick(d, customer); });
    s.on("T_Proizvodi", [&](QDialog& d) { return pick(d, product); });
    s.on("F_ID_Stavke", itemSteps(product, {{"?IDS:KOLICINA_DECIMAL", "2"}, {"?IDS:CIJENA_DECIMAL", "5"}}));
    int itemsMeanwhile = -1;
    s.on("F_ID_Dokumenti", [&](QDialog& d) {
        click(d, "?INSERT");
        itemsMeanwhile = count(Access(Tbl::IDStavke).SqlName());
        return click(d, "?CANCEL");
    });
    window->dispatcher().InsertOutgoingDocument();
    EXPECT_EQ(itemsMeanwhile, 1);
    EXPECT_EQ(count(Access(Tbl::IDokumenti).SqlName()), 0);
    EXPECT_EQ(count(Access(Tbl::IDStavke).SqlName()), 0);
}

TEST_F(BusinessTest, TwoWindowsSavingAtOnceNeverShareANumber)
{
    const long cat = addCategory(Tbl::IDKategorija, "R");
    constexpr int perThread = 15;
    auto writer = [cat](std::vector<std::string>* marks) {
        for (int i = 0; i < perThread; ++i) {
            ASSERT_EQ(Access(Tbl::IDokumenti).PrimeRecord(), 0);
            ID().KATEGORIJAID = int32_t(cat);
            QString why;
            ASSERT_TRUE(business::saveOutgoingDocument(0, QString(), &why)) << why.toStdString();
            marks->push_back(ID().BROJDOKUMENTA);
        }
        corvalde::KILLTABLEMANAGERS();
    };
    std::vector<std::string> a, b;
    std::thread t1(writer, &a), t2(writer, &b);
    t1.join();
    t2.join();
    std::set<std::string> all(a.begin(), a.end());
    all.insert(b.begin(), b.end());
    EXPECT_EQ(all.size(), size_t(2 * perThread));
    // Read on a connection of its own: the window's lists keep this thread's snapshot.
    std::string numbers;
    std::thread([&] {
        business::query("SELECT COUNT(DISTINCT RBR) || '|' || MAX(RBR) FROM " + business::table(Tbl::IDokumenti), {},
                        [&](vrt::odbc::Statement& st) {
                            numbers = st.text(1).value_or("");
                            return false;
                        });
        corvalde::KILLTABLEMANAGERS();
    }).join();
    EXPECT_EQ(numbers, std::to_string(2 * perThread) + "|" + std::to_string(2 * perThread));
}

TEST_F(BusinessTest, IncomingDocumentsNeedACategoryAndLeaveNothingWhenCancelled)
{
    const long cat = addCategory(Tbl::UDKategorija, "Ulazni");
    const long supplier = addContact("Dobavljač d.o.o.");
    Script s;
    // Category picker cancelled at opening; the supplier picked; OK opens the picker again,
    // cancelling keeps the form open; "Prekid" leaves no row.
    s.on("T_Kontakti", [&](QDialog& d) { return pick(d, supplier); });
    bool openAfterOk = false;
    QString date;
    bool finance = false;
    s.on("F_UD_Dokumenti", [&](QDialog& d) {
        date = d.findChild<QDateEdit*>(QStringLiteral("?UD:DATUM"))->date().toString(Qt::ISODate);
        finance = d.findChild<QCheckBox*>(QStringLiteral("?UD:UKLJUCIFIN"))->isChecked();
        click(d, "?OK");
        openAfterOk = d.result() == QDialog::Rejected;
        return click(d, "?CANCEL");
    });
    window->dispatcher().InsertIncomingDocument();
    EXPECT_EQ(s.opened, (QStringList{"F_UD_Dokumenti", "T_UD_Kategorija", "T_Kontakti", "T_UD_Kategorija"}));
    EXPECT_TRUE(openAfterOk);
    EXPECT_EQ(date, QDate::currentDate().toString(Qt::ISODate));
    EXPECT_TRUE(finance);
    EXPECT_EQ(count(Access(Tbl::UDokumenti).SqlName()), 0);

    // From a contact's list: the contact is the supplier and only the category is asked for.
    Script t;
    t.on("T_UD_Kategorija", [&](QDialog& d) { return pick(d, cat); });
    t.on("F_UD_Dokumenti", [&](QDialog& d) {
        d.findChild<QLineEdit*>(QStringLiteral("?UD:BROJDOKUMENTA"))->setText(QStringLiteral("UR-7"));
        type(d, "?UD:IZNOS_DECIMAL", QStringLiteral("1.234,56"));
        return click(d, "?OK");
    });
    ASSERT_EQ(Access(Tbl::UDokumenti).PrimeRecord(), 0);
    GLOBALREQUEST = vrt::INSERT_RECORD;
    forms().F_UD_Dokumenti(supplier);
    EXPECT_EQ(t.opened, (QStringList{"F_UD_Dokumenti", "T_UD_Kategorija"}));
    EXPECT_EQ(one("SELECT KATEGORIJAID || '|' || DOBAVLJACID || '|' || BROJDOKUMENTA || '|' || IZNOS_DECIMAL || '|' || RBR FROM " +
                  tableName(Tbl::UDokumenti)),
              std::to_string(cat) + "|" + std::to_string(supplier) + "|UR-7|1234.56|1");
}

TEST_F(BusinessTest, CompanySettingsReadAndWriteTheirKeys)
{
    const QString ini = m_folder->file("Standard.ini");
    QFile::remove(ini);
    Script s;
    QStringList ticked;
    QString company = QStringLiteral("<none>");
    s.on("W_Postavke", [&](QDialog& d) {
        for (int i = 1; i <= 7; ++i)
            if (d.findChild<QCheckBox*>(QStringLiteral("?NERADNI%1").arg(i))->isChecked())
                ticked << QString::number(i);
        company = shown(d, "?COMPANYNAME");
        d.findChild<QCheckBox*>(QStringLiteral("?NERADNI6"))->setChecked(true);
        d.findChild<QLineEdit*>(QStringLiteral("?COMPANYNAME"))->setText(QStringLiteral("Velmora d.o.o."));
        return click(d, "?OK");
    });
    window->dispatcher().dispatch(1010);
    EXPECT_EQ(ticked, QStringList{"7"});
    EXPECT_EQ(company, QString());
    vrt::IniFile file(ini);
    EXPECT_EQ(file.keys(QStringLiteral("License")),
              (QStringList{"CompanyName", "CompanySlogan", "PerosnInCharge", "Street", "City", "State", "Zip", "Phone",
                           "Fax", "Web", "Email"}));
    EXPECT_EQ(file.get("License", "CompanyName"), QStringLiteral("Velmora d.o.o."));
    EXPECT_EQ(file.get("Gantt", "NonWorking6"), QStringLiteral("64"));
    EXPECT_EQ(file.get("Gantt", "NonWorking7"), QStringLiteral("1"));
    EXPECT_EQ(file.get("Gantt", "NonWorking1"), QStringLiteral("0"));
    EXPECT_EQ(testsupport::presenter().calls("message").back().text,
              QStringLiteral("Da bi promjene bile vidljive,program ponovno pokrenite!"));

    // "Zatvori" leaves the file as it was, byte for byte; an empty day key reads as 0.
    ASSERT_TRUE(file.put("Gantt", "NonWorking7", QString()));
    const QByteArray before = m_folder->read("Standard.ini");
    ticked.clear();
    s.on("W_Postavke", [&](QDialog& d) {
        for (int i = 1; i <= 7; ++i)
            if (d.findChild<QCheckBox*>(QStringLiteral("?NERADNI%1").arg(i))->isChecked())
                ticked << QString::number(i);
        d.findChild<QLineEdit*>(QStringLiteral("?COMPANYNAME"))->setText(QStringLiteral("Drugo"));
        return click(d, "?CLOSE");
    });
    window->dispatcher().dispatch(1010);
    EXPECT_EQ(ticked, QStringList{"6"});
    EXPECT_EQ(m_folder->read("Standard.ini"), before);
}

TEST_F(BusinessTest, CtrlHPutsBackWhatTheLastSavedItemHad)
{
    const long cat = addCategory(Tbl::IDKategorija, "R");
    const long doc = addDocument(cat);
    Script s;
    auto newItem = [&](Script::Step step) {
        load(Tbl::IDokumenti, doc);
        IDS() = IDStavke_Rec{};
        IDS().DOKUMENTID = int32_t(doc);
        ASSERT_EQ(Access(Tbl::IDStavke).PrimeRecord(true), 0);
        s.on("F_ID_Stavke", std::move(step));
        GLOBALREQUEST = vrt::INSERT_RECORD;
        forms().F_ID_Stavke();
    };
    newItem([](QDialog& d) {
        type(d, "?IDS:KOLICINA_DECIMAL", "3");
        type(d, "?IDS:CIJENA_DECIMAL", "12,5");
        return click(d, "?OK");
    });
    QString quantity, price;
    newItem([&](QDialog& d) {
        QTest::keyClick(d.findChild<QLineEdit*>(QStringLiteral("?IDS:KOLICINA_DECIMAL")), Qt::Key_H, Qt::ControlModifier);
        quantity = shown(d, "?IDS:KOLICINA_DECIMAL");
        price = shown(d, "?IDS:CIJENA_DECIMAL");
        return click(d, "?CANCEL");
    });
    EXPECT_EQ(quantity, QStringLiteral("3,00"));
    EXPECT_EQ(price, QString()); // only the field asked for
    EXPECT_EQ(count(Access(Tbl::IDStavke).SqlName()), 1);
}

TEST_F(BusinessTest, EveryTextOfTheBusinessWindowsHasAnEnglishRow)
{
    const long cat = addCategory(Tbl::IDKategorija, "R");
    const long doc = addDocument(cat);
    std::set<QString> texts;
    auto collect = [&](QDialog& d) {
        texts.insert(d.windowTitle());
        for (auto* l : d.findChildren<QLabel*>())
            texts.insert(l->text());
        for (auto* b : d.findChildren<QAbstractButton*>())
            texts.insert(b->text());
        for (auto* g : d.findChildren<QGroupBox*>())
            texts.insert(g->title());
        for (auto* t : d.findChildren<QTabWidget*>())
            for (int i = 0; i < t->count(); ++i)
                texts.insert(t->tabText(i));
        for (auto* c : d.findChildren<QComboBox*>())
            for (int i = 0; i < c->count(); ++i)
                texts.insert(c->itemText(i));
        for (auto* v : d.findChildren<QTableView*>())
            for (int i = 0; i < v->model()->columnCount(); ++i)
                texts.insert(v->model()->headerData(i, Qt::Horizontal, Qt::DisplayRole).toString());
        return int(QDialog::Rejected);
    };
    Script s;
    for (const char* name : {"W_Postavke", "F_Proizvodi", "T_Proizvodi", "F_ID_Stavke", "F_ID_Dokumenti", "F_UD_Dokumenti",
                             "T_ID_Kategorija", "T_UD_Kategorija", "T_Kontakti", "F_ID_Kategorija"})
        for (int i = 0; i < 3; ++i)
            s.on(name, collect);
    business::Forms f;
    f.W_Postavke();
    f.T_Proizvodi(vrt::SELECT_RECORD);
    f.T_ID_Kategorija(vrt::SELECT_RECORD);
    f.T_UD_Kategorija(vrt::SELECT_RECORD);
    f.T_Kontakti(0);
    GLOBALREQUEST = vrt::DELETE_RECORD;
    load(Tbl::IDKategorija, cat);
    f.F_ID_Kategorija();
    load(Tbl::IDokumenti, doc);
    IDS() = IDStavke_Rec{};
    IDS().DOKUMENTID = int32_t(doc);
    ASSERT_EQ(Access(Tbl::IDStavke).PrimeRecord(true), 0);
    GLOBALREQUEST = vrt::INSERT_RECORD;
    f.F_ID_Stavke();
    ASSERT_EQ(Access(Tbl::IDokumenti).PrimeRecord(), 0);
    GLOBALREQUEST = vrt::INSERT_RECORD;
    f.F_ID_Dokumenti(std::nullopt);
    ASSERT_EQ(Access(Tbl::UDokumenti).PrimeRecord(), 0);
    GLOBALREQUEST = vrt::CHANGE_RECORD;
    f.F_UD_Dokumenti(std::nullopt);
    std::set<QString> words;
    for (const QString& t : texts)
        if (!t.trimmed().isEmpty() && t != QLatin1String("OK") && t != QLatin1String("R") && !t.startsWith(QLatin1String("R-")))
            words.insert(t);
    ASSERT_GE(words.size(), 60u);
    testsupport::expectEnglishRows(words);
}

TEST_F(BusinessTest, DocumentsFromTheCategoryListAreNumberedWithinTheirCategory)
{
    const long n = addCategory(Tbl::IDKategorija, "N");
    const long fresh = addCategory(Tbl::IDKategorija, "Novo");
    const long customer = addContact("Kupac");
    for (int i = 0; i < 3; ++i)
        addDocument(n);
    organiser::OrganiserPanes* panes = window->findChild<organiser::OrganiserPanes*>();
    ASSERT_NE(panes, nullptr);
    auto& categories = panes->lists().list(organiser::ctl::IDK);
    categories.reset();
    struct Case {
        const char* what;
        long category;      // selected in the category list
        bool pickCategory;  // the category picker is opened and cancelled
        const char* mark;   // proposed on the form and stored
    } cases[] = {
        {"primed with N, customer picked", n, false, "N-4"},
        {"first of its category", fresh, false, "Novo-1"},
        {"a cancelled category picker keeps the category", n, true, "N-5"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(categories.selectId(QVariant::fromValue<qlonglong>(c.category)));
        Script s;
        s.on("T_Kontakti", [&](QDialog& d) { return pick(d, customer); });
        QString proposed;
        s.on("F_ID_Dokumenti", [&](QDialog& d) {
            if (c.pickCategory)
                click(d, "?CALLLOOKUP:2");
            proposed = shown(d, "?ID:BROJDOKUMENTA");
            return click(d, "?OK");
        });
        EXPECT_EQ(panes->lists().ask(organiser::ctl::ID, vrt::INSERT_RECORD), vrt::REQUEST_COMPLETED);
        EXPECT_EQ(s.opened.first(), QStringLiteral("F_ID_Dokumenti"));
        EXPECT_FALSE(s.opened.contains(QStringLiteral("T_ID_Kategorija")) && !c.pickCategory);
        EXPECT_EQ(proposed, QString::fromLatin1(c.mark));
        EXPECT_EQ(one("SELECT BROJDOKUMENTA FROM " + tableName(Tbl::IDokumenti) + " ORDER BY ID DESC LIMIT 1"), c.mark);
    }
}

TEST_F(BusinessTest, AnItemFromTheOrganisersItemListFindsItsDocument)
{
    const long cat = addCategory(Tbl::IDKategorija, "R");
    const long product = addProduct("Vijak");
    const long doc = addDocument(cat);
    addDocument(cat); // the buffer now holds another document
    organiser::OrganiserPanes* panes = window->findChild<organiser::OrganiserPanes*>();
    ASSERT_NE(panes, nullptr);
    auto& lists = panes->lists();
    lists.list(organiser::ctl::IDK).reset();
    ASSERT_TRUE(lists.list(organiser::ctl::IDK).selectId(QVariant::fromValue<qlonglong>(cat)));
    ASSERT_TRUE(lists.list(organiser::ctl::ID).selectId(QVariant::fromValue<qlonglong>(doc)));
    ID() = IDokumenti_Rec{};
    Script s;
    s.on("T_Proizvodi", [&](QDialog& d) { return pick(d, product); });
    s.on("F_ID_Stavke", itemSteps(product, {{"?IDS:KOLICINA_DECIMAL", "2"}, {"?IDS:CIJENA_DECIMAL", "4,5"}}));
    EXPECT_EQ(lists.ask(organiser::ctl::Stavke, vrt::INSERT_RECORD), vrt::REQUEST_COMPLETED);
    EXPECT_EQ(one("SELECT DOKUMENTID || '|' || KATEGORIJAID || '|' || IZNOS_SPDVOM_DECIMAL FROM " + tableName(Tbl::IDStavke)),
              std::to_string(doc) + "|" + std::to_string(cat) + "|9");
    EXPECT_EQ(one("SELECT IZNOS_DECIMAL FROM " + tableName(Tbl::IDokumenti) + " WHERE ID = " + std::to_string(doc)), "9");
    // The documents' list shows the new amount.
    EXPECT_EQ(lists.list(organiser::ctl::ID).cell(QStringLiteral("ID:IZNOS_DECIMAL")), QStringLiteral("9"));
}
