#pragma once
#include "services/ComTypes.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

// Conversions between runtime single-byte strings (in the code page of services/AnsiCodePage)
// and zero-terminated UTF-16 ("wide") strings, BSTRs and UTF-8.
//
// Runtime strings are QByteArrays of code-page bytes: a STRING argument is space-padded and
// used clipped, a CSTRING argument is the text as it stands. Buffers handed back in `out`
// arguments are task memory owned by the caller (WIDESTRFREE, or BSTRFREE for BSTRs); after a
// failure `out` is always null. Results: 0 success, 3 failure, 5 output too small.

// A runtime CSTRING(size): room for size - 1 bytes of text and the terminator.
struct CString {
    explicit CString(int size) : size(size) {}
    int size;
    QByteArray text;
};

// A runtime STRING(size): exactly `size` bytes, space-padded.
struct FixedString {
    explicit FixedString(int size) : bytes(size, ' ') {}
    QByteArray bytes;
};

class STR2CLTYPE {
public:
    ~STR2CLTYPE() { KILL(); }

    void INIT(std::uint8_t debug);
    void KILL();
    void SETDEBUGMODE(std::uint8_t debug) { DEBUGMODE = debug ? 1 : 0; }
    std::uint8_t GETDEBUGMODE() const { return DEBUGMODE; }
    void SETERRORCODE(std::int32_t code) { ERRORCODE = code; }
    std::int32_t GETERRORCODE() const { return ERRORCODE; }
    QString GETERRORSTR() const;
    void TAKEERROR(const QString& message, std::optional<std::int32_t> code = std::nullopt);

    // Code-page text (the first `forced` bytes, or the clipped text when `forced` is 0) to a
    // new zero-terminated UTF-8 buffer.
    std::uint8_t TOUTF8(const QByteArray& text, char*& out, std::int32_t forced);
    // The same from Unicode text: no code-page step, so nothing the code page lacks is lost.
    std::uint8_t TOUTF8(const QString& text, char*& out, std::int32_t forced);
    static std::int64_t UTF8LEN(const char* text);
    // UTF-8 (length -1: zero-terminated) to a code-page string; at least one character.
    // `error` 3 also when a character has no form in the code page (it becomes "?").
    QByteArray FROMUTF8(char*& source, std::int32_t length, std::uint8_t freeSource, std::uint8_t& error);
    std::uint8_t TOWIDESTR(const QByteArray& text, char16_t*& out, std::int32_t forced);
    std::uint8_t TOWIDESTR(const QByteArray& cstring, char16_t*& wide, ourcom::BSTR& bstr);
    std::uint8_t TOBSTR(const QByteArray& text, ourcom::BSTR& out, std::int32_t forced);
    std::uint8_t COPYTOWIDESTR(const void* source, std::int32_t count, void*& out, std::uint8_t terminator);
    std::uint8_t CONCATWIDESTRTONEWSTR(const char16_t* a, const char16_t* b, char16_t*& out);
    QByteArray FROMWIDESTRTOCSTRALLOC(char16_t*& wide, std::uint8_t freeSource, std::uint8_t& error);
    QByteArray FROMWIDESTRALLOC(char16_t*& wide, std::uint8_t freeSource, std::uint8_t& error,
                                std::optional<std::int32_t> byteLength = std::nullopt);
    static void BSTRFREE(ourcom::BSTR& text);
    template <typename T>
    static void WIDESTRFREE(T*& buffer)
    {
        ourcom::taskMemFree(const_cast<std::remove_const_t<T>*>(buffer));
        buffer = nullptr;
    }

    std::uint8_t DEBUGMODE = 0;
    QString ERRORSTR;
    std::int32_t ERRORCODE = 0;

private:
    std::optional<std::int32_t> takeLength(const QByteArray& text, std::int32_t forced);
    std::uint8_t wideToUtf8(const QString& text, char*& out);
    char16_t* newWide(const QString& text, const QString& oomMessage);
};

class STRCLTYPE {
public:
    void INIT() {}
    void KILL() {}

    static std::uint8_t WIDETOCSTR(const char16_t* wide, CString& out);
    static std::uint8_t BSTRTOCSTR(ourcom::BSTR text, CString& out);
    static std::uint8_t WIDETOCWSTR(const char16_t* wide, FixedString& out);
    static std::uint8_t BSTRTOCWSTR(ourcom::BSTR text, FixedString& out);
    static std::uint8_t CTOWIDESTR(const QByteArray& text, FixedString& out);
    static std::uint8_t CWTOWIDESTR(const QByteArray& text, FixedString& out);
    static std::uint8_t CTOBSTR(const QByteArray& text, FixedString& out);
    static std::uint8_t CWTOBSTR(const QByteArray& text, FixedString& out);
    static std::uint8_t CWTOBSTRALLOC(const QByteArray& text, ourcom::BSTR& out);
    static void BSTRFREE(ourcom::BSTR& text) { STR2CLTYPE::BSTRFREE(text); }
    // The wide text and its terminator (2n + 2 bytes); empty when the text does not convert.
    static QByteArray CTOWIDESTRALLOC(const QByteArray& text);
    static QByteArray CWTOWIDESTRALLOC(const QByteArray& text);
    static QByteArray WIDESTRTOCWALLOC(const char16_t* wide, std::uint8_t& error,
                                       std::optional<std::int32_t> chars = std::nullopt);
    static QByteArray BSTRTOCWALLOC(ourcom::BSTR& text, std::uint8_t free);
};

// Trailing blanks removed, as runtime STRINGs are used.
QByteArray clipBytes(const QByteArray& text);
