#include "chrome/WrapText.h"

#include <algorithm>

namespace MH {

QStringList wrapLines(const QString& text, const std::vector<int>& widths, const TextMeasurer& measure)
{
    const QChar blank(u' ');
    const QChar cr(u'\r');
    const QChar lf(u'\n');
    qsizetype n = text.size();
    while (n > 0 && text[n - 1] == blank)
        --n;
    qsizetype p = 0;
    while (p < n && text[p] == blank)
        ++p;
    QStringList lines;
    for (const int width : widths) {
        if (p >= n) {
            lines << QString();
            continue;
        }
        qsizetype end = n;      // the line is text[p, end)
        qsizetype next = n;     // where the next line starts
        qsizetype breakAt = -1; // end of the last word that fitted
        for (qsizetype d = p; d < n; ++d) {
            const QChar c = text[d];
            if (c == cr) {
                end = d;
                next = d + 1 < n && text[d + 1] == lf ? d + 2 : d + 1;
                break;
            }
            if (c != blank) {
                if (measure(QStringView(text).mid(p, d - p + 1)) > width) {
                    if (breakAt > p) {
                        end = breakAt;
                        next = breakAt;
                        while (next < n && text[next] == blank)
                            ++next;
                    } else {
                        end = std::max(d, p + 1);
                        next = end;
                        // A column narrower than a letter: the blank after it is no line.
                        while (end == p + 1 && next < n && text[next] == blank)
                            ++next;
                    }
                    break;
                }
            } else if (d > p && text[d - 1] != blank) {
                breakAt = d;
            }
        }
        lines << text.mid(p, end - p);
        p = next;
    }
    return lines;
}

} // namespace MH
