#include "procedures/common/OpenFiles.h"
#include "tests/data/DataFixture.h"

#include "runtime/DateTime.h"
#include "runtime/SqliteDialect.h"

#include <QDate>
#include <QFileInfo>

#include <sstream>

#include <unistd.h>

namespace {

// The declarations as written down for the data dictionary, table by table: stored name;
// columns as name:size (L 32-bit, B 8-bit, D date, T time, DT date-time, a number: text of that
// many bytes); keys other than the primary as name:components (- descending) with !unique.
const char* const kSchema[] = {
    "SQL_FILE|F1:255 F2:255 F3:255 F4:255 F5:255 F6:255 F7:255 F8:255 F9:255 F10:255 F11:255 F12:255 F13:255 "
    "F14:255 F15:255 F16:255 F17:255 F18:255 F19:255 F20:255 F21:255 F22:255 F23:255 F24:255 F25:255|",
    "CAL_CALENDAREVENTS|EVENTID:L PARTNERID:L STATUS:L STARTDATETIME:DT ENDDATETIME:DT RECURRENCESTATE:L "
    "SUBJECT:256 LOCATION:256 BODY:8000 BUSYSTATUS:L IMPORTANCELEVEL:L LABELID:L SCHEDULEID:L "
    "RECURRENCEPATTERNID:L ISRECURRENCEEXCEPTIONDELETED:L REXCEPTIONSTARTTIMEORIG:DT REXCEPTIONENDTIMEORIG:DT "
    "ISALLDAYEVENT:L ISMEETING:L ISPRIVATE:L ISREMINDER:L REMINDERMINUTESBEFORESTART:L REMAINDERSOUNDFILE:256 "
    "CREATED:DT MODIFIED:DT|Labels:LABELID Partneri:PARTNERID Datumi:-STARTDATETIME_DATE",
    "CAL_EVENTCATEGORIES|ID:L CATEGORIENAME:100 CATEGORIECOLOR:L ORDER:L|CategorieNameKey:CATEGORIENAME OrderKey:ORDER",
    "EMAIL|ID:L SUBJECT:255 INBOXID:L BODY:8000 SENDER:255 TOO:255 TOADDR:255 TONAME:255 CC:255 CCADDR:255 "
    "CCNAME:255 BCC:255 BCCADDR:255 BCCNAME:255 REPLYTO:100 DATUM:D VRIJEME:T READCONFIRMATION:B MESSAGEID:100 "
    "PRIORITYLEVEL:L SIZE_DECIMAL:30 CHARSET:50 READ:B JUNKDOMAIN:255|MessageIDKey:MESSAGEID! "
    "DateKeyReverse:-DATUM,-VRIJEME SenderKey:SENDER InboxIDKey:INBOXID DateKey:DATUM,VRIJEME ReplyToKey:REPLYTO "
    "JunkDomainKey:JUNKDOMAIN",
    "EMAILATTACH|ID:L IDEMAIL:L NAZIV:255 VELICINA_DECIMAL:30 CONTENTID:100|IDEmailKey:IDEMAIL ContentIDKey:CONTENTID",
    "CON_GROUP|ID:L NAZIV:255 TATAID:L NAPOMENA:8000 REDOSLIJED:L|TateKey:TATAID NaziviKey:NAZIV Redoslijedi:REDOSLIJED",
    "CON_CONTACTS|ID:L GRUPAID:L PREZIME:255 SREDNJEIME:255 IME:255 ADRESA1:255 ADRESA2:255 POSTBROJ:20 GRAD:100 "
    "DRZAVA:100 EMAIL:255 EMAIL2:255 WEB:255 PHONE1:50 PHONE2:50 PHONE3:50 NAPOMENA:8000 TVRTKA:255 "
    "POREZNIBROJ:50 MATICNIBROJ:50 TADRESA1:200 TADRESA2:200 TPOSTBROJ:20 TGRAD:100 TPHONE1:20 TPHONE2:20 "
    "TPHONE3:20 TWEB:100 TEMAIL:100 TDRZAVA:100|GrupaIDKey:GRUPAID PrezimeKey:PREZIME EmailKey:EMAIL "
    "EmalTvrtkaKey:TEMAIL",
    "ACCOUNTS|ID:L NAZIV:255 IMEPREZIME:255 EMAIL:100 POPHOSTNAME:255 POPUSERNAME:255 POPPASSWORD:255 POPPORT:20 "
    "POPSSL:20 SMTPHOST:255 SMTPPASSWORD:100 SMTPPORT:20 SMTPSSL:20 SMTPUSERNAME:255 DEFAULT:B POTPISNOVI:255 "
    "POTPISREPLY:255|NaziviKey:NAZIV ImePrezimeKey:IMEPREZIME EmailKey:EMAIL",
    "INBOX|ID:L ACCOUNTID:L NAZIV:255 ENNAZIV:100 TATAID:L NAPOMENA:8000 UNREADEDMESSAGES:L REDOSLIJED:L|"
    "NaziviKey:NAZIV TateKey:TATAID AccountIDKey:ACCOUNTID AccNameKey:ACCOUNTID,ENNAZIV Redoslijedi:REDOSLIJED",
    "PRIHODIRASHODIKATEGORIJA|ID:L TATAID:L NAZIV:255 NAPOMENA:8000 REDOSLIJED:L TIP:B|TataIDKey:TATAID "
    "Nazivi:NAZIV Redoslijedi:REDOSLIJED Tipovi:TIP",
    "PRIHODIRASHODI|ID:L KATEGORIJAID:L DATUM:D NAZIV:255 TIPID:L IZNOS_DECIMAL:30 NAPOMENA:8000|"
    "Kategorije:KATEGORIJAID Datumi:-DATUM Tipovi:TIPID",
    "IDKategorija|ID:L TATAID:L NAZIV:255 REDOSLIJED:L NAPOMENA:8000|TataIDKey:TATAID Nazivi:NAZIV Redoslijedi:REDOSLIJED",
    "IDokumenti|ID:L KATEGORIJAID:L RBR:L UKLJUCIFIN:B KUPACID:L BROJDOKUMENTA:50 ROKPLACANJA:L NACINPLACANJA:50 "
    "NACINOTPREME:255 DATUM:D IZNOS_DECIMAL:30 NAPOMENA:8000|KategorijaIDKey:KATEGORIJAID Kupci:KUPACID "
    "Datumi:-DATUM RedniBrojevi:KATEGORIJAID,RBR",
    "IDStavke|ID:L DOKUMENTID:L KATEGORIJAID:L RBR:L PROIZVODUSLUGAID:L KOLICINA_DECIMAL:20 CIJENA_DECIMAL:20 "
    "RABAT_JED_DECIMAL:20 RABAT_POST_DECIMAL:20 POREZ_STOPA_DECIMAL:21 POREZ_IZNOS_DECIMAL:21 IZNOS_DECIMAL:20 "
    "IZNOS_SPDVOM_DECIMAL:20|Dokumenti:DOKUMENTID,RBR Proizvodi:PROIZVODUSLUGAID Kategorije:KATEGORIJAID,DOKUMENTID,RBR",
    "UDKategorija|ID:L TATAID:L NAZIV:255 REDOSLIJED:L NAPOMENA:8000|TataIDKey:TATAID Nazivi:NAZIV Redoslijedi:REDOSLIJED",
    "UDokumenti|ID:L KATEGORIJAID:L UKLJUCIFIN:B RBR:L DOBAVLJACID:L BROJDOKUMENTA:255 DATUM:D IZNOS_DECIMAL:30 "
    "NAPOMENA:8000|KategorijaIDKey:KATEGORIJAID Dobavljaci:DOBAVLJACID Datumi:-DATUM RedniBrojevi:KATEGORIJAID,RBR",
    "ProizvodUsluga|ID:L NAZIV:255 JM:20 NAPOMENA:8000|Nazivi:NAZIV!",
    "Dnevnik|ID:L KONTAKTID:L DATUM:D VRIJEME:T NASLOV:255 OPIS:255 NAPOMENA:8000|Kontakti:KONTAKTID Datumi:-DATUM,-VRIJEME",
    "Passwords|ID:L KATEGORIJAID:L NAZIV:255 LOGIN:255 PASSWORD:255 LOKACIJA:255 NAPOMENA:8000|KategorijaKey:KATEGORIJAID",
    "PasswordsKategorija|ID:L NAZIV:255 NAPOMENA:8000|",
    "Notes|ID:L KONTAKTID:L DATUM:D VRIJEME:T NASLOV:255 OPIS:255 STATUS:B NAPOMENA:8000|Kontakti:KONTAKTID "
    "Datumi:-DATUM,-VRIJEME",
    "Backup|ID:L PUTANJA:500|",
};

std::vector<std::string> split(const std::string& s, char by)
{
    std::vector<std::string> out;
    std::stringstream in(s);
    std::string part;
    while (std::getline(in, part, by))
        if (!part.empty())
            out.push_back(part);
    return out;
}

std::string sqlType(const std::string& size)
{
    if (size == "L") return "INTEGER";
    if (size == "B") return "SMALLINT";
    if (size == "D") return "DATE";
    if (size == "T") return "TIME";
    if (size == "DT") return "TIMESTAMP";
    return "VARCHAR(" + std::to_string(std::stoi(size) - 1) + ")";
}

class OpenFilesTest : public DataTest {
protected:
    void SetUp() override
    {
        DataTest::SetUp();
        if (IsSkipped())
            return;
        W_First::beforeCopyRow = {};
    }
    void TearDown() override
    {
        W_First::beforeCopyRow = {};
        DataTest::TearDown();
    }
    bool exists(const std::string& table)
    {
        return query("SELECT COUNT(*) FROM sqlite_master WHERE name = '" + table + "'")[0] == "1";
    }
    std::vector<testsupport::ScriptedPresenter::Call> stops()
    {
        std::vector<testsupport::ScriptedPresenter::Call> out;
        for (const auto& c : testsupport::presenter().calls())
            if (c.kind == QLatin1String("stop") || c.kind == QLatin1String("message"))
                out.push_back(c);
        return out;
    }
    std::string row(const std::string& sql)
    {
        vrt::odbc::Statement s(*corvalde::ThreadSession().connection());
        EXPECT_TRUE(s.execDirect(sql)) << s.error().text;
        std::string out;
        if (s.fetch())
            for (int i = 1; i <= s.columnCount(); ++i)
                out += (i > 1 ? "|" : "") + s.text(i).value_or("NULL");
        return out;
    }
    // The old layout: numeric date and time, no JUNKDOMAIN.
    void makeOldEmail(const std::string& columns)
    {
        ASSERT_EQ(W_First::OpenFilez(), 0);
        query("DROP TABLE EMAIL");
        query("CREATE TABLE EMAIL (" + columns + ")");
    }
};

const char* kOldColumns =
    "ID INTEGER, SUBJECT VARCHAR(254), INBOXID INTEGER, BODY VARCHAR(7999), SENDER VARCHAR(254), TOO VARCHAR(254), "
    "TOADDR VARCHAR(254), TONAME VARCHAR(254), CC VARCHAR(254), CCADDR VARCHAR(254), CCNAME VARCHAR(254), "
    "BCC VARCHAR(254), BCCADDR VARCHAR(254), BCCNAME VARCHAR(254), REPLYTO VARCHAR(99), DATUM INTEGER, "
    "VRIJEME INTEGER, READCONFIRMATION SMALLINT, MESSAGEID VARCHAR(99), PRIORITYLEVEL INTEGER, "
    "SIZE_DECIMAL VARCHAR(29), CHARSET VARCHAR(49), READ SMALLINT";

} // namespace

