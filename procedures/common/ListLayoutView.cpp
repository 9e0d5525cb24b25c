#include "procedures/common/ListLayoutView.h"

#include "procedures/common/ListLayout.h"

#include <QHeaderView>

namespace VelmoraDll {

QString S_GetListFormat(const QHeaderView* header)
{
    std::vector<int> widths;
    for (int i = 0; header && i < header->count(); ++i)
        widths.push_back(header->sectionSize(i));
    return encodeWidths(widths);
}

void S_SetListFormat(QHeaderView* header, const QString& layout)
{
    if (!header)
        return;
    const auto widths = decodeWidths(layout, header->count());
    for (size_t i = 0; i < widths.size(); ++i)
        if (widths[i])
            header->resizeSection(static_cast<int>(i), *widths[i]);
}

void restoreListLayout(QHeaderView* header, const QString& procedure, const QString& listName)
{
    S_SetListFormat(header, readListLayout(procedure, listName));
}

bool saveListLayout(const QHeaderView* header, const QString& procedure, const QString& listName)
{
    return writeListLayout(procedure, listName, S_GetListFormat(header));
}

} // namespace VelmoraDll
