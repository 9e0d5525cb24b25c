#include "procedures/organiser/lists/ListSet.h"
#include "procedures/organiser/lists/ListWidgets.h"
#include "procedures/common/VelmoraDll.h"
#include "runtime/DateTime.h"
#include "tests/procedures/OrganiserFixture.h"

#include <QHeaderView>
#include <QSignalSpy>
#include <QTest>


using namespace organiser;

namespace {

std::vector<int> backgrounds(const std::vector<CellLook>& look)
{
    std::vector<int> out;
    for (const CellLook& l : look)
        out.push_back(l.normalBg);
    return out;
}

QSet<QString> distinct(const QStringList& list) { return QSet<QString>(list.begin(), list.end()); }

} // namespace

TEST(OrganiserListLooks, BandingColoursTheFirstThirdAndFifthRows)
{
    const ListDef& pkat = *listDef(ctl::PKat);
    const QStringList cells = {"Web", "1"};
    const QDate today(2026, 12, 10);
    for (int row = 0; row < 5; ++row) {
        const int expected = row % 2 == 0 ? kBandColour : -1;
        EXPECT_EQ(backgrounds(rowLook(pkat, cells, row, today)), (std::vector<int>{expected, expected})) << row;
    }
    EXPECT_EQ(windowsColour(kBandColour), QColor(234, 244, 255));
    // The task categories list shows the category colour and no band.
    const ListDef& categories = *listDef(ctl::TaskCategory);
    const auto look = rowLook(categories, {"Posao", "255", "1", "1"}, 0, today);
    EXPECT_EQ(look[1].normalBg, 255);
    EXPECT_EQ(look[1].selectedBg, 255);
    EXPECT_EQ(look[0].normalBg, -1);
}

TEST(OrganiserListLooks, TaskRowsByDateStatusAndImportance)
{
    const ListDef& tasks = *listDef(ctl::Zadaci);
    const QDate today(2026, 12, 10);
    struct Case {
        QString start;
        int status, importance;
        int bg, style, statusIcon, importanceIcon;
    };
    const Case cases[] = {
        {"2026-12-09", 0, 1, kTaskBefore, 3, 5, 3}, {"2026-12-10", 1, 2, kTaskToday, 2, 6, 1},
        {"2026-12-11", 2, 3, kTaskAfter, 1, 4, 2},  {"2026-12-11", 7, 9, kTaskAfter, 1, 0, 0},
    };
    for (const Case& c : cases) {
        QStringList cells;
        for (size_t i = 0; i < tasks.columns.size(); ++i)
            cells << QString();
        cells[tasks.columnOf("CAL:STATUS")] = QString::number(c.status);
        cells[tasks.columnOf("CAL:IMPORTANCELEVEL")] = QString::number(c.importance);
        cells[tasks.columnOf("CAL:STARTDATETIME_DATE")] = c.start;
        const auto look = rowLook(tasks, cells, 1, today);
        EXPECT_EQ(look[0].icon, c.statusIcon) << c.status;
        EXPECT_EQ(look[1].icon, c.importanceIcon) << c.importance;
        for (int col = 2; col <= 11; ++col) {
            EXPECT_EQ(look[size_t(col)].style, c.style) << col;
            EXPECT_EQ(look[size_t(col)].normalBg, c.bg) << col;
        }
        EXPECT_EQ(look[12].style, 0) << "EventID is neither styled nor coloured";
        EXPECT_EQ(look[12].normalBg, -1);
    }
    EXPECT_EQ(taskIcons().value(taskStatusIcon(0) - 1), "~smiley2.ico");
    EXPECT_EQ(taskIcons().value(taskStatusIcon(2) - 1), "~smiley1.ico");
}

