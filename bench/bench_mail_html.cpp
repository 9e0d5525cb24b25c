// A hostile 1 MB mail body shown in the preview: made safe and laid out in a text document,
// as the preview does at start. Bodies: a megabyte of nested divs and spans, 4,000 nested
// tables repeated to a megabyte, and a megabyte of plain paragraphs as the floor (what any
// mail of that size costs), and a megabyte of table nests side by side. Target: each hostile body within 2x the floor, well under a second.
#include <benchmark/benchmark.h>

#include "controls/MailHtml.h"

#include <QApplication>
#include <QTextDocument>

namespace {

QString nested(const QString& open, const QString& close, int depth)
{
    return open.repeated(depth) + QStringLiteral("dno") + close.repeated(depth);
}

QString toMegabyte(const QString& piece)
{
    QString out;
    while (out.size() < 1024 * 1024)
        out += piece;
    return out;
}

void show(benchmark::State& state, const QString& body)
{
    for (auto _ : state) {
        QTextDocument doc;
        doc.setHtml(controls::safeMailHtml(body));
        doc.setTextWidth(800);
        benchmark::DoNotOptimize(doc.size());
    }
}

void BM_Paragraphs(benchmark::State& state)
{
    show(state, toMegabyte(QStringLiteral("<p>Poštovani, šaljem ponudu za ožujak u privitku.</p>\n")));
}
void BM_NestedDivs(benchmark::State& state)
{
    show(state, toMegabyte(nested(QStringLiteral("<div><span>"), QStringLiteral("</span></div>"), 50000)));
}
void BM_NestedTables(benchmark::State& state)
{
    show(state, toMegabyte(nested(QStringLiteral("<table><tr><td>"), QStringLiteral("</td></tr></table>"), 4000)));
}

// Side by side, each as deep as tables are kept.
void BM_ManyTableNests(benchmark::State& state)
{
    show(state, toMegabyte(nested(QStringLiteral("<table><tr><td>"), QStringLiteral("</td></tr></table>"), controls::kMaxTableNesting)));
}

BENCHMARK(BM_Paragraphs)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_NestedDivs)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_NestedTables)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ManyTableNests)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
