#include "services/ComTypes.h"

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