TEST(OrganiserListLooks, MailAndContactTexts)
{
    const std::pair<QString, QString> sizes[] = {
        {"12500", "12.5 KB"}, {"3000", "3 KB"}, {"1500", "1.5 KB"}, {"999", "0.999 KB"}, {"", "0 KB"}};
    for (const auto& [bytes, text] : sizes)
        EXPECT_EQ(mailSizeText(bytes), text) << bytes.toStdString();
    EXPECT_EQ(mailTimeText("2026-12-10", "08:05:09"), shortDate("2026-12-10") + " 08:05:09");
    EXPECT_EQ(firstLast("Horvat", "", "Ana"), "Horvat Ana");
    EXPECT_EQ(firstLast("Horvat", "Marija", "Ana"), "Horvat Marija Ana");
    EXPECT_EQ(firstLast(QString(60, 'x'), "", QString(60, 'y')).size(), 99);

    // Read and unread mails differ only in their style.
    const ListDef& mail = *listDef(ctl::Email);
    QStringList cells;
    for (size_t i = 0; i < mail.columns.size(); ++i)
        cells << QStringLiteral("x");
    cells[mail.columnOf("EM:READ")] = "0";
    const auto unread = rowLook(mail, cells, 2, QDate::currentDate());
    cells[mail.columnOf("EM:READ")] = "1";
    const auto read = rowLook(mail, cells, 2, QDate::currentDate());
    for (int col : {1, 2, 3, 4, 5, 11, 12}) {
        EXPECT_EQ(unread[size_t(col)].style, 1);
        EXPECT_EQ(read[size_t(col)].style, 2);
        EXPECT_EQ(unread[size_t(col)].normalBg, read[size_t(col)].normalBg);
    }
    EXPECT_EQ(read[0].style, 0);
}


TEST_F(OrganiserListsTest, ListsFollowTheirFolderGroupAndSelection)
{
    const SampleResult data = fill();
    ListSet lists;
    lists.setMailFolder(data.inboxId);
    OrganiserList& mail = lists.list(ctl::Email);
    ASSERT_EQ(mail.rowCount(), data.inboxMails);
    EXPECT_EQ(distinct(column(mail, "EM:INBOXID")), QSet<QString>{QString::number(data.inboxId)});
    const QModelIndex size = mail.model().index(0, mail.def().columnOf("EM:SIZE_DECIMAL"));
    EXPECT_TRUE(size.data().toString().endsWith(" KB"));
    EXPECT_EQ(mail.model().index(0, 4).data().toString(),
              mailTimeText(mail.cell("EM:DATUM", 0), mail.cell("EM:VRIJEME", 0)));
    EXPECT_EQ(mail.model().index(0, 1).data(Qt::BackgroundRole).value<QColor>(), QColor(234, 244, 255));
    EXPECT_FALSE(mail.model().index(1, 1).data(Qt::BackgroundRole).isValid());
    lists.setMailFolder(data.accountRootId);
    EXPECT_EQ(mail.rowCount(), 0) << "the account's root holds no mail";

    // A contact's three lists follow the contact being selected.
    lists.setContactGroup(data.firstGroupId);
    OrganiserList& contacts = lists.list(ctl::Kontakti);
    ASSERT_GT(contacts.rowCount(), 1);
    for (int row : {0, 1}) {
        ASSERT_TRUE(contacts.select(row));
        const QString id = contacts.cell("CON:ID");
        EXPECT_EQ(lists.SelectedContactID, id.toLong());
        const auto ids = query("SELECT EVENTID FROM CAL_CALENDAREVENTS WHERE PARTNERID = " + id.toStdString());
        EXPECT_EQ(lists.list(ctl::PZadaci).rowCount(), int(ids.size()));
        const auto docs = query("SELECT COUNT(*) FROM IDokumenti WHERE KUPACID = " + id.toStdString());
        EXPECT_EQ(lists.list(ctl::PID).rowCount(), std::stoi(docs[0]));
        const QString name = contacts.cell("CON:PREZIME") + " " + contacts.cell("CON:IME");
        if (contacts.cell("CON:SREDNJEIME").isEmpty()) {
            EXPECT_EQ(contacts.cell("LC:FIRSTLAST"), name);
        }
    }
    // An empty group empties them.
    lists.setContactGroup(999999);
    EXPECT_EQ(lists.list(ctl::PZadaci).rowCount(), 0);

    // Category -> documents -> items, and the print id follows the selected document.
    OrganiserList& categories = lists.list(ctl::IDK);
    categories.reset();
    ASSERT_TRUE(categories.select(1));
    OrganiserList& docs = lists.list(ctl::ID);
    EXPECT_EQ(distinct(column(docs, "ID:KATEGORIJAID")), QSet<QString>{categories.cell("IDK:ID")});
    ASSERT_TRUE(docs.select(docs.rowCount() - 1));
    EXPECT_EQ(lists.PrintRecordID, docs.cell("ID:ID").toLong());
    EXPECT_EQ(lists.list(ctl::Stavke).rowCount(), 3);
    EXPECT_EQ(distinct(column(lists.list(ctl::Stavke), "IDS:DOKUMENTID")), QSet<QString>{docs.cell("ID:ID")});
    // An item form changed the document's amount: the documents are read again.
    query("UPDATE IDokumenti SET IZNOS_DECIMAL = '1234.50' WHERE ID = " + docs.cell("ID:ID").toStdString());
    lists.list(ctl::Stavke).browse().onUpdated(vrt::CHANGE_RECORD);
    EXPECT_EQ(docs.cell("ID:IZNOS_DECIMAL"), "1234.50");
    EXPECT_EQ(docs.model().index(docs.selected(), 3).data().toString(), amountText("1234.50"));
    OrganiserList& tasks = lists.list(ctl::Zadaci);
    tasks.reset();
    ASSERT_TRUE(tasks.select(2));
    EXPECT_EQ(lists.PrintRecordID, tasks.cell("CAL:EVENTID").toLong());
}