TEST_F(OpenFilesTest, CreatesEveryTableAsDeclaredOnceAndNothingTheSecondTime)
{
    ASSERT_EQ(W_First::OpenFilez(), 0);
    EXPECT_TRUE(stops().empty());
    EXPECT_EQ(GLO::OWNER.rfind("Driver=SQLite3 ODBC Driver;Database=" + THISPCPATH + "/Files/Database.db;StepAPI=1", 0), 0u)
        << GLO::OWNER;
    const QString db = m_folder->file(QStringLiteral("Files/Database.db"));
    EXPECT_EQ(QFileInfo(db).permissions() & 0x0FFF & ~(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser), 0);

    std::vector<std::string> tables = query("SELECT name FROM sqlite_master WHERE type = 'table' AND name <> 'sqlite_sequence' ORDER BY rowid");
    ASSERT_EQ(tables.size(), std::size(kSchema));
    for (size_t t = 0; t < std::size(kSchema); ++t) {
        const char* entry = kSchema[t];
        const std::vector<std::string> parts = split(std::string(entry) + "| ", '|');
        const std::string table = parts[0];
        SCOPED_TRACE(table);
        EXPECT_EQ(tables[t], table);
        // Columns: names, order and declared capacity; the record number keeps a high-water mark.
        std::vector<std::string> expected, actual;
        for (const std::string& c : split(parts[1], ' ')) {
            const auto nameSize = split(c, ':');
            expected.push_back(nameSize[0] + " " + sqlType(nameSize[1]));
        }
        vrt::odbc::Statement info(*corvalde::ThreadSession().connection());
        ASSERT_TRUE(info.execDirect("PRAGMA table_info(\"" + table + "\")"));
        while (info.fetch())
            actual.push_back(info.text(2).value_or("") + " " + info.text(3).value_or(""));
        EXPECT_EQ(actual, expected);
        if (table != "SQL_FILE") {
            EXPECT_NE(row("SELECT sql FROM sqlite_master WHERE name = '" + table + "'").find("PRIMARY KEY AUTOINCREMENT"),
                      std::string::npos);
        }

        // Keys other than the primary: one index each, components in order, direction, case rule.
        std::vector<std::string> expectedIdx, actualIdx;
        for (const std::string& k : split(parts.size() > 2 ? parts[2] : "", ' ')) {
            const auto nameComps = split(k, ':');
            std::string comps = nameComps[1];
            const bool unique = !comps.empty() && comps.back() == '!';
            if (unique)
                comps.pop_back();
            std::string desc = table + "_" + nameComps[0] + (unique ? " unique" : "");
            for (std::string c : split(comps, ',')) {
                const bool down = c[0] == '-';
                if (down)
                    c.erase(0, 1);
                desc += " " + c + (down ? " DESC" : "");
            }
            expectedIdx.push_back(desc);
        }
        if (table == "EMAIL") // for speed only: unread mail, by folder
            expectedIdx.push_back("EMAIL_UnreadKey INBOXID");
        for (const std::string& idx : query("SELECT name FROM pragma_index_list('" + table + "') WHERE origin = 'c' ORDER BY name")) {
            std::string desc = idx + (row("SELECT \"unique\" FROM pragma_index_list('" + table + "') WHERE name = '" + idx + "'") == "1" ? " unique" : "");
            vrt::odbc::Statement x(*corvalde::ThreadSession().connection());
            ASSERT_TRUE(x.execDirect("SELECT name, \"desc\", coll FROM pragma_index_xinfo('" + idx + "') WHERE key = 1 ORDER BY seqno"));
            while (x.fetch()) {
                // A component over the date half of a date-time is an expression on it.
                std::string name = x.text(1).value_or("");
                if (name.empty()) {
                    const std::string sql = row("SELECT sql FROM sqlite_master WHERE name = '" + idx + "'");
                    const size_t at = sql.find("substr(\"");
                    if (at != std::string::npos && sql.find("\", 1, 10)", at) != std::string::npos)
                        name = sql.substr(at + 8, sql.find('"', at + 8) - at - 8) + "_DATE";
                }
                desc += " " + name + (x.text(2).value_or("0") == "1" ? " DESC" : "");
            }
            actualIdx.push_back(desc);
        }
        std::sort(expectedIdx.begin(), expectedIdx.end());
        EXPECT_EQ(actualIdx, expectedIdx);
    }
    // Text key components order by their upper-case form.
    EXPECT_EQ(row("SELECT coll FROM pragma_index_xinfo('EMAIL_SenderKey') WHERE key = 1"), "NOCASE");
    EXPECT_EQ(row("SELECT coll FROM pragma_index_xinfo('EMAIL_InboxIDKey') WHERE key = 1"), "BINARY");
    // Server ids and Content-IDs compare exactly.
    EXPECT_EQ(row("SELECT coll FROM pragma_index_xinfo('EMAIL_MessageIDKey') WHERE key = 1"), "BINARY");
    EXPECT_EQ(row("SELECT coll FROM pragma_index_xinfo('EMAILATTACH_ContentIDKey') WHERE key = 1"), "BINARY");

    // A second opening creates nothing and says nothing.
    const std::string before = row("SELECT group_concat(name || sql, ';') FROM sqlite_master");
    corvalde::KILLTABLEMANAGERS();
    ASSERT_EQ(W_First::OpenFilez(), 0);
    EXPECT_EQ(row("SELECT group_concat(name || sql, ';') FROM sqlite_master"), before);
    EXPECT_TRUE(stops().empty());
}

