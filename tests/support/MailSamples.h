#pragma once
#include <QByteArray>
#include <QString>
#include <vector>

// Messages as servers deliver them, for the mail tests and the receive benchmark.
namespace mailsamples {

// Croatian letters, the text every charset case must bring back.
QString croatian();
QByteArray encoded(const QString& text, const char* charset);

QByteArray plainUtf8();          // QP body, UTF-8 encoded-word subject
QByteArray plainWindows1250();   // 8-bit body, Q-encoded subject, windows-1250
QByteArray plainIso88592();      // base64 body, B-encoded subject, ISO-8859-2
QByteArray plainNoCharset8bit(); // raw 8-bit windows-1250 text in headers and body, no charset
QByteArray htmlWithInlineImage();  // multipart/related with a cid: image and an alternative
QByteArray twoAttachments();       // one with a hostile name, one with an RFC 2231 name
QByteArray noMessageIdNoSender();  // no Message-ID, From, Reply-To or Sender
QByteArray malformed();            // broken boundary and headers
// A red PNG `width` pixels wide and one high (the width tells which file was shown).
QByteArray png(int width);
QByteArray large(int megabytes);   // one big attachment
QByteArray markupInPlainText();    // "<script>" and "a\nb  \nc" as plain text
QByteArray withReplyTo(const QString& from, const QString& replyTo, const QString& subject);
QByteArray sized(int index, int bytes); // a plain message of about `bytes` bytes

// The PNG the inline-image sample carries.
QByteArray tinyPng();

} // namespace mailsamples
