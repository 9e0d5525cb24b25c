#include "tests/support/MailSamples.h"

#include <QBuffer>
#include <QImage>
#include <QStringEncoder>

namespace mailsamples {

QString croatian() { return QStringLiteral("Čćžšđ ČĆŽŠĐ račun za veljaču"); }

QByteArray encoded(const QString& text, const char* charset)
{
    QStringEncoder enc(charset);
    return enc.encode(text);
}

namespace {

QByteArray headers(const QByteArray& subject, const QByteArray& extra = {})
{
    return "From: =?UTF-8?Q?Ivana_Kova=C4=8Di=C4=87?= <ivana@primjer.hr>\r\n"
           "To: Marko <marko@primjer.hr>, ana@primjer.hr\r\n"
           "Cc: Petra <petra@primjer.hr>\r\n"
           "Date: Tue, 03 Mar 2026 14:05:09 +0100\r\n"
           "Subject: " + subject + "\r\n" + extra + "MIME-Version: 1.0\r\n";
}

QByteArray base64Lines(const QByteArray& data)
{
    const QByteArray b = data.toBase64();
    QByteArray out;
    for (qsizetype i = 0; i < b.size(); i += 76)
        out += b.mid(i, 76) + "\r\n";
    return out;
}

} // namespace

QByteArray plainUtf8()
{
    return headers("=?UTF-8?B?" + croatian().toUtf8().toBase64() + "?=", "Message-ID: <utf8@primjer.hr>\r\n")
           + "Content-Type: text/plain; charset=UTF-8\r\nContent-Transfer-Encoding: base64\r\n\r\n"
           + base64Lines((croatian() + QStringLiteral("\r\ndrugi red\r\n")).toUtf8());
}

QByteArray plainWindows1250()
{
    return headers("=?windows-1250?B?" + encoded(croatian(), "windows-1250").toBase64() + "?=",
                   "Message-ID: <cp1250@primjer.hr>\r\n")
           + "Content-Type: text/plain; charset=windows-1250\r\nContent-Transfer-Encoding: 8bit\r\n\r\n"
           + encoded(croatian(), "windows-1250") + "\r\n";
}

QByteArray plainIso88592()
{
    return headers("=?ISO-8859-2?B?" + encoded(croatian(), "ISO-8859-2").toBase64() + "?=",
                   "Message-ID: <latin2@primjer.hr>\r\n")
           + "Content-Type: text/plain; charset=ISO-8859-2\r\nContent-Transfer-Encoding: base64\r\n\r\n"
           + base64Lines(encoded(croatian(), "ISO-8859-2"));
}

QByteArray plainNoCharset8bit()
{
    return headers(encoded(croatian(), "windows-1250"), "Message-ID: <raw@primjer.hr>\r\n")
           + "Content-Type: text/plain\r\nContent-Transfer-Encoding: 8bit\r\n\r\n"
           + encoded(croatian(), "windows-1250") + "\r\n";
}

QByteArray tinyPng()
{
    return QByteArray::fromBase64("iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mNk+M9QDwADhgGAWjR9awAAAABJRU5ErkJggg==");
}

QByteArray htmlWithInlineImage()
{
    return headers("HTML s slikom", "Message-ID: <html@primjer.hr>\r\n")
           + "Content-Type: multipart/related; boundary=\"REL\"; type=\"multipart/alternative\"\r\n\r\n"
             "--REL\r\nContent-Type: multipart/alternative; boundary=\"ALT\"\r\n\r\n"
             "--ALT\r\nContent-Type: text/plain; charset=UTF-8\r\n\r\nObi\xC4\x8D" "an tekst\r\n"
             "--ALT\r\nContent-Type: text/html; charset=windows-1250\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\n"
             "<html><head><meta http-equiv=3D\"Content-Type\" content=3D\"text/html; charset=3Dwindows-1250\"></head>"
             "<body><p>Ra=E8un</p><img src=3D\"cid:logo.1@primjer\"></body></html>\r\n"
             "--ALT--\r\n"
             "--REL\r\nContent-Type: image/png; name=\"logo.png\"\r\nContent-Transfer-Encoding: base64\r\n"
             "Content-ID: <logo.1@primjer>\r\nContent-Disposition: inline; filename=\"logo.png\"\r\n\r\n"
           + base64Lines(tinyPng()) + "--REL--\r\n";
}

QByteArray twoAttachments()
{
    return headers("Dva privitka", "Message-ID: <att@primjer.hr>\r\n")
           + "Content-Type: multipart/mixed; boundary=\"MIX\"\r\n\r\n"
             "--MIX\r\nContent-Type: text/plain; charset=UTF-8\r\n\r\nU privitku.\r\n"
             "--MIX\r\nContent-Type: application/octet-stream\r\nContent-Transfer-Encoding: base64\r\n"
             "Content-Disposition: attachment; filename=\"../../.bashrc\"\r\n\r\n"
           + base64Lines("echo pwned\n")
           + "--MIX\r\nContent-Type: application/pdf\r\nContent-Transfer-Encoding: base64\r\n"
             "Content-Disposition: attachment; filename*=UTF-8''ra%C4%8Dun%20za%20velja%C4%8Du.pdf\r\n\r\n"
           + base64Lines("%PDF-1.4 fake\n") + "--MIX--\r\n";
}

QByteArray noMessageIdNoSender()
{
    return "To: marko@primjer.hr\r\nSubject: bez posiljatelja\r\nDate: Wed, 04 Mar 2026 08:00:00 +0000\r\n\r\nTijelo.\r\n";
}

QByteArray malformed()
{
    return "From: broken@primjer.hr\r\nSubject: =?UTF-8?Q?pokvaren=\r\nContent-Type: multipart/mixed; boundary=\"NEVER\"\r\n"
           "Content-Type: text/html\r\n\r\n--WRONG\r\nContent-Type: text/plain\r\n\r\nostatak bez kraja\r\n--NEVER\r\n";
}

QByteArray large(int megabytes)
{
    QByteArray blob(megabytes * 1024 * 1024, Qt::Uninitialized);
    for (qsizetype i = 0; i < blob.size(); ++i)
        blob[i] = char((i * 131) & 0xff);
    return headers("Velika poruka", "Message-ID: <big@primjer.hr>\r\n")
           + "Content-Type: multipart/mixed; boundary=\"BIG\"\r\n\r\n"
             "--BIG\r\nContent-Type: text/plain\r\n\r\nVelik privitak.\r\n"
             "--BIG\r\nContent-Type: application/octet-stream\r\nContent-Transfer-Encoding: base64\r\n"
             "Content-Disposition: attachment; filename=\"blob.bin\"\r\n\r\n"
           + base64Lines(blob) + "--BIG--\r\n";
}

QByteArray markupInPlainText()
{
    return headers("markup", "Message-ID: <markup@primjer.hr>\r\n")
           + "Content-Type: text/plain; charset=UTF-8\r\n\r\na\r\nb  \r\n<script>alert(1)</script> & \"x\"\r\n";
}

QByteArray withReplyTo(const QString& from, const QString& replyTo, const QString& subject)
{
    QByteArray h;
    if (!from.isEmpty())
        h += "From: " + from.toUtf8() + "\r\n";
    if (!replyTo.isEmpty())
        h += "Reply-To: " + replyTo.toUtf8() + "\r\n";
    return h + "To: marko@primjer.hr\r\nSubject: " + subject.toUtf8() + "\r\n\r\nTekst.\r\n";
}

QByteArray sized(int index, int bytes)
{
    QByteArray body;
    const QByteArray line = "Lorem ipsum dolor sit amet, consectetur adipiscing elit, sed do eiusmod tempor.\r\n";
    while (body.size() < bytes)
        body += line;
    return "From: Bench <bench@primjer.hr>\r\nTo: marko@primjer.hr\r\nSubject: Poruka " + QByteArray::number(index)
           + "\r\nMessage-ID: <bench" + QByteArray::number(index) + "@primjer.hr>\r\n"
             "Date: Thu, 05 Mar 2026 10:00:00 +0000\r\nContent-Type: text/plain; charset=UTF-8\r\n\r\n" + body;
}

QByteArray png(int width)
{
    QImage image(width, 1, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

} // namespace mailsamples
