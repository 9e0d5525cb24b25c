#include "procedures/common/ListLayout.h"

#include "runtime/IniFile.h"
#include "runtime/Paths.h"

#include <QDir>
#include <algorithm>

namespace VelmoraDll {

namespace {
vrt::IniFile workingIni()
{
    return vrt::IniFile(vrt::joinPath(QDir::currentPath(), QStringLiteral("Standard.ini")));
}
} // namespace

QString encodeWidths(const std::vector<int>& widths)
{
    QString out;
    const size_t n = std::min(widths.size(), static_cast<size_t>(kLayoutMaxColumns));
    for (size_t i = 0; i < n; ++i)
        out += QStringLiteral("%1").arg(std::clamp(widths[i], 0, 99999), kLayoutFieldWidth, 10, QLatin1Char('0'));
    return out;
}

std::vector<std::optional<int>> decodeWidths(const QString& layout, int columnCount)
{
    std::vector<std::optional<int>> out;
    const int n = std::clamp(columnCount, 0, kLayoutMaxColumns);
    out.reserve(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        const QString field = layout.mid(i * kLayoutFieldWidth, kLayoutFieldWidth).trimmed();
        bool ok = !field.isEmpty();
        for (QChar ch : field)
            ok = ok && ch.isDigit() && ch.unicode() < 128;
        out.push_back(ok ? std::optional<int>(field.toInt()) : std::nullopt);
    }
    return out;
}

QString readListLayout(const QString& procedure, const QString& listName)
{
    return workingIni().get(procedure, listName);
}

bool writeListLayout(const QString& procedure, const QString& listName, const QString& layout)
{
    return workingIni().put(procedure, listName, layout);
}

} // namespace VelmoraDll
