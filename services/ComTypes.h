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
