#pragma once
#include <QString>

class QHeaderView;

namespace VelmoraDll {

// The layout string of a list's columns (logical order), and its application to the list.
QString S_GetListFormat(const QHeaderView* header);
void S_SetListFormat(QHeaderView* header, const QString& layout);

// What a window does while it opens and while it closes, for one of its lists.
void restoreListLayout(QHeaderView* header, const QString& procedure, const QString& listName);
bool saveListLayout(const QHeaderView* header, const QString& procedure, const QString& listName);

} // namespace VelmoraDll
