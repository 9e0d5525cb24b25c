#include "procedures/finance/FinanceCharts.h"
#include "procedures/finance/FinanceReports.h"
#include "runtime/Process.h"
#include "runtime/Report.h"
#include "runtime/WindowManager.h"
#include "tests/procedures/FinanceFixture.h"

#include <QProcess>

namespace {

// The text a PDF shows, as an independent reader extracts it.
QString pdfText(const vrt::Report& report, const QString& folder)
{
    const QString pdf = folder + "/report.pdf";
    QString error;
    EXPECT_TRUE(report.writePdf(pdf, &error)) << error.toStdString();
    QProcess p;
    p.start("pdftotext", {"-layout", pdf, "-"});
    EXPECT_TRUE(p.waitForFinished(20000));
    return QString::fromUtf8(p.readAllStandardOutput());
}

// Every non-empty line, blanks between words squeezed.
QStringList lines(const QString& text)
{
    QStringList out;
    for (const QString& l : text.split('\n')) {
        const QString s = l.normalized(QString::NormalizationForm_KC).simplified(); // "ﬁ" ligatures too
        if (!s.isEmpty())
            out << s;
    }
    return out;
}

// Catches the preview: keeps the report's text instead of showing it.
struct PreviewCatcher {
    QString folder;
    QStringList printed;
    int shown = 0;
    vrt::Report::PreviewRunner old;
    explicit PreviewCatcher(QString f) : folder(std::move(f))
    {
        old = vrt::Report::setPreviewRunner([this](vrt::Report& r) {
            ++shown;
            printed = lines(pdfText(r, folder));
            return false;
        });
    }
    ~PreviewCatcher() { vrt::Report::setPreviewRunner(old); }
};

} // namespace

TEST_F(FinanceTest, PrintingIncomeAndExpensesTotalsEveryEntryWhateverIsSelected)
{
    window->paneRoutines().FillFinanceCategoryTree();
    const long sub = category("Plaća", 1, 1);
    entry(1, 1, "100.00");
    entry(sub, 1, "1050.00");
    entry(2, 2, "30.00");
    select(sub);
    PreviewCatcher preview(m_folder->path());
    window->dispatcher().dispatch(6001);
    window->dispatcher().dispatch(6999);
    ASSERT_EQ(preview.shown, 1);
    const auto& q = finance::totalsQueue();
    ASSERT_EQ(q.size(), 3u);
    EXPECT_EQ(q[0].naziv, "Prihod ukupno :");
    EXPECT_EQ(q[0].iznos.toString(2), "1150.00");
    EXPECT_EQ(q[2].naziv, "Stanje :");
    EXPECT_EQ(q[2].iznos.toString(2), "1120.00");
    EXPECT_EQ(preview.printed, QStringList({"Prihodi i troškovi", "Naziv Iznos", "Prihod ukupno : 1.150,00",
                                            "Trošak ukupno : 30,00", "Stanje : 1.120,00"}));
    EXPECT_EQ(GLOBALRESPONSE, vrt::REQUEST_COMPLETED);
}

TEST_F(FinanceTest, PrintingTheStateShowsTheGrafTotalsAndNoAmountOnHeadings)
{
    window->paneRoutines().FillFinanceCategoryTree();
    entry(1, 1, "-5.50");
    entry(2, 2, "10.00");
    PreviewCatcher preview(m_folder->path());
    window->dispatcher().dispatch(6005); // the "Graf" sub-tab draws the income chart only
    window->dispatcher().dispatch(6999);
    ASSERT_EQ(preview.shown, 1);
    EXPECT_EQ(preview.printed, QStringList({"Osobne financije, ulazni i izlazni dokumenti", "Naziv Iznos", "Osobne financije",
                                            "Prihod -5,50", "Trošak 10,00", "STANJE -15,50",
                                            "Ulazni i izlazni dokumenti", "Ulazni", "Izlazni", "STANJE"}));
    EXPECT_EQ(finance::totalsQueue().size(), 10u);
}

TEST_F(FinanceTest, AnEmptyQueuePrintsNothingAndCompletes)
{
    PreviewCatcher preview(m_folder->path());
    finance::totalsQueue().clear();
    // Texts as they are, no progress window.
    struct Plain : finance::ReportSide {
        QString translate(const QString& t) override { return t; }
        std::unique_ptr<vrt::ProgressSink> progress() override { return nullptr; }
    } plain;
    EXPECT_EQ(finance::R_Stanje(plain), vrt::REQUEST_COMPLETED);
    EXPECT_EQ(preview.shown, 0);
    vrt::Report report;
    finance::layTotalsReport(report, "T", {}, {});
    EXPECT_EQ(report.pageCount(), 0);
}
