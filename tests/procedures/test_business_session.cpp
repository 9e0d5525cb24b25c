// A new user's first invoice, through the organiser window as the program builds it: products
// from the ribbon, a category from the finance pane's list, the company settings, a document
// with three items (one with a discount percentage, one with a typed gross amount), printed
// from the print command. With VELMORA_SCREENSHOT_DIR set, the document form, the item form
// and the printed invoice are written there as PNG files.
#include "tests/procedures/BusinessFixture.h"

#include <QComboBox>
#include <QLabel>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include "procedures/documents/BusinessForms.h"
#include "procedures/organiser/lists/ListDefs.h"
#include "procedures/organiser/lists/ListSet.h"
#include "procedures/organiser/panes/OrganiserPanes.h"
#include "runtime/Report.h"
#include "services/Quilvo.h"

#include <QFile>

using namespace bt;

namespace {
QString screenshotDir() { return qEnvironmentVariable("VELMORA_SCREENSHOT_DIR"); }

void snap(QDialog& d, const QString& name)
{
    if (screenshotDir().isEmpty())
        return;
    d.resize(d.sizeHint().expandedTo(QSize(640, 0)));
    d.show();
    QApplication::processEvents();
    d.grab().save(screenshotDir() + QLatin1Char('/') + name);
    d.hide();
}
} // namespace

TEST_F(BusinessTest, ANewUserMakesAnInvoiceWithThreeItemsAndPrintsIt)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) {
        GTEST_SKIP() << "pdftotext is not installed";
    }
    organiser::OrganiserPanes* panes = window->findChild<organiser::OrganiserPanes*>();
    ASSERT_NE(panes, nullptr);
    Script s;
    // Products from the ribbon's command.
    const std::pair<const char*, const char*> products[] = {{"Vijak M8", "kom"}, {"Montaža", "sat"}, {"Boja", "l"}};
    for (const auto& [name, unit] : products) {
        s.on("F_Proizvodi", [name = name, unit = unit](QDialog& d) {
            type(d, "PRU:NAZIV", QString::fromUtf8(name));
            type(d, "PRU:JM", QString::fromUtf8(unit));
            return click(d, "?OK");
        });
        window->dispatcher().dispatch(1004);
    }
    ASSERT_EQ(count(Access(Tbl::ProizvodUsluga).SqlName()), 3);
    // The category from the outgoing categories' list of the finance pane.
    s.on("F_ID_Kategorija", [](QDialog& d) {
        type(d, "IDK:NAZIV", QStringLiteral("Račun"));
        return click(d, "?OK");
    });
    EXPECT_EQ(panes->lists().ask(organiser::ctl::IDK, vrt::INSERT_RECORD), vrt::REQUEST_COMPLETED);
    const long category = std::stol(one("SELECT ID FROM " + tableName(Tbl::IDKategorija)));
    // The contact form is another part of the program: the customer is stored directly.
    const long customer = addContact("Kupac d.o.o.", "Horvat", "", "Ana");
    // The company's letterhead.
    s.on("W_Postavke", [](QDialog& d) {
        d.findChild<QLineEdit*>(QStringLiteral("?COMPANYNAME"))->setText(QStringLiteral("Velmora d.o.o."));
        d.findChild<QLineEdit*>(QStringLiteral("?STREET"))->setText(QStringLiteral("Ilica 1"));
        d.findChild<QLineEdit*>(QStringLiteral("?CITY"))->setText(QStringLiteral("Zagreb"));
        return click(d, "?OK");
    });
    window->dispatcher().dispatch(1010);

    // The invoice: pickers, three items, a payment method, OK.
    s.on("T_ID_Kategorija", [&](QDialog& d) { return pick(d, category); });
    s.on("T_Kontakti", [&](QDialog& d) { return pick(d, customer); });
    const std::vector<std::vector<std::pair<const char*, QString>>> items{
        {{"?IDS:KOLICINA_DECIMAL", "100"}, {"?IDS:CIJENA_DECIMAL", "0,35"}, {"?IDS:RABAT_POST_DECIMAL", "10"},
         {"?IDS:POREZ_STOPA_DECIMAL", "25"}},
        {{"?IDS:KOLICINA_DECIMAL", "2"}, {"?IDS:IZNOS_SPDVOM_DECIMAL", "250,00"}},
        {{"?IDS:KOLICINA_DECIMAL", "3"}, {"?IDS:CIJENA_DECIMAL", "3,33"}, {"?IDS:RABAT_POST_DECIMAL", "15"}}};
    for (size_t i = 0; i < items.size(); ++i) {
        s.on("T_Proizvodi", [i](QDialog& d) { return pick(d, long(i + 1)); });
        s.on("F_ID_Stavke", [entries = items[i], i](QDialog& d) {
            for (const auto& [name, text] : entries)
                type(d, name, text);
            if (i == 0)
                snap(d, QStringLiteral("business-item.png"));
            return click(d, "?OK");
        });
    }
    QString total;
    s.on("F_ID_Dokumenti", [&](QDialog& d) {
        auto* np = d.findChild<QComboBox*>(QStringLiteral("?L:NP"));
        np->setCurrentIndex(np->findData(QStringLiteral("1")));
        d.findChild<QLineEdit*>(QStringLiteral("?ID:NACINOTPREME"))->setText(QStringLiteral("Dostava"));
        for (int i = 0; i < 3; ++i)
            click(d, "?INSERT");
        total = d.findChild<QLabel*>(QStringLiteral("?ID:IZNOS_DECIMAL"))->text();
        snap(d, QStringLiteral("business-document.png"));
        return click(d, "?OK");
    });
    window->dispatcher().InsertOutgoingDocument();
    // 100 × 0,35 less 10 % is 31,50 + 7,88 tax; 250,00 typed; 3 × 3,33 less 15 % is 8,4915 + 2,12.
    EXPECT_EQ(total, QStringLiteral("299,99"));
    // Stored as shown, to the cent.
    EXPECT_EQ(one("SELECT BROJDOKUMENTA || '|' || IZNOS_DECIMAL FROM " + tableName(Tbl::IDokumenti)), "Račun-1|299.99");

    // Printed from the finance pane with the document selected in its list.
    auto& list = panes->lists().list(organiser::ctl::ID);
    list.setRange(QVariant::fromValue<qlonglong>(category));
    list.reset();
    ASSERT_TRUE(list.selectId(QVariant::fromValue<qlonglong>(ID().ID)));
    const QString dir = screenshotDir().isEmpty() ? m_folder->path() : screenshotDir();
    const QString pdf = m_folder->file(QStringLiteral("invoice.pdf"));
    {
        const testsupport::ScopedHook<vrt::Report::PreviewRunner> preview(&vrt::Report::setPreviewRunner,
                                                                          [&](vrt::Report& r) { return r.writePdf(pdf); });
        window->routineTable()->PrintInvoice();
    }
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    ASSERT_TRUE(text.waitForFinished(20000));
    const QString printed = QString::fromUtf8(text.readAllStandardOutput()).replace(QRegularExpression(QStringLiteral(" +")),
                                                                                   QStringLiteral(" "));
    for (const char* line : {"Velmora d.o.o.", "Ilica 1", "Račun-1", "Kupac d.o.o.", "1 Vijak M8 kom 100,00 0,35 3,50 7,88 31,50",
                             "2 Montaža sat 2,00", "3 Boja l 3,00 3,33 1,50 2,12 8,49", "Način plaćanja: Virman",
                             "Sveukupno: 299,99"})
        EXPECT_TRUE(printed.contains(QString::fromUtf8(line))) << line << "\n" << printed.toStdString();
    if (!screenshotDir().isEmpty())
        QProcess::execute(QStringLiteral("pdftoppm"), {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("80"),
                                                       QStringLiteral("-singlefile"), pdf, dir + QStringLiteral("/business-invoice")});
}

