#include "tests/data/DataFixture.h"

#include "runtime/DateTime.h"
#include "runtime/SqliteDialect.h"
#include "runtime/Threads.h"
#include "runtime/ViewManager.h"

#include <QDate>
#include <QTime>

#include <thread>

using namespace vrt;

namespace {

int addInbox(int account, const char* name)
{
    INB().ACCOUNTID = account;
    INB().NAZIV = name;
    INB().ID = 0;
    INB().REDOSLIJED = 0;
    EXPECT_EQ(Access(Tbl::Inbox).Insert(), 0) << Access(Tbl::Inbox).ErrorText().toStdString();
    return INB().ID;
}

int addMail(int inbox, const std::string& messageId, int day = 0, int time = 0)
{
    Access(Tbl::EMAIL).clearBuffer();
    EM().INBOXID = inbox;
    EM().MESSAGEID = messageId;
    EM().DATUM = day;
    EM().VRIJEME = time;
    EXPECT_EQ(Access(Tbl::EMAIL).Insert(), 0) << Access(Tbl::EMAIL).ErrorText().toStdString();
    return EM().ID;
}

} // namespace

TEST_F(DataTest, RecordNumbersFollowAHighWaterMarkAndRunningNumbersStayWithinTheirParent)
{
    // Primary numbers: 1, 2, 3; deleting the top row does not hand its number out again.
    for (int expected : {1, 2, 3}) {
        ASSERT_EQ(Access(Tbl::Backup).PrimeRecord(), 0);
        EXPECT_EQ(BKP().ID, expected);
    }
    ASSERT_EQ(Access(Tbl::Backup).DeleteRecord(), 0); // row 3, the top one
    ASSERT_EQ(Access(Tbl::Backup).PrimeRecord(), 0);
    EXPECT_EQ(BKP().ID, 4);

    // A second numbered key over the whole table.
    EXPECT_EQ(addInbox(1, "a"), 1);
    EXPECT_EQ(INB().REDOSLIJED, 1);
    addInbox(2, "b");
    EXPECT_EQ(INB().REDOSLIJED, 2);

    // CALC:ORDER is whatever the caller set.
    CALC().ORDER = 7;
    ASSERT_EQ(Access(Tbl::CAL_EventCategories).Insert(), 0);
    EXPECT_EQ(CALC().ORDER, 7);

    // Within a parent: (category, expected running number) in insertion order.
    const std::pair<int, int> documents[] = {{10, 1}, {10, 2}, {20, 1}, {10, 3}, {20, 2}};
    for (auto [category, rbr] : documents) {
        Access(Tbl::IDokumenti).clearBuffer();
        ID().KATEGORIJAID = category;
        ASSERT_EQ(Access(Tbl::IDokumenti).PrimeRecord(true), 0);
        EXPECT_EQ(ID().RBR, rbr) << "category " << category;
    }
    const std::pair<int, int> items[] = {{5, 1}, {5, 2}, {5, 3}, {5, 4}, {6, 1}};
    for (auto [document, rbr] : items) {
        Access(Tbl::IDStavke).clearBuffer();
        IDS().DOKUMENTID = document;
        ASSERT_EQ(Access(Tbl::IDStavke).Insert(), 0);
        EXPECT_EQ(IDS().RBR, rbr);
    }
    UD().KATEGORIJAID = 3;
    ASSERT_EQ(Access(Tbl::UDokumenti).Insert(), 0);
    EXPECT_EQ(UD().RBR, 1);

    // An alias draws from the same sequence as its table.
    ASSERT_EQ(Access(Tbl::AInbox).PrimeRecord(), 0);
    EXPECT_EQ(INBA().ID, 3);
    EXPECT_TRUE(m_errors.raised.empty());
}

