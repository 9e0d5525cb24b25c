#pragma once
#include <QString>
#include <vector>

class QHeaderView;

namespace VelmoraDll {

// The layout string of a list's columns (logical order), and its application to the list.
QString S_GetListFormat(const QHeaderView* header);
void S_SetListFormat(QHeaderView* header, const QString& layout);

// What a window does while it opens and while it closes, for one of its lists.
void restoreListLayout(QHeaderView* header, const QString& procedure, const QString& listName);
bool saveListLayout(const QHeaderView* header, const QString& procedure, const QString& listName);

// Design widths are dialog units (a quarter of the font's average character width); 0 stays
// 0, a hidden column. The last column shown then fills what the list has left.
int dialogUnitsToPixels(const QHeaderView* header, int units);
void setDesignWidths(QHeaderView* header, const std::vector<int>& units);

} // namespace VelmoraDll
