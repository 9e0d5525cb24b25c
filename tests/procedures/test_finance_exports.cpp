#include "services/MsExcelClass.h"
#include "procedures/finance/FinanceCharts.h"
#include "procedures/finance/FinanceExports.h"
#include "runtime/DateTime.h"
#include "tests/procedures/FinanceFixture.h"
#include "tests/support/FileModes.h"
#include "tests/support/ShippedTranslations.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QHeaderView>
#include <QProcess>
#include <QTableWidget>

namespace {

// Reads cells back with an independent reader (openpyxl): per cell its value, type and format.
QJsonObject readBack(const QString& path, const QStringList& cells)
{
    const char* script = R"(
import json, sys, zipfile, openpyxl
wb = openpyxl.load_workbook(sys.argv[1])
ws = wb.active
out = {"_calcChain": "xl/calcChain.xml" in zipfile.ZipFile(sys.argv[1]).namelist(), "_sheet": ws.title}
for ref in sys.argv[2:]:
    c = ws[ref]
    v = c.value
    out[ref] = {"value": v.isoformat() if hasattr(v, "isoformat") else v, "type": c.data_type,
                "format": c.number_format, "date": c.is_date}
print(json.dumps(out))
)";
    QProcess p;
    p.start("/usr/bin/python3", QStringList{"-c", script, path} + cells);
    EXPECT_TRUE(p.waitForFinished(30000));
    const QByteArray err = p.readAllStandardError();
    EXPECT_EQ(p.exitCode(), 0) << err.toStdString();
    return QJsonDocument::fromJson(p.readAllStandardOutput()).object();
}

// The first sheet's cells as the reader sees them, drawn as a grid (the picture of an export).
void drawSheet(const QString& path, const QString& picture)
{
    const char* script = R"(
import json, sys, openpyxl
ws = openpyxl.load_workbook(sys.argv[1]).active
print(json.dumps([[("" if c.value is None else (c.value.strftime("%d.%m.%Y") if hasattr(c.value, "strftime") else
                   (format(c.value, ",.2f") if isinstance(c.value, float) or isinstance(c.value, int) else str(c.value))))
                   for c in row] for row in ws.iter_rows(min_row=1, max_row=40, min_col=1, max_col=6)]))
)";
    QProcess p;
    p.start("/usr/bin/python3", {"-c", script, path});
    ASSERT_TRUE(p.waitForFinished(30000));
    const QJsonArray rows = QJsonDocument::fromJson(p.readAllStandardOutput()).array();
    QTableWidget grid(rows.size(), 6);
    grid.setHorizontalHeaderLabels({"A", "B", "C", "D", "E", "F"});
    for (int r = 0; r < rows.size(); ++r)
        for (int c = 0; c < 6; ++c) {
            auto* item = new QTableWidgetItem(rows[r].toArray()[c].toString());
            if (c == 5)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            grid.setItem(r, c, item);
        }
    grid.setColumnWidth(0, 300);
    for (int c = 1; c < 5; ++c)
        grid.setColumnWidth(c, 80);
    grid.setColumnWidth(5, 140);
    grid.verticalHeader()->setDefaultSectionSize(20);
    grid.resize(820, 40 * 20 + 30);
    grid.grab().save(picture);
}

} // namespace