TEST_F(DataTest, UniqueKeysRefuseDuplicatesAndNameTheKey)
{
    addMail(1, "<a@x>");
    EM().ID = 0;
    EM().MESSAGEID = "<a@x>";
    EXPECT_EQ(Access(Tbl::EMAIL).Insert(), DupKeyError);
    EXPECT_EQ(Access(Tbl::EMAIL).ErrorKey(), QStringLiteral("EM:MessageIDKey"));
    ASSERT_EQ(m_errors.raised.size(), 1u);
    EXPECT_EQ(m_errors.raised[0].first, Msg_DuplicateKey);
    EXPECT_TRUE(m_errors.raised[0].second.endsWith(QStringLiteral("EM:MessageIDKey")));

    PRU().NAZIV = "Vijak";
    ASSERT_EQ(Access(Tbl::ProizvodUsluga).Insert(), 0);
    PRU().ID = 0;
    PRU().NAZIV = "VIJAK";
    EXPECT_EQ(Access(Tbl::ProizvodUsluga).TryInsert(), DupKeyError);

    // Reserved blank rows never collide on a unique key.
    EXPECT_EQ(Access(Tbl::EMAIL).PrimeRecord(), 0);
    EXPECT_EQ(Access(Tbl::EMAIL).PrimeRecord(), 0);
    EXPECT_EQ(count("EMAIL"), 3);
}

TEST_F(DataTest, ValuesRoundTripAndBadValuesAreRefused)
{
    CAL().STARTDATETIME_DATE = dayFromDate(QDate(2011, 8, 15));
    CAL().STARTDATETIME_TIME = timeFromQTime(QTime(9, 5));
    CAL().SUBJECT = std::string(300, 'x');
    CAL().REMAINDERSOUNDFILE = std::string(254, 'a') + "\xC4\x8D\xC4\x8D"; // 256 characters
    ASSERT_EQ(Access(Tbl::CAL_CalendarEvents).Insert(), 0);
    EXPECT_EQ(query("SELECT STARTDATETIME FROM CAL_CALENDAREVENTS")[0], "2011-08-15 09:05:00");
    const int id = CAL().EVENTID;
    Access(Tbl::CAL_CalendarEvents).clearBuffer();
    CAL().EVENTID = id;
    ASSERT_EQ(Access(Tbl::CAL_CalendarEvents).Fetch(CAL.PK_CalendarEvents), 0);
    EXPECT_EQ(dateFromDay(CAL().STARTDATETIME_DATE), QDate(2011, 8, 15));
    EXPECT_EQ(qtimeFromTime(CAL().STARTDATETIME_TIME), QTime(9, 5));
    EXPECT_EQ(CAL().SUBJECT.size(), 255u);                       // capacity 256 holds 255
    EXPECT_EQ(CAL().REMAINDERSOUNDFILE, std::string(254, 'a') + "\xC4\x8D"); // cut between characters

    // Decimal text: stored as text exactly; anything else is refused with nothing stored.
    PR().IZNOS_DECIMAL = "0.10";
    for (int i = 0; i < 10; ++i) {
        PR().ID = 0;
        ASSERT_EQ(Access(Tbl::PrihodiRashodi).Insert(), 0);
    }
    EXPECT_EQ(query("SELECT DISTINCT typeof(IZNOS_DECIMAL) || ':' || IZNOS_DECIMAL FROM PRIHODIRASHODI")[0], "text:0.10");
    for (const char* bad : {"1,5", "abc", "1.", "--1"}) {
        PR().ID = 0;
        PR().IZNOS_DECIMAL = bad;
        EXPECT_EQ(Access(Tbl::PrihodiRashodi).Insert(), BadValueError) << bad;
    }
    EXPECT_EQ(count("PRIHODIRASHODI"), 10);

    // Fetch of a missing row clears the buffer and reports; TryFetch only answers.
    CAL().EVENTID = 999;
    CAL().SUBJECT = "kept";
    EXPECT_EQ(Access(Tbl::CAL_CalendarEvents).TryFetch(CAL.PK_CalendarEvents), RecordNotFound);
    EXPECT_EQ(CAL().SUBJECT, "kept");
    const size_t before = m_errors.raised.size();
    EXPECT_EQ(Access(Tbl::CAL_CalendarEvents).Fetch(CAL.PK_CalendarEvents), RecordNotFound);
    EXPECT_EQ(CAL().SUBJECT, "");
    ASSERT_EQ(m_errors.raised.size(), before + 1);
    EXPECT_EQ(m_errors.raised.back().first, Msg_RecordNotFound);
    EXPECT_EQ(m_errors.raised.back().second,
              QStringLiteral("No record of the CAL_CalendarEvents file has these CAL:PK_CalendarEvents values."));
}