TEST_F(OrganiserListsTest, HeaderSortsAsTheListsDefineThem)
{
    const SampleResult data = fill();
    ListSet lists;
    lists.setMailFolder(data.inboxId);
    struct Case {
        int control;
        int column; // from 1
        QString order;
    };
    const Case cases[] = {
        {ctl::Notes, 1, "+UPPER(NOTE:Status),+NOTE:ID"},
        {ctl::Kontakti, 1, "+UPPER(CON:Prezime),+CON:ID"},
        {ctl::Email, 5, "+EM:DATUM,+EM:VRIJEME,+EM:ID"},
        {ctl::Pass, 2, "+PAS:LOGIN,+PAS:ID"},
        {ctl::Pr, 3, "+PR:IZNOS_DECIMAL,+PR:ID"},
    };
    for (const Case& c : cases) {
        OrganiserList& l = lists.list(c.control);
        l.sorter()->TakeHeaderClick(c.column, VelmoraDll::HeaderSortManager::ClickPlain);
        EXPECT_EQ(l.source().orderText(), c.order) << c.control;
    }

    // The received time sorts by date and time, then number; amounts as numbers.
    OrganiserList& mail = lists.list(ctl::Email);
    ASSERT_GT(mail.rowCount(), 10);
    for (int r = 1; r < mail.rowCount(); ++r) {
        const QString a = mail.cell("EM:DATUM", r - 1) + mail.cell("EM:VRIJEME", r - 1);
        const QString b = mail.cell("EM:DATUM", r) + mail.cell("EM:VRIJEME", r);
        ASSERT_LE(a, b) << r;
        if (a == b) {
            ASSERT_LT(mail.cell("EM:ID", r - 1).toInt(), mail.cell("EM:ID", r).toInt());
        }
    }
    OrganiserList& money = lists.list(ctl::Pr);
    money.setCondition({});
    for (int r = 1; r < money.rowCount(); ++r)
        ASSERT_LE(money.cell("PR:IZNOS_DECIMAL", r - 1).toDouble(), money.cell("PR:IZNOS_DECIMAL", r).toDouble());

    // Tagged notes come last when ascending.
    OrganiserList& notes = lists.list(ctl::Notes);
    notes.reset();
    const QStringList status = column(notes, "NOTE:STATUS");
    EXPECT_EQ(status.indexOf("1"), status.lastIndexOf("0") + 1);

    // A hidden column sorts nothing until the user widens it.
    OrganiserList& pass = lists.list(ctl::Pass);
    const int idColumn = pass.def().columnOf("PAS:ID") + 1;
    pass.sorter()->TakeHeaderClick(idColumn, VelmoraDll::HeaderSortManager::ClickPlain);
    EXPECT_EQ(pass.source().orderText(), "+PAS:LOGIN,+PAS:ID");
    struct Widened : ColumnWidths {
        OrganiserList& list;
        int column;
        Widened(OrganiserList& l, int c) : list(l), column(c) {}
        int viewWidth(int c) override { return c == column ? 40 : list.def().columns[size_t(c)].width; }
    } widened(pass, idColumn - 1);
    pass.setWidths(&widened);
    pass.sorter()->TakeHeaderClick(idColumn, VelmoraDll::HeaderSortManager::ClickPlain);
    EXPECT_EQ(pass.source().orderText(), "+PAS:ID");
    pass.setWidths(nullptr); // the fake goes before the list
}