TEST_F(BusinessTest, TheItemFormSpeaksEnglish)
{
    const QString table = testsupport::binDir() + QStringLiteral("/Velmora.qvl");
    if (!QFile::exists(table)) {
        GTEST_SKIP() << "the translation table is not built";
    }
    QUILVO translator;
    translator.INIT();
    translator.QVINIT(table, 2, testsupport::binDir() + QStringLiteral("/Velmora.qvs"), 0, 1);
    business::Forms f([&translator](const QString& t) { return translator.QVSTR(t); });
    const long cat = addCategory(Tbl::IDKategorija, "Invoice");
    const long product = addProduct("Bolt M8");
    const long doc = addDocument(cat);
    addItem(doc, product, "31.5", "7.88", "39.38", "3.5");
    load(Tbl::IDokumenti, doc);
    Script s;
    QStringList labels;
    s.on("F_ID_Stavke", [&](QDialog& d) {
        labels << d.windowTitle() << d.findChild<QLabel*>(QStringLiteral("?NASLOV"))->text();
        for (auto* l : d.findChildren<QLabel*>())
            if (l->buddy() || l->text().endsWith(QLatin1Char(':')))
                labels << l->text();
        labels << button(d, "?CANCEL")->text();
        snap(d, QStringLiteral("business-item-english.png"));
        return click(d, "?CANCEL");
    });
    GLOBALREQUEST = vrt::CHANGE_RECORD;
    f.F_ID_Stavke();
    for (const char* text : {"Update", "Change record", "Product/service:", "Quantity:", "Price:", "Discount amount:",
                             "Discount %:", "Tax rate %:", "Tax amount:", "Item amount:", "Amount with VAT:", "Cancel"})
        EXPECT_TRUE(labels.contains(QString::fromLatin1(text))) << text << " in " << labels.join(" | ").toStdString();
    translator.QVKILL();
}