TEST(SpreadsheetAutomation, PathsQuoteTheirTextsAndParseBack)
{
    EXPECT_EQ(office::quoted("a\"b"), "\"a\"\"b\"");
    bool ok = false;
    auto m = office::parsePath("Workbooks.Open(\"/x/a \"\"q\"\").xlsx\")", &ok);
    ASSERT_TRUE(ok);
    ASSERT_EQ(m.size(), 2u);
    EXPECT_EQ(m[1].name, "Open");
    EXPECT_EQ(m[1].args, QStringList{"/x/a \"q\").xlsx"});
    m = office::parsePath("Cells(3,2).Select", &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(m[0].args, (QStringList{"3", "2"}));
    for (const char* bad : {"Range(\"A1\".Select", "Range(\"A1)", "A(1)B"}) {
        office::parsePath(bad, &ok);
        EXPECT_FALSE(ok) << bad;
    }

    MSEXCELCLASS excel;
    excel.INIT(nullptr, 50, 1, 1, 0);
    ASSERT_FALSE(excel.failed()) << excel.lastError().toStdString();
    EXPECT_EQ(excel.GETPROPERTY("Application.Version"), "16.0");
    // Saving before a workbook is open saves nothing and says why.
    testsupport::TempFolder folder;
    excel.SAVE(folder.file("x.xlsx"));
    EXPECT_TRUE(excel.failed());
    EXPECT_EQ(excel.lastError(), "no active workbook");
    EXPECT_FALSE(QFile::exists(folder.file("x.xlsx")));
    excel.clearError();
    excel.GETPROPERTY("Application.Frobnicate(1)");
    EXPECT_TRUE(excel.lastError().startsWith("unsupported automation path")) << excel.lastError().toStdString();
    excel.clearError();
    excel.OPENFILE(folder.file("missing.xlsx"));
    EXPECT_TRUE(excel.failed());
}

TEST(FinanceExportNames, ArePrefixedDatedAndNeverReused)
{
    testsupport::TempFolder folder;
    const QDateTime at(QDate(2026, 12, 11), QTime(10, 0, 0, 120));
    const QString date = QLocale().toString(at.date(), QLocale::ShortFormat).split(QRegularExpression("[^0-9]+"), Qt::SkipEmptyParts).join('-');
    const long long n = vrt::dayFromDate(at.date()) + 3600000 + 12;
    const QString first = finance::exportPath(folder.path(), "State_", at);
    EXPECT_EQ(QFileInfo(first).fileName(), QString("State_%1-%2.xlsx").arg(date).arg(n));
    EXPECT_EQ(QFileInfo(first).dir().dirName(), "Excel");
    // The same instant twice: the second name is another.
    QDir().mkpath(QFileInfo(first).absolutePath());
    QFile f(first);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    EXPECT_EQ(QFileInfo(finance::exportPath(folder.path(), "State_", at)).fileName(), QString("State_%1-%2.xlsx").arg(date).arg(n + 1));
    EXPECT_NE(finance::exportPath(folder.path(), "State_", at.addMSecs(10)), first);
}

class FinanceExportTest : public FinanceTest {
protected:
    void SetUp() override
    {
        FinanceTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        finance::workbookOpener() = [this](const QString& path) {
            opened << path;
            return true;
        };
        m_folder->write("Standard.ini", QString::fromUtf8("[License]\r\nCompanyName==SUM(A1)\r\nCompanySlogan=@Šibenik \"d.o.o.\"\r\n"
                                                          "Street=-Ulica 1\r\nCity=Split\r\nState=HR\r\nZip=21000\r\nPhone=+385 1\r\n"
                                                          "Fax=0012\r\n").toUtf8());
    }
    void TearDown() override
    {
        finance::workbookOpener() = nullptr;
        FinanceTest::TearDown();
    }
    // The exports' side: texts as they are unless `translation` is given, each opened
    // workbook written down, the clock.
    struct RecordingSide : finance::ExportSide {
        explicit RecordingSide(QStringList& o) : opened(o) {}
        QStringList& opened;
        std::function<QString(const QString&)> translation;
        QString translate(const QString& t) override { return translation ? translation(t) : t; }
        bool open(const QString& path) override
        {
            opened << path;
            return true;
        }
        QDateTime now() override { return QDateTime::currentDateTime(); }
    };
    QStringList opened;
    RecordingSide side{opened};
};

TEST_F(FinanceExportTest, TheStateExportFillsTheTemplateWithTypedCells)
{
    window->paneRoutines().FillFinanceCategoryTree();
    entry(1, 1, "100.00");
    entry(1, 1, "50.00");
    entry(2, 2, "1030.25");
    window->dispatcher().dispatch(6005); // the "Graf" sub-tab: its totals
    {
        testsupport::ScopedUmask openToAll(0);
        window->dispatcher().dispatch(6998);
    }
    ASSERT_EQ(opened.size(), 1) << testsupport::presenter().calls().size();
    EXPECT_EQ(testsupport::notPrivate(m_folder->file("Excel")), QStringList()) << "the user's alone, whatever the umask";
    EXPECT_TRUE(QFileInfo(opened[0]).fileName().startsWith("State_"));
    const QJsonObject c = readBack(opened[0], {"A1", "A2", "A4", "A5", "A6", "A7", "D1", "F3", "A17", "F17", "A19", "F19",
                                               "F21", "F23", "A26", "F26", "A16"});
    auto value = [&](const char* ref) { return c[ref].toObject()["value"].toVariant(); };
    auto type = [&](const char* ref) { return c[ref].toObject()["type"].toString(); };
    // Texts stay texts, whatever they begin with.
    EXPECT_EQ(value("A1").toString(), "=SUM(A1)");
    EXPECT_EQ(type("A1"), "s");
    EXPECT_EQ(value("A2").toString(), QString::fromUtf8("@Šibenik \"d.o.o.\""));
    EXPECT_EQ(value("A4").toString(), "-Ulica 1");
    EXPECT_EQ(value("A5").toString(), "Split, HR, 21000");
    EXPECT_EQ(value("A6").toString(), "Telefon: +385 1");
    EXPECT_EQ(value("A7").toString(), "Fax: 0012");
    EXPECT_EQ(value("D1").toString(), "Stanje");
    // A true date, in the template's date format.
    EXPECT_TRUE(c["F3"].toObject()["date"].toBool());
    EXPECT_EQ(value("F3").toString().left(10), QDate::currentDate().toString(Qt::ISODate));
    EXPECT_EQ(c["F3"].toObject()["format"].toString(), "dd.mm.yyyy");
    // The ten state lines from row 17; amounts are numbers in the template's number format.
    EXPECT_EQ(value("A17").toString(), "");
    EXPECT_EQ(value("A19").toString(), "Prihod");
    EXPECT_EQ(type("F19"), "n");
    EXPECT_DOUBLE_EQ(value("F19").toDouble(), 150.0);
    EXPECT_EQ(c["F19"].toObject()["format"].toString(), "#,##0.00");
    EXPECT_DOUBLE_EQ(value("F21").toDouble(), -880.25);
    EXPECT_DOUBLE_EQ(value("F23").toDouble(), 0.0);
    EXPECT_EQ(value("A26").toString(), "STANJE");
    EXPECT_EQ(value("A16").toString(), "Naziv"); // the template's heading, in the program's language
    EXPECT_FALSE(c["_calcChain"].toBool());
    if (const QString out = qEnvironmentVariable("VELMORA_SCREENSHOT_DIR"); !out.isEmpty())
        drawSheet(opened[0], out + "/finance-export-state.png");
}

TEST_F(FinanceExportTest, TheIncomeExpenseExportWritesTheSumsAndKeepsTheTemplatesFormulas)
{
    window->paneRoutines().FillFinanceCategoryTree();
    entry(1, 1, "100.00");
    entry(1, 1, "50.00");
    entry(2, 2, "30.00");
    window->dispatcher().dispatch(6001);
    window->dispatcher().dispatch(6998);
    window->dispatcher().dispatch(6998); // a second export in the same run: a new file
    ASSERT_EQ(opened.size(), 2);
    EXPECT_NE(opened[0], opened[1]);
    EXPECT_TRUE(QFileInfo(opened[0]).fileName().startsWith("Income_Expenses_"));
    const QJsonObject c = readBack(opened[1], {"D1", "A17", "F17", "A18", "F18", "F20", "F39"});
    EXPECT_EQ(c["D1"].toObject()["value"].toString(), QString::fromUtf8("Prihodi/troškovi"));
    EXPECT_EQ(c["A17"].toObject()["value"].toString(), "Prihod ukupno");
    EXPECT_DOUBLE_EQ(c["F17"].toObject()["value"].toDouble(), 150.0);
    EXPECT_DOUBLE_EQ(c["F18"].toObject()["value"].toDouble(), 30.0);
    EXPECT_DOUBLE_EQ(c["F39"].toObject()["value"].toDouble(), 120.0);
    EXPECT_EQ(c["F20"].toObject()["value"].toString(), "=F17-F18");
    EXPECT_TRUE(testsupport::presenter().calls("message").empty());
}

// In an English run every export's sheet and headings read in English; no Croatian of the
// templates is left.
TEST_F(FinanceExportTest, TheTemplatesTextsFollowTheProgramsLanguage)
{
    const std::map<QString, QString> english = testsupport::shippedEnglish();
    finance::ExportDeps d{side};
    d.dataFolder = m_folder->path();
    d.shippedTemplates = finance::shippedTemplateFolder();
    side.translation = [&english](const QString& t) {
        const auto row = english.find(t.toUpper());
        return row == english.end() ? t : row->second;
    };
    finance::StateTotals totals;
    finance::ExportExcelState(d, totals);
    finance::ExportExcelIncomeExpenses(d, &totals);
    ASSERT_EQ(opened.size(), 2);
    struct Case {
        QString sheet;
        std::vector<std::pair<const char*, const char*>> cells;
    };
    const Case cases[] = {{"Balance", {{"D1", "Balance"}, {"E3", "Date:"}, {"A16", "Name"}, {"F16", "Amount"}}},
                          {"Income and expenses", {{"E3", "Date:"}, {"A16", "Name"}, {"F16", "Amount"}, {"A20", "Name"}}}};
    for (int i = 0; i < 2; ++i) {
        QStringList refs;
        for (const auto& [ref, text] : cases[i].cells)
            refs << ref;
        const QJsonObject c = readBack(opened[i], refs);
        EXPECT_EQ(c["_sheet"].toString(), cases[i].sheet);
        for (const auto& [ref, text] : cases[i].cells)
            EXPECT_EQ(c[ref].toObject()["value"].toString(), text) << ref;
    }
}

TEST_F(FinanceExportTest, AMissingTemplateIsToldAndNothingIsSavedOrOpened)
{
    finance::ExportDeps d{side};
    d.dataFolder = m_folder->path();
    finance::StateTotals totals;
    finance::ExportExcelState(d, totals); // no Templates folder, nothing shipped
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_TRUE(QDir(m_folder->file("Excel")).entryList(QDir::Files).isEmpty());
    const auto shown = testsupport::presenter().calls("message");
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0].text.contains(QString::fromUtf8("Predložak nije pronađen")));
    EXPECT_TRUE(shown[0].text.contains("state.xlsx"));

    // A file that is no workbook is told as well.
    QDir().mkpath(m_folder->file("Templates"));
    m_folder->write("Templates/state.xlsx", "not a zip");
    testsupport::presenter().clear();
    finance::ExportExcelState(d, totals);
    EXPECT_TRUE(opened.isEmpty());
    ASSERT_EQ(testsupport::presenter().calls("message").size(), 1u);
    EXPECT_TRUE(testsupport::presenter().calls("message")[0].text.contains("not a workbook"));
}

