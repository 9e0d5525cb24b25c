// Bad files in the data folder, through the real start of both programs: each program is
// started as its own process in a data folder of its own, on the offscreen platform, where a
// message is printed as "<program>: <text>" instead of shown.
#include <gtest/gtest.h>

#include "runtime/DateTime.h"
#include "tests/support/TestSupport.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <functional>
#include <map>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// As root, file modes stop nobody: the programs then run as this ordinary user.
constexpr uid_t kUser = 65534;
bool asRoot() { return ::geteuid() == 0; }

struct Outcome {
    bool ended = false;
    int exitCode = -1;
    QString errors; // what the program printed on its error stream
    int count(const QString& text) const { return int(errors.count(text)); }
};

// A data folder, with the home, configuration and ODBC folders its program uses.
class Place {
public:
    explicit Place(const QString& folderName = QStringLiteral("data")) : m_name(folderName)
    {
        QDir(m_root.path()).mkpath(m_name);
        for (const char* sub : {"env/home", "env/config", "env/runtime", "env/odbc"})
            QDir(m_root.path()).mkpath(QLatin1String(sub));
        QFile::setPermissions(env(QStringLiteral("runtime")), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile::copy(testsupport::isolatedRoot() + QStringLiteral("/odbc/odbcinst.ini"), env(QStringLiteral("odbc/odbcinst.ini")));
        QFile(env(QStringLiteral("odbc/odbc.ini"))).open(QIODevice::WriteOnly);
    }

    ~Place()
    {
        // Folders a case made read-only are opened again, so the temporary folder can go.
        QDirIterator it(m_root.path(), QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        (void)::chmod(QFile::encodeName(m_root.path()).constData(), 0700);
        while (it.hasNext())
            (void)::chmod(QFile::encodeName(it.next()).constData(), 0700);
    }

    QString data() const { return m_root.path() + QLatin1Char('/') + m_name; }
    QString path(const QString& name) const { return data() + QLatin1Char('/') + name; }
    QString env(const QString& name) const { return m_root.path() + QStringLiteral("/env/") + name; }
    void write(const QString& name, const QByteArray& bytes) const
    {
        QDir().mkpath(QFileInfo(path(name)).absolutePath());
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    void setMode(const QString& name, mode_t mode) const
    {
        ASSERT_EQ(::chmod(QFile::encodeName(path(name)).constData(), mode), 0);
    }

    // Starts the program in the data folder. With `until`, a program that starts normally is
    // asked to end (as a session end does) once it has printed that line.
    Outcome run(const QString& program, const QStringList& args, const QString& until = {}) const
    {
        if (asRoot())
            giveAway(m_root.path());
        QProcess p;
        p.setWorkingDirectory(data());
        QProcessEnvironment vars = QProcessEnvironment::systemEnvironment();
        vars.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        vars.insert(QStringLiteral("HOME"), env(QStringLiteral("home")));
        vars.insert(QStringLiteral("XDG_CONFIG_HOME"), env(QStringLiteral("config")));
        vars.insert(QStringLiteral("XDG_RUNTIME_DIR"), env(QStringLiteral("runtime")));
        vars.insert(QStringLiteral("ODBCSYSINI"), env(QStringLiteral("odbc")));
        vars.insert(QStringLiteral("ODBCINI"), env(QStringLiteral("odbc/odbc.ini")));
        p.setProcessEnvironment(vars);
        if (asRoot())
            p.setChildProcessModifier([] {
                if (::setgroups(0, nullptr) != 0 || ::setgid(kUser) != 0 || ::setuid(kUser) != 0)
                    ::_exit(126);
            });
        p.start(testsupport::binDir() + QLatin1Char('/') + program, args);
        Outcome r;
        if (!p.waitForStarted())
            return r;
        QDeadlineTimer deadline(60000);
        bool asked = false;
        while (p.state() != QProcess::NotRunning && !deadline.hasExpired()) {
            p.waitForReadyRead(200);
            r.errors += QString::fromLocal8Bit(p.readAllStandardError());
            if (!until.isEmpty() && !asked && r.errors.contains(until)) {
                p.terminate();
                asked = true;
            }
        }
        if (p.state() != QProcess::NotRunning) {
            p.kill();
            p.waitForFinished();
            return r;
        }
        r.errors += QString::fromLocal8Bit(p.readAllStandardError());
        r.ended = p.exitStatus() == QProcess::NormalExit;
        r.exitCode = p.exitCode();
        return r;
    }

    // Names, modes and contents of everything under Files/ (the database and its logs).
    std::map<QString, QString> filesState() const
    {
        std::map<QString, QString> out;
        const QString files = path(QStringLiteral("Files"));
        QFileInfo top(files);
        if (!top.exists())
            return out;
        out[QStringLiteral("Files")] = QString::number(mode(files), 8);
        QDirIterator it(files, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString name = it.next();
            QString state = QString::number(mode(name), 8);
            if (it.fileInfo().isFile() && !it.fileInfo().isSymLink()) {
                QFile f(name);
                if (f.open(QIODevice::ReadOnly))
                    state += QLatin1Char(' ') + QString::fromLatin1(QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256).toHex());
            }
            out[QDir(data()).relativeFilePath(name)] = state;
        }
        return out;
    }

    // Runs SQL on the database as a plain SQLite client; returns the rows, columns joined by '|'.
    QStringList sql(const QString& statement) const
    {
        QStringList rows;
        sqlite3* db = nullptr;
        if (sqlite3_open(QFile::encodeName(path(QStringLiteral("Files/Database.db"))).constData(), &db) != SQLITE_OK) {
            ADD_FAILURE() << sqlite3_errmsg(db);
            sqlite3_close(db);
            return rows;
        }
        char* error = nullptr;
        sqlite3_exec(
            db, statement.toUtf8().constData(),
            [](void* out, int n, char** values, char**) {
                QStringList cols;
                for (int i = 0; i < n; ++i)
                    cols << (values[i] ? QString::fromUtf8(values[i]) : QStringLiteral("NULL"));
                static_cast<QStringList*>(out)->append(cols.join(QLatin1Char('|')));
                return 0;
            },
            &rows, &error);
        if (error) {
            ADD_FAILURE() << statement.toStdString() << ": " << error;
            sqlite3_free(error);
        }
        sqlite3_close(db);
        return rows;
    }

private:
    static mode_t mode(const QString& name)
    {
        struct stat st {};
        ::lstat(QFile::encodeName(name).constData(), &st);
        return st.st_mode & 07777;
    }
    static void giveAway(const QString& root)
    {
        auto own = [](const QString& name) { (void)::lchown(QFile::encodeName(name).constData(), kUser, kUser); };
        own(root);
        QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            own(it.next());
    }

    QTemporaryDir m_root;
    QString m_name;
};

const QString kVelmora = QStringLiteral("velmora");
const QString kKorbelsteen = QStringLiteral("korbelsteen");
const QString kOrganiserOpen = QStringLiteral("velmora: organiser open");

// Tables made by a normal first start, as an older program version would have left them.
void makeDatabase(const Place& place)
{
    const Outcome r = place.run(kKorbelsteen, {QStringLiteral("nothing")});
    ASSERT_TRUE(r.ended && r.exitCode == 0) << r.errors.toStdString();
}

class BadFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        QString why;
        if (!testsupport::registerOdbcDriver(&why)) {
            GTEST_SKIP() << why.toStdString();
        }
        for (const QString& program : {kVelmora, kKorbelsteen})
            if (!QFileInfo(testsupport::binDir() + QLatin1Char('/') + program).isExecutable()) {
                GTEST_SKIP() << program.toStdString() << " is not built";
            }
    }
};

} // namespace