TEST_F(OpenFilesTest, AFileWithoutTheUnreadIndexGainsItAndTheUnreadCountUsesIt)
{
    ASSERT_EQ(W_First::OpenFilez(), 0);
    query("INSERT INTO EMAIL (ID, INBOXID, READ, MESSAGEID) VALUES (1, 5, 0, 'a'), (2, 5, 1, 'b'), (3, 6, 0, 'c')");
    query("DROP INDEX EMAIL_UnreadKey");
    corvalde::KILLTABLEMANAGERS();
    ASSERT_EQ(W_First::OpenFilez(), 0);
    EXPECT_TRUE(stops().empty());
    EXPECT_EQ(row("SELECT sql FROM sqlite_master WHERE name = 'EMAIL_UnreadKey'"),
              "CREATE INDEX \"EMAIL_UnreadKey\" ON \"EMAIL\" (\"INBOXID\") WHERE \"READ\" = 0");
    const std::string unread = "SELECT COUNT(*) FROM EMAIL Where InboxID = 5 AND READ=0";
    std::vector<std::string> plan;
    vrt::odbc::Error error;
    ASSERT_TRUE(vrt::dialect::queryPlan(*corvalde::ThreadSession().connection(), unread, plan, &error)) << error.text;
    ASSERT_EQ(plan.size(), 1u);
    EXPECT_NE(plan[0].find("EMAIL_UnreadKey"), std::string::npos) << plan[0];
    EXPECT_EQ(row(unread), "1");
}

