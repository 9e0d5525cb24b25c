#include "services/StringConversion.h"

#include "runtime/Dialogs.h"
#include "services/AnsiCodePage.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <cstring>

namespace {

constexpr std::uint8_t kOk = 0;
constexpr std::uint8_t kFailed = 3;
constexpr std::uint8_t kTooSmall = 5;

QString wideText(const char16_t* wide, std::size_t chars)
{
    return wide ? QString::fromUtf16(wide, qsizetype(chars)) : QString();
}

// Code-page bytes of a wide text; `lossy` when a character has no form there.
struct Ansi {
    std::optional<QByteArray> bytes;
    bool lossy = false;
};

Ansi toAnsi(const QString& text)
{
    Ansi a;
    a.bytes = ansicp::fromUnicode(text, &a.lossy);
    return a;
}

// UTF-16 little-endian bytes of `text` at `at` in `out`, then a two-byte terminator.
void putWide(QByteArray& out, qsizetype at, const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        out[at + 2 * i] = char(c & 0xFF);
        out[at + 2 * i + 1] = char(c >> 8);
    }
    out[at + 2 * text.size()] = 0;
    out[at + 2 * text.size() + 1] = 0;
}

QByteArray blank() { return QByteArray(" "); }

} // namespace

QByteArray clipBytes(const QByteArray& text)
{
    qsizetype n = text.size();
    while (n > 0 && text[n - 1] == ' ')
        --n;
    return text.left(n);
}

void STR2CLTYPE::INIT(std::uint8_t debug) { SETDEBUGMODE(debug); }

void STR2CLTYPE::KILL()
{
    ERRORSTR.clear();
    ERRORCODE = 0;
    DEBUGMODE = 0;
}

QString STR2CLTYPE::GETERRORSTR() const
{
    QString s = ERRORSTR;
    while (s.endsWith(QLatin1Char(' ')))
        s.chop(1);
    return s;
}

void STR2CLTYPE::TAKEERROR(const QString& message, std::optional<std::int32_t> code)
{
    ERRORSTR = message.left(128);
    if (code)
        ERRORCODE = *code;
    if (DEBUGMODE)
        vrt::message(message);
}

std::optional<std::int32_t> STR2CLTYPE::takeLength(const QByteArray& text, std::int32_t forced)
{
    if (forced == 0)
        return std::int32_t(clipBytes(text).size());
    if (text.size() < forced) {
        TAKEERROR(QStringLiteral("String to short for the forced length."));
        return std::nullopt;
    }
    return forced;
}

std::uint8_t STR2CLTYPE::wideToUtf8(const QString& text, char*& out)
{
    QStringEncoder utf8(QStringEncoder::Utf8, QStringEncoder::Flag::Stateless);
    const QByteArray bytes = utf8.encode(text);
    if (utf8.hasError()) {
        TAKEERROR(QStringLiteral("Wide to UTF8 conversion failed."));
        return kFailed;
    }
    out = static_cast<char*>(ourcom::taskMemAlloc(std::size_t(bytes.size()) + 1));
    if (!out) {
        TAKEERROR(QStringLiteral("Out of memory allocating a UTF8 string."));
        return kFailed;
    }
    std::memcpy(out, bytes.constData(), std::size_t(bytes.size()) + 1);
    return kOk;
}

char16_t* STR2CLTYPE::newWide(const QString& text, const QString& oomMessage)
{
    auto* wide = static_cast<char16_t*>(ourcom::taskMemAlloc(2 * (std::size_t(text.size()) + 1)));
    if (!wide) {
        TAKEERROR(oomMessage);
        return nullptr;
    }
    std::memcpy(wide, text.utf16(), 2 * std::size_t(text.size()));
    wide[text.size()] = 0;
    return wide;
}