TEST_F(DataTest, KeyOrderFiltersAndRanges)
{
    // Three mails: (day, time) -- DateKeyReverse lists the newest first.
    const int d = dayFromDate(QDate(2024, 5, 1));
    addMail(1, "m1", d, 100);
    addMail(2, "m2", d + 1, 50);
    addMail(1, "m3", d, 200);
    auto read = [](FileManager& f, bool forward = true) {
        std::vector<std::string> ids;
        while ((forward ? f.Next() : f.Previous()) == 0)
            ids.push_back(EM().MESSAGEID);
        EXPECT_EQ(f.ErrorCode(), RecordNotAvailable);
        return ids;
    };
    FileManager& em = Access(Tbl::EMAIL);
    ASSERT_EQ(em.Set(EM.DateKeyReverse), 0);
    EXPECT_EQ(read(em), (std::vector<std::string>{"m2", "m3", "m1"}));
    ASSERT_EQ(em.Set(EM.DateKey), 0);
    EXPECT_EQ(read(em), (std::vector<std::string>{"m1", "m3", "m2"}));
    ASSERT_EQ(em.Set(EM.DateKey), 0);
    EXPECT_EQ(read(em, false), (std::vector<std::string>{"m2", "m3", "m1"}));

    // Next then Previous turns round at the current row.
    ASSERT_EQ(em.Set(EM.DateKey), 0);
    ASSERT_EQ(em.Next(), 0);
    ASSERT_EQ(em.Next(), 0);
    EXPECT_EQ(EM().MESSAGEID, "m3");
    ASSERT_EQ(em.Previous(), 0);
    EXPECT_EQ(EM().MESSAGEID, "m1");

    // A range on the first component, and SetFrom a position.
    EM().INBOXID = 1;
    ASSERT_EQ(em.Set(EM.InboxIDKey), 0);
    ASSERT_EQ(em.SetRange(EM.InboxIDKey, 1), 0);
    EXPECT_EQ(read(em).size(), 2u);
    EM().DATUM = d;
    EM().VRIJEME = 150;
    ASSERT_EQ(em.SetFrom(EM.DateKey), 0);
    EXPECT_EQ(read(em), (std::vector<std::string>{"m3", "m2"}));

    // Filter and order texts: fields by label, values bound; unknown names refused.
    ASSERT_EQ(em.SetOrder("-EM:INBOXID,+UPPER(EM:MessageID)"), 0);
    ASSERT_EQ(em.SetFilter("EM:MESSAGEID <> 'm1' AND (EM:INBOXID = 2 OR EM:DATUM = " + std::to_string(d) + ")"), 0);
    EXPECT_EQ(read(em), (std::vector<std::string>{"m2", "m3"}));
    ASSERT_EQ(em.SetOrder("+EM:ID"), 0);
    ASSERT_EQ(em.SetFilter("EM:MESSAGEID = 'x'' OR 1=1 --'"), 0);
    EXPECT_TRUE(read(em).empty());
    for (const char* bad : {"EM:NOPE = 1", "CON:ID = 1", "EM:ID = 1; DROP TABLE EMAIL", "EM:ID = 'open", "EM:ID LIKE 1",
                            "EM:ID = 99999999999999999999", "EM:DATUM = 99999999999"})
        EXPECT_EQ(em.SetFilter(bad), FilterError) << bad;
    EXPECT_EQ(em.SetOrder("EM:ID DESC"), FilterError);
    EXPECT_EQ(count("EMAIL"), 3);

    // A view: order text, range and filter together.
    ViewManager view(em);
    view.SetOrder("-EM:ID");
    EM().INBOXID = 1;
    view.SetRange(EM.InboxIDKey, 1);
    view.SetFilter("EM:VRIJEME > 0");
    ASSERT_EQ(view.Open(), 0);
    EXPECT_EQ(read(em), (std::vector<std::string>{"m3", "m1"}));
    view.Close();

    // CAL:Datumi orders by the start's date only, latest day first; SetFrom a day takes in
    // every event of that day whatever its time.
    const std::pair<int, int> events[] = {{d, 50000}, {d, 10000}, {d + 1, 100}, {d - 1, 900000}};
    for (auto [day, time] : events) {
        CAL().EVENTID = 0;
        CAL().STARTDATETIME_DATE = day;
        CAL().STARTDATETIME_TIME = time;
        ASSERT_EQ(Access(Tbl::CAL_CalendarEvents).Insert(), 0);
    }
    auto eventIds = [] {
        std::vector<int> ids;
        while (Access(Tbl::CAL_CalendarEvents).Next() == 0)
            ids.push_back(CAL().EVENTID);
        return ids;
    };
    ASSERT_EQ(Access(Tbl::CAL_CalendarEvents).Set(CAL.Datumi), 0);
    EXPECT_EQ(eventIds(), (std::vector<int>{3, 1, 2, 4}));
    CAL().STARTDATETIME_DATE = d;
    CAL().STARTDATETIME_TIME = 1;
    ASSERT_EQ(Access(Tbl::CAL_CalendarEvents).SetFrom(CAL.Datumi), 0);
    EXPECT_EQ(eventIds(), (std::vector<int>{1, 2, 4}));

    // Notes of one day: latest time first.
    for (int t : {100, 300, 200}) {
        NOTE().ID = 0;
        NOTE().DATUM = d;
        NOTE().VRIJEME = t;
        ASSERT_EQ(Access(Tbl::Notes).Insert(), 0);
    }
    ASSERT_EQ(Access(Tbl::Notes).Set(NOTE.Datumi), 0);
    std::vector<int> times;
    while (Access(Tbl::Notes).Next() == 0)
        times.push_back(NOTE().VRIJEME);
    EXPECT_EQ(times, (std::vector<int>{300, 200, 100}));
}

