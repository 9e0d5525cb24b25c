// Sending: 500 messages with a 200 KB attachment built from an HTML document and sent to a
// local SMTP server, against the floor of libcurl alone sending the same number of prepared
// messages of the same size over one connection, in interleaved rounds. Target: the median at
// most 1.5 times the floor's. Then the memory taken while a message with a 20 MB attachment is
// built: at most three times the attachment.
#include "bench/BenchSupport.h"
#include "protocols/MailManager.h"
#include "protocols/OutgoingMessage.h"
#include "tests/support/Dovecot.h"
#include "tests/support/SmtpServer.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <curl/curl.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

namespace {

constexpr int Messages = 500;
constexpr int AttachmentBytes = 200 * 1024;

struct Upload {
    const QByteArray* bytes;
    qsizetype at = 0;
};

size_t readUpload(char* data, size_t size, size_t n, void* self)
{
    auto* u = static_cast<Upload*>(self);
    const qsizetype take = std::min<qsizetype>(u->bytes->size() - u->at, qsizetype(size * n));
    memcpy(data, u->bytes->constData() + u->at, size_t(take));
    u->at += take;
    return size_t(take);
}

double seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// libcurl alone: the prepared bytes, one connection, every message to one recipient.
double floorRun(quint16 port, const QByteArray& prepared)
{
    controls::CurlListHolder rcpt;
    controls::CurlEasyHolder session;
    if (!rcpt.append("<ivo@velmora.test>") || !session.make()) {
        std::fprintf(stderr, "bench_send: libcurl could not start the floor\n");
        std::exit(1);
    }
    CURL* c = session.get();
    const std::string url = "smtp://127.0.0.1:" + std::to_string(port);
    curl_easy_setopt(c, CURLOPT_URL, url.c_str());
    curl_easy_setopt(c, CURLOPT_MAIL_FROM, "<ana@velmora.test>");
    curl_easy_setopt(c, CURLOPT_MAIL_RCPT, rcpt.get());
    curl_easy_setopt(c, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(c, CURLOPT_READFUNCTION, readUpload);
    const auto started = std::chrono::steady_clock::now();
    for (int i = 0; i < Messages; ++i) {
        Upload u{&prepared};
        curl_easy_setopt(c, CURLOPT_READDATA, &u);
        curl_easy_setopt(c, CURLOPT_INFILESIZE_LARGE, curl_off_t(prepared.size()));
        if (curl_easy_perform(c) != CURLE_OK) {
            std::fprintf(stderr, "bench_send: the floor's send failed\n");
            std::exit(1);
        }
    }
    return seconds(started);
}

std::optional<controls::OutgoingMessage> draft(const QTemporaryDir& dir, const QString& attachment)
{
    controls::HtmlToMime mime;
    auto m = mime.GetEmail(dir.filePath(QStringLiteral("HtmlFile.html")));
    if (!m)
        return m;
    m->From = QStringLiteral("Ana Anić <ana@velmora.test>");
    m->subject = QStringLiteral("Ponuda čćž");
    m->AddTo(QStringLiteral("Ivo Ivić"), QStringLiteral("ivo@velmora.test"));
    m->AddFileAttachment(attachment);
    return m;
}

// Ours: each message built from the document and sent through the mail manager.
double ourRun(quint16 port, const QTemporaryDir& dir, const QString& attachment)
{
    controls::MailManager mm;
    mm.SmtpHost = QStringLiteral("127.0.0.1");
    mm.SmtpPort = port;
    const auto started = std::chrono::steady_clock::now();
    for (int i = 0; i < Messages; ++i) {
        auto m = draft(dir, attachment);
        if (!m || !mm.SendEmail(*m)) {
            std::fprintf(stderr, "bench_send: sending failed: %s\n", qPrintable(mm.LastErrorText()));
            std::exit(1);
        }
    }
    return seconds(started);
}

long statusKb(const char* key)
{
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(key, 0) == 0)
            return std::stol(line.substr(std::strlen(key) + 1));
    return 0;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (const QString why = testsupport::SmtpServer::unavailableReason(); !why.isEmpty()) {
        std::fprintf(stderr, "bench_send: %s\n", qPrintable(why));
        return 0;
    }
    testsupport::SmtpServer::Options plain;
    plain.user.clear();
    plain.tls = false;
    testsupport::SmtpServer server(plain);
    QString why;
    if (!server.start(&why)) {
        std::fprintf(stderr, "bench_send: the SMTP server did not start: %s\n", qPrintable(why));
        return 1;
    }
    QTemporaryDir dir;
    writeFile(dir.filePath(QStringLiteral("HtmlFile.html")),
              QStringLiteral("<html><body><p>Poštovani, u prilogu je ponuda.</p></body></html>").toUtf8());
    const QString attachment = dir.filePath(QStringLiteral("Ponuda.pdf"));
    QByteArray content(AttachmentBytes, Qt::Uninitialized);
    for (int i = 0; i < content.size(); ++i)
        content[i] = char((i * 7919) & 0xff);
    writeFile(attachment, content);
    const auto prepared = draft(dir, attachment)->toBytes();

    const int rounds = bench::roundsArg(argc, argv, bench::kLongRounds);
    bench::Samples s;
    const bool worked = bench::interleave(rounds,
                                          {{"floor", [&] { return floorRun(server.port(), *prepared) * 1000; }},
                                           {"ours", [&] { return ourRun(server.port(), dir, attachment) * 1000; }}},
                                          s);
    bench::Report report("send", rounds);
    std::printf("  %d messages of %lld bytes: floor %.0f msgs/s, ours %.0f msgs/s\n", Messages,
                (long long)prepared->size(), Messages / s["floor"].median * 1000, Messages / s["ours"].median * 1000);
    if (!worked)
        report.fail("sending failed");
    report.ratio("send / libcurl alone", s["ours"], s["floor"], 1.5);

    // The peak while a message with a 20 MB attachment is built and sent.
    const QString large = dir.filePath(QStringLiteral("Veliki.bin"));
    writeFile(large, QByteArray(20 * 1024 * 1024, 'v'));
    std::ofstream("/proc/self/clear_refs") << "5";
    const long before = statusKb("VmRSS:");
    auto big = draft(dir, large);
    controls::MailManager mm;
    mm.SmtpHost = QStringLiteral("127.0.0.1");
    mm.SmtpPort = server.port();
    const bool sent = mm.SendEmail(*big);
    const long peak = statusKb("VmHWM:") - before;
    const double memoryRatio = double(peak) * 1024 / (20.0 * 1024 * 1024);
    char what[96];
    std::snprintf(what, sizeof what, "20 MB attachment: peak +%ld KB, %.2f times it (target <= 3)", peak, memoryRatio);
    report.check(what, memoryRatio <= 3.0 && sent);
    return report.finish();
}
