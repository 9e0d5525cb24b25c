#include "controls/Controls.h"
#include "controls/OrganiserControls.h"
#include "procedures/organiser/panes/HostedControls.h"
#include "procedures/organiser/window/OrganiserWindow.h"
#include "tests/procedures/StandInServices.h"
#include "runtime/ComponentRegistry.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QCalendarWidget>
#include <QLabel>
#include <set>

using namespace organiser;

namespace {

// The registry's components, except those a test makes fail; registering a file makes the
// components listed for it work.
struct FakeFactory : ControlFactory {
    std::set<QString> failing;
    std::map<QString, QString> fixedBy; // file -> program identifier it makes work
    QStringList registered;
    QStringList created;
    QObject* create(const QString& progId, QWidget* parent) override
    {
        if (failing.count(progId))
            return nullptr;
        created << progId;
        return vrt::ComponentRegistry::instance().create(progId, parent);
    }
    bool registerServer(const QString& file) override
    {
        registered << file;
        if (fixedBy.count(file))
            failing.erase(fixedBy[file]);
        return fixedBy.count(file) > 0;
    }
};

struct Window {
    QWidget root;
    std::map<int, QWidget*> boxes;
    Window()
    {
        for (int c : {13, 25, 23, 26, 43, 44, 46})
            boxes[c] = new QWidget(&root);
    }
    HostedDeps deps(ControlFactory& f)
    {
        HostedDeps d;
        d.factory = &f;
        d.dataFolder = "/data";
        return d;
    }
};

// The window's containers, a translator and the set-ups' answers; the calendar's set-ups are counted.
struct Host : HostingWindow {
    Window& window;
    explicit Host(Window& w) : window(w) {}
    std::map<QString, QString> texts;
    int populated = 0;
    int ganttAnswer = 0;
    QWidget* container(int c) override { return window.boxes.count(c) ? window.boxes[c] : nullptr; }
    QString translate(const QString& t) override { return texts.count(t) ? texts[t] : t; }
    int populateCalendar() override { return ++populated, 0; }
    int setupGantt() override { return ganttAnswer; }
};

QStringList shown()
{
    QStringList out;
    for (const auto& c : testsupport::presenter().calls())
        out << c.kind + ": " + c.text;
    return out;
}

} // namespace

TEST(HostedControls, CreateRegisterAndRetryOnceThenTell)
{
    controls::registerBuiltInControls();
    struct Case {
        const char* what;
        std::set<QString> failing;
        std::map<QString, QString> fixedBy;
        QStringList registered;
        QStringList messages;
    };
    const Case cases[] = {
        {"everything works", {}, {}, {}, {}},
        {"the chart works after its file is registered",
         {controls::kChartProgId},
         {{"x_Rm.dll", controls::kChartProgId}},
         {"x_Rm.dll"},
         {}},
        {"a chart that never works: the stop text, the rest still made",
         {controls::kChartProgId},
         {},
         {"x_Rm.dll"},
         {"stop: Please login into Windows as Administrator and run the program again !"}},
        {"a preview that never works: one message box",
         {controls::kWebBrowserProgId},
         {},
         {"x_Controls.dll"},
         {"message: x_Controls - Please login as Admin !"}},
        {"the Gantt chart retries without a message", {controls::kGanttProgId}, {}, {"x_Gantt.dll"}, {}},
    };
    for (const Case& c : cases) {
        testsupport::presenter().clear();
        Window w;
        FakeFactory f;
        f.failing = c.failing;
        f.fixedBy = c.fixedBy;
        HostedControls out;
        Host host(w);
        EXPECT_EQ(createActiveXControls(w.deps(f), host, out), 0) << c.what;
        EXPECT_EQ(f.registered, c.registered) << c.what;
        EXPECT_EQ(shown(), c.messages) << c.what;
        EXPECT_EQ(host.populated, 1);
        EXPECT_NE(out.calendar, nullptr) << c.what;
        EXPECT_NE(out.datePicker, nullptr) << c.what;
        EXPECT_EQ(out.gantt == nullptr, c.failing.count(controls::kGanttProgId) > 0) << c.what;
    }
    testsupport::presenter().clear();
}

