// The printed documents: rendered to PDF and read back as text with pdftotext; the print
// commands of the organiser window print the row selected in their own list.
#include "tests/procedures/BusinessFixture.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include "procedures/documents/DocumentReports.h"
#include "procedures/organiser/lists/ListDefs.h"
#include "procedures/organiser/lists/ListSet.h"
#include "procedures/organiser/panes/OrganiserPanes.h"
#include "runtime/DateTime.h"
#include "runtime/IniFile.h"
#include "runtime/Process.h"
#include "runtime/Report.h"

using namespace bt;

namespace {

// The text of a PDF, one line per printed line, runs of blanks made one.
QString pdfText(const QString& pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    if (!p.waitForFinished(20000))
        return {};
    QString text = QString::fromUtf8(p.readAllStandardOutput());
    text.replace(QRegularExpression(QStringLiteral("[ \\t]+")), QStringLiteral(" "));
    return text;
}

class PrintTest : public BusinessTest {
protected:
    void SetUp() override
    {
        BusinessTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) {
            GTEST_SKIP() << "pdftotext is not installed";
        }
    }
    QString render(bool outgoing, long id)
    {
        vrt::Report report;
        QString why;
        const bool ok = outgoing ? business::buildInvoice(id, report, {}, &why) : business::buildInputDocument(id, report, {}, &why);
        EXPECT_TRUE(ok) << why.toStdString();
        const QString pdf = m_folder->file(QStringLiteral("out.pdf"));
        EXPECT_TRUE(report.writePdf(pdf, &why)) << why.toStdString();
        return pdfText(pdf);
    }
};

} // namespace

TEST_F(PrintTest, AnInvoiceCarriesTheLetterheadTheCustomerItsItemsAndTotals)
{
    vrt::IniFile ini(m_folder->file("Standard.ini"));
    const std::pair<const char*, QString> keys[] = {
        {"CompanyName", "Velmora d.o.o."}, {"CompanySlogan", "Red u knjigama"}, {"Street", "Ilica 1"},
        {"City", "Zagreb"}, {"State", "Hrvatska"}, {"Zip", "10000"}, {"Phone", "01 234 567"}, {"Fax", "01 234 568"},
        // Longer than 49 characters: printed whole, never cut.
        {"Email", "racunovodstvo.glavnog.ureda@jako-duga-domena-tvrtke.example.hr"}};
    for (const auto& [k, v] : keys)
        ASSERT_TRUE(ini.put("License", k, v));
    const long cat = addCategory(Tbl::IDKategorija, "Račun");
    const long customer = addContact("Kupac d.o.o.", "Horvat", "", "Ana");
    CON().TADRESA1 = "Vukovarska";
    CON().TADRESA2 = "12";
    CON().TGRAD = "Split";
    CON().TDRZAVA = "Hrvatska";
    CON().TPOSTBROJ = "21000";
    ASSERT_EQ(Access(Tbl::CON_Contacts).Update(), 0);
    const long vijak = addProduct("Vijak M8");
    const long usluga = addProduct("Montaža");
    const long doc = addDocument(cat, customer);
    ID().BROJDOKUMENTA = "Račun-7";
    ID().NACINPLACANJA = "4";
    ID().ROKPLACANJA = 15;
    ID().NACINOTPREME = "Dostava";
    ID().NAPOMENA = "Hvala na povjerenju";
    ASSERT_EQ(Access(Tbl::IDokumenti).Update(), 0);
    addItem(doc, vijak, "1234.5", "308.63", "1543.13", "10");
    addItem(doc, usluga, "100", "25.00", "125", "0");
    ASSERT_TRUE(business::writeDocumentTotal(doc));

    const QString text = render(true, doc);
    for (const char* line : {"Velmora d.o.o.", "Red u knjigama", "Ilica 1", "Zagreb, Hrvatska, 10000", "Telefon: 01 234 567",
                             "Fax: 01 234 568", "Email: racunovodstvo.glavnog.ureda@jako-duga-domena-tvrtke.example.hr",
                             "Račun-7", "Naziv kupca:", "Kupac d.o.o.", "Horvat Ana", "Vukovarska 12",
                             "Split, Hrvatska, 21000", "Rbr Opis Jmj Količina Cijena Rabat PDV Iznos",
                             "1 Vijak M8 kom 1,00 1.234,50 10,00 308,63 1.234,50", "2 Montaža kom 1,00 100,00 25,00 100,00",
                             "Hvala na povjerenju", "Rok plaćanja: 15", "Način plaćanja: Kreditna kartica",
                             "Način otpreme: Dostava", "Ukupno: 1.334,50", "Rabat: 10,00", "PDV: 333,63",
                             "Sveukupno: 1.668,13"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(line))) << line << "\n" << text.toStdString();
}