TEST_F(OrganiserListsTest, OnlyTheMailSortOutlivesTheWindow)
{
    const SampleResult data = fill();
    {
        ListSet lists;
        lists.setMailFolder(data.inboxId);
        auto* mail = lists.list(ctl::Email).sorter();
        mail->TakeHeaderClick(4, VelmoraDll::HeaderSortManager::ClickPlain);
        mail->TakeHeaderClick(4, VelmoraDll::HeaderSortManager::ClickPlain);
        lists.list(ctl::Pass).sorter()->TakeHeaderClick(2, VelmoraDll::HeaderSortManager::ClickPlain);
    }
    // A run that never shows the mail list keeps the stored sort as it found it.
    { ListSet neverShown; }
    ListSet lists;
    lists.setMailFolder(data.inboxId);
    OrganiserList& mail = lists.list(ctl::Email);
    EXPECT_EQ(mail.model().headerData(3, Qt::Horizontal, Qt::DisplayRole).toString(), "Naslov[-]");
    EXPECT_EQ(mail.source().orderText(), "-EM:SUBJECT,+EM:ID");
    EXPECT_GE(mail.cell("EM:SUBJECT", 0), mail.cell("EM:SUBJECT", mail.rowCount() - 1));
    EXPECT_TRUE(lists.list(ctl::Pass).source().orderText().isEmpty());
    EXPECT_EQ(lists.list(ctl::Pass).model().headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), "Login");
}

TEST_F(OrganiserListsTest, NoteTagClickWritesTheStatus)
{
    fill();
    query("UPDATE Notes SET STATUS = 0");
    ListSet lists;
    OrganiserList& notes = lists.list(ctl::Notes);
    notes.reset();
    const QString id = notes.cell("NOTE:ID", 2);
    ASSERT_TRUE(lists.clickNote(2, 0));
    EXPECT_EQ(query("SELECT STATUS FROM Notes WHERE ID = " + id.toStdString())[0], "1");
    EXPECT_EQ(notes.model().index(2, 0).data(IconRole).toInt(), 2);
    // Clicking the title afterwards only selects.
    ASSERT_TRUE(lists.clickNote(2, 3));
    EXPECT_EQ(query("SELECT STATUS FROM Notes WHERE ID = " + id.toStdString())[0], "1");
    ASSERT_TRUE(lists.clickNote(2, 0));
    EXPECT_EQ(query("SELECT STATUS FROM Notes WHERE ID = " + id.toStdString())[0], "0");
    EXPECT_EQ(notes.model().index(2, 0).data(IconRole).toInt(), 1);
    // A note tagged in an earlier run shows the tag after the restore.
    query("UPDATE Notes SET STATUS = 1 WHERE ID = " + id.toStdString());
    lists.restoreNoteTags();
    EXPECT_EQ(notes.model().index(2, 0).data(IconRole).toInt(), 2);
    VelmoraDll::tagSet().Remove(id);
}

