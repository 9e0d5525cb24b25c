// Receiving from a local Dovecot: messages per second of the whole receive (fetch, parse,
// body file, rows in the database) against the transfer floor, the same messages fetched with libcurl alone
// into memory. The receive should stay within twice the floor.
//
// Then a mailbox of 5,500 messages that are all stored already: the receive lists the server's
// ids, finds each one stored and ends. Its floor is listing the ids alone; the two run in
// turns and the receive must stay within four times the listing (the lookups run on the
// message id key's index). Exits non-zero when it does not.
//
// Needs the "SQLite3 ODBC Driver" registered (scripts/setup.sh does it). The receive library
// and the test server are compiled in here, so this benchmark needs no
// link to the program's own static library.
#include "controls/MailManager.h"
#include "data/Corvalde.h"
#include "data/Dictionary.h"
#include "data/Globals.h"
#include "data/TableManagers.h"
#include "mailtransfer/DatabaseStore.h"
#include "mailtransfer/ReceiveAccount.h"
#include "procedures/organiser/OpenFiles.h"
#include "tests/support/Dovecot.h"
#include "tests/support/MailSamples.h"

#include "mailtransfer/DatabaseStore.cpp"

#include "mailtransfer/ReceiveAccount.cpp"
#include "tests/support/Dovecot.cpp"
#include "tests/support/MailSamples.cpp"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <algorithm>
#include <cstdio>

#include <sys/resource.h>

namespace {

constexpr int Messages = 2000;
constexpr int MessageBytes = 20 * 1024;

testsupport::Dovecot* g_server = nullptr;
double g_floorSeconds = 0;

size_t collect(char* data, size_t size, size_t n, void* out)
{
    static_cast<QByteArray*>(out)->append(data, qsizetype(size * n));
    return size * n;
}

void BM_TransferFloor(benchmark::State& state)
{
    for (auto _ : state) {
        CURL* c = curl_easy_init();
        QByteArray sink;
        curl_easy_setopt(c, CURLOPT_USERNAME, "bench");
        curl_easy_setopt(c, CURLOPT_PASSWORD, "bench");
        curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, collect);
        curl_easy_setopt(c, CURLOPT_WRITEDATA, &sink);
        qint64 bytes = 0;
        const auto started = std::chrono::steady_clock::now();
        for (int i = 1; i <= Messages; ++i) {
            const QByteArray url = "pop3://127.0.0.1:" + QByteArray::number(g_server->port()) + "/" + QByteArray::number(i);
            curl_easy_setopt(c, CURLOPT_URL, url.constData());
            sink.clear();
            if (curl_easy_perform(c) != CURLE_OK) {
                state.SkipWithError("transfer failed");
                break;
            }
            bytes += sink.size();
        }
        g_floorSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        curl_easy_cleanup(c);
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["msgs_per_s"] = benchmark::Counter(Messages, benchmark::Counter::kIsIterationInvariantRate);
}

// A fresh data folder with its database and one account with its folders.
int prepareDataFolder(const QString& folder)
{
    THISPCPATH = folder.toStdString();
    W_First::OpenFilez();
    Access(Tbl::Accounts).clearBuffer();
    ACC().NAZIV = "Bench";
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

void BM_ReceiveIntoDatabase(benchmark::State& state)
{
    double seconds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir data;
        const int account = prepareDataFolder(data.path());
        korbelsteen::DatabaseStore store;
        controls::MailManager mail;
        mail.MailHost = QStringLiteral("127.0.0.1");
        mail.MailPort = g_server->port();
        mail.PopUsername = QStringLiteral("bench");
        mail.PopPassword = QStringLiteral("bench");
        const korbelsteen::Account a{account, QStringLiteral("Bench"), mail.MailHost, mail.PopUsername, mail.PopPassword,
                                     mail.MailPort, 0};
        state.ResumeTiming();
        const auto started = std::chrono::steady_clock::now();
        const korbelsteen::ReceiveResult r = korbelsteen::ReceiveAccountMail(mail, store, a, {data.path(), nullptr, {}});
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        if (r.stored != Messages)
            state.SkipWithError("not every message was stored");
        state.PauseTiming();
        corvalde::KILLTABLEMANAGERS(); // let go of the database before its folder goes
        corvalde::CREATETABLEMANAGERS();
        state.ResumeTiming();
    }
    state.counters["msgs_per_s"] = benchmark::Counter(Messages, benchmark::Counter::kIsIterationInvariantRate);
    if (g_floorSeconds > 0)
        state.counters["ratio_to_floor"] = seconds / g_floorSeconds;
}

constexpr int StoredMessages = 5500;
constexpr double NothingNewTarget = 4.0;

struct NothingNew {
    double receiveMs = 0;
    double floorMs = 0;
    QString error;
};

double medianOf(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

NothingNew measureNothingNew()
{
    NothingNew out;
    QTemporaryDir data;
    const int account = prepareDataFolder(data.path());
    const auto login = [](controls::MailManager& mail) {
        mail.MailHost = QStringLiteral("127.0.0.1");
        mail.MailPort = g_server->port();
        mail.PopUsername = QStringLiteral("full");
        mail.PopPassword = QStringLiteral("full");
    };
    {
        // Every message of the mailbox is stored, as a receive stores it.
        controls::MailManager mail;
        login(mail);
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
    korbelsteen::DatabaseStore store;
    for (int round = 0; round < 6; ++round) {
        auto started = std::chrono::steady_clock::now();
        {
            controls::MailManager mail;
            login(mail);
            if (!mail.GetUidls())
                out.error = QStringLiteral("listing failed");
            mail.Pop3EndSession();
        }
        const double listed = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
        started = std::chrono::steady_clock::now();
        {
            controls::MailManager mail;
            login(mail);
            const korbelsteen::Account a{account, QStringLiteral("Full"), mail.MailHost, mail.PopUsername,
                                         mail.PopPassword, mail.MailPort, 0};
            const korbelsteen::ReceiveResult r = korbelsteen::ReceiveAccountMail(mail, store, a, {data.path(), nullptr, {}});
            if (r.skipped != StoredMessages || r.stored != 0)
                out.error = QStringLiteral("the receive did not find every message stored");
        }
        const double received = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
        if (round > 0) { // the first round warms the server's index and the database's pages
            floor.push_back(listed);
            receive.push_back(received);
        }
    }
    out.floorMs = medianOf(floor);
    out.receiveMs = medianOf(receive);
    corvalde::KILLTABLEMANAGERS();
    corvalde::CREATETABLEMANAGERS();
    return out;
}

BENCHMARK(BM_TransferFloor)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReceiveIntoDatabase)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    corvalde::load();
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
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    const NothingNew n = measureNothingNew();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    if (!n.error.isEmpty()) {
        std::fprintf(stderr, "bench_receive: %s\n", qPrintable(n.error));
        return 1;
    }
    const double ratio = n.floorMs > 0 ? n.receiveMs / n.floorMs : 0;
    std::printf("\n%d stored, none new: receive %.1f ms, listing the ids %.1f ms, receive/listing %.2f (target <= %.1f)\n"
                "peak memory %ld KB\n",
                StoredMessages, n.receiveMs, n.floorMs, ratio, NothingNewTarget, usage.ru_maxrss);
    return ratio <= NothingNewTarget ? 0 : 1;
}