// A bad database or data folder: one clear message, an orderly end (velmora 1, korbelsteen
// refusing with 3), and nothing under Files/ changed.
TEST_F(BadFiles, RefusedWithOneMessageAndNothingChanged)
{
    struct Message {
        QString croatian, english;
    };
    struct Case {
        const char* name;
        std::function<void(Place&)> make;
        Message message;
    };
    const Message notADatabase{QStringLiteral("Baza podataka je oštećena ili nije baza podataka"),
                               QStringLiteral("The database is damaged or is not a database")};
    const Message readOnlyFolder{QStringLiteral("Mapa podataka je samo za čitanje"), QStringLiteral("The data folder is read-only")};
    const Case cases[] = {
        {"random bytes", [](Place& p) {
             QByteArray bytes(8192, '\0');
             for (int i = 0; i < bytes.size(); ++i)
                 bytes[i] = char((i * 7919 + 13) % 251);
             p.write(QStringLiteral("Files/Database.db"), bytes);
         }, notADatabase},
        {"a database cut after its header", [](Place& p) {
             makeDatabase(p);
             QFile f(p.path(QStringLiteral("Files/Database.db")));
             ASSERT_TRUE(f.open(QIODevice::ReadOnly));
             const QByteArray head = f.read(1000); // the header and a part of the first page
             f.close();
             p.write(QStringLiteral("Files/Database.db"), head);
             QFile::remove(p.path(QStringLiteral("Files/Database.db-wal")));
             QFile::remove(p.path(QStringLiteral("Files/Database.db-shm")));
         }, notADatabase},
        {"a pipe in place of the database", [](Place& p) {
             QDir().mkpath(p.path(QStringLiteral("Files")));
             ASSERT_EQ(::mkfifo(QFile::encodeName(p.path(QStringLiteral("Files/Database.db"))).constData(), 0600), 0);
         }, notADatabase},
        {"a read-only database", [](Place& p) {
             makeDatabase(p);
             p.setMode(QStringLiteral("Files/Database.db"), 0400);
         }, {QStringLiteral("Baza podataka je samo za čitanje"), QStringLiteral("The database is read-only")}},
        {"a read-only Files folder", [](Place& p) {
             makeDatabase(p);
             p.setMode(QStringLiteral("Files"), 0500);
         }, readOnlyFolder},
        {"a read-only data folder", [](Place& p) {
             p.setMode(QStringLiteral("."), 0500);
         }, readOnlyFolder},
    };
    for (const Case& c : cases) {
        for (const QString& program : {kVelmora, kKorbelsteen}) {
            SCOPED_TRACE(std::string(c.name) + " / " + program.toStdString());
            // The organiser in Croatian, the mail program in English.
            const bool english = program == kKorbelsteen;
            Place place;
            place.write(QStringLiteral("Standard.ini"), english ? "[QuilvoLang]\r\nUseLanguage=2\r\n"
                                                               : "[QuilvoLang]\r\nUseLanguage=1\r\n");
            c.make(place);
            if (HasFatalFailure())
                return;
            const auto before = place.filesState();
            const Outcome r = place.run(program, program == kKorbelsteen ? QStringList{QStringLiteral("/SR")} : QStringList{});
            ASSERT_TRUE(r.ended) << "it did not end on its own: " << r.errors.toStdString();
            EXPECT_EQ(r.exitCode, program == kVelmora ? 1 : 3) << r.errors.toStdString();
            EXPECT_EQ(r.count(program + QStringLiteral(": ") + (english ? c.message.english : c.message.croatian)), 1)
                << r.errors.toStdString();
            // One message: nothing else was said to the user.
            const QStringList said = r.errors.split(QLatin1Char('\n')).filter(QRegularExpression(
                QStringLiteral("^%1: (?!frame open)").arg(program)));
            EXPECT_EQ(said.size(), 1) << r.errors.toStdString();
            EXPECT_EQ(place.filesState(), before);
        }
    }
}