std::uint8_t STR2CLTYPE::TOUTF8(const QByteArray& text, char*& out, std::int32_t forced)
{
    out = nullptr;
    const auto n = takeLength(text, forced);
    if (!n)
        return kFailed;
    if (*n <= 0)
        return TOUTF8(QString(), out, 0);
    const auto wide = ansicp::toUnicode(QByteArrayView(text).first(*n));
    if (!wide) {
        TAKEERROR(QStringLiteral("Converting a ANSI string to a wide string failed."));
        return kFailed;
    }
    return wideToUtf8(*wide, out);
}

std::uint8_t STR2CLTYPE::TOUTF8(const QString& text, char*& out, std::int32_t forced)
{
    out = nullptr;
    qsizetype n = forced;
    if (forced == 0) {
        n = text.size();
        while (n > 0 && text[n - 1] == QLatin1Char(' '))
            --n;
    } else if (text.size() < forced) {
        TAKEERROR(QStringLiteral("String to short for the forced length."));
        return kFailed;
    }
    return wideToUtf8(n <= 0 ? QString() : text.first(n), out);
}

std::int64_t STR2CLTYPE::UTF8LEN(const char* text) { return text ? std::int64_t(std::strlen(text)) : 0; }

QByteArray STR2CLTYPE::FROMUTF8(char*& source, std::int32_t length, std::uint8_t freeSource, std::uint8_t& error)
{
    error = kFailed;
    QByteArray result;
    const auto finish = [&] {
        if (freeSource)
            WIDESTRFREE(source);
        return result.isEmpty() ? blank() : result;
    };
    if (!source || (length <= 0 && length != -1)) {
        error = kOk;
        return finish();
    }
    const QByteArrayView bytes(source, length == -1 ? qsizetype(std::strlen(source)) : qsizetype(length));
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString wide = utf8.decode(bytes);
    if (utf8.hasError()) {
        TAKEERROR(QStringLiteral("Error preparing to convert a UTF8 string to a wide string."));
        return finish();
    }
    // A one-character text is kept; only nothing at all becomes the one blank.
    if (wide.isEmpty()) {
        error = kOk;
        return finish();
    }
    const Ansi ansi = toAnsi(wide);
    if (ansi.bytes)
        result = *ansi.bytes;
    // The specified text of this step names the other direction; it is kept as it stands.
    if (!ansi.bytes || ansi.lossy) {
        TAKEERROR(QStringLiteral("Wide to UTF8 conversion failed."));
        return finish();
    }
    error = kOk;
    return finish();
}

std::uint8_t STR2CLTYPE::TOWIDESTR(const QByteArray& text, char16_t*& out, std::int32_t forced)
{
    out = nullptr;
    const auto n = takeLength(text, forced);
    if (!n)
        return kFailed;
    std::optional<QString> wide = QString();
    if (*n > 0)
        wide = ansicp::toUnicode(QByteArrayView(text).first(*n));
    if (!wide) {
        TAKEERROR(QStringLiteral("Converting a ANSI string to a wide string failed."));
        return kFailed;
    }
    out = newWide(*wide, QStringLiteral("Out of memory allocating a wide string."));
    return out ? kOk : kFailed;
}

std::uint8_t STR2CLTYPE::TOWIDESTR(const QByteArray& cstring, char16_t*& wide, ourcom::BSTR& bstr)
{
    bstr = nullptr;
    if (TOWIDESTR(cstring, wide, std::int32_t(cstring.size())) != kOk)
        return kFailed;
    bstr = ourcom::sysAllocString(wide);
    if (!bstr) {
        TAKEERROR(QStringLiteral("Out of memory allocating a bstring."));
        WIDESTRFREE(wide);
        return kFailed;
    }
    return kOk;
}

std::uint8_t STR2CLTYPE::TOBSTR(const QByteArray& text, ourcom::BSTR& out, std::int32_t forced)
{
    out = nullptr;
    char16_t* wide = nullptr;
    if (TOWIDESTR(text, wide, forced) != kOk)
        return kFailed;
    out = ourcom::sysAllocString(wide);
    WIDESTRFREE(wide);
    if (!out) {
        TAKEERROR(QStringLiteral("Out of memory creating a bstring."));
        return kFailed;
    }
    return kOk;
}

