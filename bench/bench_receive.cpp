// Receiving from a local Dovecot, as the user waits for it.
//
// 1. Inside the process: 2,000 messages of 20 KB received into a fresh database (fetch, parse,
//    body files, rows) against the floor, the same messages fetched with libcurl alone into
//    memory. The two run in turns over seven rounds; the medians are compared. Target: the
//    receive within 1.3 times the floor.
// 2. The whole program: `korbelsteen /SR` in a fresh data folder, from its start to its end
//    (with the three seconds its window waits after the last account), in turns with fetchmail
//    delivering the same messages through procmail into a maildir. Target: at most 0.2 times
//    fetchmail's time. Skipped with a line saying so when fetchmail or procmail is missing.
// 3. A mailbox of 5,500 messages that are all stored already: the receive lists the server's
//    ids, finds each one stored and ends, in turns with listing the ids alone. Target: within
//    four times the listing.
//
// Prints each ratio against its target and the peak memory (VmHWM of this process, the largest
// resident size of each child program), and exits non-zero when a ratio misses its target.
//
// Needs the "SQLite3 ODBC Driver" registered (scripts/setup.sh does it). The receive library
// and the test server are compiled in here, so this benchmark needs no link to the program's
// own static library.
#include "bench/BenchSupport.h"
#include "protocols/MailManager.h"
#include "protocols/MailNames.h"
#include "data/Corvalde.h"
#include "data/Dictionary.h"
#include "data/Globals.h"
#include "data/TableManagers.h"
#include "mailtransfer/DatabaseStore.h"
#include "mailtransfer/ReceiveAccount.h"
#include "procedures/common/OpenFiles.h"
#include "tests/support/Dovecot.h"
#include "tests/support/MailSamples.h"

#include "mailtransfer/DatabaseStore.cpp"
#include "mailtransfer/ReceiveAccount.cpp"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

extern char** environ;

namespace {

constexpr int Messages = 2000;
constexpr int MessageBytes = 20 * 1024;
constexpr double InProcessTarget = 1.3;
constexpr double ProcessTarget = 0.2;
constexpr int StoredMessages = 5500;
constexpr double NothingNewTarget = 4.0;

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

using bench::peakKb;

testsupport::Dovecot* g_server = nullptr;

// Every data folder stays until the end: files deleted a moment ago slow down the creation of
// new ones on ext4, and the next round should not pay for this one's clean-up.
std::vector<std::unique_ptr<QTemporaryDir>> g_folders;

QString newFolder()
{
    g_folders.push_back(std::make_unique<QTemporaryDir>());
    return g_folders.back()->path();
}

size_t collect(char* data, size_t size, size_t n, void* out)
{
    static_cast<QByteArray*>(out)->append(data, qsizetype(size * n));
    return size * n;
}

// The floor: every message fetched over one connection into memory and the session ended,
// nothing else.
double fetchWithCurl(QString* error)
{
    controls::CurlEasyHolder session;
    session.make();
    CURL* c = session.get();
    QByteArray sink;
    curl_easy_setopt(c, CURLOPT_USERNAME, "bench");
    curl_easy_setopt(c, CURLOPT_PASSWORD, "bench");
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, collect);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &sink);
    const auto started = Clock::now();
    for (int i = 1; i <= Messages; ++i) {
        const QByteArray url = "pop3://127.0.0.1:" + QByteArray::number(g_server->port()) + "/" + QByteArray::number(i);
        curl_easy_setopt(c, CURLOPT_URL, url.constData());
        sink.clear();
        if (curl_easy_perform(c) != CURLE_OK || sink.size() < MessageBytes) {
            *error = QStringLiteral("the floor's transfer failed");
            break;
        }
    }
    // The session ends (QUIT) inside the time, as the receive's does.
    session.reset();
    return secondsSince(started);
}