TEST_F(OrganiserListsTest, FinanceCategoryFilterHasNoLengthLimit)
{
    // A chain of 3000 categories: an OR list of their ids would run to many kilobytes.
    {
        vrt::odbc::Transaction tx(*corvalde::ThreadSession().connection());
        for (int i = 1; i <= 3000; ++i)
            query("INSERT INTO PRIHODIRASHODIKATEGORIJA (ID, TATAID, NAZIV, TIP) VALUES (" + std::to_string(i) + ", "
                  + std::to_string(i - 1) + ", 'K" + std::to_string(i) + "', 1)");
        query("INSERT INTO PRIHODIRASHODI (ID, KATEGORIJAID, NAZIV, IZNOS_DECIMAL, DATUM) VALUES (1, 3000, 'deep', '1.00', '2026-01-01')");
        query("INSERT INTO PRIHODIRASHODI (ID, KATEGORIJAID, NAZIV, IZNOS_DECIMAL, DATUM) VALUES (2, 5, 'shallow', '2.00', '2026-01-02')");
        ASSERT_TRUE(tx.commit());
    }
    ListSet lists;
    OrganiserList& pr = lists.list(ctl::Pr);
    struct Case {
        long category;
        QStringList names;
    };
    const Case cases[] = {{1, {"shallow", "deep"}}, {6, {"deep"}}, {3000, {"deep"}}, {4000, {}}};
    for (const Case& c : cases) {
        lists.setFinanceCategory(c.category);
        EXPECT_EQ(column(pr, "PR:NAZIV"), c.names) << c.category;
    }
}

TEST_F(OrganiserListsTest, MailTextsReadByBlockMatchAWholeRead)
{
    SampleSizes n;
    n.mails = 5000; // more blocks than are kept
    const SampleResult data = generateSampleData(n);
    ASSERT_TRUE(data.error.isEmpty());
    ListDef whole = *listDef(ctl::Email);
    whole.lazy = false;
    OrganiserList lazy(*listDef(ctl::Email)), eager(whole);
    for (OrganiserList* l : {&lazy, &eager}) {
        l->sorter()->TakeHeaderClick(4, VelmoraDll::HeaderSortManager::ClickPlain);
        l->setRange(qlonglong(data.inboxId));
    }
    ASSERT_EQ(lazy.rowCount(), data.inboxMails);
    ASSERT_EQ(eager.rowCount(), data.inboxMails);
    // Down, up and back down again, so blocks are dropped and read again.
    for (int pass = 0; pass < 2; ++pass)
        for (int r = 0; r < lazy.rowCount(); r += 1 + (r % 7)) {
            const int row = pass == 0 ? r : lazy.rowCount() - 1 - r;
            for (int c = 0; c < int(whole.columns.size()); ++c)
                ASSERT_EQ(lazy.model().index(row, c).data(), eager.model().index(row, c).data()) << row << "," << c;
        }
    EXPECT_EQ(lazy.cell("EM:SUBJECT", 4000), eager.cell("EM:SUBJECT", 4000));
}