std::uint8_t STR2CLTYPE::COPYTOWIDESTR(const void* source, std::int32_t count, void*& out, std::uint8_t terminator)
{
    out = nullptr;
    if (!source)
        return kFailed;
    const std::int64_t size = std::int64_t(count) + (terminator ? 2 : 0);
    if (size < 1)
        return kOk;
    out = ourcom::taskMemAlloc(std::size_t(size));
    if (!out) {
        TAKEERROR(QStringLiteral("Out of memory allocating a wide string."));
        return kFailed;
    }
    std::memset(out, 0, std::size_t(size));
    if (count > 0)
        std::memcpy(out, source, std::size_t(count));
    return kOk;
}

std::uint8_t STR2CLTYPE::CONCATWIDESTRTONEWSTR(const char16_t* a, const char16_t* b, char16_t*& out)
{
    out = nullptr;
    if (!a || !b) {
        TAKEERROR(QStringLiteral("Null string passed to concatwidestrtoNewStr."));
        return kFailed;
    }
    out = newWide(wideText(a, ourcom::wideLen(a)) + wideText(b, ourcom::wideLen(b)),
                  QStringLiteral("Out of memory allocating a wide string."));
    return out ? kOk : kFailed;
}

QByteArray STR2CLTYPE::FROMWIDESTRTOCSTRALLOC(char16_t*& wide, std::uint8_t freeSource, std::uint8_t& error)
{
    error = kOk;
    QByteArray result = blank();
    if (ourcom::wideLen(wide) > 0) {
        const Ansi ansi = toAnsi(wideText(wide, ourcom::wideLen(wide)));
        result = ansi.bytes.value_or(QByteArray());
        if (!ansi.bytes || ansi.lossy) {
            TAKEERROR(QStringLiteral("Wide to multibyte conversion failed."));
            error = kFailed;
        }
    }
    if (freeSource)
        WIDESTRFREE(wide);
    return result;
}

QByteArray STR2CLTYPE::FROMWIDESTRALLOC(char16_t*& wide, std::uint8_t freeSource, std::uint8_t& error,
                                        std::optional<std::int32_t> byteLength)
{
    error = kFailed;
    const std::size_t chars = byteLength ? std::size_t(std::max(*byteLength, 0) / 2) : ourcom::wideLen(wide);
    const Ansi ansi = toAnsi(wideText(wide, chars));
    QByteArray result = ansi.bytes.value_or(QByteArray());
    if (!wide || chars == 0 || !ansi.bytes || ansi.lossy)
        TAKEERROR(QStringLiteral("Wide to multibyte conversion failed."));
    else
        error = kOk;
    if (freeSource)
        WIDESTRFREE(wide);
    return result.isEmpty() ? blank() : result;
}

void STR2CLTYPE::BSTRFREE(ourcom::BSTR& text)
{
    ourcom::sysFreeString(text);
    text = nullptr;
}

// ---------------------------------------------------------------------------------------

std::uint8_t STRCLTYPE::WIDETOCSTR(const char16_t* wide, CString& out)
{
    const std::size_t n = ourcom::wideLen(wide);
    out.text.clear();
    if (n > std::size_t(std::max(out.size - 1, 0)))
        return kTooSmall;
    const Ansi ansi = toAnsi(wideText(wide, n));
    if (!ansi.bytes)
        return kFailed;
    if (ansi.bytes->size() > out.size - 1)
        return kTooSmall;
    out.text = *ansi.bytes;
    return ansi.lossy ? kFailed : kOk;
}

std::uint8_t STRCLTYPE::BSTRTOCSTR(ourcom::BSTR text, CString& out)
{
    if (!text) {
        out.text.clear();
        return kFailed;
    }
    return WIDETOCSTR(text, out);
}