TEST_F(OpenFilesTest, RebuildsAnOldEmailTableWithoutLosingAMessage)
{
    // Columns of the old table in another order: they are matched by name.
    std::string shuffled = kOldColumns;
    shuffled.replace(0, std::string("ID INTEGER, SUBJECT VARCHAR(254), INBOXID INTEGER").size(),
                     "SUBJECT VARCHAR(254), INBOXID INTEGER, ID INTEGER");
    makeOldEmail(shuffled);
    query("CREATE TABLE EMAIL_NEW (X INTEGER)"); // left over by an earlier failed rebuild
    const int day = vrt::dayFromDate(QDate(2011, 8, 15));
    const int time = vrt::timeFromQTime(QTime(9, 5));
    for (int i = 1; i <= 3; ++i)
        query("INSERT INTO EMAIL (ID, SUBJECT, INBOXID, DATUM, VRIJEME, READ, MESSAGEID, SIZE_DECIMAL) VALUES (" +
              std::to_string(i * 10) + ", 'S" + std::to_string(i) + "', 7, " + std::to_string(day + i) + ", " +
              std::to_string(time) + ", 1, '<m" + std::to_string(i) + ">', '12.5')");
    query("INSERT INTO SQL_FILE (F1) VALUES ('x')");
    ASSERT_EQ(count("SQL_FILE"), 1);
    corvalde::KILLTABLEMANAGERS();
    testsupport::presenter().clear();

    ASSERT_EQ(W_First::OpenFilez(), 0);
    EXPECT_TRUE(stops().empty());
    EXPECT_EQ(query("SELECT ID || '|' || SUBJECT || '|' || INBOXID || '|' || DATUM || '|' || VRIJEME || '|' || READ || '|' || "
                    "JUNKDOMAIN || '|' || SIZE_DECIMAL FROM EMAIL ORDER BY rowid"),
              (std::vector<std::string>{"10|S1|7|2011-08-16|09:05:00|1||12.5", "20|S2|7|2011-08-17|09:05:00|1||12.5",
                                        "30|S3|7|2011-08-18|09:05:00|1||12.5"}));
    EXPECT_EQ(count("SQL_FILE"), 0);
    EXPECT_FALSE(exists("EMAIL_NEW"));
    EXPECT_EQ(query("SELECT COUNT(*) FROM sqlite_master WHERE type = 'index' AND tbl_name = 'EMAIL'")[0], "8");
    // The rebuilt table opens as declared, and numbering goes on above the copied numbers.
    EXPECT_EQ(Access(Tbl::EMAIL).PrimeRecord(), 0);
    EXPECT_EQ(EM().ID, 31);
}

