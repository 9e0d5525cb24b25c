#include "runtime/Text.h"

namespace vrt {

QString clip(const QString& text, int maxChars)
{
    // A text of no more code units than the limit has no more characters either.
    if (maxChars < 0 || text.size() <= maxChars)
        return text;
    const QChar* units = text.constData();
    int chars = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (units[i].isLowSurrogate())
            continue;
        if (chars == maxChars)
            return text.left(i);
        ++chars;
    }
    return text;
}

std::string clipUtf8(const std::string& text, int maxChars)
{
    // A text of no more bytes than the limit has no more characters either: most texts.
    if (maxChars < 0 || text.size() <= size_t(maxChars))
        return text;
    int chars = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if ((c & 0xC0) == 0x80)
            continue; // continuation byte
        if (chars == maxChars)
            return text.substr(0, i);
        ++chars;
    }
    return text;
}

QString clipTrailing(const QString& text)
{
    int n = text.size();
    while (n > 0 && text[n - 1] == QLatin1Char(' '))
        --n;
    return text.left(n);
}

} // namespace vrt