// Hostile templates a user (or anyone who can write the data folder) can put in Templates/:
// each is made here, goes through the real export, and is refused with one message while
// nothing is written or opened.
TEST_F(FinanceExportTest, AHostileTemplateIsRefusedWithOneMessageAndNothingIsExported)
{
    const char* maker = R"(
import sys, zipfile
case, shipped, out = sys.argv[1:4]
zeros = bytes(1 << 20)
def bomb(entries, megabytes):
    with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as z:
        for i in range(entries):
            with z.open("xl/media/zero%d.bin" % i, "w") as f:
                for _ in range(megabytes):
                    f.write(zeros)
if case == "entry":
    bomb(1, 70)
elif case == "total":
    bomb(3, 50)
elif case == "count":
    with zipfile.ZipFile(out, "w") as z:
        for i in range(5000):
            z.writestr("xl/n%d.xml" % i, "")
elif case == "header":
    # States 100 bytes for an entry that inflates to 70 MB.
    bomb(1, 70)
    data = bytearray(open(out, "rb").read())
    local = data.find(b"PK\x03\x04")
    central = data.find(b"PK\x01\x02")
    data[local + 22:local + 26] = (100).to_bytes(4, "little")
    data[central + 24:central + 28] = (100).to_bytes(4, "little")
    open(out, "wb").write(data)
else:
    # The shipped template with one more entry under a hostile name.
    with zipfile.ZipFile(shipped) as src, zipfile.ZipFile(out, "w") as z:
        for info in src.infolist():
            z.writestr(info, src.read(info))
        z.writestr(zipfile.ZipInfo(case), "x")
)";
    struct Case {
        const char* name;
        const char* refusal;
    } cases[] = {
        {"entry", "An entry larger than"},      {"total", "unpacks to more than"},
        {"count", "more than"},                 {"header", "zero0.bin"},
        {"../../x", "Unsafe name in archive"},  {"/tmp/x", "Unsafe name in archive"},
        {"xl/../../x", "Unsafe name in archive"}, {"xl\\..\\x", "Unsafe name in archive"},
        {"C:/x", "Unsafe name in archive"},
    };
    finance::ExportDeps d{side};
    d.dataFolder = m_folder->path();
    QDir().mkpath(m_folder->file("Templates"));
    const QString templ = m_folder->file("Templates/state.xlsx");
    for (const Case& c : cases) {
        QFile::remove(templ);
        QProcess p;
        p.start("/usr/bin/python3", {"-c", maker, c.name, testsupport::binDir() + "/templates/state.xlsx", templ});
        ASSERT_TRUE(p.waitForFinished(120000)) << c.name;
        ASSERT_EQ(p.exitCode(), 0) << c.name << p.readAllStandardError().toStdString();
        testsupport::presenter().clear();
        finance::ExportExcelState(d, finance::StateTotals{});
        EXPECT_TRUE(opened.isEmpty()) << c.name;
        EXPECT_TRUE(QDir(m_folder->file("Excel")).entryList(QDir::Files).isEmpty()) << c.name;
        const auto shown = testsupport::presenter().calls("message");
        ASSERT_EQ(shown.size(), 1u) << c.name;
        EXPECT_TRUE(shown[0].text.contains(QString::fromUtf8("Izvoz u MS Excel nije uspio"))) << c.name;
        EXPECT_TRUE(shown[0].text.contains(c.refusal)) << c.name << " " << shown[0].text.toStdString();
    }
    // The shipped template as it stands still exports.
    QFile::remove(templ);
    ASSERT_TRUE(QFile::copy(testsupport::binDir() + "/templates/state.xlsx", templ));
    testsupport::presenter().clear();
    finance::ExportExcelState(d, finance::StateTotals{});
    EXPECT_EQ(opened.size(), 1);
    EXPECT_TRUE(testsupport::presenter().calls("message").empty());
}