// A fresh data folder with its database and one account (with its folders) on the server.
int prepareDataFolder(const QString& folder, const QString& user)
{
    THISPCPATH = folder.toStdString();
    W_First::OpenFilez();
    Access(Tbl::Accounts).clearBuffer();
    ACC().NAZIV = user.toStdString();
    ACC().POPHOSTNAME = "127.0.0.1";
    ACC().POPPORT = std::to_string(g_server->port());
    ACC().POPUSERNAME = user.toStdString();
    ACC().POPPASSWORD = user.toStdString();
    ACC().POPSSL = "0";
    if (Access(Tbl::Accounts).Insert() != 0)
        return 0;
    const int account = ACC().ID;
    for (const char* system : {"xInbox_1", "xJunk_1"}) {
        Access(Tbl::Inbox).clearBuffer();
        INB().ACCOUNTID = account;
        INB().ENNAZIV = system;
        Access(Tbl::Inbox).Insert();
    }
    return account;
}

// Lets go of the database before its folder goes.
void releaseDatabase()
{
    corvalde::KILLTABLEMANAGERS();
    corvalde::CREATETABLEMANAGERS();
}

void login(controls::MailManager& mail, const QString& user)
{
    mail.MailHost = QStringLiteral("127.0.0.1");
    mail.MailPort = g_server->port();
    mail.PopUsername = user;
    mail.PopPassword = user;
}

double receiveInProcess(QString* error)
{
    const QString data = newFolder();
    const int account = prepareDataFolder(data, QStringLiteral("bench"));
    double seconds = 0;
    {
        korbelsteen::DatabaseStore store;
        controls::MailManager mail;
        login(mail, QStringLiteral("bench"));
        const korbelsteen::Account a{account, QStringLiteral("bench"), mail.MailHost, mail.PopUsername,
                                     mail.PopPassword, mail.MailPort, 0};
        const auto started = Clock::now();
        const korbelsteen::ReceiveResult r = korbelsteen::ReceiveAccountMail(mail, store, a, {data, nullptr, {}});
        mail.Pop3EndSession();
        seconds = secondsSince(started);
        if (r.stored != Messages)
            *error = QStringLiteral("the receive stored %1 of %2 messages").arg(r.stored).arg(Messages);
    }
    releaseDatabase();
    return seconds;
}

struct Child {
    double seconds = 0;
    long peakKb = 0;
    int exitCode = -1;
};

// Runs a program to its end in `folder`; its own peak memory comes with its exit status.
Child runProgram(const QStringList& args, const QString& folder)
{
    std::vector<std::string> owned;
    for (const QString& a : args)
        owned.push_back(a.toStdString());
    std::vector<char*> argv;
    for (std::string& a : owned)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, folder.toLocal8Bit().constData());
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    Child out;
    pid_t pid = 0;
    const auto started = Clock::now();
    const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        return out;
    // Its own high-water mark, read while it runs: the resource usage of a child started this
    // way also counts the memory of this process, which it shared until its exec.
    int status = 0;
    for (;;) {
        const long seen = peakKb(std::to_string(pid));
        out.peakKb = std::max(out.peakKb, seen);
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid)
            break;
        if (done < 0)
            return out;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    out.seconds = secondsSince(started);
    out.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return out;
}

Child korbelsteenReceive(QString* error)
{
    const QString data = newFolder();
    prepareDataFolder(data, QStringLiteral("bench"));
    releaseDatabase();
    const Child c = runProgram({QCoreApplication::applicationDirPath() + QStringLiteral("/korbelsteen"), QStringLiteral("/SR")},
                               data);
    if (c.exitCode != 0)
        *error = QStringLiteral("korbelsteen /SR failed (%1)").arg(c.exitCode);
    // What it stored, read back as the organiser would.
    THISPCPATH = data.toStdString();
    W_First::OpenFilez();
    vrt::odbc::Statement s(*corvalde::ThreadSession().connection());
    if (s.execDirect("SELECT COUNT(*) FROM EMAIL") && s.fetch() && s.integer(1).value_or(0) != Messages)
        *error = QStringLiteral("korbelsteen stored %1 of %2 messages").arg(s.integer(1).value_or(0)).arg(Messages);
    releaseDatabase();
    return c;
}