TEST_F(OpenFilesTest, AFailedRebuildLeavesTheOldTableAndTheOpeningGoesOn)
{
    makeOldEmail(kOldColumns);
    for (int i = 1; i <= 3; ++i)
        query("INSERT INTO EMAIL (ID, MESSAGEID) VALUES (" + std::to_string(i) + ", 'm" + std::to_string(i) + "')");
    query("DROP TABLE EMAILATTACH");
    corvalde::KILLTABLEMANAGERS();
    testsupport::presenter().clear();
    W_First::beforeCopyRow = [](int row) { return row != 2; };

    ASSERT_EQ(W_First::OpenFilez(), 0);
    const auto shown = stops();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0].text.startsWith(QStringLiteral("EMAIL ADD EMAIL: "))) << shown[0].text.toStdString();
    EXPECT_EQ(count("EMAIL"), 3);
    EXPECT_EQ(query("SELECT COUNT(*) FROM pragma_table_info('EMAIL')")[0], "23");
    EXPECT_FALSE(exists("EMAIL_NEW"));
    EXPECT_EQ(count("EMAILATTACH"), 0) << "the opening went on and created EMAILATTACH";
}

TEST_F(OpenFilesTest, OtherOpenFailuresAreReportedAndUnusableFoldersRefused)
{
    ASSERT_EQ(W_First::OpenFilez(), 0);
    query("DROP TABLE Backup");
    query("CREATE TABLE Backup (ID INTEGER, OTHER VARCHAR(10))");
    corvalde::KILLTABLEMANAGERS();
    corvalde::BindThreadManagers(&m_errors);
    ASSERT_EQ(W_First::OpenFilez(), 0);
    ASSERT_EQ(m_errors.raised.size(), 1u);
    EXPECT_EQ(m_errors.raised[0].first, vrt::Msg_DeclarationMismatch);
    EXPECT_TRUE(m_errors.raised[0].second.contains(QStringLiteral("Backup")));

    QString why;
    EXPECT_TRUE(W_First::connectionString(QStringLiteral("/data;Database=/tmp/other"), &why).empty());
    EXPECT_FALSE(why.isEmpty());
    const QString longFolder = m_folder->path() + QLatin1Char('/') + QString(230, QLatin1Char('d'));
    EXPECT_NE(W_First::connectionString(longFolder).find(longFolder.toStdString() + "/Files/Database.db;"), std::string::npos)
        << "a long folder is never cut";
}

