#include "services/ComTypes.h"

#include <QStringList>

#include <cstdlib>
#include <cstring>
#include <limits>

namespace ourcom {

void* taskMemAlloc(std::size_t bytes) { return std::malloc(bytes == 0 ? 1 : bytes); }

void taskMemFree(void* block) { std::free(block); }

std::size_t wideLen(const char16_t* text)
{
    if (!text)
        return 0;
    std::size_t n = 0;
    while (text[n])
        ++n;
    return n;
}

BSTR sysAllocStringLen(const char16_t* text, std::uint32_t chars)
{
    if (chars > (std::numeric_limits<std::uint32_t>::max() - 6) / 2)
        return nullptr;
    const std::uint32_t bytes = chars * 2;
    auto* block = static_cast<unsigned char*>(std::malloc(std::size_t(bytes) + 6));
    if (!block)
        return nullptr;
    for (int i = 0; i < 4; ++i)
        block[i] = static_cast<unsigned char>(bytes >> (8 * i));
    auto* body = reinterpret_cast<char16_t*>(block + 4);
    if (text)
        std::memcpy(body, text, bytes);
    else
        std::memset(body, 0, bytes);
    body[chars] = 0;
    return body;
}

BSTR sysAllocString(const char16_t* text)
{
    if (!text)
        return nullptr;
    return sysAllocStringLen(text, static_cast<std::uint32_t>(wideLen(text)));
}

void sysFreeString(BSTR text)
{
    if (text)
        std::free(reinterpret_cast<unsigned char*>(text) - 4);
}

std::uint32_t sysStringByteLen(BSTR text)
{
    if (!text)
        return 0;
    const auto* head = reinterpret_cast<const unsigned char*>(text) - 4;
    return std::uint32_t(head[0]) | std::uint32_t(head[1]) << 8 | std::uint32_t(head[2]) << 16
           | std::uint32_t(head[3]) << 24;
}

std::uint32_t sysStringLen(BSTR text) { return sysStringByteLen(text) / 2; }

} // namespace ourcom