// The document exports over documents stored as the forms store them.
class DocumentExportTest : public FinanceExportTest {
protected:
    void SetUp() override
    {
        FinanceExportTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        m_folder->write("Standard.ini", QString::fromUtf8("[License]\r\nCompanyName=Obrt Šime\r\nPhone=021 1\r\n"
                                                          "Email=a@b.hr\r\nPerosnInCharge=Ivo Ivić\r\n").toUtf8());
        deps.dataFolder = m_folder->path();
        deps.shippedTemplates = testsupport::binDir() + "/templates";
    }
    long contact(const char* middle, long group = 0)
    {
        CON() = CON_Contacts_Rec{};
        CON().GRUPAID = int32_t(group);
        CON().PREZIME = "Horvat";
        CON().SREDNJEIME = middle;
        CON().IME = "Ana";
        CON().TVRTKA = "=HYPERLINK(\"x\")";
        CON().TADRESA1 = "Obala 2";
        CON().TGRAD = "Split";
        CON().TDRZAVA = "HR";
        CON().TPOSTBROJ = "21000";
        CON().TPHONE1 = "+385 21";
        EXPECT_EQ(Access(Tbl::CON_Contacts).Insert(), 0);
        return CON().ID;
    }
    long invoice(long customer, int items)
    {
        if (!category) { // names are unique: one category and one product
            IDK() = IDKategorija_Rec{};
            IDK().NAZIV = "Račun/R1";
            EXPECT_EQ(Access(Tbl::IDKategorija).Insert(), 0);
            category = IDK().ID;
            PRU() = ProizvodUsluga_Rec{};
            PRU().NAZIV = "+Vijak";
            EXPECT_EQ(Access(Tbl::ProizvodUsluga).Insert(), 0);
            product = PRU().ID;
        }
        ID() = IDokumenti_Rec{};
        ID().KATEGORIJAID = int32_t(category);
        ID().KUPACID = int32_t(customer);
        ID().BROJDOKUMENTA = "R-7";
        ID().DATUM = int32_t(vrt::dayFromDate(QDate(2026, 3, 15)));
        ID().IZNOS_DECIMAL = "1234.56";
        ID().NAPOMENA = "=1+1";
        EXPECT_EQ(Access(Tbl::IDokumenti).Insert(), 0);
        for (int i = 1; i <= items; ++i) {
            IDS() = IDStavke_Rec{};
            IDS().DOKUMENTID = ID().ID;
            IDS().PROIZVODUSLUGAID = int32_t(product);
            IDS().IZNOS_DECIMAL = QString("%1.10").arg(i).toStdString();
            IDS().POREZ_IZNOS_DECIMAL = "0.25";
            IDS().RABAT_JED_DECIMAL = "1.5";
            EXPECT_EQ(Access(Tbl::IDStavke).Insert(), 0);
        }
        return ID().ID;
    }
    finance::ExportDeps deps{side};
    long category = 0, product = 0;
};

