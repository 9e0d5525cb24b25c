#include "services/AnsiCodePage.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <mutex>

namespace ansicp {
namespace {

std::mutex& lock()
{
    static std::mutex m;
    return m;
}

QString& current()
{
    static QString name = QStringLiteral("windows-1250");
    return name;
}

QString currentName()
{
    std::lock_guard guard(lock());
    return current();
}

} // namespace

QString codePage() { return currentName(); }

bool setCodePage(const QString& name)
{
    const QByteArray n = name.toLatin1();
    if (!QStringDecoder(n.constData()).isValid() || !QStringEncoder(n.constData()).isValid())
        return false;
    std::lock_guard guard(lock());
    current() = name;
    return true;
}

std::optional<QString> toUnicode(QByteArrayView bytes)
{
    const QByteArray name = currentName().toLatin1();
    QStringDecoder decoder(name.constData(), QStringDecoder::Flag::Stateless);
    if (!decoder.isValid())
        return std::nullopt;
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

std::optional<QByteArray> fromUnicode(QStringView text, bool* lossy)
{
    if (lossy)
        *lossy = false;
    const QByteArray name = currentName().toLatin1();
    QStringEncoder encoder(name.constData(), QStringEncoder::Flag::Stateless);
    if (!encoder.isValid())
        return std::nullopt;
    QByteArray bytes = encoder.encode(text);
    // A character the code page cannot hold comes out as a substitute: decoding the bytes
    // back shows it, whatever the converter did with its error state.
    QStringDecoder back(name.constData(), QStringDecoder::Flag::Stateless);
    const QString again = back.decode(bytes);
    if (encoder.hasError() || again != text) {
        // Invalid Unicode (a lone surrogate) is not text at all; anything else is lossy.
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar c = text[i];
            if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
                ++i;
                continue;
            }
            if (c.isSurrogate())
                return std::nullopt;
        }
        if (lossy)
            *lossy = true;
        // Each such character becomes "?", whatever substitute the converter chose.
        bytes.clear();
        for (qsizetype i = 0; i < text.size();) {
            const qsizetype n = (text[i].isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
            const QStringView one = text.sliced(i, n);
            QStringEncoder single(name.constData(), QStringEncoder::Flag::Stateless);
            const QByteArray b = single.encode(one);
            QStringDecoder check(name.constData(), QStringDecoder::Flag::Stateless);
            bytes += (!single.hasError() && QString(check.decode(b)) == one) ? b : QByteArray("?");
            i += n;
        }
    }
    return bytes;
}

} // namespace ansicp