namespace ourcom {

namespace {
constexpr std::int32_t kEInvalidArg = static_cast<std::int32_t>(0x80070057u);
}

bool Guid::operator==(const Guid& other) const
{
    return data1 == other.data1 && data2 == other.data2 && data3 == other.data3 &&
           std::memcmp(data4, other.data4, sizeof data4) == 0;
}

Guid Guid::parse(const QString& text)
{
    QString t = text.trimmed();
    if (t.startsWith(QLatin1Char('{')) && t.endsWith(QLatin1Char('}')))
        t = t.mid(1, t.size() - 2);
    const QStringList parts = t.split(QLatin1Char('-'));
    if (parts.size() != 5 || parts[0].size() != 8 || parts[1].size() != 4 || parts[2].size() != 4 ||
        parts[3].size() != 4 || parts[4].size() != 12)
        return {};
    Guid g;
    bool ok1 = false, ok2 = false, ok3 = false;
    g.data1 = parts[0].toUInt(&ok1, 16);
    g.data2 = static_cast<std::uint16_t>(parts[1].toUInt(&ok2, 16));
    g.data3 = static_cast<std::uint16_t>(parts[2].toUInt(&ok3, 16));
    if (!ok1 || !ok2 || !ok3)
        return {};
    const QString tail = parts[3] + parts[4];
    for (int i = 0; i < 8; ++i) {
        bool ok = false;
        g.data4[i] = static_cast<std::uint8_t>(tail.mid(i * 2, 2).toUInt(&ok, 16));
        if (!ok)
            return {};
    }
    return g;
}

QString Guid::toString() const
{
    QString tail;
    for (int i = 0; i < 8; ++i) {
        if (i == 2)
            tail += QLatin1Char('-');
        tail += QStringLiteral("%1").arg(data4[i], 2, 16, QLatin1Char('0'));
    }
    return QStringLiteral("{%1-%2-%3-%4}")
        .arg(data1, 8, 16, QLatin1Char('0'))
        .arg(data2, 4, 16, QLatin1Char('0'))
        .arg(data3, 4, 16, QLatin1Char('0'))
        .arg(tail)
        .toUpper();
}

const Guid IID_IUnknown = Guid::parse(QStringLiteral("{00000000-0000-0000-C000-000000000046}"));
const Guid IID_IDispatch = Guid::parse(QStringLiteral("{00020400-0000-0000-C000-000000000046}"));
const Guid IID_IConnectionPointContainer = Guid::parse(QStringLiteral("{B196B284-BAB4-101A-B69C-00AA00341D07}"));

Variant variantFromInt(std::int32_t value)
{
    Variant v;
    v.vt = VT_I4;
    v.lVal = value;
    return v;
}

Variant variantFromText(const QString& text)
{
    Variant v;
    v.vt = VT_BSTR;
    v.bstrVal = sysAllocStringLen(reinterpret_cast<const char16_t*>(text.utf16()),
                                  static_cast<std::uint32_t>(text.size()));
    return v;
}

std::int32_t variantClear(Variant& value)
{
    if (value.vt == VT_BSTR)
        sysFreeString(value.bstrVal);
    value = Variant();
    return 0;
}

std::int32_t variantCopy(Variant& target, const Variant& source)
{
    if (&target == &source)
        return 0;
    variantClear(target);
    if (source.vt == VT_BSTR) {
        Variant v;
        v.vt = VT_BSTR;
        v.bstrVal = source.bstrVal ? sysAllocStringLen(source.bstrVal, sysStringLen(source.bstrVal)) : nullptr;
        if (source.bstrVal && !v.bstrVal)
            return static_cast<std::int32_t>(0x8007000Eu); // out of memory
        target = v;
        return 0;
    }
    target = source;
    return 0;
}

std::int32_t variantCopyInd(Variant& target, const Variant& source)
{
    if (!(source.vt & VT_BYREF))
        return variantCopy(target, source);
    if (!source.byref)
        return kEInvalidArg;
    const std::uint16_t base = source.vt & ~VT_BYREF;
    if (base == VT_VARIANT)
        return variantCopy(target, *static_cast<const Variant*>(source.byref));
    Variant v;
    v.vt = base;
    switch (base) {
    case VT_I4: v.lVal = *static_cast<const std::int32_t*>(source.byref); break;
    case VT_I2: case VT_BOOL: v.iVal = *static_cast<const std::int16_t*>(source.byref); break;
    case VT_UI1: v.bVal = *static_cast<const std::uint8_t*>(source.byref); break;
    case VT_R8: v.dblVal = *static_cast<const double*>(source.byref); break;
    case VT_BSTR: v.bstrVal = *static_cast<const BSTR*>(source.byref); return variantCopy(target, v);
    default: return kEInvalidArg;
    }
    return variantCopy(target, v);
}

QString variantText(const Variant& value)
{
    switch (value.vt) {
    case VT_I4: return QString::number(value.lVal);
    case VT_I2: return QString::number(value.iVal);
    case VT_BOOL: return QString::number(value.boolVal ? -1 : 0);
    case VT_UI1: return QString::number(value.bVal);
    case VT_R8: return QString::number(value.dblVal, 'g', 15);
    case VT_BSTR:
        return value.bstrVal ? QString::fromUtf16(value.bstrVal, static_cast<qsizetype>(sysStringLen(value.bstrVal)))
                             : QString();
    default: return {};
    }
}

QString resultText(std::int32_t hr)
{
    switch (static_cast<std::uint32_t>(hr)) {
    case 0x00000000u: return QStringLiteral("The operation completed successfully.");
    case 0x80004001u: return QStringLiteral("Not implemented");
    case 0x80004002u: return QStringLiteral("No such interface supported");
    case 0x80004003u: return QStringLiteral("Invalid pointer");
    case 0x80004004u: return QStringLiteral("Operation aborted");
    case 0x80004005u: return QStringLiteral("Unspecified error");
    case 0x8007000Eu: return QStringLiteral("Not enough memory resources are available to complete this operation.");
    case 0x80070057u: return QStringLiteral("The parameter is incorrect.");
    case 0x80040154u: return QStringLiteral("Class not registered");
    case 0x80040200u: return QStringLiteral("Connection point: no connection exists");
    case 0x80020003u: return QStringLiteral("Member not found.");
    default: return QStringLiteral("Unknown/Undefined Error");
    }
}

} // namespace ourcom