TEST_F(DataTest, PassThroughFillsTheFieldsAsText)
{
    addMail(4, "<x@y>", dayFromDate(QDate(2020, 1, 2)));
    FileManager& sql = Access(Tbl::SQL_File);
    ASSERT_EQ(sql.ExecSql("SELECT ID, MESSAGEID, DATUM, INBOXID * 2 FROM EMAIL"), 0);
    ASSERT_EQ(sql.Next(), 0);
    EXPECT_EQ(SQL().F1, "1");
    EXPECT_EQ(SQL().F2, "<x@y>");
    EXPECT_EQ(SQL().F3, "2020-01-02");
    EXPECT_EQ(SQL().F4, "8");
    EXPECT_EQ(SQL().F5, "");
    EXPECT_EQ(sql.Next(), RecordNotAvailable);
    EXPECT_NE(sql.ExecSql("SELECT nothing FROM nowhere"), 0);
    EXPECT_NE(sql.Next(), 0);
}

TEST_F(DataTest, APartOfATransactionIsUndoneAloneAndTheRestCommits)
{
    vrt::odbc::Connection& c = *corvalde::ThreadSession().connection();
    ASSERT_TRUE(c.exec("CREATE TABLE parts (ID INTEGER PRIMARY KEY, T TEXT)"));
    EXPECT_FALSE(c.beginPart()); // only inside a transaction
    {
        vrt::odbc::Transaction tx(c);
        ASSERT_TRUE(tx.started());
        ASSERT_TRUE(c.exec("INSERT INTO parts (ID, T) VALUES (1, 'before')")) << c.error().text;
        {
            vrt::odbc::TransactionPart kept(c);
            ASSERT_TRUE(kept.started());
            ASSERT_TRUE(c.exec("INSERT INTO parts (ID, T) VALUES (2, 'kept')"));
            EXPECT_TRUE(kept.keep());
        }
        {
            // A nested level fails (a duplicate number): only this part goes.
            vrt::odbc::TransactionPart undone(c);
            ASSERT_TRUE(undone.started());
            ASSERT_TRUE(c.exec("INSERT INTO parts (ID, T) VALUES (3, 'undone')"));
            {
                vrt::odbc::Transaction nested(c); // ends unkept: its level failed
                EXPECT_FALSE(c.exec("INSERT INTO parts (ID, T) VALUES (1, 'twice')"));
            }
            EXPECT_FALSE(undone.keep()); // a part with a failed level is never kept
        }
        {
            vrt::odbc::TransactionPart dropped(c); // left without keep
            ASSERT_TRUE(c.exec("INSERT INTO parts (ID, T) VALUES (4, 'dropped')"));
        }
        EXPECT_TRUE(tx.commit());
    }
    EXPECT_EQ(query("SELECT group_concat(T, ',') FROM (SELECT T FROM parts ORDER BY ID)"),
              std::vector<std::string>{"before,kept"});
}

