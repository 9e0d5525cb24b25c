#pragma once
#include <cstddef>
#include <cstdint>

// The few COM memory forms the text, file and component services exchange: task memory and
// BSTRs. A BSTR is one block [uint32 LE byte length][UTF-16 text][0]; the handle points at the
// text, so it reads as a zero-terminated wide string too.
namespace ourcom {

using BSTR = char16_t*;

void* taskMemAlloc(std::size_t bytes);
void taskMemFree(void* block);

// Length in characters of a zero-terminated wide string (0 for null).
std::size_t wideLen(const char16_t* text);

BSTR sysAllocStringLen(const char16_t* text, std::uint32_t chars);
BSTR sysAllocString(const char16_t* text);
void sysFreeString(BSTR text);
std::uint32_t sysStringLen(BSTR text);
std::uint32_t sysStringByteLen(BSTR text);

} // namespace ourcom

#include <QString>

namespace ourcom {

// A 16-byte interface or class identifier, in the usual text form "{XXXXXXXX-XXXX-...}".
struct Guid {
    std::uint32_t data1 = 0;
    std::uint16_t data2 = 0;
    std::uint16_t data3 = 0;
    std::uint8_t data4[8] = {};

    bool operator==(const Guid& other) const;
    bool operator!=(const Guid& other) const { return !(*this == other); }
    // A null Guid when the text is not one.
    static Guid parse(const QString& text);
    QString toString() const;
};

extern const Guid IID_IUnknown;
extern const Guid IID_IDispatch;
extern const Guid IID_IConnectionPointContainer;

// Variant type codes the services exchange.
enum VarType : std::uint16_t {
    VT_EMPTY = 0, VT_NULL = 1, VT_I2 = 2, VT_I4 = 3, VT_R8 = 5, VT_BSTR = 8, VT_BOOL = 11,
    VT_VARIANT = 12, VT_UI1 = 17, VT_ARRAY = 0x2000, VT_BYREF = 0x4000,
};

// A 16-byte tagged value: the type, three reserved words and eight bytes of data. A VT_BSTR
// owns its text; a VT_BYREF points at a value owned elsewhere.
struct Variant {
    std::uint16_t vt = VT_EMPTY;
    std::uint16_t reserved1 = 0;
    std::uint16_t reserved2 = 0;
    std::uint16_t reserved3 = 0;
    union {
        std::int32_t lVal;
        std::int16_t iVal;
        std::uint8_t bVal;
        std::int16_t boolVal;
        double dblVal;
        BSTR bstrVal;
        void* byref;
        std::int64_t raw;
    };
    Variant() : raw(0) {}
};
static_assert(sizeof(Variant) == 16, "a variant is 16 bytes");

Variant variantFromInt(std::int32_t value);
Variant variantFromText(const QString& text);
// 0 on success; the target is cleared first. A copy of a VT_BSTR owns a new text.
std::int32_t variantCopy(Variant& target, const Variant& source);
// As variantCopy, but a VT_BYREF source is copied as the value it points at.
std::int32_t variantCopyInd(Variant& target, const Variant& source);
// Frees what the variant owns and leaves it VT_EMPTY; 0 on success.
std::int32_t variantClear(Variant& value);
// The value as text (numbers in decimal), empty for anything else.
QString variantText(const Variant& value);

// The message text for a result code, "Unknown/Undefined Error" when there is none.
QString resultText(std::int32_t hr);

} // namespace ourcom