// Out-of-range numbers in an EMAIL table of the older layout are "none" after the rebuild,
// and both programs start over it, in a data folder whose name a file address would escape.
TEST_F(BadFiles, AnOldEmailTableWithNumbersOutOfRangeIsRebuiltWithoutThem)
{
    const int day = vrt::dayFromDate(QDate(2011, 8, 15));
    for (const QString& program : {kKorbelsteen, kVelmora}) {
        SCOPED_TRACE(program.toStdString());
        Place place(QStringLiteral("Podaci ?#%20 Čakovec"));
        makeDatabase(place);
        place.sql(QStringLiteral(
            "DROP TABLE EMAIL; CREATE TABLE EMAIL (ID INTEGER, SUBJECT VARCHAR(254), INBOXID INTEGER, "
            "DATUM INTEGER, VRIJEME INTEGER, READ SMALLINT, MESSAGEID VARCHAR(99), SIZE_DECIMAL VARCHAR(29));"
            "INSERT INTO EMAIL VALUES (1, 'far', '1e20', '99999999999', '1e300', 300, 'm1', '1');"
            "INSERT INTO EMAIL VALUES (2, 'below', -1e15, -5, -1, -1, 'm2', '1');"
            "INSERT INTO EMAIL VALUES (3, 'not a number', 'x', 'NaN', 'inf', 'y', 'm3', '1');"
            "INSERT INTO EMAIL VALUES (4, 'good', 7, %1, 1, 1, 'm4', '1');").arg(day));
        const Outcome r = program == kVelmora ? place.run(program, {}, kOrganiserOpen)
                                          : place.run(program, {QStringLiteral("nothing")});
        ASSERT_TRUE(r.ended) << r.errors.toStdString();
        EXPECT_EQ(r.exitCode, 0) << r.errors.toStdString();
        EXPECT_EQ(place.sql(QStringLiteral("SELECT SUBJECT, INBOXID, COALESCE(DATUM, ''), COALESCE(VRIJEME, ''), READ "
                                           "FROM EMAIL ORDER BY ID")),
                  (QStringList{"far|0|||0", "below|0|||0", "not a number|0|||0", "good|7|2011-08-15|00:00:00|1"}));
    }
}