TEST_F(DataTest, DeletesCascadeAlongRelationsInOneTransaction)
{
    // Account 1 with two folders and three mails, one attachment; account 2 untouched.
    ACC().NAZIV = "one";
    ASSERT_EQ(Access(Tbl::Accounts).Insert(), 0);
    const int acc = ACC().ID;
    const int in1 = addInbox(acc, "Inbox");
    const int in2 = addInbox(acc, "Sent");
    const int other = addInbox(acc + 1, "other");
    addMail(in1, "a");
    addMail(in1, "b");
    addMail(other, "d");
    const int top = addMail(in2, "c");
    ATT().IDEMAIL = top;
    ASSERT_EQ(Access(Tbl::EMAILATTACH).Insert(), 0);

    // A trigger that refuses one mail's delete rolls the whole delete back.
    query("CREATE TRIGGER refuse BEFORE DELETE ON EMAIL WHEN OLD.MESSAGEID = 'c' "
          "BEGIN SELECT RAISE(ABORT, 'refused by test'); END");
    ACC().ID = acc;
    EXPECT_EQ(Relate(Tbl::Accounts).Delete(), DriverError);
    EXPECT_EQ(count("ACCOUNTS"), 1);
    EXPECT_EQ(count("INBOX"), 3);
    EXPECT_EQ(count("EMAIL"), 4);
    ASSERT_FALSE(m_errors.raised.empty());
    EXPECT_EQ(m_errors.raised.back().first, Msg_DeleteFailed);
    EXPECT_TRUE(m_errors.raised.back().second.contains(QStringLiteral("EMAIL"))) << m_errors.raised.back().second.toStdString();

    query("DROP TRIGGER refuse");
    ACC().ID = acc;
    ASSERT_EQ(Relate(Tbl::Accounts).Delete(), 0);
    EXPECT_EQ(count("ACCOUNTS"), 0);
    EXPECT_EQ(query("SELECT NAZIV FROM INBOX"), std::vector<std::string>{"other"});
    EXPECT_EQ(query("SELECT MESSAGEID FROM EMAIL"), std::vector<std::string>{"d"});
    EXPECT_EQ(count("EMAILATTACH"), 1); // no declared relation joins attachments to mail
    // The orphaned attachment of the deleted top mail never comes to belong to a new mail.
    EXPECT_EQ(addMail(other, "e"), top + 1);
    EXPECT_EQ(count("EMAIL"), 2);

    // An alias deletes along its table's relations.
    INBA().ID = other;
    ASSERT_EQ(Relate(Tbl::AInbox).Delete(), 0);
    EXPECT_EQ(count("INBOX") + count("EMAIL"), 0);

    // Group -> contacts -> notes and diary; subgroups and events stay.
    CONG().NAZIV = "g";
    ASSERT_EQ(Access(Tbl::CON_Group).Insert(), 0);
    const int group = CONG().ID;
    CONG().ID = 0;
    CONG().TATAID = group;
    ASSERT_EQ(Access(Tbl::CON_Group).Insert(), 0);
    CON().GRUPAID = group;
    ASSERT_EQ(Access(Tbl::CON_Contacts).Insert(), 0);
    NOTE().KONTAKTID = CON().ID;
    ASSERT_EQ(Access(Tbl::Notes).Insert(), 0);
    DNE().KONTAKTID = CON().ID;
    ASSERT_EQ(Access(Tbl::Dnevnik).Insert(), 0);
    CAL().PARTNERID = CON().ID;
    ASSERT_EQ(Access(Tbl::CAL_CalendarEvents).Insert(), 0);
    CONG().ID = group;
    ASSERT_EQ(Relate(Tbl::CON_Group).Delete(), 0);
    EXPECT_EQ(count("CON_GROUP"), 1);
    EXPECT_EQ(count("CON_CONTACTS") + count("Notes") + count("Dnevnik"), 0);
    EXPECT_EQ(count("CAL_CALENDAREVENTS"), 1);

    // Cancelling a primed document takes the items added meanwhile with it.
    ASSERT_EQ(Access(Tbl::IDokumenti).PrimeRecord(), 0);
    const int doc = ID().ID;
    for (int i = 0; i < 2; ++i) {
        IDS().ID = 0;
        IDS().DOKUMENTID = doc;
        ASSERT_EQ(Access(Tbl::IDStavke).Insert(), 0);
    }
    ID().BROJDOKUMENTA = "edited";
    ASSERT_EQ(Access(Tbl::IDokumenti).CancelAutoInc(&Relate(Tbl::IDokumenti)), 0);
    EXPECT_EQ(count("IDokumenti") + count("IDStavke"), 0);

    // A saved form updates the reserved row, which then is no longer cancelled.
    ASSERT_EQ(Access(Tbl::IDokumenti).PrimeRecord(), 0);
    ID().BROJDOKUMENTA = "saved";
    ASSERT_EQ(Relate(Tbl::IDokumenti).Update(), 0);
    EXPECT_FALSE(Access(Tbl::IDokumenti).HasReservedRow());
    EXPECT_EQ(Access(Tbl::IDokumenti).CancelAutoInc(), 0);
    EXPECT_EQ(query("SELECT BROJDOKUMENTA FROM IDokumenti"), std::vector<std::string>{"saved"});
}

