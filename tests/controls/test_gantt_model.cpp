#include <gtest/gtest.h>

#include "controls/GanttModel.h"
#include "controls/GanttProjectXml.h"
#include "tests/support/TestSupport.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <pugixml.hpp>

using namespace controls;

namespace {

constexpr int SatSun = 64 | 1;
const QDate Mon(2026, 1, 5); // a Monday

long task(GanttModel& m, const QString& name, const QDate& start, int days, long parent = 0)
{
    const long h = m.InsertItem(parent, name);
    m.setCellValue(h, CellStart, start);
    m.setCellValue(h, CellDuration, days);
    return h;
}

QDate D(int m, int d) { return QDate(m == 12 ? 2025 : 2026, m, d); }

} // namespace

// ---- calendar and scheduling ----------------------------------------------------------------

TEST(GanttCalendar, DurationsCountWorkingDaysOnly)
{
    GanttModel m;
    m.setNonworkingDays(SatSun);
    EXPECT_TRUE(m.IsNonworkingDate(QDate(2026, 1, 10)));
    EXPECT_FALSE(m.IsNonworkingDate(Mon));
    const long a = task(m, "A", QDate(2026, 1, 8), 3); // Thu, Fri, (weekend), Mon
    EXPECT_EQ(m.bar(a).end, QDate(2026, 1, 13));
    EXPECT_EQ(m.CellValue(a, CellDuration).toInt(), 3);
    m.setCellValue(a, CellEnd, QDate(2026, 1, 20));
    EXPECT_EQ(m.duration(a), 8);
    // Every weekday off: days count as they come instead of never ending.
    m.setNonworkingDays(127);
    EXPECT_EQ(m.endForDuration(Mon, 2), Mon.addDays(2));
    m.setNonworkingDays(128);
    EXPECT_TRUE(m.IsNonworkingDate(Mon));
    EXPECT_EQ(m.addWorkingDays(Mon, 3), Mon.addDays(3));
}

TEST(GanttSchedule, EachLinkTypeWithDelaysAndWeekends)
{
    struct Case {
        int mask, startPos, endPos, delay;
        QDate start, end;
    };
    // The predecessor works Mon 5 to Wed 7 January; the successor first sits on 29-30 December.
    const Case cases[] = {
        {SatSun, 2, 0, 0, D(1, 8), D(1, 10)},  {SatSun, 2, 0, 2, D(1, 12), D(1, 14)}, {SatSun, 2, 0, -1, D(1, 7), D(1, 9)},
        {SatSun, 0, 0, 0, D(1, 5), D(1, 7)},   {SatSun, 0, 0, 2, D(1, 7), D(1, 9)},   {SatSun, 0, 0, -1, D(1, 2), D(1, 6)},
        {SatSun, 2, 2, 0, D(1, 6), D(1, 8)},   {SatSun, 2, 2, 2, D(1, 8), D(1, 10)},  {SatSun, 2, 2, -1, D(1, 5), D(1, 7)},
        {SatSun, 0, 2, 0, D(1, 1), D(1, 3)},   {SatSun, 0, 2, 2, D(1, 5), D(1, 7)},   {SatSun, 0, 2, -1, D(12, 31), D(1, 2)},
        {0, 2, 0, 0, D(1, 8), D(1, 10)},       {0, 2, 0, 2, D(1, 10), D(1, 12)},      {0, 2, 0, -1, D(1, 7), D(1, 9)},
        {0, 0, 0, 0, D(1, 5), D(1, 7)},        {0, 0, 0, 2, D(1, 7), D(1, 9)},        {0, 0, 0, -1, D(1, 4), D(1, 6)},
        {0, 2, 2, 0, D(1, 6), D(1, 8)},        {0, 2, 2, 2, D(1, 8), D(1, 10)},       {0, 2, 2, -1, D(1, 5), D(1, 7)},
        {0, 0, 2, 0, D(1, 3), D(1, 5)},        {0, 0, 2, 2, D(1, 5), D(1, 7)},        {0, 0, 2, -1, D(1, 2), D(1, 4)},
    };
    for (const Case& c : cases) {
        GanttModel m;
        m.setNonworkingDays(c.mask);
        const long p = task(m, "P", Mon, 3);
        const long s = task(m, "S", D(12, 29), 2);
        m.AddLink(p, s, c.startPos, c.endPos, c.delay);
        const QString what = QStringLiteral("mask %1 link %2-%3 delay %4").arg(c.mask).arg(c.startPos).arg(c.endPos).arg(c.delay);
        EXPECT_GE(m.SchedulePDM(p), 0) << what.toStdString();
        EXPECT_EQ(m.bar(s).start, c.start) << what.toStdString();
        EXPECT_EQ(m.bar(s).end, c.end) << what.toStdString();
        EXPECT_EQ(m.bar(p).start, Mon) << "the predecessor stays";
    }
}

