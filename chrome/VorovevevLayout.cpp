// Rows of bands, items left to right inside each band.
#include "chrome/VorovevevModel.h"

#include <algorithm>

namespace ptb {

namespace {

bool isMdiButton(const Band& band, const Item& item)
{
    return band.NTYPE == BAND_MENU && item.ID <= -1 && item.ID >= -3;
}

long measureWidth(const Model& tb, const Band& band, const Item& item, const Measurer& m)
{
    if (isMdiButton(band, item))
        return 9;
    return item.PCONTROL ? item.PCONTROL->MEASUREWIDTH(tb, band, item, m) : 50;
}

// Places the band's items from x on, advancing x.
void calculateControls(Model& tb, const Rect& client, Band& band, long y, long& x, const Measurer& m)
{
    const long p = tb.BTNPADDING;
    const Rect& B = band.RAREA;
    std::vector<Item>& items = band.CONTROLQ;
    for (size_t k = 0; k < items.size(); ++k) {
        Item& item = items[k];
        if (!item.BVISIBLE)
            continue;
        const long w = measureWidth(tb, band, item, m);
        Rect area;
        if (w == -1) {
            long sum = 0, n = 1;
            for (size_t j = k + 1; j < items.size(); ++j) {
                const Item& next = items[j];
                if (!next.BVISIBLE)
                    continue;
                long nw = measureWidth(tb, band, next, m);
                if (nw == -1) {
                    ++n;
                    nw = 0;
                }
                sum += nw + 2 * p + 1;
            }
            // Truncated; never below 0 when the items after it do not fit.
            long g = std::max<long>(0, (client.right - client.left - sum - x - p) / n);
            if (tb.STYLE == 2 && band.BCUSTOMIZE)
                g = std::max<long>(0, g - 8);
            area = {x, y + 2, band.BFULL ? x + g : std::max(x, x + g - 2), B.bottom - 2};
        } else {
            area = {x, y + 2, x + w + 2 * p, isMdiButton(band, item) ? B.bottom - 4 : B.bottom - 2};
        }
        item.RAREA = area;
        if (item.PCONTROL)
            item.PCONTROL->REPOSITION(tb, band, item, area);
        x += area.width() + 1;
    }
}

} // namespace

long CALCULATEBANDHEIGHT(const Model& tb, const Band& band, long minimum, const Measurer& m)
{
    if (band.NFIXEDHEIGHT != 0)
        return band.NFIXEDHEIGHT;
    long h = minimum;
    if (band.BUSERHIDDEN)
        return h;
    for (const Item& item : band.CONTROLQ)
        if (item.BVISIBLE && item.PCONTROL)
            h = std::max(h, item.PCONTROL->MEASUREHEIGHT(tb, band, item, m));
    return h;
}

long CALCULATEROWHEIGHT(const Model& tb, size_t position, const Measurer& m)
{
    long h = 0;
    for (size_t i = position; i < tb.BANDQ.size(); ++i) {
        const Band& b = tb.BANDQ[i];
        h = std::max(h, CALCULATEBANDHEIGHT(tb, b, 0, m));
        if (b.BLASTONLINE || b.BFULL)
            break;
    }
    return h;
}

long CALCULATE(Model& tb, const Rect& C, const Measurer& m)
{
    std::lock_guard<std::recursive_mutex> lock(tb.CRIT());
    const long startX = C.left + (tb.STYLE == 2 ? 2 : 0);
    long x = startX, y = C.top, h = 26, r = 0, R = 0;
    bool newRow = false;
    for (size_t pos = 0; pos < tb.BANDQ.size(); ++pos) {
        Band& band = tb.BANDQ[pos];
        if (!band.shown()) {
            if (band.BLASTONLINE)
                newRow = true;
            continue;
        }
        const bool menu = band.NTYPE == BAND_MENU;
        if (newRow) {
            ++r;
            y += h + 1;
            x = startX;
            newRow = false;
            if (!menu)
                R = CALCULATEROWHEIGHT(tb, pos, m);
        }
        h = menu ? band.NFIXEDHEIGHT : std::max(CALCULATEBANDHEIGHT(tb, band, 26, m), R);
        band.RAREA = {x, y, C.right - 1, y + h};
        x += band.BGRIP ? 8 : 2;
        calculateControls(tb, C, band, y, x, m);
        x += (tb.STYLE == 2 && band.BCUSTOMIZE) ? 10 : 2;
        if (tb.BOVERFLOWDETECTION && C.right < x && band.RAREA.width() < C.right - 4 && C.right > 1) {
            ++r;
            y += h + 1;
            x = startX;
            R = CALCULATEROWHEIGHT(tb, pos, m);
            h = std::max(CALCULATEBANDHEIGHT(tb, band, 26, m), R);
            x += band.NOFFSETX;
            band.RAREA = {x, y, C.right - 1, y + h};
            x += band.BGRIP ? 8 : 2;
            calculateControls(tb, C, band, y, x, m);
            x += (tb.STYLE == 2 && band.BCUSTOMIZE) ? 10 : 2;
        }
        if (!menu && !band.BFULL)
            band.RAREA.right = x;
        const bool last = pos + 1 == tb.BANDQ.size();
        if (band.BLASTONLINE && !last)
            newRow = true;
        else if (tb.STYLE == 1 || tb.STYLE == 2)
            x += 1;
        band.NROW = r;
        x += 1;
    }
    long H = y + h + 1;
    if (tb.BDRAWBOTTOMBORDER)
        H += 2;
    return H;
}

} // namespace ptb