TEST_F(DataTest, FailedNumberingAsksBeforeGivingUp)
{
    addMail(1, "<dup>");
    FileManager& em = Access(Tbl::EMAIL);
    int attempts = 0;
    em.beforeAutoIncAttempt = [&](FileManager&) { ++attempts; };

    // Every add collides: after three attempts message 35 asks; "No" ends it with no row.
    Access(Tbl::EMAIL).clearBuffer();
    EM().MESSAGEID = "<dup>";
    EXPECT_EQ(em.PrimeRecord(true), DupKeyError);
    EXPECT_EQ(attempts, 3);
    ASSERT_EQ(m_errors.raised.size(), 1u);
    EXPECT_EQ(m_errors.raised[0].first, Msg_RetryAutoInc);
    EXPECT_TRUE(m_errors.raised[0].second.startsWith(
        QStringLiteral("Attempts to automatically number this record have failed.|File: EMAIL|Key: EM:MessageIDKey|Error: ")))
        << m_errors.raised[0].second.toStdString();
    EXPECT_EQ(count("EMAIL"), 1);

    // "Yes" allows three more; the collision goes away on the fifth attempt.
    attempts = 0;
    m_errors.raised.clear();
    m_errors.answers = {LEVEL_BENIGN};
    em.beforeAutoIncAttempt = [&](FileManager&) {
        if (++attempts == 5)
            query("UPDATE EMAIL SET MESSAGEID = 'moved'");
    };
    EXPECT_EQ(em.PrimeRecord(true), 0);
    EXPECT_EQ(attempts, 5);
    EXPECT_EQ(m_errors.raised.size(), 1u);
    EXPECT_EQ(count("EMAIL"), 2);
}