TEST(GanttSchedule, SuccessorsMoveOnlyForwardAndSummariesFollow)
{
    GanttModel m;
    m.setNonworkingDays(SatSun);
    const long wbs = m.InsertItem(0, "WBS");
    const long p = task(m, "P", Mon, 2, wbs);
    const long late = task(m, "late", QDate(2026, 2, 2), 1, wbs);
    m.AddLink(p, late);
    m.DefineSummaryBars();
    EXPECT_EQ(m.SchedulePDM(p), 0);
    EXPECT_EQ(m.bar(late).start, QDate(2026, 2, 2)) << "a start later than the link needs is kept";
    m.moveBar(p, QDate(2026, 2, 5)); // Thu, Fri -> the successor goes to Monday 9th
    EXPECT_EQ(m.SchedulePDM(p), 1);
    EXPECT_EQ(m.bar(late).start, QDate(2026, 2, 9));
    EXPECT_EQ(m.ItemBar(wbs), "Summary");
    EXPECT_EQ(m.bar(wbs).start, QDate(2026, 2, 5));
    EXPECT_EQ(m.bar(wbs).end, QDate(2026, 2, 10));
}

TEST(GanttSchedule, ChainOfAHundredAndACycle)
{
    GanttModel m;
    m.setNonworkingDays(SatSun);
    std::vector<long> chain;
    for (int i = 0; i < 100; ++i) {
        chain.push_back(task(m, QString::number(i), Mon, 1));
        if (i > 0)
            m.AddLink(chain[size_t(i - 1)], chain.back());
    }
    EXPECT_EQ(m.SchedulePDM(chain.front()), 99);
    // 99 working days after Monday: 19 weeks and 4 days.
    EXPECT_EQ(m.bar(chain.back()).start, Mon.addDays(19 * 7 + 4));

    // A link back to the start would close the chain: refused, and a plan that holds one
    // (read from a file) schedules nothing.
    EXPECT_FALSE(m.AllowLink(chain.back(), chain.front()));
    EXPECT_TRUE(m.AllowLink(chain.front(), chain.back()));
    const QByteArray before = m.toXml();
    m.AddLink(chain.back(), chain.front());
    EXPECT_LT(m.SchedulePDM(chain.front()), 0);
    EXPECT_LT(m.SchedulePDM(0), 0);
    m.RemoveLink(m.links().back().key);
    EXPECT_EQ(m.toXml(), before) << "a cycle changes no date";
}

