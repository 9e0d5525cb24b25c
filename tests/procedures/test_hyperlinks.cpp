#include <gtest/gtest.h>

#include "procedures/common/Hyperlinks.h"
#include "procedures/common/Tornavellic.h"
#include "tests/procedures/test_libservices.h"
#include "tests/support/TestSupport.h"

#include <QFile>
#include <QLabel>
#include <QStandardItemModel>
#include <QTableView>
#include <QTest>

#include <map>

using namespace VelmoraDll;
using namespace VelmoraDll::links;

namespace {

struct FakeLookup : HandlerLookup {
    std::map<QString, QString> values;
    QStringList asked;
    QString read(const QString& key) override
    {
        asked << key;
        const auto it = values.find(key);
        return it == values.end() ? QString() : it->second;
    }
};

struct FakeOpener : LinkOpener {
    std::vector<QStringList> started; // program first, then the arguments
    bool succeed = true;
    bool start(const QString& program, const QStringList& args) override
    {
        started.push_back(QStringList{program} + args);
        return succeed;
    }
};

struct Fixture {
    FakeLookup* lookup = new FakeLookup;
    FakeOpener* opener = new FakeOpener;
    Tornavellic links{std::unique_ptr<HandlerLookup>(lookup), std::unique_ptr<LinkOpener>(opener)};
};

} // namespace

TEST(Hyperlinks, TextRules)
{
    struct Href {
        const char* text;
        int kind;
        const char* out;
    };
    const Href hrefs[] = {
        {"www.velmora.hr", 0, "<a href=\"http://www.velmora.hr\">"},
        {"ana@velmora.hr", 1, "\"mailto:ana@velmora.hr\""},
        {"http://x.hr", 2, "http://x.hr"},
        {"MAILTO:ana@x.hr", 2, "MAILTO:ana@x.hr"},
        {"\"www.x.hr\"", 0, "<a href=\"http://www.x.hr\">"},
        {"<a href=\"y\">", 0, "<a href=\"y\">"},
    };
    for (const Href& h : hrefs)
        EXPECT_EQ(GetHREF(QString::fromUtf8(h.text), h.kind), QString::fromUtf8(h.out)) << h.text;

    struct Safe {
        const char* in;
        const char* out;
    };
    const Safe safe[] = {
        {"a@b.hr?subject=Dobar dan", "a@b.hr?subject=Dobar%20dan"},
        {"a@b.hr?subject=Dobar dan&body=50% off", "a@b.hr?subject=Dobar dan&body=50%25%20off"},
        {"a@b.hr?body=%4A", "a@b.hr?body=%4A"},
        {"a@b.hr?cc=c@d.hr&bcc=e@f.hr", "a@b.hr?cc=c@d.hr&bcc=e@f.hr"},
        {"a@b.hr?x=<>;", "a@b.hr%3Fx=%3C%3E%3B"},
        {"\"a@b.hr\"", "a@b.hr"},
        {"a@b.hr   ", "a@b.hr"},
    };
    for (const Safe& s : safe)
        EXPECT_EQ(MakeEmailURLSafe(QString::fromUtf8(s.in)), QString::fromUtf8(s.out)) << s.in;

    EXPECT_EQ(mailCommand("ana@x.hr", -1, 10), "mailto:ana@x.hr");
    EXPECT_EQ(mailCommand("MAILTO:ana@x.hr", 0, 10), "MAILTO:ana@x.hr");
    EXPECT_EQ(mailCommand("ana@x.hr", 20, 10), "mailto:ana");
    EXPECT_EQ(skypeLink("ana", 2), "skype:ana?chat");
    EXPECT_EQ(GetQuoted("\"C:\\Program Files\\b.exe\" -x"), "C:\\Program Files\\b.exe");

    const ShellError two = shellError(2, "/tmp/x.pdf");
    EXPECT_EQ(two.text, "(2) The specified file was not found. File:\n/tmp/x.pdf");
    EXPECT_EQ(two.caption, "Shell Execute Error:2");
    EXPECT_EQ(shellError(99, "c").text, "(99) Unknown ShellExecute Error occured. File:\nc");
}

TEST(Hyperlinks, FileHandlerTriesInOrder)
{
    struct Case {
        std::map<QString, QString> values;
        const char* found;
    };
    const Case cases[] = {
        {{{"pdffile\\shell\\open\\command", "evince"}}, "evince"},
        {{{"pdf_auto_file\\shell\\open\\command", "okular"}}, "okular"},
        {{{".pdf", "application/pdf"}, {"application/pdf\\shell\\open\\command", "atril.desktop"}}, "atril.desktop"},
        {{}, ""},
    };
    for (const Case& c : cases) {
        FakeLookup l;
        l.values = c.values;
        EXPECT_EQ(findFileHandler(l, "/home/a/Račun.pdf"), QString::fromUtf8(c.found));
    }
    FakeLookup l;
    findFileHandler(l, "x.pdf");
    EXPECT_EQ(l.asked, (QStringList{"pdffile\\shell\\open\\command", "pdf_auto_file\\shell\\open\\command", ".pdf"}));
}