TEST_F(DataTest, EveryThreadHasItsOwnBuffersManagersAndConnection)
{
    ASSERT_EQ(Access(Tbl::Inbox).UseFile(), 0);
    INB().NAZIV = "main";
    FileManager* mainInbox = &Access(Tbl::Inbox);

    std::atomic<int> done{0};
    auto worker = [&](const char* name) {
        EXPECT_EQ(Access(Tbl::AInbox).ALIASEDFILE, &Access(Tbl::Inbox));
        EXPECT_NE(&Access(Tbl::Inbox), mainInbox);
        EXPECT_EQ(INB().NAZIV, "");
        for (int i = 0; i < 20; ++i) {
            INB().ID = 0;
            INB().REDOSLIJED = 0;
            INB().NAZIV = name;
            EXPECT_EQ(Access(Tbl::Inbox).Insert(), 0) << Access(Tbl::Inbox).ErrorText().toStdString();
            EXPECT_EQ(INB().NAZIV, name);
        }
        ++done;
    };
    std::thread a = vrt::startThread([&] { worker("a"); });
    std::thread b([&] { worker("b"); }); // not started through the runtime: made on first use
    a.join();
    b.join();
    EXPECT_EQ(done, 2);
    EXPECT_EQ(INB().NAZIV, "main");
    EXPECT_EQ(count("INBOX"), 40);
    EXPECT_EQ(query("SELECT COUNT(DISTINCT REDOSLIJED) FROM INBOX")[0], "40");
    // The other threads' managers are gone; this thread's still work.
    EXPECT_EQ(Access(Tbl::Inbox).Set(Inb.IDKey), 0);
    EXPECT_EQ(Access(Tbl::Inbox).Next(), 0);
    Access(Tbl::Inbox).EndSequence(); // an open read keeps this connection's snapshot

    // Two writers numbering items of one document at once never draw the same number.
    auto items = [] {
        for (int i = 0; i < 50; ++i) {
            Access(Tbl::IDStavke).clearBuffer();
            IDS().DOKUMENTID = 1;
            EXPECT_EQ(Access(Tbl::IDStavke).Insert(), 0) << Access(Tbl::IDStavke).ErrorText().toStdString();
        }
    };
    std::thread c = vrt::startThread(items), d = vrt::startThread(items);
    c.join();
    d.join();
    EXPECT_EQ(query("SELECT COUNT(DISTINCT RBR) || ':' || MIN(RBR) || ':' || MAX(RBR) FROM IDStavke")[0], "100:1:100");

    corvalde::KILLTABLEMANAGERS();
    EXPECT_FALSE(corvalde::ThreadManagersExist());
}

TEST_F(DataTest, AThreadReadingATableCanWriteAfterAnotherThreadWrote)
{
    for (int i = 1; i <= 4; ++i)
        addInbox(1, ("f" + std::to_string(i)).c_str());
    FileManager& inbox = Access(Tbl::Inbox);
    ASSERT_EQ(inbox.Set(Inb.IDKey), 0);
    ASSERT_EQ(inbox.Next(), 0);
    ASSERT_EQ(inbox.Next(), 0);
    EXPECT_EQ(INB().NAZIV, "f2");
    vrt::startThread([] { addInbox(2, "other"); }).join();
    // The open read holds an old snapshot; the write lets go of it instead of waiting in vain.
    EXPECT_EQ(addInbox(1, "mine"), 6);
    std::vector<std::string> rest;
    while (inbox.Next() == 0)
        rest.push_back(INB().NAZIV);
    EXPECT_EQ(rest, (std::vector<std::string>{"f3", "f4", "other", "mine"}));
}

TEST_F(DataTest, AnotherOwnerOrTableNameReopensOnTheNextUse)
{
    addInbox(1, "first");
    // Another database: the thread's connection and every prepared statement follow it.
    GLO::OWNER = "Driver=SQLite3 ODBC Driver;Database=" + m_folder->file("second.db").toStdString() + ";StepAPI=1";
    ASSERT_EQ(Access(Tbl::Inbox).Set(Inb.IDKey), 0);
    EXPECT_EQ(Access(Tbl::Inbox).Next(), RecordNotAvailable);
    EXPECT_EQ(addInbox(1, "second"), 1);
    // Another table name on the same connection.
    ASSERT_TRUE(FILENAME::INBOX.set("INBOX_COPY"));
    EXPECT_EQ(addInbox(1, "copy"), 1);
    EXPECT_EQ(count("INBOX_COPY"), 1);
    EXPECT_EQ(count("INBOX"), 1);
    corvalde::setTableNames();
}