TEST(HostedControls, CalendarLanguageAndHeaderPanel)
{
    const std::pair<int, QString> languages[] = {
        {1, "/d/Images/ResourceHr.dll"}, {2, "/d/Images/ResourceEn.dll"}, {3, "/d/Images/ResourceRu.dll"}, {4, ""}, {0, ""}};
    for (const auto& [language, file] : languages)
        EXPECT_EQ(calendarResourceFile(language, "/d"), file) << language;

    controls::registerBuiltInControls();
    Window w;
    FakeFactory f;
    HostedDeps d = w.deps(f);
    d.language = 2;
    Host host(w);
    host.texts["Danas"] = "Today";
    host.ganttAnswer = 7;
    HostedControls out;
    EXPECT_EQ(createActiveXControls(d, host, out), 7) << "SetupGantt's failure is the answer";
    auto* panel = qobject_cast<controls::MessageHeaderPanel*>(out.headerPanel);
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->itemIds(), (QList<int>{1, 2, 3, 4, 5}));
    EXPECT_FALSE(panel->captionVisible());
    EXPECT_EQ(panel->item(1)->font().family(), "Segoe UI");
    EXPECT_EQ(panel->item(1)->font().pointSize(), 12);
    EXPECT_TRUE(panel->item(1)->font().bold());
    EXPECT_EQ(panel->item(2)->font().pointSize(), 10);
    EXPECT_FALSE(panel->item(2)->font().bold());
    EXPECT_EQ(panel->hosted(5), out.attachments);
    EXPECT_EQ(panel->property("VisualTheme").toInt(), 13);
    EXPECT_EQ(out.preview->parent(), w.boxes[23]);
    auto* settings = qobject_cast<controls::CalendarGlobalSettings*>(out.calendarSettings);
    ASSERT_NE(settings, nullptr);
    EXPECT_EQ(settings->resourceFile(), "/data/Images/ResourceEn.dll");
    EXPECT_EQ(settings->Title, "Velmora");
    EXPECT_EQ(settings->parent(), w.boxes[43]) << "the settings object has an owner that frees it";
    auto* picker = qobject_cast<controls::DatePicker*>(out.datePicker);
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(picker->attachedCalendar(), out.calendar);
    EXPECT_EQ(picker->textTodayButton(), "Today");
    // The calendar and its picker name days and months in the program's language, whatever
    // the system's locale.
    for (QObject* o : {out.calendar, out.datePicker}) {
        auto* widget = qobject_cast<QWidget*>(o);
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->locale().language(), QLocale::English);
    }
    EXPECT_EQ(picker->month()->locale().language(), QLocale::English);
    EXPECT_EQ(S_ChartEvents(), 1);
    EXPECT_EQ(S_TaskPanelEvents(), 1);
}

TEST(HostedControls, PreviewLoadsNothingRemote)
{
    controls::PreviewBrowser b;
    EXPECT_TRUE(b.loadResource(QTextDocument::ImageResource, QUrl("http://tracker.example/p.gif")).toByteArray().isEmpty());
    b.navigate("about:blank");
    EXPECT_TRUE(b.toPlainText().isEmpty());
    testsupport::TempFolder dir;
    QFile f(dir.file("1.html"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("<p>Pozdrav <img src=\"http://tracker.example/p.gif\"></p>");
    f.close();
    b.navigate(dir.file("1.html"));
    EXPECT_EQ(b.toPlainText().trimmed().left(7), "Pozdrav");
    EXPECT_EQ(b.location(), dir.file("1.html"));
}

TEST(HostedControls, TheOrganiserWindowMakesThemInItsContainersWhenFirstShown)
{
    controls::registerBuiltInControls();
    struct Case {
        const char* what;
        std::map<QString, QString> fixedBy;
        QStringList messages;
        bool chart;
    };
    const Case cases[] = {
        {"registered and retried", {{"x_Rm.dll", controls::kChartProgId}}, {}, true},
        {"registered, retried, then told",
         {},
         {"stop: Please login into Windows as Administrator and run the program again !"},
         false},
    };
    for (const Case& c : cases) {
        testsupport::presenter().clear();
        testsupport::TempFolder data;
        FakeFactory f;
        f.failing = {controls::kChartProgId};
        f.fixedBy = c.fixedBy;
        OrganiserDeps deps;
        deps.dataFolder = data.path();
        deps.controls = &f;
        StandInServices standIns;
        OrganiserWindow window(standIns.fill(deps));
        EXPECT_TRUE(f.created.isEmpty()) << c.what << ": nothing before the first display";
        ASSERT_TRUE(window.open());
        EXPECT_EQ(f.registered, QStringList({"x_Rm.dll"})) << c.what;
        EXPECT_EQ(shown(), c.messages) << c.what;
        const HostedControls& h = window.hosted();
        EXPECT_EQ(h.chart != nullptr, c.chart) << c.what;
        for (auto [control, made] : {std::pair{23, h.preview}, {25, h.headerPanel}, {43, h.calendar}, {44, h.datePicker}, {46, h.gantt}}) {
            auto* w = qobject_cast<QWidget*>(made);
            ASSERT_NE(w, nullptr) << c.what << " " << control;
            EXPECT_EQ(w->parentWidget(), window.manager().control(control)) << c.what << " " << control;
        }
        window.shutDown();
    }
    testsupport::presenter().clear();
}
