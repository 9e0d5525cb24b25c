#include "runtime/Process.h"
#include "runtime/Report.h"
#include "runtime/WindowManager.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QPrintPreviewDialog>
#include <QPushButton>
#include <QTest>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <gtest/gtest.h>

namespace {

// A fixture "table": rows read one at a time into a buffer, as a view fills record buffers.
struct Row {
    int id;
    QString name;
    QString amount;
};

class RowsSource : public vrt::RecordSource {
public:
    explicit RowsSource(std::vector<Row> rows, bool knowCount = true, int failAt = -1)
        : m_rows(std::move(rows)), m_knowCount(knowCount), m_failAt(failAt) {}
    bool next() override
    {
        if (int(m_pos) == m_failAt) {
            m_error = "read failed";
            return false;
        }
        if (m_pos >= m_rows.size())
            return false;
        buffer = m_rows[m_pos++];
        return true;
    }
    long long count() const override { return m_knowCount ? (long long)m_rows.size() : -1; }
    QString error() const override { return m_error; }
    Row buffer{};

private:
    std::vector<Row> m_rows;
    size_t m_pos = 0;
    bool m_knowCount;
    int m_failAt;
    QString m_error;
};

std::vector<Row> makeRows(int n)
{
    std::vector<Row> rows;
    for (int i = 1; i <= n; ++i)
        rows.push_back({i, QStringLiteral("Stavka %1").arg(i), QStringLiteral("%1,00").arg(i * 10)});
    return rows;
}

class RecordingSink : public vrt::ProgressSink {
public:
    long long cancelAfter = -1;
    std::vector<int> percents;
    bool finished = false;
    bool progress(int percent, long long done) override
    {
        percents.push_back(percent);
        return cancelAfter < 0 || done < cancelAfter;
    }
    void finish() override { finished = true; }
};

QString pdfText(const QString& pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

TEST(Process, WalksTakesAndReportsProgress)
{
    struct Case {
        const char* name;
        int rows;
        bool knowCount;
        long long cancelAfter;
        int stopAt;  // id whose record ends the walk
        int skipOdd; // odd ids are read but not taken
        int failAt;
        vrt::Process::Result result;
        long long read, taken;
    };
    const Case cases[] = {
        {"all", 40, true, -1, 0, 0, -1, vrt::Process::Result::Completed, 40, 40},
        {"cancel", 40, true, 10, 0, 0, -1, vrt::Process::Result::Cancelled, 10, 10},
        {"stop", 40, true, -1, 7, 0, -1, vrt::Process::Result::Completed, 7, 6},
        {"skip", 10, true, -1, 0, 1, -1, vrt::Process::Result::Completed, 10, 5},
        {"unknown total", 5, false, -1, 0, 0, -1, vrt::Process::Result::Completed, 5, 5},
        {"read error", 10, true, -1, 0, 0, 4, vrt::Process::Result::Failed, 4, 4},
        {"empty", 0, true, -1, 0, 0, -1, vrt::Process::Result::Completed, 0, 0},
    };
    for (const auto& c : cases) {
        RowsSource source(makeRows(c.rows), c.knowCount, c.failAt);
        vrt::Process process(source, [&] {
            if (source.buffer.id == c.stopAt)
                return vrt::Process::Take::Stop;
            if (c.skipOdd && source.buffer.id % 2)
                return vrt::Process::Take::Skip;
            return vrt::Process::Take::Next;
        });
        RecordingSink sink;
        sink.cancelAfter = c.cancelAfter;
        EXPECT_EQ(process.run(&sink), c.result) << c.name;
        EXPECT_EQ(process.read(), c.read) << c.name;
        EXPECT_EQ(process.taken(), c.taken) << c.name;
        EXPECT_TRUE(sink.finished) << c.name;
        if (c.result == vrt::Process::Result::Completed) {
            EXPECT_EQ(sink.percents.back(), 100) << c.name;
        }
        if (c.knowCount && c.rows) {
            EXPECT_TRUE(std::is_sorted(sink.percents.begin(), sink.percents.end())) << c.name;
            EXPECT_EQ(sink.percents.front(), 0) << c.name;
        } else if (!c.knowCount) {
            EXPECT_EQ(sink.percents.front(), -1) << c.name;
        }
    }
}

TEST(Process, TheProgressWindowCancels)
{
    RowsSource source(makeRows(50));
    int depthInside = -1;
    vrt::Process process(source, [&] {
        depthInside = vrt::modalDepth(); // windows' guarded timers wait while it runs
        if (source.buffer.id == 10) {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->isVisible() && w->windowTitle() == "Progress...")
                    for (auto* b : w->findChildren<QPushButton*>())
                        if (b->text() == "Cancel")
                            QTest::mouseClick(b, Qt::LeftButton);
        }
        return vrt::Process::Take::Next;
    });
    process.setTitle("Ispis");
    auto window = vrt::makeProgressWindow();
    EXPECT_EQ(process.run(window.get()), vrt::Process::Result::Cancelled);
    EXPECT_EQ(process.read(), 10);
    EXPECT_EQ(depthInside, 1);
    EXPECT_EQ(vrt::modalDepth(), 0);
}

TEST(Report, BandsReachThePdfInOrderOnEveryPage)
{
    if (QStandardPaths::findExecutable("pdftotext").isEmpty()) {
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    }
    testsupport::TempFolder temp;
    RowsSource source(makeRows(60));
    vrt::Report report;
    report.setTitle("Stanje");
    report.setPage(QPageSize(QPageSize::A4), QMarginsF(15, 15, 15, 15));
    QFont font("DejaVu Sans", 10);
    report.pageHeader.height = 12;
    report.pageHeader.addText({0, 0, 180, 8}, "PRIHOD UKUPNO", font);
    report.pageHeader.addLine({0, 10, 180, 0});
    report.pageFooter.height = 8;
    report.pageFooter.addText({0, 0, 180, 6}, "Stranica %PAGE% od %PAGES%", font, Qt::AlignRight | Qt::AlignVCenter);

    vrt::ReportBand detail;
    detail.height = 6;
    detail.addValue({0, 0, 20, 6}, [&] { return QString::number(source.buffer.id); }, font);
    detail.addValue({25, 0, 100, 6}, [&] { return source.buffer.name; }, font);
    detail.addValue({130, 0, 50, 6}, [&] { return source.buffer.amount; }, font, Qt::AlignRight | Qt::AlignVCenter);
    vrt::ReportBand note;
    note.height = 6;
    auto& wrapped = note.addText({25, 0, 60, 6}, QString("Napomena ").repeated(30), font);
    wrapped.wrap = true;

    vrt::Process process(source, [&] {
        report.print(detail);
        return vrt::Process::Take::Next;
    });
    ASSERT_EQ(process.run(), vrt::Process::Result::Completed);
    report.print(note);
    ASSERT_GE(report.pageCount(), 2);

    const QString pdf = temp.file("stanje.pdf");
    ASSERT_TRUE(report.writePdf(pdf));
    const QString text = pdfText(pdf);
    const QStringList pages = text.split(QChar('\f'), Qt::SkipEmptyParts);
    ASSERT_GE(pages.size(), report.pageCount());
    const QString last = QString::number(report.pageCount());
    for (int p = 0; p < report.pageCount(); ++p) {
        const QString& page = pages[p];
        EXPECT_TRUE(page.contains("PRIHOD UKUPNO")) << p;
        EXPECT_TRUE(page.contains(QStringLiteral("Stranica %1 od %2").arg(p + 1).arg(last))) << p;
        // The header comes before the details, the footer after them.
        EXPECT_LT(page.indexOf("PRIHOD UKUPNO"), page.indexOf("Stavka")) << p;
        EXPECT_GT(page.indexOf("Stranica"), page.lastIndexOf("Stavka")) << p;
    }
    // Every record printed once, in order, amounts on the same line as their names.
    int previous = -1;
    for (const auto& row : makeRows(60)) {
        const QRegularExpression line(QStringLiteral("\\b%1\\s+%2\\s+%3\\b").arg(row.id).arg(row.name).arg(row.amount));
        const auto match = line.match(text);
        ASSERT_TRUE(match.hasMatch()) << row.id;
        EXPECT_GT(match.capturedStart(), previous) << row.id;
        previous = match.capturedStart();
    }
    // The wrapped text grew its band: every word is there, over several lines.
    EXPECT_EQ(text.count("Napomena"), 30);
    EXPECT_EQ(report.pageTexts(0).front(), "PRIHOD UKUPNO");
}

TEST(Report, PreviewNeverBlocksATest)
{
    vrt::Report report;
    vrt::ReportBand band;
    band.addText({0, 0, 50, 5}, "x");
    report.print(band);
    // The built-in preview goes through the modal runner: the test runner answers it.
    testsupport::clearModalLog();
    EXPECT_FALSE(report.preview());
    EXPECT_EQ(testsupport::modalLog(), QStringList{"QPrintPreviewDialog"});
    // A program or test can take the preview over entirely.
    int pages = 0;
    const testsupport::ScopedHook<vrt::Report::PreviewRunner> preview(&vrt::Report::setPreviewRunner, [&](vrt::Report& r) {
        pages = r.pageCount();
        return true;
    });
    EXPECT_TRUE(report.preview());
    EXPECT_EQ(pages, 1);

    // A report procedure's whole run: cancelled on the way, nothing is shown.
    RowsSource rows(makeRows(5));
    const auto printBand = [&] {
        report.print(band);
        return vrt::Process::Take::Next;
    };
    vrt::Process process(rows, printBand);
    RecordingSink cancel;
    cancel.cancelAfter = 2;
    pages = 0;
    EXPECT_EQ(vrt::runReport(report, process, &cancel), vrt::REQUEST_CANCELLED);
    EXPECT_EQ(pages, 0);
    RowsSource again(makeRows(5));
    vrt::Process whole(again, printBand);
    report.clear();
    EXPECT_EQ(vrt::runReport(report, whole, nullptr), vrt::REQUEST_COMPLETED);
    EXPECT_EQ(pages, 1);
}