// fetchmail with procmail delivering into a maildir, every message, leaving them on the server.
Child fetchmailReceive(const QString& fetchmail, const QString& procmail, QString* error)
{
    const QDir home(newFolder());
    const QString maildir = home.filePath(QStringLiteral("Maildir"));
    for (const char* sub : {"tmp", "new", "cur"})
        QDir().mkpath(maildir + QLatin1Char('/') + QLatin1String(sub));
    const QString procmailrc = home.filePath(QStringLiteral("procmailrc"));
    {
        QFile f(procmailrc);
        f.open(QIODevice::WriteOnly);
        f.write(":0\n" + maildir.toUtf8() + "/\n");
    }
    const QString rc = home.filePath(QStringLiteral("fetchmailrc"));
    {
        QFile f(rc);
        f.open(QIODevice::WriteOnly);
        f.write("set no syslog\npoll 127.0.0.1 port " + QByteArray::number(g_server->port())
                + " proto pop3 auth password user \"bench\" password \"bench\" keep fetchall no rewrite sslproto \"\""
                  " mda \"" + procmail.toUtf8() + " -m " + procmailrc.toUtf8() + "\"\n");
        f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
    qputenv("FETCHMAILHOME", home.path().toLocal8Bit());
    const Child c = runProgram({fetchmail, QStringLiteral("--nodetach"), QStringLiteral("-f"), rc}, home.path());
    qunsetenv("FETCHMAILHOME");
    const int delivered = int(QDir(maildir + QStringLiteral("/new")).entryList(QDir::Files).size());
    if (delivered != Messages)
        *error = QStringLiteral("fetchmail delivered %1 of %2 messages (exit %3)").arg(delivered).arg(Messages).arg(c.exitCode);
    return c;
}

struct NothingNew {
    bench::Spread receiveMs, floorMs;
    QString error;
};

NothingNew measureNothingNew(int rounds)
{
    NothingNew out;
    QTemporaryDir data;
    const int account = prepareDataFolder(data.path(), QStringLiteral("full"));
    {
        // Every message of the mailbox is stored, as a receive stores it.
        controls::MailManager mail;
        login(mail, QStringLiteral("full"));
        const std::optional<QStringList> uidls = mail.GetUidls();
        mail.Pop3EndSession();
        if (!uidls || uidls->size() != StoredMessages) {
            out.error = QStringLiteral("the mailbox could not be listed");
            return out;
        }
        INBA().ACCOUNTID = account;
        INBA().ENNAZIV = "xInbox_1";
        Access(Tbl::AInbox).TryFetch(INBA.AccNameKey);
        vrt::odbc::Transaction tx(*corvalde::ThreadSession().connection());
        for (const QString& uidl : *uidls) {
            Access(Tbl::EMAIL).clearBuffer();
            EM().INBOXID = INBA().ID;
            EM().MESSAGEID = controls::storedMessageId(account, uidl).toStdString();
            EM().SIZE_DECIMAL = "0";
            if (Access(Tbl::EMAIL).TryInsert() != 0) {
                out.error = Access(Tbl::EMAIL).ErrorText();
                return out;
            }
        }
        tx.commit();
    }
    std::vector<double> receive, floor;
    {
        korbelsteen::DatabaseStore store;
        for (int round = 0; round <= rounds; ++round) {
            auto started = Clock::now();
            {
                controls::MailManager mail;
                login(mail, QStringLiteral("full"));
                if (!mail.GetUidls())
                    out.error = QStringLiteral("listing failed");
                mail.Pop3EndSession();
            }
            const double listed = secondsSince(started) * 1000;
            started = Clock::now();
            {
                controls::MailManager mail;
                login(mail, QStringLiteral("full"));
                const korbelsteen::Account a{account, QStringLiteral("full"), mail.MailHost, mail.PopUsername,
                                             mail.PopPassword, mail.MailPort, 0};
                const korbelsteen::ReceiveResult r = korbelsteen::ReceiveAccountMail(mail, store, a, {data.path(), nullptr, {}});
                if (r.skipped != StoredMessages || r.stored != 0)
                    out.error = QStringLiteral("the receive did not find every message stored");
            }
            const double received = secondsSince(started) * 1000;
            if (round > 0) { // the first round warms the server's index and the database's pages
                floor.push_back(listed);
                receive.push_back(received);
            }
        }
    }
    out.floorMs = bench::spread(floor);
    out.receiveMs = bench::spread(receive);
    releaseDatabase();
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // Library start-up reads and writes settings and translation tables in the current folder:
    // the run's own, never the folder it was started from (often the checkout).
    QTemporaryDir work;
    if (!work.isValid() || !QDir::setCurrent(work.path()))
        return 1;
    corvalde::load();
    // The program's window is hidden; it needs no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const QString reason = testsupport::Dovecot::unavailableReason();
    if (!reason.isEmpty()) {
        std::fprintf(stderr, "bench_receive: %s\n", qPrintable(reason));
        return 0;
    }
    testsupport::Dovecot server;
    server.addUser(QStringLiteral("bench"), QStringLiteral("bench"));
    for (int i = 0; i < Messages; ++i)
        server.deliver(QStringLiteral("bench"), mailsamples::sized(i, MessageBytes));
    server.addUser(QStringLiteral("full"), QStringLiteral("full"));
    for (int i = 0; i < StoredMessages; ++i)
        server.deliver(QStringLiteral("full"), mailsamples::sized(i, 600));
    QString why;
    if (!server.start(&why)) {
        std::fprintf(stderr, "bench_receive: dovecot did not start: %s\n", qPrintable(why));
        return 1;
    }
    g_server = &server;
    QString error;

    const int rounds = bench::roundsArg(argc, argv, bench::kRounds);
    bench::Report report("receive", rounds);

    // 1. In turns: the floor, then the receive, each round on a fresh database.
    bench::Samples s;
    fetchWithCurl(&error); // warms the server's caches for both
    const auto unlessFailed = [&](double seconds) { return error.isEmpty() ? seconds * 1000 : -1; };
    bench::interleave(rounds,
                      {{"libcurl", [&] { return unlessFailed(fetchWithCurl(&error)); }},
                       {"receive", [&] { return unlessFailed(receiveInProcess(&error)); }}},
                      s);
    if (!error.isEmpty()) {
        std::fprintf(stderr, "bench_receive: %s\n", qPrintable(error));
        return 1;
    }
    std::printf("  %d messages of %d KB: libcurl into memory, the receive into the database (%.0f msgs/s)\n", Messages,
                MessageBytes / 1024, Messages / s["receive"].median * 1000);
    report.ratio("receive / libcurl floor", s["receive"], s["libcurl"], InProcessTarget);

    // 2. The whole program against fetchmail.
    const QString fetchmail = QStandardPaths::findExecutable(QStringLiteral("fetchmail"));
    const QString procmail = QStandardPaths::findExecutable(QStringLiteral("procmail"));
    const bool withFetchmail = !fetchmail.isEmpty() && !procmail.isEmpty();
    long programPeak = 0, otherPeak = 0;
    const auto child = [&](const Child& c, long* peak) {
        *peak = std::max(*peak, c.peakKb);
        return unlessFailed(c.seconds);
    };
    std::vector<bench::Variant> programs{{"korbelsteen", [&] { return child(korbelsteenReceive(&error), &programPeak); }}};
    if (withFetchmail)
        programs.push_back({"fetchmail", [&] { return child(fetchmailReceive(fetchmail, procmail, &error), &otherPeak); }});
    bench::interleave(std::max(bench::kLongRounds, rounds / 2), programs, s);
    if (!error.isEmpty()) {
        std::fprintf(stderr, "bench_receive: %s\n", qPrintable(error));
        return 1;
    }
    report.show("korbelsteen /SR, whole process", s["korbelsteen"]);
    std::printf("  (with its 3 s close; peak memory %ld KB)\n", programPeak);
    if (withFetchmail) {
        std::printf("  fetchmail with procmail into a maildir: peak memory %ld KB\n", otherPeak);
        report.ratio("korbelsteen /SR / fetchmail", s["korbelsteen"], s["fetchmail"], ProcessTarget);
    } else {
        std::printf("  fetchmail or procmail is not installed: the comparison with fetchmail is skipped\n");
    }

    // 3. Nothing new.
    const NothingNew n = measureNothingNew(rounds);
    if (!n.error.isEmpty()) {
        std::fprintf(stderr, "bench_receive: %s\n", qPrintable(n.error));
        return 1;
    }
    report.ratio(std::to_string(StoredMessages) + " stored, none new / listing", n.receiveMs, n.floorMs, NothingNewTarget);
    return report.finish();
}