TEST(GanttLinks, RefusedForSummariesSelfAndDuplicates)
{
    GanttModel m;
    const long wbs = m.InsertItem(0, "WBS");
    const long a = task(m, "a", Mon, 1, wbs);
    const long b = task(m, "b", Mon, 1, wbs);
    m.DefineSummaryBars();
    EXPECT_FALSE(m.AllowLink(a, wbs));
    EXPECT_FALSE(m.AllowLink(wbs, b));
    EXPECT_FALSE(m.AllowLink(a, a));
    EXPECT_TRUE(m.AllowLink(a, b));
    const QString key = m.AddLink(a, b);
    EXPECT_FALSE(m.AllowLink(a, b));
    m.setLinkType(key, 0, 2);
    m.setLink(key, LinkDelay, -3);
    EXPECT_EQ(m.Link(key, LinkStartItem).toLongLong(), a);
    EXPECT_EQ(m.Link(key, LinkEndItem).toLongLong(), b);
    EXPECT_EQ(GanttModel::linkType(m.Link(key, LinkStartPos).toInt(), m.Link(key, LinkEndPos).toInt()), GanttLinkType::SF);
    EXPECT_EQ(m.Link(key, LinkDelay).toInt(), -3);
    m.RemoveItem(b);
    EXPECT_EQ(m.linkCount(), 0) << "a removed row takes its links";
}

TEST(GanttUndo, StepsBackAndForward)
{
    GanttModel m;
    const long a = task(m, "a", Mon, 2);
    m.setCellValue(a, CellName, "renamed");
    m.moveBar(a, Mon.addDays(7));
    EXPECT_TRUE(m.Undo());
    EXPECT_EQ(m.bar(a).start, Mon);
    EXPECT_EQ(m.cellText(a, CellName), "renamed");
    EXPECT_TRUE(m.Redo());
    EXPECT_EQ(m.bar(a).start, Mon.addDays(7));
    m.beginChange();
    m.setCellValue(a, CellName, "x");
    m.setCellValue(a, CellDuration, 5);
    m.endChange();
    EXPECT_TRUE(m.Undo()) << "one change, one step";
    EXPECT_EQ(m.cellText(a, CellName), "renamed");
    EXPECT_EQ(m.duration(a), 2);
}

// ---- outline --------------------------------------------------------------------------------

namespace {

// Rows in tree order as "name:code:level".
QStringList outline(const GanttModel& m)
{
    QStringList out;
    for (long h : m.treeOrder())
        out << m.cellText(h, CellName) + ':' + m.cellText(h, CellWbs) + ':' + m.cellText(h, CellLevel);
    return out;
}

struct Plan {
    GanttModel m;
    std::map<QString, long> h;
    // "A", "A/A1" ...: each row under the row named before its last slash.
    explicit Plan(std::initializer_list<const char*> rows)
    {
        for (const char* r : rows) {
            const QString path = QString::fromUtf8(r);
            const QString name = path.section('/', -1);
            const long parent = path.contains('/') ? h.at(path.section('/', -2, -2)) : 0;
            h[name] = task(m, name, Mon, 1, parent);
        }
        m.DefineSummaryBars();
        m.RenumberWbs();
    }
    void select(std::initializer_list<const char*> names)
    {
        m.UnselectAll();
        for (const char* n : names)
            m.SelectItem(h.at(QString::fromUtf8(n)));
    }
};

} // namespace

TEST(GanttOutline, RenumberingGivesRowsCodesAndLevels)
{
    Plan p{"A", "A/A1", "A/A2", "A2/A2a", "B"};
    EXPECT_EQ(outline(p.m), QStringList({"A:1:", "A1:1.1:1", "A2:1.2:1", "A2a:1.2.1:2", "B:2:"}));
    QStringList rows;
    for (long h : p.m.treeOrder())
        rows << p.m.cellText(h, CellRow);
    EXPECT_EQ(rows, QStringList({"1", "2", "3", "4", "5"}));
    for (int i = 3; i <= 10; ++i)
        task(p.m, QStringLiteral("A%1").arg(i), Mon, 1, p.h["A"]);
    p.m.RenumberWbs();
    EXPECT_EQ(p.m.cellText(p.m.children(p.h["A"]).back(), CellWbs), "1.10");

    GanttModel empty;
    empty.RenumberWbs();
    EXPECT_EQ(empty.ItemCount(), 0);
}