TEST_F(OrganiserListsTest, LazyMailListLocatesAsAWholeReadWithoutReadingRows)
{
    SampleSizes n;
    n.mails = 3000;
    const SampleResult data = generateSampleData(n);
    ASSERT_TRUE(data.error.isEmpty());
    // Subjects a LIKE pattern would confuse (% and _ match anything, \ is the usual escape) and a
    // sender that starts with a letter SQLite's lower() does not fold.
    for (const char* subject : {"Rabat 10 posto", "Rabat 1% posto", "Popust 50 dana", "Popust 5_ dana", "Put C:x", "Put C:\\"})
        query("INSERT INTO EMAIL (SUBJECT, INBOXID, SENDER, DATUM, VRIJEME, SIZE_DECIMAL) VALUES ('" + std::string(subject)
              + "', " + std::to_string(data.inboxId) + ", 'Šime Šarić', '2026-03-04', '09:15:00', '2048')");
    // The date and time columns, hidden in the mail list, are widened so they can be sorted.
    ListDef def = *listDef(ctl::Email), whole = def;
    for (ListDef* d : {&def, &whole})
        for (const char* field : {"EM:DATUM", "EM:VRIJEME"})
            d->columns[size_t(d->columnOf(field))].width = 60;
    whole.lazy = false;
    OrganiserList lazy(def), eager(whole);
    for (OrganiserList* l : {&lazy, &eager})
        l->setRange(qlonglong(data.inboxId));
    ASSERT_EQ(lazy.rowCount(), data.inboxMails + 6);

    enum { Sender = 2, Subject = 4, Received = 5, Size = 6, Date = 12, Time = 13 }; // header columns
    struct Case {
        int column;
        bool descending;
        QString typed;
        QString subject = {}; // the subject of the row it lands on; empty: as the whole read
        bool found = true;
    };
    std::vector<Case> cases = {
        {Subject, false, "popust 5_", "Popust 5_ dana"}, {Subject, true, "rabat 1%", "Rabat 1% posto"},
        {Subject, true, "put c:\\", "Put C:\\"},        {Subject, false, "RAČUN ZA"},
        {Subject, true, "r"},                              {Subject, false, "zz", {}, false},
        {Sender, false, "šime š", "Rabat 10 posto"},       {Sender, true, "Ana"},
        {Sender, true, "ivan kovač"},                      {Size, false, "2.04"},
        {Size, true, "1"},                                 {Time, false, "09:1"},
        {Time, true, "09:15"},                             {Time, false, "09:15:", {}, false},
    };
    // Dates are typed as the list shows them; the received column shows the date and the time:
    // typed up to the date, into the time and past its end.
    const QString shown = eager.model().index(100, Received - 1).data().toString(), date = shown.section(u' ', 0, -2);
    for (bool descending : {false, true}) {
        for (const QString& typed : {shown.left(2), date, date + u' ', date + " 0", shown.left(shown.size() - 2), shown})
            cases.push_back({Received, descending, typed});
        cases.push_back({Received, descending, shown + u'0', {}, false});
        for (const QString& typed : {date.left(1), date})
            cases.push_back({Date, descending, typed});
        cases.push_back({Date, descending, date + u' ', {}, false});
    }

    std::pair<int, bool> sorted;
    for (const Case& c : cases) {
        for (OrganiserList* l : {&lazy, &eager}) {
            if (sorted != std::pair{c.column, c.descending}) {
                l->sorter()->ResetSort();
                for (int click = 0; click < (c.descending ? 2 : 1); ++click)
                    l->sorter()->TakeHeaderClick(c.column, VelmoraDll::HeaderSortManager::ClickPlain);
            }
            ASSERT_TRUE(l->select(7));
        }
        sorted = {c.column, c.descending};
        const QVariant before = lazy.selectedId();
        const size_t read = lazy.source().rowTextsRead();
        const std::string what = c.typed.toStdString() + (c.descending ? " down" : " up");
        lazy.locate(c.typed);
        eager.locate(c.typed);
        EXPECT_EQ(lazy.selectedId().toLongLong(), eager.selectedId().toLongLong()) << what;
        if (!c.subject.isEmpty()) {
            EXPECT_EQ(eager.cell("EM:SUBJECT"), c.subject) << what;
        }
        if (!c.found)
            EXPECT_EQ(lazy.selectedId().toLongLong(), before.toLongLong()) << what << ": nothing matches, the selection stays";
        else
            EXPECT_TRUE(eager.model().index(eager.selected(), c.column - 1).data().toString().toCaseFolded().startsWith(
                c.typed.toCaseFolded()))
                << what;
        // Only the size column's texts are computed where SQL cannot follow: it reads rows.
        if (c.column != Size) {
            EXPECT_EQ(lazy.source().rowTextsRead(), read) << what;
        }
    }

    // Letters typed into the view reach the locator; the view reads only the rows it shows.
    OrganiserListView view(lazy);
    view.resize(800, 300);
    view.show();
    lazy.sorter()->ResetSort();
    view.horizontalHeader()->sectionClicked(Subject - 1);
    QCoreApplication::processEvents();
    const size_t shownBefore = lazy.source().rowTextsRead();
    QTest::keyClicks(&view, "popust 5_");
    QCoreApplication::processEvents();
    EXPECT_LE(lazy.source().rowTextsRead() - shownBefore, size_t(2 * SqlListSource::kBlockRows));
    EXPECT_EQ(lazy.cell("EM:SUBJECT"), "Popust 5_ dana");
    EXPECT_EQ(view.currentIndex().row(), lazy.selected());
}