// A broken translation table is said once, not once for each translator, and the program
// starts untranslated.
TEST_F(BadFiles, ABrokenTranslationTableIsSaidOnce)
{
    Place place;
    makeDatabase(place);
    place.write(QStringLiteral("Standard.ini"), "[QuilvoLang]\r\nUseLanguage=2\r\n");
    place.write(QStringLiteral("Velmora.qvl"), QByteArray(4096, 'x'));
    const Outcome r = place.run(kVelmora, {}, kOrganiserOpen);
    ASSERT_TRUE(r.ended) << r.errors.toStdString();
    EXPECT_EQ(r.exitCode, 0) << r.errors.toStdString();
    EXPECT_EQ(r.count(QStringLiteral("velmora: No Translation Will Be Done")), 1) << r.errors.toStdString();
}

// A Files folder that exists keeps its mode; one made at the start is the user's alone.
TEST_F(BadFiles, AnExistingFilesFolderKeepsItsMode)
{
    Place place;
    QDir().mkpath(place.path(QStringLiteral("Files")));
    place.setMode(QStringLiteral("Files"), 0750);
    const Outcome r = place.run(kKorbelsteen, {QStringLiteral("nothing")});
    ASSERT_TRUE(r.ended && r.exitCode == 0) << r.errors.toStdString();
    EXPECT_EQ(place.filesState()[QStringLiteral("Files")], QStringLiteral("750"));
    EXPECT_EQ(place.filesState()[QStringLiteral("Files/Database.db")].left(3), QStringLiteral("600"));

    Place fresh;
    const Outcome made = fresh.run(kKorbelsteen, {QStringLiteral("nothing")});
    ASSERT_TRUE(made.ended && made.exitCode == 0) << made.errors.toStdString();
    EXPECT_EQ(fresh.filesState()[QStringLiteral("Files")], QStringLiteral("700"));
}