TEST(Hyperlinks, StylesPerLinkColumnAndDisable)
{
    QStandardItemModel model(2, 5);
    QTableView list;
    list.setModel(&model);
    Fixture f;
    f.links.AddItem(&list, "4", 0xFF0000, -2, 0xFF0000);
    f.links.AddItem(&list, "5", 0xFF0000, 2, 0xFF0000);
    ASSERT_EQ(f.links.items().size(), 2u);
    EXPECT_EQ(f.links.items()[0].STYLE, 2);
    EXPECT_TRUE(f.links.items()[0].HANDCURSOR);
    EXPECT_EQ(f.links.items()[1].STYLE, 4);
    EXPECT_FALSE(f.links.items()[1].HANDCURSOR);

    Fixture off;
    off.links.DISABLE = true;
    off.links.AddItem(&list, "4", 0xFF0000, -2, 0xFF0000);
    EXPECT_TRUE(off.links.items().empty());
    model.setItem(0, 3, new QStandardItem("www.x.hr"));
    EXPECT_EQ(off.links.GetURL(&list, 4, 1), QString());
    EXPECT_EQ(f.links.GetURL(&list, 4, 1), QString("www.x.hr"));
}

TEST(Hyperlinks, HandCursorOnlyOverLinkCells)
{
    QStandardItemModel model(3, 5);
    model.setItem(0, 3, new QStandardItem("www.velmora.hr"));
    model.setItem(1, 3, new QStandardItem(""));
    model.setItem(0, 1, new QStandardItem("www.not-a-link-column.hr"));
    QTableView list;
    list.setModel(&model);
    list.resize(600, 300);
    list.show();
    Fixture f;
    f.links.AddItem(&list, "4", 0xFF0000, -2, 0xFF0000);
    QWidget* vp = list.viewport();
    const auto cellCentre = [&](int row, int col) { return list.visualRect(model.index(row, col)).center(); };

    QTest::mouseMove(vp, cellCentre(0, 3));
    EXPECT_EQ(vp->cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseMove(vp, cellCentre(1, 3));
    EXPECT_EQ(vp->cursor().shape(), Qt::ArrowCursor);
    QTest::mouseMove(vp, cellCentre(0, 1));
    EXPECT_EQ(vp->cursor().shape(), Qt::ArrowCursor);

    QTest::mouseClick(vp, Qt::LeftButton, {}, cellCentre(0, 3));
    ASSERT_EQ(f.opener->started.size(), 1u);
    EXPECT_EQ(f.opener->started[0], (QStringList{"xdg-open", "http://www.velmora.hr"}));
}

TEST(Hyperlinks, LabelLinksHoverAndStart)
{
    QLabel label("ana@velmora.hr");
    label.resize(200, 30);
    label.show();
    Fixture f;
    f.links.AddItem(&label, {}, 0x000000, 1, 0x0000FF);
    EXPECT_TRUE(label.font().underline());
    QEvent enter(QEvent::Enter);
    QCoreApplication::sendEvent(&label, &enter);
    EXPECT_EQ(label.palette().color(QPalette::WindowText), QColor(255, 0, 0)) << "bright while hovered";
    EXPECT_EQ(label.cursor().shape(), Qt::PointingHandCursor);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&label, &leave);
    EXPECT_EQ(label.palette().color(QPalette::WindowText), QColor(0, 0, 0));
    QTest::mouseClick(&label, Qt::LeftButton);
    ASSERT_EQ(f.opener->started.size(), 1u);
    EXPECT_EQ(f.opener->started[0], (QStringList{"xdg-open", "mailto:ana@velmora.hr"}));

    // Without a program for it, a checked link is shown plain and does not start.
    f.links.CHECKURLS = true;
    f.links.CheckItems();
    EXPECT_FALSE(f.links.items()[0].ACTIVE);
    EXPECT_FALSE(label.font().underline());
    QTest::mouseClick(&label, Qt::LeftButton);
    EXPECT_EQ(f.opener->started.size(), 1u);
}

TEST(Hyperlinks, StartFailuresAreShown)
{
    testsupport::TempFolder dir;
    dir.write("skripta.sh", "#!/bin/sh\n");
    QFile::setPermissions(dir.file("skripta.sh"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    dir.write("Račun.pdf", "%PDF");
    struct Case {
        QString url;
        bool openerWorks;
        int code;                  // 0: started
        QStringList started;
    };
    const Case cases[] = {
        {dir.file("nema.pdf"), true, 2, {}},
        {dir.file("skripta.sh"), true, 5, {}},
        // An address with the file scheme names the same files, in any spelling of it.
        {"file://" + dir.file("skripta.sh"), true, 5, {}},
        {"FILE:" + dir.file("skripta.sh"), true, 5, {}},
        {"file://localhost" + dir.file("skripta.s%68"), true, 5, {}},
        {"file://" + dir.file("nema.pdf"), true, 2, {}},
        {"file://" + dir.file("Račun.pdf"), true, 0, {"xdg-open", "file://" + dir.file("Račun.pdf")}},
        {dir.file("Račun.pdf"), true, 0, {"xdg-open", dir.file("Račun.pdf")}},
        {"http://x.hr/a b; rm -rf ~", true, 0, {"xdg-open", "http://x.hr/a b; rm -rf ~"}},
        {"http://x.hr", false, 31, {"xdg-open", "http://x.hr"}},
    };
    for (const Case& c : cases) {
        Fixture f;
        f.opener->succeed = c.openerWorks;
        libservices_test::freshMessages();
        f.links.URLTORUN = c.url;
        f.links.RunURL(nullptr, 0);
        EXPECT_EQ(f.opener->started.empty() ? QStringList() : f.opener->started[0], c.started) << c.url.toStdString();
        const auto calls = testsupport::presenter().calls();
        if (c.code == 0) {
            EXPECT_TRUE(calls.empty()) << c.url.toStdString();
        } else {
            ASSERT_EQ(calls.size(), 1u) << c.url.toStdString();
            EXPECT_EQ(calls[0].caption, QStringLiteral("Shell Execute Error:%1").arg(c.code));
            EXPECT_TRUE(calls[0].text.endsWith("\n" + c.url)) << calls[0].text.toStdString();
        }
    }
}