TEST_F(OrganiserListsTest, MailFolderShowsItsFirstRowsThenTakesTheRestAsAWholeRead)
{
    SampleSizes n;
    n.mails = 3000;
    const SampleResult data = generateSampleData(n);
    ASSERT_TRUE(data.error.isEmpty());
    ListDef whole = *listDef(ctl::Email);
    whole.lazy = false;
    OrganiserList lazy(*listDef(ctl::Email)), eager(whole);
    for (OrganiserList* l : {&lazy, &eager}) {
        l->sorter()->TakeHeaderClick(4, VelmoraDll::HeaderSortManager::ClickPlain); // by subject
        l->setRange(qlonglong(data.inboxId));
    }
    const vrt::BrowseModel& ids = lazy.browse().model();
    const int total = eager.rowCount();
    ASSERT_GT(total, int(vrt::Browse::kFirstIds));
    const auto sameRows = [&](int from, int to) {
        for (int row = from; row < to; ++row)
            for (int c : {1, 3, 4})
                ASSERT_EQ(lazy.model().index(row, c).data(), eager.model().index(row, c).data()) << row << "," << c;
    };
    // The first screen is there before the rest; the rows past it show nothing yet.
    ASSERT_EQ(ids.ids().size(), vrt::Browse::kFirstIds);
    EXPECT_TRUE(lazy.browse().idsLoading());
    sameRows(0, int(vrt::Browse::kFirstIds));
    QSignalSpy complete(&ids, &vrt::BrowseModel::idsComplete);
    QTRY_VERIFY(ids.allIdsRead());
    EXPECT_EQ(complete.size(), 1);
    EXPECT_EQ(ids.rowCount(), total);
    sameRows(0, total);
    EXPECT_EQ(lazy.selectedId(), eager.selectedId());

    // Asked about a row or a record past the first screen while the rest is read, the list
    // takes every id first.
    struct Case {
        const char* what;
        std::function<void()> act;
    };
    std::vector<qint64> everyId;
    for (int row = 0; row < total; ++row)
        everyId.push_back(eager.browse().model().idAt(row).toLongLong());
    const int deep = total - 10;
    const qlonglong deepId = eager.browse().model().idAt(deep).toLongLong();
    const Case cases[] = {{"select a row", [&] { ASSERT_TRUE(lazy.select(deep)); }},
                          {"select a record", [&] { ASSERT_TRUE(lazy.selectId(deepId)); }},
                          {"read a cell", [&] { EXPECT_EQ(lazy.cell("EM:SUBJECT", deep), eager.cell("EM:SUBJECT", deep)); }},
                          {"count the rows", [&] { EXPECT_EQ(lazy.rowCount(), total); }}};
    for (const Case& c : cases) {
        ASSERT_TRUE(lazy.select(3));
        lazy.browse().resetFromView();
        ASSERT_FALSE(ids.allIdsRead()) << c.what;
        c.act();
        EXPECT_TRUE(ids.allIdsRead()) << c.what;
        EXPECT_EQ(ids.ids(), everyId) << c.what;
    }
    // A selection past the first screen keeps its record: every id is read before the rows show.
    ASSERT_TRUE(lazy.selectId(deepId));
    lazy.browse().resetFromView();
    EXPECT_TRUE(ids.allIdsRead());
    EXPECT_EQ(lazy.selectedId().toLongLong(), deepId);

    // Another connection does not see an open transaction's rows: the list reads them itself.
    {
        vrt::odbc::Transaction tx(*corvalde::ThreadSession().connection());
        query("INSERT INTO EMAIL (SUBJECT, INBOXID, SENDER, DATUM, VRIJEME, SIZE_DECIMAL) VALUES ('AAA prva', "
              + std::to_string(data.inboxId) + ", 'Ana', '2026-03-04', '09:15:00', '2048')");
        ASSERT_TRUE(lazy.select(0));
        lazy.browse().resetFromView();
        EXPECT_TRUE(ids.allIdsRead());
        EXPECT_EQ(ids.rowCount(), total + 1);
        EXPECT_EQ(lazy.cell("EM:SUBJECT", 0), "AAA prva");
    }
}