TEST(GanttOutline, NextWbsCode)
{
    const std::pair<const char*, const char*> cases[] = {
        {"1.2.9", "1.2.10"}, {"3", "4"}, {"9", "10"}, {"1.99", "1.100"}, {"10.1", "10.2"}, {"1.2.3.4.5.6.7.8.9.10.11", "1.2.3.4.5.6.7.8.9.10.12"}};
    for (auto [in, out] : cases)
        EXPECT_EQ(NextWbsCode(QString::fromLatin1(in)), QString::fromLatin1(out)) << in;
}

TEST(GanttOutline, IndentOutdentAndMoveAtTheEdges)
{
    struct Case {
        const char* what;
        std::function<void(Plan&)> act;
        QStringList after;
    };
    const std::initializer_list<const char*> rows = {"A", "A/A1", "A/A2", "A2/A2a", "B", "C", "D"};
    const Case cases[] = {
        {"indent of the top row alone changes nothing", [](Plan& p) { p.select({"A"}); p.m.IndentSelection(); },
         {"A:1:", "A1:1.1:1", "A2:1.2:1", "A2a:1.2.1:2", "B:2:", "C:3:", "D:4:"}},
        {"two rows apart go under the row above the first, whatever its level",
         [](Plan& p) { p.select({"B", "D"}); p.m.IndentSelection(); },
         {"A:1:", "A1:1.1:1", "A2:1.2:1", "A2a:1.2.1:2", "B:1.2.1.1:3", "D:1.2.1.2:3", "C:2:"}},
        {"a row already under the chosen parent keeps its place", [](Plan& p) { p.select({"C", "A1"}); p.m.IndentSelection(); },
         {"A:1:", "A1:1.1:1", "A2:1.2:1", "A2a:1.2.1:2", "C:1.3:1", "B:2:", "D:3:"}},
        {"outdent of a root stays", [](Plan& p) { p.select({"B"}); p.m.OutdentSelection(); },
         {"A:1:", "A1:1.1:1", "A2:1.2:1", "A2a:1.2.1:2", "B:2:", "C:3:", "D:4:"}},
        {"outdent of a child of a root lands right after its parent", [](Plan& p) { p.select({"A1"}); p.m.OutdentSelection(); },
         {"A:1:", "A2:1.1:1", "A2a:1.1.1:2", "A1:2:", "B:3:", "C:4:", "D:5:"}},
        {"outdent of a deeper row goes under the grandparent", [](Plan& p) { p.select({"A2a"}); p.m.OutdentSelection(); },
         {"A:1:", "A1:1.1:1", "A2:1.2:1", "A2a:1.3:1", "B:2:", "C:3:", "D:4:"}},
        {"outdent of siblings keeps their order", [](Plan& p) { p.select({"A2", "A1"}); p.m.OutdentSelection(); },
         {"A:1:", "A1:2:", "A2:3:", "A2a:3.1:1", "B:4:", "C:5:", "D:6:"}},
        {"move up of a first child does nothing", [](Plan& p) { p.select({"A1"}); p.m.MoveFocusUp(); },
         {"A:1:", "A1:1.1:1", "A2:1.2:1", "A2a:1.2.1:2", "B:2:", "C:3:", "D:4:"}},
        {"move down of a last child does nothing", [](Plan& p) { p.select({"A2"}); p.m.MoveFocusDown(); },
         {"A:1:", "A1:1.1:1", "A2:1.2:1", "A2a:1.2.1:2", "B:2:", "C:3:", "D:4:"}},
        {"move up swaps with the previous sibling", [](Plan& p) { p.select({"A2"}); p.m.MoveFocusUp(); },
         {"A:1:", "A2:1.1:1", "A2a:1.1.1:2", "A1:1.2:1", "B:2:", "C:3:", "D:4:"}},
        {"move down of a root with its children", [](Plan& p) { p.select({"A"}); p.m.MoveFocusDown(); },
         {"B:1:", "A:2:", "A1:2.1:1", "A2:2.2:1", "A2a:2.2.1:2", "C:3:", "D:4:"}},
        {"with several selected a move unselects the first and moves the focused",
         [](Plan& p) { p.select({"C", "D"}); p.m.MoveFocusUp(); },
         {"A:1:", "A1:1.1:1", "A2:1.2:1", "A2a:1.2.1:2", "B:2:", "D:3:", "C:4:"}},
        {"a parent in the selection never goes under itself",
         [](Plan& p) { p.select({"A", "A1", "B"}); p.m.IndentSelection(); },
         {"A:1:", "A1:1.1:1", "A2:1.2:1", "A2a:1.2.1:2", "B:1.3:1", "C:2:", "D:3:"}},
    };
    for (const Case& c : cases) {
        Plan p(rows);
        c.act(p);
        EXPECT_EQ(outline(p.m), c.after) << c.what;
    }
}