TEST_F(DocumentExportTest, TheInvoiceExportWritesHeaderCustomerSeventeenItemsAndSums)
{
    const long doc = invoice(contact("Marija"), 17);
    finance::ExportExcelInvoice(deps, doc);
    ASSERT_EQ(opened.size(), 1) << testsupport::presenter().calls("message").size();
    EXPECT_TRUE(testsupport::presenter().calls("message").empty());
    // The category names the file; its "/" does not make a folder.
    EXPECT_TRUE(QFileInfo(opened[0]).fileName().startsWith(QString::fromUtf8("Račun_R1_"))) << opened[0].toStdString();
    EXPECT_EQ(QFileInfo(opened[0]).dir().dirName(), "Excel");
    const QJsonObject c = readBack(opened[0], {"A1", "A6", "D1", "F3", "F4", "F5", "A10", "A11", "A12", "A13", "A14", "A17",
                                               "E17", "F17", "F33", "A34", "F34", "F35", "F36", "A37", "F39", "A46", "A16"});
    auto value = [&](const char* ref) { return c[ref].toObject()["value"].toVariant(); };
    auto type = [&](const char* ref) { return c[ref].toObject()["type"].toString(); };
    EXPECT_EQ(value("A1").toString(), QString::fromUtf8("Obrt Šime"));
    EXPECT_EQ(value("A6").toString(), "Telefon: 021 1");
    EXPECT_EQ(value("D1").toString(), QString::fromUtf8("Račun/R1"));
    EXPECT_TRUE(c["F3"].toObject()["date"].toBool());
    EXPECT_EQ(value("F3").toString().left(10), "2026-03-15");
    EXPECT_EQ(value("F4").toString(), "R-7");
    EXPECT_EQ(type("F5"), "n");
    EXPECT_EQ(value("A10").toString(), "Horvat Marija Ana");
    // Texts that look like formulas stay texts.
    EXPECT_EQ(value("A11").toString(), "=HYPERLINK(\"x\")");
    EXPECT_EQ(type("A11"), "s");
    EXPECT_EQ(value("A12").toString(), "Obala 2");
    EXPECT_EQ(value("A13").toString(), "Split HR 21000");
    EXPECT_EQ(value("A14").toString(), "Telefon: +385 21");
    EXPECT_EQ(value("A17").toString(), "+Vijak");
    EXPECT_EQ(type("A17"), "s");
    EXPECT_DOUBLE_EQ(value("E17").toDouble(), 0.25);
    EXPECT_DOUBLE_EQ(value("F17").toDouble(), 1.1);
    EXPECT_DOUBLE_EQ(value("F33").toDouble(), 17.1); // the 17th item on the last item row
    EXPECT_EQ(value("A34").toString(), "");          // nothing runs into the sums
    // 1.10 + 2.10 + ... + 17.10; 17 discounts of 1.50; 17 taxes of 0.25.
    EXPECT_DOUBLE_EQ(value("F34").toDouble(), 154.7);
    EXPECT_DOUBLE_EQ(value("F35").toDouble(), 25.5);
    EXPECT_DOUBLE_EQ(value("F36").toDouble(), 4.25);
    EXPECT_EQ(value("A37").toString(), "=1+1");
    EXPECT_EQ(type("A37"), "s");
    EXPECT_DOUBLE_EQ(value("F39").toDouble(), 1234.56);
    EXPECT_EQ(value("A46").toString(), QString::fromUtf8("Ivo Ivić 021 1 a@b.hr"));
    EXPECT_EQ(value("A16").toString(), "Naziv");
    if (const QString out = qEnvironmentVariable("VELMORA_SCREENSHOT_DIR"); !out.isEmpty())
        drawSheet(opened[0], out + "/finance-export-invoice.png");

    // Without a middle name the name has two parts; the second export never overwrites the first.
    finance::ExportExcelInvoice(deps, invoice(contact(""), 1));
    ASSERT_EQ(opened.size(), 2);
    EXPECT_NE(opened[0], opened[1]);
    EXPECT_EQ(readBack(opened[1], {"A10"})["A10"].toObject()["value"].toString(), "Horvat Ana");
}