namespace {
// The income and expense form: completes every request; a delete removes the record.
struct IncomeForm : vrt::WindowManager {
    QStringList requests;
    int run(int number, int request) override
    {
        requests << QString("%1/%2").arg(number).arg(request);
        if (request == vrt::DELETE_RECORD)
            Relate(Tbl::PrihodiRashodi).Delete();
        return vrt::REQUEST_COMPLETED;
    }
};
} // namespace

TEST_F(OrganiserListsTest, IncomeListSelectsTheRecordAFormServed)
{
    const SampleResult data = fill();
    IncomeForm form;
    struct Totals : ListSetSide {
        int recomputed = 0;
        void mailSelected(OrganiserList&) override {}
        void financeChanged() override { ++recomputed; }
        QIcon icon(const QString&) override { return {}; }
    } totals;
    ListSet lists(&form, &totals);
    int& recomputed = totals.recomputed;
    lists.setFinanceCategory(data.incomeRootId);
    OrganiserList& pr = lists.list(ctl::Pr);
    ASSERT_GT(pr.rowCount(), 4);

    ASSERT_TRUE(pr.select(3));
    const QVariant changed = pr.selectedId();
    EXPECT_EQ(lists.ask(ctl::Pr, vrt::CHANGE_RECORD), vrt::REQUEST_COMPLETED);
    EXPECT_EQ(pr.selectedId(), changed) << "a change keeps its row";

    // A delete selects the row above the deleted one.
    const QVariant above = pr.browse().model().rows()[2].id;
    EXPECT_EQ(lists.ask(ctl::Pr, vrt::DELETE_RECORD), vrt::REQUEST_COMPLETED);
    EXPECT_EQ(pr.selectedId(), above);

    // An insert selects the new record, wherever its date puts it.
    EXPECT_EQ(lists.ask(ctl::Pr, vrt::INSERT_RECORD), vrt::REQUEST_COMPLETED);
    const std::string newest = query("SELECT MAX(ID) FROM PRIHODIRASHODI")[0];
    EXPECT_EQ(pr.selectedId().toString().toStdString(), newest);
    EXPECT_EQ(form.requests, (QStringList{"4/2", "4/3", "4/1"}));
    EXPECT_EQ(recomputed, 3) << "the category totals follow every completed form";
}
