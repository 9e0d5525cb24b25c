#pragma once
#include <QString>
#include <optional>
#include <vector>

// List layout strings: a list's column widths as five-digit fields ("0008000045" for widths
// 80 and 45), stored per window and list in the working folder's Standard.ini.
namespace VelmoraDll {

inline constexpr int kLayoutMaxColumns = 255;
inline constexpr int kLayoutFieldWidth = 5;

// Widths of column 1, 2, ...; at most 255 are kept. A width that five digits cannot hold is
// stored as 99999 so that it does not shift every later field.
QString encodeWidths(const std::vector<int>& widths);

// One entry per existing column: the width to set, or nothing to leave the column as it is
// (a field of spaces, a field that is not a number, or no field at all).
std::vector<std::optional<int>> decodeWidths(const QString& layout, int columnCount);

// ".\Standard.ini" of the working folder, section = procedure, key = list name.
QString readListLayout(const QString& procedure, const QString& listName);
bool writeListLayout(const QString& procedure, const QString& listName, const QString& layout);

} // namespace VelmoraDll