TEST_F(DocumentExportTest, AnInvoiceThatCannotBeExportedIsRefusedAndNothingIsWritten)
{
    struct Case {
        const char* what;
        std::function<long()> document;
        const char* said;
    };
    const std::vector<Case> cases = {
        {"eighteen items", [&] { return invoice(contact(""), 18); }, "Previše stavki za export u MS Excel !"},
        {"customer gone", [&] { return invoice(99999, 1); }, "W_First ExportExcelInvoice Fetch :99999 : 35 : "},
        {"no document", [] { return 0L; }, "Prethodno odaberite dokument za izvoz."},
        {"document gone", [] { return 424242L; }, "Izvoz u MS Excel nije uspio:"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        testsupport::presenter().clear();
        finance::ExportExcelInvoice(deps, c.document());
        const auto shown = testsupport::presenter().calls("message");
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_TRUE(shown[0].text.startsWith(QString::fromUtf8(c.said))) << shown[0].text.toStdString();
        EXPECT_TRUE(opened.isEmpty());
        EXPECT_TRUE(QDir(m_folder->file("Excel")).entryList(QDir::Files).isEmpty());
    }
}

TEST_F(DocumentExportTest, TheIncomingDocumentExportWritesItsCells)
{
    const long supplier = contact("");
    UDK() = UDKategorija_Rec{};
    UDK().NAZIV = "Ulazni";
    ASSERT_EQ(Access(Tbl::UDKategorija).Insert(), 0);
    UD() = UDokumenti_Rec{};
    UD().KATEGORIJAID = UDK().ID;
    UD().DOBAVLJACID = int32_t(supplier);
    UD().BROJDOKUMENTA = "@U-1";
    UD().DATUM = int32_t(vrt::dayFromDate(QDate(2026, 1, 2)));
    UD().IZNOS_DECIMAL = "-99.5";
    UD().NAPOMENA = "napomena";
    ASSERT_EQ(Access(Tbl::UDokumenti).Insert(), 0);
    finance::ExportExcelInputDocument(deps, UD().ID);
    ASSERT_EQ(opened.size(), 1);
    EXPECT_TRUE(QFileInfo(opened[0]).fileName().startsWith("Input_document_"));
    const QJsonObject c = readBack(opened[0], {"A1", "A46", "D1", "F3", "A17", "A18", "F18", "F39", "A37"});
    auto value = [&](const char* ref) { return c[ref].toObject()["value"].toVariant(); };
    EXPECT_EQ(value("A1").toString(), QString::fromUtf8("Obrt Šime"));
    EXPECT_EQ(value("D1").toString(), "Ulazni");
    EXPECT_EQ(value("F3").toString().left(10), "2026-01-02");
    EXPECT_EQ(value("A17").toString(), "=HYPERLINK(\"x\")");
    EXPECT_EQ(c["A17"].toObject()["type"].toString(), "s");
    EXPECT_EQ(value("A18").toString(), "@U-1");
    EXPECT_DOUBLE_EQ(value("F18").toDouble(), -99.5);
    EXPECT_DOUBLE_EQ(value("F39").toDouble(), -99.5);
    EXPECT_EQ(value("A37").toString(), "napomena");
    EXPECT_TRUE(value("A46").isNull());
}

TEST_F(DocumentExportTest, TheWindowsRoutinesExportOnlyTheirOwnListsSelection)
{
    organiser::RoutineTable* routines = window->routineTable();
    ASSERT_NE(routines, nullptr);
    for (organiser::Routine routine : {organiser::Routine::ExportExcelInvoice, organiser::Routine::ExportExcelInputDocument}) {
        SCOPED_TRACE(organiser::nameOf(routine).toStdString());
        ASSERT_TRUE(routines->has(routine));
        testsupport::presenter().clear();
        routines->run(routine);
        const auto shown = testsupport::presenter().calls("message");
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].text, "Prethodno odaberite dokument za izvoz.");
    }
    EXPECT_TRUE(opened.isEmpty());
}