TEST(GanttOutline, SummaryBarsFollowChildren)
{
    Plan p{"A", "A/A1", "B"};
    const QString key = p.m.AddLink(p.h["A1"], p.h["B"]);
    ASSERT_FALSE(key.isEmpty());
    p.select({"B"});
    p.m.IndentSelection(); // "B" under "A1": "A1" becomes a WBS element and loses its link
    EXPECT_EQ(p.m.ItemBar(p.h["A1"]), "Summary");
    EXPECT_EQ(p.m.linkCount(), 0);
    p.select({"B"});
    p.m.OutdentSelection();
    EXPECT_EQ(p.m.ItemBar(p.h["A1"]), "Task") << "a former WBS element without children";
    EXPECT_EQ(p.m.ItemBar(p.h["A"]), "Summary");
    p.m.moveBar(p.h["B"], Mon.addDays(30));
    p.m.DefineSummaryBars();
    EXPECT_EQ(p.m.bar(p.h["A"]).end, p.m.bar(p.h["B"]).end);
}

// ---- files ----------------------------------------------------------------------------------

TEST(GanttFile, SaveThenOpenKeepsEveryField)
{
    QTemporaryDir dir;
    Plan p{"A & <B>", "A & <B>/x\"y", "A & <B>/Ž", "Ž/deep", "C"};
    p.m.setExpandItem(p.h["Ž"], false);
    p.m.AddLink(p.h["x\"y"], p.h["deep"], 0, 2, -4);
    p.m.AddLink(p.h["deep"], p.h["C"], 2, 2, 7);
    const QString path = dir.filePath("plan.xml");
    ASSERT_TRUE(p.m.save(path));
    GanttModel back;
    ASSERT_TRUE(back.load(path));
    EXPECT_EQ(back.toXml(), p.m.toXml());
    EXPECT_EQ(outline(back), outline(p.m));
    EXPECT_FALSE(back.ExpandItem(back.treeOrder()[2]));
    ASSERT_EQ(back.linkCount(), 2);
    EXPECT_EQ(back.links()[0].delay, -4);
    EXPECT_EQ(back.links()[0].startPos, 0);
    EXPECT_EQ(back.links()[1].endPos, 2);
    EXPECT_FALSE(back.isModified());

    // A file that is not a plan leaves the plan shown as it was.
    for (const char* bad : {"<VelmoraPlan><Item", "<other/>", "", "\x01\x02"}) {
        QFile f(dir.filePath("bad.xml"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bad);
        f.close();
        EXPECT_FALSE(back.load(f.fileName())) << bad;
        EXPECT_EQ(back.toXml(), p.m.toXml());
    }
    // Links to rows that are not there, and a row's end before its start, are not taken.
    ASSERT_TRUE(back.fromXml(R"(<VelmoraPlan><Item id="1" name="a" start="2026-01-05" end="2026-01-01"/>)"
                             R"(<Link from="1" to="9"/><Link from="1" to="1"/></VelmoraPlan>)"));
    EXPECT_EQ(back.linkCount(), 0);
    EXPECT_EQ(back.bar(back.ItemByIndex(0)).end, Mon);
    // A tree deeper than any plan is refused before its codes grow without bound.
    QByteArray deep = "<VelmoraPlan>";
    for (int i = 0; i < 5000; ++i)
        deep += "<Item name=\"x\">";
    deep += QByteArray("</Item>").repeated(5000) + "</VelmoraPlan>";
    EXPECT_FALSE(back.fromXml(deep));
    EXPECT_EQ(back.ItemCount(), 1);
    // A failed save keeps the file there was.
    EXPECT_FALSE(p.m.save(dir.filePath("missing/plan.xml")));
    GanttModel again;
    EXPECT_TRUE(again.load(path));
}

// ---- MS Project export ----------------------------------------------------------------------

namespace {

QByteArray joined(const QStringList& lines) { return lines.join("\r\n").toUtf8() + "\r\n"; }

} // namespace

TEST(GanttExport, TasksLinksAndLagReadBack)
{
    Plan p{"A & B <x>", "A & B <x>/A1", "A & B <x>/A2", "B"};
    p.m.AddLink(p.h["A1"], p.h["A2"], 2, 0, 2);  // FS + 2 days from row 3? row 2: "A1"
    p.m.AddLink(p.h["A1"], p.h["B"], 2, 2, -1);  // FF, negative delay
    p.m.setCellValue(p.h["A1"], CellName, QString("bell\x07") + "ok");
    p.m.SchedulePDM();
    p.m.RenumberWbs();
    const QStringList lines = buildProjectXmlLines(p.m, QDate(2026, 3, 1), SatSun);
    for (const QString& line : lines)
        EXPECT_FALSE(line.startsWith(' ')) << "no indentation";

    pugi::xml_document doc;
    const QByteArray xml = joined(lines);
    ASSERT_TRUE(doc.load_buffer(xml.constData(), size_t(xml.size())));
    pugi::xml_node project = doc.child("Project");
    EXPECT_STREQ(project.attribute("xmlns").value(), kProjectNamespace);
    EXPECT_STREQ(project.child_value("CreationDate"), "2026-03-01");
    EXPECT_STREQ(project.child_value("StartDate"), "2026-01-05");
    EXPECT_STREQ(project.child_value("MinutesPerWeek"), "2400");
    EXPECT_STREQ(project.child_value("DaysPerMonth"), "20");

    std::vector<pugi::xml_node> tasks;
    for (auto t : project.child("Tasks").children("Task"))
        tasks.push_back(t);
    ASSERT_EQ(tasks.size(), 4u);
    const char* names[] = {"A & B <x>", "bellok", "A2", "B"};
    const char* wbs[] = {"1", "1.1", "1.2", "2"};
    const char* levels[] = {"1", "2", "2", "1"};
    for (size_t i = 0; i < tasks.size(); ++i) {
        EXPECT_EQ(tasks[i].child("UID").text().as_int(), int(i + 1));
        EXPECT_STREQ(tasks[i].child_value("Name"), names[i]);
        EXPECT_STREQ(tasks[i].child_value("OutlineNumber"), wbs[i]);
        EXPECT_STREQ(tasks[i].child_value("OutlineLevel"), levels[i]);
    }
    EXPECT_STREQ(tasks[0].child_value("Summary"), "1");
    EXPECT_STREQ(tasks[1].child_value("Summary"), "0");
    EXPECT_STREQ(tasks[1].child_value("Duration"), "PT8H0M0S");
    auto fs = tasks[2].child("PredecessorLink");
    EXPECT_STREQ(fs.child_value("PredecessorUID"), "2");
    EXPECT_STREQ(fs.child_value("Type"), "1");
    EXPECT_STREQ(fs.child_value("LinkLag"), "9600");
    EXPECT_STREQ(fs.child_value("LagFormat"), "7");
    auto ff = tasks[3].child("PredecessorLink");
    EXPECT_STREQ(ff.child_value("Type"), "0");
    EXPECT_STREQ(ff.child_value("LinkLag"), "-4800");
    EXPECT_STREQ(tasks[2].child_value("Start"), "2026-01-08") << "A1 on Tuesday 6th, two working days on";

    EXPECT_TRUE(lines.contains("<Name>A &amp; B &lt;x&gt;</Name>"));
    // The fixed resource and assignment blocks close the project.
    const auto resource = project.child("Resources").child("Resource");
    EXPECT_STREQ(resource.child_value("UID"), "0");
    EXPECT_STREQ(resource.child_value("CalendarUID"), "2");
    EXPECT_STREQ(resource.child_value("IsBudget"), "0");
    const auto assignment = project.child("Assignments").child("Assignment");
    EXPECT_STREQ(assignment.child_value("ResourceUID"), "2");
    EXPECT_STREQ(assignment.child_value("Work"), "PT48H0M0S");
    EXPECT_STREQ(assignment.child_value("BudgetWork"), "PT0H0M0S");
    EXPECT_EQ(lines.last(), QStringLiteral("</Project>"));
    EXPECT_EQ(lines.at(lines.size() - 2), QStringLiteral("</Assignments>"));

    const QString xmllint = QStandardPaths::findExecutable("xmllint");
    if (xmllint.isEmpty()) {
        GTEST_SKIP() << "xmllint is not installed";
    }
    QTemporaryDir dir;
    QFile f(dir.filePath("MyXml.xml"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(xml);
    f.close();
    QProcess lint;
    lint.start(xmllint, {"--noout", f.fileName()});
    ASSERT_TRUE(lint.waitForFinished(30000));
    EXPECT_EQ(lint.exitCode(), 0) << lint.readAllStandardError().toStdString();
}

TEST(GanttExport, CalendarFromTheMaskAndAnEmptyPlan)
{
    struct Case {
        int mask, minutes, days;
        std::array<const char*, 7> working;
    };
    const Case cases[] = {
        {0, 3360, 28, {"1", "1", "1", "1", "1", "1", "1"}},
        {1, 2880, 24, {"0", "1", "1", "1", "1", "1", "1"}},
        {65, 2400, 20, {"0", "1", "1", "1", "1", "1", "0"}},
        {128, 0, 0, {"0", "0", "0", "0", "0", "0", "0"}},
        {129, 2880, 24, {"0", "1", "1", "1", "1", "1", "1"}}, // bits above Saturday are ignored
        {-1, 0, 0, {"0", "0", "0", "0", "0", "0", "0"}},
    };
    GanttModel empty;
    for (const Case& c : cases) {
        const QStringList lines = buildProjectXmlLines(empty, QDate(2026, 3, 1), c.mask);
        pugi::xml_document doc;
        const QByteArray xml = joined(lines);
        ASSERT_TRUE(doc.load_buffer(xml.constData(), size_t(xml.size()))) << c.mask;
        pugi::xml_node project = doc.child("Project");
        EXPECT_EQ(project.child("MinutesPerWeek").text().as_int(), c.minutes) << c.mask;
        EXPECT_EQ(project.child("DaysPerMonth").text().as_int(), c.days) << c.mask;
        int d = 0;
        for (auto day : project.child("Calendars").child("Calendar").child("WeekDays").children("WeekDay"))
            EXPECT_STREQ(day.child_value("DayWorking"), c.working[size_t(d++)]) << c.mask << " day " << d;
        EXPECT_EQ(d, 7);
        const int tasks = int(lines.indexOf("<Tasks>"));
        ASSERT_GE(tasks, 0);
        EXPECT_EQ(lines.value(tasks + 1), "</Tasks>");
        EXPECT_EQ(lines.first(), R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)");
        EXPECT_EQ(lines.last(), "</Project>");
        EXPECT_STREQ(project.child_value("StartDate"), "") << "no rows, no project dates";
    }
}