TEST_F(PrintTest, EmptyKeysNoMiddleNameNoCustomerAndNoPaymentMethod)
{
    const long cat = addCategory(Tbl::IDKategorija, "Ponuda");
    const long customer = addContact("", "Kovač", "Marija", "Ivana");
    const long doc = addDocument(cat, customer);
    ID().NACINPLACANJA = "0";
    ASSERT_EQ(Access(Tbl::IDokumenti).Update(), 0);
    QString text = render(true, doc);
    EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("(^|\\n) ?, ?, ?\\n")))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Kovač Marija Ivana"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("Virman")));
    EXPECT_TRUE(text.contains(QStringLiteral("Ukupno:"))) << text.toStdString();

    // A document without a customer prints an empty customer block instead of stopping.
    const long alone = addDocument(cat, 0);
    text = render(true, alone);
    EXPECT_TRUE(text.contains(QStringLiteral("Naziv kupca:"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("Kovač")));

    // A hundred items and more keep their numbers whole.
    const long product = addProduct("Sitno");
    for (int i = 0; i < 101; ++i)
        addItem(alone, product, "1", "0", "1");
    text = render(true, alone);
    EXPECT_TRUE(text.contains(QStringLiteral("101 Sitno kom"))) << text.toStdString();
}

TEST_F(PrintTest, AnIncomingDocumentPrintsItsBlock)
{
    const long cat = addCategory(Tbl::UDKategorija, "Ulazni računi");
    const long supplier = addContact("Dobavljač d.o.o.");
    UD() = UDokumenti_Rec{};
    UD().KATEGORIJAID = int32_t(cat);
    UD().DOBAVLJACID = int32_t(supplier);
    UD().BROJDOKUMENTA = "UR-12";
    UD().IZNOS_DECIMAL = "9876.5";
    UD().NAPOMENA = "Plaćeno";
    UD().DATUM = vrt::dayFromDate(QDate(2026, 3, 4));
    ASSERT_EQ(Access(Tbl::UDokumenti).Insert(), 0);
    const QString text = render(false, UD().ID);
    for (const char* line : {"Kategorija: Ulazni računi", "Dobavljač: Dobavljač d.o.o.", "Oznaka: UR-12",
                             "Iznos: 9.876,50", "Napomena: Plaćeno", "Datum:"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(line))) << line << "\n" << text.toStdString();
}

TEST_F(PrintTest, ThePrintCommandsPrintTheRowOfTheirOwnList)
{
    const long cat = addCategory(Tbl::IDKategorija, "Račun");
    const long doc = addDocument(cat);
    ID().BROJDOKUMENTA = "Račun-1";
    ASSERT_EQ(Access(Tbl::IDokumenti).Update(), 0);
    QStringList previewed;
    const testsupport::ScopedHook<vrt::Report::PreviewRunner> preview(&vrt::Report::setPreviewRunner, [&](vrt::Report& r) {
        previewed << r.title();
        return false;
    });
    auto& panes = *window->routineTable();
    // Nothing selected in the outgoing documents' list: refused with a message.
    panes.PrintInvoice();
    EXPECT_TRUE(previewed.isEmpty());
    EXPECT_EQ(testsupport::presenter().calls("message").back().text, QStringLiteral("Prethodno odaberite dokument za ispis."));
    // Its row selected, that document prints; the incoming list's selection does not count.
    organiser::OrganiserPanes* p = window->findChild<organiser::OrganiserPanes*>();
    ASSERT_NE(p, nullptr);
    auto& list = p->lists().list(organiser::ctl::ID);
    list.setRange(QVariant::fromValue<qlonglong>(cat));
    list.reset();
    ASSERT_TRUE(list.selectId(QVariant::fromValue<qlonglong>(doc)));
    panes.PrintInvoice();
    EXPECT_EQ(previewed, QStringList{QStringLiteral("Račun-1")});
    panes.PrintInputDocument();
    EXPECT_EQ(previewed.size(), 1);
}

TEST_F(PrintTest, CancelInTheProgressWindowEndsWithoutAReport)
{
    const long cat = addCategory(Tbl::IDKategorija, "Račun");
    const long doc = addDocument(cat);
    const long product = addProduct("Vijak");
    for (int i = 0; i < 10; ++i)
        addItem(doc, product, "1", "0", "1");
    struct CancelAfter : vrt::ProgressSink {
        long long seen = 0;
        bool progress(int, long long done) override
        {
            seen = done;
            return done < 3;
        }
    } sink;
    vrt::Report report;
    QString why;
    EXPECT_FALSE(business::buildInvoice(doc, report, {}, &why, &sink));
    EXPECT_TRUE(why.isEmpty());
    EXPECT_EQ(sink.seen, 3);
}