namespace {
long residentKb()
{
    QFile f(QStringLiteral("/proc/self/statm"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> parts = f.readAll().split(' ');
    return parts.size() > 1 ? parts[1].toLong() * (sysconf(_SC_PAGESIZE) / 1024) : 0;
}
} // namespace

TEST_F(OpenFilesTest, ReadingALargeTableStreamsRowByRow)
{
    ASSERT_EQ(W_First::OpenFilez(), 0);
    vrt::FileManager& em = Access(Tbl::EMAIL);
    const int rows = 50000;
    {
        vrt::odbc::Transaction tx(*corvalde::ThreadSession().connection());
        for (int i = 1; i <= rows; ++i) {
            em.clearBuffer();
            EM().ID = i;
            EM().DATUM = 80000 + i % 3000;
            EM().BODY = std::string(2000, char('a' + i % 26)); // 100 MB of bodies in all
            ASSERT_EQ(em.Insert(), 0) << em.ErrorText().toStdString();
        }
        ASSERT_TRUE(tx.commit());
    }
    const long before = residentKb();
    ASSERT_EQ(em.Set(EM.DateKeyReverse), 0);
    ASSERT_EQ(em.Next(), 0);
    const long atFirstRow = residentKb();
    int read = 1;
    long peak = atFirstRow;
    while (em.Next() == 0)
        if (++read % 5000 == 0)
            peak = std::max(peak, residentKb());
    EXPECT_EQ(read, rows);
    // A driver that loads the result first would hold all 100 MB before the first row.
    EXPECT_LT(atFirstRow - before, 20 * 1024);
    EXPECT_LT(peak - before, 20 * 1024);
}

TEST_F(OpenFilesTest, BothProgramsShareTheDatabaseInWalModeWithoutASyncPerCommit)
{
    ASSERT_EQ(W_First::OpenFilez(), 0);
    EXPECT_EQ(query("PRAGMA journal_mode"), std::vector<std::string>{"wal"});
    // 1 is NORMAL: a commit is not synced on its own, a checkpoint is.
    EXPECT_EQ(query("PRAGMA synchronous"), std::vector<std::string>{"1"});

    // The other program opens the same folder with the same string on its own connection.
    vrt::odbc::Connection other;
    ASSERT_TRUE(other.open(W_First::connectionString(QString::fromStdString(THISPCPATH)))) << other.error().text;
    {
        vrt::odbc::Statement s(other);
        ASSERT_TRUE(s.execDirect("PRAGMA synchronous")) << s.error().text;
        ASSERT_TRUE(s.fetch());
        EXPECT_EQ(s.text(1).value_or(""), "1");
    }
    const auto countOther = [&other] {
        vrt::odbc::Statement s(other);
        EXPECT_TRUE(s.execDirect("SELECT COUNT(*) FROM ACCOUNTS WHERE NAZIV = 'Shared'")) << s.error().text;
        return s.fetch() ? s.integer(1).value_or(-1) : -1;
    };
    EXPECT_EQ(countOther(), 0);
    Access(Tbl::Accounts).clearBuffer();
    ACC().NAZIV = "Shared";
    ASSERT_EQ(Access(Tbl::Accounts).Insert(), 0);
    EXPECT_EQ(countOther(), 1);

    // And what the other connection commits is seen here.
    {
        vrt::odbc::Transaction tx(other);
        vrt::odbc::Statement s(other);
        ASSERT_TRUE(s.execDirect("INSERT INTO ACCOUNTS (NAZIV) VALUES ('Shared')")) << s.error().text;
        ASSERT_TRUE(tx.commit());
    }
    EXPECT_EQ(query("SELECT COUNT(*) FROM ACCOUNTS WHERE NAZIV = 'Shared'"), std::vector<std::string>{"2"});
}