std::uint8_t STRCLTYPE::WIDETOCWSTR(const char16_t* wide, FixedString& out)
{
    const std::size_t n = ourcom::wideLen(wide);
    if (n > std::size_t(out.bytes.size()))
        return kTooSmall;
    const Ansi ansi = toAnsi(wideText(wide, n));
    if (!ansi.bytes)
        return kFailed;
    if (ansi.bytes->size() > out.bytes.size())
        return kTooSmall;
    out.bytes = ansi.bytes->leftJustified(out.bytes.size(), ' ');
    return ansi.lossy ? kFailed : kOk;
}

std::uint8_t STRCLTYPE::BSTRTOCWSTR(ourcom::BSTR text, FixedString& out)
{
    if (!text) {
        out.bytes.fill(' ');
        return kFailed;
    }
    return WIDETOCWSTR(text, out);
}

std::uint8_t STRCLTYPE::CTOWIDESTR(const QByteArray& text, FixedString& out)
{
    if (out.bytes.size() < 2 * text.size() + 2)
        return kTooSmall;
    const auto wide = ansicp::toUnicode(text);
    if (!wide)
        return kFailed;
    putWide(out.bytes, 0, *wide);
    return kOk;
}

std::uint8_t STRCLTYPE::CWTOWIDESTR(const QByteArray& text, FixedString& out)
{
    return CTOWIDESTR(clipBytes(text), out);
}

std::uint8_t STRCLTYPE::CTOBSTR(const QByteArray& text, FixedString& out)
{
    if (out.bytes.size() < 2 * text.size() + 6)
        return kTooSmall;
    const auto wide = ansicp::toUnicode(text);
    if (!wide)
        return kFailed;
    const std::uint32_t bytes = std::uint32_t(2 * wide->size());
    for (int i = 0; i < 4; ++i)
        out.bytes[i] = char((bytes >> (8 * i)) & 0xFF);
    putWide(out.bytes, 4, *wide);
    return kOk;
}

std::uint8_t STRCLTYPE::CWTOBSTR(const QByteArray& text, FixedString& out) { return CTOBSTR(clipBytes(text), out); }

std::uint8_t STRCLTYPE::CWTOBSTRALLOC(const QByteArray& text, ourcom::BSTR& out)
{
    out = nullptr;
    const auto wide = ansicp::toUnicode(clipBytes(text));
    if (!wide)
        return kFailed;
    out = ourcom::sysAllocStringLen(reinterpret_cast<const char16_t*>(wide->utf16()), std::uint32_t(wide->size()));
    return out ? kOk : kFailed;
}

QByteArray STRCLTYPE::CTOWIDESTRALLOC(const QByteArray& text)
{
    const auto wide = ansicp::toUnicode(text);
    if (!wide)
        return {};
    QByteArray out(2 * wide->size() + 2, '\0');
    putWide(out, 0, *wide);
    return out;
}

QByteArray STRCLTYPE::CWTOWIDESTRALLOC(const QByteArray& text) { return CTOWIDESTRALLOC(clipBytes(text)); }

QByteArray STRCLTYPE::WIDESTRTOCWALLOC(const char16_t* wide, std::uint8_t& error, std::optional<std::int32_t> chars)
{
    error = kOk;
    const std::size_t n = ourcom::wideLen(wide);
    if (n == 0)
        return blank();
    const Ansi ansi = toAnsi(wideText(wide, n));
    if (!ansi.bytes || ansi.lossy)
        error = kFailed;
    const qsizetype width = chars ? qsizetype(*chars) : ansi.bytes.value_or(QByteArray()).size();
    const QByteArray result = ansi.bytes.value_or(QByteArray()).leftJustified(width, ' ', true);
    return result.isEmpty() ? blank() : result;
}

QByteArray STRCLTYPE::BSTRTOCWALLOC(ourcom::BSTR& text, std::uint8_t free)
{
    std::uint8_t error = kOk;
    const QByteArray result = WIDESTRTOCWALLOC(text, error);
    if (free)
        STR2CLTYPE::BSTRFREE(text);
    return result;
}
