#include "runtime/RegionalTexts.h"

namespace vrt {
namespace {
std::mutex g_mutex;
RegionalTexts g_texts;
} // namespace

int RegionalTexts::compare(const QString& a, const QString& b) const
{
    auto rank = [this](QChar c) -> int {
        const int i = collation.indexOf(c);
        return i >= 0 ? i : 0x10000 + c.unicode();
    };
    const int n = std::min(a.size(), b.size());
    for (int i = 0; i < n; ++i) {
        const int ra = rank(a[i]), rb = rank(b[i]);
        if (ra != rb)
            return ra < rb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

RegionalTexts regionalTexts()
{
    std::lock_guard<std::mutex> l(g_mutex);
    return g_texts;
}

void setRegionalTexts(const RegionalTexts& texts)
{
    std::lock_guard<std::mutex> l(g_mutex);
    g_texts = texts;
}

} // namespace vrt