TEST_F(DataTest, OutsideIdentifiersCompareExactlyAndAnOldIndexIsMadeAgain)
{
    // A database of an earlier build: the message id key compared without regard to case.
    ASSERT_EQ(Access(Tbl::EMAIL).Open(), 0);
    query("DROP INDEX EMAIL_MessageIDKey");
    query("CREATE UNIQUE INDEX \"EMAIL_MessageIDKey\" ON \"EMAIL\" (\"MESSAGEID\" COLLATE NOCASE)");
    const int first = addMail(1, "1_UidAbC");
    addMail(1, "1_drugi");
    EXPECT_EQ(query("SELECT coll FROM pragma_index_xinfo('EMAIL_MessageIDKey') WHERE key = 1"), std::vector<std::string>{"NOCASE"});

    corvalde::KILLTABLEMANAGERS();
    corvalde::CREATETABLEMANAGERS();
    corvalde::BindThreadManagers(&m_errors);
    ASSERT_EQ(Access(Tbl::EMAIL).Open(), 0);
    EXPECT_EQ(query("SELECT coll FROM pragma_index_xinfo('EMAIL_MessageIDKey') WHERE key = 1"), std::vector<std::string>{"BINARY"});
    EXPECT_EQ(query("SELECT \"unique\" FROM pragma_index_list('EMAIL') WHERE name = 'EMAIL_MessageIDKey'"),
              std::vector<std::string>{"1"});
    EXPECT_EQ(query("SELECT MESSAGEID FROM EMAIL ORDER BY ID"), (std::vector<std::string>{"1_UidAbC", "1_drugi"}));

    // Two server ids that differ only in case are two messages, each found as it is written.
    const int second = addMail(1, "1_uidabc");
    EM().ID = 0;
    EM().MESSAGEID = "1_uidabc";
    EXPECT_EQ(Access(Tbl::EMAIL).TryInsert(), DupKeyError) << "still unique";
    for (const auto& [id, wanted] : {std::pair{first, "1_UidAbC"}, std::pair{second, "1_uidabc"}}) {
        Access(Tbl::AEMAIL).clearBuffer();
        EMA().MESSAGEID = wanted;
        ASSERT_EQ(Access(Tbl::AEMAIL).TryFetch(EMA.MessageIDKey), 0) << wanted;
        EXPECT_EQ(EMA().ID, id);
    }
    EMA().MESSAGEID = "1_UIDABC";
    EXPECT_EQ(Access(Tbl::AEMAIL).TryFetch(EMA.MessageIDKey), RecordNotFound);

    // Opening again changes nothing.
    const auto catalogue = query("SELECT group_concat(name || sql, ';') FROM sqlite_master");
    corvalde::KILLTABLEMANAGERS();
    corvalde::CREATETABLEMANAGERS();
    ASSERT_EQ(Access(Tbl::EMAIL).Open(), 0);
    EXPECT_EQ(query("SELECT group_concat(name || sql, ';') FROM sqlite_master"), catalogue);
}

TEST_F(DataTest, LookupsOnUniqueKeysUseTheirIndex)
{
    odbc::Connection& c = *corvalde::ThreadSession().connection();
    int keys = 0;
    for (int slot = 0; slot < int(Tbl::Count); ++slot) {
        FileManager& f = Access(Tbl(slot));
        if (f.FILE->base)
            continue; // an alias reads its table's indexes
        ASSERT_EQ(f.Open(), 0) << f.FILE->label;
        for (int k = 0; k < int(f.FILE->keys.size()); ++k) {
            if (!f.FILE->keys[size_t(k)].unique)
                continue;
            ++keys;
            // With every component set, and with empty ones (an empty text is looked up as NULL).
            for (const bool empty : {false, true}) {
                f.clearBuffer();
                if (!empty)
                    for (const KeyComponent& kc : f.FILE->keys[size_t(k)].components) {
                        const FieldDesc& fd = f.FILE->fields[size_t(kc.field)];
                        if (fd.isText())
                            *static_cast<std::string*>(fd.at(f.BUFFER)) = "1";
                        else if (fd.kind == FieldKind::Byte)
                            *static_cast<uint8_t*>(fd.at(f.BUFFER)) = 1;
                        else
                            *static_cast<int32_t*>(fd.at(f.BUFFER)) = 1;
                    }
                const std::string sql = f.FetchSql(k);
                std::vector<std::string> plan;
                odbc::Error error;
                ASSERT_TRUE(dialect::queryPlan(c, sql, plan, &error)) << sql << ": " << error.text;
                ASSERT_FALSE(plan.empty()) << sql;
                EXPECT_FALSE(dialect::scansTable(plan)) << f.FILE->keyLabel(k) << (empty ? " empty" : "") << ": " << sql
                                                         << "\n" << plan.front();
            }
        }
    }
    EXPECT_GT(keys, 23) << "every table's primary key and the other unique ones";
}
