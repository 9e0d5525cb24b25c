// A hostile 1 MB mail body shown in the preview: made safe and laid out in a text document,
// as the preview does at start. Bodies: a megabyte of nested divs and spans, 4,000 nested
// tables repeated to a megabyte, and a megabyte of plain paragraphs as the floor (what any
// mail of that size costs), and a megabyte of table nests side by side. Target: each hostile body within 2x the floor, well under a second.
#include "bench/BenchSupport.h"
#include "protocols/MailHtml.h"

#include <QApplication>
#include <QTextDocument>

namespace {

constexpr double kFloorRatio = 2.0, kLimitMs = 1000;

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

// Made safe and laid out as the preview shows it; negative when nothing was laid out.
double show(const QString& body)
{
    double height = 0;
    const double ms = bench::timeMs([&] {
        QTextDocument doc;
        doc.setHtml(controls::safeMailHtml(body));
        doc.setTextWidth(800);
        height = doc.size().height();
    });
    return height > 0 ? ms : -1;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rounds = bench::roundsArg(argc, argv, bench::kRounds);
    const QString paragraphs = toMegabyte(QStringLiteral("<p>Poštovani, šaljem ponudu za ožujak u privitku.</p>\n"));
    const QString divs = toMegabyte(nested(QStringLiteral("<div><span>"), QStringLiteral("</span></div>"), 50000));
    const QString tables = toMegabyte(nested(QStringLiteral("<table><tr><td>"), QStringLiteral("</td></tr></table>"), 4000));
    // Side by side, each as deep as tables are kept.
    const QString nests = toMegabyte(
        nested(QStringLiteral("<table><tr><td>"), QStringLiteral("</td></tr></table>"), controls::kMaxTableNesting));
    bench::Samples s;
    const bool worked = bench::interleave(rounds,
                                          {{"paragraphs", [&] { return show(paragraphs); }},
                                           {"nested divs", [&] { return show(divs); }},
                                           {"nested tables", [&] { return show(tables); }},
                                           {"many table nests", [&] { return show(nests); }}},
                                          s);
    bench::Report report("hostile 1 MB mail bodies in the preview", rounds);
    if (!worked)
        report.fail("a body was not laid out");
    report.show("paragraphs (the floor)", s["paragraphs"]);
    for (const char* body : {"nested divs", "nested tables", "many table nests"}) {
        report.ratio(std::string(body) + " / paragraphs", s[body], s["paragraphs"], kFloorRatio);
        report.limit(body, s[body], kLimitMs);
    }
    return report.finish();
}
